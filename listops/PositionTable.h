#pragma once

#include "core/CompareOptions.h"
#include "core/Platform.h"
#include "listops/CompareKey.h"
#include "listops/TextHash.h"
#include "store/ItemStore.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstring>
#include <memory>

// A set of item positions of one pane, keyed by the items' texts, which it reads from a snapshot of
// the pane when it compares: no text is copied, so a million items cost 8 MB of slots and nothing more.
//
// Open addressing with linear probing. The table is sized once for the number of items it expects
// and never rehashes, so no insert pays for moving the whole table (which would keep the event loop
// waiting). It never refuses an item either: once it is three quarters full, further items go to a
// spill table with room for every item it could still receive, made when the first one arrives.
// A slot is 32 bits: the position, and in the bits a position of this table never needs, some
// bits of the hash, so a text is read from the pane only when those agree. Small slots matter: once
// the table no longer fits in the cache, every lookup waits for memory.
class PositionTable {
public:
    // Positions of `items` (1-based: position p is items.text(p - 1)), each from 1 to `capacity`,
    // each added at most once; room up front for `entries` of them (all `capacity` when negative).
    // Throws std::bad_alloc when that much memory is not available. A slot keeps at most `hashBits`
    // bits of the hash beside the position (fewer bits: more texts compared). Texts are equal as
    // `options` says (CompareKey).
    PositionTable(const ItemStore& items, qsizetype capacity, int hashBits = 32, qsizetype entries = -1,
                  CompareOptions options = {});

    // The position of an item in the table whose text equals `text`, or 0; `hash` is
    // hashOf(text).
    int find(QByteArrayView text, size_t hash) const;
    // As find(); when no such item is in the table, adds `position` (whose text is `text`) and
    // answers 0. Throws RunTimeError only when `position` is beyond the capacity.
    int findOrAdd(QByteArrayView text, int position, size_t hash);

    // A per-run random seed keeps a crafted list from piling its items into one probe chain.
    size_t hashOf(QByteArrayView text) const {
        if (!m_options.exact()) return size_t(CompareKey::hash(text, m_options, m_seed));
        return size_t(TextHash::hashBytes(text.data(), size_t(text.size()), m_seed));
    }
    // Whether two texts are equal for this table.
    bool same(QByteArrayView a, QByteArrayView b) const {
        return m_options.exact() ? sameBytes(a, b) : CompareKey::same(a, b, m_options);
    }
    // Starts fetching the slot where a lookup of `hash` begins, so that lookup need not wait for it.
    void prefetch(size_t hash) const { Platform::prefetch(&m_slots[hash & m_mask]); }
    // Lookups in two steps, so that many of them can wait for memory at once: first by hash bits
    // alone, then a compare of texts. firstAgreeing() answers the first position in the probe of
    // `hash` whose hash bits agree, or 0 when there is none before an empty slot (then no equal text
    // is in the table). claim() does the same, and in that last case adds `position` (throwing as
    // findOrAdd() does). Where the text at the position answered is not equal, find() or
    // findOrAdd() give the exact answer.
    int firstAgreeing(size_t hash) const {
        const int position = positionIn(m_slots[probeBits(hash)]);
        return position != 0 || !m_spill ? position : m_spill->firstAgreeing(hash);
    }
    int claim(size_t hash, int position) {
        Slot& slot = m_slots[probeBits(hash)];
        if (slot != 0) return positionIn(slot);
        if (m_spill) return m_spill->claim(hash, position);
        add(slot, hash, position);
        return 0;
    }
    const ItemStore& items() const { return m_items; }

    // Byte for byte, short texts without a call.
    static bool sameBytes(QByteArrayView a, QByteArrayView b) {
        const qsizetype n = a.size();
        if (n != b.size()) return false;
        const char* p = a.data();
        const char* q = b.data();
        if (n >= 8) {
            if (word(p) != word(q) || word(p + n - 8) != word(q + n - 8)) return false;
            return n <= 16 || std::memcmp(p + 8, q + 8, size_t(n - 16)) == 0;
        }
        for (qsizetype i = 0; i < n; ++i)
            if (p[i] != q[i]) return false;
        return true;
    }

    // The table's memory comes from the system untouched, and the first touch of each page costs
    // the system's time. Touching it a piece at a time, with the event loop's turns between, keeps
    // the first lookups from paying for all of it at once. True once it is all touched.
    bool touchSome();

private:
    using Slot = std::uint32_t;  // 0: empty
    static std::uint64_t word(const char* p) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    }
    struct Release {
        size_t bytes;
        void operator()(Slot* table) const;
    };

    // The hash bits a slot keeps, in their place above the position.
    Slot tagOf(size_t hash) const { return (Slot(quint64(hash) >> 32) << m_positionBits) & m_tagMask; }
    bool agrees(Slot slot, Slot tag) const { return (slot ^ tag) <= m_positionMask; }
    int positionIn(Slot slot) const { return int(slot & m_positionMask); }
    // The index of the slot holding an equal text, or of the empty slot where it belongs.
    size_t probe(QByteArrayView text, size_t hash) const;
    // The index of the first slot whose hash bits agree, or of the first empty slot.
    size_t probeBits(size_t hash) const {
        const Slot tag = tagOf(hash);
        for (size_t index = hash & m_mask;; index = (index + 1) & m_mask) {
            const Slot slot = m_slots[index];
            if (slot == 0 || agrees(slot, tag)) return index;
        }
    }
    void add(Slot& slot, size_t hash, int position) {
        if (position < 1 || position > m_capacity) outOfRange();
        if (m_size >= m_limit) return spill(hash, position);
        slot = tagOf(hash) | Slot(position);
        ++m_size;
    }
    // Adds an item beyond the limit to the spill table, made with room for all that may still come.
    void spill(size_t hash, int position);
    [[noreturn]] static void outOfRange();

    const ItemStore& m_items;
    std::unique_ptr<Slot[], Release> m_slots;
    std::unique_ptr<PositionTable> m_spill;
    size_t m_touched = 0;
    size_t m_mask = 0;
    int m_positionBits = 1;
    Slot m_positionMask = 1;
    Slot m_tagMask = 0;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
    // Items beyond this many go to the spill table: probes stay short, and one slot always stays empty.
    qsizetype m_limit = 0;
    int m_hashBits = 32;
    size_t m_seed = 0;
    CompareOptions m_options;
};
