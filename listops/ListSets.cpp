// The set results of two lists and what a change took out: new stores, no pane changes.
#include "core/Yielder.h"
#include "listops/ItemKeys.h"
#include "listops/ListTools.h"
#include "listops/TextSet.h"

#include <optional>

namespace {

using ListTools::Compared;

// A table of a store's items by their texts (as `options` say), its memory touched between yields.
struct Table {
    TextSet set;
    Table(const ItemStore& items, const CompareOptions& options, Yielder& yielder)
        : set(items, std::max<qsizetype>(items.count(), 1), 32, TextSet::Spread::ByHash, options) {
        while (!set.touchSome())
            if (yielder.dueNow()) yielder.yieldNow();
    }
    bool has(QByteArrayView text) const { return set.find(text, set.hashOf(text)) != 0; }
    // Whether the store's item `i` (whose text is `text`) is the first with its text; takes it in.
    bool first(QByteArrayView text, qsizetype i) {
        return set.findOrAdd(text, int(i) + 1, set.hashOf(text)) == 0;
    }
};

// Appends the items of `items` that are the first with their text and that `wanted` accepts.
template <class Wanted>
void appendFirsts(const ItemStore& items, Table& seen, Wanted&& wanted, ItemStore& out, Yielder& yielder) {
    for (qsizetype i = 0; i < items.count(); ++i) {
        const QByteArrayView text = items.text(i);
        if (wanted(text) && seen.first(text, i)) out.append(text);
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
    ItemStore out;
    if (which == Compared::EachOnce) {
        Table inList(list, options, yielder);
        appendFirsts(
            list, inList, [](QByteArrayView) { return true; }, out, yielder);
        Table seen(other, options, yielder);
        appendFirsts(
            other, seen, [&](QByteArrayView text) { return !inList.has(text); }, out, yielder);
        return out;
    }
    Table inOther(other, options, yielder);
    for (qsizetype j = 0; j < other.count(); ++j) {
        inOther.first(other.text(j), j);
        yielder.maybeYield();
    }
    if (which == Compared::InBoth) {
        Table inList(list, options, yielder);
        appendFirsts(
            list, inList, [&](QByteArrayView text) { return inOther.has(text); }, out, yielder);
    } else {
        for (qsizetype i = 0; i < list.count(); ++i) {
            if (!inOther.has(list.text(i))) out.append(list.text(i));
            yielder.maybeYield();
        }
    }
    return out;
}

ItemStore removedBy(const ItemStore& before, const ItemStore& after, Yielder& yielder) {
    if (std::optional<ItemStore> removed = passedOver(before, after, yielder)) return std::move(*removed);
    return beyondAfter(before, after, yielder);
}

}  // namespace ListTools
