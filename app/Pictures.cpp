#include "app/Pictures.h"

#include "app/IconDrawing.h"
#include "core/RunTimeError.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
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
    for (int size : IconDrawing::kSizes) icon.addPixmap(QPixmap::fromImage(IconDrawing::paint(size)));
    return icon;
}
