#include "panes/view/PaneAccessibleEvents.h"

#include "panes/view/PaneView.h"

#include <QAbstractItemModel>
#include <QEvent>

#include <utility>

PaneAccessibleEvents::PaneAccessibleEvents(PaneView* view, QAbstractItemModel* model)
    : QObject(view), m_view(view) {
    using Change = QAccessibleTableModelChangeEvent;
    connect(view, &PaneView::selectionChanged, this, &PaneAccessibleEvents::selectionChanged);
    // The count and the note are the header cell's description (child 0 of the table).
    connect(view, &PaneView::headerTextChanged, this, [this] {
        if (QAccessible::isActive()) send(QAccessible::DescriptionChanged, 0);
    });
    view->installEventFilter(this);
    if (!model) return;
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        modelChanged(Change::RowsInserted, first, last);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
        modelChanged(Change::RowsRemoved, first, last);
    });
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { modelChanged(Change::ModelReset, -1, -1); });
    connect(model, &QAbstractItemModel::headerDataChanged, this, [this] {
        if (!QAccessible::isActive()) return;
        QAccessibleEvent event(m_view, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    });
}

bool PaneAccessibleEvents::eventFilter(QObject* watched, QEvent* event) {
    // The window announces the pane itself when it takes the focus; the selected row follows.
    if (watched == m_view && event->type() == QEvent::FocusIn && QAccessible::isActive())
        QMetaObject::invokeMethod(this, &PaneAccessibleEvents::focusSelected, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void PaneAccessibleEvents::selectionChanged() {
    const int previous = std::exchange(m_announced, m_view->selectedPosition());
    const int position = m_announced;
    if (!QAccessible::isActive() || position == previous) return;
    if (previous > 0 && m_view->model() && previous <= m_view->model()->rowCount())
        send(QAccessible::SelectionRemove, previous);
    if (position == 0) return;
    if (m_view->hasFocus()) send(QAccessible::Focus, position);
    send(QAccessible::Selection, position);
}

void PaneAccessibleEvents::focusSelected() {
    const int position = m_view->selectedPosition();
    if (QAccessible::isActive() && m_view->hasFocus() && position > 0) send(QAccessible::Focus, position);
}

// Child 0 of the pane's table is its header, so an item's child index is its position.
void PaneAccessibleEvents::send(QAccessible::Event type, int position) {
    QAccessibleEvent event(m_view, type);
    event.setChild(position);
    QAccessible::updateAccessibility(&event);
}

void PaneAccessibleEvents::modelChanged(QAccessibleTableModelChangeEvent::ModelChangeType type, int first,
                                        int last) {
    // Rows moved under the selection: its item keeps its selection, at a new position.
    m_announced = m_view->selectedPosition();
    if (!QAccessible::isActive()) return;
    QAccessibleTableModelChangeEvent event(m_view, type);
    event.setFirstRow(first);
    event.setLastRow(last);
    if (first >= 0) {
        event.setFirstColumn(0);
        event.setLastColumn(0);
    }
    QAccessible::updateAccessibility(&event);
}
