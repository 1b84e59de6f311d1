#include "core/WindowState.h"

void WindowState::setMousePointer(Pointer value) {
    if (m_pointer == value) return;
    m_pointer = value;
    Q_EMIT mousePointerChanged(value);
}

bool WindowState::hold(int listNumber) {
    if (inUse(listNumber)) return false;
    changeHold(listNumber, 1);
    return true;
}

void WindowState::release(int listNumber) {
    changeHold(listNumber, -1);
}

void WindowState::changeHold(int listNumber, int by) {
    m_held[slot(listNumber)] += by;
    Q_EMIT paneUseChanged(listNumber);
}

void WindowState::commandStarted() {
    ++m_running;
    setMousePointer(WaitPointer);
}

void WindowState::commandEnded() {
    if (m_running > 0) --m_running;
    if (m_running == 0) setMousePointer(DefaultPointer);
}

void RunningCommand::start() {
    if (m_counted) return;
    m_window.commandStarted();
    m_counted = true;
}

void RunningCommand::end() {
    if (!m_counted) return;
    m_counted = false;
    m_window.commandEnded();
}

void WindowState::setCompareOptions(const CompareOptions& options) {
    if (options == m_compare) return;
    m_compare = options;
    Q_EMIT compareOptionsChanged(m_compare);
}

void WindowState::setMatchOn(int listNumber, const MatchOn& on) {
    MatchOn& mine = m_matchOn[slot(listNumber)];
    if (on == mine) return;
    mine = on;
    Q_EMIT matchOnChanged(listNumber);
}

void WindowState::setLoadedFrom(int listNumber, const QStringList& paths) {
    QStringList& mine = m_loadedFrom[slot(listNumber)];
    if (paths == mine) return;
    mine = paths;
    Q_EMIT loadedFromChanged(listNumber);
}

void WindowState::setLastResult(const QString& text, const QString& detail) {
    m_lastResult = text;
    m_lastResultDetail = detail;
    Q_EMIT lastResultChanged(m_lastResult);
}

bool WindowState::canStop(int listNumber) const {
    const StopPoint* point = m_stops[slot(listNumber)];
    return point && !point->stopped();
}

void WindowState::stop(int listNumber) {
    if (!canStop(listNumber)) return;
    m_stops[slot(listNumber)]->stop();
    Q_EMIT canStopChanged(listNumber);
}

StoppableCommand::StoppableCommand(WindowState& window, Yielder& yielder, int listNumber,
                                   const QString& title)
    : m_window(window), m_listNumber(listNumber), m_point(yielder) {
    m_window.m_stops[WindowState::slot(listNumber)] = &m_point;
    m_window.m_runningTitle = title;
    Q_EMIT m_window.runningTitleChanged(title);
    Q_EMIT m_window.canStopChanged(listNumber);
}

StoppableCommand::~StoppableCommand() {
    m_window.m_stops[WindowState::slot(m_listNumber)] = nullptr;
    m_window.m_runningTitle.clear();
    Q_EMIT m_window.runningTitleChanged(QString());
    Q_EMIT m_window.canStopChanged(m_listNumber);
}
