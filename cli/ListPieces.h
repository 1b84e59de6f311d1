#pragma once

#include "store/StorePane.h"

#include <functional>

// The pane a streamed list is read into: it holds one piece of the list at a time. Whenever the items
// appended reach the piece's size, in items or in bytes, they are handed on, whole, in the order
// read, and the pane starts the next piece empty; the reader never notices. A piece holds at most
// twice its size. finish() hands on the last piece.
class ListPieces : public StorePane {
public:
    // Takes a piece's items: what it does with them is its own.
    using Take = std::function<void(ItemStore piece)>;

    ListPieces(qsizetype items, qsizetype bytes, Take take);

    void append(QByteArrayView utf8Text) override;
    void appendLong(QByteArrayView utf8Text, Yielder& yielder) override;
    void appendBatch(const ItemStore& batch) override;
    // The list has ended: the items left go on as the last piece (an empty list is one empty piece).
    void finish();

    // Items appended so far, the pieces handed on included.
    qint64 lines() const { return m_handed + count(); }

private:
    bool full() const { return count() >= m_items || m_store.byteSize() >= m_bytes; }
    void handOn();

    const qsizetype m_items;
    const qsizetype m_bytes;
    Take m_take;
    qint64 m_handed = 0;
    qint64 m_pieces = 0;
};
