#include "AccessibleProbe.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace {
constexpr int kClientTimeoutMs = 30'000;
constexpr int kLookEveryMs = 20;

// Waits in the event loop, as an idle window does, so the client's questions are answered the moment
// they arrive; looks whether `done` every few milliseconds.
template <class Done>
bool runEventsUntil(Done&& done, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) loop.quit();
    });
    look.start(kLookEveryMs);
    if (!done()) loop.exec();
    return done();
}
}  // namespace

namespace AccessibleProbe {

bool waitUntilActive(int milliseconds) {
    return runEventsUntil([] { return QAccessible::isActive(); }, milliseconds);
}

QString timeClientQuestions(const QString& folder, qint64 items) {
    const QString request = QDir(folder).filePath(QStringLiteral("at-probe-request"));
    const QString result = QDir(folder).filePath(QStringLiteral("at-probe-result"));
    QFile::remove(result);
    QFile out(request + QStringLiteral(".new"));
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(items)) < 0)
        return QStringLiteral("cannot ask");
    out.close();
    QFile::remove(request);
    QFile::rename(out.fileName(), request);
    if (!runEventsUntil([&] { return QFile::exists(result); }, kClientTimeoutMs)) {
        QFile::remove(request);
        return QStringLiteral("no AT client answered");
    }
    QFile in(result);
    // The client writes its answer aside and renames it into place, so it is whole once it exists.
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).trimmed()
                                        : QStringLiteral("unreadable");
}

}  // namespace AccessibleProbe
