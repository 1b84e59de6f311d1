#include "listfiles/ListFileReader.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/LineSplitter.h"
#include "listfiles/ListFileEncoding.h"
#include "panes/ItemStore.h"
#include "panes/ListPane.h"

#include <QIODevice>

#include <optional>
#include <span>
#include <vector>

namespace {
// Bounds the memory that lines waiting for the next batch take, whatever the yield budget.
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
    // Once per chunk, where a single step may be long: reads the clock every time.
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

void seekOrThrow(QIODevice& device, qint64 position) {
    if (!device.seek(position)) throw FileErrors::ioError(device);
}

// Splits one chunk and adds its lines; `lines` is only scratch space kept between chunks.
void splitInto(LineSplitter& splitter, QByteArrayView chunk, std::vector<QByteArrayView>& lines,
               BatchAppender& appender) {
    lines.clear();
    splitter.split(chunk, lines);
    appender.add(lines);
    // A line far longer than a chunk still lets the window breathe.
    appender.yieldIfDueNow();
}

void readLines(QIODevice& device, const EncodingCheck& check, BatchAppender& appender, qsizetype chunkSize) {
    const qint64 start = check.encoding == ListFileEncoding::Utf8WithBom ? kUtf8Bom.size() : 0;
    seekOrThrow(device, start);
    std::optional<Windows1252ToUtf8> transcoder;
    if (check.encoding == ListFileEncoding::Windows1252) transcoder.emplace();
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    LineSplitter splitter;
    std::vector<QByteArrayView> lines;
    for (qint64 left = check.size - start; left > 0;) {
        const qint64 got = device.read(chunk.data(), qMin<qint64>(chunkSize, left));
        if (got < 0) throw FileErrors::ioError(device);
        if (got == 0) break;
        left -= got;
        const QByteArrayView bytes(chunk.constData(), got);
        // UTF-8 goes to the pane as it is; only a code-page file is converted.
        if (transcoder)
            splitInto(splitter, transcoder->convert(bytes), lines, appender);
        else
            splitInto(splitter, bytes, lines, appender);
    }
    QByteArrayView line;
    if (splitter.lastLine(line)) appender.add({&line, 1});
}
}  // namespace

namespace ListFileReader {

void read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize) {
    seekOrThrow(device, 0);
    const EncodingCheck check = detectListFileEncoding(device, yielder, chunkSize);
    BatchAppender appender(pane, yielder);
    try {
        readLines(device, check, appender, chunkSize);
    } catch (const RunTimeError&) {
        // The lines read before the failure stay in the pane.
        appender.flush();
        throw;
    }
    appender.flush();
}

}  // namespace ListFileReader
