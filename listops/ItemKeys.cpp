#include "listops/ItemKeys.h"

#include <QThreadPool>

#include <memory>

void releaseAside(KeySet&& set) {
    constexpr size_t kAsideFrom = 65536;
    if (set.size() < kAsideFrom) return;
    try {
        QThreadPool::globalInstance()->start([held = std::make_shared<KeySet>(std::move(set))] {});
    } catch (...) {
        // Then here after all.
    }
}
