// The speed gate of the test command: loading, saving and each list routine on generated lists of
// 500,000 items, beside the bare job that does the same with the lines in memory, in the same run;
// then each routine ignoring case and spaces against itself comparing exactly (bare: the exact run;
// With/Without also with a text holding s), Remove Matches on a column of rows against whole rows,
// Remove Items With on repetitive text, Remove Blanks on a long
// list of which it removes every other item, and Sort A to Z on long texts that differ only in case. It
// fails when a command takes more than its bound times the bare job's processor time (tight where ours is
// well under the bare job's), when it keeps the event loop waiting for far longer than its time budget
// between yields, or when it yields far more often than its time needs.
// Everything it compares is measured in this run, and in processor time, which a busy machine does
// not stretch: it judges how the code scales, not how fast the machine is.
#include "BareJob.h"
#include "ColumnRows.h"
#include "GateLists.h"
#include "GateServices.h"
#include "ListGenerator.h"

#include "core/ErrorReport.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "panes/PaneModel.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using namespace GateServices;

namespace {
constexpr qint64 kItems = 500000;
// Long enough that a search comparing the text at each place takes many times the bare job.
constexpr int kRepetitiveItems = 20000;
// Long enough that its removal, done without a yield, is one stretch far over the bound.
constexpr int kAlternatingItems = 4000000;
// Two chunks of the sort and their merge, of texts long enough that sorting one chunk without a
// pause is one stretch far over the bound.
constexpr int kNearEqualItems = 20000;
constexpr int kNearEqualLength = 400;
constexpr int kRuns = 5;
constexpr double kMaxRatio = 5.0;
// Where ours takes well under the bare job's time, a slip that more than doubles it must not pass.
// Ours measures 0.6-0.9 on one thread but 1.0-1.4 in runs where the helper thread takes part (its
// waits count as processor time); since the column work those runs come often on an idle machine.
constexpr double kMaxHashRatio = 1.6;
constexpr double kMaxSaveRatio = 1.0;
constexpr double kMaxLoadRatio = 2.5;
// Two-way search against Boyer-Moore: both linear; a search that is not takes 8 times as long.
constexpr double kMaxRepetitiveRatio = 4.0;
// Longest processor time between two turns of the event loop, against the budget of 2 ms: no single
// step of work comes near it, a loop over a long list without a yield goes well past it.
constexpr double kMaxStretchMs = 6.0;

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

// Both lists from their files: the bytes, the bare job's lines and our items.
void readLists(Lists& lists, const QString& path1, const QString& path2) {
    lists.path1 = path1;
    lists.bytes1 = fileBytes(path1);
    lists.bytes2 = fileBytes(path2);
    lists.lines1 = BareJob::splitLines(lists.bytes1);
    lists.lines2 = BareJob::splitLines(lists.bytes2);
    lists.items1 = loaded(path1);
    lists.items2 = loaded(path2);
}

QString written(const QTemporaryDir& folder, const char* name, const std::string& bytes) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

struct Result {
    double bareMs = 1e300;
    double oursMs = 1e300;
    double wallMs = 0;
    int yields = 0;
    double longestMs = 0;
    bool same = true;
};

// The items of a pane as the bare job writes its lines: each followed by CR LF.
std::string joined(const PaneModel& pane) {
    const ItemStore items = pane.snapshot();
    std::string bytes;
    for (qsizetype i = 0; i < items.count(); ++i) {
        const QByteArrayView text = items.text(i);
        bytes.append(text.data(), size_t(text.size())).append("\r\n");
    }
    return bytes;
}

// Our side of a job: set up (not timed), the work (timed), and the items it left in List 1.
struct OurRun {
    std::function<void()> setUp = [] {};
    std::function<void(WatchingYielder&)> work;
    std::function<std::string()> left;
};

// One run of ours; the fastest run so far is the one that counts.
void runOurs(const OurRun& ours, Result& r) {
    ours.setUp();
    WatchingYielder yielder;
    const double wallStart = wallMs();
    const double start = processMs();
    ours.work(yielder);
    const double took = processMs() - start;
    if (took >= r.oursMs) return;
    r.oursMs = took;
    r.wallMs = wallMs() - wallStart;
    r.yields = yielder.yields;
    r.longestMs = yielder.longestMs();
}

// One job: the bare job and ours each run kRuns times, interleaved; the fastest run of each counts.
// Ours must leave in List 1 the items the bare job kept.
Result measure(const std::function<std::vector<std::string_view>()>& bare, const OurRun& ours) {
    Result r;
    for (int run = 0; run < kRuns; ++run) {
        const double start = processMs();
        const std::vector<std::string_view> kept = bare();
        r.bareMs = std::min(r.bareMs, processMs() - start);
        runOurs(ours, r);
        if (run == 0) r.same = ours.left() == BareJob::joined(kept);
    }
    return r;
}

// A list routine on fresh panes holding List 1 and List 2.
OurRun routine(const Lists& lists, const std::string& job, NoDialogs& dialogs,
               const std::string& searchText = ListGenerator::kSearchText, CompareOptions options = {},
               MatchOn on = {}) {
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
    const QString text = QString::fromStdString(searchText);
    run.work = [panes, job, text, options, on, &dialogs](WatchingYielder& yielder) {
        ErrorReporter reporter(dialogs);
        NoProgress progress;
        const List::RoutineServices s{reporter, yielder, progress, options, on, on};
        PaneModel& target = panes->target;
        if (job == "minus") List::SubtractSecondListFromFirstList(target, panes->reference, s);
        if (job == "keep") List::KeepOnlyMatchesInList(target, panes->reference, s);
        if (job == "first") List::RemoveDupesExceptFirst(target, s);
        if (job == "last") List::RemoveDupesAll(target, s);
        if (job == "blanks") List::RemoveBlanksFromList(target, s);
        if (job == "with") List::RemoveItemsWith(target, text, s);
        if (job == "without") List::RemoveItemsWithout(target, text, s);
        if (job == "sort") ListTools::SortAToZ(target, s);
    };
    run.left = [panes] { return joined(panes->target); };
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
    run.left = [pane] { return joined(*pane); };
    return run;
}

OurRun save(const Lists& lists, const QString& path) {
    OurRun run;
    run.work = [&lists, path](WatchingYielder& yielder) {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly)) ListFileWriter::write(out, lists.items1, yielder);
    };
    run.left = [path] { return fileBytes(path); };
    return run;
}

