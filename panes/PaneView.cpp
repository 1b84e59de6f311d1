#include "panes/PaneView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace {
constexpr int kDeleteKeyCode = 46;
// 7000 twips at 15 twips per pixel.
constexpr int kColumnWidth = 467;

int keyCodeOf(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) return kDeleteKeyCode;
    return event->key();
}
}  // namespace

PaneView::PaneView(QWidget* parent) : QTableView(parent) {
    setToolTip(QString::fromLatin1(kToolTip));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    // The header is part of the pane: moving over it counts as moving over the pane.
    viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);
}

void PaneView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    if (!model) return;
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &PaneView::rememberPlace);
    connect(model, &QAbstractItemModel::modelReset, this, &PaneView::restorePlace);
    horizontalHeader()->resizeSection(0, kColumnWidth);
}

void PaneView::selectPosition(int position) {
    const int rows = model() ? model()->rowCount() : 0;
    if (rows == 0) return;
    const QModelIndex index = model()->index(std::clamp(position, 1, rows) - 1, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

int PaneView::selectedPosition() const {
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    Q_EMIT doubleClicked();
}

void PaneView::keyPressEvent(QKeyEvent* event) {
    Q_EMIT keyDown(keyCodeOf(event), event->modifiers());
    if (event->key() == Qt::Key_Delete) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool PaneView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseMove) Q_EMIT mouseMoved();
    return QTableView::viewportEvent(event);
}

bool PaneView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched == horizontalHeader()->viewport()) Q_EMIT mouseMoved();
    return QTableView::eventFilter(watched, event);
}

void PaneView::rememberPlace() {
    m_savedScroll = verticalScrollBar()->value();
    m_savedRow = currentIndex().row();
}

void PaneView::restorePlace() {
    // A reset after a bulk change would otherwise jump to the top and drop the selection.
    if (m_savedRow >= 0) selectPosition(m_savedRow + 1);
    verticalScrollBar()->setValue(m_savedScroll);
}
