#include "panes/ItemStore.h"

#include "core/RunTimeError.h"

#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
void checkLength(qsizetype bytes) {
    if (bytes > ItemStore::kMaxItemBytes) throw RunTimeError(QStringLiteral("Out of memory"), 7);
}

// An empty block takes any one item; otherwise the block's limits hold.
bool hasRoom(const ItemBlock& block, qsizetype bytes) {
    if (block.count() == 0) return true;
    return block.count() < ItemStore::kBlockItems && block.bytes.size() + bytes <= ItemStore::kBlockBytes;
}

// Room for `items` more items and `bytes` more bytes, grown geometrically (so appending one item at a
// time stays linear) but never far past the block's limits. Allocates before anything changes, so a
// failed allocation leaves the block as it was.
void makeRoom(ItemBlock& block, qsizetype items, qsizetype bytes) {
    const qsizetype needBytes = block.bytes.size() + bytes;
    if (needBytes > block.bytes.capacity())
        block.bytes.reserve(
            std::max(needBytes, std::min(2 * block.bytes.capacity(), ItemStore::kBlockBytes)));
    const size_t needItems = block.ends.size() + size_t(items);
    if (needItems > block.ends.capacity())
        block.ends.reserve(
            std::max(needItems, std::min(2 * block.ends.capacity(), size_t(ItemStore::kBlockItems))));
}
}  // namespace

ItemStore::ItemStore(ItemStore&& other) noexcept
    : m_blocks(std::move(other.m_blocks)),
      m_first(std::exchange(other.m_first, {0})),
      m_directory(std::move(other.m_directory)),
      m_byteSize(std::exchange(other.m_byteSize, 0)),
      m_spare(std::move(other.m_spare)) {
    other.m_blocks.clear();
    other.m_directory.clear();
}

ItemStore& ItemStore::operator=(const ItemStore& other) {
    if (this != &other) *this = ItemStore(other);
    return *this;
}

ItemStore& ItemStore::operator=(ItemStore&& other) noexcept {
    if (this == &other) return *this;
    releaseBlocks();
    m_blocks = std::exchange(other.m_blocks, {});
    m_first = std::exchange(other.m_first, {0});
    m_directory = std::exchange(other.m_directory, {});
    m_byteSize = std::exchange(other.m_byteSize, 0);
    m_spare = std::move(other.m_spare);
    return *this;
}

ItemStore::~ItemStore() {
    releaseBlocks();
}

void ItemStore::releaseBlocks() noexcept {
    constexpr qsizetype kAsideBytes = 16 * 1024 * 1024;
    qsizetype freed = 0;
    for (const BlockPtr& block : m_blocks)
        if (block.use_count() == 1) freed += block->bytes.capacity();
    if (freed >= kAsideBytes) {
        try {
            QThreadPool::globalInstance()->start(
                [blocks = std::move(m_blocks)]() mutable { blocks.clear(); });
        } catch (...) {
            // Then here after all.
        }
    }
    m_blocks.clear();
}

qsizetype ItemStore::searchBlock(qsizetype index) const {
    const auto after = std::upper_bound(m_first.cbegin(), m_first.cend(), index);
    return qsizetype(after - m_first.cbegin()) - 1;
}

ItemBlock& ItemStore::writable(qsizetype b) {
    BlockPtr& block = m_blocks[size_t(b)];
    // Shared with another store (a snapshot): this store takes its own copy before it changes.
    if (block.use_count() > 1) block = std::make_shared<ItemBlock>(*block);
    return *block;
}

ItemBlock& ItemStore::openBlock(qsizetype bytes) {
    // A text with memory made ready for it takes that memory as a block of its own.
    const bool spare =
        bytes > 0 && bytes <= m_spare.bytes.capacity() && 2 * bytes >= m_spare.bytes.capacity();
    if (!spare && !m_blocks.empty() && hasRoom(*m_blocks.back(), bytes)) return writable(blockCount() - 1);
    if (!m_blocks.empty() && m_blocks.back()->count() == 0) {
        m_blocks.pop_back();
        m_first.pop_back();
    }
    m_blocks.push_back(std::make_shared<ItemBlock>());
    m_first.push_back(m_first.back());
    if (spare) m_blocks.back()->bytes = std::move(m_spare.bytes);
    m_spare.bytes = QByteArray();
    return *m_blocks.back();
}

