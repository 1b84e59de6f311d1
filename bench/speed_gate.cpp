// The speed gate of the test command: loading, saving and each list routine on generated lists of
// 500,000 items, beside the bare job that does the same with the lines in memory, in the same run.
// It fails when a command takes more than 5 times the bare job's processor time, when it keeps the
// event loop waiting for far longer than its time budget between yields, or when it yields far more
// often than its time needs. Everything it compares is measured in this run, and in processor time,
// which a busy machine does not stretch: it judges how the code scales, not how fast the machine is.
#include "BareJob.h"
#include "ListGenerator.h"

#include "ProcessUse.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/Yielder.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listops/List.h"
#include "panes/PaneModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {
constexpr qint64 kItems = 500000;
constexpr int kRuns = 5;
constexpr double kMaxRatio = 5.0;
constexpr auto kBudget = std::chrono::milliseconds(2);
// Longest processor time between two turns of the event loop, against the budget of 2 ms.
constexpr double kMaxStretchMs = 10.0;

// All threads' time, for the jobs: work that a second thread takes over still counts.
double processMs() {
    return ProcessUse::processCpuSeconds() * 1e3;
}

// The window's thread alone, for the stretches between its turns of the event loop.
double threadMs() {
    return ProcessUse::threadCpuSeconds() * 1e3;
}

double wallMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return double(clock.nsecsElapsed()) / 1e6;
}

class NoDialogs : public Dialogs {
public:
    int reports = 0;
    Answer message(const QString&, const QString&, Buttons, Icon) override {
        ++reports;
        return Answer::Ok;
    }
    QString input(const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const FileRequest&) override { return {}; }
};

class NoProgress : public ProgressSink {
public:
    void setPercent(double) override {}
};

// Yields on a short budget and records, in processor time, the longest stretch without a turn.
class WatchingYielder : public Yielder {
public:
    WatchingYielder() : Yielder(kBudget) { m_last = threadMs(); }
    int yields = 0;
    double longestMs() const { return std::max(m_longest, threadMs() - m_last); }

protected:
    void processEvents() override {
        ++yields;
        const double now = threadMs();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

private:
    double m_last = 0;
    double m_longest = 0;
};

struct Lists {
    std::string bytes1, bytes2;
    std::vector<std::string_view> lines1, lines2;
    ItemStore items1, items2;
    QString path1;
};

std::string fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return file.readAll().toStdString();
}

ItemStore loaded(const QString& path) {
    PaneModel pane;
    Yielder yielder;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    ListFileReader::read(file, pane, yielder);
    return pane.snapshot();
}

struct Result {
    double bareMs = 1e300;
    double oursMs = 1e300;
    double wallMs = 0;
    int yields = 0;
    double longestMs = 0;
    bool same = true;
};

QStringList texts(const std::vector<std::string_view>& lines) {
    QStringList out;
    for (std::string_view line : lines) out.append(QString::fromUtf8(line.data(), qsizetype(line.size())));
    return out;
}

// Our side of a job: set up (not timed), the work (timed), and the items it left in List 1.
struct OurRun {
    std::function<void()> setUp = [] {};
    std::function<void(WatchingYielder&)> work;
    std::function<QStringList()> left;
};

// One job: the bare job and ours each run kRuns times, interleaved; the fastest run of each counts.
// Ours must leave in List 1 the items the bare job kept.
Result measure(const std::function<std::vector<std::string_view>()>& bare, const OurRun& ours) {
    Result r;
    for (int run = 0; run < kRuns; ++run) {
        double start = processMs();
        const std::vector<std::string_view> kept = bare();
        r.bareMs = std::min(r.bareMs, processMs() - start);
        ours.setUp();
        WatchingYielder yielder;
        const double wallStart = wallMs();
        start = processMs();
        ours.work(yielder);
        const double took = processMs() - start;
        if (took < r.oursMs) {
            r.oursMs = took;
            r.wallMs = wallMs() - wallStart;
            r.yields = yielder.yields;
            r.longestMs = yielder.longestMs();
        }
        if (run == 0) r.same = ours.left() == texts(kept);
    }
    return r;
}

