#pragma once

#include <QObject>
#include <QString>

#include <array>

// The main window's state that commands test and set: the Busy flag of the list operations, the
// mouse pointer value, which panes are in use, and the application title.
class WindowState : public QObject {
    Q_OBJECT
public:
    // The values are the pointer property's own, which tests and reports observe.
    enum Pointer : int { DefaultPointer = 0, WaitPointer = 11, HandPointer = 99 };
    Q_ENUM(Pointer)

    using QObject::QObject;

    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    Pointer mousePointer() const { return m_pointer; }
    void setMousePointer(Pointer value);
    bool waiting() const { return m_pointer == WaitPointer; }

    // True while a command that changes the pane over yields runs (a PaneGuard holds it): other
    // commands then neither change it nor read it as a list.
    bool inUse(int listNumber) const { return m_inUse[slot(listNumber)] > 0; }

    const QString& appTitle() const { return m_appTitle; }
    void setAppTitle(const QString& title) { m_appTitle = title; }

Q_SIGNALS:
    void mousePointerChanged(WindowState::Pointer value);
    // A command took or gave back a hold on the pane (see PaneGuard).
    void paneUseChanged(int listNumber);

private:
    friend class PaneGuard;
    friend class WaitShare;
    static int slot(int listNumber) { return listNumber == 1 ? 0 : 1; }
    void changeUse(int listNumber, int by);
    void showWait();
    void restoreWait();

    bool m_busy = false;
    Pointer m_pointer = DefaultPointer;
    // Counted, so the end of one command never releases what another still holds.
    std::array<int, 2> m_inUse{};
    int m_waitShares = 0;
    QString m_appTitle;
};

// One running command's share of the wait pointer. The pointer shows while any share is shown and
// returns to the default only when the last one is restored, so a command that ends never takes the
// busy sign from one that still runs. A share still shown when it goes away (its command unwound
// because the window closed) is restored then.
class WaitShare {
public:
    explicit WaitShare(WindowState& window) : m_window(window) {}
    ~WaitShare() { restore(); }
    WaitShare(const WaitShare&) = delete;
    WaitShare& operator=(const WaitShare&) = delete;

    void show();
    void restore();

private:
    WindowState& m_window;
    bool m_shown = false;
};
