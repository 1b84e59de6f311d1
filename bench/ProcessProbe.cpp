#include "ProcessProbe.h"

#include <QAbstractEventDispatcher>
#include <QThread>

#include <algorithm>

LoopWatch::LoopWatch() {
    m_clock.start();
    auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    connect(dispatcher, &QAbstractEventDispatcher::awake, this, &LoopWatch::turn, Qt::DirectConnection);
}

void LoopWatch::start() {
    m_lastNs = m_clock.nsecsElapsed();
    m_longestNs = 0;
    m_turns = 0;
    m_watching = true;
}

void LoopWatch::stop() {
    turn();
    m_watching = false;
    --m_turns;  // the end of the watch is no turn of the loop
}

void LoopWatch::turn() {
    if (!m_watching) return;
    const qint64 now = m_clock.nsecsElapsed();
    m_longestNs = std::max(m_longestNs, now - m_lastNs);
    m_lastNs = now;
    ++m_turns;
}
