#include "store/StorePane.h"

#include "core/RunTimeError.h"
#include "store/ItemStoreFilter.h"

#include <limits>

void StorePane::checkPosition(int position) const {
    if (position < 1 || position > count()) throw RunTimeError(QStringLiteral("Index out of bounds"), 35600);
}

void StorePane::checkRoom(qsizetype adding) const {
    constexpr qsizetype kMaxItems = std::numeric_limits<int>::max() - 1;
    if (m_store.count() + adding > kMaxItems) throw RunTimeError(QStringLiteral("Out of memory"), 7);
}

void StorePane::checkStamp(quint64 stamp) const {
    if (stamp != m_editStamp)
        throw RunTimeError(QStringLiteral("The list was changed while the command ran; nothing was removed"));
}

QByteArrayView StorePane::text(int position) const {
    checkPosition(position);
    return m_store.text(position - 1);
}

ItemSpan StorePane::span(int position) const {
    checkPosition(position);
    return m_store.blockSpanOf(position - 1);
}

void StorePane::append(QByteArrayView utf8Text) {
    checkRoom(1);
    m_store.append(utf8Text);
}

void StorePane::appendLong(QByteArrayView utf8Text, Yielder&) {
    append(utf8Text);
}

void StorePane::appendBatch(const ItemStore& batch) {
    checkRoom(batch.count());
    m_store.append(batch);
}

void StorePane::removeAt(int position) {
    checkPosition(position);
    m_store.removeAt(position - 1);
    ++m_editStamp;
}

void StorePane::clear() {
    m_store.clear();
    ++m_editStamp;
}

void StorePane::removePositions(const QList<int>& ascending, quint64 stamp, Yielder&) {
    checkStamp(stamp);
    if (ascending.isEmpty()) return;
    // Nothing else runs here, so the kept items are copied in one go.
    ItemStoreFilter filter(ascending, m_store.count());
    while (!filter.step(m_store)) {
    }
    m_store = filter.take();
    ++m_editStamp;
}
