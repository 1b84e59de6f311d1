#include "app/MessageText.h"

#include <QRegularExpression>

namespace {
const QChar kEllipsis(0x2026);

// The first or last n code units, never half a character.
QString left(const QString& text, qsizetype n) {
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}
QString right(const QString& text, qsizetype n) {
    if (n > 0 && n < text.size() && text.at(text.size() - n).isLowSurrogate()) --n;
    return text.right(n);
}

// Keeps both ends of the run, where a path's folder and file name are.
QString elideMiddle(const QString& word) {
    const qsizetype head = MessageText::kMaxWord / 2;
    const qsizetype tail = MessageText::kMaxWord - head - 1;
    return left(word, head) + kEllipsis + right(word, tail);
}

QString shortenWords(const QString& text) {
    static const QRegularExpression longWord(QStringLiteral("[^\\s]{%1,}").arg(MessageText::kMaxWord + 1));
    QString result;
    qsizetype from = 0;
    for (auto it = longWord.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(text).mid(from, match.capturedStart() - from);
        result += elideMiddle(match.captured());
        from = match.capturedEnd();
    }
    result += QStringView(text).mid(from);
    return result;
}

// Where the last line kept ends, or -1 when every line is kept. "\r\n" is one line end.
qsizetype endOfKeptLines(const QString& text) {
    int lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r') continue;
        if (++lines > MessageText::kMaxLines) return i;
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
    }
    return -1;
}
}  // namespace

QString MessageText::bounded(const QString& text) {
    // A huge text is cut first, so the work stays small; the cut end is elided again below.
    QString result = shortenWords(text.size() > 4 * kMaxChars ? left(text, 4 * kMaxChars) + kEllipsis : text);
    if (const qsizetype end = endOfKeptLines(result); end >= 0) result = left(result, end) + kEllipsis;
    if (result.size() > kMaxChars) result = left(result, kMaxChars - 1) + kEllipsis;
    return result;
}
