#pragma once

#include "panes/ItemStore.h"
#include "panes/ListPane.h"

// A list pane with no view and no undo history: the command-line program's List 1 and List 2. The
// routines see it as they see the window's panes, so both give the same results.
class StorePane : public ListPane {
public:
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
    bool canRedo() const override { return false; }
    void undo() override {}
    void redo() override {}
    quint64 saveMark() const override { return 0; }
    void markSaved(quint64) override {}
    bool hasUnsavedWork() const override { return false; }

    const ItemStore& items() const { return m_store; }

private:
    void checkPosition(int position) const;
    void checkRoom(qsizetype adding) const;

    ItemStore m_store;
    quint64 m_editStamp = 0;
};
