#include "panes/view/ShownText.h"

#include <QFontMetricsF>

namespace {
bool isStackingMark(QChar c) {
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing;
}

// The length of the character at `at`: 2 for a surrogate pair, else 1.
qsizetype lengthAt(const QString& text, qsizetype at) {
    return text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate() ? 2 : 1;
}

qreal advanceOf(const QString& text, qsizetype at, qsizetype length, const QFontMetricsF& metrics) {
    return length == 1 ? metrics.horizontalAdvance(text.at(at))
                       : metrics.horizontalAdvance(text.mid(at, length));
}
}  // namespace

ShownText ShownText::between(const QString& text, const QFontMetricsF& metrics, qreal from, qreal to) {
    ShownText shown;
    qreal x = 0;
    qsizetype at = 0;
    // The first character that reaches past `from`; its marks come with it, and the marks of one
    // that ends before it stay behind with it.
    while (at < text.size()) {
        const qsizetype length = lengthAt(text, at);
        const qreal advance = advanceOf(text, at, length, metrics);
        if (x + advance > from && (at == 0 || !isStackingMark(text.at(at)))) break;
        x += advance;
        at += length;
    }
    shown.x = x;
    int stacked = 0;
    while (at < text.size() && x < to) {
        const qsizetype length = lengthAt(text, at);
        const bool mark = length == 1 && isStackingMark(text.at(at));
        stacked = mark ? stacked + 1 : 0;
        if (stacked <= kMaxStackedMarks) {
            shown.text.append(QStringView(text).sliced(at, length));
            x += advanceOf(text, at, length, metrics);
        }
        at += length;
    }
    return shown;
}
