#include "FormDriver.h"

#include "BenchFigures.h"
#include "ProcessUse.h"
#include "app/Form1.h"
#include "panes/view/PaneView.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>

#include <algorithm>

using BenchFigures::kMb;

namespace {
constexpr int kLoadButton[] = {3, 14};
constexpr int kSaveButton[] = {20, 13};
constexpr int kClearButton[] = {1, 2};
}  // namespace

FormDriver::FormDriver() : m_form(std::make_unique<Form1>(m_services.services())) {
    m_form->show();
    m_clock.start();
    settle();
}

FormDriver::~FormDriver() = default;

void FormDriver::clearBoth() {
    for (int button : kClearButton) m_form->click(button);
    // A large text left there by a copy would count against the next command's memory.
    m_form->clipboard().setText(QString());
    m_form.reset();
    m_form = std::make_unique<Form1>(m_services.services());
    m_form->show();
    settle();
}

void FormDriver::load(int listNumber, const QString& path) {
    clickLoad(listNumber, path);
    settle();
}

void FormDriver::clickLoad(int listNumber, const QString& path) {
    m_services.dialogs.nextFiles = QStringList{path};
    m_form->click(kLoadButton[listNumber - 1]);
}

void FormDriver::clickSave(int listNumber, const QString& path) {
    m_services.dialogs.nextFiles = QStringList{path};
    m_form->click(kSaveButton[listNumber - 1]);
}

void FormDriver::clickCommand(int button, const QString& typedText) {
    m_services.dialogs.nextInput = typedText;
    m_form->click(button);
}

void FormDriver::selectInList1(int position) {
    m_form->listView(1)->selectPosition(position);
}

void FormDriver::pressDelete() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(m_form->listView(1), &press);
}

PaneModel& FormDriver::list1() {
    return m_form->list(1);
}

void FormDriver::putFileOnClipboard(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    // As a Copy All leaves it, or a program that offers its text as UTF-8.
    m_form->clipboard().setUtf8Text(file.readAll());
}

void FormDriver::putFileOnXClipboard(const QString& path) {
    const QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                QStringLiteral("-i"), path};
    // xclip takes the clipboard and stays in the background to hand it out.
    if (QProcess::execute(QStringLiteral("xclip"), arguments) != 0) qFatal("xclip -i failed");
    QElapsedTimer waited;
    waited.start();
    while (QGuiApplication::clipboard()->ownsClipboard() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // The window learns in the background that the new owner offers text; until then Paste is off.
    QAction* paste = m_form->listView(1)->action(PaneView::Action::Paste);
    while (!paste->isEnabled() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle();
}

void FormDriver::readXClipboard() {
    QProcess xclip;
    xclip.setStandardOutputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    // The window must keep turning: it hands the text out piece by piece.
    if (xclip.waitForStarted()) loop.exec();
}

void FormDriver::deleteItem(int listNumber, int position) {
    m_form->listView(listNumber)->selectPosition(position);
    m_form->paneDeletePressed(listNumber);
}

void FormDriver::triggerPaneAction(int listNumber, PaneView::Action action) {
    m_form->listView(listNumber)->action(action)->trigger();
    runQueuedCommand();
}

// A pane's entry starts its command through a queued call, once the menu's handler has returned:
// the measurement runs it now, or it would time nothing.
void FormDriver::runQueuedCommand() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void FormDriver::triggerNamedAction(int listNumber, const char* name, const QString& typedText) {
    m_services.dialogs.nextInput = typedText;
    QAction* action = m_form->listView(listNumber)->findChild<QAction*>(QString::fromLatin1(name));
    if (!action) qFatal("no action %s", name);
    action->trigger();
    runQueuedCommand();
}

// A user clicks an idle window: the repaints that set-up left pending are not the command's.
void FormDriver::settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    samplePeak();
}

void FormDriver::samplePeak() {
    m_processPeak = std::max(m_processPeak, ProcessUse::peakResidentBytes());
}

qint64 FormDriver::takeProcessPeak() {
    samplePeak();
    return std::exchange(m_processPeak, 0);
}

void FormDriver::begin() {
    settle();
    m_peakResetWorks = ProcessUse::resetPeakResident() && m_peakResetWorks;
    m_residentBefore = ProcessUse::residentBytes();
    m_errorsBefore = m_services.dialogs.errorReports.size();
    m_watch.start();
    m_startCpu = ProcessUse::processCpuSeconds();
    m_startNs = m_clock.nsecsElapsed();
}

Measurement FormDriver::end() {
    Measurement m;
    m.seconds = double(m_clock.nsecsElapsed() - m_startNs) / 1e9;
    m.cpuSeconds = ProcessUse::processCpuSeconds() - m_startCpu;
    m_watch.stop();
    m.longestGapMs = m_watch.longestGapMs();
    m.loopTurns = m_watch.turns();
    const qint64 peak = ProcessUse::peakResidentBytes();
    m_processPeak = std::max(m_processPeak, peak);
    m.peakGrowthMb = double(std::max<qint64>(0, peak - m_residentBefore)) / kMb;
    m.itemsAfter = m_form->list(1).count();
    m.errors = int(m_services.dialogs.errorReports.size() - m_errorsBefore);
    return m;
}
