#include "listfiles/ListFileWriter.h"

#include "app/Yielder.h"
#include "listfiles/FileErrors.h"
#include "panes/ItemStore.h"

#include <QIODevice>

namespace {
void writeAll(QIODevice& device, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    if (device.write(bytes) != bytes.size()) throw FileErrors::ioError(device);
}
}  // namespace

namespace ListFileWriter {

void write(QIODevice& device, const ItemStore& items, Yielder& yielder, qsizetype bufferSize) {
    QByteArray buffer;
    buffer.reserve(bufferSize);
    for (qsizetype i = 0; i < items.count(); ++i) {
        buffer.append(items.text(i)).append("\r\n", 2);
        if (buffer.size() >= bufferSize) {
            writeAll(device, buffer);
            buffer.resize(0);
        }
        if (yielder.due()) yielder.yieldNow();
    }
    writeAll(device, buffer);
}

}  // namespace ListFileWriter
