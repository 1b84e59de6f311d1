#pragma once

#include "core/CompareOptions.h"
#include "listops/TextHash.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// The text two items are compared by under the window's compare options: equal keys, equal items.
// Exact comparison keys an item by its own bytes. Ignoring letter case folds each character as
// QString::compare(..., Qt::CaseInsensitive) does (Unicode simple case folding, QChar::toCaseFolded);
// ignoring spaces drops QChar::isSpace characters at both ends, as QString::trimmed() does. Keys are
// UTF-8. An item of ASCII only takes no Unicode work, and most keys need no copy at all.
namespace CompareKey {

// The key of an item, as its own array.
QByteArray of(QByteArrayView utf8, const CompareOptions& options);

// The key of an item without allocating: a view of `utf8` itself where the key is a stretch of it
// (exact, trimmed only, or nothing to fold), else of `scratch`, which it overwrites. The view stays
// valid while both `utf8` and `scratch` are untouched.
QByteArrayView view(QByteArrayView utf8, const CompareOptions& options, QByteArray& scratch);

// Appends `utf8` with its letters case-folded, as ignoring case compares them.
void appendFolded(QByteArrayView utf8, QByteArray& out);

// `utf8` without the QChar::isSpace characters at its start and end.
QByteArrayView trimmed(QByteArrayView utf8);

// Whether the key of every text in `utf8` (items back to back) can be found byte-wise: ASCII only
// means no character outside it to fold or trim.
bool isAscii(QByteArrayView utf8);

// The ASCII letters that a character beyond ASCII folds to: KELVIN SIGN to k, LONG S to s.
inline constexpr char kAsciiFoldedFromBeyond[] = "ks";

// Whether the folded text `folded` occurs in an item's folded form exactly where it occurs in the
// item's own bytes with A to Z taken as a to z, whatever else the item holds: true for ASCII without
// the letters above, since every other character beyond ASCII folds to one beyond ASCII.
bool foundIgnoringAsciiCase(QByteArrayView folded);

// The same for texts beyond ASCII, with the keys made.
std::uint64_t foldedHash(QByteArrayView text, std::uint64_t seed);
bool sameFolded(QByteArrayView a, QByteArrayView b);

// Inline: a hash table runs these once or twice for every item, and most items are short ASCII.
namespace Quick {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// The high bit of each byte of an all-ASCII word that holds 'A' to 'Z'.
inline std::uint64_t upperMask(std::uint64_t w) {
    return (w + (0x80 - 'A') * kOnes) & ~(w + (0x80 - 'Z' - 1) * kOnes) & kHigh;
}
// An all-ASCII word with its letters in lower case.
struct LowerAscii {
    std::uint64_t operator()(std::uint64_t w) const { return w | (upperMask(w) >> 2); }
};

inline bool asciiSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Short texts in a few overlapping reads.
inline bool isAscii(QByteArrayView text) {
    const char* p = text.data();
    const qsizetype n = text.size();
    if (n > 32) return CompareKey::isAscii(text);
    std::uint64_t any = 0;
    if (n >= 8) {
        for (qsizetype i = 0; i + 8 <= n; i += 8) any |= TextHash::read64(p + i);
        any |= TextHash::read64(p + n - 8);
    } else if (n >= 4) {
        any = TextHash::read32(p) | TextHash::read32(p + n - 4);
    } else {
        for (qsizetype i = 0; i < n; ++i) any |= std::uint8_t(p[i]);
    }
    return (any & kHigh) == 0;
}

// Most items have no space at either end: one look at the end bytes settles it.
inline QByteArrayView trimmed(QByteArrayView text) {
    if (text.isEmpty()) return text;
    const auto first = std::uint8_t(text.front());
    const auto last = std::uint8_t(text.back());
    if (first < 0x80 && last < 0x80 && !asciiSpace(first) && !asciiSpace(last)) return text;
    return CompareKey::trimmed(text);
}

// Two ASCII texts of equal length.
inline bool sameAsciiIgnoringCase(const char* a, const char* b, qsizetype n) {
    const LowerAscii lower;
    if (n >= 8) {
        for (qsizetype i = 0; i + 8 <= n; i += 8)
            if (lower(TextHash::read64(a + i)) != lower(TextHash::read64(b + i))) return false;
        return lower(TextHash::read64(a + n - 8)) == lower(TextHash::read64(b + n - 8));
    }
    if (n >= 4)
        return lower(TextHash::read32(a)) == lower(TextHash::read32(b)) &&
               lower(TextHash::read32(a + n - 4)) == lower(TextHash::read32(b + n - 4));
    for (qsizetype i = 0; i < n; ++i)
        if (lower(std::uint8_t(a[i])) != lower(std::uint8_t(b[i]))) return false;
    return true;
}

}  // namespace Quick

// Empty; with ignoreSpaces, also white space only.
inline bool isBlank(QByteArrayView utf8, const CompareOptions& options) {
    if (utf8.isEmpty()) return true;
    return options.ignoreSpaces && Quick::trimmed(utf8).isEmpty();
}

// What a hash table of items needs (both for options that are not exact): the hash of an item's key
// and whether two items' keys are equal, without making the keys where the texts are ASCII.
inline std::uint64_t hash(QByteArrayView utf8, const CompareOptions& options, std::uint64_t seed) {
    const QByteArrayView text = options.ignoreSpaces ? Quick::trimmed(utf8) : utf8;
    if (!options.ignoreCase) return TextHash::hashBytes(text.data(), size_t(text.size()), seed);
    if (Quick::isAscii(text))
        return TextHash::hashBytes(text.data(), size_t(text.size()), seed, Quick::LowerAscii());
    return foldedHash(text, seed);
}

inline bool same(QByteArrayView a, QByteArrayView b, const CompareOptions& options) {
    if (options.ignoreSpaces) {
        a = Quick::trimmed(a);
        b = Quick::trimmed(b);
    }
    if (!options.ignoreCase) return a == b;
    // An ASCII text's key is as long as the text; folding other texts may change their length.
    const bool asciiA = Quick::isAscii(a);
    if (asciiA && a.size() == b.size() && Quick::isAscii(b))
        return Quick::sameAsciiIgnoringCase(a.data(), b.data(), a.size());
    if (asciiA && Quick::isAscii(b)) return false;
    return sameFolded(a, b);
}

}  // namespace CompareKey
