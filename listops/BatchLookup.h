#pragma once

#include "core/Platform.h"
#include "listops/HelperThread.h"
#include "listops/PositionTable.h"
#include "listops/TextSet.h"
#include "store/ItemStore.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

// Looks up the items of a span in a TextSet before the pass reaches them. A lookup done item by item
// waits for memory three times in a row: for its slot, for where the text that slot names lies, and
// for that text. Here each of those steps is taken for the whole span at once, with the memory of the
// items a little further on fetched meanwhile, so the waits overlap: hash every item; find (or claim,
// adding the item) each one's first slot whose hash bits agree; compare each item's text with the
// text that slot names. Where a compare finds another text behind agreeing bits, the pass asks the
// set again item by item, in its own order, which gives the exact answer. A set in parts has its
// parts looked up one after the other, shared with the helper thread.
//
// Nothing is kept but hashes, positions and answers, and the span holds its block: nothing goes
// stale over the pass's yields.
class BatchLookup {
public:
    enum class Mode {
        Find,       // the set stays as it is
        FindOrAdd,  // an item whose text is not in the set yet is added when the pass reaches it
    };

    // `helper` may be null; `waiting` runs while this thread waits for the helper's part.
    BatchLookup(TextSet& set, Mode mode, HelperThread* helper = nullptr, std::function<void()> waiting = {})
        : m_set(set), m_mode(mode), m_helper(helper), m_waiting(std::move(waiting)) {}

    // The pass visits the positions `first` .. `last` (either direction) of `span`, in that order,
    // with nothing else changing the set meanwhile.
    void prepare(const ItemSpan& span, int first, int last);

    // Whether the text of the item at `position`, the pass's next, is in the set; in FindOrAdd
    // mode, whether it was there before the pass reached the item.
    bool contains(QByteArrayView text, int position) {
        return contains(position, [&] { return text; });
    }
    // The same for item k of `span`, whose text is read only where the prepared answer is unsure.
    bool contains(const ItemSpan& span, qsizetype k, int position) {
        return contains(position, [&] { return span.text(k); });
    }

    // The same for an item read on its own, outside any prepared span.
    bool containsAlone(QByteArrayView text, int position) {
        return exact(text, position, m_set.hashOf(text)) != 0;
    }

    // As contains(), but which item: the position of the item in the set whose text is equal (in
    // FindOrAdd mode, the one that was there before the pass reached this item), or 0.
    int found(const ItemSpan& span, qsizetype k, int position) {
        const size_t v = visitOf(position);
        if (prepared(v) && m_answers[v] != Unsure) return m_answers[v] == Yes ? m_found[v] : 0;
        const QByteArrayView bytes = span.text(k);
        return exact(bytes, position, prepared(v) ? m_hashes[v] : m_set.hashOf(bytes));
    }

private:
    enum Answer : std::uint8_t { No, Yes, Unsure };
    // How far ahead of a step's item its memory is fetched: enough to have arrived, near enough to
    // still be in the cache.
    static constexpr size_t kAhead = 32;
    // Spans shorter than this are not worth a second thread.
    static constexpr size_t kSharedFrom = 4096;
    // Pieces of a span's hashing, taken by whichever thread is free.
    static constexpr int kHashPieces = 4;

    // One part's items (by their place in the pass) and what was found for them.
    struct Part {
        std::vector<std::uint32_t> visits;
        std::vector<int> found;
        std::vector<Answer> answers;
    };

    QByteArrayView text(const ItemSpan& span, size_t v) const {
        return span.text(span.indexOf(m_first + m_step * int(v)));
    }
    void lookUp(const ItemSpan& span, int p);

    size_t visitOf(int position) const { return size_t((position - m_first) * m_step); }
    bool prepared(size_t v) const { return m_ready && v < m_answers.size(); }

    template <class Text>
    bool contains(int position, Text&& text) {
        const size_t v = visitOf(position);
        if (prepared(v) && m_answers[v] != Unsure) return m_answers[v] == Yes;
        const QByteArrayView bytes = text();
        return exact(bytes, position, prepared(v) ? m_hashes[v] : m_set.hashOf(bytes)) != 0;
    }

    // The position of the equal text's item, or 0.
    int exact(QByteArrayView text, int position, size_t hash) {
        if (m_mode == Mode::Find) return m_set.find(text, hash);
        // An item a batch step already added finds itself: its text was not there before.
        const int found = m_set.findOrAdd(text, position, hash);
        return found == position ? 0 : found;
    }

    TextSet& m_set;
    Mode m_mode;
    HelperThread* m_helper;
    std::function<void()> m_waiting;
    std::vector<size_t> m_hashes;
    std::vector<Answer> m_answers;
    // Where an answer is Yes, the position found.
    std::vector<int> m_found;
    std::vector<Part> m_parts;
    int m_first = 0;
    int m_step = 1;
    bool m_ready = false;
};
