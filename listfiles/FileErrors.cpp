#include "listfiles/FileErrors.h"

#include <QFileDevice>
#include <QFileInfo>

namespace {
// A file opened by its handle (standard output) has no file name: its object name says what it is.
QString nameOf(const QIODevice& device) {
    if (const auto* file = qobject_cast<const QFileDevice*>(&device); file && !file->fileName().isEmpty())
        return file->fileName();
    return device.objectName();
}

QString describe(const char* what, const QString& path, const QString& reason) {
    QString text = QLatin1String(what);
    if (!path.isEmpty()) text += QStringLiteral(": ") + path;
    if (!reason.isEmpty()) text += QStringLiteral(" (") + reason + u')';
    return text;
}
// Qt reports a refused open as a general open error; the access rights tell whether they were the cause.
bool accessDenied(const QString& path, QIODevice::OpenMode mode) {
    const QFileInfo info(path);
    if (!mode.testFlag(QIODevice::WriteOnly)) return info.exists() && !info.isReadable();
    const QFileInfo folder(info.absolutePath());
    return (info.exists() && !info.isWritable()) || (folder.isDir() && !folder.isWritable());
}
}  // namespace

namespace FileErrors {

RunTimeError openError(const QFileDevice& file, QIODevice::OpenMode mode) {
    if (accessDenied(file.fileName(), mode))
        return RunTimeError(describe("Permission denied", file.fileName(), file.errorString()),
                            kPermissionDenied);
    return RunTimeError(describe("Path/File access error", file.fileName(), file.errorString()),
                        kPathFileAccessError);
}

RunTimeError notAFile(const QString& path, bool isFolder) {
    const QString reason =
        isFolder ? QStringLiteral("a folder, not a file") : QStringLiteral("not a regular file");
    return RunTimeError(describe("Path/File access error", path, reason), kPathFileAccessError);
}

RunTimeError ioError(const QIODevice& device) {
    return RunTimeError(describe("Device I/O error", nameOf(device), device.errorString()), kDeviceIoError);
}

RunTimeError outOfMemory() {
    return RunTimeError(QStringLiteral("Out of memory"), kOutOfMemory);
}

}  // namespace FileErrors
