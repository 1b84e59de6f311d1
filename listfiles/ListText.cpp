#include "listfiles/ListText.h"

#include "core/Yielder.h"
#include "listfiles/LineAppender.h"
#include "listfiles/ListFileEncoding.h"
#include "store/ItemStore.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>

namespace {
constexpr char16_t kByteOrderMark = 0xFEFF;

// The next piece of `text` from `at`, never ending between the two halves of a surrogate pair, so
// each piece encodes on its own.
QStringView pieceAt(QStringView text, qsizetype at, qsizetype pieceSize) {
    qsizetype size = std::min(pieceSize, text.size() - at);
    if (at + size < text.size() && text[at + size - 1].isHighSurrogate()) size += size > 1 ? -1 : 1;
    return text.sliced(at, size);
}

// The next piece of `utf8` from `at`, never ending inside a character's bytes (unless they are not
// UTF-8 anyway), so that each piece is checked and decoded on its own as in the whole text.
QByteArrayView utf8PieceAt(QByteArrayView utf8, qsizetype at, qsizetype pieceSize) {
    const auto continues = [&](qsizetype i) { return i < utf8.size() && (quint8(utf8[i]) & 0xC0) == 0x80; };
    qsizetype end = at + std::min(pieceSize, utf8.size() - at);
    qsizetype back = end;
    for (int n = 0; n < 3 && back > at && continues(back); ++n) --back;
    if (back > at) {
        end = back;
    } else {
        // A piece shorter than its first character takes that whole character.
        for (int n = 0; n < 3 && continues(end); ++n) ++end;
    }
    return utf8.sliced(at, end - at);
}
}  // namespace

namespace ListText {

void append(QStringView text, ListPane& pane, Yielder& yielder, qsizetype pieceSize) {
    if (text.startsWith(QChar(kByteOrderMark))) text = text.sliced(1);
    QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray utf8(encoder.requiredSpace(std::min(pieceSize, text.size()) + 1), Qt::Uninitialized);
    LineAppender appender(pane, yielder);
    try {
        for (qsizetype at = 0; at < text.size();) {
            const QStringView piece = pieceAt(text, at, pieceSize);
            const char* end = encoder.appendToBuffer(utf8.data(), piece);
            appender.feed(QByteArrayView(utf8.constData(), end));
            at += piece.size();
        }
    } catch (...) {
        // What came before a failure or the window's closing stays in the pane, as with a file.
        appender.flush();
        throw;
    }
    appender.finish();
}

void append(QByteArrayView bytes, ListPane& pane, Yielder& yielder, qsizetype pieceSize) {
    if (bytes.startsWith(kUtf8Bom)) bytes = bytes.sliced(kUtf8Bom.size());
    LineAppender appender(pane, yielder, LineAppender::Text::Utf8OrWindows1252Lines);
    try {
        for (qsizetype at = 0; at < bytes.size();) {
            const QByteArrayView piece = utf8PieceAt(bytes, at, pieceSize);
            at += piece.size();
            appender.feed(piece);
        }
    } catch (...) {
        appender.flush();
        throw;
    }
    appender.finish();
}

QByteArray join(const ItemStore& items, Yielder& yielder, qsizetype pieceSize) {
    const QByteArrayView lineEnd(kLineEnd);
    // Pasting takes a U+FEFF at the text's start for a byte-order mark, as a load does; one put
    // before it keeps the first item's own.
    const QByteArrayView mark =
        !items.isEmpty() && items.text(0).startsWith(kUtf8Bom) ? kUtf8Bom : QByteArrayView();
    QByteArray text(mark.size() + items.byteSize() + items.count() * lineEnd.size(), Qt::Uninitialized);
    char* out = text.data();

    qsizetype sinceYield = 0;
    // The items are UTF-8 already: the text is their bytes, a piece at a time between the event
    // loop's turns, however long one item is.
    const auto copy = [&](QByteArrayView bytes) {
        for (qsizetype at = 0; at < bytes.size();) {
            const qsizetype n = std::min(bytes.size() - at, pieceSize - sinceYield);
            std::memcpy(out, bytes.data() + at, size_t(n));
            out += n;
            at += n;
            sinceYield += n;
            if (sinceYield < pieceSize) continue;
            sinceYield = 0;
            if (yielder.dueNow()) yielder.yieldNow();
        }
    };
    copy(mark);
    for (qsizetype b = 0; b < items.blockCount(); ++b) {
        const ItemBlock& block = items.block(b);
        for (qsizetype k = 0; k < block.count(); ++k) {
            copy(block.text(k));
            copy(lineEnd);
        }
    }
    return text;
}

}  // namespace ListText
