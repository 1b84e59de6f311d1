#include "cli/ListPieces.h"

#include <vector>

ListPieces::ListPieces(qsizetype items, qsizetype bytes, Take take)
    : m_items(qMax<qsizetype>(1, items)), m_bytes(qMax<qsizetype>(1, bytes)), m_take(std::move(take)) {}

void ListPieces::append(QByteArrayView utf8Text) {
    StorePane::append(utf8Text);
    if (full()) handOn();
}

void ListPieces::appendLong(QByteArrayView utf8Text, Yielder&) {
    append(utf8Text);
}

void ListPieces::appendBatch(const ItemStore& batch) {
    // A batch no larger than a piece goes whole, its blocks shared rather than copied: a piece then
    // holds up to twice its size. Only a larger one is cut.
    if (batch.count() <= m_items && batch.byteSize() <= m_bytes) {
        StorePane::appendBatch(batch);
        if (full()) handOn();
        return;
    }
    std::vector<QByteArrayView> texts;
    for (qsizetype k = 0; k < batch.count();) {
        texts.clear();
        qsizetype bytes = m_store.byteSize();
        for (qsizetype room = m_items - count(); k < batch.count() && room > 0 && bytes < m_bytes; --room) {
            texts.push_back(batch.text(k++));
            bytes += texts.back().size();
        }
        checkRoom(qsizetype(texts.size()));
        m_store.appendAll(texts);
        if (full()) handOn();
    }
}

void ListPieces::finish() {
    if (count() > 0 || m_pieces == 0) handOn();
}

void ListPieces::handOn() {
    ItemStore piece = std::move(m_store);
    m_store = ItemStore();
    ++m_editStamp;
    m_handed += piece.count();
    ++m_pieces;
    m_take(std::move(piece));
}
