#include "panes/view/PaneView.h"

#include "panes/view/DropTarget.h"
#include "panes/view/MenuAccessible.h"
#include "panes/view/PaneAccessible.h"
#include "panes/view/PaneHeader.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {
// 7000 twips at 15 twips per pixel.
constexpr int kColumnWidth = 467;
constexpr int kTextMargin = 3;

// The platform's keys for a standard action, and ours where it lacks them.
QList<QKeySequence> keysFor(QKeySequence::StandardKey standard, std::initializer_list<QKeySequence> ours) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : ours)
        if (!keys.contains(key)) keys.append(key);
    return keys;
}

QList<QKeySequence> pasteKeys() {
    return keysFor(QKeySequence::Paste, {Qt::SHIFT | Qt::Key_Insert});
}
}  // namespace

PaneView::PaneView(QWidget* parent)
    : QAbstractScrollArea(parent), m_header(new PaneHeader(this)), m_dropTarget(new DropTarget(this)) {
    PaneAccessible::install();
    setToolTip(QString::fromLatin1(kToolTip));
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setMouseTracking(true);
    m_rowHeight = fontMetrics().height() + 2;
    m_header->setSectionsClickable(false);
    m_header->setHighlightSections(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->setStretchLastSection(false);
    m_header->setDefaultSectionSize(kColumnWidth);
    m_header->setFocusPolicy(Qt::NoFocus);
    // The header is part of the pane: moving over it counts as moving over the pane.
    m_header->viewport()->setMouseTracking(true);
    m_header->viewport()->installEventFilter(this);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        updateScrollBars();
        viewport()->update();
    });
    horizontalScrollBar()->setSingleStep(8);
    // Drops over the header count as drops on the pane, as moves over it do.
    m_dropTarget->watch(viewport());
    m_dropTarget->watch(m_header->viewport());
    connect(m_dropTarget, &DropTarget::highlightChanged, viewport(), qOverload<>(&QWidget::update));
    connect(m_dropTarget, &DropTarget::dropped, this, &PaneView::dropped);
    createActions();
}

void PaneView::setDropTest(DropTest test) {
    m_dropTarget->setTest(std::move(test));
}

bool PaneView::isDropHighlighted() const {
    return m_dropTarget->highlighted();
}

void PaneView::createActions() {
    struct ActionRow {
        const char* name;
        QString text;
        QList<QKeySequence> keys;
    };
    // Delete removes through the key handler, which takes it with Shift or Ctrl too; the menu only
    // names the key.
    const QString deleteKey = QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText);
    const std::array<ActionRow, 6> rows{{
        {"actionCopy", QStringLiteral("&Copy"), QKeySequence::keyBindings(QKeySequence::Copy)},
        {"actionCopyAll", QStringLiteral("Copy &All"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
        {"actionPaste", QStringLiteral("&Paste"), pasteKeys()},
        {"actionRemoveItem", QStringLiteral("&Remove Item\t") + deleteKey, {}},
        {"actionUndo", QStringLiteral("&Undo"), keysFor(QKeySequence::Undo, {Qt::CTRL | Qt::Key_Z})},
        {"actionRedo", QStringLiteral("Re&do"),
         keysFor(QKeySequence::Redo, {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y})},
    }};
    for (size_t i = 0; i < rows.size(); ++i) {
        // Undo and Redo act on the whole list, not on the item: a group of their own.
        if (Action(i) == Action::Undo) {
            auto* line = new QAction(this);
            line->setSeparator(true);
            addAction(line);
        }
        auto* action = new QAction(rows[i].text, this);
        action->setObjectName(QString::fromLatin1(rows[i].name));
        action->setShortcuts(rows[i].keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action);
        m_actions[i] = action;
    }
}

QHeaderView* PaneView::horizontalHeader() const {
    return m_header;
}

const QString& PaneView::countText() const {
    return m_header->countText();
}

void PaneView::setHeaderNote(const QString& note, const QString& tip) {
    m_header->setToolTip(tip);
    if (m_header->setNote(note)) Q_EMIT headerTextChanged();
}

const QString& PaneView::headerText() const {
    return m_header->shownText();
}

// Follows the model's row count, which costs the same for any number of items.
void PaneView::updateCount() {
    if (m_header->setCount(rowCount())) Q_EMIT headerTextChanged();
}

void PaneView::setModel(QAbstractItemModel* model) {
    m_model = model;
    m_header->setModel(model);
    m_header->resizeSection(0, kColumnWidth);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { rowsRemoved(first, last); });
    // After a bulk change the pane keeps its scroll position. The selection goes: the row that was
    // selected may now hold another item, and Delete must never take an item the user did not pick.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_current = std::min(m_current, rowCount() - 1);
        m_selected = false;
        updateScrollBars();
        viewport()->update();
        updateCount();
        Q_EMIT selectionChanged();
    });
    updateScrollBars();
    updateCount();
    PaneAccessible::watch(this, model);
}

int PaneView::rowCount() const {
    return m_model ? m_model->rowCount() : 0;
}

int PaneView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

int PaneView::rowAt(int y) const {
    const int row = verticalScrollBar()->value() + y / rowHeight();
    return y >= 0 && row < rowCount() ? row : -1;
}

QRect PaneView::visualRect(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    const int top = (index.row() - verticalScrollBar()->value()) * rowHeight();
    return QRect(-horizontalScrollBar()->value(), top, m_header->sectionSize(0), rowHeight());
}

void PaneView::selectPosition(int position) {
    if (rowCount() == 0) return;
    moveCurrent(std::clamp(position, 1, rowCount()) - 1);
}

