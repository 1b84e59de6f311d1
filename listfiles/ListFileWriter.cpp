#include "listfiles/ListFileWriter.h"

#include "app/Yielder.h"
#include "listfiles/FileErrors.h"
#include "panes/ItemStore.h"

#include <QIODevice>

namespace {
// A device may take part of a piece at a time; only a refusal is a failure.
void writeAll(QIODevice& device, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qint64 written = device.write(bytes.data(), bytes.size());
        if (written <= 0) throw FileErrors::ioError(device);
        bytes = bytes.sliced(written);
    }
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