std::vector<std::string_view> bareSave(const Lists& lists, const QString& path) {
    QFile out(path);
    const std::string bytes = BareJob::joined(lists.lines1);
    if (out.open(QIODevice::WriteOnly)) out.write(bytes.data(), qint64(bytes.size()));
    return lists.lines1;
}

bool report(const char* job, const Result& r, double maxRatio = kMaxRatio) {
    const double ratio = r.oursMs / std::max(r.bareMs, 0.01);
    // Yielding on a 2 ms budget, a command yields about once per 2 ms of its wall time; far more
    // means it yields where nothing is due.
    const double expectedYields = r.wallMs / 2.0;
    const bool ok =
        r.same && ratio <= maxRatio && r.longestMs <= kMaxStretchMs && r.yields <= 4 * expectedYields + 8;
    std::printf("%-8s %9.2f %9.2f %7.2f %7.2f %7d %9.2f %5s  %s\n", job, r.bareMs, r.oursMs, ratio, maxRatio,
                r.yields, r.longestMs, r.same ? "yes" : "NO", ok ? "ok" : "FAILED");
    return ok;
}

double ratioBound(const std::string& job) {
    if (job == "minus" || job == "keep" || job == "first" || job == "last") return kMaxHashRatio;
    return kMaxRatio;
}

// A routine with compare options against the same routine comparing exactly, both ours, interleaved:
// the bound is on what the options add. Their results are the oracle tests' concern.
Result measureOptions(const OurRun& exact, const OurRun& withOptions) {
    Result r;
    for (int run = 0; run < kRuns; ++run) {
        exact.setUp();
        WatchingYielder exactYielder;
        const double start = processMs();
        exact.work(exactYielder);
        r.bareMs = std::min(r.bareMs, processMs() - start);
        runOurs(withOptions, r);
    }
    return r;
}

// Every routine with both options on, at most this many times its exact time. The benchmark holds the
// routines to 1.3 x; the gate, which runs on a busy machine, leaves room for its noise (runs of
// 1.17 to 1.31 were seen) while still failing on work per item that is not needed.
constexpr double kMaxOptionsRatio = 1.5;
// A text holding k or s, which characters beyond ASCII fold to: the search ignoring case then looks
// whether each stretch of items is ASCII before it searches the stretch in place.
constexpr const char* kTextFoldedFromBeyondAscii = "mails";

// Remove Blanks comparing exactly reads only where items end; ignoring spaces it must read each
// item's first byte too, which brings every line of the text into the cache: 1.2 to 1.6 x here, on
// a job of 2 to 4 ms. A test of every character of every item would take several times as long.
constexpr double kMaxBlanksOptionsRatio = 2.0;

bool optionJobs(const Lists& lists, NoDialogs& dialogs) {
    bool ok = true;
    const std::string text = ListGenerator::kSearchText;
    for (const char* job : {"minus", "keep", "first", "last", "blanks", "with", "without"}) {
        const std::string name = std::string(job) + "+cs";
        ok &= report(name.c_str(),
                     measureOptions(routine(lists, job, dialogs),
                                    routine(lists, job, dialogs, text, CompareOptions{true, true})),
                     std::string(job) == "blanks" ? kMaxBlanksOptionsRatio : kMaxOptionsRatio);
    }
    for (const char* job : {"with", "without"}) {
        const std::string name = std::string(job) + "+cs s";
        ok &= report(name.c_str(),
                     measureOptions(routine(lists, job, dialogs, kTextFoldedFromBeyondAscii),
                                    routine(lists, job, dialogs, kTextFoldedFromBeyondAscii,
                                            CompareOptions{true, true})),
                     kMaxOptionsRatio);
    }
    return ok;
}

