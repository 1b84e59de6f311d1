#pragma once

#include "core/CompareOptions.h"
#include "core/MatchOn.h"
#include "core/Yielder.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

// The main window's state that commands test and set: the Busy flag of the list operations, the
// count of commands running long work (which the wait pointer follows), which panes a command holds
// to change them, the mouse pointer value, the application title, and the command the user may stop.
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

    // Whether a list operation, a load, a save or a Copy All is running its long work now (see
    // RunningCommand): the sign that Clear, single removal and the hover rules leave things alone.
    bool commandRunning() const { return m_running > 0; }

    // True while a command that changes the pane holds it: other commands then neither change it
    // nor read it as a list.
    bool inUse(int listNumber) const { return m_held[slot(listNumber)] > 0; }
    // Takes the pane for a command about to change it; false, taking nothing, while another command
    // holds it. Only the panes' change scope calls these, once each.
    bool hold(int listNumber);
    void release(int listNumber);

    const QString& appTitle() const { return m_appTitle; }
    void setAppTitle(const QString& title) { m_appTitle = title; }

    // The compare options of the whole window, which the list commands read when they start.
    const CompareOptions& compareOptions() const { return m_compare; }
    void setCompareOptions(const CompareOptions& options);

    // What of List 1's or List 2's items the list commands compare: whole items at every start.
    const MatchOn& matchOn(int listNumber) const { return m_matchOn[slot(listNumber)]; }
    void setMatchOn(int listNumber, const MatchOn& on);

    // What the last command that changed a pane (or could have) did, shown until the next one.
    const QString& lastResult() const { return m_lastResult; }
    // `detail` is what the line leaves out and a pointer resting on it shows: the saved file's path.
    void setLastResult(const QString& text, const QString& detail = {});
    const QString& lastResultDetail() const { return m_lastResultDetail; }

    // The files List 1's or List 2's items were last loaded from (several after a load of several;
    // none once it was cleared, or while it holds only pasted or sample items).
    const QStringList& loadedFrom(int listNumber) const { return m_loadedFrom[slot(listNumber)]; }
    void setLoadedFrom(int listNumber, const QStringList& paths);

    // The list command running now, as the result line calls it ("Remove Dupes Except First"); empty
    // while none runs. The result bar shows it beside the progress.
    const QString& runningTitle() const { return m_runningTitle; }
    // Whether a command that the user may stop (Escape, the pane's Stop) is changing the pane now and
    // has not been asked to stop yet. stop() ends it at its next own yield; nothing while none runs.
    bool canStop(int listNumber) const;
    void stop(int listNumber);

Q_SIGNALS:
    void mousePointerChanged(WindowState::Pointer value);
    // A command took or gave back its hold on the pane.
    void paneUseChanged(int listNumber);
    void compareOptionsChanged(const CompareOptions& options);
    void lastResultChanged(const QString& text);
    void matchOnChanged(int listNumber);
    void loadedFromChanged(int listNumber);
    void runningTitleChanged(const QString& title);
    void canStopChanged(int listNumber);

private:
    friend class RunningCommand;
    friend class StoppableCommand;
    static int slot(int listNumber) { return listNumber == 1 ? 0 : 1; }
    void changeHold(int listNumber, int by);
    void commandStarted();
    void commandEnded();

    bool m_busy = false;
    Pointer m_pointer = DefaultPointer;
    std::array<int, 2> m_held{};
    // Counted, so a command that ends never takes the busy sign from one that still runs.
    int m_running = 0;
    QString m_appTitle;
    CompareOptions m_compare;
    std::array<MatchOn, 2> m_matchOn{};
    QString m_lastResult;
    QString m_lastResultDetail;
    std::array<QStringList, 2> m_loadedFrom{};
    QString m_runningTitle;
    std::array<StopPoint*, 2> m_stops{};
};

// Counts its command among those running long work, from start() until end() or its own end (a
// command that unwinds because the window closes). The wait pointer shows while any is counted and
// returns to the default when the last one ends.
class RunningCommand {
public:
    explicit RunningCommand(WindowState& window) : m_window(window) {}
    ~RunningCommand() { end(); }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    void start();
    void end();

private:
    WindowState& m_window;
    bool m_counted = false;
};

// A command that the user may stop, for as long as it runs: the window knows its title and offers
// its stop on the pane it changes. Made on the window's thread where the command's work starts.
class StoppableCommand {
public:
    StoppableCommand(WindowState& window, Yielder& yielder, int listNumber, const QString& title);
    ~StoppableCommand();
    StoppableCommand(const StoppableCommand&) = delete;
    StoppableCommand& operator=(const StoppableCommand&) = delete;

private:
    WindowState& m_window;
    const int m_listNumber;
    StopPoint m_point;
};
