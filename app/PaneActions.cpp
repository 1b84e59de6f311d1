#include "app/PaneActions.h"

#include "app/Guarded.h"
#include "commands/ColumnCommands.h"
#include "commands/CommandTable.h"
#include "commands/ListCommands.h"
#include "commands/ListToolCommands.h"
#include "commands/PaneCommands.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "listfiles/ListDrop.h"
#include "listfiles/TransferCommands.h"
#include "panes/view/PaneView.h"
#include "store/CommandContext.h"
#include "store/ListPane.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QUndoStack>

PaneActions::PaneActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                         const QUndoStack& steps, QObject* parent)
    : QObject(parent),
      m_context(context),
      m_listNumber(listNumber),
      m_pane(CommandTable::paneFor(listNumber)),
      m_view(view),
      m_clipboard(clipboard) {
    using A = PaneView::Action;
    onTriggered(view.action(A::Copy), this, [this] {
        TransferCommands::copy(m_context, m_listNumber, m_view.selectedPosition(), m_clipboard,
                               m_pane.eventOrigin("Copy"));
    });
    onTriggered(view.action(A::CopyAll), this, [this] {
        TransferCommands::copyAll(m_context, m_listNumber, m_clipboard, m_pane.eventOrigin("CopyAll"));
    });
    onTriggered(view.action(A::Paste), this, [this] {
        TransferCommands::paste(m_context, m_listNumber, m_clipboard, m_pane.eventOrigin("Paste"));
    });
    onTriggered(view.action(A::Undo), this, [this] { PaneCommands::undo(m_context, m_listNumber); });
    onTriggered(view.action(A::Redo), this, [this] { PaneCommands::redo(m_context, m_listNumber); });
    // Beside the compare options: both say what counts as equal.
    addMatchOn();
    addListCommands();
    addCompared();
    m_needItems.push_back(addEntry(view, ListToolCommands::copyWithCountsCaption(), "actionCopyWithCounts",
                                   [this](const QString& origin) {
                                       ListToolCommands::copyWithCounts(m_context, m_listNumber, m_clipboard,
                                                                        origin);
                                   }));
    m_copyRemoved = addEntry(view, ListToolCommands::copyRemovedCaption(), "actionCopyRemoved",
                             [this](const QString& origin) {
                                 ListToolCommands::copyRemoved(m_context, m_listNumber, m_clipboard, origin);
                             });
    addFileEntries();

    // A pane that another command is changing takes no drop, as it takes no load.
    view.setDropTest([this](const QMimeData& data) {
        return !m_context.window.inUse(m_listNumber) && ListDrop::kindOf(data) != ListDrop::Kind::Refused;
    });
    connect(&view, &PaneView::dropped, this, &PaneActions::dropped);

    connect(&view, &PaneView::selectionChanged, this, &PaneActions::refresh);
    // An opening menu asks the clipboard again where its owner did not answer before.
    connect(&view, &PaneView::aboutToShowMenu, this, [this] {
        m_clipboard.recheck();
        refreshPaste();
    });
    // The header names the column from the pane's first item, which loads and removals change.
    connect(view.model(), &QAbstractItemModel::rowsInserted, this, &PaneActions::showHeader);
    connect(view.model(), &QAbstractItemModel::rowsRemoved, this, &PaneActions::showHeader);
    connect(view.model(), &QAbstractItemModel::modelReset, this, &PaneActions::showHeader);
    for (auto changed : {&WindowState::matchOnChanged, &WindowState::loadedFromChanged})
        connect(&context.window, changed, this, [this](int listNumber) {
            if (listNumber == m_listNumber) showHeader();
        });
    connect(view.model(), &QAbstractItemModel::rowsInserted, this, &PaneActions::refresh);
    connect(view.model(), &QAbstractItemModel::rowsRemoved, this, &PaneActions::refresh);
    connect(view.model(), &QAbstractItemModel::modelReset, this, &PaneActions::refresh);
    connect(&context.window, &WindowState::mousePointerChanged, this, &PaneActions::refresh);
    connect(&context.window, &WindowState::paneUseChanged, this, &PaneActions::refresh);
    connect(&context.window, &WindowState::canStopChanged, this, &PaneActions::refresh);
    // A step is kept when its command ends, after the pane's last change was announced.
    connect(&steps, &QUndoStack::indexChanged, this, &PaneActions::refresh);
    connect(&clipboard, &Clipboard::changed, this, &PaneActions::refreshPaste);
    refreshPaste();
}

template <class Command>
QAction* PaneActions::addEntry(QWidget& owner, const QString& text, const char* name, Command command) {
    auto* action = new QAction(text, &owner);
    action->setObjectName(QString::fromLatin1(name));
    // "actionSortAToZ" is the pane's "SortAToZ" event.
    const QString origin = m_pane.eventOrigin(name + qstrlen("action"));
    onTriggered(action, this, [command, origin] { command(origin); });
    owner.addAction(action);
    return action;
}

void PaneActions::addListCommands() {
    auto* line = new QAction(&m_view);
    line->setSeparator(true);
    m_view.addAction(line);
    for (const ListCommands::Command& command : ListCommands::commands()) {
        if (!command.action) continue;
        m_needItems.push_back(addEntry(m_view, QString::fromUtf8(command.menuText), command.action,
                                       [this, &command](const QString& origin) {
                                           ListCommands::click(m_context, command, m_listNumber, origin);
                                       }));
    }
    m_stop = addEntry(m_view, QStringLiteral("S&top"), "actionStop",
                      [this](const QString&) { m_context.window.stop(m_listNumber); });
    // Wherever the focus is: only the pane whose command can stop has it enabled, so the key is never
    // the other pane's too.
    m_stop->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stop->setShortcutContext(Qt::WindowShortcut);
}

