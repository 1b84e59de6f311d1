#include "listops/NaturalOrder.h"

#include "core/Utf8.h"

#include <QChar>

#include <array>
#include <bit>
#include <cstring>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A length or count: how many bytes follow, then the value big-endian, so that byte order is value order.
void appendNumber(std::uint64_t value, std::string& key) {
    int bytes = 0;
    for (std::uint64_t v = value; v; v >>= 8) ++bytes;
    key.push_back(char(bytes));
    for (int b = bytes - 1; b >= 0; --b) key.push_back(char((value >> (8 * b)) & 0xFF));
}

// Decodes the code point at utf8[i] and moves i past it. A byte that starts no valid sequence stands
// for itself: it still gets a place in the order, and the exact bytes decide the rest.
char32_t decode(QByteArrayView utf8, qsizetype& i) {
    const uchar lead = uchar(utf8[i++]);
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (lead >= 0xF5 || (lead >= 0x80 && more == 0) || i + more > utf8.size()) return lead;
    char32_t c = lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        const uchar next = uchar(utf8[i + k]);
        if ((next & 0xC0) != 0x80) return lead;
        c = (c << 6) | (next & 0x3F);
    }
    i += more;
    return c;
}

// The digit run at utf8[i]: appends its key and moves i past it.
void appendDigits(QByteArrayView utf8, qsizetype& i, std::string& key) {
    const qsizetype start = i;
    while (i < utf8.size() && utf8[i] == '0') ++i;
    const qsizetype zeros = i - start;
    const qsizetype valueStart = i;
    while (i < utf8.size() && isDigit(utf8[i])) ++i;
    key.push_back('0');
    appendNumber(std::uint64_t(i - valueStart), key);
    key.append(utf8.data() + valueStart, size_t(i - valueStart));
    appendNumber(std::uint64_t(zeros), key);
}

char32_t foldedAt(QByteArrayView utf8, qsizetype& i) {
    const char c = utf8[i];
    if (uchar(c) < 0x80) {
        ++i;
        return char32_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return QChar::toCaseFolded(decode(utf8, i));
}

// The digit run at a[i] against the one at b[j], as their keys compare; moves both past them.
int compareRuns(QByteArrayView a, qsizetype& i, QByteArrayView b, qsizetype& j) {
    auto skip = [](QByteArrayView t, qsizetype& k, auto&& digit) {
        const qsizetype start = k;
        while (k < t.size() && digit(t[k])) ++k;
        return k - start;
    };
    const qsizetype zerosA = skip(a, i, [](char c) { return c == '0'; });
    const qsizetype zerosB = skip(b, j, [](char c) { return c == '0'; });
    const qsizetype startA = i, startB = j;
    const qsizetype lengthA = skip(a, i, isDigit);
    const qsizetype lengthB = skip(b, j, isDigit);
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    if (const int digits = std::memcmp(a.data() + startA, b.data() + startB, size_t(lengthA)))
        return digits < 0 ? -1 : 1;
    if (zerosA != zerosB) return zerosA < zerosB ? -1 : 1;
    return 0;
}

constexpr std::uint64_t kEachByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The high bit of each byte of `word` (ASCII bytes only) that is `c` or more.
constexpr std::uint64_t atLeast(std::uint64_t word, uchar c) {
    return (word + (0x80 - c) * kEachByte) & kHighBits;
}

// No eight folded bytes of ASCII have a high bit.
constexpr std::uint64_t kNotFolded = kHighBits;

// Eight bytes of ASCII letters and signs, folded as foldedAt() folds each; kNotFolded when they hold
// a digit or a byte beyond ASCII, which are keyed otherwise.
std::uint64_t foldedEight(QByteArrayView t, qsizetype at) {
    std::uint64_t word;
    std::memcpy(&word, t.data() + at, 8);
    if (word & kHighBits) return kNotFolded;
    if (atLeast(word, '0') & ~atLeast(word, '9' + 1)) return kNotFolded;
    const std::uint64_t upper = atLeast(word, 'A') & ~atLeast(word, 'Z' + 1);
    return word | (upper >> 2);
}

// Skips the stretch from a[i] and b[j] where both are the same letters and signs but for case, eight
// bytes at a time: long texts that differ only in case would otherwise be folded a byte at a time.
void skipSameFolded(QByteArrayView a, qsizetype& i, QByteArrayView b, qsizetype& j) {
    while (i + 8 <= a.size() && j + 8 <= b.size()) {
        const std::uint64_t x = foldedEight(a, i);
        if (x == kNotFolded || x != foldedEight(b, j)) return;
        i += 8;
        j += 8;
    }
}

// The keys of `a` and `b` compared token by token from `from`, a token start in both, without
// writing them: the first token that differs decides, as it would byte by byte (no token's key is
// the start of another's).
int compareKeys(QByteArrayView a, QByteArrayView b, qsizetype from) {
    qsizetype i = from, j = from;
    while (i < a.size() && j < b.size()) {
        skipSameFolded(a, i, b, j);
        if (i == a.size() || j == b.size()) break;
        const bool digitA = isDigit(a[i]), digitB = isDigit(b[j]);
        if (digitA && digitB) {
            if (const int runs = compareRuns(a, i, b, j)) return runs;
            continue;
        }
        // A digit run's key starts with '0', which no folded character equals.
        const char32_t ca = digitA ? U'0' : foldedAt(a, i);
        const char32_t cb = digitB ? U'0' : foldedAt(b, j);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

// How many bytes `a` and `b` have in common at their start, eight at a time.
qsizetype commonBytes(QByteArrayView a, QByteArrayView b) {
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype k = 0;
    for (; k + 8 <= n; k += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a.data() + k, 8);
        std::memcpy(&y, b.data() + k, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little) return k + std::countr_zero(x ^ y) / 8;
            return k + std::countl_zero(x ^ y) / 8;
        }
    }
    while (k < n && a[k] == b[k]) ++k;
    return k;
}

bool isContinuation(QByteArrayView t, qsizetype k) {
    return k < t.size() && (uchar(t[k]) & 0xC0) == 0x80;
}

// The last place at or before `same` where both texts start a token, given that their first `same`
// bytes are equal: the tokens before it are the same in both, so their keys are too. A character's
// bytes (or a broken sequence, which the first byte after `same` ends alike in both) and a digit run
// are never cut.
qsizetype commonTokenStart(QByteArrayView a, QByteArrayView b, qsizetype same) {
    while (same > 0 && (isContinuation(a, same) || isContinuation(b, same))) --same;
    while (same > 0 && isDigit(a[same - 1])) --same;
    return same;
}

}  // namespace

