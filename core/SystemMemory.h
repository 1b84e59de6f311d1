#pragma once

#include "core/Services.h"

#include <QString>

// The memory this process can still take: the least of what the system has available
// (Platform::availableMemoryBytes: MemAvailable of /proc/meminfo on Linux, the free physical memory
// on Windows), the room its control groups leave it, and the address space its RLIMIT_AS leaves.
// Nothing where none of them is known.
class SystemMemory : public MemoryProbe {
public:
    // Where the control groups are mounted, and the file naming the process's own; tests hand in
    // files of their own.
    struct Sources {
        QString controlGroups = QStringLiteral("/sys/fs/cgroup");
        QString ownGroups = QStringLiteral("/proc/self/cgroup");
    };

    SystemMemory() = default;
    explicit SystemMemory(Sources sources) : m_sources(std::move(sources)) {}
    std::optional<qint64> availableBytes() const override;

    // The one the program uses when nobody hands in another.
    static const MemoryProbe& instance();

private:
    Sources m_sources;
};

namespace MemoryLimits {

// The smaller of two figures, where known.
std::optional<qint64> least(std::optional<qint64> a, std::optional<qint64> b);
// The room the process's memory control group leaves it (cgroup v2's memory.max, or v1's
// memory.limit_in_bytes, less the usage, of which the file cache the kernel can drop at once, its
// inactive part, does not count): the least over the group and the groups above it, since each
// limit holds for everything beneath. Nothing where no group sets a limit.
std::optional<qint64> controlGroupRoom(const SystemMemory::Sources& sources);
// The address space a limit of `limit` bytes leaves a process that maps `mapped`; nothing without
// a limit.
std::optional<qint64> addressSpaceRoom(std::optional<qint64> limit, qint64 mapped);

}  // namespace MemoryLimits
