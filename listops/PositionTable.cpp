#include "listops/PositionTable.h"

#include "app/RunTimeError.h"
#include "panes/ListPane.h"

#include <QHashFunctions>

namespace {
// Half-full at most keeps linear probes short.
size_t slotCountFor(qsizetype capacity) {
    size_t slots = 16;
    while (slots < size_t(capacity) * 2) slots *= 2;
    return slots;
}
}  // namespace

PositionTable::PositionTable(const ListPane& pane, qsizetype capacity)
    : m_pane(pane), m_capacity(capacity < 0 ? 0 : capacity), m_seed(QHashSeed::globalSeed()) {
    const size_t slots = slotCountFor(m_capacity);
    m_slots = std::make_unique<Slot[]>(slots);  // value-initialised: every slot empty
    m_mask = slots - 1;
}

size_t PositionTable::hashOf(QByteArrayView text) const {
    // A per-run random seed keeps a crafted list from piling its items into one probe chain.
    return qHash(text, m_seed);
}

size_t PositionTable::probe(QByteArrayView text, size_t hash) const {
    const auto tag = std::uint32_t(quint64(hash) >> 32);
    for (size_t index = hash & m_mask;; index = (index + 1) & m_mask) {
        const Slot& slot = m_slots[index];
        if (slot.position == 0) return index;
        if (slot.tag == tag && m_pane.text(slot.position) == text) return index;
    }
}

int PositionTable::find(QByteArrayView text) const {
    return m_slots[probe(text, hashOf(text))].position;
}

int PositionTable::findOrAdd(QByteArrayView text, int position) {
    const size_t hash = hashOf(text);
    Slot& slot = m_slots[probe(text, hash)];
    if (slot.position != 0) return slot.position;
    if (m_size >= m_capacity) throw RunTimeError(QStringLiteral("Subscript out of range"), 9);
    slot = Slot{position, std::uint32_t(quint64(hash) >> 32)};
    ++m_size;
    return 0;
}
