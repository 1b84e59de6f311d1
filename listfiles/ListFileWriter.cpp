#include "listfiles/ListFileWriter.h"

#include "core/Platform.h"
#include "core/TaskThreads.h"
#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileEncoding.h"
#include "store/ItemStore.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

#include <cstring>

namespace {

// Unwritten bytes beyond which the disk is asked to start writing them.
constexpr qint64 kWriteBehindBytes = 1024 * 1024;

// A device may take part of a piece at a time; only a refusal is a failure.
void writeAll(QIODevice& device, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qint64 written = device.write(bytes.data(), bytes.size());
        if (written <= 0) throw FileErrors::ioError(device);
        bytes = bytes.sliced(written);
    }
}

// Starts writing a file's bytes to the disk while later ones are still being formatted, so the
// sync that ends a save finds little left to do and does not hold up the window for long.
class WriteBehind {
public:
    explicit WriteBehind(QIODevice& device) {
        if (const auto* file = qobject_cast<QFileDevice*>(&device)) m_handle = file->handle();
    }
    void written(qint64 bytes) {
        m_pending += bytes;
        if (m_pending < kWriteBehindBytes || m_handle < 0) return;
        m_pending = 0;
        Platform::startWritingToDisk(m_handle);
    }

private:
    int m_handle = -1;
    qint64 m_pending = 0;
};

// Items with their line ends, gathered with plain copies into one buffer that goes to the device
// whenever the next item would not fit.
class LineBuffer {
public:
    LineBuffer(QIODevice& device, qsizetype capacity, Yielder& yielder, QByteArrayView lineEnd)
        : m_device(device),
          m_lineEnd(lineEnd),
          m_buffer(capacity, Qt::Uninitialized),
          m_data(m_buffer.data()),
          m_writeBehind(device),
          m_yielder(yielder) {}

    void add(QByteArrayView text) {
        const qsizetype size = text.size() + m_lineEnd.size();
        if (m_used + size > m_buffer.size()) flush();
        if (size > m_buffer.size()) {
            // Larger than the whole buffer: straight to the device, a buffer's worth per step.
            for (qsizetype at = 0; at < text.size(); at += m_buffer.size()) {
                put(text.sliced(at, qMin(m_buffer.size(), text.size() - at)));
                if (m_yielder.dueNow()) m_yielder.yieldNow();
            }
            put(m_lineEnd);
            return;
        }
        char* at = m_data + m_used;
        if (!text.isEmpty()) std::memcpy(at, text.data(), size_t(text.size()));
        std::memcpy(at + text.size(), m_lineEnd.data(), size_t(m_lineEnd.size()));
        m_used += size;
    }
    void flush() {
        put(QByteArrayView(m_buffer.constData(), m_used));
        m_used = 0;
    }

private:
    void put(QByteArrayView bytes) {
        writeAll(m_device, bytes);
        m_writeBehind.written(bytes.size());
    }

    QIODevice& m_device;
    QByteArrayView m_lineEnd;
    QByteArray m_buffer;
    // The buffer's bytes, asked for once rather than for every item.
    char* m_data;
    qsizetype m_used = 0;
    WriteBehind m_writeBehind;
    Yielder& m_yielder;
};
}  // namespace

namespace ListFileWriter {

void write(QIODevice& device, const ItemStore& items, Yielder& yielder, qsizetype bufferSize,
           QByteArrayView lineEnd) {
    // A load takes a U+FEFF at the file's start for a byte-order mark; one written before it keeps the
    // first item's own.
    if (!items.isEmpty() && items.text(0).startsWith(kUtf8Bom)) writeAll(device, kUtf8Bom);
    LineBuffer buffer(device, bufferSize, yielder, lineEnd);
    // Block by block: the items of a block lie one after the other.
    for (qsizetype b = 0; b < items.blockCount(); ++b) {
        const ItemBlock& block = items.block(b);
        for (qsizetype k = 0; k < block.count(); ++k) {
            buffer.add(block.text(k));
            if (yielder.due()) yielder.yieldNow();
        }
    }
    buffer.flush();
}

void openForSave(QSaveFile& file) {
    const QFileInfo target(file.fileName());
    if (target.exists() && !target.isFile()) throw FileErrors::notAFile(file.fileName(), target.isDir());
    constexpr QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!file.open(mode)) throw FileErrors::openError(file, mode);
}

void commit(QSaveFile& file) {
    // Replacing a file frees the old one's blocks, which takes long for a large file on a disk that
    // discards freed blocks. Held open until after the rename, where the system allows it, the old
    // file is freed only when it is closed, and that close happens on a worker thread.
    const int held = Platform::holdFile(file.fileName());
    const auto release = qScopeGuard([held] {
        if (held >= 0) TaskThreads::shared().start([held] { Platform::closeHeldFile(held); });
    });
    if (!file.commit()) throw FileErrors::ioError(file);
}

}  // namespace ListFileWriter
