#include "listfiles/ListFileReader.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/LineAppender.h"
#include "listfiles/LineSplitter.h"
#include "listfiles/ListFileEncoding.h"

#include <QIODevice>

#include <optional>

namespace {
void seekOrThrow(QIODevice& device, qint64 position) {
    if (!device.seek(position)) throw FileErrors::ioError(device);
}

// Reads up to `size` bytes into `buffer`; 0 at the end of the device.
qint64 readOrThrow(QIODevice& device, QByteArray& buffer, qsizetype size) {
    buffer.resize(size);
    const qint64 got = device.read(buffer.data(), size);
    if (got < 0) throw FileErrors::ioError(device);
    buffer.resize(got);
    return got;
}

// The file's first bytes, enough to tell a byte-order mark, however few each read gives.
QByteArray readHead(QIODevice& device) {
    QByteArray head;
    QByteArray piece;
    while (head.size() < kLongestMark && readOrThrow(device, piece, kLongestMark - head.size()) > 0)
        head += piece;
    return head;
}

}  // namespace

namespace ListFileReader {

// One pass over the file: the encoding of each line is decided as it comes.
qint64 read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize) {
    seekOrThrow(device, 0);
    QByteArray chunk = readHead(device);
    const FileStart start = recogniseFileStart(chunk);
    qint64 bytesRead = start.markSize;
    chunk.remove(0, start.markSize);
    std::optional<UnicodeToUtf8> unicode;
    if (start.encoding != ListFileEncoding::PerLine) unicode.emplace(start.encoding);
    LineAppender appender(pane, yielder,
                          unicode ? LineAppender::Text::Utf8 : LineAppender::Text::Utf8OrWindows1252Lines);
    try {
        do {
            bytesRead += chunk.size();
            if (unicode)
                appender.feed(unicode->convert(chunk));
            else
                appender.feed(chunk);
        } while (readOrThrow(device, chunk, chunkSize) > 0);
        if (unicode) appender.feed(unicode->finish());
    } catch (const RunTimeError&) {
        // The lines read before the failure stay in the pane.
        appender.flush();
        throw;
    }
    appender.finish();
    return bytesRead;
}

FileStart readStart(QIODevice& device) {
    seekOrThrow(device, 0);
    return recogniseFileStart(readHead(device));
}

LineCount countLines(QIODevice& device, Yielder& yielder, const std::function<bool(const LineCount&)>& enough,
                     qsizetype chunkSize) {
    LineCounter counter(readStart(device).encoding == ListFileEncoding::PerLine);
    seekOrThrow(device, 0);
    QByteArray chunk;
    const auto counted = [&] {
        return LineCount{counter.lines(), counter.longestLine(), counter.bytes(), counter.decodedBytes()};
    };
    while (readOrThrow(device, chunk, chunkSize) > 0) {
        counter.count(chunk);
        if (enough && enough(counted())) return counted();
        if (yielder.dueNow()) yielder.yieldNow();
    }
    counter.finish();
    return counted();
}

}  // namespace ListFileReader
