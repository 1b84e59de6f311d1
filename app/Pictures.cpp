#include "app/Pictures.h"

#include "core/RunTimeError.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

namespace {

RunTimeError invalidPicture() {
    return RunTimeError(QStringLiteral("Invalid picture"), 481);
}

// Little-endian 16-bit value; the caller has checked the size.
quint16 word(const QByteArray& bytes, int offset) {
    return quint16(quint8(bytes.at(offset)) | quint8(bytes.at(offset + 1)) << 8);
}

// Header: reserved 0, type 2 (cursor), image count; then 16-byte entries whose bytes 4..7 hold the
// hotspot.
QPoint cursorHotspot(const QByteArray& bytes) {
    constexpr int kHeader = 6;
    constexpr int kEntry = 16;
    if (bytes.size() < kHeader + kEntry || word(bytes, 0) != 0 || word(bytes, 2) != 2 || word(bytes, 4) == 0)
        throw invalidPicture();
    return QPoint(word(bytes, kHeader + 4), word(bytes, kHeader + 6));
}

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    // Two lists side by side, the right one shorter: the program's two panes.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2f, 0x5d, 0x8a));
    painter.drawRoundedRect(QRectF(1 * unit, 2 * unit, 30 * unit, 28 * unit), 4 * unit, 4 * unit);
    painter.setBrush(Qt::white);
    for (int row = 0; row < 5; ++row) {
        const qreal y = (6 + row * 4.5) * unit;
        painter.drawRoundedRect(QRectF(4 * unit, y, 11 * unit, 2.5 * unit), unit, unit);
        if (row % 2 == 0) painter.drawRoundedRect(QRectF(17 * unit, y, 11 * unit, 2.5 * unit), unit, unit);
    }
    return pixmap;
}

}  // namespace

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError(QStringLiteral("File not found: %1").arg(path), 53);
    const QByteArray bytes = file.readAll();
    const QPoint hotspot = cursorHotspot(bytes);
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "ico");
    const QImage image = reader.read();
    if (image.isNull()) throw invalidPicture();
    return QCursor(QPixmap::fromImage(image), hotspot.x(), hotspot.y());
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {32, 48, 128, 256}) icon.addPixmap(drawIcon(size));
    return icon;
}
