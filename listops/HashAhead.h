#pragma once

#include "listops/PositionTable.h"
#include "panes/ItemStore.h"

#include <cstdlib>
#include <vector>

// Hashes the items of a span before the pass reaches them, and fetches what their lookups will read
// while the pass works on the items before. A lookup in a large table waits for memory three times:
// for its slot, for where the text that slot names lies, and for that text. Waiting for many at once
// costs hardly more than for one, so the slot of the item kAhead items on is fetched, where the text
// lies for the item 2/3 as far on, and the text itself for the item 1/3 as far on.
//
// Only hashes are kept, and the span holds its block: nothing here goes stale over the pass's yields.
class HashAhead {
public:
    explicit HashAhead(const PositionTable& table) : m_table(table) {}

    // The pass visits the positions `first` .. `last` (either direction) of `span`.
    void prepare(const ItemSpan& span, int first, int last) {
        m_first = first;
        m_step = last >= first ? 1 : -1;
        const size_t count = size_t(std::abs(last - first)) + 1;
        m_hashes.resize(count);
        for (size_t v = 0; v < count; ++v)
            m_hashes[v] = m_table.hashOf(span.text(span.indexOf(first + m_step * int(v))));
        for (size_t v = 0; v < count && v < kAhead; ++v) m_table.prefetch(m_hashes[v]);
    }

    // The hash of the item at `position`, the next in the pass's order.
    size_t hashOf(int position) {
        const size_t v = size_t((position - m_first) * m_step);
        const size_t count = m_hashes.size();
        if (v + kAhead < count) m_table.prefetch(m_hashes[v + kAhead]);
        if (v + 2 * kAhead / 3 < count) m_table.prefetchPlace(m_hashes[v + 2 * kAhead / 3]);
        if (v + kAhead / 3 < count) m_table.prefetchText(m_hashes[v + kAhead / 3]);
        return m_hashes[v];
    }

private:
    // Far enough that each fetch has arrived when its result is needed, near enough that it is still
    // in the cache.
    static constexpr size_t kAhead = 24;

    const PositionTable& m_table;
    std::vector<size_t> m_hashes;
    int m_first = 0;
    int m_step = 1;
};
