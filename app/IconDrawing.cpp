#include "app/IconDrawing.h"

#include <QColor>
#include <QList>
#include <QPainter>
#include <QRectF>

namespace {

// A rounded rectangle on a 32-unit square.
struct Shape {
    QRectF rect;
    qreal radius;
    QColor colour;
};

// Two lists side by side, the right one shorter: the program's two panes.
QList<Shape> shapes() {
    const QColor ground(0x2f, 0x5d, 0x8a);
    const QColor line(Qt::white);
    QList<Shape> all{{QRectF(1, 2, 30, 28), 4, ground}};
    for (int row = 0; row < 5; ++row) {
        const qreal y = 6 + row * 4.5;
        all.append({QRectF(4, y, 11, 2.5), 1, line});
        if (row % 2 == 0) all.append({QRectF(17, y, 11, 2.5), 1, line});
    }
    return all;
}

}  // namespace

namespace IconDrawing {

QImage paint(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.scale(size / 32.0, size / 32.0);
    for (const Shape& shape : shapes()) {
        painter.setBrush(shape.colour);
        painter.drawRoundedRect(shape.rect, shape.radius, shape.radius);
    }
    return image;
}

QByteArray svg() {
    QByteArray text = R"(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">)"
                      "\n";
    for (const Shape& shape : shapes()) {
        const QRectF& r = shape.rect;
        text += QStringLiteral(R"(  <rect x="%1" y="%2" width="%3" height="%4" rx="%5" fill="%6"/>)")
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height())
                    .arg(shape.radius)
                    .arg(shape.colour.name())
                    .toUtf8() +
                "\n";
    }
    return text + "</svg>\n";
}

}  // namespace IconDrawing
