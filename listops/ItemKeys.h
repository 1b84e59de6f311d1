#pragma once

#include "core/CompareOptions.h"
#include "listops/TextHash.h"
#include "panes/ItemStore.h"

#include <unordered_map>
#include <vector>

class Yielder;

// The compare keys (CompareKey) of a store's items, and sets of them. Exact comparison keys the
// items by their own texts, with no copy; other options make one store of keys.
class ItemKeys {
public:
    ItemKeys(const ItemStore& items, const CompareOptions& options, Yielder& yielder);
    ItemKeys(const ItemKeys&) = delete;
    ItemKeys& operator=(const ItemKeys&) = delete;

    qsizetype count() const { return m_keys->count(); }
    QByteArrayView key(qsizetype index) const { return m_keys->text(index); }

    // For each item, whether another item has the same key.
    std::vector<bool> repeated(Yielder& yielder) const;

private:
    ItemStore m_own;
    const ItemStore* m_keys;
};

struct KeyHash {
    size_t operator()(QByteArrayView key) const {
        return size_t(TextHash::hashBytes(key.data(), size_t(key.size()), TextHash::kSecret0));
    }
};

// Keys, each with the index of the first item that had it. The views must outlive the set.
using KeySet = std::unordered_map<QByteArrayView, qsizetype, KeyHash>;

// Frees a set on a pool thread: a long one's many small pieces take a while to hand back.
void releaseAside(KeySet&& set);
