#include "HugeItems.h"

#include "BenchFigures.h"
#include "app/Form1.h"
#include "panes/view/PaneView.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <utility>

using BenchFigures::kMb;
using BenchFigures::median;

namespace {
// A widened column to scroll across: far wider than the pane, as a user dragging the divider makes it.
constexpr int kWideColumn = 20000;
constexpr int kScrollStep = 250;
// 7000 twips, the column's width at start-up.
constexpr int kDefaultColumn = 467;

// Writes `path` from `write` unless it is there already; under a temporary name first, so a file
// that exists is whole.
bool ensureFile(const QString& path, const std::function<void(QFile&)>& write) {
    if (QFileInfo::exists(path)) return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path + QStringLiteral(".part"));
    if (!file.open(QIODevice::WriteOnly)) return false;
    write(file);
    file.close();
    return file.error() == QFileDevice::NoError && file.rename(path);
}

// "first", an item of `bytes` bytes of word-like ASCII text, "last".
void writeHugeItem(QFile& file, qint64 bytes) {
    file.write("first\r\n");
    const QByteArray words = "Amber harbor Bokatelu mira.bokatelu@gmail.com lorem 12345 ";
    QByteArray piece;
    while (piece.size() < 1024 * 1024) piece += words;
    for (qint64 left = bytes; left > 0; left -= piece.size())
        file.write(piece.constData(), std::min(left, qint64(piece.size())));
    file.write("\r\nlast\r\n");
}

// Texts with no simple glyph widths, one per line, about a megabyte or more each.
void writeOddTexts(QFile& file) {
    QString accents(1'000'001, QChar(0x0301));
    accents[0] = u'a';
    QString rightToLeft;
    while (rightToLeft.size() < 500'000)
        rightToLeft +=
            QStringLiteral("\u202Eשלום עולם \u202Dabc 123\u202C مرحبا بالعالم \u202B12 איש\u202C ");
    QString controls;
    for (int i = 0; controls.size() < 500'000; ++i) {
        for (char16_t c = 1; c < 0x20; ++c)
            if (c != u'\r' && c != u'\n') controls += QChar(c);
        controls += QStringLiteral("\u007F\u0085\u009B\u200B\u200E\u200F\u2028\u2029\u202E\u2066\uFEFF");
    }
    for (const QString& text : {QStringLiteral("first"), accents, rightToLeft, controls})
        file.write(text.toUtf8() + "\r\n");
}

bool sameBytes(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(1 << 20) != fb.read(1 << 20)) return false;
    return true;
}
}  // namespace

HugeItems::HugeItems(QString dataFolder, qint64 hugeItemBytes, int runs)
    : m_dataFolder(std::move(dataFolder)), m_hugeItemBytes(hugeItemBytes), m_runs(runs) {}

int HugeItems::run() {
    const QDir dir(m_dataFolder);
    const Case huge{QStringLiteral("%1 MB item").arg(m_hugeItemBytes / (1024 * 1024)),
                    dir.filePath(QStringLiteral("huge-item-%1.txt").arg(m_hugeItemBytes))};
    const Case odd{QStringLiteral("odd texts"), dir.filePath(QStringLiteral("odd-texts.txt"))};
    if (!ensureFile(huge.path, [&](QFile& f) { writeHugeItem(f, m_hugeItemBytes); }) ||
        !ensureFile(odd.path, writeOddTexts)) {
        std::fprintf(stderr, "cannot write the files in %s\n", qPrintable(m_dataFolder));
        return 2;
    }
    std::printf(
        "Huge and odd items, %d runs: load, repaint with them in view (longest, median), scrolling "
        "across a %d px column (longest), save.\nTimes and peaks: medians; gaps and repaints: the "
        "longest of any run.\n",
        m_runs, kWideColumn);
    std::printf("%-12s %8s %8s %8s %9s %7s %9s %9s %9s %8s %8s %6s\n", "case", "file MB", "load s", "gap ms",
                "peak +MB", "x file", "paint ms", "median", "scroll ms", "save s", "gap ms", "same");
    bool ok = true;
    for (const Case& c : {huge, odd}) {
        QList<Run> runs;
        for (int i = 0; i < m_runs; ++i) runs.append(runCase(c));
        ok = report(c, runs) && ok;
    }
    return ok ? 0 : 1;
}

HugeItems::Run HugeItems::runCase(const Case& c) {
    m_driver.clearBoth();
    Run run;
    run.load = m_driver.measure([&] { m_driver.clickLoad(1, c.path); });
    run.repaints = repaintsMs(20);
    run.scrollMs = longestScrollRepaintMs();
    const QString saved = c.path + QStringLiteral(".saved");
    run.save = m_driver.measure([&] { m_driver.clickSave(1, saved); });
    run.same = sameBytes(c.path, saved) && run.load.errors == 0 && run.save.errors == 0;
    QFile::remove(saved);
    m_driver.form().listView(1)->horizontalHeader()->resizeSection(0, kDefaultColumn);
    return run;
}

bool HugeItems::report(const Case& c, const QList<Run>& runs) const {
    const double fileMb = double(QFileInfo(c.path).size()) / kMb;
    QList<double> loads, saves, peaks, repaints;
    double loadGap = 0, saveGap = 0, scroll = 0;
    bool same = true;
    for (const Run& run : runs) {
        loads.append(run.load.seconds);
        saves.append(run.save.seconds);
        peaks.append(run.load.peakGrowthMb);
        repaints += run.repaints;
        loadGap = std::max(loadGap, run.load.longestGapMs);
        saveGap = std::max(saveGap, run.save.longestGapMs);
        scroll = std::max(scroll, run.scrollMs);
        same = same && run.same;
    }
    const double peak = median(peaks);
    std::printf("%-12s %8.1f %8.3f %8.1f %9.1f %7.2f %9.2f %9.2f %9.2f %8.3f %8.1f %6s\n", qPrintable(c.name),
                fileMb, median(loads), loadGap, peak, peak / fileMb,
                *std::max_element(repaints.cbegin(), repaints.cend()), median(repaints), scroll,
                median(saves), saveGap, same ? "yes" : "NO");
    std::fflush(stdout);
    return same;
}

QList<double> HugeItems::repaintsMs(int repaints) {
    PaneView* view = m_driver.form().listView(1);
    QElapsedTimer timer;
    QList<double> times;
    for (int i = 0; i < repaints; ++i) {
        timer.start();
        view->viewport()->repaint();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

double HugeItems::longestScrollRepaintMs() {
    PaneView* view = m_driver.form().listView(1);
    view->horizontalHeader()->resizeSection(0, kWideColumn);
    QCoreApplication::processEvents();
    QScrollBar* bar = view->horizontalScrollBar();
    double longest = 0;
    for (int x = 0; x <= bar->maximum(); x += kScrollStep) {
        bar->setValue(x);
        longest = std::max(longest, repaintsMs(1).constFirst());
    }
    bar->setValue(0);
    return longest;
}
