#pragma once

#include "commands/CommandTable.h"
#include "commands/ListToolCommands.h"

#include <QObject>

#include <vector>

class Clipboard;
class PaneHistory;
class PaneView;
class QAction;
struct CommandContext;

// Adds the list tools to one pane's context menu (Sort A to Z, Sort Z to A, Keep Only Items That Occur
// Once, the Copy Compared submenu, Copy Items the Last Change Removed), wires them to the commands,
// and keeps each enabled only while it can apply. Each is a named QAction, so tests and screen readers
// find and press it like the pane's other entries.
class ListToolActions : public QObject {
    Q_OBJECT
public:
    ListToolActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                    const PaneHistory& history, QObject* parent = nullptr);

private:
    void addChange(const char* name, ListToolCommands::Change which);
    void addCompared(QWidget& menuParent);
    void refresh();

    CommandContext& m_context;
    int m_listNumber;
    const CommandTable::Control& m_pane;
    PaneView& m_view;
    Clipboard& m_clipboard;
    const PaneHistory& m_history;
    // The entries that need the pane free and holding items; Copy Items the Last Change Removed has
    // its own test.
    std::vector<QAction*> m_needItems;
    QAction* m_copyRemoved = nullptr;
};
