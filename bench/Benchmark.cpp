#include "Benchmark.h"

#include "app/Form1.h"

#include "AccessibleProbe.h"
#include "ColumnRows.h"
#include "ListGenerator.h"
#include "ProcessUse.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {
QString typedText(const BenchCommand& command) {
    return command.typesText ? QString::fromLatin1(ListGenerator::kSearchText) : QString();
}

const BenchCommand& commandNamed(std::string_view name) {
    for (const BenchCommand& command : kBenchCommands)
        if (name == command.name) return command;
    std::abort();
}

QString wholeRowsName(std::string_view name) {
    return QStringLiteral("rows: ") + QLatin1String(name);
}
QString columnName(std::string_view name) {
    return QStringLiteral("col 2: ") + QLatin1String(name);
}
}  // namespace

Benchmark::Benchmark(BenchOptions options)
    : m_options(std::move(options)),
      m_report(QString::fromLatin1(m_options.endToEnd ? "end-to-end" : "command") +
               QString::fromLatin1(m_options.accessible ? "+accessible" : "")) {}

int Benchmark::run() {
    if (!m_options.csvPath.isEmpty() && !m_report.openCsv(m_options.csvPath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(m_options.csvPath));
        return 2;
    }
    if (!m_options.noCommands) {
        std::printf("%s, median of %d runs; max gap: the longest of any run\n",
                    m_options.endToEnd ? "Jobs: load (both lists for two-list jobs) + command + save"
                                       : "Commands on List 1 (List 2: the reference)",
                    m_options.runs);
        std::printf("accessibility: %s\n", m_options.accessible      ? "on, an AT client connected"
                                           : QAccessible::isActive() ? "on"
                                                                     : "off");
        BenchReport::printHeader();
        const bool anyCommand = std::any_of(kBenchCommands.begin(), kBenchCommands.end(),
                                            [&](const BenchCommand& command) { return wanted(command); });
        for (qint64 size : std::as_const(m_options.sizes)) {
            if (anyCommand) runSize(size);
            runColumns(size);
        }
        for (qsizetype k = 1; k < m_options.sizes.size(); ++k)
            m_report.reportScaling(m_options.sizes[k - 1], m_options.sizes[k]);
        if (m_options.scale) m_report.reportScale(m_options.sizes);
    }
    BenchCases cases(m_driver, m_options.runs);
    if (!m_options.removalSizes.isEmpty()) cases.singleRemoval(m_options.removalSizes);
    if (m_options.searchCases) cases.repetitiveSearch();
    if (m_options.sortCases) cases.nearEqualSort();
    if (ProcessUse::peakResidentBytes() < 0)
        std::printf("note: this system does not tell a process its memory use; no memory figures\n");
    else if (!m_driver.peakResetWorks())
        std::printf("note: the peak could not be reset here; peak growth covers everything before it\n");
    const int failed = m_report.failedRuns() + cases.failedRuns();
    if (failed > 0) std::printf("%d runs reported an error or a wrong count\n", failed);
    return failed > 0 ? 1 : 0;
}

void Benchmark::runSize(qint64 size) {
    m_driver.clearBoth();
    m_driver.takeProcessPeak();
    // Runs interleave, so a disturbance of the machine spreads over all commands.
    for (int run = 1; run <= m_options.runs; ++run) {
        for (const BenchCommand& command : kBenchCommands) {
            if (!wanted(command)) continue;
            const Measurement m =
                m_options.endToEnd ? measureJob(command, size) : measureCommand(command, size);
            m_report.add(size, QString::fromLatin1(m_options.endToEnd ? command.job : command.name), m);
        }
    }
    m_driver.clearBoth();
    m_report.reportSize(size, m_driver.takeProcessPeak());
    if (m_options.accessible) {
        m_driver.load(1, listFile(1, size));
        std::printf("%10lld  AT client: %s\n", size,
                    qPrintable(AccessibleProbe::timeClientQuestions(m_options.dataFolder, size)));
        m_driver.clearBoth();
        const QString duringLoad = AccessibleProbe::timeClientQuestionsDuring(
            m_options.dataFolder, size, [&] { m_driver.clickLoad(1, listFile(1, size)); });
        std::printf("%10lld  AT client: %s\n", size, qPrintable(duringLoad));
        std::fflush(stdout);
        m_driver.clearBoth();
    }
}

