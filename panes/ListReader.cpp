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
    return m_items.blockSpanOf(position - 1);
}
