#pragma once

#include "panes/ItemStore.h"

#include <QByteArrayView>

// What a command reads of a list: a pane, or a snapshot of one (StoreReader). Positions are 1-based;
// texts are UTF-8 views that stay valid only until the list next changes (never hold one across a
// yield). Out-of-range access throws RunTimeError("Index out of bounds").
class ListReader {
public:
    virtual ~ListReader() = default;

    virtual int count() const = 0;
    virtual QByteArrayView text(int position) const = 0;
    // The item at `position` and the items stored next to it, for passes that read many items in a
    // row; unlike text(), its views survive changes to the list.
    virtual ItemSpan span(int position) const = 0;

    // Changes whenever items are removed (appends keep it), so a command can tell that positions it
    // collected still name the same items.
    virtual quint64 editStamp() const = 0;

    // The items as they are now, sharing the list's storage (no copy is made until the list next
    // changes), so a command can read a consistent list while others run during its yields.
    virtual ItemStore snapshot() const = 0;
};

// A list as it was when the snapshot was taken: a two-list command reads its reference through one,
// so the reference pane stays free for saves, loads and sample data while the command runs.
class StoreReader : public ListReader {
public:
    explicit StoreReader(ItemStore items) : m_items(std::move(items)) {}

    int count() const override { return int(m_items.count()); }
    QByteArrayView text(int position) const override;
    ItemSpan span(int position) const override;
    // A snapshot never changes.
    quint64 editStamp() const override { return 0; }
    ItemStore snapshot() const override { return m_items; }

private:
    void checkPosition(int position) const;

    ItemStore m_items;
};
