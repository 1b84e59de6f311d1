#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

// A run of items: their UTF-8 bytes back to back and each item's end offset within the block.
struct ItemBlock {
    QByteArray bytes;
    std::vector<std::uint32_t> ends;

    qsizetype count() const { return qsizetype(ends.size()); }
    std::uint32_t begin(qsizetype k) const { return k == 0 ? 0 : ends[size_t(k - 1)]; }
    QByteArrayView text(qsizetype k) const {
        const std::uint32_t from = begin(k);
        return QByteArrayView(bytes.constData() + from, qsizetype(ends[size_t(k)] - from));
    }
};

// Consecutive items of a store, with the block that holds them: the views it hands out stay valid
// as long as the span is kept, whatever happens to the store meanwhile.
struct ItemSpan {
    std::shared_ptr<const ItemBlock> block;
    qsizetype from = 0;     // the first item's index in the block
    qsizetype to = 0;       // one past the last item's
    int firstPosition = 0;  // the 1-based position of item `from` in its pane

    QByteArrayView text(qsizetype k) const { return block->text(k); }
    int lastPosition() const { return firstPosition + int(to - from) - 1; }
    qsizetype indexOf(int position) const { return from + (position - firstPosition); }
};

// A compact list of texts, about 4 bytes per item beyond the text itself, kept in blocks of up to
// 65,536 items and 4 MB: removing one item moves the rest of its block only, however long the list.
// Copies share their blocks until either side changes one (a copy costs a pointer per block), so a
// snapshot for a save or an undo step is cheap. Indexes here are 0-based.
class ItemStore {
public:
    static constexpr qsizetype kBlockItems = qsizetype(1) << 16;
    static constexpr qsizetype kBlockBytes = qsizetype(4) << 20;
    // One item's bytes must fit a block's 32-bit offsets.
    static constexpr qsizetype kMaxItemBytes = qsizetype(UINT32_MAX);

    // The memory that `items` items with `textBytes` bytes of text in all take in a store.
    static constexpr qint64 bytesFor(qint64 items, qint64 textBytes) {
        return textBytes + items * qint64(sizeof(std::uint32_t));
    }

    ItemStore() = default;
    ItemStore(const ItemStore&) = default;
    ItemStore(ItemStore&& other) noexcept;
    ItemStore& operator=(const ItemStore& other);
    ItemStore& operator=(ItemStore&& other) noexcept;
    ~ItemStore();

    qsizetype count() const { return m_first.back(); }
    bool isEmpty() const { return count() == 0; }
    qsizetype byteSize() const { return m_byteSize; }
    // The memory the store holds, reserved room included: what keeping it costs. Blocks that copies
    // share count in each copy.
    qsizetype memoryBytes() const;
    // The same for blocks not in `counted`, which takes them in: over stores that share blocks, each
    // block counts once.
    qsizetype memoryBytesBeyond(std::unordered_set<const ItemBlock*>& counted) const;

    QByteArrayView text(qsizetype index) const {
        const Place place = placeOf(index);
        return place.block->text(place.k);
    }
    // Where the item at `index` is kept: its block and its index there. Finding that reads only the
    // store's own small tables, never the block.
    struct Place {
        const ItemBlock* block;
        qsizetype k;
    };
    Place placeOf(qsizetype index) const {
        const qsizetype b = blockOf(index);
        return {m_blocks[size_t(b)].get(), index - m_first[size_t(b)]};
    }

    // Appending throws RunTimeError "Out of memory" for a text longer than kMaxItemBytes.
    void append(QByteArrayView text) { appendAll({&text, 1}); }
    // Appends each text as an item. No text may point into this store.
    void appendAll(std::span<const QByteArrayView> texts);
    // Large blocks of `other` are shared, not copied.
    void append(const ItemStore& other);
    // Room for `bytes` more bytes in the last block, for a store about to be filled piece by piece.
    void reserve(qsizetype bytes);
    // Makes memory ready for a very long text's bytes `from` to `to`, touched, so that appending the
    // text later costs only the copy and not the system's fresh pages: the text then starts a block
    // of its own in that memory. Called a piece at a time; memory made ready and not used goes with
    // the next change that needs none of it.
    void prepareRoom(qsizetype from, qsizetype to);
    void removeAt(qsizetype index);
    void clear();
    // Removes every item but keeps the first block's memory, for a store that is filled again and again.
    void clearKeepingCapacity();

