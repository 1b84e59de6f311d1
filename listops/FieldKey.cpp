#include "listops/FieldKey.h"

#include <algorithm>
#include <cstring>
#include <vector>

FieldKey::FieldKey(const MatchOn& on) : m_column(std::max(on.column, 1)), m_quoted(on.quoted()) {
    // The separator's UTF-8 bytes: UTF-8 is self-synchronising, so they occur in an item only where
    // the character does.
    const char32_t c = on.separator;
    auto* s = reinterpret_cast<unsigned char*>(m_separator);
    if (c < 0x80) {
        s[0] = static_cast<unsigned char>(c);
        m_separatorSize = 1;
    } else if (c < 0x800) {
        s[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        s[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        m_separatorSize = 2;
    } else if (c < 0x10000) {
        s[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        s[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        s[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        m_separatorSize = 3;
    } else {
        s[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
        s[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        s[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        s[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        m_separatorSize = 4;
    }
}

// The next separator from `from` on, or the item's size.
qsizetype FieldKey::find(QByteArrayView item, qsizetype from) const {
    if (m_separatorSize == 1) {
        const void* hit = std::memchr(item.data() + from, m_separator[0], size_t(item.size() - from));
        return hit ? static_cast<const char*>(hit) - item.data() : item.size();
    }
    const qsizetype at = item.indexOf(QByteArrayView(m_separator, m_separatorSize), from);
    return at < 0 ? item.size() : at;
}

// The field that starts with the quote at `at`; *end: where its separator is (or the item's size).
QByteArrayView FieldKey::quotedField(QByteArrayView item, qsizetype at, QByteArray& out,
                                     qsizetype* end) const {
    const char* p = item.data();
    const qsizetype n = item.size();
    const qsizetype start = out.size();
    qsizetype from = at + 1;
    // Most quoted fields are one stretch between two quotes: a view of the item. Once a doubled
    // quote was taken out, the field is copied.
    bool copied = false;
    for (;;) {
        const void* hit = std::memchr(p + from, '"', size_t(n - from));
        const qsizetype quote = hit ? static_cast<const char*>(hit) - p : n;
        const QByteArrayView piece(p + from, quote - from);
        if (quote == n) {
            // No closing quote: the field runs to the item's end.
            *end = n;
            if (!copied) return piece;
            out.append(piece);
            return QByteArrayView(out.constData() + start, out.size() - start);
        }
        if (quote + 1 < n && p[quote + 1] == '"') {
            // A doubled quote is one quote of the text.
            copied = true;
            out.append(p + from, quote + 1 - from);
            from = quote + 2;
            continue;
        }
        // The closing quote; what follows it up to the separator belongs to the field as it stands.
        const qsizetype separator = find(item, quote + 1);
        *end = separator;
        if (!copied && separator == quote + 1) return piece;
        out.append(piece);
        out.append(p + quote + 1, separator - quote - 1);
        return QByteArrayView(out.constData() + start, out.size() - start);
    }
}

QByteArrayView FieldKey::of(QByteArrayView item, QByteArray& out) const {
    const qsizetype n = item.size();
    qsizetype at = 0;
    for (int column = 1;; ++column) {
        qsizetype end = 0;
        if (m_quoted && at < n && item[at] == '"') {
            if (column == m_column) return quotedField(item, at, out, &end);
            // A field before the one wanted: only its end counts; its text goes again.
            const qsizetype size = out.size();
            quotedField(item, at, out, &end);
            out.truncate(size);
        } else {
            end = find(item, at);
            if (column == m_column) return item.sliced(at, end - at);
        }
        if (end >= n) return {};  // fewer columns
        at = end + m_separatorSize;
    }
}

QByteArray FieldKey::of(QByteArrayView item) const {
    QByteArray out;
    out.reserve(item.size());
    return of(item, out).toByteArray();
}

ItemStore FieldKey::keysOf(const ItemStore& items, const MatchOn& on, const std::function<bool()>& pause) {
    const qsizetype from = on.header && !items.isEmpty() ? 1 : 0;
    if (on.wholeItem()) {
        // The texts themselves: the store shares their blocks, and taking out the header copies one.
        ItemStore keys = items;
        if (from) keys.removeAt(0);
        return keys;
    }
    const FieldKey key(on);
    ItemStore keys;
    std::vector<QByteArrayView> views;
    QByteArray unquoted;
    for (qsizetype b = 0; b < items.blockCount(); ++b) {
        const ItemBlock& block = items.block(b);
        // No key is longer than its item: room for the whole block's bytes means no reallocation.
        unquoted.clear();
        unquoted.reserve(block.bytes.size());
        views.clear();
        views.reserve(size_t(block.count()));
        for (qsizetype k = std::max<qsizetype>(0, from - items.firstIndexOf(b)); k < block.count(); ++k)
            views.push_back(key.of(block.text(k), unquoted));
        keys.appendAll(views);
        if (!pause()) return keys;
    }
    return keys;
}
