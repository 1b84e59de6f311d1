#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string>

// The order of Sort A to Z. A run of ASCII digits compares by its numeric value, whatever its length
// ("item2" before "item10"), and where two runs have the same value, the one with fewer leading zeros
// comes first; other characters compare by code point after Unicode simple case folding; texts equal
// so far compare by their exact bytes last, so the order is total and the same on every run.
//
// The order is that of a key per text, compared byte by byte (a shorter key that is the start of a
// longer one comes first): a character is the UTF-8 of its folded code point, and a digit run is the
// byte '0' (so it sorts where any digit would against other characters), its value's length, its
// digits without leading zeros, and the count of those zeros. Lengths and counts are written as a
// byte count and big-endian bytes, so that the byte order of keys is their numeric order.
namespace NaturalOrder {

// Appends the key of `utf8` to `key`, stopping once `key` holds `limit` bytes or more.
void appendKey(QByteArrayView utf8, std::string& key, size_t limit = SIZE_MAX);

// The first 16 bytes of the key as two big-endian numbers (zero-padded), high half first: a smaller
// prefix means an earlier text; equal prefixes say nothing.
struct Prefix {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};
Prefix prefix(QByteArrayView utf8);

// Negative, zero or positive as `a` sorts before, equal to (byte for byte) or after `b`.
int compare(QByteArrayView a, QByteArrayView b);

}  // namespace NaturalOrder
