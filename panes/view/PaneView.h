#pragma once

#include "panes/view/ShownText.h"

#include <QAbstractScrollArea>
#include <QModelIndex>

#include <array>
#include <functional>

class DropTarget;
class PaneHeader;
class QAbstractItemModel;
class QAction;
class QHeaderView;
class QMimeData;
class QPainter;

// A list pane on screen: one column of texts under a header whose divider the user can drag, rows
// of one height, texts cut off at the column's edge, one selected item. It paints only the rows in
// sight and keeps no state per row, so a change to a list of millions costs what a short one does.
// Its own commands are named actions (added with addAction, so its context menu lists them in order)
// whose shortcuts work while it has focus; it takes drops that a drop test lets through.
class PaneView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The actions the view makes, in the order of its context menu; their object names are
    // "actionCopy", "actionCopyAll", "actionPaste", "actionRemoveItem", and after a separator
    // "actionUndo" and "actionRedo".
    enum class Action { Copy, CopyAll, Paste, RemoveItem, Undo, Redo };
    // Whether a drop of this data is welcome.
    using DropTest = std::function<bool(const QMimeData&)>;

    static constexpr const char* kToolTip =
        "Double-click item to remove it. Move | line to right and out of window to reveal full names.\n"
        "Click the right mouse button on the list to open its menu.";

    explicit PaneView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return m_model; }
    QHeaderView* horizontalHeader() const;
    // How many items the pane holds, as its header shows it: "202,000 items".
    const QString& countText() const;
    // What the header says besides the count (see PaneHeader::setNote), and both as it shows them.
    void setHeaderNote(const QString& note, const QString& tip = {});
    const QString& headerText() const;

    // The selected item's 1-based position, 0 when none is selected.
    int selectedPosition() const { return m_selected ? m_current + 1 : 0; }
    // Selects the item at that position, or the nearest one, and scrolls it into sight.
    void selectPosition(int position);
    void clearSelection();
    // Where the item of that index is drawn, in viewport coordinates.
    QRect visualRect(const QModelIndex& index) const;
    // The part of a row's text that the pane hands to the painter: what can show in the column at the
    // current scroll position, so a repaint costs the same whatever the items' lengths.
    ShownText shownText(int row) const;

    QAction* action(Action which) const { return m_actions[size_t(which)]; }
    // Without a test every drop is refused.
    void setDropTest(DropTest test);
    // Whether the pane shows that a drag over it may drop.
    bool isDropHighlighted() const;

Q_SIGNALS:
    // Double-click on an item, which the first click of it selected.
    void doubleClicked();
    // The Delete key went down in the pane, with or without Shift, Ctrl or Alt.
    void deletePressed();
    // The mouse moved over the pane or its header.
    void mouseMoved();
    // Whether an item is selected, or which, may have changed.
    void selectionChanged();
    // The context menu is about to open: the actions' states can be brought up to date.
    void aboutToShowMenu();
    // Data that passed the drop test was dropped on the pane. It lives only during the call.
    void dropped(const QMimeData* data);
    // The count or the note the header shows changed.
    void headerTextChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void createActions();
    QPoint keyboardMenuPosition() const;
    int rowCount() const;
    int rowHeight() const { return m_rowHeight; }
    int visibleRows() const;
    int rowAt(int y) const;
    void moveCurrent(int row);
    void paintFocus(QPainter& painter);
    void ensureVisible(int row);
    void updateScrollBars();
    void rowsRemoved(int first, int last);
    void rowsInserted(int first, int last);
    void updateCount();

    QAbstractItemModel* m_model = nullptr;
    PaneHeader* m_header = nullptr;
    int m_rowHeight = 0;
    int m_current = -1;
    bool m_selected = false;
    DropTarget* m_dropTarget = nullptr;
    std::array<QAction*, 6> m_actions{};
};
