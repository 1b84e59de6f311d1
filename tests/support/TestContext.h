#pragma once

#include "core/CommonDialog.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/WindowState.h"
#include "core/Yielder.h"
#include "panes/PaneModel.h"
#include "store/CommandContext.h"
#include "support/ScriptedDialogs.h"

#include <QStringList>

#include <chrono>
#include <functional>

// Records every value the progress display is given.
class RecordingProgress : public ProgressSink {
public:
    QList<double> values;
    void setPercent(double percent) override { values.append(percent); }
};

// A yielder that yields at every chance (or as configured) and runs a hook instead of, or before,
// the event loop, so tests can act "in the middle" of a command deterministically.
class ScriptedYielder : public Yielder {
public:
    explicit ScriptedYielder(std::chrono::microseconds budget = std::chrono::microseconds(0),
                             int checkEvery = 1)
        : Yielder(budget, checkEvery) {}

    std::function<void()> onYield;
    bool runEventLoop = false;
    int yields = 0;

protected:
    void processEvents() override {
        ++yields;
        if (onYield) onYield();
        if (runEventLoop) Yielder::processEvents();
    }
};

// Another command, as the commands see it while it runs: counted as running long work where
// `pointer` is the wait pointer (which then shows), else only the pointer set to `pointer`; holding
// pane `held` (0: none) to change it.
class AnotherCommand {
public:
    AnotherCommand(WindowState& window, int pointer, int held = 0) : m_window(window), m_held(held) {
        if (pointer == WindowState::WaitPointer)
            m_running.start();
        else
            window.setMousePointer(WindowState::Pointer(pointer));
        if (held && !window.hold(held)) m_held = 0;
    }
    ~AnotherCommand() {
        if (m_held) m_window.release(m_held);
    }
    AnotherCommand(const AnotherCommand&) = delete;
    AnotherCommand& operator=(const AnotherCommand&) = delete;

private:
    WindowState& m_window;
    RunningCommand m_running{m_window};
    int m_held;
};

// A pane whose text reads fail on demand: positions in failAt throw RunTimeError.
class FailingPane : public PaneModel {
public:
    QList<int> failAt;
    bool failRemovals = false;
    QByteArrayView text(int position) const override {
        if (failAt.contains(position)) throw RunTimeError(QStringLiteral("Simulated read failure"));
        return PaneModel::text(position);
    }
    using PaneModel::span;
    ItemSpan span(int position) const override {
        const ItemSpan span = PaneModel::span(position);
        for (int failing : failAt)
            if (failing >= span.firstPosition && failing <= span.lastPosition())
                throw RunTimeError(QStringLiteral("Simulated read failure"));
        return span;
    }
    void removePositions(const QList<int>& ascending, quint64 stamp, Yielder& yielder) override {
        if (failRemovals) throw RunTimeError(QStringLiteral("Simulated removal failure"));
        PaneModel::removePositions(ascending, stamp, yielder);
    }
};

// The texts `times` over, one copy after another.
inline QStringList repeated(const QStringList& texts, int times) {
    QStringList result;
    for (int i = 0; i < times; ++i) result += texts;
    return result;
}

// `count` items of `bytes` bytes each, in blocks no other store shares.
inline ItemStore freshItems(int count, qsizetype bytes, char fill = 'x') {
    ItemStore items;
    const QByteArray text(bytes, fill);
    for (int i = 0; i < count; ++i) items.append(text);
    return items;
}

// A complete command context over two panes with scripted dialogs.
template <class Pane1 = PaneModel, class Pane2 = PaneModel>
struct BasicTestContext {
    Pane1 list1;
    Pane2 list2;
    WindowState window;
    ScriptedDialogs dialogs;
    ErrorReporter reporter{dialogs};
    ScriptedYielder yielder;
    RecordingProgress progress;
    CommonDialog commonDialog1{dialogs};
    CommandContext context{list1, list2, window, dialogs, reporter, yielder, progress, commonDialog1};

    BasicTestContext() { window.setAppTitle(QStringLiteral("Brindlewick")); }

    // One undo step, as a load makes: appends outside any step would each be a step of their own.
    static void fill(PaneModel& pane, const QStringList& texts) {
        PaneStep step(pane);
        for (const QString& t : texts) pane.append(t);
    }
};
using TestContext = BasicTestContext<>;
