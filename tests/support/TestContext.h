#pragma once

#include "core/CommonDialog.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/WindowState.h"
#include "core/Yielder.h"
#include "panes/CommandContext.h"
#include "panes/PaneModel.h"
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

// A pane whose text reads fail on demand: positions in failAt throw RunTimeError.
class FailingPane : public PaneModel {
public:
    QList<int> failAt;
    bool failRemovals = false;
    QByteArrayView text(int position) const override {
        if (failAt.contains(position)) throw RunTimeError(QStringLiteral("Simulated read failure"));
        return PaneModel::text(position);
    }
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

    static void fill(PaneModel& pane, const QStringList& texts) {
        for (const QString& t : texts) pane.append(t);
    }
};
using TestContext = BasicTestContext<>;