void ItemStore::appendAll(std::span<const QByteArrayView> texts) {
    size_t k = 0;
    while (k < texts.size()) {
        checkLength(texts[k].size());
        ItemBlock& block = openBlock(texts[k].size());
        // As many of the texts as the block takes, in one growth of its storage.
        const qsizetype oldBytes = block.bytes.size();
        qsizetype items = block.count();
        qsizetype bytes = oldBytes;
        size_t end = k;
        for (; end < texts.size() && items < kBlockItems; ++end, ++items) {
            checkLength(texts[end].size());
            if (items > 0 && bytes + texts[end].size() > kBlockBytes) break;
            bytes += texts[end].size();
        }
        makeRoom(block, qsizetype(end - k), bytes - oldBytes);
        qsizetype at = oldBytes;
        block.bytes.resize(bytes);
        char* out = block.bytes.data();
        for (size_t j = k; j < end; ++j) {
            if (!texts[j].isEmpty()) std::memcpy(out + at, texts[j].data(), size_t(texts[j].size()));
            at += texts[j].size();
            block.ends.push_back(std::uint32_t(at));
        }
        m_byteSize += bytes - oldBytes;
        grewTo(m_first.back() + qsizetype(end - k));
        k = end;
    }
}

void ItemStore::appendRange(const ItemBlock& source, qsizetype from, qsizetype to) {
    while (from < to) {
        ItemBlock& block = openBlock(source.text(from).size());
        const std::uint32_t base = source.begin(from);
        // The run that fits: within the item limit, and within the byte limit unless it is the
        // first item of an empty block.
        const qsizetype most = std::min(to - from, kBlockItems - block.count());
        const qsizetype room = kBlockBytes - block.bytes.size();
        const auto first = source.ends.cbegin() + from;
        qsizetype n =
            std::upper_bound(first, first + most, room,
                             [base](qsizetype r, std::uint32_t end) { return r < qsizetype(end - base); }) -
            first;
        if (n == 0) n = 1;
        const std::uint32_t runBytes = source.ends[size_t(from + n - 1)] - base;
        makeRoom(block, n, runBytes);
        const qsizetype at = block.bytes.size();
        block.bytes.append(source.bytes.constData() + base, runBytes);
        const std::uint32_t shift = std::uint32_t(at) - base;
        for (auto it = first; it != first + n; ++it) block.ends.push_back(*it + shift);
        m_byteSize += runBytes;
        grewTo(m_first.back() + n);
        from += n;
    }
}

void ItemStore::adoptBlock(BlockPtr block) {
    if (block->count() == 0) return;
    // A block left empty by clearKeepingCapacity() is no place to keep.
    if (!m_blocks.empty() && m_blocks.back()->count() == 0) {
        m_blocks.pop_back();
        m_first.pop_back();
    }
    m_byteSize += block->bytes.size();
    const qsizetype count = m_first.back() + block->count();
    m_blocks.push_back(std::move(block));
    m_first.push_back(m_first.back());
    grewTo(count);
}

void ItemStore::append(const ItemStore& other) {
    // Appending a store to itself reads a copy, which the appends do not disturb.
    const ItemStore source = &other == this ? other : ItemStore();
    const ItemStore& from = &other == this ? source : other;
    for (qsizetype b = 0; b < from.blockCount(); ++b) {
        const ItemBlock& block = from.block(b);
        // A large block goes in whole, shared rather than copied: the copy would cost more than the
        // room it leaves unused in the block before.
        if (block.count() >= kBlockItems / 4 || block.bytes.size() >= kBlockBytes / 16)
            adoptBlock(from.m_blocks[size_t(b)]);
        else
            appendRange(block, 0, block.count());
    }
}

void ItemStore::grewTo(qsizetype count) {
    m_first.back() = count;
    size_t b = m_directory.empty() ? 0 : m_directory.back();
    for (qsizetype d = qsizetype(m_directory.size()); (d << kDirectoryShift) < count; ++d) {
        const qsizetype index = d << kDirectoryShift;
        while (m_first[b + 1] <= index) ++b;
        m_directory.push_back(std::uint32_t(b));
    }
}

void ItemStore::rebuildDirectory() {
    m_directory.clear();
    grewTo(m_first.back());
}

void ItemStore::prepareRoom(qsizetype from, qsizetype to) {
    QByteArray& spare = m_spare.bytes;
    spare.resize(to);
    std::memset(spare.data() + from, 0, size_t(to - from));
    // Shrinking keeps the capacity, and with it the pages just touched.
    spare.resize(0);
}

void ItemStore::reserve(qsizetype bytes) {
    ItemBlock& block = openBlock(0);
    makeRoom(block, 0, bytes);
}

void ItemStore::removeAt(qsizetype index) {
    const qsizetype b = blockOf(index);
    ItemBlock& block = writable(b);
    const qsizetype k = index - m_first[size_t(b)];
    const std::uint32_t from = block.begin(k);
    const std::uint32_t to = block.ends[size_t(k)];
    const std::uint32_t length = to - from;
    if (length > 0) {
        char* bytes = block.bytes.data();
        std::memmove(bytes + from, bytes + to, size_t(block.bytes.size() - to));
        block.bytes.resize(block.bytes.size() - length);
    }
    block.ends.erase(block.ends.begin() + k);
    for (auto it = block.ends.begin() + k; it != block.ends.end(); ++it) *it -= length;
    m_byteSize -= length;
    for (size_t c = size_t(b) + 1; c < m_first.size(); ++c) --m_first[c];
    if (block.count() == 0) {
        m_blocks.erase(m_blocks.begin() + b);
        m_first.erase(m_first.begin() + b);
    }
    rebuildDirectory();
}

