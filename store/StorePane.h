#pragma once

#include "store/ItemStore.h"
#include "store/ListPane.h"

#include <utility>

// A list pane over an item store, with no view and no undo history: the command-line program's List 1
// and List 2, and a two-list command's reference as it was when the command started. The window's
// panes (PaneModel) build on it. The routines see it as they see the window's panes, so both give the
// same results.
class StorePane : public ListPane {
public:
    explicit StorePane(ItemStore items = {}) : m_store(std::move(items)) {}

    int count() const override { return int(m_store.count()); }
    QByteArrayView text(int position) const override;
    ItemSpan span(int position) const override;

    void append(QByteArrayView utf8Text) override;
    void appendLong(QByteArrayView utf8Text, Yielder& yielder) override;
    void appendBatch(const ItemStore& batch) override;
    void removeAt(int position) override;
    void clear() override;
    quint64 editStamp() const override { return m_editStamp; }
    void removePositions(const QList<int>& ascending, quint64 stamp, Yielder& yielder) override;
    ItemStore snapshot() const override { return m_store; }

    // A run of one command needs no undo.
    void openStep(StepKind) override {}
    void closeStep() override {}
    bool canUndo() const override { return false; }
    std::optional<Change> lastChange() const override { return std::nullopt; }
    bool canRedo() const override { return false; }
    void undo() override {}
    void redo() override {}
    quint64 saveMark() const override { return 0; }
    void markSaved(quint64) override {}
    bool hasUnsavedWork() const override { return false; }

    const ItemStore& items() const { return m_store; }

protected:
    void checkPosition(int position) const;
    // Items can in principle outgrow a view's int rows; a pane refuses to grow past that.
    void checkRoom(qsizetype adding) const;
    void checkStamp(quint64 stamp) const;

    ItemStore m_store;
    quint64 m_editStamp = 0;
};
