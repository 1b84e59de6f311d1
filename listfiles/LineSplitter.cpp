#include "listfiles/LineSplitter.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#else
#include <QtEndian>
#endif

namespace {
// Line ends are found a block at a time: one bit mask per 64 bytes, whose set bits are then taken
// one by one, costs far less than a search call per line.
constexpr int kBlock = 64;

#if defined(__SSE2__) || defined(_M_X64)
// Bit i is set where byte i of the block is CR or LF.
std::uint64_t lineEndMask(const char* block) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int i = 0; i < kBlock / 16; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf));
        mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(hits))) << (16 * i);
    }
    return mask;
}
#else
constexpr std::uint64_t kEveryByte = 0x0101010101010101u;

// Bit 7 of a byte of the result is set exactly where that byte of `word` is CR or LF.
std::uint64_t lineEndBits(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = kEveryByte * 0x7F;
    // A byte is zero when neither its low seven bits plus 0x7F nor its own bit 7 reach bit 7.
    const auto zeroBytes = [](std::uint64_t v) { return ~(((v & kLow7) + kLow7) | v | kLow7); };
    return zeroBytes(word ^ (kEveryByte * '\r')) | zeroBytes(word ^ (kEveryByte * '\n'));
}

// Bit i is set where byte i of the block is CR or LF; eight bytes at a time where SSE2 is missing.
std::uint64_t lineEndMask(const char* block) {
    std::uint64_t mask = 0;
    for (int i = 0; i < kBlock / 8; ++i) {
        const std::uint64_t word = qFromLittleEndian<quint64>(block + 8 * i);
        // Gathers bit 7 of every byte into the top byte, byte k to bit 56 + k.
        mask |= (((lineEndBits(word) >> 7) * 0x0102040810204080u) >> 56) << (8 * i);
    }
    return mask;
}
#endif

// The mask of the block at `block`, which may be cut short by `end`.
std::uint64_t lineEndsFrom(const char* block, const char* end) {
    if (end - block >= kBlock) return lineEndMask(block);
    char padded[kBlock] = {};
    std::memcpy(padded, block, size_t(end - block));
    return lineEndMask(padded);
}

// Lines longer than this give their memory back once handed out, rather than keep it for the next.
constexpr qsizetype kKeptCapacity = 1024 * 1024;

// QByteArray::append copies the whole array each time it outgrows its memory; resize() lets the
// allocator move it instead, which keeps a very long line's growth linear.
void appendBytes(QByteArray& to, QByteArrayView bytes) {
    const qsizetype at = to.size();
    to.resize(at + bytes.size());
    if (!bytes.isEmpty()) std::memcpy(to.data() + at, bytes.data(), size_t(bytes.size()));
}
}  // namespace

QByteArrayView LineSplitter::completeCarried(QByteArrayView end) {
    appendBytes(m_carried, end);
    // The finished line moves aside, so the rest of this chunk can start a new carried line.
    m_completed.swap(m_carried);
    m_carried.resize(0);
    m_lineOpen = false;
    return m_completed;
}

// Inline: the scan loop calls it once per line.
inline const char* LineSplitter::takeLine(const char* p, const char* lineEnd, const char* end,
                                          std::vector<QByteArrayView>& lines) {
    const QByteArrayView line(p, lineEnd - p);
    lines.push_back(m_lineOpen ? completeCarried(line) : line);
    const char* next = lineEnd + 1;
    if (*lineEnd != '\r') return next;
    // The LF of a CR LF pair may only come with the next chunk.
    if (next == end)
        m_skipLf = true;
    else if (*next == '\n')
        ++next;
    return next;
}

