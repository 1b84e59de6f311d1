#include "listops/TextSet.h"

#include <cmath>

TextSet::TextSet(const ItemStore& items, qsizetype capacity, int hashBits) {
    if (capacity < kPartsFrom) {
        m_parts.resize(1);
        m_parts[0].emplace(items, capacity, hashBits);
        return;
    }
    // Distinct texts fall into the parts like dice: a part gets more than its share of them only by
    // a few times the square root, and never by this much.
    const qsizetype entries = (capacity >> kPartBits) + 8 * qsizetype(std::sqrt(double(capacity))) + 1024;
    m_parts.resize(size_t(1) << kPartBits);
    for (auto& part : m_parts) part.emplace(items, capacity, hashBits, entries);
}

bool TextSet::touchSome() {
    for (auto& part : m_parts)
        if (!part->touchSome()) return false;
    return true;
}
