#include "ProcessProbe.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QThread>

#include <malloc.h>
#include <time.h>

#include <algorithm>

namespace ProcessMemory {

namespace {
// A "VmXXX:   1234 kB" line of /proc/self/status, in bytes; -1 when it cannot be read.
qint64 statusField(const char* name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith(key)) continue;
        const QByteArray kb = line.mid(key.size()).trimmed().split(' ').value(0);
        return kb.toLongLong() * 1024;
    }
    return -1;
}
}  // namespace

qint64 residentBytes() {
    return statusField("VmRSS");
}

qint64 peakBytes() {
    return statusField("VmHWM");
}

bool resetPeak() {
    malloc_trim(0);
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly)) return false;
    return clearRefs.write("5") == 1 && clearRefs.flush();
}

}  // namespace ProcessMemory

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

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
