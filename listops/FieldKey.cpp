#include "listops/FieldKey.h"

#include "listops/HelperThread.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The first `c` in [p, end), or end. Fields are short: eight bytes at a time without a call, the
// library's search beyond the first few words.
const char* findByte(const char* p, const char* end, char c) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighs = 0x8080808080808080ull;
        const std::uint64_t pattern = kOnes * std::uint8_t(c);
        for (int words = 0; end - p >= 8 && words < 8; p += 8, ++words) {
            std::uint64_t w = 0;
            std::memcpy(&w, p, 8);
            w ^= pattern;
            // The lowest flagged byte is the first zero byte: a borrow only flags bytes above one.
            if (const std::uint64_t zero = (w - kOnes) & ~w & kHighs; zero != 0)
                return p + (std::countr_zero(zero) >> 3);
        }
    }
    const void* hit = std::memchr(p, c, size_t(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

}  // namespace

struct FieldKey::Scratch {
    std::vector<QByteArrayView> views;
    QByteArray unquoted;
    ItemStore keys;
};

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
    if (m_separatorSize == 1)
        return findByte(item.data() + from, item.data() + item.size(), m_separator[0]) - item.data();
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
        const qsizetype quote = findByte(p + from, p + n, '"') - p;
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

qsizetype FieldKey::quotedEnd(QByteArrayView item, qsizetype at) const {
    const char* p = item.data();
    const qsizetype n = item.size();
    for (qsizetype from = at + 1;;) {
        const qsizetype quote = findByte(p + from, p + n, '"') - p;
        if (quote == n) return n;
        if (quote + 1 < n && p[quote + 1] == '"') {
            from = quote + 2;
            continue;
        }
        return find(item, quote + 1);
    }
}

QByteArrayView FieldKey::of(QByteArrayView item, QByteArray& out) const {
    const qsizetype n = item.size();
    qsizetype at = 0;
    for (int column = 1;; ++column) {
        const bool quoted = m_quoted && at < n && item[at] == '"';
        if (column == m_column) {
            qsizetype end = 0;
            return quoted ? quotedField(item, at, out, &end) : item.sliced(at, find(item, at) - at);
        }
        // A field before the one wanted: only its end counts.
        const qsizetype end = quoted ? quotedEnd(item, at) : find(item, at);
        if (end >= n) return {};  // fewer columns
        at = end + m_separatorSize;
    }
}

QByteArray FieldKey::of(QByteArrayView item) const {
    QByteArray out;
    out.reserve(item.size());
    return of(item, out).toByteArray();
}

void FieldKey::blockKeys(const ItemBlock& block, qsizetype from, Scratch& scratch) const {
    // No key is longer than its item: room for the whole block's bytes means no reallocation.
    scratch.unquoted.clear();
    scratch.unquoted.reserve(block.bytes.size());
    scratch.views.clear();
    scratch.views.reserve(size_t(block.count()));
    const char* bytes = block.bytes.constData();
    std::uint32_t begin = 0;
    for (qsizetype k = 0; k < block.count(); ++k) {
        const std::uint32_t end = block.ends[size_t(k)];
        if (k >= from)
            scratch.views.push_back(of(QByteArrayView(bytes + begin, end - begin), scratch.unquoted));
        begin = end;
    }
}

ItemStore FieldKey::keysOf(const ItemStore& items, const MatchOn& on, const std::function<bool()>& pause,
                           HelperThread* helper) {
    const qsizetype from = on.header && !items.isEmpty() ? 1 : 0;
    if (on.wholeItem()) {
        // The texts themselves: the store shares their blocks, and taking out the header copies one.
        ItemStore keys = items;
        if (from) keys.removeAt(0);
        return keys;
    }
    const FieldKey key(on);
    const auto skipped = [&](qsizetype b) { return std::max<qsizetype>(0, from - items.firstIndexOf(b)); };
    ItemStore keys;
    if (!helper || !helper->running() || items.blockCount() < 2) {
        Scratch scratch;
        for (qsizetype b = 0; b < items.blockCount(); ++b) {
            key.blockKeys(items.block(b), skipped(b), scratch);
            keys.appendAll(scratch.views);
            if (!pause()) return keys;
        }
        return keys;
    }
    // Both threads take the next block; each block's keys become a store of their own, whose blocks
    // the answer then shares. A round is short enough for the event loop's turns.
    std::vector<Scratch> round(kRoundBlocks);
    for (qsizetype first = 0; first < items.blockCount(); first += kRoundBlocks) {
        const int parts = int(std::min<qsizetype>(kRoundBlocks, items.blockCount() - first));
        helper->share(
            parts,
            [&](int part) {
                Scratch& scratch = round[size_t(part)];
                key.blockKeys(items.block(first + part), skipped(first + part), scratch);
                scratch.keys.clear();
                scratch.keys.appendAll(scratch.views);
            },
            [&] { pause(); });
        for (int part = 0; part < parts; ++part) {
            keys.append(round[size_t(part)].keys);
            round[size_t(part)].keys.clear();
        }
        if (!pause()) return keys;
    }
    return keys;
}
