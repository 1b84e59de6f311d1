#include "listops/CompareKey.h"

#include "core/Utf8.h"

#include "listops/TextHash.h"

#include <QChar>

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using CompareKey::Quick::asciiSpace;
using CompareKey::Quick::kHigh;
using CompareKey::Quick::LowerAscii;
using CompareKey::Quick::upperMask;

std::uint64_t load(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// One code point from `p` (p < end). An invalid sequence (the store holds none) is one byte that
// keys as itself: `code` is then -1.
int decode(const unsigned char* p, const unsigned char* end, std::int32_t& code) {
    const unsigned char c = p[0];
    code = -1;
    const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (c < 0x80 || c >= 0xF8 || end - p < length) {
        if (c < 0x80) code = c;
        return 1;
    }
    std::int32_t value = c & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 1;
        value = (value << 6) | (p[i] & 0x3F);
    }
    code = value;
    return length;
}

bool spaceAt(const unsigned char* p, const unsigned char* end, int& length) {
    if (*p < 0x80) {
        length = 1;
        return asciiSpace(*p);
    }
    std::int32_t code;
    length = decode(p, end, code);
    return code >= 0 && QChar::isSpace(char32_t(code));
}

enum class Letters { Folded, AsciiUpper, Other };

Letters lettersOf(QByteArrayView text) {
    const char* p = text.data();
    const char* end = p + text.size();
    bool upper = false;
    for (; end - p >= 8; p += 8) {
        const std::uint64_t w = load(p);
        if (w & kHigh) return Letters::Other;
        upper = upper || upperMask(w);
    }
    for (; p < end; ++p) {
        if (std::uint8_t(*p) >= 0x80) return Letters::Other;
        upper = upper || (*p >= 'A' && *p <= 'Z');
    }
    return upper ? Letters::AsciiUpper : Letters::Folded;
}

void appendLowerAscii(QByteArrayView text, QByteArray& out) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    const char* p = text.data();
    char* o = out.data() + start;
    qsizetype i = 0;
    for (; text.size() - i >= 8; i += 8) {
        const std::uint64_t lowered = LowerAscii()(load(p + i));
        std::memcpy(o + i, &lowered, sizeof lowered);
    }
    for (; i < text.size(); ++i) o[i] = (p[i] >= 'A' && p[i] <= 'Z') ? char(p[i] | 0x20) : p[i];
}

void appendFoldedUnicode(QByteArrayView text, QByteArray& out) {
    out.reserve(out.size() + text.size() + 4);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        std::int32_t code;
        const int length = decode(p, end, code);
        if (code < 0)
            out.append(char(*p));
        else
            appendUtf8(QChar::toCaseFolded(char32_t(code)), out);
        p += length;
    }
}

// The keys of texts beyond ASCII are made, one scratch array per thread and text: the helper thread
// hashes and compares too.
QByteArrayView foldedKey(QByteArrayView text, int which) {
    thread_local QByteArray scratch[2];
    return CompareKey::view(text, CompareOptions{true, false}, scratch[which]);
}

}  // namespace

namespace CompareKey {

std::uint64_t foldedHash(QByteArrayView text, std::uint64_t seed) {
    const QByteArrayView key = foldedKey(text, 0);
    return TextHash::hashBytes(key.data(), size_t(key.size()), seed);
}

bool sameFolded(QByteArrayView a, QByteArrayView b) {
    return foldedKey(a, 0) == foldedKey(b, 1);
}

QByteArrayView trimmed(QByteArrayView utf8) {
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* p = begin;
    const auto* end = p + utf8.size();
    int length = 0;
    while (p < end && spaceAt(p, end, length)) p += length;
    while (end > p) {
        const unsigned char* start = end - 1;
        while (start > p && (*start & 0xC0) == 0x80 && end - start < 4) --start;
        if (!spaceAt(start, end, length) || start + length != end) break;
        end = start;
    }
    return QByteArrayView(utf8.data() + (p - begin), end - p);
}

bool isAscii(QByteArrayView utf8) {
    const char* p = utf8.data();
    const char* end = p + utf8.size();
#if defined(__SSE2__)
    // A search ignoring case looks at every stretch of items first: 64 bytes a step.
    __m128i wide = _mm_setzero_si128();
    for (; end - p >= 64; p += 64) {
        const auto* v = reinterpret_cast<const __m128i*>(p);
        wide = _mm_or_si128(wide, _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                               _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3))));
    }
    if (_mm_movemask_epi8(wide) != 0) return false;
#endif
    std::uint64_t any = 0;
    for (; end - p >= 8; p += 8) any |= load(p);
    for (; p < end; ++p) any |= std::uint8_t(*p);
    return (any & kHigh) == 0;
}

QByteArrayView view(QByteArrayView utf8, const CompareOptions& options, QByteArray& scratch) {
    const QByteArrayView text = options.ignoreSpaces ? trimmed(utf8) : utf8;
    if (!options.ignoreCase) return text;
    switch (lettersOf(text)) {
        case Letters::Folded:
            return text;
        case Letters::AsciiUpper:
            scratch.clear();
            appendLowerAscii(text, scratch);
            break;
        case Letters::Other:
            scratch.clear();
            appendFoldedUnicode(text, scratch);
            break;
    }
    return QByteArrayView(scratch);
}

QByteArray of(QByteArrayView utf8, const CompareOptions& options) {
    QByteArray scratch;
    const QByteArrayView key = view(utf8, options, scratch);
    if (key.data() == scratch.constData() && key.size() == scratch.size()) return scratch;
    return key.toByteArray();
}

bool foundIgnoringAsciiCase(QByteArrayView folded) {
    if (!isAscii(folded)) return false;
    for (const char* c = kAsciiFoldedFromBeyond; *c; ++c)
        if (folded.contains(*c)) return false;
    return true;
}

void appendFolded(QByteArrayView utf8, QByteArray& out) {
    if (isAscii(utf8))
        appendLowerAscii(utf8, out);
    else
        appendFoldedUnicode(utf8, out);
}

}  // namespace CompareKey
