#include "ProcessUse.h"

#include <QFile>

#include <ctime>

#if defined(Q_OS_LINUX) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_LINUX_CALLS 1
#include <time.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#endif

namespace {
#ifdef BRINDLEWICK_LINUX_CALLS
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

// Nanoseconds; std::clock counts microseconds, and on Windows it counts wall-clock time instead.
double clockSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
#endif
}  // namespace

namespace ProcessUse {

// Neither Qt nor the standard library tells a process its memory use: elsewhere it goes unmeasured.
qint64 residentBytes() {
#ifdef BRINDLEWICK_LINUX_CALLS
    return statusField("VmRSS");
#else
    return -1;
#endif
}

qint64 peakResidentBytes() {
#ifdef BRINDLEWICK_LINUX_CALLS
    return statusField("VmHWM");
#else
    return -1;
#endif
}

double processCpuSeconds() {
#ifdef BRINDLEWICK_LINUX_CALLS
    return clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
#else
    return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

double threadCpuSeconds() {
#ifdef BRINDLEWICK_LINUX_CALLS
    return clockSeconds(CLOCK_THREAD_CPUTIME_ID);
#else
    return processCpuSeconds();
#endif
}

bool resetPeakResident() {
#ifdef BRINDLEWICK_LINUX_CALLS
    // A command's peak then counts only what it takes itself, not heap that earlier ones freed.
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (!clearRefs.open(QIODevice::WriteOnly)) return false;
    return clearRefs.write("5") == 1 && clearRefs.flush();
#else
    return false;
#endif
}

}  // namespace ProcessUse
