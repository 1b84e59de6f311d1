#pragma once

#include "listops/PositionTable.h"

#include <optional>
#include <vector>

// The items of one list by their texts, for the routines that hash them: one PositionTable, or, for a
// long list, eight parts, each for the items whose hash starts with one of eight bit patterns. Equal
// texts have equal hashes, so each text lives in one part: parts can be looked up one at a time, each
// in a smaller table, or by two threads at once, each part in the pass's order.
class TextSet {
public:
    // From this many items on, a list gets parts.
    static constexpr qsizetype kPartsFrom = 65536;

    // How the texts are spread over the parts: by their hashes, or all into the first one, as an
    // unlucky or crafted list could crowd them (the parts must hold them all the same).
    enum class Spread { ByHash, OnePart };

    // Room for `capacity` positions of `items` (1-based), as PositionTable.
    TextSet(const ItemStore& items, qsizetype capacity, int hashBits = 32, Spread spread = Spread::ByHash,
            CompareOptions options = {});

    int parts() const { return int(m_parts.size()); }
    int partOf(size_t hash) const { return int((quint64(hash) & m_partBits) >> (64 - kPartBits)); }
    PositionTable& part(int p) { return *m_parts[size_t(p)]; }
    const ItemStore& items() const { return m_parts.front()->items(); }
    // All parts hash alike.
    size_t hashOf(QByteArrayView text) const { return m_parts.front()->hashOf(text); }
    bool same(QByteArrayView a, QByteArrayView b) const { return m_parts.front()->same(a, b); }

    // As PositionTable's, in the part that `hash` belongs to.
    int find(QByteArrayView text, size_t hash) const {
        return m_parts[size_t(partOf(hash))]->find(text, hash);
    }
    int findOrAdd(QByteArrayView text, int position, size_t hash) {
        return m_parts[size_t(partOf(hash))]->findOrAdd(text, position, hash);
    }
    // As PositionTable::touchSome(), for all parts.
    bool touchSome();

private:
    static constexpr int kPartBits = 3;

    std::vector<std::optional<PositionTable>> m_parts;
    // The hash bits that choose a part: none with one part.
    quint64 m_partBits = 0;
};
