// The set results of two lists, the repeated items of one and what a change took out: new stores
// and flags, no pane changes.
#include "core/ReleaseAside.h"
#include "core/Yielder.h"
#include "listops/BatchLookup.h"
#include "listops/FieldKey.h"
#include "listops/ItemKeys.h"
#include "listops/ListTools.h"
#include "listops/TextSet.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using ListTools::Compared;

// Items looked up at once: the work ahead of them stays short enough for the event loop's turns.
constexpr qsizetype kSpanItems = 16384;

// A table of the texts of `items` (as `options` say), its memory touched between yields, with
// lookups that wait for memory many at a time, on two threads for a long list.
class Table {
public:
    Table(const ItemStore& items, const CompareOptions& options, Yielder& yielder)
        : m_set(std::make_unique<TextSet>(items, std::max<qsizetype>(items.count(), 1), 32,
                                          TextSet::Spread::ByHash, options)),
          m_helper(items.count() >= TextSet::kPartsFrom ? HelperThread::ifUseful() : nullptr),
          m_yielder(yielder),
          m_items(items.count()) {
        while (!m_set->touchSome())
            if (yielder.dueNow()) yielder.yieldNow();
    }
    ~Table() { releaseAside(std::move(m_set), m_items); }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // A lookup in `mode`; it lets the event loop run while this thread waits for the helper.
    BatchLookup lookup(BatchLookup::Mode mode) {
        return BatchLookup(*m_set, mode, m_helper.get(), [this] {
            if (m_yielder.dueNow()) m_yielder.yieldNow();
        });
    }

private:
    std::unique_ptr<TextSet> m_set;
    std::unique_ptr<HelperThread> m_helper;
    Yielder& m_yielder;
    qsizetype m_items;
};

// The items a pass picks, appended to the result a block's worth at a time: each block of the
// result is then made at its full size at once, not grown (and its memory touched) again and again.
class Picked {
public:
    explicit Picked(ItemStore& out) : m_out(out) { m_texts.reserve(size_t(ItemStore::kBlockItems)); }
    Picked(const Picked&) = delete;
    Picked& operator=(const Picked&) = delete;

    void add(QByteArrayView text) {
        m_texts.push_back(text);
        if (qsizetype(m_texts.size()) == ItemStore::kBlockItems) flush();
    }
    void flush() {
        m_out.appendAll(m_texts);
        m_texts.clear();
    }

private:
    ItemStore& m_out;
    std::vector<QByteArrayView> m_texts;
};

// A list's keys for the lookups and its whole items for the result: on the plain path, one store.
struct Keyed {
    Keyed(const ItemStore& items, const MatchOn& on, Yielder& yielder)
        : whole(items),
          skipped(on.header && !items.isEmpty() ? 1 : 0),
          keys(on.plain() ? items : FieldKey::keysOf(items, on, [&yielder] {
              if (yielder.dueNow()) yielder.yieldNow();
              return true;
          })) {}
    // The whole item of key i.
    QByteArrayView text(qsizetype i) const { return whole.text(i + skipped); }

    const ItemStore& whole;
    qsizetype skipped;
    ItemStore keys;
};

// Looks up each item of `items` in `lookup`'s set, in order and span by span, as the set's position
// `offset` + index + 1; `pick(index, found)` learns the position of the set's item with an equal
// text (0: none) and says whether the item goes to `out` (when there is one), whole as `keyed`
// has it where its keys are not the items themselves.
template <class Pick>
void lookUpEach(const ItemStore& items, qsizetype offset, BatchLookup& lookup, Yielder& yielder, Pick&& pick,
                Picked* out = nullptr, const Keyed* keyed = nullptr) {
    for (qsizetype i = 0; i < items.count();) {
        ItemSpan span = items.blockSpanOf(i);
        span.firstPosition += int(offset);
        const int first = int(offset + i) + 1;
        const int last = std::min<int>(span.lastPosition(), first + int(kSpanItems) - 1);
        lookup.prepare(span, first, last);
        if (yielder.dueNow()) yielder.yieldNow();
        for (int position = first; position <= last; ++position, ++i) {
            const qsizetype k = span.indexOf(position);
            if (pick(i, lookup.found(span, k, position)) && out)
                out->add(keyed ? keyed->text(i) : span.text(k));
            yielder.maybeYield();
        }
    }
}

const auto kNone = [](qsizetype, int found) { return found == 0; };

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
    releaseAside(std::move(copies), qsizetype(copies.size()));
    return removed;
}

