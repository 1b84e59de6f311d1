#pragma once

#include "commands/CommandTable.h"
#include "listops/ListTools.h"

#include <QObject>

#include <vector>

class Clipboard;
class PaneView;
class QAction;
class QMimeData;
class QUndoStack;
struct CommandContext;
struct ListDrop;

// Wires one pane's menu and drops to the commands: Copy, Copy All, Paste, Undo and Redo, the list
// commands of the menu (Sort A to Z, Sort Z to A, Keep Only Items That Occur Once), Stop (Escape, anywhere
// in the window, stops the list command changing the pane), the Copy Compared
// submenu, Copy Items the Last Change Removed and the Match On submenu; keeps every entry enabled only while
// it can apply. Each entry is a named QAction, so tests and screen readers find and press it. Remove Item
// runs as the Delete key does; the window wires it with the key.
class PaneActions : public QObject {
    Q_OBJECT
public:
    PaneActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                const QUndoStack& steps, QObject* parent = nullptr);

private:
    void addListCommands();
    void addCompared();
    void addMatchOn();
    void addFileEntries();
    // The header's note: the file the items came from and the Match On choice.
    void showHeader();
    // A named entry of the pane's menu whose handler runs `command` with the entry's error-report
    // origin ("actionSortAToZ" gives ListView1_SortAToZ).
    template <class Command>
    QAction* addEntry(QWidget& owner, const QString& text, const char* name, Command command);
    void refresh();
    // Also takes what the clipboard last learnt about holding text (it never waits on another program).
    void refreshPaste();
    void dropped(const QMimeData* data);
    void runDrop(const ListDrop& drop);

    CommandContext& m_context;
    int m_listNumber;
    // The pane's row in the command table: its handlers' error-report origins.
    const CommandTable::Control& m_pane;
    PaneView& m_view;
    Clipboard& m_clipboard;
    // Taken when the clipboard tells of a change or the menu opens.
    bool m_clipboardHasText = false;
    // The entries that need the pane free and holding items.
    std::vector<QAction*> m_needItems;
    QAction* m_stop = nullptr;
    QAction* m_copyRemoved = nullptr;
    QAction* m_matchWhole = nullptr;
    QAction* m_matchColumn = nullptr;
};
