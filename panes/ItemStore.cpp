#include "panes/ItemStore.h"

#include <algorithm>

void ItemStore::append(const ItemStore& other) {
    const qsizetype base = m_bytes.size();
    // No exact reserve here: it would defeat the geometric growth that keeps many appends linear.
    m_bytes.append(other.m_bytes);
    for (qsizetype end : other.m_ends) m_ends.append(base + end);
}

void ItemStore::reserve(qsizetype items, qsizetype bytes) {
    m_ends.reserve(items);
    m_bytes.reserve(bytes);
}

void ItemStore::removeAt(qsizetype index) {
    const qsizetype begin = index == 0 ? 0 : m_ends[index - 1];
    const qsizetype length = m_ends[index] - begin;
    m_bytes.remove(begin, length);
    m_ends.removeAt(index);
    for (qsizetype i = index; i < m_ends.size(); ++i) m_ends[i] -= length;
}

void ItemStore::clear() {
    m_bytes = QByteArray();
    m_ends = QList<qsizetype>();
}

bool ItemStore::copyChunkWithout(const QList<int>& skip, qsizetype& skipPos, qsizetype& from,
                                 ItemStore& target) const {
    // Whole runs of kept items are copied with one append each.
    constexpr qsizetype kChunk = 1 << 16;
    const qsizetype chunkEnd = std::min(count(), from + kChunk);
    while (from < chunkEnd) {
        if (skipPos < skip.size() && skip[skipPos] - 1 == from) {
            ++skipPos;
            ++from;
            continue;
        }
        qsizetype runEnd = chunkEnd;
        if (skipPos < skip.size()) runEnd = std::min<qsizetype>(runEnd, skip[skipPos] - 1);
        const qsizetype byteBegin = from == 0 ? 0 : m_ends[from - 1];
        const qsizetype shift = target.m_bytes.size() - byteBegin;
        target.m_bytes.append(m_bytes.constData() + byteBegin, m_ends[runEnd - 1] - byteBegin);
        for (qsizetype i = from; i < runEnd; ++i) target.m_ends.append(m_ends[i] + shift);
        from = runEnd;
    }
    return from >= count();
}
