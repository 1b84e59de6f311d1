#include "listfiles/LineAppender.h"

#include "core/Yielder.h"
#include "store/ListPane.h"

#include <functional>

namespace {
// Bounds the memory that lines waiting for the next batch take, whatever the yield budget. A line
// at least this long skips the batch, so it is copied once, into the pane, and is checked and
// converted a piece of this size at a time, so the window gets its turns meanwhile.
constexpr qsizetype kMaxBatchBytes = 1024 * 1024;

bool liesIn(QByteArrayView line, QByteArrayView piece) {
    const std::less_equal<const char*> notAfter;
    return notAfter(piece.data(), line.data()) && notAfter(line.data(), piece.data() + piece.size());
}
}  // namespace

void LineAppender::feed(QByteArrayView bytes) {
    m_lines.clear();
    m_splitter.split(bytes, m_lines);
    std::span<const QByteArrayView> lines(m_lines);
    // A line that began in an earlier piece lies in the splitter, and may be very long.
    if (!lines.empty() && !liesIn(lines.front(), bytes)) {
        addLine(lines.front());
        lines = lines.subspan(1);
    }
    addLines(lines);
    // A line far longer than a piece still lets the window breathe.
    yieldIfDueNow();
}

void LineAppender::finish() {
    QByteArrayView line;
    if (m_splitter.lastLine(line)) addLine(line);
    flush();
}

void LineAppender::flush() {
    if (m_batch.isEmpty()) return;
    m_pane.appendBatch(m_batch);
    // The next batch reuses the memory instead of faulting in fresh pages.
    m_batch.clearKeepingCapacity();
}

// Lines that lie one after the other in one piece, with ASCII line ends between them, are valid
// UTF-8 together exactly when each one is: one check almost always covers them all.
void LineAppender::addLines(std::span<const QByteArrayView> lines) {
    if (lines.empty()) return;
    const QByteArrayView stretch(lines.front().data(), lines.back().data() + lines.back().size());
    if (m_text == Text::Utf8 || stretch.isValidUtf8())
        addToBatch(lines);
    else
        addOneByOne(lines);
}

void LineAppender::addOneByOne(std::span<const QByteArrayView> lines) {
    size_t from = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].isValidUtf8()) continue;
        addToBatch(lines.subspan(from, i - from));
        addConverted(lines[i]);
        from = i + 1;
    }
    addToBatch(lines.subspan(from));
}

void LineAppender::addLine(QByteArrayView line) {
    if (m_text == Text::Utf8 || isUtf8(line))
        addUtf8(line);
    else
        addConverted(line);
}

void LineAppender::addUtf8(QByteArrayView line) {
    if (line.size() < kMaxBatchBytes) return addToBatch({&line, 1});
    flush();
    m_pane.appendLong(line, m_yielder);
    yieldIfDueNow();
}

bool LineAppender::isUtf8(QByteArrayView line) {
    if (line.size() < kMaxBatchBytes) return line.isValidUtf8();
    Utf8Validator validator;
    for (qsizetype at = 0; at < line.size(); at += kMaxBatchBytes) {
        if (!validator.feed(line.sliced(at, qMin(kMaxBatchBytes, line.size() - at)))) return false;
        yieldIfDueNow();
    }
    return validator.finish();
}

void LineAppender::addConverted(QByteArrayView line) {
    m_converted.resize(0);
    for (qsizetype at = 0; at < line.size(); at += kMaxBatchBytes) {
        m_windows1252.append(line.sliced(at, qMin(kMaxBatchBytes, line.size() - at)), m_converted);
        if (line.size() >= kMaxBatchBytes) yieldIfDueNow();
    }
    addUtf8(m_converted);
    // A very long line's copy is not kept for the next one.
    if (m_converted.capacity() > kMaxBatchBytes) m_converted = QByteArray();
}

// Copies the lines into the batch a run at a time, yielding between lines on the time budget.
void LineAppender::addToBatch(std::span<const QByteArrayView> lines) {
    // A batch's block goes to the pane whole: it gets its full room at once, not by doublings.
    if (m_batch.isEmpty()) m_batch.reserve(kMaxBatchBytes + 64 * 1024);
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

// Where a single step may be long: reads the clock every time.
void LineAppender::yieldIfDueNow() {
    if (m_yielder.dueNow()) yieldNow();
}

void LineAppender::yieldNow() {
    flush();
    m_yielder.yieldNow();
}
