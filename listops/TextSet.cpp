#include "listops/TextSet.h"

#include <cmath>

TextSet::TextSet(const ItemStore& items, qsizetype capacity, int hashBits) {
    if (capacity < kHalvesFrom) {
        m_halves[0].emplace(items, capacity, hashBits);
        return;
    }
    // Distinct texts fall into the halves like coin tosses: a half gets more than half of them only
    // by a few times the square root, and never by this much.
    const qsizetype entries = capacity / 2 + 8 * qsizetype(std::sqrt(double(capacity))) + 1024;
    for (auto& half : m_halves) half.emplace(items, capacity, hashBits, entries);
}

bool TextSet::touchSome() {
    if (!m_halves[0]->touchSome()) return false;
    return !m_halves[1] || m_halves[1]->touchSome();
}