namespace NaturalOrder {

void appendKey(QByteArrayView utf8, std::string& key, size_t limit) {
    qsizetype i = 0;
    while (i < utf8.size() && key.size() < limit) {
        const char c = utf8[i];
        if (isDigit(c)) {
            appendDigits(utf8, i, key);
        } else if (uchar(c) < 0x80) {
            key.push_back(c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c);
            ++i;
        } else {
            appendUtf8(QChar::toCaseFolded(decode(utf8, i)), key);
        }
    }
}

Prefix prefix(QByteArrayView utf8) {
    // Most texts start with plain ASCII letters and signs, each its own key byte: those are folded
    // straight into the prefix, and the first digit or other byte hands the rest to appendKey.
    std::array<uchar, 16> bytes{};
    qsizetype i = 0;
    for (; i < utf8.size() && i < 16; ++i) {
        const uchar c = uchar(utf8[i]);
        if (c >= 0x80 || isDigit(char(c))) break;
        bytes[size_t(i)] = c >= 'A' && c <= 'Z' ? uchar(c + ('a' - 'A')) : c;
    }
    if (i < 16 && i < utf8.size()) {
        thread_local std::string key;
        key.assign(reinterpret_cast<const char*>(bytes.data()), size_t(i));
        appendKey(utf8.sliced(i), key, 16);
        std::memcpy(bytes.data(), key.data(), std::min<size_t>(16, key.size()));
    }
    auto half = [&](size_t from) {
        std::uint64_t value = 0;
        for (size_t b = from; b < from + 8; ++b) value = (value << 8) | bytes[b];
        return value;
    };
    return {half(0), half(8)};
}

int compare(QByteArrayView a, QByteArrayView b) {
    // Texts in a sorted list often share their start, and repeated items are common: the shared
    // bytes are read once, and equal bytes are equal keys.
    const qsizetype same = commonBytes(a, b);
    if (same == a.size() && same == b.size()) return 0;
    if (const int byKey = compareKeys(a, b, commonTokenStart(a, b, same))) return byKey;
    if (same == a.size()) return -1;
    if (same == b.size()) return 1;
    return uchar(a[same]) < uchar(b[same]) ? -1 : 1;
}

}  // namespace NaturalOrder
