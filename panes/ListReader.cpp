#include "panes/ListReader.h"

#include "core/RunTimeError.h"

void StoreReader::checkPosition(int position) const {
    if (position < 1 || position > count()) throw RunTimeError(QStringLiteral("Index out of bounds"), 35600);
}

QByteArrayView StoreReader::text(int position) const {
    checkPosition(position);
    return m_items.text(position - 1);
}

ItemSpan StoreReader::span(int position) const {
    checkPosition(position);
    const qsizetype b = m_items.blockOf(position - 1);
    return ItemSpan{m_items.sharedBlock(b), 0, m_items.block(b).count(), int(m_items.firstIndexOf(b)) + 1};
}
