#pragma once

#include <QAccessibleInterface>
#include <QPointer>
#include <QRect>

class PaneView;
class QWidget;

// `local`, a rectangle in `widget`'s own coordinates, in the screen's, as accessibility reports places.
QRect globalRect(const QWidget* widget, const QRect& local);

// What a pane's accessible table holds: a part of the view without a QObject of its own, made on
// demand and owned by the table's cache, which deletes it when it is no longer asked for.
class PanePartAccessible : public QAccessibleInterface {
public:
    explicit PanePartAccessible(PaneView* view) : m_view(view) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QPointer<PaneView> m_view;
};

// The header over the pane's single column: named by its caption, described by the pane's count.
class PaneHeaderAccessible : public PanePartAccessible {
public:
    using PanePartAccessible::PanePartAccessible;

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;
};

// One row of the pane: the item's text (cut short for huge items), its row, and whether it is
// selected and focused. Selecting it selects the item.
class PaneCellAccessible : public PanePartAccessible, public QAccessibleTableCellInterface {
public:
    PaneCellAccessible(PaneView* view, int row) : PanePartAccessible(view), m_row(row) {}

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    int m_row;
};

namespace PaneAccessibleText {
// The most characters of one text that assistive technology is given.
inline constexpr int kMaxChars = 1000;
// The item's text as spoken: whole when short, otherwise its start and an ellipsis. A huge item
// costs no more than a short one: only its first bytes are ever decoded.
QString ofRow(const PaneView& view, int row);
// A text of the pane's own (the header, the tooltip), held to the same bound.
QString bounded(const QString& text);
}  // namespace PaneAccessibleText
