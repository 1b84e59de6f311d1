#pragma once

#include <QString>

class QFontMetricsF;

// The part of a text that can show between two x positions, measured from the text's start, for
// painting. Laying out a whole long text costs time in proportion to its length (and more than that
// for long runs of combining marks), so the painter gets only these characters, drawn from `x`.
struct ShownText {
    qreal x = 0;
    QString text;

    // Places the characters by their glyphs' advances one by one: no shaping, so it stays cheap,
    // and close enough that what is drawn starts where the text would be. Whole characters only;
    // a character that shows in part is included. Of a run of combining marks on one character, at
    // most kMaxStackedMarks are kept: more only pile up above the row, out of sight.
    static ShownText between(const QString& text, const QFontMetricsF& metrics, qreal from, qreal to);

    static constexpr int kMaxStackedMarks = 30;
};
