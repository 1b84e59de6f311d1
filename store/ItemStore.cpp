#include "store/ItemStore.h"

#include "core/RunTimeError.h"
#include "core/TaskThreads.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
// An empty block takes any one item; otherwise the block's limits hold.
bool hasRoom(const ItemBlock& block, qsizetype bytes) {
    if (block.count() == 0) return true;
    return block.count() < ItemStore::kBlockItems && block.bytes.size() + bytes <= ItemStore::kBlockBytes;
}

// A block worth sharing rather than copying: the copy would cost more than the room it leaves unused
// in the block before.
bool isLarge(const ItemBlock& block) {
    return block.count() >= ItemStore::kBlockItems / 4 || block.bytes.size() >= ItemStore::kBlockBytes / 16;
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

void ItemStore::checkLength(qsizetype bytes) {
    if (bytes > kMaxItemBytes) throw RunTimeError(QStringLiteral("Out of memory"), 7);
}

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
            TaskThreads::shared().start([blocks = std::move(m_blocks)]() mutable { blocks.clear(); });
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
    // A large last block that a snapshot shares stays as it is: appends start a block of their own.
    const bool open = !m_blocks.empty() && hasRoom(*m_blocks.back(), bytes) &&
                      !(m_blocks.back().use_count() > 1 && isLarge(*m_blocks.back()));
    if (!spare && open) return writable(blockCount() - 1);
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
        if (isLarge(block))
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

qsizetype ItemStore::tableBytes() const {
    return qsizetype(m_directory.capacity() * sizeof(std::uint32_t) + m_first.capacity() * sizeof(qsizetype));
}

qsizetype ItemStore::blockBytes(const ItemBlock& block) {
    return qsizetype(sizeof(ItemBlock)) + block.bytes.capacity() +
           qsizetype(block.ends.capacity() * sizeof(std::uint32_t));
}

qsizetype ItemStore::memoryBytes() const {
    qsizetype bytes = tableBytes();
    for (const BlockPtr& block : m_blocks) bytes += blockBytes(*block);
    return bytes;
}

qsizetype ItemStore::memoryBytesBeyond(std::unordered_set<const ItemBlock*>& counted) const {
    qsizetype bytes = tableBytes();
    for (const BlockPtr& block : m_blocks)
        if (counted.insert(block.get()).second) bytes += blockBytes(*block);
    return bytes;
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
