#include "store/ItemStoreFilter.h"

#include "core/RunTimeError.h"

#include <algorithm>
#include <cstring>

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
