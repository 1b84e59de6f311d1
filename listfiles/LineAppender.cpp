#include "listfiles/LineAppender.h"

#include "core/Yielder.h"
#include "panes/ListPane.h"

namespace {
// Bounds the memory that lines waiting for the next batch take, whatever the yield budget.
constexpr qsizetype kMaxBatchBytes = 1024 * 1024;
}  // namespace

void LineAppender::feed(QByteArrayView utf8) {
    m_lines.clear();
    m_splitter.split(utf8, m_lines);
    add(m_lines);
    // A line far longer than a piece still lets the window breathe.
    if (m_yielder.dueNow()) yieldNow();
}

void LineAppender::finish() {
    QByteArrayView line;
    if (m_splitter.lastLine(line)) add({&line, 1});
    flush();
}

void LineAppender::flush() {
    if (m_batch.isEmpty()) return;
    m_pane.appendBatch(m_batch);
    // The next batch reuses the memory instead of faulting in fresh pages.
    m_batch.clearKeepingCapacity();
}

// Copies the lines into the batch a run at a time, yielding between lines on the time budget.
void LineAppender::add(std::span<const QByteArrayView> lines) {
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

void LineAppender::yieldNow() {
    flush();
    m_yielder.yieldNow();
}