    // The blocks in order, for passes that walk every item; block b holds the items from
    // firstIndexOf(b) on.
    qsizetype blockCount() const { return qsizetype(m_blocks.size()); }
    // Whether the two hold the very same blocks: a copy that neither side has changed since.
    bool sharesAllBlocksWith(const ItemStore& other) const { return m_blocks == other.m_blocks; }
    const ItemBlock& block(qsizetype b) const { return *m_blocks[size_t(b)]; }
    std::shared_ptr<const ItemBlock> sharedBlock(qsizetype b) const { return m_blocks[size_t(b)]; }
    qsizetype firstIndexOf(qsizetype b) const { return m_first[size_t(b)]; }
    // The block that holds the item at `index` (0 <= index < count()).
    qsizetype blockOf(qsizetype index) const {
        qsizetype b = m_directory[size_t(index >> kDirectoryShift)];
        for (int step = 0; step < 4; ++step, ++b)
            if (index < m_first[size_t(b) + 1]) return b;
        return searchBlock(index);
    }
    // The whole block that holds the item at `index`, its positions counted from 1 (a pane's).
    ItemSpan blockSpanOf(qsizetype index) const {
        const qsizetype b = blockOf(index);
        return ItemSpan{sharedBlock(b), 0, block(b).count(), int(firstIndexOf(b)) + 1};
    }

private:
    friend class ItemStoreFilter;
    using BlockPtr = std::shared_ptr<ItemBlock>;

    // One directory entry per 2^14 items names the block of its first item, so finding an item's
    // block takes a step or two instead of a search.
    static constexpr int kDirectoryShift = 14;

    // Throws RunTimeError "Out of memory" for a text longer than kMaxItemBytes.
    static void checkLength(qsizetype bytes);
    static qsizetype blockBytes(const ItemBlock& block);
    // The memory of the tables that find an item's block.
    qsizetype tableBytes() const;
    qsizetype searchBlock(qsizetype index) const;
    // The last block, unshared, with room for at least one more item of `bytes` bytes.
    ItemBlock& openBlock(qsizetype bytes);
    ItemBlock& writable(qsizetype b);
    // Appends items [from, to) of `source`, as many runs as block limits need.
    void appendRange(const ItemBlock& source, qsizetype from, qsizetype to);
    // Takes `block` as a whole as the new last block.
    void adoptBlock(BlockPtr block);
    // Appends the items of `source` from index `from` on but those whose indexes in `source` are in
    // `skip` (ascending, all from `from` on), `keptItems` items of `keptBytes` bytes in all: into the
    // last block where it has that room to spare, else into a new block with room for all of `source`.
    void appendKept(const ItemBlock& source, qsizetype from, std::span<const qsizetype> skip,
                    qsizetype keptItems, qsizetype keptBytes);
    // The item count grew to `count`: directory entries for the new stretch of items.
    void grewTo(qsizetype count);
    void rebuildDirectory();
    // Lets go of the blocks. Handing a long list's memory back to the system takes a while, so
    // where this frees much of it, that happens on a worker thread, away from the window.
    void releaseBlocks() noexcept;

    std::vector<BlockPtr> m_blocks;
    // m_first[b]: the index of block b's first item; the last entry is the item count.
    std::vector<qsizetype> m_first{0};
    std::vector<std::uint32_t> m_directory;
    qsizetype m_byteSize = 0;
    // Memory made ready for a long text (prepareRoom()); copies of the store do not take it along.
    struct Spare {
        QByteArray bytes;
        Spare() = default;
        Spare(const Spare&) {}
        Spare(Spare&&) = default;
        Spare& operator=(const Spare&) { return *this; }
        Spare& operator=(Spare&&) = default;
    } m_spare;
};
