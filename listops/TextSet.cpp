#include "listops/TextSet.h"

#include <cmath>

TextSet::TextSet(const ItemStore& items, qsizetype capacity, int hashBits, Spread spread,
                 CompareOptions options) {
    if (capacity < kPartsFrom) {
        m_parts.resize(1);
        m_parts[0].emplace(items, capacity, hashBits, -1, options);
        return;
    }
    // Distinct texts fall into the parts like dice: a part gets more than its share of them only by
    // a few times the square root. A part that gets far more all the same spills, slower but whole.
    const qsizetype entries = (capacity >> kPartBits) + 8 * qsizetype(std::sqrt(double(capacity))) + 1024;
    m_parts.resize(size_t(1) << kPartBits);
    for (auto& part : m_parts) part.emplace(items, capacity, hashBits, entries, options);
    if (spread == Spread::ByHash) m_partBits = ~quint64(0);
}

bool TextSet::touchSome() {
    for (auto& part : m_parts)
        if (!part->touchSome()) return false;
    return true;
}