void ItemStore::insert(qsizetype index, QByteArrayView text) {
    if (index == count()) return append(text);
    checkLength(text.size());
    const qsizetype b = blockOf(index);
    ItemBlock& block = writable(b);
    const qsizetype k = index - m_first[size_t(b)];
    const std::uint32_t begin = block.begin(k);
    // Room for the offset first: once the text is in, nothing may fail before its offset is.
    block.ends.reserve(block.ends.size() + 1);
    block.bytes.insert(begin, text);
    block.ends.insert(block.ends.begin() + k, begin);
    for (auto it = block.ends.begin() + k; it != block.ends.end(); ++it) *it += std::uint32_t(text.size());
    m_byteSize += text.size();
    for (size_t c = size_t(b) + 1; c < m_first.size(); ++c) ++m_first[c];
    splitBlock(b);
    rebuildDirectory();
}

void ItemStore::splitBlock(qsizetype b) {
    const ItemBlock& block = *m_blocks[size_t(b)];
    if (block.count() <= kBlockItems && (block.count() <= 1 || block.bytes.size() <= kBlockBytes)) return;
    const qsizetype half = block.count() / 2;
    auto second = std::make_shared<ItemBlock>();
    const std::uint32_t from = block.begin(half);
    second->bytes = QByteArray(block.bytes.constData() + from, block.bytes.size() - from);
    second->ends.reserve(size_t(block.count() - half));
    for (auto it = block.ends.cbegin() + half; it != block.ends.cend(); ++it)
        second->ends.push_back(*it - from);
    ItemBlock& first = writable(b);
    first.bytes.truncate(from);
    first.ends.resize(size_t(half));
    m_blocks.insert(m_blocks.begin() + b + 1, std::move(second));
    m_first.insert(m_first.begin() + b + 1, m_first[size_t(b)] + half);
    // Halves of very long items may still be too large.
    splitBlock(b + 1);
    splitBlock(b);
}

void ItemStore::truncate(qsizetype count) {
    if (count >= this->count()) return;
    if (count <= 0) {
        clear();
        return;
    }
    const qsizetype b = blockOf(count);
    const qsizetype keep = count - m_first[size_t(b)];
    for (qsizetype c = b; c < blockCount(); ++c) m_byteSize -= m_blocks[size_t(c)]->bytes.size();
    m_blocks.resize(size_t(keep == 0 ? b : b + 1));
    m_first.resize(m_blocks.size() + 1);
    if (keep > 0) {
        ItemBlock& block = writable(b);
        block.bytes.truncate(block.ends[size_t(keep - 1)]);
        block.ends.resize(size_t(keep));
        m_byteSize += block.bytes.size();
    }
    m_first.back() = count;
    rebuildDirectory();
}

ItemStore ItemStore::mid(qsizetype from, qsizetype count) const {
    ItemStore part;
    const qsizetype to = from + count;
    for (qsizetype b = from < this->count() ? blockOf(from) : blockCount(); b < blockCount(); ++b) {
        const qsizetype first = m_first[size_t(b)];
        if (first >= to) break;
        const ItemBlock& block = *m_blocks[size_t(b)];
        const qsizetype begin = std::max(from, first) - first;
        const qsizetype end = std::min(to, first + block.count()) - first;
        // Whole blocks are shared, not copied.
        if (begin == 0 && end == block.count())
            part.adoptBlock(m_blocks[size_t(b)]);
        else
            part.appendRange(block, begin, end);
    }
    return part;
}

qsizetype ItemStore::memoryBytes() const {
    qsizetype bytes =
        qsizetype(m_directory.capacity() * sizeof(std::uint32_t) + m_first.capacity() * sizeof(qsizetype));
    for (const BlockPtr& block : m_blocks)
        bytes += qsizetype(sizeof(ItemBlock)) + block->bytes.capacity() +
                 qsizetype(block->ends.capacity() * sizeof(std::uint32_t));
    return bytes;
}

void ItemStore::clear() {
    *this = ItemStore();
}

void ItemStore::clearKeepingCapacity() {
    if (m_blocks.empty()) return;
    BlockPtr first = std::move(m_blocks.front());
    clear();
    // A block that a copy still shares must stay as it is.
    if (first.use_count() > 1) return;
    first->bytes.resize(0);
    first->ends.clear();
    m_blocks.push_back(std::move(first));
    m_first.push_back(0);
}

