#pragma once

#include "core/Services.h"

// The memory the system reports as available (Platform::availableMemoryBytes): MemAvailable of
// /proc/meminfo on Linux, the free physical memory on Windows, nothing elsewhere.
class SystemMemory : public MemoryProbe {
public:
    std::optional<qint64> availableBytes() const override;

    // The one the program uses when nobody hands in another.
    static const MemoryProbe& instance();
};