bool Benchmark::wanted(const BenchCommand& command) const {
    if (m_options.endToEnd && !command.job) return false;
    if (m_options.columns && !m_options.only.contains(QString::fromLatin1(command.name))) return false;
    const bool throughX =
        command.kind == BenchCommand::Kind::PasteFromX || command.kind == BenchCommand::Kind::CopyAllToX;
    if (throughX && QGuiApplication::platformName() != QStringLiteral("xcb")) return false;
    if (m_options.only.isEmpty()) return true;
    return m_options.only.contains(QString::fromLatin1(command.name)) ||
           (command.job && m_options.only.contains(QString::fromLatin1(command.job)));
}

bool Benchmark::columnsWanted(const QString& name) const {
    if (m_options.endToEnd) return false;
    const QStringList& only = m_options.only;
    if (only.contains(QStringLiteral("rows: ") + name) || only.contains(QStringLiteral("col 2: ") + name))
        return true;
    return m_options.columns && (only.isEmpty() || only.contains(name));
}

// Each command on whole rows, then matched on column 2, runs interleaved; then their times side by side.
void Benchmark::runColumns(qint64 size) {
    QList<std::string_view> commands;
    for (std::string_view name : ColumnRows::kCommands)
        if (columnsWanted(QLatin1String(name))) commands.append(name);
    if (commands.isEmpty()) return;
    m_driver.clearBoth();
    m_driver.takeProcessPeak();
    for (int run = 1; run <= m_options.runs; ++run) {
        for (std::string_view name : std::as_const(commands)) {
            const BenchCommand& command = commandNamed(name);
            m_report.add(size, wholeRowsName(name), measureOnRows(command, size, 0));
            m_report.add(size, columnName(name), measureOnRows(command, size, 2));
        }
    }
    m_driver.clearBoth();
    m_report.reportSize(size, m_driver.takeProcessPeak());
    QList<QPair<QString, QString>> pairs;
    for (std::string_view name : std::as_const(commands))
        pairs.append({wholeRowsName(name), columnName(name)});
    m_report.reportPairs(size, pairs);
}

Measurement Benchmark::measureOnRows(const BenchCommand& command, qint64 size, int column) {
    m_driver.clearBoth();
    m_driver.load(1, rowsFile(1, size));
    if (command.usesList2) m_driver.load(2, rowsFile(2, size));
    WindowState& window = m_driver.form().state();
    const MatchOn on{column, U',', false};
    window.setMatchOn(1, on);
    window.setMatchOn(2, on);
    const Measurement m = m_driver.measure([&] {
        if (command.entry)
            m_driver.triggerNamedAction(1, command.entry);
        else
            m_driver.clickCommand(command.button, typedText(command));
    });
    window.setMatchOn(1, {});
    window.setMatchOn(2, {});
    return m;
}

