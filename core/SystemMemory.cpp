#include "core/SystemMemory.h"

#if defined(Q_OS_LINUX)
#include <cstdio>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

std::optional<qint64> SystemMemory::availableBytes() const {
#if defined(Q_OS_LINUX)
    // /proc files report no size, so they are read as a stream, not through QFile's size.
    std::FILE* meminfo = std::fopen("/proc/meminfo", "r");
    if (!meminfo) return std::nullopt;
    std::optional<qint64> available;
    char line[256];
    long long kb = 0;
    while (std::fgets(line, sizeof line, meminfo)) {
        if (std::sscanf(line, "MemAvailable: %lld kB", &kb) == 1) {
            available = qint64(kb) * 1024;
            break;
        }
    }
    std::fclose(meminfo);
    return available;
#elif defined(Q_OS_WIN)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
    return qint64(status.ullAvailPhys);
#else
    return std::nullopt;
#endif
}

const MemoryProbe& SystemMemory::instance() {
    static const SystemMemory probe;
    return probe;
}
