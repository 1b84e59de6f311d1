#pragma once

#include "store/ItemStore.h"

#include <QByteArrayView>

// What a command reads of a list: a pane, or a snapshot of one (StorePane). Positions are 1-based;
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
