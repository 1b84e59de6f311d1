#pragma once

#include <QAccessible>
#include <QObject>

class PaneView;
class QAbstractItemModel;

// Tells assistive technology what changes in a pane, as Qt's item views do: the selected row, the
// focus moving to it, and every change of the list as one event however many rows it touches. Sends
// nothing while no assistive technology is listening.
class PaneAccessibleEvents : public QObject {
    Q_OBJECT
public:
    PaneAccessibleEvents(PaneView* view, QAbstractItemModel* model);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectionChanged();
    void focusSelected();
    void modelChanged(QAccessibleTableModelChangeEvent::ModelChangeType type, int first, int last);
    void send(QAccessible::Event type, int position);

    PaneView* m_view;
    // The selected position last announced, 0 for none.
    int m_announced = 0;
};
