#include "panes/PaneModel.h"

#include "core/Yielder.h"
#include "store/ItemStoreFilter.h"

#include <QScopeGuard>
#include <QStringDecoder>

#include <utility>

namespace {
// An item's text as shown; unlike QString::fromUtf8, keeps a leading U+FEFF, which is part of the item.
QString toText(QByteArrayView utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}
}  // namespace

PaneModel::PaneModel(QObject* parent) : QAbstractListModel(parent) {}

void PaneModel::addColumnHeader(const QString& text) {
    m_header = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

int PaneModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PaneModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    if (role != Qt::DisplayRole) return {};
    return shownText(m_store.text(index.row()));
}

QString PaneModel::shownText(QByteArrayView utf8, qsizetype maxChars) {
    if (maxChars <= 0) return {};
    // A UTF-8 sequence of n bytes gives at least one UTF-16 character per three bytes.
    if (utf8.size() > 3 * maxChars) {
        qsizetype cut = 3 * maxChars;
        while (cut > 0 && (uchar(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8 = utf8.first(cut);
    }
    QString text = toText(utf8);
    if (text.size() <= maxChars) return text;
    text.truncate(text.at(maxChars - 1).isHighSurrogate() ? maxChars - 1 : maxChars);
    return text;
}

QVariant PaneModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) return m_header;
    return QAbstractListModel::headerData(section, orientation, role);
}

void PaneModel::append(QByteArrayView utf8Text) {
    checkRoom(1);
    const PaneStep step(*this, ownStepKind(StepKind::Work));
    const int row = count();
    beginInsertRows({}, row, row);
    m_store.append(utf8Text);
    endInsertRows();
}

void PaneModel::appendLong(QByteArrayView utf8Text, Yielder& yielder) {
    // Fresh pages cost the system more than the copy into them; a few megabytes of them per step.
    constexpr qsizetype kPiece = 4 * 1024 * 1024;
    checkRoom(1);
    for (qsizetype from = 0; from < utf8Text.size(); from += kPiece) {
        m_store.prepareRoom(from, std::min(utf8Text.size(), from + kPiece));
        if (yielder.dueNow()) yielder.yieldNow();
    }
    // The copy is the one long step left; it starts a fresh time budget.
    yielder.yieldNow();
    append(utf8Text);
}

void PaneModel::appendBatch(const ItemStore& batch) {
    if (batch.isEmpty()) return;
    checkRoom(batch.count());
    const PaneStep step(*this, ownStepKind(StepKind::Work));
    const int row = count();
    beginInsertRows({}, row, row + int(batch.count()) - 1);
    m_store.append(batch);
    endInsertRows();
}

void PaneModel::removeAt(int position) {
    checkPosition(position);
    const PaneStep step(*this, ownStepKind(StepKind::Work));
    beginRemoveRows({}, position - 1, position - 1);
    m_store.removeAt(position - 1);
    ++m_editStamp;
    endRemoveRows();
}

void PaneModel::clear() {
    if (m_store.isEmpty()) return;
    const PaneStep step(*this, ownStepKind(StepKind::Restorable));
    beginResetModel();
    m_store.clear();
    ++m_editStamp;
    endResetModel();
}

void PaneModel::removePositions(const QList<int>& ascending, quint64 stamp, Yielder& yielder) {
    checkStamp(stamp);
    if (ascending.isEmpty()) return;
    const PaneStep step(*this, ownStepKind(StepKind::Work));

    // The kept items are copied aside while the pane stays whole and visible; the copy replaces the
    // pane's store only at the end, so a yield never shows (or saves) a half-changed list. Positions
    // are checked as the copy reaches them: a bad one ends it with nothing removed.
    ItemStoreFilter filter(ascending, m_store.count());
    while (!filter.step(m_store)) {
        if (yielder.dueNow()) yielder.yieldNow();
        checkStamp(stamp);
    }
    ItemStore kept = filter.take();
    m_history.removing(ascending, kept);
    beginResetModel();
    m_store = std::move(kept);
    ++m_editStamp;
    endResetModel();
}

template <class Swap>
void PaneModel::asOneReset(Swap&& swap) {
    beginResetModel();
    // Positions change, so running commands must know; views drop the selection and keep the scroll.
    const auto reset = qScopeGuard([this] {
        ++m_editStamp;
        endResetModel();
    });
    swap();
}

void PaneModel::undo() {
    if (canUndo()) asOneReset([this] { m_history.undo(); });
}

void PaneModel::redo() {
    if (canRedo()) asOneReset([this] { m_history.redo(); });
}

QString PaneModel::textAt(int position) const {
    return toText(text(position));
}

QStringList PaneModel::texts() const {
    QStringList result;
    result.reserve(count());
    for (qsizetype i = 0; i < m_store.count(); ++i) result.append(toText(m_store.text(i)));
    return result;
}

std::optional<ListPane::Change> PaneModel::lastChange() const {
    if (const PaneHistory::Step* step = m_history.lastStep()) return *step;
    return std::nullopt;
}
