#pragma once

#include "store/ItemStore.h"

#include <QByteArrayView>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class HelperThread;

// The natural order of a store's items (NaturalOrder), found in pieces short enough for the event
// loop's turns: the items are keyed and sorted a chunk at a time, then the sorted runs are merged,
// each merge cut into segments of the output. The pieces go to the helper thread as well where there
// is one; they read only the store, which the caller keeps unchanged.
//
// A piece counts items, but long items that are alike for most of their length make each comparison
// read thousands of bytes: so every piece also counts the text it compares and copies, and pauses
// (on the caller's thread) or looks whether the sort was given up (on the helper) every so many bytes.
class ListSort {
public:
    enum class Direction { AToZ, ZToA };

    struct Steps {
        // Runs on the caller's thread between pieces of work, and within a piece every
        // kTextBetweenPauses bytes of text: may let the event loop run, may throw to end the sort.
        std::function<void()> pause;
        // How far the sort has come, 0 to 100.
        std::function<void(double)> progress;
    };

    // Items keyed and sorted together in one piece, and the most merged outputs in one piece.
    static constexpr std::int64_t kChunk = 16384;
    static constexpr std::int64_t kSegment = 16384;
    // Text that one thread compares or copies between two pauses within a piece: a fraction of a
    // millisecond of the slowest comparison, which folds each character.
    static constexpr std::int64_t kTextBetweenPauses = std::int64_t(64) << 10;

    ListSort(const ItemStore& items, Direction direction);
    ~ListSort();

    // Sorts; `helper` may be null. Equal texts keep their order in either direction.
    void run(HelperThread* helper, const Steps& steps);
    // The 0-based index in the store of the item at sorted place `k`.
    std::uint32_t at(std::int64_t k) const { return m_sorted[k].index; }
    // Its text, read from the store without a look-up in the store's tables.
    QByteArrayView textAt(std::int64_t k) const { return {m_sorted[k].text, qsizetype(m_sorted[k].size)}; }
    // Whether the items at sorted places `a` and `b` have the same bytes: their key prefixes tell
    // most apart without reading the texts.
    bool sameAt(std::int64_t a, std::int64_t b) const {
        const Entry& x = m_sorted[a];
        const Entry& y = m_sorted[b];
        return x.high == y.high && x.low == y.low && textAt(a) == textAt(b);
    }
    // The items in sorted order as a new store, built in pieces on both threads; then lets go of the
    // sorted entries. Call once, after run(), and only at() and textAt() no longer.
    ItemStore sortedItems();
    // Lets go of the sorted entries in pieces between pauses, where sortedItems() is not wanted.
    void release() { discard(m_sorted); }

    // An item's key prefix, and where its text is, so that comparing a tie needs no look-up in the
    // store's tables (the store's blocks stay where they are while it is unchanged).
    struct Entry {
        std::uint64_t high;
        std::uint64_t low;
        const char* text;
        std::uint32_t size;
        std::uint32_t index;
    };

private:
    // The text that one piece has compared or copied since it last paused.
    struct Reading {
        std::int64_t bytes = 0;
    };

    // The key prefixes decide most comparisons, inline; the texts decide the rest.
    bool less(const Entry& a, const Entry& b, Reading& reading) const {
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return lessByText(a, b, reading);
    }
    bool lessByText(const Entry& a, const Entry& b, Reading& reading) const;
    // Within a piece, once it has read enough text since its last pause.
    void pauseWithin(Reading& reading) const;
    void pause() const;
    void discard(std::unique_ptr<Entry[]>& entries);
    void appendSorted(ItemStore& store, std::int64_t from, std::int64_t to) const;
    void runParts(int parts, const std::function<void(int)>& task);
    void sortChunk(std::int64_t chunk);
    void mergePass(std::int64_t width);
    void mergeSegment(std::int64_t lo, std::int64_t width, std::int64_t from, std::int64_t to);
    void mergeRuns(const Entry* a, const Entry* aEnd, const Entry* b, const Entry* bEnd, Entry* out,
                   Reading& reading) const;

    const ItemStore& m_items;
    const Direction m_direction;
    const std::int64_t m_n;
    std::unique_ptr<Entry[]> m_sorted;
    std::unique_ptr<Entry[]> m_spare;
    HelperThread* m_helper = nullptr;
    const Steps* m_steps = nullptr;
    // The thread that runs the sort: the only one that pauses.
    std::thread::id m_caller;
    // A pause threw: the pieces still under way end at their next look.
    mutable std::atomic<bool> m_abandoned{false};
};
