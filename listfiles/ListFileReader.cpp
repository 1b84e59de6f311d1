#include "listfiles/ListFileReader.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/LineSplitter.h"
#include "listfiles/ListFileEncoding.h"
#include "panes/ItemStore.h"
#include "panes/ListPane.h"

#include <QIODevice>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace {
// Bounds the memory that lines waiting for the next batch take, whatever the yield budget. A line
// at least this long skips the batch, so it is copied once, into the pane, and is checked and
// converted a piece of this size at a time, so the window gets its turns meanwhile.
constexpr qsizetype kMaxBatchBytes = 1024 * 1024;

// Collects lines and hands them to the pane as one insertion: before every yield, so the window
// shows what has been read, and whenever the batch grows large.
class BatchAppender {
public:
    BatchAppender(ListPane& pane, Yielder& yielder) : m_pane(pane), m_yielder(yielder) {}

    // Copies the lines into the batch a run at a time, yielding between lines on the time budget.
    void add(std::span<const QByteArrayView> lines) {
        size_t from = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!m_yielder.due()) continue;
            m_batch.appendAll(lines.subspan(from, i + 1 - from));
            from = i + 1;
            yieldNow();
        }
        m_batch.appendAll(lines.subspan(from));
        if (m_batch.byteSize() >= kMaxBatchBytes) flush();
    }
    void add(QByteArrayView line) {
        if (line.size() < kMaxBatchBytes) return add(std::span<const QByteArrayView>(&line, 1));
        flush();
        m_pane.appendLong(line, m_yielder);
        yieldIfDueNow();
    }
    // Where a single step may be long: reads the clock every time.
    void yieldIfDueNow() {
        if (m_yielder.dueNow()) yieldNow();
    }
    void yieldNow() {
        flush();
        m_yielder.yieldNow();
    }
    void flush() {
        if (m_batch.isEmpty()) return;
        m_pane.appendBatch(m_batch);
        // The next batch reuses the memory instead of faulting in fresh pages.
        m_batch.clearKeepingCapacity();
    }

private:
    ListPane& m_pane;
    Yielder& m_yielder;
    ItemStore m_batch;
};

// Hands lines to the pane in UTF-8: a line that is valid UTF-8 as it is, any other read as
// Windows-1252, so a stray byte changes only its own line.
class LineDecoder {
public:
    explicit LineDecoder(BatchAppender& appender) : m_appender(appender) {}

    // The lines that one chunk completed. All but a first one that began in an earlier chunk lie in
    // the chunk one after the other, with ASCII line ends between them, so that stretch is valid
    // UTF-8 exactly when every one of them is: one check almost always covers them all.
    void add(std::span<const QByteArrayView> lines, QByteArrayView chunk) {
        if (lines.empty()) return;
        if (!lies(lines.front(), chunk)) {
            add(lines.front());
            lines = lines.subspan(1);
            if (lines.empty()) return;
        }
        const char* const stretchEnd = lines.back().data() + lines.back().size();
        if (QByteArrayView(lines.front().data(), stretchEnd).isValidUtf8())
            m_appender.add(lines);
        else
            addOneByOne(lines);
    }
    void add(QByteArrayView line) {
        if (isUtf8(line))
            m_appender.add(line);
        else
            addConverted(line);
    }

private:
    static bool lies(QByteArrayView line, QByteArrayView chunk) {
        const std::less_equal<const char*> notAfter;
        return notAfter(chunk.data(), line.data()) && notAfter(line.data(), chunk.data() + chunk.size());
    }

    void addOneByOne(std::span<const QByteArrayView> lines) {
        size_t from = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].isValidUtf8()) continue;
            m_appender.add(lines.subspan(from, i - from));
            addConverted(lines[i]);
            from = i + 1;
        }
        m_appender.add(lines.subspan(from));
    }

    bool isUtf8(QByteArrayView line) {
        if (line.size() < kMaxBatchBytes) return line.isValidUtf8();
        Utf8Validator validator;
        for (qsizetype at = 0; at < line.size(); at += kMaxBatchBytes) {
            if (!validator.feed(line.sliced(at, qMin(kMaxBatchBytes, line.size() - at)))) return false;
            m_appender.yieldIfDueNow();
        }
        return validator.finish();
    }

    void addConverted(QByteArrayView line) {
        m_converted.resize(0);
        for (qsizetype at = 0; at < line.size(); at += kMaxBatchBytes) {
            m_windows1252.append(line.sliced(at, qMin(kMaxBatchBytes, line.size() - at)), m_converted);
            if (line.size() >= kMaxBatchBytes) m_appender.yieldIfDueNow();
        }
        m_appender.add(QByteArrayView(m_converted));
        // A very long line's copy is not kept for the next one.
        if (m_converted.capacity() > kMaxBatchBytes) m_converted = QByteArray();
    }

    BatchAppender& m_appender;
    Windows1252ToUtf8 m_windows1252;
    QByteArray m_converted;
};

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

// Cuts UTF-8 text into lines and hands them on; the line views live until the next piece.
class LinePass {
public:
    explicit LinePass(BatchAppender& appender) : m_appender(appender), m_decoder(appender) {}

    void add(QByteArrayView text) {
        m_lines.clear();
        m_splitter.split(text, m_lines);
        m_decoder.add(m_lines, text);
        // A line far longer than a chunk still lets the window breathe.
        m_appender.yieldIfDueNow();
    }
    void finish() {
        QByteArrayView line;
        if (m_splitter.lastLine(line)) m_decoder.add(line);
    }

private:
    BatchAppender& m_appender;
    LineDecoder m_decoder;
    LineSplitter m_splitter;
    std::vector<QByteArrayView> m_lines;
};

void readLines(QIODevice& device, BatchAppender& appender, qsizetype chunkSize) {
    seekOrThrow(device, 0);
    QByteArray chunk = readHead(device);
    const FileStart start = recogniseFileStart(chunk);
    chunk.remove(0, start.markSize);
    std::optional<Utf16ToUtf8> utf16;
    if (start.encoding != ListFileEncoding::PerLine) utf16.emplace(start.encoding);
    LinePass pass(appender);
    do {
        if (utf16)
            pass.add(utf16->convert(chunk));
        else
            pass.add(chunk);
    } while (readOrThrow(device, chunk, chunkSize) > 0);
    if (utf16) pass.add(utf16->finish());
    pass.finish();
}
}  // namespace

namespace ListFileReader {

void read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize) {
    BatchAppender appender(pane, yielder);
    try {
        readLines(device, appender, chunkSize);
    } catch (const RunTimeError&) {
        // The lines read before the failure stay in the pane.
        appender.flush();
        throw;
    }
    appender.flush();
}

LineCount countLines(QIODevice& device, Yielder& yielder, qsizetype chunkSize) {
    seekOrThrow(device, 0);
    LineCounter counter;
    QByteArray chunk;
    while (readOrThrow(device, chunk, chunkSize) > 0) {
        counter.count(chunk);
        if (yielder.dueNow()) yielder.yieldNow();
    }
    return {counter.lines(), counter.longestLine()};
}

}  // namespace ListFileReader
