#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <memory>

class ListPane;

// A set of item positions of one pane, keyed by the items' texts, which it reads from the pane when
// it compares: no text is copied, so a million items cost 16 MB of slots and nothing more.
//
// Open addressing with linear probing. The table is sized once for the number of items it may
// receive and never grows, so no insert ever pays for a rehash of the whole table (which would keep
// the event loop waiting). Each slot keeps 32 bits of the hash, so a text is read from the pane only
// when those bits agree.
class PositionTable {
public:
    // Room for `capacity` distinct positions of `pane`. Throws std::bad_alloc when that much memory
    // is not available.
    PositionTable(const ListPane& pane, qsizetype capacity);

    // The position of an item in the table whose text equals `text` byte for byte, or 0.
    int find(QByteArrayView text) const;
    // As find(); when no such item is in the table, adds `position` (whose text is `text`) and
    // answers 0. Throws RunTimeError when the table is full.
    int findOrAdd(QByteArrayView text, int position);

    qsizetype size() const { return m_size; }

private:
    struct Slot {
        std::int32_t position;  // 0: empty
        std::uint32_t tag;      // high bits of the hash
    };

    size_t hashOf(QByteArrayView text) const;
    // The index of the slot holding an equal text, or of the empty slot where it belongs.
    size_t probe(QByteArrayView text, size_t hash) const;

    const ListPane& m_pane;
    std::unique_ptr<Slot[]> m_slots;
    size_t m_mask = 0;
    qsizetype m_capacity = 0;
    qsizetype m_size = 0;
    size_t m_seed = 0;
};