// Each distinct key's first item, most frequent first, ties in the order of first occurrence, with
// each key's count at its first item and the bytes of the counts and whole items together.
struct Counts {
    std::vector<qsizetype> order;
    // Four bytes a count (a list holds fewer than 2^31 items): the counting's random increments
    // miss the cache half as often.
    std::vector<qint32> counts;
    qsizetype lineBytes = 0;
};

constexpr int kCountDigits = 20;
// The bytes copied between checks of the clock.
constexpr qsizetype kCountsCopyPiece = 1 << 20;

// The decimal digits of n > 0, written backwards from the end of `digits`.
QByteArrayView countText(char (&digits)[kCountDigits], qint64 n) {
    char* const last = digits + kCountDigits;
    char* first = last;
    for (; n > 0; n /= 10) *--first = char('0' + n % 10);
    return QByteArrayView(first, last - first);
}

Counts countEach(const Keyed& keyed, const CompareOptions& options, Yielder& yielder) {
    const ItemStore& keys = keyed.keys;
    Counts c;
    // Each key's count at its first item; 0 at the items that repeat an earlier one.
    c.counts.assign(size_t(keys.count()), 0);
    std::vector<qsizetype> firsts;
    {
        Table table(keys, options, yielder);
        BatchLookup adding = table.lookup(BatchLookup::Mode::FindOrAdd);
        lookUpEach(keys, 0, adding, yielder, [&](qsizetype i, int found) {
            if (found != 0) {
                ++c.counts[size_t(found - 1)];
                return false;
            }
            c.counts[size_t(i)] = 1;
            firsts.push_back(i);
            return false;
        });
    }
    // Most frequent first, equal counts in the order of their first occurrence: a counting sort,
    // stable, in one pass over the counts.
    qint64 most = 0;
    char digits[kCountDigits];
    for (const qsizetype i : firsts) {
        const qint64 n = c.counts[size_t(i)];
        most = std::max(most, n);
        c.lineBytes += countText(digits, n).size() + keyed.text(i).size();
    }
    std::vector<qsizetype> start(size_t(most) + 2, 0);
    for (const qsizetype i : firsts) ++start[size_t(most - c.counts[size_t(i)]) + 1];
    for (size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
    c.order.resize(firsts.size());
    for (const qsizetype i : firsts) c.order[size_t(start[size_t(most - c.counts[size_t(i)])]++)] = i;
    yielder.maybeYield();
    return c;
}

}  // namespace

