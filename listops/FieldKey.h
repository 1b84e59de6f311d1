#pragma once

#include "core/MatchOn.h"
#include "store/ItemStore.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class HelperThread;

// The text of one column of an item, as MatchOn chooses it: what the routines compare (under the
// compare options, as CompareKey applies them) in place of the whole item. Quoting follows RFC 4180
// as Python's csv module reads it: a field that starts with a double quote runs to its closing
// quote, `""` inside it is one quote, and anything between the closing quote and the separator is
// taken as it stands. A row with fewer columns has an empty field.
class FieldKey {
public:
    explicit FieldKey(const MatchOn& on);

    // The field of `item`: a view of the item itself, or, where quotes had to be taken out, of the
    // field's text appended to `out` (which must have room for it: no reallocation, so earlier views
    // of `out` stay valid).
    QByteArrayView of(QByteArrayView item, QByteArray& out) const;
    // The same, as its own array.
    QByteArray of(QByteArrayView item) const;

    // The keys of the items of `items` (without the first where `on` has a header) as a store of
    // their own: key k belongs to item k (k + 1 with a header). A header without a column leaves the
    // texts whole and shares their blocks. `pause` runs between blocks (and while this thread waits
    // for the helper) and answers false to stop: then the answer is incomplete. With a `helper`, the
    // blocks' keys are made on both threads.
    static ItemStore keysOf(const ItemStore& items, const MatchOn& on, const std::function<bool()>& pause,
                            HelperThread* helper = nullptr);

private:
    // Blocks whose keys both threads make between two pauses: one each, so that a pause comes as
    // often as it does on one thread.
    static constexpr int kRoundBlocks = 2;
    // Room for one block's keys, reused from block to block.
    struct Scratch;
    // The keys of block b of `items` from its item `from` on, into `scratch`.
    void blockKeys(const ItemBlock& block, qsizetype from, Scratch& scratch) const;
    qsizetype find(QByteArrayView item, qsizetype from) const;
    QByteArrayView quotedField(QByteArrayView item, qsizetype at, QByteArray& out, qsizetype* end) const;
    // Where the separator after the quoted field at `at` is (or the item's size): quotedField's
    // *end, without taking the field's text.
    qsizetype quotedEnd(QByteArrayView item, qsizetype at) const;

    char m_separator[4] = {};
    int m_separatorSize = 1;
    int m_column = 1;
    bool m_quoted = true;
};
