#include "listops/PositionTable.h"

#include "core/Platform.h"
#include "core/RunTimeError.h"
#include "store/ItemStore.h"

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

}  // namespace

PositionTable::PositionTable(const ItemStore& items, qsizetype capacity, int hashBits, qsizetype entries,
                             CompareOptions options)
    : m_items(items),
      m_capacity(capacity < 0 ? 0 : capacity),
      m_seed(TextHash::mixedSeed(QHashSeed::globalSeed())) {
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
    m_limit = qsizetype(slots - slots / 4);
    m_hashBits = hashBits;
    m_options = options;
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

size_t PositionTable::probe(QByteArrayView text, size_t hash) const {
    const Slot tag = tagOf(hash);
    for (size_t index = hash & m_mask;; index = (index + 1) & m_mask) {
        const Slot slot = m_slots[index];
        if (slot == 0) return index;
        if (agrees(slot, tag) && same(m_items.text(positionIn(slot) - 1), text)) return index;
    }
}

int PositionTable::find(QByteArrayView text, size_t hash) const {
    const int position = positionIn(m_slots[probe(text, hash)]);
    return position != 0 || !m_spill ? position : m_spill->find(text, hash);
}

int PositionTable::findOrAdd(QByteArrayView text, int position, size_t hash) {
    Slot& slot = m_slots[probe(text, hash)];
    if (slot != 0) return positionIn(slot);
    if (m_spill) return m_spill->findOrAdd(text, position, hash);
    add(slot, hash, position);
    return 0;
}

void PositionTable::spill(size_t hash, int position) {
    // Each position is added once at most, so the items still to come are fewer than this.
    m_spill =
        std::make_unique<PositionTable>(m_items, m_capacity, m_hashBits, m_capacity - m_size, m_options);
    m_spill->claim(hash, position);
}

void PositionTable::outOfRange() {
    throw RunTimeError(QStringLiteral("Subscript out of range"), 9);
}
