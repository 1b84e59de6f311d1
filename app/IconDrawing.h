#pragma once

#include <QByteArray>
#include <QImage>

// The application icon's one drawing, in two forms: painted at a pixel size for the window and the
// installed icons, and as SVG for the installed scalable icon. Both come from the same shapes, so
// every size looks the same.
namespace IconDrawing {

inline constexpr int kSizes[] = {32, 48, 128, 256};

QImage paint(int size);
QByteArray svg();

}  // namespace IconDrawing
