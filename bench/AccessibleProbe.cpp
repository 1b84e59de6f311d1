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

// Writes `text` into the file `name` of `folder` whole: aside first, then renamed into place.
bool writeWhole(const QString& folder, const QString& name, const QByteArray& text) {
    const QString path = QDir(folder).filePath(name);
    QFile out(path + QStringLiteral(".new"));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) < 0) return false;
    out.close();
    QFile::remove(path);
    return QFile::rename(out.fileName(), path);
}

// Waits for the client's answer in `folder`, the event loop running meanwhile.
QString awaitResult(const QString& folder, const QString& request) {
    const QString result = QDir(folder).filePath(QStringLiteral("at-probe-result"));
    if (!runEventsUntil([&] { return QFile::exists(result); }, kClientTimeoutMs)) {
        QFile::remove(QDir(folder).filePath(request));
        return QStringLiteral("no AT client answered");
    }
    QFile in(result);
    // The client writes its answer aside and renames it into place, so it is whole once it exists.
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).trimmed()
                                        : QStringLiteral("unreadable");
}
}  // namespace

namespace AccessibleProbe {

bool waitUntilActive(int milliseconds) {
    return runEventsUntil([] { return QAccessible::isActive(); }, milliseconds);
}

QString timeClientQuestions(const QString& folder, qint64 items) {
    const QString request = QStringLiteral("at-probe-request");
    QFile::remove(QDir(folder).filePath(QStringLiteral("at-probe-result")));
    if (!writeWhole(folder, request, QByteArray::number(items))) return QStringLiteral("cannot ask");
    return awaitResult(folder, request);
}

QString timeClientQuestionsDuring(const QString& folder, qint64 items, const std::function<void()>& work) {
    const QString request = QStringLiteral("at-probe-during");
    const QString asking = QDir(folder).filePath(QStringLiteral("at-probe-asking"));
    QFile::remove(QDir(folder).filePath(QStringLiteral("at-probe-result")));
    QFile::remove(asking);
    if (!writeWhole(folder, request, QByteArray::number(items))) return QStringLiteral("cannot ask");
    // The work starts once the client has found the pane and asks.
    if (!runEventsUntil([&] { return QFile::exists(asking); }, kClientTimeoutMs)) {
        QFile::remove(QDir(folder).filePath(request));
        return QStringLiteral("no AT client answered");
    }
    work();
    if (!writeWhole(folder, QStringLiteral("at-probe-stop"), QByteArray()))
        return QStringLiteral("cannot stop");
    return awaitResult(folder, request);
}

}  // namespace AccessibleProbe
