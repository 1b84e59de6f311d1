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
    QString text = ResultLine::items(count);
    if (text == m_countText) return false;
    m_countText = std::move(text);
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
    if (m_countText.isEmpty() || count() == 0) return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect area = countArea(fontMetrics().horizontalAdvance(m_countText));
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_countText);
}
