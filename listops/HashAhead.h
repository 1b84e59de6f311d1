#pragma once

#include "listops/PositionTable.h"
#include "panes/ListPane.h"

#include <QByteArrayView>

#include <array>
#include <exception>

// Hashes the items a pass is about to reach and fetches what their lookups will read before the
// pass gets there. A lookup in a large table waits for memory twice: for its slot, then for the
// text that slot names. Waiting for many at once costs hardly more than for one, so this works in
// batches: it hashes a batch and asks for its slots, and asks for the texts of the batch before,
// whose slots have arrived meanwhile.
//
// Only hashes are kept, never texts: a text view would not survive the pass's yields.
class HashAhead {
public:
    // The pass visits positions 1..count of `pane`, or count..1 when `descending`, in `table`.
    HashAhead(const ListPane& pane, const PositionTable& table, int count, bool descending)
        : m_pane(pane),
          m_table(table),
          m_step(descending ? -1 : 1),
          m_next(descending ? count : 1),
          m_end(descending ? 0 : count + 1) {}

    // The hash of `text`, the item at `position`. Positions come in the pass's order; one whose
    // read failed ahead (or that comes out of turn) is hashed from `text` now, which the pass has
    // read again itself, so a failure is still reported against its own item.
    size_t hashOf(int position, QByteArrayView text) {
        while (m_next != m_end && (m_next - position) * m_step < 2 * kBatch) advance();
        const Entry& entry = m_ring[slotOf(position)];
        return entry.position == position ? entry.hash : m_table.hashOf(text);
    }

private:
    // Large enough to keep many fetches under way at once, small enough that what was fetched is
    // still in the cache when the pass arrives.
    static constexpr int kBatch = 16;
    // Holds the pass's batch and the two ahead of it.
    static constexpr int kRing = 4 * kBatch;

    struct Entry {
        size_t hash = 0;
        int position = 0;  // 0: no hash (not read yet, or the read failed)
    };

    static size_t slotOf(int position) { return size_t(unsigned(position)) % kRing; }

    void advance() {
        const int first = m_next;
        int count = 0;
        for (; count < kBatch && m_next != m_end; ++count, m_next += m_step) hashAhead(m_next);
        for (int k = 0; k < m_lastCount; ++k) fetchText(m_lastFirst + k * m_step);
        m_lastFirst = first;
        m_lastCount = count;
    }

    void hashAhead(int position) {
        Entry& entry = m_ring[slotOf(position)];
        try {
            entry.hash = m_table.hashOf(m_pane.text(position));
            entry.position = position;
            m_table.prefetch(entry.hash);
        } catch (const std::exception&) {
            entry.position = 0;
        }
    }

    void fetchText(int position) const {
        const Entry& entry = m_ring[slotOf(position)];
        if (entry.position != position) return;
        try {
            m_table.prefetchText(entry.hash);
        } catch (const std::exception&) {
            // Only a fetch ahead failed; the lookup reads the text again and reports what fails.
        }
    }

    const ListPane& m_pane;
    const PositionTable& m_table;
    int m_step;
    int m_next;           // the next position to hash
    int m_end;            // one step past the pass's last position
    int m_lastFirst = 0;  // the batch hashed before, whose texts are fetched next
    int m_lastCount = 0;
    std::array<Entry, kRing> m_ring{};
};
