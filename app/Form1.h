#pragma once

#include "app/QtDialogs.h"
#include "app/SkinFramework.h"
#include "commands/CommandTable.h"
#include "core/CommonDialog.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/Services.h"
#include "core/WindowState.h"
#include "core/Yielder.h"
#include "panes/PaneModel.h"
#include "store/CommandContext.h"

#include <QCursor>
#include <QWidget>

#include <array>
#include <optional>

class PaneView;
class QProgressBar;
class QPushButton;

// The main window: lays out the controls and hands each event to the subsystem that owns it.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs its start-up (Form_Load); show it afterwards.
    explicit Form1(const Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    WindowState& state() { return m_state; }
    PaneModel& list(int listNumber) { return listNumber == 1 ? m_list1 : m_list2; }
    PaneView* listView(int listNumber) const { return m_views[listNumber - 1]; }
    // The command button named "PushButton<number>" (for tests and the benchmark).
    QPushButton* pushButton(int number) const;
    QProgressBar* progressBar() const { return m_progressBar; }
    Yielder& yielder() { return *m_yielder; }
    Clipboard& clipboard() { return *m_clipboard; }
    // Whether start-up loaded a hand pointer picture.
    bool hasHandPointer() const { return m_handCursor.has_value(); }
    const QCursor& currentPointerShape() const { return m_shownCursor; }

    // Runs the Click handler of a command button, as its row in the command table says.
    void run(const CommandTable::Control& button);
    // The Click handler of PushButton<number> (for tests and the benchmark).
    void click(int buttonNumber);
    // Files named on the command line: the first into List 1, the second into List 2, each as that
    // pane's Load button loads a chosen file. More than two: a message, and nothing is loaded.
    void loadFromCommandLine(const QStringList& paths);
    // ListView1_DblClick / ListView2_DblClick, and ListView1_KeyDown / ListView2_KeyDown for Delete.
    void paneDoubleClicked(int listNumber);
    void paneDeletePressed(int listNumber);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildControl(const CommandTable::Control& control);
    void wireControls();
    void Form_Load();
    void Form_Unload();
    // Whether the window may close: asks when a pane holds work that was never saved.
    bool askBeforeClosing();
    void removeSelected(int listNumber);
    void showPointer(WindowState::Pointer value);
    // Centres the window's frame, title bar included, on the screen's available area.
    void centreOnScreen();
    void centreOnceFramed();

    Services m_services;
    std::optional<Yielder> m_ownYielder;
    Yielder* m_yielder;
    std::optional<SystemClipboard> m_ownClipboard;
    Clipboard* m_clipboard;
    SkinFramework m_skin;
    WindowState m_state;
    PaneModel m_list1;
    PaneModel m_list2;
    ErrorReporter m_reporter;
    CommonDialog m_commonDialog1;
    class BarProgress : public ProgressSink {
    public:
        QProgressBar* bar = nullptr;
        void setPercent(double percent) override;
    } m_progress;
    CommandContext m_context;

    std::array<PaneView*, 2> m_views{};
    QProgressBar* m_progressBar = nullptr;
    std::optional<QCursor> m_handCursor;
    QCursor m_shownCursor;
    bool m_frameCentred = false;
    bool m_askingToClose = false;
};
