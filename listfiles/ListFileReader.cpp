#include "listfiles/ListFileReader.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/LineAppender.h"
#include "listfiles/ListFileEncoding.h"

#include <QIODevice>

#include <optional>

namespace {
void seekOrThrow(QIODevice& device, qint64 position) {
    if (!device.seek(position)) throw FileErrors::ioError(device);
}

void readLines(QIODevice& device, const EncodingCheck& check, LineAppender& appender, qsizetype chunkSize) {
    const qint64 start = check.encoding == ListFileEncoding::Utf8WithBom ? kUtf8Bom.size() : 0;
    seekOrThrow(device, start);
    std::optional<Windows1252ToUtf8> transcoder;
    if (check.encoding == ListFileEncoding::Windows1252) transcoder.emplace();
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (qint64 left = check.size - start; left > 0;) {
        const qint64 got = device.read(chunk.data(), qMin<qint64>(chunkSize, left));
        if (got < 0) throw FileErrors::ioError(device);
        if (got == 0) break;
        left -= got;
        const QByteArrayView bytes(chunk.constData(), got);
        // UTF-8 goes to the pane as it is; only a code-page file is converted.
        if (transcoder)
            appender.feed(transcoder->convert(bytes));
        else
            appender.feed(bytes);
    }
    appender.finish();
}
}  // namespace

namespace ListFileReader {

void read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize) {
    seekOrThrow(device, 0);
    const EncodingCheck check = detectListFileEncoding(device, yielder, chunkSize);
    LineAppender appender(pane, yielder);
    try {
        readLines(device, check, appender, chunkSize);
    } catch (const RunTimeError&) {
        // The lines read before the failure stay in the pane.
        appender.flush();
        throw;
    }
}

}  // namespace ListFileReader