void PaneActions::addCompared() {
    using ListTools::Compared;
    auto* menu = new QMenu(QStringLiteral("Copy Compar&ed"), &m_view);
    menu->setObjectName(QStringLiteral("menuCopyCompared"));
    menu->menuAction()->setObjectName(QStringLiteral("actionCopyCompared"));
    const struct {
        const char* name;
        Compared which;
    } rows[] = {{"actionCopyOnlyInThis", Compared::OnlyInThis},
                {"actionCopyInBoth", Compared::InBoth},
                {"actionCopyEachOnce", Compared::EachOnce}};
    for (const auto& row : rows)
        addEntry(*menu, ListToolCommands::caption(row.which), row.name,
                 [this, which = row.which](const QString& origin) {
                     ListToolCommands::copyCompared(m_context, m_listNumber, which, m_clipboard, origin);
                 });
    m_view.addAction(menu->menuAction());
    m_needItems.push_back(menu->menuAction());
}

void PaneActions::addFileEntries() {
    auto* line = new QAction(&m_view);
    line->setSeparator(true);
    m_view.addAction(line);
    // The window takes the keys (for the pane with the focus, else List 1); the entries name them.
    const struct {
        const char* name;
        QString text;
        CommandTable::Runs runs;
    } rows[] = {
        {"actionLoad", QStringLiteral("Load Data From F&ile\u2026\tCtrl+O"), CommandTable::Runs::LoadFiles},
        {"actionSave", QStringLiteral("Save Data &To File\u2026\tCtrl+S"), CommandTable::Runs::SaveFile}};
    for (const auto& row : rows) {
        const CommandTable::Control* button = CommandTable::buttonFor(row.runs, m_listNumber);
        if (!button) continue;
        addEntry(m_view, row.text, row.name,
                 [this, button](const QString&) { CommandTable::run(m_context, *button); });
    }
}

void PaneActions::addMatchOn() {
    auto* menu = new QMenu(QStringLiteral("Match &On"), &m_view);
    menu->setObjectName(QStringLiteral("menuMatchOn"));
    menu->menuAction()->setObjectName(QStringLiteral("actionMatchOn"));
    m_matchWhole =
        addEntry(*menu, QStringLiteral("&Whole Item"), "actionMatchWholeItem",
                 [this](const QString&) { ColumnCommands::matchWholeItems(m_context, m_listNumber); });
    m_matchColumn =
        addEntry(*menu, QStringLiteral("&Column\u2026"), "actionMatchColumn", [this](const QString&) {
            ColumnCommands::chooseColumn(m_context, m_listNumber);
            showHeader();
        });
    // Checked shows the choice; the group keeps one checked, and showHeader() puts it back after a
    // Cancel.
    auto* group = new QActionGroup(menu);
    for (QAction* entry : {m_matchWhole, m_matchColumn}) {
        entry->setCheckable(true);
        group->addAction(entry);
    }
    m_view.addAction(menu->menuAction());
    showHeader();
}

void PaneActions::showHeader() {
    // A pane emptied by any way (an undo, removals) no longer holds what it was loaded from.
    if (m_context.pane(m_listNumber).count() == 0) m_context.window.setLoadedFrom(m_listNumber, {});
    const bool whole = m_context.window.matchOn(m_listNumber).wholeItem();
    m_matchWhole->setChecked(whole);
    m_matchColumn->setChecked(!whole);
    m_view.setHeaderNote(PaneCommands::headerNote(m_context, m_listNumber),
                         PaneCommands::headerTip(m_context, m_listNumber));
}

void PaneActions::refresh() {
    using A = PaneView::Action;
    const int selected = m_view.selectedPosition();
    // Paste and Copy All leave a pane that another command is changing alone, as a load does.
    const bool free = !m_context.window.inUse(m_listNumber);
    m_view.action(A::Copy)->setEnabled(selected > 0);
    m_view.action(A::CopyAll)->setEnabled(free && m_context.pane(m_listNumber).count() > 0);
    m_view.action(A::Paste)->setEnabled(free && m_clipboardHasText);
    m_view.action(A::RemoveItem)
        ->setEnabled(PaneCommands::canRemoveSelected(m_context, m_listNumber, selected));
    m_view.action(A::Undo)->setEnabled(PaneCommands::canUndo(m_context, m_listNumber));
    m_view.action(A::Redo)->setEnabled(PaneCommands::canRedo(m_context, m_listNumber));
    const bool canRun = ListCommands::canRun(m_context, m_listNumber);
    for (QAction* action : m_needItems) action->setEnabled(canRun);
    m_stop->setEnabled(m_context.window.canStop(m_listNumber));
    m_copyRemoved->setEnabled(ListToolCommands::canCopyRemoved(m_context, m_listNumber));
    m_matchColumn->setEnabled(ColumnCommands::canChooseColumn(m_context, m_listNumber));
}

void PaneActions::refreshPaste() {
    m_clipboardHasText = m_clipboard.hasText();
    refresh();
}

void PaneActions::dropped(const QMimeData* data) {
    // The drag's source waits until the drop returns: a long load must not run inside it.
    QMetaObject::invokeMethod(
        this, [this, drop = ListDrop::take(*data)] { runDrop(drop); }, Qt::QueuedConnection);
}

void PaneActions::runDrop(const ListDrop& drop) {
    // Dropped files load as if the pane's Load button had chosen them.
    const CommandTable::Control* load = CommandTable::buttonFor(CommandTable::Runs::LoadFiles, m_listNumber);
    const TransferCommands::DropOrigins origins{load ? load->origin() : QString(),
                                                m_pane.eventOrigin("OLEDragDrop")};
    guarded([&] { TransferCommands::drop(m_context, m_listNumber, drop, origins); });
}
