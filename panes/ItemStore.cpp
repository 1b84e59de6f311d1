#include "panes/ItemStore.h"

#include <algorithm>
#include <cstring>

void ItemStore::appendAll(std::span<const QByteArrayView> texts) {
    qsizetype total = 0;
    for (const QByteArrayView text : texts) total += text.size();
    qsizetype end = m_bytes.size();
    const qsizetype firstNew = m_ends.size();
    // resize() grows geometrically, so many appends stay linear.
    m_bytes.resize(end + total);
    m_ends.resize(firstNew + qsizetype(texts.size()));
    char* bytes = m_bytes.data();
    qsizetype* ends = m_ends.data() + firstNew;
    for (const QByteArrayView text : texts) {
        if (!text.isEmpty()) std::memcpy(bytes + end, text.data(), size_t(text.size()));
        end += text.size();
        *ends++ = end;
    }
}

void ItemStore::append(const ItemStore& other) {
    const qsizetype base = m_bytes.size();
    const qsizetype bytes = other.m_bytes.size();
    const qsizetype firstNew = m_ends.size();
    const qsizetype items = other.m_ends.size();
    // No exact reserve here: it would defeat the geometric growth that keeps many appends linear.
    // resize() grows the buffer in place where it can, where append() would copy it to a new one.
    m_bytes.resize(base + bytes);
    if (bytes > 0) std::memcpy(m_bytes.data() + base, other.m_bytes.constData(), size_t(bytes));
    m_ends.resize(firstNew + items);
    std::transform(other.m_ends.cbegin(), other.m_ends.cbegin() + items, m_ends.begin() + firstNew,
                   [base](qsizetype end) { return base + end; });
}

void ItemStore::reserve(qsizetype items, qsizetype bytes) {
    m_ends.reserve(items);
    m_bytes.reserve(bytes);
}

void ItemStore::prepareRoom(qsizetype from, qsizetype to) {
    const qsizetype size = m_bytes.size();
    m_bytes.resize(size + to);
    std::memset(m_bytes.data() + size + from, 0, size_t(to - from));
    // Shrinking keeps the capacity, and with it the pages just touched.
    m_bytes.resize(size);
}

void ItemStore::removeAt(qsizetype index) {
    const qsizetype begin = index == 0 ? 0 : m_ends[index - 1];
    const qsizetype length = m_ends[index] - begin;
    m_bytes.remove(begin, length);
    m_ends.removeAt(index);
    for (qsizetype i = index; i < m_ends.size(); ++i) m_ends[i] -= length;
}

void ItemStore::insert(qsizetype index, QByteArrayView text) {
    const qsizetype begin = index == 0 ? 0 : m_ends[index - 1];
    // Room for the offset first: once the text is in, nothing may fail before its offset is.
    m_ends.reserve(m_ends.size() + 1);
    m_bytes.insert(begin, text);
    m_ends.insert(index, begin);
    for (qsizetype i = index; i < m_ends.size(); ++i) m_ends[i] += text.size();
}

void ItemStore::truncate(qsizetype count) {
    m_bytes.truncate(count == 0 ? 0 : m_ends[count - 1]);
    m_ends.resize(count);
}

ItemStore ItemStore::mid(qsizetype from, qsizetype count) const {
    ItemStore part;
    if (count == 0) return part;
    const qsizetype begin = from == 0 ? 0 : m_ends[from - 1];
    part.m_bytes = QByteArray(m_bytes.constData() + begin, m_ends[from + count - 1] - begin);
    part.m_ends.resize(count);
    std::transform(m_ends.cbegin() + from, m_ends.cbegin() + from + count, part.m_ends.begin(),
                   [begin](qsizetype end) { return end - begin; });
    return part;
}

void ItemStore::clear() {
    m_bytes = QByteArray();
    m_ends = QList<qsizetype>();
}

void ItemStore::clearKeepingCapacity() {
    // Unlike clear(), neither shrinks an unshared buffer.
    m_bytes.resize(0);
    m_ends.resize(0);
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