// The lines as three-column rows, each line the second column, CR LF after each.
std::string rowsOf(const std::vector<std::string_view>& lines) {
    std::string bytes;
    for (const std::string_view line : lines) bytes.append(ColumnRows::rowFor(line)).append("\r\n");
    return bytes;
}

// Remove Matches with both lists' rows matched on column 2, against the same on whole rows (which
// picks the same items), both ours: the bound is on what finding the column adds, of which the
// helper thread does half. Measured 1.2 to 1.5 x; a key pass twice as slow goes past it.
constexpr double kMaxColumnRatio = 2.0;

bool columnJob(const QTemporaryDir& folder, const Lists& lists, NoDialogs& dialogs) {
    Lists rows;
    readLists(rows, written(folder, "rows1.txt", rowsOf(lists.lines1)),
              written(folder, "rows2.txt", rowsOf(lists.lines2)));
    const std::string text = ListGenerator::kSearchText;
    return report("minus c2",
                  measureOptions(routine(rows, "minus", dialogs),
                                 routine(rows, "minus", dialogs, text, {}, MatchOn{2, U',', false})),
                  kMaxColumnRatio);
}

// Remove Items With on repetitive text, against a linear search.
bool repetitiveJob(const QTemporaryDir& folder, NoDialogs& dialogs) {
    Lists lists;
    readLists(lists, written(folder, "repetitive.txt", GateLists::repetitiveBytes(kRepetitiveItems)),
              written(folder, "empty.txt", {}));
    const std::string text = GateLists::repetitiveText();
    return report("repeat",
                  measure([&] { return GateLists::withoutText(lists.lines1, text); },
                          routine(lists, "with", dialogs, text)),
                  kMaxRepetitiveRatio);
}

// Remove Blanks removing every other item of a long list: the removal's own stretches.
constexpr double kMaxRemovalRatio = 8.0;

bool removalJob(const QTemporaryDir& folder, NoDialogs& dialogs) {
    Lists lists;
    readLists(lists, written(folder, "alternating.txt", GateLists::alternatingBytes(kAlternatingItems)),
              written(folder, "empty.txt", {}));
    // The bare filter of 4,000,000 views takes 5 to 21 ms of processor time as its pages are warm or
    // not, so the ratio swings from 1.3 to 5.6 with nothing changed; this job guards the removal's
    // stretches, and its ratio only against a slip many times slower.
    return report("removal",
                  measure([&] { return BareJob::run("blanks", lists.lines1, {}, {}); },
                          routine(lists, "blanks", dialogs)),
                  kMaxRemovalRatio);
}

// Sort A to Z on long texts that differ only in case, against a plain sort that folds and compares
// them byte by byte: every comparison reads both texts whole.
bool nearEqualSortJob(const QTemporaryDir& folder, NoDialogs& dialogs) {
    Lists lists;
    readLists(lists,
              written(folder, "near-equal.txt", GateLists::nearEqualBytes(kNearEqualItems, kNearEqualLength)),
              written(folder, "empty.txt", {}));
    return report("sort", measure([&] { return GateLists::foldedOrder(lists.lines1); },
                                  routine(lists, "sort", dialogs)));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const std::string where = folder.path().toStdString();
    ListGenerator::ensureLists(where, kItems);
    Lists lists;
    readLists(lists, QString::fromStdString(ListGenerator::listPath(where, 1, kItems)),
              QString::fromStdString(ListGenerator::listPath(where, 2, kItems)));

    std::printf(
        "%d items (repeat: %d, removal: %d, sort: %d); processor ms, the fastest of %d runs; at most the "
        "bound x "
        "the bare job, %.0f ms between yields\n",
        int(kItems), kRepetitiveItems, kAlternatingItems, kNearEqualItems, kRuns, kMaxStretchMs);
    std::printf("%-8s %9s %9s %7s %7s %7s %9s %5s\n", "job", "bare", "ours", "ratio", "bound", "yields",
                "longest", "same");
    NoDialogs dialogs;
    bool ok = true;
    std::string loadedBytes;
    ok &= report(
        "load",
        measure([&] { return BareJob::splitLines(loadedBytes = fileBytes(lists.path1)); }, load(lists.path1)),
        kMaxLoadRatio);
    const QString savePath = folder.filePath(QStringLiteral("saved.txt"));
    ok &= report("save", measure([&] { return bareSave(lists, savePath); }, save(lists, savePath)),
                 kMaxSaveRatio);
    const std::string text = ListGenerator::kSearchText;
    for (const char* job : {"minus", "keep", "first", "last", "blanks", "with", "without"})
        ok &= report(job,
                     measure([&] { return BareJob::run(job, lists.lines1, lists.lines2, text); },
                             routine(lists, job, dialogs)),
                     ratioBound(job));
    ok &= optionJobs(lists, dialogs);
    ok &= columnJob(folder, lists, dialogs);
    ok &= repetitiveJob(folder, dialogs);
    ok &= removalJob(folder, dialogs);
    ok &= nearEqualSortJob(folder, dialogs);
    if (dialogs.reports > 0) {
        std::printf("%d error reports\n", dialogs.reports);
        ok = false;
    }
    return ok ? 0 : 1;
}
