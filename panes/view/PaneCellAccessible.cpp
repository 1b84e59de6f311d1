#include "panes/view/PaneCellAccessible.h"

#include "panes/PaneModel.h"
#include "panes/view/PaneView.h"

#include <QHeaderView>
#include <QStringDecoder>

namespace {
constexpr QChar kEllipsis(0x2026);
// UTF-8 takes at most 4 bytes per character, so this prefix always holds kMaxChars characters.
constexpr qsizetype kMaxBytes = 4 * PaneAccessibleText::kMaxChars;

// Keeps a leading U+FEFF, which is part of the item, as the pane shows it.
QString decodePrefix(QByteArrayView utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8.first(std::min(utf8.size(), kMaxBytes)));
}

QString cut(QString text, bool alreadyCut) {
    if (text.size() <= PaneAccessibleText::kMaxChars && !alreadyCut) return text;
    qsizetype keep = std::min<qsizetype>(text.size(), PaneAccessibleText::kMaxChars);
    // Never half a surrogate pair.
    if (keep < text.size() && text.at(keep).isLowSurrogate()) --keep;
    text.truncate(keep);
    return text + kEllipsis;
}
}  // namespace

QRect globalRect(const QWidget* widget, const QRect& local) {
    return QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

namespace PaneAccessibleText {
QString ofRow(const PaneView& view, int row) {
    const QAbstractItemModel* model = view.model();
    if (!model || row < 0 || row >= model->rowCount()) return {};
    if (const auto* pane = qobject_cast<const PaneModel*>(model)) {
        const QByteArrayView bytes = pane->text(row + 1);
        return cut(decodePrefix(bytes), bytes.size() > kMaxBytes);
    }
    return cut(model->data(model->index(row, 0)).toString(), false);
}

QString bounded(const QString& text) {
    return cut(text, false);
}
}  // namespace PaneAccessibleText

QWindow* PanePartAccessible::window() const {
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface* PanePartAccessible::parent() const {
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

bool PaneHeaderAccessible::isValid() const {
    return m_view && m_view->model();
}

QString PaneHeaderAccessible::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    if (t == QAccessible::Description) return PaneAccessibleText::bounded(m_view->headerText());
    if (t != QAccessible::Name) return {};
    return PaneAccessibleText::bounded(m_view->model()->headerData(0, Qt::Horizontal).toString());
}

QRect PaneHeaderAccessible::rect() const {
    if (!m_view) return {};
    const QHeaderView* header = m_view->horizontalHeader();
    const QRect section(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->height());
    return globalRect(header->viewport(), section);
}

QAccessible::State PaneHeaderAccessible::state() const {
    QAccessible::State state;
    state.readOnly = true;
    return state;
}

bool PaneCellAccessible::isValid() const {
    return m_view && m_view->model() && m_row < m_view->model()->rowCount();
}

QString PaneCellAccessible::text(QAccessible::Text t) const {
    if (t != QAccessible::Name || !isValid()) return {};
    return PaneAccessibleText::ofRow(*m_view, m_row);
}

QRect PaneCellAccessible::rect() const {
    if (!isValid()) return {};
    return globalRect(m_view->viewport(), m_view->visualRect(m_view->model()->index(m_row, 0)));
}

QAccessible::State PaneCellAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.focusable = true;
    state.readOnly = true;
    state.selected = isSelected();
    state.focused = state.selected && m_view->hasFocus();
    const QRect local = m_view->visualRect(m_view->model()->index(m_row, 0));
    state.offscreen = !m_view->viewport()->rect().intersects(local);
    return state;
}

void* PaneCellAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool PaneCellAccessible::isSelected() const {
    return m_view && m_view->selectedPosition() == m_row + 1;
}

QList<QAccessibleInterface*> PaneCellAccessible::columnHeaderCells() const {
    QAccessibleInterface* table = parent();
    QAccessibleInterface* header = table ? table->child(0) : nullptr;
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}
