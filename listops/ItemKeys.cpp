#include "listops/ItemKeys.h"

#include "core/Yielder.h"
#include "listops/CompareKey.h"

#include <QThreadPool>

#include <memory>

ItemKeys::ItemKeys(const ItemStore& items, const CompareOptions& options, Yielder& yielder) : m_keys(&items) {
    if (options.exact()) return;
    for (qsizetype i = 0; i < items.count(); ++i) {
        m_own.append(CompareKey::of(items.text(i), options));
        yielder.maybeYield();
    }
    m_keys = &m_own;
}

std::vector<bool> ItemKeys::repeated(Yielder& yielder) const {
    std::vector<bool> result(size_t(count()), false);
    KeySet first;
    first.reserve(size_t(count()));
    for (qsizetype i = 0; i < count(); ++i) {
        const auto [place, added] = first.try_emplace(key(i), i);
        if (!added) {
            result[size_t(place->second)] = true;
            result[size_t(i)] = true;
        }
        yielder.maybeYield();
    }
    releaseAside(std::move(first));
    return result;
}

void releaseAside(KeySet&& set) {
    constexpr size_t kAsideFrom = 65536;
    if (set.size() < kAsideFrom) return;
    try {
        QThreadPool::globalInstance()->start([held = std::make_shared<KeySet>(std::move(set))] {});
    } catch (...) {
        // Then here after all.
    }
}
