// The benchmark: drives the real window through its buttons on generated lists and prints, per
// command and size, the time from the click to the command's end, the peak memory growth and the
// longest event-loop gap. See the README's Performance section.
#include "AccessibleProbe.h"
#include "Benchmark.h"
#include "ColumnRows.h"
#include "HugeItems.h"
#include "ListGenerator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <exception>

namespace {

// The window needs no screen; the test suite's font folder keeps text drawing real.
void defaultEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) qputenv("QT_QPA_FONTDIR", "/usr/share/fonts/truetype");
}

// The pane itself holds up to 2^31 - 2 items; the in-memory cases go that far.
constexpr qint64 kMaxPaneItems = 2147483646;

QList<qint64> parseSizes(const QString& text, qint64 largest = ListGenerator::kMaxItems) {
    QList<qint64> sizes;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 size = part.trimmed().toLongLong(&ok);
        if (!ok || size < 1 || size > largest) return {};
        sizes.append(size);
    }
    return sizes;
}

bool parseOptions(const QCoreApplication& app, BenchOptions& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times every command of the window on generated lists."));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Folder for the lists and outputs."),
                                  QStringLiteral("folder"), QStringLiteral("bench-data"));
    const QCommandLineOption sizes(QStringLiteral("sizes"), QStringLiteral("Comma-separated item counts."),
                                   QStringLiteral("list"), QStringLiteral("10000,100000,1000000,5000000"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Runs per measurement."),
                                  QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Also append the table to this CSV file."),
                                 QStringLiteral("file"));
    const QCommandLineOption endToEnd(QStringLiteral("end-to-end"),
                                      QStringLiteral("Time load + command + save per job instead."));
    const QCommandLineOption only(QStringLiteral("only"), QStringLiteral("Comma-separated commands or jobs."),
                                  QStringLiteral("list"));
    const QCommandLineOption scale(
        QStringLiteral("scale"), QStringLiteral("Sizes 1M, 10M, 20M (unless --sizes) and a table of how each "
                                                "command grows from the first size to the last."));
    const QCommandLineOption removal(QStringLiteral("removal-sizes"),
                                     QStringLiteral("Time single Delete presses in panes of these sizes."),
                                     QStringLiteral("list"));
    const QCommandLineOption search(QStringLiteral("search-cases"),
                                    QStringLiteral("Time Remove Items With on repetitive texts."));
    const QCommandLineOption sort(QStringLiteral("sort-cases"),
                                  QStringLiteral("Time Sort A to Z on long texts that differ only in case."));
    const QCommandLineOption columns(
        QStringLiteral("columns"),
        QStringLiteral("The list commands on three-column rows, matched on column 2 and on whole rows "
                       "(other commands only where --only names them)."));
    const QCommandLineOption accessible(
        QStringLiteral("accessible"),
        QStringLiteral(
            "Accessibility on, an AT client connected (bench/benchmark --accessible sets them up)."));
    const QCommandLineOption huge(
        QStringLiteral("huge"), QStringLiteral("Run the huge and odd items case instead (see HugeItems.h)."));
    const QCommandLineOption hugeMb(QStringLiteral("huge-mb"), QStringLiteral("Size of the huge item in MB."),
                                    QStringLiteral("n"), QStringLiteral("100"));
    parser.addOptions({data, sizes, runs, csv, endToEnd, only, scale, removal, search, sort, columns,
                       accessible, huge, hugeMb});
    parser.process(app);
    options.dataFolder = QDir(parser.value(data)).absolutePath();
    options.scale = parser.isSet(scale);
    const bool casesOnly = (parser.isSet(removal) || parser.isSet(search) || parser.isSet(sort)) &&
                           !parser.isSet(sizes) && !options.scale;
    options.noCommands = casesOnly;
    const QString sizeList = options.scale && !parser.isSet(sizes)
                                 ? QStringLiteral("1000000,10000000,20000000")
                                 : parser.value(sizes);
    options.sizes = casesOnly ? QList<qint64>{} : parseSizes(sizeList);
    options.runs = parser.value(runs).toInt();
    options.csvPath = parser.value(csv);
    options.endToEnd = parser.isSet(endToEnd);
    options.only = parser.value(only).split(u',', Qt::SkipEmptyParts);
    options.searchCases = parser.isSet(search);
    options.sortCases = parser.isSet(sort);
    options.columns = parser.isSet(columns);
    if (parser.isSet(removal)) {
        options.removalSizes = parseSizes(parser.value(removal), kMaxPaneItems);
        if (options.removalSizes.isEmpty()) return false;
    }
    options.accessible = parser.isSet(accessible);
    options.huge = parser.isSet(huge);
    options.hugeItemBytes = parser.value(hugeMb).toLongLong() * 1024 * 1024;
    return (casesOnly || !options.sizes.isEmpty()) && options.runs >= 1 && options.hugeItemBytes > 0;
}

bool wantsRows(const BenchOptions& options) {
    if (options.columns) return true;
    for (const QString& name : options.only)
        if (name.startsWith(QStringLiteral("rows: ")) || name.startsWith(QStringLiteral("col 2: ")))
            return true;
    return false;
}

bool ensureLists(const BenchOptions& options) {
    if (options.noCommands) return true;
    try {
        for (qint64 size : options.sizes) {
            std::fprintf(stderr, "lists of %lld items: ", size);
            const bool wrote = ListGenerator::ensureLists(options.dataFolder.toStdString(), size);
            std::fprintf(stderr, "%s\n", wrote ? "written" : "present");
            if (wantsRows(options))
                std::fprintf(
                    stderr, "rows of %lld items: %s\n", size,
                    ColumnRows::ensureRows(options.dataFolder.toStdString(), size) ? "written" : "present");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot write the lists: %s\n", e.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    defaultEnvironment();
    QApplication app(argc, argv);
    BenchOptions options;
    if (!parseOptions(app, options)) {
        std::fprintf(stderr, "bad --sizes or --runs (sizes 1 to %lld)\n", qint64(ListGenerator::kMaxItems));
        return 2;
    }
    int exitCode = 0;
    if (options.huge) {
        HugeItems hugeItems(options.dataFolder, options.hugeItemBytes, options.runs);
        QTimer::singleShot(0, &app, [&] {
            exitCode = hugeItems.run();
            QCoreApplication::exit(exitCode);
        });
        app.exec();
        return exitCode;
    }
    if (!ensureLists(options)) return 2;
    if (options.accessible && !AccessibleProbe::waitUntilActive(10'000)) {
        std::fprintf(
            stderr,
            "accessibility did not come on: --accessible needs an X server, a session bus with the "
            "AT-SPI registry and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (bench/benchmark --accessible)\n");
        return 2;
    }
    Benchmark benchmark(options);
    // Clicks arrive from the running event loop, as a user's would.
    QTimer::singleShot(0, &app, [&] {
        exitCode = benchmark.run();
        QCoreApplication::exit(exitCode);
    });
    app.exec();
    return exitCode;
}
