// The changes of an item store in the middle of its items: removing and inserting one item,
// cutting the store short, and copying a part of it.
#include "panes/ItemStore.h"

#include <algorithm>
#include <cstring>

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
