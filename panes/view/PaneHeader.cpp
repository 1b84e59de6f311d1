#include "panes/view/PaneHeader.h"

#include "store/ResultLine.h"

#include <QPainter>

namespace {
// Room at the header's right end, and at least between the caption and the count.
constexpr int kMargin = 6;
constexpr int kGap = 12;
}  // namespace

PaneHeader::PaneHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

bool PaneHeader::setCount(qint64 count) {
    return show(ResultLine::items(count), m_note);
}

bool PaneHeader::setNote(const QString& note) {
    return show(m_countText, note);
}

bool PaneHeader::show(QString count, QString note) {
    if (count == m_countText && note == m_note) return false;
    m_countText = std::move(count);
    m_note = std::move(note);
    m_shownText = m_note.isEmpty() || m_countText.isEmpty()
                      ? m_countText
                      : m_countText + QStringLiteral(" \u00B7 ") + m_note;
    viewport()->update();
    return true;
}

// The visible stretch of the column, right of its caption; the whole header's width in sight when the
// column is too narrow to hold both.
QRect PaneHeader::countArea(int textWidth) const {
    const QRect visible = viewport()->rect();
    const int left = sectionViewportPosition(0);
    const QString caption = model() ? model()->headerData(0, Qt::Horizontal).toString() : QString();
    const int captionEnd = left + kMargin + fontMetrics().horizontalAdvance(caption) + kGap;
    QRect area = visible;
    area.setLeft(std::max(visible.left(), captionEnd));
    area.setRight(std::min(visible.right(), left + sectionSize(0) - 1) - kMargin);
    if (area.width() >= textWidth) return area;
    return visible.adjusted(0, 0, -kMargin, 0);
}

void PaneHeader::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    if (m_shownText.isEmpty() || count() == 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect area = countArea(fontMetrics().horizontalAdvance(m_shownText));
    // A long note gives way in its middle: the count stays in sight.
    QString text = m_shownText;
    if (!m_note.isEmpty() && fontMetrics().horizontalAdvance(text) > area.width()) {
        const QString count = m_shownText.first(m_shownText.size() - m_note.size());
        text = count + fontMetrics().elidedText(m_note, Qt::ElideMiddle,
                                                area.width() - fontMetrics().horizontalAdvance(count));
    }
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
}
