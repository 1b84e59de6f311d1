#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

// Loads a Windows cursor (.cur) file as a pointer: its picture through the image plugins, its
// hotspot from the file's first directory entry. Throws RunTimeError("Invalid picture") for a file
// that is not such a cursor.
QCursor loadCursorFile(const QString& path);

// The application icon, painted at each of IconDrawing::kSizes.
QIcon applicationIcon();
