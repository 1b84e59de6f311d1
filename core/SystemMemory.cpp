#include "core/SystemMemory.h"

#include "core/Platform.h"

std::optional<qint64> SystemMemory::availableBytes() const {
    return Platform::availableMemoryBytes();
}

const MemoryProbe& SystemMemory::instance() {
    static const SystemMemory probe;
    return probe;
}
