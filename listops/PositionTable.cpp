#include "listops/PositionTable.h"

#include "core/Platform.h"
#include "core/RunTimeError.h"
#include "panes/ItemStore.h"

#include <QHashFunctions>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Two-thirds full at most keeps linear probes short; lists repeat many of their texts, so most
// tables stay far emptier than that.
size_t slotCountFor(qsizetype capacity) {
    size_t slots = 16;
    while (slots < size_t(capacity) + size_t(capacity) / 2) slots *= 2;
    return slots;
}

// Every item is hashed, and the texts are short: a multiply-and-fold hash (after wyhash) takes a
// fraction of the time Qt's seeded hash needs for byte strings of this length.
constexpr std::uint64_t kSecret0 = 0xa0761d6478bd642full;
constexpr std::uint64_t kSecret1 = 0xe7037ed1a0b428dbull;

std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    const Platform::Wide product = Platform::multiplyWide(a, b);
    return product.low ^ product.high;
}

std::uint64_t read64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t read32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The seed's own mixing step, done once per table.
std::uint64_t mixedSeed(std::uint64_t seed) {
    return seed ^ fold(seed ^ kSecret0, kSecret1);
}

std::uint64_t hashBytes(const char* p, size_t n, std::uint64_t seed) {
    std::uint64_t a = 0, b = 0;
    if (n > 16) {
        size_t left = n;
        for (; left > 16; left -= 16, p += 16) seed = fold(read64(p) ^ kSecret1, read64(p + 8) ^ seed);
        a = read64(p + left - 16);
        b = read64(p + left - 8);
    } else if (n >= 4) {
        // Two overlapping reads from each end cover 4 to 16 bytes.
        const size_t quarter = (n >> 3) << 2;
        a = (read32(p) << 32) | read32(p + quarter);
        b = (read32(p + n - 4) << 32) | read32(p + n - 4 - quarter);
    } else if (n > 0) {
        a = (std::uint64_t(std::uint8_t(p[0])) << 16) | (std::uint64_t(std::uint8_t(p[n >> 1])) << 8) |
            std::uint8_t(p[n - 1]);
    }
    const Platform::Wide product = Platform::multiplyWide(a ^ kSecret1, b ^ seed);
    return fold(product.low ^ kSecret0 ^ n, product.high ^ kSecret1);
}

}  // namespace

PositionTable::PositionTable(const ItemStore& items, qsizetype capacity, int hashBits, qsizetype entries)
    : m_items(items), m_capacity(capacity < 0 ? 0 : capacity), m_seed(mixedSeed(QHashSeed::globalSeed())) {
    // Positions stay below 2^31 (a pane's item count is an int): at least one bit is left for the hash.
    m_positionBits = std::max(1, int(std::bit_width(quint64(m_capacity))));
    if (m_positionBits > 31) throw std::bad_alloc();
    m_positionMask = (Slot(1) << m_positionBits) - 1;
    const int tagBits = std::clamp(hashBits, 0, 32 - m_positionBits);
    m_tagMask = Slot(((std::uint64_t(1) << tagBits) - 1) << m_positionBits);
    const size_t slots = slotCountFor(entries < 0 ? m_capacity : entries);
    const size_t bytes = slots * sizeof(Slot);
    // Large pages would cut the address-cache misses of lookups, but where the system has to
    // gather them first it stalls the window for hundreds of milliseconds at a touch.
    m_slots =
        std::unique_ptr<Slot[], Release>(static_cast<Slot*>(Platform::allocateZeroed(bytes)), Release{bytes});
    if (!m_slots) throw std::bad_alloc();
    m_mask = slots - 1;
}

void PositionTable::Release::operator()(Slot* table) const {
    Platform::freeZeroed(table, bytes);
}

bool PositionTable::touchSome() {
    constexpr size_t kPiece = 4 * 1024 * 1024;
    const size_t bytes = m_slots.get_deleter().bytes;
    const size_t piece = std::min(kPiece, bytes - m_touched);
    std::memset(reinterpret_cast<char*>(m_slots.get()) + m_touched, 0, piece);
    m_touched += piece;
    return m_touched >= bytes;
}

size_t PositionTable::hashOf(QByteArrayView text) const {
    // A per-run random seed keeps a crafted list from piling its items into one probe chain.
    return size_t(hashBytes(text.data(), size_t(text.size()), m_seed));
}

size_t PositionTable::probe(QByteArrayView text, size_t hash) const {
    const Slot tag = tagOf(hash);
    for (size_t index = hash & m_mask;; index = (index + 1) & m_mask) {
        const Slot slot = m_slots[index];
        if (slot == 0) return index;
        if (agrees(slot, tag) && sameBytes(m_items.text(positionIn(slot) - 1), text)) return index;
    }
}

size_t PositionTable::probeBits(size_t hash) const {
    const Slot tag = tagOf(hash);
    for (size_t index = hash & m_mask;; index = (index + 1) & m_mask) {
        const Slot slot = m_slots[index];
        if (slot == 0 || agrees(slot, tag)) return index;
    }
}

int PositionTable::firstAgreeing(size_t hash) const {
    return positionIn(m_slots[probeBits(hash)]);
}

int PositionTable::claim(size_t hash, int position) {
    Slot& slot = m_slots[probeBits(hash)];
    if (slot != 0) return positionIn(slot);
    add(slot, hash, position);
    return 0;
}

int PositionTable::find(QByteArrayView text, size_t hash) const {
    return positionIn(m_slots[probe(text, hash)]);
}

int PositionTable::findOrAdd(QByteArrayView text, int position, size_t hash) {
    Slot& slot = m_slots[probe(text, hash)];
    if (slot != 0) return positionIn(slot);
    add(slot, hash, position);
    return 0;
}

void PositionTable::add(Slot& slot, size_t hash, int position) {
    if (m_size >= qsizetype(m_mask / 3 * 2) || position < 1 || position > m_capacity)
        throw RunTimeError(QStringLiteral("Subscript out of range"), 9);
    slot = tagOf(hash) | Slot(position);
    ++m_size;
}
