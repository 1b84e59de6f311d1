#pragma once

#include <QObject>

class Clipboard;
class PaneView;
class QMimeData;
struct CommandContext;
struct ListDrop;

// Wires one pane's Copy, Copy All and Paste actions and its drops to the commands, and keeps every
// action of the pane's menu enabled only while it can apply. Remove Item runs as the Delete key
// does; the window wires it with the key.
class PaneActions : public QObject {
    Q_OBJECT
public:
    PaneActions(CommandContext& context, int listNumber, PaneView& view, Clipboard& clipboard,
                QObject* parent = nullptr);

private:
    void refresh();
    // Also asks the clipboard whether it holds text.
    void refreshPaste();
    void dropped(const QMimeData* data);
    void runDrop(const ListDrop& drop);

    CommandContext& m_context;
    int m_listNumber;
    PaneView& m_view;
    Clipboard& m_clipboard;
    // Asked only when the clipboard changes or the menu opens.
    bool m_clipboardHasText = false;
};
