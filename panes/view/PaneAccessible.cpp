#include "panes/view/PaneAccessible.h"

#include "panes/view/MenuAccessible.h"
#include "panes/view/PaneAccessibleEvents.h"
#include "panes/view/PaneCellAccessible.h"
#include "panes/view/PaneView.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QScrollBar>

namespace {
QAccessibleInterface* paneFactory(const QString& key, QObject* object) {
    if (key != QLatin1String("PaneView")) return nullptr;
    auto* view = qobject_cast<PaneView*>(object);
    return view ? new PaneAccessible(view) : nullptr;
}
}  // namespace

PaneAccessible::PaneAccessible(PaneView* view) : QAccessibleWidget(view, QAccessible::Table) {}

PaneAccessible::~PaneAccessible() {
    // The cells belong to no object, so nothing else would delete them.
    for (QAccessible::Id id : std::as_const(m_cells)) QAccessible::deleteAccessibleInterface(id);
    if (m_header) QAccessible::deleteAccessibleInterface(m_header);
}

void PaneAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(paneFactory);
        // The panes' context menus are found from the application, as its windows are.
        ApplicationAccessible::install();
        return true;
    }();
    Q_UNUSED(installed);
}

void PaneAccessible::watch(PaneView* view, QAbstractItemModel* model) {
    delete view->findChild<PaneAccessibleEvents*>(QString(), Qt::FindDirectChildrenOnly);
    new PaneAccessibleEvents(view, model);
}

PaneView* PaneAccessible::view() const {
    return static_cast<PaneView*>(widget());
}

void* PaneAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString PaneAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && view()->accessibleName().isEmpty()) return columnDescription(0);
    return PaneAccessibleText::bounded(QAccessibleWidget::text(t));
}

int PaneAccessible::rowCount() const {
    return view()->model() ? view()->model()->rowCount() : 0;
}

int PaneAccessible::childCount() const {
    return 1 + rowCount();
}

int PaneAccessible::selectedRow() const {
    return view()->selectedPosition() - 1;
}

QAccessibleInterface* PaneAccessible::child(int index) const {
    if (index == 0) {
        if (!m_header) m_header = QAccessible::registerAccessibleInterface(new PaneHeaderAccessible(view()));
        return QAccessible::accessibleInterface(m_header);
    }
    return rowCell(index - 1);
}

QAccessibleInterface* PaneAccessible::rowCell(int row) const {
    if (row < 0 || row >= rowCount()) return nullptr;
    if (const auto known = m_cells.constFind(row); known != m_cells.cend()) {
        m_recent.move(m_recent.indexOf(row), m_recent.size() - 1);
        return QAccessible::accessibleInterface(*known);
    }
    if (m_recent.size() >= kMaxCells)
        QAccessible::deleteAccessibleInterface(m_cells.take(m_recent.takeFirst()));
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(new PaneCellAccessible(view(), row));
    m_cells.insert(row, id);
    m_recent.append(row);
    return QAccessible::accessibleInterface(id);
}

int PaneAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->parent() != this) return -1;
    if (child->role() == QAccessible::ColumnHeader) return 0;
    const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    return cell ? cell->rowIndex() + 1 : -1;
}

QAccessibleInterface* PaneAccessible::childAt(int x, int y) const {
    const QPoint point(x, y);
    const QHeaderView* header = view()->horizontalHeader();
    if (globalRect(header, header->rect()).contains(point)) return child(0);
    const QWidget* viewport = view()->viewport();
    if (!globalRect(viewport, viewport->rect()).contains(point) || rowCount() == 0) return nullptr;
    // Rows are of one height, counted from the first row in sight.
    const int top = view()->verticalScrollBar()->value();
    const int rowHeight = view()->visualRect(view()->model()->index(top, 0)).height();
    if (rowHeight <= 0) return nullptr;
    return rowCell(top + viewport->mapFromGlobal(point).y() / rowHeight);
}

QAccessibleInterface* PaneAccessible::focusChild() const {
    return view()->hasFocus() ? rowCell(selectedRow()) : nullptr;
}

QAccessibleInterface* PaneAccessible::cellAt(int row, int column) const {
    return column == 0 ? rowCell(row) : nullptr;
}

QList<QAccessibleInterface*> PaneAccessible::selectedCells() const {
    QAccessibleInterface* cell = rowCell(selectedRow());
    return cell ? QList<QAccessibleInterface*>{cell} : QList<QAccessibleInterface*>{};
}

QString PaneAccessible::columnDescription(int column) const {
    if (column != 0 || !view()->model()) return {};
    return PaneAccessibleText::bounded(view()->model()->headerData(0, Qt::Horizontal).toString());
}

QList<int> PaneAccessible::selectedRows() const {
    return selectedRow() >= 0 ? QList<int>{selectedRow()} : QList<int>{};
}

bool PaneAccessible::selectRow(int row) {
    if (row < 0 || row >= rowCount()) return false;
    view()->selectPosition(row + 1);
    return true;
}

bool PaneAccessible::unselectRow(int row) {
    if (!isRowSelected(row)) return false;
    view()->clearSelection();
    return true;
}

void PaneAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    switch (event->modelChangeType()) {
        case QAccessibleTableModelChangeEvent::RowsInserted:
        case QAccessibleTableModelChangeEvent::RowsRemoved:
            // Rows before the change keep their items; from its first row on, a cell would read
            // another item than the one a client asked for.
            forgetRowsFrom(event->firstRow());
            break;
        case QAccessibleTableModelChangeEvent::DataChanged:
            break;
        default:
            forgetRowsFrom(0);
            break;
    }
}

void PaneAccessible::forgetRowsFrom(int row) {
    for (qsizetype k = m_recent.size() - 1; k >= 0; --k) {
        if (m_recent[k] < row) continue;
        QAccessible::deleteAccessibleInterface(m_cells.take(m_recent[k]));
        m_recent.remove(k);
    }
}