Measurement Benchmark::measureCommand(const BenchCommand& command, qint64 size) {
    m_driver.clearBoth();
    switch (command.kind) {
        case BenchCommand::Kind::Load:
            return m_driver.measure([&] { m_driver.clickLoad(1, listFile(1, size)); });
        case BenchCommand::Kind::Save:
            m_driver.load(1, listFile(1, size));
            return m_driver.measure([&] { m_driver.clickSave(1, outputFile(QStringLiteral("save"), size)); });
        case BenchCommand::Kind::Paste:
            m_driver.putFileOnClipboard(listFile(1, size));
            return m_driver.measure([&] { m_driver.triggerPaneAction(1, PaneView::Action::Paste); });
        case BenchCommand::Kind::CopyAll:
            m_driver.load(1, listFile(1, size));
            return m_driver.measure([&] { m_driver.triggerPaneAction(1, PaneView::Action::CopyAll); });
        case BenchCommand::Kind::PasteFromX:
            m_driver.putFileOnXClipboard(listFile(1, size));
            return m_driver.measure([&] { m_driver.triggerPaneAction(1, PaneView::Action::Paste); });
        case BenchCommand::Kind::CopyAllToX:
            m_driver.load(1, listFile(1, size));
            return m_driver.measure([&] {
                m_driver.triggerPaneAction(1, PaneView::Action::CopyAll);
                m_driver.readXClipboard();
            });
        case BenchCommand::Kind::Sample:
            m_driver.load(1, listFile(1, size));
            return m_driver.measure([&] { m_driver.clickCommand(command.button); });
        case BenchCommand::Kind::Undo:
            makeStep(command, size);
            return m_driver.measure([&] { m_driver.triggerPaneAction(1, PaneView::Action::Undo); });
        case BenchCommand::Kind::Redo:
            makeStep(command, size);
            m_driver.triggerPaneAction(1, PaneView::Action::Undo);
            return m_driver.measure([&] { m_driver.triggerPaneAction(1, PaneView::Action::Redo); });
        case BenchCommand::Kind::MenuEntry:
            m_driver.load(1, listFile(1, size));
            if (command.usesList2) m_driver.load(2, listFile(2, size));
            return m_driver.measure(
                [&] { m_driver.triggerNamedAction(1, command.entry, typedText(command)); });
        case BenchCommand::Kind::Routine:
            break;
    }
    m_driver.load(1, listFile(1, size));
    if (command.usesList2) m_driver.load(2, listFile(2, size));
    WindowState& window = m_driver.form().state();
    window.setCompareOptions(command.compare);
    const Measurement m =
        m_driver.measure([&] { m_driver.clickCommand(command.button, typedText(command)); });
    window.setCompareOptions({});
    return m;
}

// Unmeasured: the step that an undo or redo row takes back, on freshly loaded panes.
void Benchmark::makeStep(const BenchCommand& command, qint64 size) {
    m_driver.load(1, listFile(1, size));
    if (command.usesList2) m_driver.load(2, listFile(2, size));
    switch (command.step) {
        case BenchCommand::Step::Routine:
        case BenchCommand::Step::Sample:
        case BenchCommand::Step::Clear:
            m_driver.clickCommand(command.button, typedText(command));
            break;
        case BenchCommand::Step::Delete:
            m_driver.deleteItem(1, 1);
            break;
        case BenchCommand::Step::LoadAgain:
            m_driver.load(1, listFile(1, size));
            break;
        case BenchCommand::Step::Load:
        case BenchCommand::Step::None:
            break;
    }
}

Measurement Benchmark::measureJob(const BenchCommand& command, qint64 size) {
    m_driver.clearBoth();
    const QString output = outputFile(QStringLiteral("bw-") + QString::fromLatin1(command.job), size);
    return m_driver.measure([&] {
        m_driver.clickLoad(1, listFile(1, size));
        if (command.usesList2) m_driver.clickLoad(2, listFile(2, size));
        if (command.entry)
            m_driver.triggerNamedAction(1, command.entry);
        else
            m_driver.clickCommand(command.button, typedText(command));
        m_driver.clickSave(1, output);
    });
}

QString Benchmark::listFile(int listNumber, qint64 size) const {
    return QString::fromStdString(
        ListGenerator::listPath(m_options.dataFolder.toStdString(), listNumber, size));
}

QString Benchmark::rowsFile(int listNumber, qint64 size) const {
    return QString::fromStdString(ColumnRows::rowsPath(m_options.dataFolder.toStdString(), listNumber, size));
}

QString Benchmark::outputFile(const QString& what, qint64 size) const {
    return QDir(m_options.dataFolder).filePath(QStringLiteral("%1-%2.txt").arg(what).arg(size));
}
