#pragma once

#include "listops/PositionTable.h"

#include <array>
#include <optional>

// The items of one list by their texts, for the routines that hash them: one PositionTable, or, for a
// long list, two halves, one for the items whose hash has its top bit clear and one for those whose
// hash has it set. Equal texts have equal hashes, so each text lives in one half, and two threads can
// add to the two halves at once, each in the pass's order.
class TextSet {
public:
    // From this many items on, a list gets halves.
    static constexpr qsizetype kHalvesFrom = 65536;

    // Room for `capacity` positions of `items` (1-based), as PositionTable.
    TextSet(const ItemStore& items, qsizetype capacity, int hashBits = 32);

    int halves() const { return m_halves[1] ? 2 : 1; }
    int halfOf(size_t hash) const { return m_halves[1] ? int(quint64(hash) >> 63) : 0; }
    PositionTable& half(int h) { return *m_halves[size_t(h)]; }
    const ItemStore& items() const { return m_halves[0]->items(); }
    // Both halves hash alike.
    size_t hashOf(QByteArrayView text) const { return m_halves[0]->hashOf(text); }

    // As PositionTable's, in the half that `hash` belongs to.
    int find(QByteArrayView text, size_t hash) const {
        return m_halves[size_t(halfOf(hash))]->find(text, hash);
    }
    int findOrAdd(QByteArrayView text, int position, size_t hash) {
        return m_halves[size_t(halfOf(hash))]->findOrAdd(text, position, hash);
    }
    // As PositionTable::touchSome(), for both halves.
    bool touchSome();

private:
    std::array<std::optional<PositionTable>, 2> m_halves;
};
