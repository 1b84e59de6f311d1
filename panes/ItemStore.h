#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <span>

// A compact list of texts: all items' UTF-8 bytes in one buffer plus each item's end offset, about
// 8 bytes per item beyond the text itself. Indexes here are 0-based.
class ItemStore {
public:
    // The memory that `items` items with `textBytes` bytes of text in all take in a store.
    static constexpr qint64 bytesFor(qint64 items, qint64 textBytes) {
        return textBytes + items * qint64(sizeof(qsizetype));
    }

    qsizetype count() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    qsizetype byteSize() const { return m_bytes.size(); }
    // The memory the store holds, reserved room included: what keeping it costs.
    qsizetype memoryBytes() const {
        return m_bytes.capacity() + m_ends.capacity() * qsizetype(sizeof(qsizetype));
    }

    QByteArrayView text(qsizetype index) const {
        const qsizetype begin = index == 0 ? 0 : m_ends[index - 1];
        return QByteArrayView(m_bytes.constData() + begin, m_ends[index] - begin);
    }

    void append(QByteArrayView text) {
        m_bytes.append(text.data(), text.size());
        m_ends.append(m_bytes.size());
    }
    // Appends each text as an item, growing the storage once for all of them. No text may point into
    // this store.
    void appendAll(std::span<const QByteArrayView> texts);
    void append(const ItemStore& other);
    void reserve(qsizetype items, qsizetype bytes);
    // Makes memory ready for the text bytes `from` to `to` past the current end, touched, so that
    // appending a very long text later costs only the copy and not the system's fresh pages. Called
    // a piece at a time; a change of the store meanwhile may cost some of the room, never a text.
    void prepareRoom(qsizetype from, qsizetype to);
    void removeAt(qsizetype index);
    // Puts an item back at `index`; the items from there on move down by one.
    void insert(qsizetype index, QByteArrayView text);
    // Keeps the first `count` items. The memory stays reserved, so appending the rest again later
    // needs no new buffer.
    void truncate(qsizetype count);
    // A copy of `count` items from index `from` on, in a store of its own.
    ItemStore mid(qsizetype from, qsizetype count) const;
    void clear();
    // Removes every item but keeps the memory, for a store that is filled again and again.
    void clearKeepingCapacity();

    // Copies one chunk of items, from index `from` on, into `target`, leaving out the items whose
    // 1-based positions are in `skip` (ascending, read from `skipPos` on). Advances `from` and
    // `skipPos`, so the caller can yield between chunks and go on; true once the store's current end
    // is reached, which also takes in items appended in the meantime.
    bool copyChunkWithout(const QList<int>& skip, qsizetype& skipPos, qsizetype& from,
                          ItemStore& target) const;

private:
    QByteArray m_bytes;
    QList<qsizetype> m_ends;
};