void PaneView::clearSelection() {
    m_selected = false;
    viewport()->update();
    Q_EMIT selectionChanged();
}

void PaneView::moveCurrent(int row) {
    m_current = row;
    m_selected = row >= 0;
    ensureVisible(row);
    viewport()->update();
    Q_EMIT selectionChanged();
}

void PaneView::ensureVisible(int row) {
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
}

void PaneView::updateScrollBars() {
    const int rows = rowCount();
    verticalScrollBar()->setRange(0, std::max(0, rows - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
    horizontalScrollBar()->setRange(0, std::max(0, m_header->sectionSize(0) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void PaneView::rowsInserted(int first, int last) {
    if (m_current >= first) m_current += last - first + 1;
    updateScrollBars();
    updateCount();
    viewport()->update();
}

void PaneView::rowsRemoved(int first, int last) {
    if (m_current > last) {
        m_current -= last - first + 1;
    } else if (m_current >= first) {
        m_selected = false;
        m_current = std::min(first, rowCount() - 1);
        Q_EMIT selectionChanged();
    }
    updateScrollBars();
    updateCount();
    viewport()->update();
}

ShownText PaneView::shownText(int row) const {
    // The viewport's stretch of the column, measured from where the text starts.
    const int scroll = horizontalScrollBar()->value();
    const int from = scroll - kTextMargin;
    const int to = std::min(m_header->sectionSize(0), scroll + viewport()->width()) - kTextMargin;
    return ShownText::between(m_model->data(m_model->index(row, 0)).toString(), QFontMetricsF(font()), from,
                              to);
}

void PaneView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int first = verticalScrollBar()->value() + event->rect().top() / rowHeight();
    const int last =
        std::min(rowCount() - 1, verticalScrollBar()->value() + event->rect().bottom() / rowHeight());
    const bool active = hasFocus();
    for (int row = first; row <= last; ++row) {
        const QRect cell = visualRect(m_model->index(row, 0));
        painter.setClipRect(cell);
        const bool selected = m_selected && row == m_current;
        if (selected)
            painter.fillRect(
                cell, palette().brush(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        const ShownText shown = shownText(row);
        painter.drawText(QRectF(cell).adjusted(kTextMargin + shown.x, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown.text);
    }
    if (active) paintFocus(painter);
    if (!m_dropTarget->highlighted()) return;
    painter.setClipping(false);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
}

// A pane with the keyboard focus shows it, also when it is empty or nothing is selected: around the
// row the arrow keys move from, otherwise around the whole pane.
void PaneView::paintFocus(QPainter& painter) {
    painter.setClipping(false);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.state |= QStyle::State_KeyboardFocusChange;
    option.backgroundColor = palette().color(QPalette::Base);
    const bool onRow = m_current >= 0 && m_current < rowCount();
    option.rect =
        onRow ? visualRect(m_model->index(m_current, 0)) : viewport()->rect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

// The rows live in the viewport, which the scroll area does not repaint when the focus comes or goes.
void PaneView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PaneView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void PaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    updateScrollBars();
}

void PaneView::scrollContentsBy(int dx, int dy) {
    m_header->setOffset(horizontalScrollBar()->value());
    if (dx != 0)
        viewport()->update();
    else
        viewport()->scroll(0, dy * rowHeight());
}

void PaneView::mousePressEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint().y());
    if (row >= 0) moveCurrent(row);
    QAbstractScrollArea::mousePressEvent(event);
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The white space below the last item holds nothing to remove.
    const int row = rowAt(event->position().toPoint().y());
    if (row < 0) return;
    moveCurrent(row);
    Q_EMIT doubleClicked();
}

void PaneView::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT mouseMoved();
    QAbstractScrollArea::mouseMoveEvent(event);
}

bool PaneView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_header->viewport()) return QAbstractScrollArea::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseMove:
            Q_EMIT mouseMoved();
            break;
        case QEvent::ContextMenu:
            contextMenuEvent(static_cast<QContextMenuEvent*>(event));
            return true;
        default:
            break;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void PaneView::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT aboutToShowMenu();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(actions());
    forgetAccessibleEntriesWith(*menu);
    menu->popup(event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : keyboardMenuPosition());
    event->accept();
}

// Below the selected item when it is in sight, else at the top of the list.
QPoint PaneView::keyboardMenuPosition() const {
    QRect row = m_selected ? visualRect(m_model->index(m_current, 0)) : QRect();
    if (!row.intersects(viewport()->rect())) row = QRect(0, 0, 0, 0);
    return viewport()->mapToGlobal(QPoint(std::max(0, row.left()) + kTextMargin, row.bottom() + 1));
}

void PaneView::keyPressEvent(QKeyEvent* event) {
    const int rows = rowCount();
    const int current = m_current < 0 ? -1 : m_current;
    int target = -2;
    switch (event->key()) {
        case Qt::Key_Up:
            target = std::max(0, current - 1);
            break;
        case Qt::Key_Down:
            target = std::min(rows - 1, current + 1);
            break;
        case Qt::Key_PageUp:
            target = std::max(0, current - visibleRows());
            break;
        case Qt::Key_PageDown:
            target = std::min(rows - 1, current + visibleRows());
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = rows - 1;
            break;
        case Qt::Key_Delete:
            event->accept();
            Q_EMIT deletePressed();
            return;
        case Qt::Key_F10:
            // Shift+F10 opens the context menu, as the Menu key does.
            if (event->modifiers() == Qt::ShiftModifier) {
                QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), keyboardMenuPosition());
                contextMenuEvent(&menuEvent);
                return;
            }
            QAbstractScrollArea::keyPressEvent(event);
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    if (rows > 0) moveCurrent(target);
    event->accept();
}
