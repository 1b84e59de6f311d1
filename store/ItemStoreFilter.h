#pragma once

#include "store/ItemStore.h"

#include <QList>

#include <vector>

// Builds a copy of a store without some of its items, a block at a time, so that the caller can
// yield between blocks. Blocks without removed items are shared, not copied; a block that loses
// only empty items keeps sharing its bytes.
class ItemStoreFilter {
public:
    // `skip`: 1-based positions of the items to leave out, strictly ascending, none beyond `limit`.
    ItemStoreFilter(const QList<int>& skip, qsizetype limit) : m_skip(skip), m_limit(limit) {}

    // Takes the next block's worth of `source` from where the last step ended; the source may have
    // grown meanwhile (never shrunk). True once the source's current end is reached. Throws
    // RunTimeError when it meets a position out of order or out of range.
    bool step(const ItemStore& source);
    ItemStore take() { return std::move(m_result); }

private:
    const QList<int>& m_skip;
    qsizetype m_limit;
    qsizetype m_skipPos = 0;
    // The indexes within the current block of the items it leaves out.
    std::vector<qsizetype> m_blockSkip;
    qsizetype m_from = 0;
    ItemStore m_result;
};
