#include "app/PaneActions.h"

#include "app/CommandTable.h"
#include "app/Guarded.h"
#include "core/CommandContext.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/ListDrop.h"
#include "listfiles/TransferCommands.h"
#include "panes/ListPane.h"
#include "panes/PaneCommands.h"
#include "panes/view/PaneView.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QMetaObject>
#include <QMimeData>

PaneActions::PaneActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                         QObject* parent)
    : QObject(parent), m_context(context), m_listNumber(listNumber), m_view(view), m_clipboard(clipboard) {
    using A = PaneView::Action;
    connect(view.action(A::Copy), &QAction::triggered, this, [this] {
        guarded(
            [&] { TransferCommands::copy(m_context, m_listNumber, m_view.selectedPosition(), m_clipboard); });
    });
    connect(view.action(A::CopyAll), &QAction::triggered, this,
            [this] { guarded([&] { TransferCommands::copyAll(m_context, m_listNumber, m_clipboard); }); });
    connect(view.action(A::Paste), &QAction::triggered, this,
            [this] { guarded([&] { TransferCommands::paste(m_context, m_listNumber, m_clipboard); }); });
    view.setDropTest([](const QMimeData& data) { return ListDrop::kindOf(data) != ListDrop::Kind::Refused; });
    connect(&view, &PaneView::dropped, this, &PaneActions::dropped);

    connect(&view, &PaneView::selectionChanged, this, &PaneActions::refresh);
    connect(&view, &PaneView::aboutToShowMenu, this, [this] {
        refresh();
        refreshPaste();
    });
    connect(view.model(), &QAbstractItemModel::rowsInserted, this, &PaneActions::refresh);
    connect(view.model(), &QAbstractItemModel::rowsRemoved, this, &PaneActions::refresh);
    connect(view.model(), &QAbstractItemModel::modelReset, this, &PaneActions::refresh);
    connect(&context.window, &WindowState::mousePointerChanged, this, &PaneActions::refresh);
    // Asking the clipboard may mean asking another program: only when it changes or a menu opens.
    connect(&clipboard, &Clipboard::changed, this, &PaneActions::refreshPaste);
    refresh();
    refreshPaste();
}

void PaneActions::refresh() {
    using A = PaneView::Action;
    const int selected = m_view.selectedPosition();
    m_view.action(A::Copy)->setEnabled(selected > 0);
    m_view.action(A::CopyAll)->setEnabled(m_context.pane(m_listNumber).count() > 0);
    m_view.action(A::RemoveItem)
        ->setEnabled(PaneCommands::canRemoveSelected(m_context, m_listNumber, selected));
}

void PaneActions::refreshPaste() {
    m_view.action(PaneView::Action::Paste)->setEnabled(m_clipboard.hasText());
}

void PaneActions::dropped(const QMimeData* data) {
    // The drag's source waits until the drop returns: a long load must not run inside it.
    QMetaObject::invokeMethod(
        this, [this, drop = ListDrop::take(*data)] { runDrop(drop); }, Qt::QueuedConnection);
}

void PaneActions::runDrop(const ListDrop& drop) {
    // Dropped files load as if the pane's Load button had chosen them.
    const CommandTable::Control* load = CommandTable::buttonFor(CommandTable::Runs::LoadFiles, m_listNumber);
    guarded(
        [&] { TransferCommands::drop(m_context, m_listNumber, drop, load ? load->origin() : QString()); });
}
