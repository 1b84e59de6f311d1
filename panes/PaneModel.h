#pragma once

#include "panes/PaneHistory.h"
#include "store/StorePane.h"

#include <QAbstractListModel>

// One list pane's items: the program's only copy of the list, shown by a PaneView, and their undo
// history. Single changes are announced row by row; bulk removal, clearing, undo and redo as one reset.
class PaneModel : public QAbstractListModel, public StorePane {
    Q_OBJECT
public:
    // The most characters of an item that the model hands to Qt, for display or anything else: far
    // more than the widest column shows, far less than an item can hold. Commands and saves use
    // whole texts through ListPane.
    static constexpr qsizetype kMaxShownChars = 16384;

    explicit PaneModel(QObject* parent = nullptr);

    // The single column's header, added at start-up.
    void addColumnHeader(const QString& text);
    QString columnHeader() const { return m_header; }

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // ListPane: reading as StorePane reads; changes are announced to views and kept for undo.
    // The item model's span() of an index stays available beside the pane's span of items.
    using QAbstractListModel::span;
    using StorePane::span;
    void append(QByteArrayView utf8Text) override;
    void appendLong(QByteArrayView utf8Text, Yielder& yielder) override;
    void appendBatch(const ItemStore& batch) override;
    void removeAt(int position) override;
    void clear() override;
    void removePositions(const QList<int>& ascending, quint64 stamp, Yielder& yielder) override;
    void openStep(StepKind kind) override { m_history.open(kind); }
    void closeStep() override { m_history.close(); }
    bool canUndo() const override { return m_history.canUndo(); }
    std::optional<Change> lastChange() const override;
    bool canRedo() const override { return m_history.canRedo(); }
    void undo() override;
    void redo() override;
    quint64 saveMark() const override { return m_history.saveMark(); }
    void markSaved(quint64 mark) override { m_history.markSaved(mark); }
    bool hasUnsavedWork() const override { return m_history.hasUnsavedWork(); }

    const PaneHistory& history() const { return m_history; }

    // An item's first `maxChars` UTF-16 characters at most, never half a surrogate pair; decodes only
    // the bytes that can give them.
    static QString shownText(QByteArrayView utf8, qsizetype maxChars = kMaxShownChars);

    // Convenience for start-up, tests and the sample data.
    void append(const QString& text) { append(QByteArrayView(text.toUtf8())); }
    QString textAt(int position) const;
    QStringList texts() const;

private:
    template <class Swap>
    void asOneReset(Swap&& swap);
    // Each change is a step of its own unless a command keeps one open; inside it, the command's
    // kind says what the step is.
    StepKind ownStepKind(StepKind kind) const { return m_history.isOpen() ? StepKind::Restorable : kind; }

    PaneHistory m_history{m_store};
    QString m_header;
};
