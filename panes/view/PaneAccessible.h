#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>

class PaneView;
class QAbstractItemModel;

// What assistive technology sees of a pane, as Qt's item views give it: a table of one column named
// after its header ("List 1:"), described by the pane's tooltip, with the header cell (described by
// the count of items) as child 0 and
// row i as child i + 1. Cells are made only when asked for and only the most recently asked ones are
// kept, so a pane of millions of items costs a client's few questions, not an object per item.
class PaneAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    // At most this many row cells live at once; older ones are deleted when more are asked for.
    static constexpr int kMaxCells = 256;

    explicit PaneAccessible(PaneView* view);

    // Makes every pane view answer through this interface; once per program, before any is asked.
    static void install();
    // Tells assistive technology about the view's selection, focus and the model's changes.
    static void watch(PaneView* view, QAbstractItemModel* model);

    // QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRow() >= 0 ? 1 : 0; }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return selectedCellCount(); }
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return row >= 0 && row == selectedRow(); }
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

protected:
    ~PaneAccessible() override;

private:
    PaneView* view() const;
    int selectedRow() const;
    QAccessibleInterface* rowCell(int row) const;
    void forgetRowsFrom(int row);

    mutable QAccessible::Id m_header = 0;
    mutable QHash<int, QAccessible::Id> m_cells;
    // Rows of the living cells, the least recently asked for first.
    mutable QList<int> m_recent;
};
