#pragma once

#include <QTableView>

// A list pane on screen: one column under a header whose divider the user can drag, rows of one
// height, texts cut off at the column's edge. It keeps its scroll position and selected row when
// the model is reset by a bulk change.
class PaneView : public QTableView {
    Q_OBJECT
public:
    static constexpr const char* kToolTip =
        "Double-click item to remove it. Move | line to right and out of window to reveal full names.";

    explicit PaneView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    // The selected item's 1-based position, 0 when none is selected.
    int selectedPosition() const;
    // Selects the item at that position, or the nearest one, and makes it current.
    void selectPosition(int position);

Q_SIGNALS:
    // Double-click anywhere in the pane.
    void doubleClicked();
    // A key went down in the pane: its key code (46 for Delete) and whether Shift, Ctrl or Alt were held.
    void keyDown(int keyCode, Qt::KeyboardModifiers modifiers);
    // The mouse moved over the pane.
    void mouseMoved();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rememberPlace();
    void restorePlace();

    int m_savedScroll = 0;
    int m_savedRow = -1;
};