void ItemStore::appendKept(const ItemBlock& source, qsizetype from, std::span<const qsizetype> skip,
                           qsizetype keptItems, qsizetype keptBytes) {
    if (keptItems == 0) return;
    const auto fits = [&](const ItemBlock& block) {
        return block.count() > 0 && block.count() + keptItems <= kBlockItems &&
               block.bytes.size() + keptBytes <= kBlockBytes &&
               block.bytes.capacity() - block.bytes.size() >= keptBytes &&
               block.ends.capacity() - block.ends.size() >= size_t(keptItems);
    };
    if (m_blocks.empty() || m_blocks.back().use_count() > 1 || !fits(*m_blocks.back())) {
        // A removal copies most blocks it changes: the room of the whole source block lets the next
        // blocks' kept items join this one where few are kept.
        auto block = std::make_shared<ItemBlock>();
        block->bytes.reserve(std::max(keptBytes, source.bytes.size() - source.begin(from)));
        block->ends.reserve(size_t(source.count() - from));
        if (!m_blocks.empty() && m_blocks.back()->count() == 0) {
            m_blocks.pop_back();
            m_first.pop_back();
        }
        m_blocks.push_back(std::move(block));
        m_first.push_back(m_first.back());
    }
    ItemBlock& out = *m_blocks.back();
    const qsizetype outBytes = out.bytes.size();
    out.bytes.resize(outBytes + keptBytes);
    char* to = out.bytes.data() + outBytes;
    const char* bytes = source.bytes.constData();
    // Offsets move by where the copy starts, less the bytes of the items left out so far.
    std::uint32_t shift = std::uint32_t(outBytes) - source.begin(from);
    const auto copyRun = [&](qsizetype begin, qsizetype end) {
        if (begin >= end) return;
        const std::uint32_t first = source.begin(begin);
        const size_t length = source.ends[size_t(end - 1)] - first;
        std::memcpy(to, bytes + first, length);
        to += length;
        for (qsizetype k = begin; k < end; ++k) out.ends.push_back(source.ends[size_t(k)] + shift);
    };
    qsizetype k = from;
    for (const qsizetype skipped : skip) {
        copyRun(k, skipped);
        shift -= source.ends[size_t(skipped)] - source.begin(skipped);
        k = skipped + 1;
    }
    copyRun(k, source.count());
    m_byteSize += keptBytes;
    grewTo(m_first.back() + keptItems);
}

bool ItemStoreFilter::step(const ItemStore& source) {
    if (m_from >= source.count()) return true;
    if (m_skipPos < m_skip.size() && m_skip.last() > m_limit)
        throw RunTimeError(QStringLiteral("Index out of bounds"), 35600);
    const qsizetype b = source.blockOf(m_from);
    const ItemBlock& block = source.block(b);
    const qsizetype first = source.firstIndexOf(b);
    const qsizetype start = m_from - first;
    // The items to leave out that fall in this block, and how many bytes they hold.
    m_blockSkip.clear();
    qsizetype skippedBytes = 0;
    for (; m_skipPos < m_skip.size() && m_skip[m_skipPos] - 1 < first + block.count(); ++m_skipPos) {
        const qsizetype k = m_skip[m_skipPos] - 1 - first;
        if (k < start || (!m_blockSkip.empty() && k <= m_blockSkip.back())) {
            if (m_skip[m_skipPos] < 1) throw RunTimeError(QStringLiteral("Index out of bounds"), 35600);
            throw RunTimeError(QStringLiteral("Positions to remove are not in ascending order"), 5);
        }
        m_blockSkip.push_back(k);
        skippedBytes += block.ends[size_t(k)] - block.begin(k);
    }
    if (start == 0 && m_blockSkip.empty()) {
        m_result.adoptBlock(source.m_blocks[size_t(b)]);
    } else if (start == 0 && skippedBytes == 0) {
        // Only empty items go: every other item keeps its bytes and its offsets.
        auto kept = std::make_shared<ItemBlock>();
        kept->bytes = block.bytes;
        kept->ends.reserve(size_t(block.count()) - m_blockSkip.size());
        qsizetype k = 0;
        for (const qsizetype skipped : m_blockSkip) {
            kept->ends.insert(kept->ends.end(), block.ends.cbegin() + k, block.ends.cbegin() + skipped);
            k = skipped + 1;
        }
        kept->ends.insert(kept->ends.end(), block.ends.cbegin() + k, block.ends.cend());
        m_result.adoptBlock(std::move(kept));
    } else {
        const qsizetype keptItems = block.count() - start - qsizetype(m_blockSkip.size());
        const qsizetype keptBytes = block.bytes.size() - block.begin(start) - skippedBytes;
        m_result.appendKept(block, start, m_blockSkip, keptItems, keptBytes);
    }
    m_from = first + block.count();
    return m_from >= source.count();
}
