#pragma once

#include "core/RunTimeError.h"

#include <QIODevice>

class QFileDevice;

// The run-time errors of list-file access. Each names the file and adds the system's reason.
namespace FileErrors {

inline constexpr int kOutOfMemory = 7;
inline constexpr int kDeviceIoError = 57;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccessError = 75;

// Opening for `mode` failed: for reading, or for a save, which also creates a temporary file beside
// the target. "Permission denied" when the access rights are what stopped it.
RunTimeError openError(const QFileDevice& file, QIODevice::OpenMode mode);
// The path names a folder, a device or something else that is no regular file.
RunTimeError notAFile(const QString& path, bool isFolder);
// A read, write, seek or the final rename failed. Names the file, or the device's object name where
// it has no file name ("standard output").
RunTimeError ioError(const QIODevice& device);
// The file would not fit in the memory left.
RunTimeError outOfMemory();

}  // namespace FileErrors
