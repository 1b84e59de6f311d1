// Writes the application icon into a hicolor icon theme folder, from the drawing the window uses:
// make_icons <folder> <application id>
#include "app/IconDrawing.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return !bytes.isEmpty() && QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}
}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons <folder> <application id>\n");
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    const QString id = QString::fromUtf8(argv[2]);
    QList<std::pair<QString, QByteArray>> files;
    for (int size : IconDrawing::kSizes)
        files.append({QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(size).arg(id),
                      png(IconDrawing::paint(size))});
    files.append({QStringLiteral("%1/scalable/apps/%2.svg").arg(folder, id), IconDrawing::svg()});
    for (const auto& [path, bytes] : files) {
        if (writeFile(path, bytes)) continue;
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
