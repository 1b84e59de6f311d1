#pragma once

#include <QObject>

#include <memory>

class PaneView;
class QAction;
class QMenu;
class WindowState;
struct CompareOptions;

// The window's compare options as two check items, "Ignore Letter Case" and "Ignore Spaces Around
// Items", in a "Compare" submenu that both panes' context menus share: one pair of actions, so both
// panes show the same state. They follow the window state both ways and start off, as the state does.
class CompareActions : public QObject {
    Q_OBJECT
public:
    explicit CompareActions(WindowState& state, QObject* parent = nullptr);
    ~CompareActions() override;

    // Adds the submenu at the end of the pane's context menu, after a separator.
    void addTo(PaneView& view);

    QAction* ignoreCase() const { return m_ignoreCase; }
    QAction* ignoreSpaces() const { return m_ignoreSpaces; }

private:
    QAction* makeOption(const QString& text, const char* name);
    void toggled();
    void show(const CompareOptions& options);

    WindowState& m_state;
    // The menu is shared by the panes, so neither owns it.
    std::unique_ptr<QMenu> m_menu;
    QAction* m_ignoreCase = nullptr;
    QAction* m_ignoreSpaces = nullptr;
};
