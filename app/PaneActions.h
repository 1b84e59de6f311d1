#pragma once

#include "commands/CommandTable.h"

#include <QObject>

class Clipboard;
class PaneView;
class QMimeData;
class QUndoStack;
struct CommandContext;
struct ListDrop;

// Wires one pane's Copy, Copy All, Paste, Undo and Redo actions and its drops to the commands, and
// keeps every action of the pane's menu enabled only while it can apply (Undo and Redo follow the
// pane's undo steps). Remove Item runs as the Delete key does; the window wires it with the key.
class PaneActions : public QObject {
    Q_OBJECT
public:
    PaneActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                const QUndoStack& steps, QObject* parent = nullptr);

private:
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
};
