#include "app/ListToolActions.h"

#include "app/Guarded.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "panes/CommandContext.h"
#include "panes/PaneHistory.h"
#include "panes/view/PaneView.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QMenu>

ListToolActions::ListToolActions(CommandContext& context, int listNumber, PaneView& view,
                                 Clipboard& clipboard, const PaneHistory& history, QObject* parent)
    : QObject(parent),
      m_context(context),
      m_listNumber(listNumber),
      m_pane(CommandTable::paneFor(listNumber)),
      m_view(view),
      m_clipboard(clipboard),
      m_history(history) {
    using ListToolCommands::Change;
    auto* line = new QAction(&view);
    line->setSeparator(true);
    view.addAction(line);
    addChange("actionSortAToZ", Change::SortAToZ);
    addChange("actionSortZToA", Change::SortZToA);
    addChange("actionKeepOnlyOnce", Change::KeepOnlyOnce);
    addCompared(view);

    m_copyRemoved = new QAction(ListToolCommands::copyRemovedCaption(), &view);
    m_copyRemoved->setObjectName(QStringLiteral("actionCopyRemoved"));
    view.addAction(m_copyRemoved);
    onTriggered(m_copyRemoved, this, [this] {
        ListToolCommands::copyRemoved(m_context, m_listNumber, m_history, m_clipboard,
                                      m_pane.eventOrigin("CopyRemoved"));
    });

    connect(&view, &PaneView::aboutToShowMenu, this, &ListToolActions::refresh);
    connect(view.model(), &QAbstractItemModel::rowsInserted, this, &ListToolActions::refresh);
    connect(view.model(), &QAbstractItemModel::rowsRemoved, this, &ListToolActions::refresh);
    connect(view.model(), &QAbstractItemModel::modelReset, this, &ListToolActions::refresh);
    connect(&context.window, &WindowState::mousePointerChanged, this, &ListToolActions::refresh);
    connect(&context.window, &WindowState::paneUseChanged, this, &ListToolActions::refresh);
    connect(&history.steps(), &QUndoStack::indexChanged, this, &ListToolActions::refresh);
    refresh();
}

void ListToolActions::addChange(const char* name, ListToolCommands::Change which) {
    auto* action = new QAction(ListToolCommands::caption(which), &m_view);
    action->setObjectName(QString::fromLatin1(name));
    m_view.addAction(action);
    m_needItems.push_back(action);
    onTriggered(action, this, [this, which, name] {
        ListToolCommands::change(m_context, m_listNumber, which, m_pane.eventOrigin(name + 6));
    });
}

void ListToolActions::addCompared(QWidget& menuParent) {
    using ListTools::Compared;
    auto* menu = new QMenu(QStringLiteral("Copy Compar&ed"), &menuParent);
    menu->setObjectName(QStringLiteral("menuCopyCompared"));
    menu->menuAction()->setObjectName(QStringLiteral("actionCopyCompared"));
    const struct {
        const char* name;
        Compared which;
    } rows[] = {{"actionCopyOnlyInThis", Compared::OnlyInThis},
                {"actionCopyInBoth", Compared::InBoth},
                {"actionCopyEachOnce", Compared::EachOnce}};
    for (const auto& row : rows) {
        auto* action = menu->addAction(ListToolCommands::caption(row.which));
        action->setObjectName(QString::fromLatin1(row.name));
        const Compared which = row.which;
        const char* event = row.name + 6;
        onTriggered(action, this, [this, which, event] {
            ListToolCommands::copyCompared(m_context, m_listNumber, which, m_clipboard,
                                           m_pane.eventOrigin(event));
        });
    }
    m_view.addAction(menu->menuAction());
    m_needItems.push_back(menu->menuAction());
}

void ListToolActions::refresh() {
    const bool canRun = ListToolCommands::canRun(m_context, m_listNumber);
    for (QAction* action : m_needItems) action->setEnabled(canRun);
    m_copyRemoved->setEnabled(ListToolCommands::canCopyRemoved(m_context, m_listNumber, m_history));
}
