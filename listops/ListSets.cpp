// The set results of two lists and what a change took out: new stores, no pane changes.
#include "core/Yielder.h"
#include "listops/ItemKeys.h"
#include "listops/ListTools.h"

#include <optional>

namespace {

using ListTools::Compared;

KeySet keySet(const ItemKeys& keys, Yielder& yielder) {
    KeySet set;
    set.reserve(size_t(keys.count()));
    for (qsizetype i = 0; i < keys.count(); ++i) {
        set.try_emplace(keys.key(i), i);
        yielder.maybeYield();
    }
    return set;
}

// Appends the items of `items` whose key is new to `seen` (and takes the key in); with `only`, also
// only those whose key `only` has.
void appendFirsts(const ItemStore& items, const ItemKeys& keys, KeySet& seen, const KeySet* only,
                  ItemStore& out, Yielder& yielder) {
    for (qsizetype i = 0; i < items.count(); ++i) {
        const QByteArrayView key = keys.key(i);
        if ((!only || only->contains(key)) && seen.try_emplace(key, i).second) out.append(items.text(i));
        yielder.maybeYield();
    }
}

// The walk for a change that only took items out and appended some: the items of `before` that the
// walk through `after` passes over. Nothing when `after` holds items the walk did not reach.
std::optional<ItemStore> passedOver(const ItemStore& before, const ItemStore& after, Yielder& yielder) {
    ItemStore removed;
    qsizetype j = 0;
    for (qsizetype i = 0; i < before.count(); ++i) {
        if (j < after.count() && before.text(i) == after.text(j))
            ++j;
        else
            removed.append(before.text(i));
        yielder.maybeYield();
    }
    if (j < after.count()) return std::nullopt;
    return removed;
}

// The items of `before` beyond the copies of their text that `after` holds: for a change that also
// reordered items.
ItemStore beyondAfter(const ItemStore& before, const ItemStore& after, Yielder& yielder) {
    KeySet copies;
    copies.reserve(size_t(after.count()));
    for (qsizetype j = 0; j < after.count(); ++j) {
        ++copies[after.text(j)];
        yielder.maybeYield();
    }
    ItemStore removed;
    for (qsizetype i = 0; i < before.count(); ++i) {
        const auto place = copies.find(before.text(i));
        if (place != copies.end() && place->second > 0)
            --place->second;
        else
            removed.append(before.text(i));
        yielder.maybeYield();
    }
    releaseAside(std::move(copies));
    return removed;
}

}  // namespace

namespace ListTools {

ItemStore compared(const ItemStore& list, const ItemStore& other, Compared which,
                   const CompareOptions& options, Yielder& yielder) {
    const ItemKeys listKeys(list, options, yielder);
    const ItemKeys otherKeys(other, options, yielder);
    ItemStore out;
    KeySet seen;
    if (which == Compared::EachOnce) {
        seen.reserve(size_t(list.count() + other.count()));
        appendFirsts(list, listKeys, seen, nullptr, out, yielder);
        appendFirsts(other, otherKeys, seen, nullptr, out, yielder);
        releaseAside(std::move(seen));
        return out;
    }
    KeySet inOther = keySet(otherKeys, yielder);
    if (which == Compared::InBoth) {
        appendFirsts(list, listKeys, seen, &inOther, out, yielder);
        releaseAside(std::move(seen));
    } else {
        for (qsizetype i = 0; i < list.count(); ++i) {
            if (!inOther.contains(listKeys.key(i))) out.append(list.text(i));
            yielder.maybeYield();
        }
    }
    releaseAside(std::move(inOther));
    return out;
}

ItemStore removedBy(const ItemStore& before, const ItemStore& after, Yielder& yielder) {
    if (std::optional<ItemStore> removed = passedOver(before, after, yielder)) return std::move(*removed);
    return beyondAfter(before, after, yielder);
}

}  // namespace ListTools
