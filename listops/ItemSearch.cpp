#include "listops/ItemSearch.h"

#include "listops/CompareKey.h"
#include "listops/TextHash.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
using Byte = unsigned char;

// Where the lexicographically greatest suffix of x[0, m) starts, minus one, under the byte order or
// its reverse; `period` is that suffix's period.
qsizetype maximalSuffix(const Byte* x, qsizetype m, bool reversed, qsizetype& period) {
    qsizetype ms = -1;
    qsizetype j = 0;
    qsizetype k = 1;
    qsizetype p = 1;
    while (j + k < m) {
        const Byte a = x[j + k];
        const Byte b = x[ms + k];
        if (reversed ? a > b : a < b) {
            j += k;
            k = 1;
            p = j - ms;
        } else if (a == b) {
            if (k != p) {
                ++k;
            } else {
                j += p;
                k = 1;
            }
        } else {
            ms = j++;
            k = p = 1;
        }
    }
    period = p;
    return ms;
}

bool isAsciiUpper(Byte c) {
    return Byte(c - 'A') < 26;
}
bool isAsciiLower(Byte c) {
    return Byte(c - 'a') < 26;
}

struct SameByte {
    Byte operator()(Byte c) const { return c; }
};
struct LowerByte {
    Byte operator()(Byte c) const { return isAsciiUpper(c) ? Byte(c | 0x20) : c; }
};

// A word of any bytes with A to Z in lower case: the high bits are set aside so no byte carries
// into the next, and bytes beyond ASCII stay as they are.
std::uint64_t lowerWord(std::uint64_t w) {
    using CompareKey::Quick::kHigh;
    return w | ((CompareKey::Quick::upperMask(w & ~kHigh) & ~w) >> 2);
}

bool sameLowered(const char* y, const char* x, qsizetype n) {
    qsizetype i = 0;
    for (; n - i >= 8; i += 8)
        if (lowerWord(TextHash::read64(y + i)) != TextHash::read64(x + i)) return false;
    for (; i < n; ++i)
        if (LowerByte()(Byte(y[i])) != Byte(x[i])) return false;
    return true;
}

// The compares at candidate places may cost this many times the bytes scanned (plus a little)
// before the two-way algorithm takes over.
constexpr qsizetype kCompareShare = 4;
constexpr qsizetype kCompareSlack = 4096;
}  // namespace

ItemSearch::ItemSearch(QByteArray needle, Letters letters)
    : m_needle(std::move(needle)),
      m_length(m_needle.size()),
      m_caseless(letters == Letters::IgnoringAsciiCase) {
    if (m_length == 0) return;
    if (m_caseless) {
        for (char& c : m_needle) c = char(LowerByte()(Byte(c)));
        m_firstMask = isAsciiLower(Byte(m_needle.front())) ? 0x20 : 0;
        m_lastMask = isAsciiLower(Byte(m_needle.back())) ? 0x20 : 0;
    }
    const auto* x = reinterpret_cast<const Byte*>(m_needle.constData());
    qsizetype p = 1;
    qsizetype q = 1;
    const qsizetype i = maximalSuffix(x, m_length, false, p);
    const qsizetype j = maximalSuffix(x, m_length, true, q);
    m_split = std::max(i, j);
    m_period = i > j ? p : q;
    // The suffix's period is at most its length, so both ranges lie inside the text.
    m_periodic = std::memcmp(x, x + m_period, size_t(m_split + 1)) == 0;
    if (!m_periodic) m_period = std::max(m_split + 1, m_length - m_split - 1) + 1;
}

qsizetype ItemSearch::twoWay(const char* text, qsizetype from, qsizetype lastStart) const {
    return m_caseless ? twoWayMapped<LowerByte>(text, from, lastStart)
                      : twoWayMapped<SameByte>(text, from, lastStart);
}

// The two-way search of the text in `text` read through Map: the text's bytes are Map's images already.
template <class Map>
qsizetype ItemSearch::twoWayMapped(const char* text, qsizetype from, qsizetype lastStart) const {
    const Map map;
    const auto* x = reinterpret_cast<const Byte*>(m_needle.constData());
    const auto* y = reinterpret_cast<const Byte*>(text);
    const qsizetype m = m_length;
    const qsizetype ell = m_split;
    // Periodic texts remember how much of the left part matched after a shift by the period.
    qsizetype memory = -1;
    for (qsizetype j = from; j <= lastStart;) {
        qsizetype i = std::max(ell, memory) + 1;
        while (i < m && x[i] == map(y[i + j])) ++i;
        if (i < m) {
            j += i - ell;
            memory = -1;
            continue;
        }
        const qsizetype floor = m_periodic ? memory : -1;
        i = ell;
        while (i > floor && x[i] == map(y[i + j])) --i;
        if (i <= floor) return j;
        j += m_period;
        if (m_periodic) memory = m - m_period - 1;
    }
    return -1;
}

