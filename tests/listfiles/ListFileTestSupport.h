#pragma once

#include "core/Services.h"
#include "support/Files.h"
#include "support/TestContext.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// A memory device whose reads or writes break down after a number of bytes, like a disk that fails
// or fills up part-way.
class FailingDevice : public QBuffer {
public:
    qint64 failReadsAfter = -1;
    // Reads fail only from this many seeks on, e.g. 2 for a reader's second pass over the data.
    int failReadsFromSeek = 0;
    qint64 failWritesAfter = -1;

    bool seek(qint64 position) override {
        ++m_seeks;
        return QBuffer::seek(position);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (failReadsAfter >= 0 && m_seeks >= failReadsFromSeek && pos() + maxSize > failReadsAfter) {
            const qint64 allowed = failReadsAfter - pos();
            if (allowed <= 0) return fail("Simulated read failure");
            maxSize = allowed;
        }
        return QBuffer::readData(data, maxSize);
    }
    qint64 writeData(const char* data, qint64 size) override {
        if (failWritesAfter >= 0 && pos() + size > failWritesAfter) {
            const qint64 allowed = failWritesAfter - pos();
            if (allowed <= 0) return fail("No space left on device");
            return QBuffer::writeData(data, allowed);
        }
        return QBuffer::writeData(data, size);
    }

private:
    int m_seeks = 0;

    qint64 fail(const char* reason) {
        setErrorString(QString::fromLatin1(reason));
        return -1;
    }
};

// Says that the system has this much memory left, or does not say.
class ScriptedMemory : public MemoryProbe {
public:
    std::optional<qint64> bytes;
    std::optional<qint64> availableBytes() const override { return bytes; }
};

inline QString fixture(const QString& name) {
    return QStringLiteral(BRINDLEWICK_TEST_DATA "/listfiles/") + name;
}

// Permission bits do not stop root, so tests that rely on them skip there (and have root-proof twins).
inline bool runningAsRoot() {
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}
