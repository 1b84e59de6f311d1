#include "listfiles/ListFileReader.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/LineAppender.h"
#include "listfiles/LineSplitter.h"
#include "listfiles/ListFileEncoding.h"
#include "listfiles/MemoryCheck.h"

#include <QFile>
#include <QFileInfo>

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

// After a UTF-32 little-endian mark the bytes are read until they tell whether the file is UTF-32. A
// file is then read again from after the mark; a pipe, which cannot be, keeps them in `held`.
FileStart settleUtf32(QIODevice& device, QByteArray& held, Yielder& yielder, qsizetype chunkSize) {
    Utf32Check check;
    QByteArray piece;
    while (check.validSoFar() && readOrThrow(device, piece, chunkSize) > 0) {
        check.feed(piece);
        if (device.isSequential()) held += piece;
        if (yielder.dueNow()) yielder.yieldNow();
    }
    if (!device.isSequential()) seekOrThrow(device, kLongestMark);
    return check.fileStart();
}

// The bytes a pipe gave while its encoding was told, handed out again before its next ones.
struct Held {
    QByteArray bytes;
    qsizetype at = 0;
};

qint64 nextChunk(QIODevice& device, Held& held, QByteArray& chunk, qsizetype chunkSize) {
    if (held.at == held.bytes.size()) return readOrThrow(device, chunk, chunkSize);
    chunk = held.bytes.sliced(held.at, qMin(chunkSize, held.bytes.size() - held.at));
    held.at += chunk.size();
    if (held.at == held.bytes.size()) held = Held();
    return chunk.size();
}

}  // namespace

namespace ListFileReader {

// One pass over the file: the encoding of each line is decided as it comes.
qint64 read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize) {
    // A pipe cannot seek; it is read from where it stands, which is its start.
    if (!device.isSequential()) seekOrThrow(device, 0);
    QByteArray chunk = readHead(device);
    FileStart start = recogniseFileStart(chunk);
    Held held;
    if (start.encoding == ListFileEncoding::Utf32LittleEndian)
        start = settleUtf32(device, held.bytes, yielder, chunkSize);
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
        } while (nextChunk(device, held, chunk, chunkSize) > 0);
        if (unicode) appender.feed(unicode->finish());
    } catch (const RunTimeError&) {
        // The lines read before the failure stay in the pane.
        appender.flush();
        throw;
    }
    appender.finish();
    return bytesRead;
}

bool readFile(const QString& path, ListPane& pane, const MemoryProbe& memory, Yielder& yielder) {
    // A folder or a device would never end or would load garbage; only regular files are lists.
    const QFileInfo info(path);
    if (!info.isFile()) throw FileErrors::notAFile(path, info.isDir());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw FileErrors::openError(file, QIODevice::ReadOnly);
    const qint64 size = file.size();
    MemoryCheck::requireRoomFor(file, memory, yielder);
    // Another program cut the file short while it was read.
    return read(file, pane, yielder) >= size;
}

FileStart readStart(QIODevice& device, Yielder& yielder) {
    seekOrThrow(device, 0);
    const FileStart start = recogniseFileStart(readHead(device));
    if (start.encoding != ListFileEncoding::Utf32LittleEndian) return start;
    QByteArray none;
    return settleUtf32(device, none, yielder, kChunkSize);
}

LineCount countLines(QIODevice& device, Yielder& yielder, const std::function<bool(const LineCount&)>& enough,
                     qsizetype chunkSize) {
    LineCounter counter(readStart(device, yielder).encoding == ListFileEncoding::PerLine);
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
