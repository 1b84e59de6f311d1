#include "ProcessProbe.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QThread>

#include <malloc.h>

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

#include <atomic>
#include <csignal>
#include <execinfo.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
static std::atomic<qint64> gLastTurn{0};
static std::atomic<bool> gWatching{false};
static pthread_t gMain;
static QElapsedTimer gClock;
static void onProbe(int) {
    void* frames[16];
    const int n = backtrace(frames, 16);
    write(2, "STALL\n", 6);
    backtrace_symbols_fd(frames, n, 2);
}
static void startWatchdog() {
    gMain = pthread_self();
    gClock.start();
    signal(SIGUSR1, onProbe);
    std::thread([] {
        qint64 lastProbe = 0;
        for (;;) {
            usleep(5000);
            const qint64 now = gClock.nsecsElapsed();
            if (gWatching && now - gLastTurn > 40000000 && now - lastProbe > 20000000) {
                lastProbe = now;
                pthread_kill(gMain, SIGUSR1);
            }
        }
    }).detach();
}

LoopWatch::LoopWatch() {
    startWatchdog();
    m_clock.start();
    auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    connect(dispatcher, &QAbstractEventDispatcher::awake, this, &LoopWatch::turn, Qt::DirectConnection);
}

void LoopWatch::start() {
    gLastTurn = gClock.nsecsElapsed();
    gWatching = true;
    m_lastNs = m_clock.nsecsElapsed();
    m_longestNs = 0;
    m_turns = 0;
    m_watching = true;
}

void LoopWatch::stop() {
    gWatching = false;
    turn();
    m_watching = false;
    --m_turns;  // the end of the watch is no turn of the loop
}

void LoopWatch::turn() {
    if (!m_watching) return;
    gLastTurn = gClock.nsecsElapsed();
    const qint64 now = m_clock.nsecsElapsed();
    m_longestNs = std::max(m_longestNs, now - m_lastNs);
    m_lastNs = now;
    ++m_turns;
}