qsizetype ItemSearch::candidate(const char* y, qsizetype from, qsizetype lastStart) const {
    const char first = m_needle.front();
    const char last = m_needle.back();
    qsizetype p = from;
    if (m_length == 1 && m_firstMask == 0) {
        const void* hit = p <= lastStart ? std::memchr(y + p, first, size_t(lastStart + 1 - p)) : nullptr;
        return hit ? static_cast<const char*>(hit) - y : -1;
    }
#if defined(__SSE2__)
    const __m128i f = _mm_set1_epi8(first);
    const __m128i l = _mm_set1_epi8(last);
    const __m128i fm = _mm_set1_epi8(m_firstMask);
    const __m128i lm = _mm_set1_epi8(m_lastMask);
    for (; p + 15 <= lastStart; p += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + p)), fm);
        const __m128i b =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y + p + m_length - 1)), lm);
        const unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, f), _mm_cmpeq_epi8(b, l))));
        if (mask != 0) return p + std::countr_zero(mask);
    }
#endif
    for (; p <= lastStart; ++p)
        if (char(y[p] | m_firstMask) == first && char(y[p + m_length - 1] | m_lastMask) == last) return p;
    return -1;
}

bool ItemSearch::matchesAt(const char* y) const {
    if (m_length <= 2) return true;
    if (m_caseless) return sameLowered(y + 1, m_needle.constData() + 1, m_length - 2);
    return std::memcmp(y + 1, m_needle.constData() + 1, size_t(m_length - 2)) == 0;
}

ItemSearch::Result ItemSearch::next(const ItemBlock& block, qsizetype& k, qsizetype& at, qsizetype to,
                                    qsizetype budget) {
    if (m_length == 0) return Result::Found;
    const char* y = block.bytes.constData();
    const qsizetype m = m_length;
    const qsizetype lastStartInRange = qsizetype(block.ends[size_t(to - 1)]) - m;
    const qsizetype stop = at + budget;
    while (k < to) {
        if (at > lastStartInRange) break;
        if (at >= stop) return Result::Paused;
        const qsizetype itemEnd = block.ends[size_t(k)];
        if (itemEnd - at < m) {
            at = itemEnd;
            ++k;
            continue;
        }
        if (m_compared > kCompareShare * m_scanned + kCompareSlack) {
            // A window of at least the text's length, so every call gets on by as much as it compares.
            const qsizetype lastStart = itemEnd - m;
            const qsizetype windowLast = std::min(lastStart, std::max(stop, at + m));
            const qsizetype found = twoWay(y, at, windowLast);
            m_scanned += windowLast + 1 - at;
            if (found >= 0) {
                at = found;
                return Result::Found;
            }
            if (windowLast < lastStart) {
                at = windowLast + 1;
                return Result::Paused;
            }
            at = itemEnd;
            ++k;
            continue;
        }
        const qsizetype scanLast = std::min(lastStartInRange, stop);
        const qsizetype c = candidate(y, at, scanLast);
        if (c < 0) {
            m_scanned += scanLast + 1 - at;
            at = scanLast + 1;
            while (k < to && qsizetype(block.ends[size_t(k)]) <= at) ++k;
            if (scanLast == lastStartInRange) break;
            return Result::Paused;
        }
        m_scanned += c + 1 - at;
        while (qsizetype(block.ends[size_t(k)]) <= c) ++k;
        const qsizetype end = block.ends[size_t(k)];
        // A place that runs past its item's end is no match, nor is any later place in that item.
        if (c + m > end) {
            at = end;
            ++k;
            continue;
        }
        m_compared += m;
        if (matchesAt(y + c)) {
            at = c;
            return Result::Found;
        }
        at = c + 1;
    }
    k = to;
    at = block.ends[size_t(to - 1)];
    return Result::None;
}

bool ItemSearch::contains(QByteArrayView haystack) const {
    if (m_length == 0) return true;
    if (haystack.size() < m_length) return false;
    return twoWay(haystack.data(), 0, haystack.size() - m_length) >= 0;
}
