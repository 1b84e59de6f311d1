#include "listfiles/ListText.h"

#include "core/Yielder.h"
#include "listfiles/LineAppender.h"
#include "panes/ItemStore.h"

#include <QStringDecoder>
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

// Every item followed by the line end, as UTF-8 in one buffer.
QByteArray joinUtf8(const ItemStore& items, Yielder& yielder) {
    const QByteArrayView lineEnd(ListText::kLineEnd);
    QByteArray joined(items.byteSize() + items.count() * lineEnd.size(), Qt::Uninitialized);
    char* out = joined.data();
    for (qsizetype i = 0; i < items.count(); ++i) {
        const QByteArrayView text = items.text(i);
        if (!text.isEmpty()) std::memcpy(out, text.data(), size_t(text.size()));
        out += text.size();
        std::memcpy(out, lineEnd.data(), size_t(lineEnd.size()));
        out += lineEnd.size();
        yielder.maybeYield();
    }
    return joined;
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

QString join(const ItemStore& items, Yielder& yielder, qsizetype pieceSize) {
    const QByteArray utf8 = joinUtf8(items, yielder);
    // UTF-8 never takes fewer bytes than UTF-16 takes units. A leading U+FEFF is part of an item.
    QString text(utf8.size(), Qt::Uninitialized);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QChar* out = text.data();
    for (qsizetype at = 0; at < utf8.size(); at += pieceSize) {
        out = decoder.appendToBuffer(out,
                                     QByteArrayView(utf8).sliced(at, std::min(pieceSize, utf8.size() - at)));
        if (yielder.dueNow()) yielder.yieldNow();
    }
    text.truncate(out - text.constData());
    return text;
}

}  // namespace ListText