namespace ListTools {

ItemStore compared(const ItemStore& listItems, const ItemStore& otherItems, Compared which,
                   const CompareOptions& options, Yielder& yielder, const MatchOn& listMatch,
                   const MatchOn& otherMatch) {
    const Keyed listKeyed(listItems, listMatch, yielder);
    const Keyed otherKeyed(otherItems, otherMatch, yielder);
    const ItemStore& list = listKeyed.keys;
    const ItemStore& other = otherKeyed.keys;
    const Keyed* listWhole = listMatch.plain() ? nullptr : &listKeyed;
    const Keyed* otherWhole = otherMatch.plain() ? nullptr : &otherKeyed;
    ItemStore out;
    Picked picked(out);
    if (which == Compared::EachOnce) {
        // One table for both lists (the other's items after this list's): each item is looked up once.
        // The other's large blocks are shared, not copied.
        ItemStore both = list;
        both.append(other);
        Table seen(both, options, yielder);
        BatchLookup adding = seen.lookup(BatchLookup::Mode::FindOrAdd);
        lookUpEach(list, 0, adding, yielder, kNone, &picked, listWhole);
        lookUpEach(other, list.count(), adding, yielder, kNone, &picked, otherWhole);
    } else {
        Table inOther(other, options, yielder);
        BatchLookup adding = inOther.lookup(BatchLookup::Mode::FindOrAdd);
        lookUpEach(other, 0, adding, yielder, [](qsizetype, int) { return false; });
        BatchLookup finding = inOther.lookup(BatchLookup::Mode::Find);
        // Each text of the other list has one item in the table: the first of this list's items
        // that finds it takes it.
        std::vector<bool> taken(which == Compared::InBoth ? size_t(other.count()) : 0, false);
        lookUpEach(
            list, 0, finding, yielder,
            [&](qsizetype, int found) {
                if (which == Compared::OnlyInThis) return found == 0;
                if (found == 0 || taken[size_t(found - 1)]) return false;
                taken[size_t(found - 1)] = true;
                return true;
            },
            &picked, listWhole);
    }
    picked.flush();
    return out;
}

std::vector<bool> firstOfRepeated(const ItemStore& items, const CompareOptions& options, Yielder& yielder) {
    std::vector<bool> flags(size_t(items.count()), false);
    Table table(items, options, yielder);
    BatchLookup adding = table.lookup(BatchLookup::Mode::FindOrAdd);
    // A later copy finds its key's first item in the table: that one is marked, never the copy.
    lookUpEach(items, 0, adding, yielder, [&](qsizetype, int found) {
        if (found != 0) flags[size_t(found - 1)] = true;
        return false;
    });
    return flags;
}

ItemStore counted(const ItemStore& items, const CompareOptions& options, Yielder& yielder,
                  const MatchOn& match) {
    const Keyed keyed(items, match, yielder);
    const Counts counts = countEach(keyed, options, yielder);
    ItemStore out;
    // The lines of a batch side by side, stored together: one store append per batch.
    constexpr size_t kBatch = 4096;
    QByteArray bytes;
    std::vector<qsizetype> ends;
    std::vector<QByteArrayView> lines;
    char digits[kCountDigits];
    for (size_t from = 0; from < counts.order.size(); from += kBatch) {
        bytes.clear();
        ends.clear();
        lines.clear();
        const size_t to = std::min(counts.order.size(), from + kBatch);
        for (size_t j = from; j < to; ++j) {
            const qsizetype i = counts.order[j];
            bytes.append(countText(digits, counts.counts[size_t(i)]));
            bytes += '\t';
            bytes += keyed.text(i);
            ends.push_back(bytes.size());
        }
        qsizetype begin = 0;
        for (const qsizetype end : ends) {
            lines.emplace_back(bytes.constData() + begin, end - begin);
            begin = end;
        }
        out.appendAll(lines);
        if (yielder.dueNow()) yielder.yieldNow();
    }
    return out;
}

CountedText countedText(const ItemStore& items, const CompareOptions& options, Yielder& yielder,
                        QByteArrayView lineEnd, const MatchOn& match) {
    const Keyed keyed(items, match, yielder);
    const Counts counts = countEach(keyed, options, yielder);
    const qsizetype lines = qsizetype(counts.order.size());
    // Sized once, to the byte, and written in one pass: no store of lines to join afterwards.
    QByteArray text(counts.lineBytes + lines * (1 + lineEnd.size()), Qt::Uninitialized);
    char* out = text.data();
    qsizetype sinceCheck = 0;
    const auto copy = [&](QByteArrayView bytes) {
        // A very long item goes a piece at a time between the event loop's turns.
        for (qsizetype at = 0; at < bytes.size();) {
            const qsizetype n = std::min(bytes.size() - at, kCountsCopyPiece - sinceCheck);
            std::memcpy(out, bytes.data() + at, size_t(n));
            out += n;
            at += n;
            sinceCheck += n;
            if (sinceCheck < kCountsCopyPiece) continue;
            sinceCheck = 0;
            if (yielder.dueNow()) yielder.yieldNow();
        }
    };
    char digits[kCountDigits];
    for (const qsizetype i : counts.order) {
        copy(countText(digits, counts.counts[size_t(i)]));
        *out++ = '\t';
        copy(keyed.text(i));
        copy(lineEnd);
    }
    return {text, lines};
}

std::vector<bool> repeatedItems(const ItemStore& items, const CompareOptions& options, Yielder& yielder) {
    std::vector<bool> flags(size_t(items.count()), false);
    Table table(items, options, yielder);
    BatchLookup adding = table.lookup(BatchLookup::Mode::FindOrAdd);
    lookUpEach(items, 0, adding, yielder, [&](qsizetype i, int found) {
        if (found == 0) return false;
        flags[size_t(found - 1)] = true;
        flags[size_t(i)] = true;
        return false;
    });
    return flags;
}

ItemStore removedBy(const ItemStore& before, const ItemStore& after, Yielder& yielder) {
    if (std::optional<ItemStore> removed = passedOver(before, after, yielder)) return std::move(*removed);
    return beyondAfter(before, after, yielder);
}

ItemStore removedBy(const ItemStore& before, const ItemStore& after, const QList<int>& positions,
                    Yielder& yielder) {
    if (positions.isEmpty()) return removedBy(before, after, yielder);
    ItemStore removed;
    for (const int position : positions) {
        removed.append(before.text(position - 1));
        yielder.maybeYield();
    }
    return removed;
}

}  // namespace ListTools