void LineSplitter::split(QByteArrayView chunk, std::vector<QByteArrayView>& lines) {
    if (m_completed.capacity() > kKeptCapacity) m_completed = QByteArray();
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    if (m_skipLf && p != end) {
        if (*p == '\n') ++p;
        m_skipLf = false;
    }
    const char* const start = p;
    for (qsizetype offset = 0; offset < end - start; offset += kBlock) {
        const char* const block = start + offset;
        for (std::uint64_t ends = lineEndsFrom(block, end); ends != 0; ends &= ends - 1) {
            const char* lineEnd = block + std::countr_zero(ends);
            // Not before the current line's start: the LF of a CR LF pair went with its CR.
            if (lineEnd >= p) p = takeLine(p, lineEnd, end, lines);
        }
    }
    if (p == end) return;
    appendBytes(m_carried, QByteArrayView(p, end - p));
    m_lineOpen = true;
}

bool LineSplitter::lastLine(QByteArrayView& line) {
    if (!m_lineOpen) return false;
    line = completeCarried({});
    return true;
}

namespace {
// Bytes above 0x7F, eight at a time.
qint64 highBytes(const char* from, const char* to) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    qint64 high = 0;
    for (; to - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        high += std::popcount(word & kHighBits);
    }
    for (; from < to; ++from) high += (uchar(*from) & 0x80) != 0;
    return high;
}
}  // namespace

void LineCounter::count(QByteArrayView chunk) {
    if (chunk.isEmpty()) return;
    const char* const start = chunk.data();
    const char* const end = start + chunk.size();
    // Where the current line's bytes in this chunk start.
    const char* lineFrom = start;
    // One check of the whole chunk almost always tells that every line within it is UTF-8.
    const bool chunkValid = m_judgeLines && Utf8Validator::wholeSequences(chunk, m_lineOpen).isValidUtf8();
    // Just after the latest CR: an LF there is the second half of a CR LF pair, which ends one line.
    const char* afterCr = m_afterCr ? start : nullptr;
    for (qsizetype offset = 0; offset < chunk.size(); offset += kBlock) {
        const char* const block = start + offset;
        for (std::uint64_t ends = lineEndsFrom(block, end); ends != 0; ends &= ends - 1) {
            const char* const at = block + std::countr_zero(ends);
            const qint64 position = m_offset + (at - start);
            if (*at == '\r') {
                afterCr = at + 1;
            } else if (at == afterCr) {
                m_lineStart = position + 1;
                lineFrom = at + 1;
                continue;
            }
            endLine(lineFrom, at, position - m_lineStart, chunkValid);
            m_lineStart = position + 1;
            lineFrom = at + 1;
            ++m_lineEnds;
        }
    }
    if (lineFrom < end) carryLine(lineFrom, end);
    m_offset += chunk.size();
    const char last = chunk.back();
    m_afterCr = last == '\r';
    m_lineOpen = last != '\r' && last != '\n';
}

void LineCounter::endLine(const char* from, const char* to, qint64 length, bool chunkValid) {
    bool valid = true;
    qint64 high = 0;
    if (m_judgeLines) {
        // Longer than its part here: the line began in an earlier chunk, whose part was checked then.
        if (length > to - from) {
            m_openLine.feed(QByteArrayView(from, to));
            valid = m_openLine.finish();
            high = m_openHigh + highBytes(from, to);
        } else {
            valid = chunkValid || QByteArrayView(from, to).isValidUtf8();
            high = valid ? 0 : highBytes(from, to);
        }
        m_openLine = Utf8Validator();
        m_openHigh = 0;
    }
    const qint64 growth = valid ? 0 : 2 * high;
    m_growth += growth;
    m_longest = qMax(m_longest, valid ? length : 2 * length + growth);
}

void LineCounter::carryLine(const char* from, const char* to) {
    if (!m_judgeLines) return;
    m_openLine.feed(QByteArrayView(from, to));
    m_openHigh += highBytes(from, to);
}

qint64 LineCounter::openGrowth() const {
    const bool valid = m_finished ? m_openLine.finish() : m_openLine.validSoFar();
    return valid ? 0 : 2 * m_openHigh;
}

qint64 LineCounter::longestLine() const {
    if (!m_lineOpen) return m_longest;
    const qint64 length = m_offset - m_lineStart;
    const qint64 growth = openGrowth();
    return qMax(m_longest, growth == 0 ? length : 2 * length + growth);
}