// A list routine on fresh panes holding List 1 and List 2.
OurRun routine(const Lists& lists, const std::string& job, NoDialogs& dialogs) {
    struct Panes {
        PaneModel target, reference;
    };
    auto panes = std::make_shared<Panes>();
    OurRun run;
    run.setUp = [panes, &lists] {
        panes->target.clear();
        panes->reference.clear();
        panes->target.appendBatch(lists.items1);
        panes->reference.appendBatch(lists.items2);
    };
    run.work = [panes, job, &dialogs](WatchingYielder& yielder) {
        ErrorReporter reporter(dialogs);
        NoProgress progress;
        const List::RoutineServices s{reporter, yielder, progress};
        const QString text = QString::fromLatin1(ListGenerator::kSearchText);
        PaneModel& target = panes->target;
        if (job == "minus") List::SubtractSecondListFromFirstList(target, panes->reference, s);
        if (job == "keep") List::KeepOnlyMatchesInList(target, panes->reference, s);
        if (job == "first") List::RemoveDupesExceptFirst(target, s);
        if (job == "last") List::RemoveDupesAll(target, s);
        if (job == "blanks") List::RemoveBlanksFromList(target, s);
        if (job == "with") List::RemoveItemsWith(target, text, s);
        if (job == "without") List::RemoveItemsWithout(target, text, s);
    };
    run.left = [panes] { return panes->target.texts(); };
    return run;
}

OurRun load(const QString& path) {
    auto pane = std::make_shared<PaneModel>();
    OurRun run;
    run.setUp = [pane] { pane->clear(); };
    run.work = [pane, path](WatchingYielder& yielder) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) ListFileReader::read(file, *pane, yielder);
    };
    run.left = [pane] { return pane->texts(); };
    return run;
}

OurRun save(const Lists& lists, const QString& path) {
    OurRun run;
    run.work = [&lists, path](WatchingYielder& yielder) {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly)) ListFileWriter::write(out, lists.items1, yielder);
    };
    run.left = [&lists, path] {
        return fileBytes(path) == lists.bytes1 ? texts(lists.lines1) : QStringList();
    };
    return run;
}

std::vector<std::string_view> bareSave(const Lists& lists, const QString& path) {
    QFile out(path);
    const std::string bytes = BareJob::joined(lists.lines1);
    if (out.open(QIODevice::WriteOnly)) out.write(bytes.data(), qint64(bytes.size()));
    return lists.lines1;
}

bool report(const char* job, const Result& r) {
    const double ratio = r.oursMs / std::max(r.bareMs, 0.01);
    // Yielding on a 2 ms budget, a command yields about once per 2 ms of its wall time; far more
    // means it yields where nothing is due.
    const double expectedYields = r.wallMs / 2.0;
    const bool ok =
        r.same && ratio <= kMaxRatio && r.longestMs <= kMaxStretchMs && r.yields <= 4 * expectedYields + 8;
    std::printf("%-8s %9.2f %9.2f %7.2f %7d %9.2f %5s  %s\n", job, r.bareMs, r.oursMs, ratio, r.yields,
                r.longestMs, r.same ? "yes" : "NO", ok ? "ok" : "FAILED");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const std::string where = folder.path().toStdString();
    ListGenerator::ensureLists(where, kItems);
    Lists lists;
    lists.path1 = QString::fromStdString(ListGenerator::listPath(where, 1, kItems));
    const QString path2 = QString::fromStdString(ListGenerator::listPath(where, 2, kItems));
    lists.bytes1 = fileBytes(lists.path1);
    lists.bytes2 = fileBytes(path2);
    lists.lines1 = BareJob::splitLines(lists.bytes1);
    lists.lines2 = BareJob::splitLines(lists.bytes2);
    lists.items1 = loaded(lists.path1);
    lists.items2 = loaded(path2);

    std::printf(
        "%d items; processor ms, the fastest of %d runs; at most %.0f x the bare job, %.0f ms between "
        "yields\n",
        int(kItems), kRuns, kMaxRatio, kMaxStretchMs);
    std::printf("%-8s %9s %9s %7s %7s %9s %5s\n", "job", "bare", "ours", "ratio", "yields", "longest",
                "same");
    NoDialogs dialogs;
    bool ok = true;
    std::string loadedBytes;
    ok &= report("load", measure([&] { return BareJob::splitLines(loadedBytes = fileBytes(lists.path1)); },
                                 load(lists.path1)));
    const QString savePath = folder.filePath(QStringLiteral("saved.txt"));
    ok &= report("save", measure([&] { return bareSave(lists, savePath); }, save(lists, savePath)));
    const std::string text = ListGenerator::kSearchText;
    for (const char* job : {"minus", "keep", "first", "last", "blanks", "with", "without"})
        ok &= report(job, measure([&] { return BareJob::run(job, lists.lines1, lists.lines2, text); },
                                  routine(lists, job, dialogs)));
    if (dialogs.reports > 0) {
        std::printf("%d error reports\n", dialogs.reports);
        ok = false;
    }
    return ok ? 0 : 1;
}
