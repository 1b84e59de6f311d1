#pragma once

#include "listops/PositionTable.h"
#include "panes/ItemStore.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

// Looks up the items of a span in a PositionTable before the pass reaches them. A lookup done item by
// item waits for memory three times in a row: for its slot, for where the text that slot names lies,
// and for that text. Here each of those steps is taken for the whole span at once, with the memory of
// the items a little further on fetched meanwhile, so the waits overlap: hash every item; find (or
// claim, adding the item) each one's first slot whose hash bits agree; compare each item's text with
// the text that slot names. Where a compare finds another text behind agreeing bits, the pass asks
// the table again item by item, in its own order, which gives the exact answer.
//
// Nothing is kept but hashes, positions and answers, and the span holds its block: nothing goes
// stale over the pass's yields.
class BatchLookup {
public:
    enum class Mode {
        Find,       // the table stays as it is
        FindOrAdd,  // an item whose text is not in the table yet is added when the pass reaches it
    };

    BatchLookup(PositionTable& table, Mode mode) : m_table(table), m_mode(mode) {}

    // The pass visits the positions `first` .. `last` (either direction) of `span`, in that order,
    // with nothing else changing the table meanwhile.
    void prepare(const ItemSpan& span, int first, int last) {
        m_ready = false;
        m_first = first;
        m_step = last >= first ? 1 : -1;
        const size_t count = size_t(std::abs(last - first)) + 1;
        m_hashes.resize(count);
        m_found.resize(count);
        m_answers.resize(count);
        for (size_t v = 0; v < count; ++v) m_hashes[v] = m_table.hashOf(text(span, v));
        for (size_t v = 0; v < count; ++v) {
            if (v + kAhead < count) m_table.prefetch(m_hashes[v + kAhead]);
            m_found[v] = m_mode == Mode::Find ? m_table.firstAgreeing(m_hashes[v])
                                              : m_table.claim(m_hashes[v], m_first + m_step * int(v));
        }
        const ItemStore& items = m_table.items();
        for (size_t v = 0; v < count; ++v) {
            if (v + kAhead < count && m_found[v + kAhead] != 0) {
                const ItemStore::Place place = items.placeOf(m_found[v + kAhead] - 1);
                Platform::prefetch(place.block->ends.data() + place.k);
            }
            if (v + kAhead / 2 < count && m_found[v + kAhead / 2] != 0) {
                const QByteArrayView found = items.text(m_found[v + kAhead / 2] - 1);
                Platform::prefetch(found.data());
                Platform::prefetch(found.data() + found.size());
            }
            m_answers[v] = m_found[v] == 0                                                       ? No
                           : PositionTable::sameBytes(text(span, v), items.text(m_found[v] - 1)) ? Yes
                                                                                                 : Unsure;
        }
        m_ready = true;
    }

    // Whether the text of the item at `position`, the pass's next, is in the table; in FindOrAdd
    // mode, whether it was there before the pass reached the item.
    bool contains(QByteArrayView text, int position) {
        const size_t v = size_t((position - m_first) * m_step);
        const bool prepared = m_ready && v < m_answers.size();
        if (prepared && m_answers[v] != Unsure) return m_answers[v] == Yes;
        return exact(text, position, prepared ? m_hashes[v] : m_table.hashOf(text));
    }

    // The same for an item read on its own, outside any prepared span.
    bool containsAlone(QByteArrayView text, int position) {
        return exact(text, position, m_table.hashOf(text));
    }

private:
    enum Answer : std::uint8_t { No, Yes, Unsure };
    // How far ahead of a step's item its memory is fetched: enough to have arrived, near enough to
    // still be in the cache.
    static constexpr size_t kAhead = 32;

    QByteArrayView text(const ItemSpan& span, size_t v) const {
        return span.text(span.indexOf(m_first + m_step * int(v)));
    }

    bool exact(QByteArrayView text, int position, size_t hash) {
        if (m_mode == Mode::Find) return m_table.find(text, hash) != 0;
        // An item a batch step already added finds itself: its text was not there before.
        const int found = m_table.findOrAdd(text, position, hash);
        return found != 0 && found != position;
    }

    PositionTable& m_table;
    Mode m_mode;
    std::vector<size_t> m_hashes;
    std::vector<int> m_found;
    std::vector<Answer> m_answers;
    int m_first = 0;
    int m_step = 1;
    bool m_ready = false;
};
