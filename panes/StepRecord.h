#pragma once

#include "panes/ItemStore.h"

#include <QByteArray>

#include <variant>
#include <vector>

// What one undo step did to a pane's items, change by change in the order they happened, with what
// each needs to be taken back and made again. It keeps as little as it can: nothing for appended
// items (they are still in the pane), the text of a removed item, and the old store of a bulk change,
// which the change would otherwise free, so a step costs no copy of the list.
class StepRecord {
public:
    // Items are about to be appended to a store of `count` items. A run of appends is one change.
    void appending(qsizetype count);
    // The item at `index` is about to be removed.
    void removing(qsizetype index, QByteArrayView text);
    // The store is about to be replaced or emptied: its items move into the record.
    void replacing(ItemStore& store);

    bool isEmpty() const { return m_changes.empty(); }
    bool onlyAppends() const;
    // Whether the step is in effect: true once recorded, false after undo().
    bool applied() const { return m_applied; }
    // The memory the record holds.
    qsizetype heldBytes() const;

    // Walk the changes backwards (undo) or forwards (redo) on the pane's store.
    void undo(ItemStore& store);
    void redo(ItemStore& store);

private:
    struct Appended {
        qsizetype from = 0;
        // While undone: the appended items, or the whole store as it was when fewer items stayed.
        ItemStore stash;
        bool stashIsWhole = false;
    };
    struct Removed {
        qsizetype index = 0;
        QByteArray text;
    };
    // Holds the store that the pane does not: the old one while applied, the newer one while undone.
    struct Replaced {
        ItemStore other;
    };
    using Change = std::variant<Appended, Removed, Replaced>;

    static void undo(Appended& change, ItemStore& store);

    std::vector<Change> m_changes;
    bool m_applied = true;
};
