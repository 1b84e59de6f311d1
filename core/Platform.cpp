#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#if defined(Q_OS_LINUX) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_LINUX_CALLS 1
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#endif
#if defined(Q_OS_WIN) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_WINDOWS_CALLS 1
#include <windows.h>
#endif

namespace Platform {

void adviseLargePages([[maybe_unused]] void* start, [[maybe_unused]] size_t bytes) {
#ifdef BRINDLEWICK_LINUX_CALLS
    // Lookups land all over a large table; in 2 MB pages they no longer miss the address cache too.
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    const std::uintptr_t begin = (std::uintptr_t(start) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (std::uintptr_t(start) + bytes) & ~(kHuge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

namespace {
// Smaller blocks come from the allocator, which maps memory this large afresh anyway.
constexpr size_t kMappedBytes = size_t(1) << 20;
}  // namespace

void* allocateZeroed(size_t bytes) {
#ifdef BRINDLEWICK_LINUX_CALLS
    if (bytes >= kMappedBytes) {
        void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return memory == MAP_FAILED ? nullptr : memory;
    }
#endif
    return std::calloc(bytes, 1);
}

void freeZeroed(void* memory, [[maybe_unused]] size_t bytes) {
#ifdef BRINDLEWICK_LINUX_CALLS
    if (bytes >= kMappedBytes) {
        munmap(memory, bytes);
        return;
    }
#endif
    std::free(memory);
}

void startWritingToDisk([[maybe_unused]] int handle) {
#ifdef BRINDLEWICK_LINUX_CALLS
    // The sync that ends a save then finds little left to write; elsewhere that sync writes it all.
    ::sync_file_range(handle, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

int holdFile([[maybe_unused]] const QString& path) {
#ifdef BRINDLEWICK_LINUX_CALLS
    // The replaced file's slow freeing waits for the close, off the window's thread (Windows cannot
    // replace an open file at all).
    // Only a regular file: opening a FIFO or a device could wait or act on the device.
    if (!QFileInfo(path).isFile()) return -1;
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#else
    return -1;
#endif
}

void closeHeldFile([[maybe_unused]] int handle) {
#ifdef BRINDLEWICK_LINUX_CALLS
    if (handle >= 0) ::close(handle);
#endif
}

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
#endif
}  // namespace

// Neither Qt nor the standard library tells how much memory is left: elsewhere a load is not checked.
std::optional<qint64> availableMemoryBytes() {
#if defined(BRINDLEWICK_LINUX_CALLS)
    // A load can refuse a file too large for the memory left before it has taken all of it.
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
#elif defined(BRINDLEWICK_WINDOWS_CALLS)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
    return qint64(status.ullAvailPhys);
#else
    return std::nullopt;
#endif
}

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

#ifdef BRINDLEWICK_LINUX_CALLS
namespace {
// Nanoseconds; std::clock counts microseconds, and on Windows it counts wall-clock time instead.
double clockSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
}  // namespace
#endif

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

}  // namespace Platform
