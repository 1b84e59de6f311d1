#include "core/Platform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_LINUX_CALLS 1
#include <sys/mman.h>
#include <sys/resource.h>
#endif
#if defined(Q_OS_WIN) && !defined(BRINDLEWICK_PORTABLE)
#define BRINDLEWICK_WINDOWS_CALLS 1
#include <windows.h>
#endif

namespace Platform {

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

void discardPages([[maybe_unused]] void* memory, [[maybe_unused]] size_t bytes) {
#ifdef BRINDLEWICK_LINUX_CALLS
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (std::uintptr_t(memory) + page - 1) / page * page;
    const std::uintptr_t to = (std::uintptr_t(memory) + bytes) / page * page;
    if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
#endif
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

// Plain POSIX with nothing to fall back to, so also in the build of the portable fallbacks.
void guardStandardStreams() {
#ifdef Q_OS_UNIX
    // The lowest free number is the one a new file gets: streams 0, 1 and 2 in turn.
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
        // Open for the other direction: every read or write on it fails, as on a closed stream.
        ::open("/dev/null", stream == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    }
#endif
}

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

std::optional<qint64> addressSpaceLimitBytes() {
#ifdef BRINDLEWICK_LINUX_CALLS
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    return qint64(qMin<rlim_t>(limit.rlim_cur, rlim_t(std::numeric_limits<qint64>::max())));
#else
    return std::nullopt;
#endif
}

std::optional<qint64> mappedBytes() {
#ifdef BRINDLEWICK_LINUX_CALLS
    // The first figure of statm: the pages of the whole address space.
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return std::nullopt;
    long long pages = 0;
    const bool read = std::fscanf(statm, "%lld", &pages) == 1;
    std::fclose(statm);
    if (!read) return std::nullopt;
    return qint64(pages) * qint64(sysconf(_SC_PAGESIZE));
#else
    return std::nullopt;
#endif
}

}  // namespace Platform
