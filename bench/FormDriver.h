#pragma once

#include "BenchServices.h"
#include "ProcessProbe.h"
#include "panes/view/PaneView.h"

#include <QString>

#include <memory>

class Form1;
class PaneModel;

// What one measured action did: the time from the click to the command's end, how far it raised
// the process's peak memory above what was resident before, and the longest stretch in which the
// event loop did not turn.
struct Measurement {
    double seconds = 0;
    double cpuSeconds = 0;
    double peakGrowthMb = 0;
    double longestGapMs = 0;
    int loopTurns = 0;
    int itemsAfter = 0;  // List 1's count afterwards
    int errors = 0;      // error reports shown meanwhile
};

// Drives the real main window through its buttons, offscreen, with dialogs that answer at once.
class FormDriver {
public:
    FormDriver();
    ~FormDriver();

    // Unmeasured set-up: empty panes, or a pane loaded from a file, then an idle window. Empty panes
    // come in a window opened afresh, so no undo history of earlier runs holds memory: each command
    // is measured as the first after a start.
    void clearBoth();
    void load(int listNumber, const QString& path);

    // The clicks the benchmark measures, as a user would make them.
    void clickLoad(int listNumber, const QString& path);
    void clickSave(int listNumber, const QString& path);
    void clickCommand(int button, const QString& typedText = {});
    // Selects the item at `position` of List 1; pressDelete() then presses Delete in its pane.
    void selectInList1(int position);
    void pressDelete();

    // Unmeasured set-up for the cases that need no file: List 1 gets these items.
    PaneModel& list1();
    // Unmeasured: a file's text on the clipboard, as another program would leave it.
    void putFileOnClipboard(const QString& path);
    // Unmeasured: another program (xclip) holds the file's text on the X clipboard.
    void putFileOnXClipboard(const QString& path);
    // Another program (xclip) reads the clipboard's text, which the window hands over meanwhile.
    void readXClipboard();
    // Selects the item and presses Delete in the pane.
    void deleteItem(int listNumber, int position);
    // The pane's Copy, Copy All, Paste, Undo or Redo, as its shortcut or menu would run it.
    void triggerPaneAction(int listNumber, PaneView::Action action);
    // An action of the pane's context menu by its object name.
    void triggerNamedAction(int listNumber, const char* name, const QString& typedText = {});

    // Runs `action` (a few clicks) from an idle window and measures it.
    template <class Action>
    Measurement measure(Action&& action) {
        begin();
        action();
        return end();
    }

    Form1& form() { return *m_form; }

    // The highest peak memory of the process seen since the last call.
    qint64 takeProcessPeak();
    bool peakResetWorks() const { return m_peakResetWorks; }

private:
    void runQueuedCommand();
    void settle();
    void samplePeak();
    void begin();
    Measurement end();

    BenchServices m_services;
    std::unique_ptr<Form1> m_form;
    LoopWatch m_watch;
    qint64 m_processPeak = 0;
    qint64 m_residentBefore = 0;
    qsizetype m_errorsBefore = 0;
    qint64 m_startNs = 0;
    double m_startCpu = 0;
    QElapsedTimer m_clock;
    bool m_peakResetWorks = true;
};
