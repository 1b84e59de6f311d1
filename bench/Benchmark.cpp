#include "Benchmark.h"

#include "app/Form1.h"

#include "AccessibleProbe.h"
#include "ListGenerator.h"
#include "ProcessUse.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>

#include <utility>

namespace {
QString typedText(const BenchCommand& command) {
    return command.typesText ? QString::fromLatin1(ListGenerator::kSearchText) : QString();
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
        for (qint64 size : std::as_const(m_options.sizes)) runSize(size);
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
    const bool throughX =
        command.kind == BenchCommand::Kind::PasteFromX || command.kind == BenchCommand::Kind::CopyAllToX;
    if (throughX && QGuiApplication::platformName() != QStringLiteral("xcb")) return false;
    if (m_options.only.isEmpty()) return true;
    return m_options.only.contains(QString::fromLatin1(command.name)) ||
           (command.job && m_options.only.contains(QString::fromLatin1(command.job)));
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

QString Benchmark::outputFile(const QString& what, qint64 size) const {
    return QDir(m_options.dataFolder).filePath(QStringLiteral("%1-%2.txt").arg(what).arg(size));
}
