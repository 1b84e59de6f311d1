// RemoveBlanksFromList, RemoveItemsWith and RemoveItemsWithout: the routines that test each item
// on its own.
#include "core/Yielder.h"
#include "listops/CompareKey.h"
#include "listops/ItemSearch.h"
#include "listops/List.h"
#include "listops/RoutineRun.h"

#include <QByteArray>

#include <optional>

namespace List {

namespace {

constexpr RoutineLines kBlanksLines{102, 106, 0, 108, 110, 120, 124};
// The search text is converted once, as part of the first test.
constexpr RoutineLines kWithLines{102, 106, 108, 108, 110, 120, 124};

// Bytes searched between two looks at the clock, so a very long item still lets the window breathe.
constexpr qsizetype kSearchBudget = 256 * 1024;

// Items folded for a search that ignores case: at most this many at a time, so the folding between
// two yields stays short.
constexpr int kFoldItems = 4096;
constexpr qsizetype kFoldBytes = 1024 * 1024;

// Items `s` to at most `last` of `span`, case-folded, as a span of their own: a search in it finds
// the items that contain a folded text ignoring case. Item positions stay as they were. Where the
// items' bytes are their own folded form (ASCII without capitals, most lists), the span itself; ASCII
// is folded in one go, keeping the offsets.
ItemSpan foldedSpan(const ItemSpan& span, int s, int last) {
    const ItemBlock& block = *span.block;
    const qsizetype from = span.indexOf(s);
    qsizetype to = span.indexOf(std::min(last, s + kFoldItems - 1)) + 1;
    while (to - from > 1 && block.ends[size_t(to - 1)] - block.begin(from) > kFoldBytes)
        to = from + (to - from) / 2;
    const qsizetype begin = block.begin(from);
    const QByteArrayView bytes(block.bytes.constData() + begin, block.ends[size_t(to - 1)] - begin);
    if (CompareKey::isFolded(bytes)) return ItemSpan{span.block, from, to, s};
    auto folded = std::make_shared<ItemBlock>();
    folded->ends.reserve(size_t(to - from));
    if (CompareKey::isAscii(bytes)) {
        CompareKey::appendFolded(bytes, folded->bytes);
        for (qsizetype k = from; k < to; ++k)
            folded->ends.push_back(std::uint32_t(block.ends[size_t(k)] - begin));
    } else {
        for (qsizetype k = from; k < to; ++k) {
            CompareKey::appendFolded(span.text(k), folded->bytes);
            folded->ends.push_back(std::uint32_t(folded->bytes.size()));
        }
    }
    const qsizetype count = folded->count();
    return ItemSpan{std::move(folded), 0, count, s};
}

// One search over each span's bytes, item boundaries taken from the span's offsets: items without
// a candidate place cost nothing of their own. Every item still gets its scan step, in order.
class TextPass {
public:
    // With `folding`, items are searched case-folded.
    TextPass(RoutineRun& run, ItemSearch& search, bool removeContaining, bool folding)
        : m_run(run), m_search(search), m_removeContaining(removeContaining), m_folding(folding) {}

    void run() {
        int s = 1;
        while (s <= m_run.count() && !m_run.abandoned()) {
            const std::optional<ItemSpan> span = RoutineRun::spanAt(m_run.target(), s);
            if (span)
                s = searchSpan(
                    m_folding ? foldedSpan(*span, s, std::min(m_run.count(), span->lastPosition())) : *span,
                    s);
            else
                m_run.collectAlone(s++, [&](QByteArrayView text, int) {
                    QByteArray folded;
                    if (m_folding) CompareKey::appendFolded(text, folded);
                    return m_search.contains(m_folding ? QByteArrayView(folded) : text) == m_removeContaining;
                });
        }
    }

private:
    // Searches the span from step s on; the next step to take.
    int searchSpan(const ItemSpan& span, int s) {
        const ItemBlock& block = *span.block;
        const int last = std::min(m_run.count(), span.lastPosition());
        const qsizetype to = span.indexOf(last) + 1;
        qsizetype k = span.indexOf(s);
        qsizetype at = block.begin(k);
        while (k < to) {
            qsizetype found = k;
            const ItemSearch::Result result = m_search.next(block, found, at, to, kSearchBudget);
            // The items passed over hold no match.
            for (; k < found; ++k, ++s)
                if (!visit(s, !m_removeContaining)) return m_run.count() + 1;
            if (result == ItemSearch::Result::Paused) {
                if (m_run.yielder().dueNow()) m_run.yieldAt(s);
                if (m_run.abandoned()) return m_run.count() + 1;
                continue;
            }
            if (result == ItemSearch::Result::None) break;
            if (!visit(s++, m_removeContaining)) return m_run.count() + 1;
            at = block.ends[size_t(k++)];
        }
        return s;
    }

    bool visit(int s, bool select) {
        m_run.step(s);
        if (m_run.abandoned()) return false;
        if (select) m_run.selected(s);
        return true;
    }

    RoutineRun& m_run;
    ItemSearch& m_search;
    bool m_removeContaining;
    bool m_folding;
};

// UTF-8 is self-synchronising: the bytes of a whole text can only occur in another text at a
// character boundary, so a byte search finds exactly the character matches. Ignoring case, both the
// text and the items are folded alike (character by character, as QString compares them).
void removeByText(const char* routine, ListPane& target, const QString& text, bool removeContaining,
                  const RoutineServices& s) {
    RoutineRun run(routine, kWithLines, Scan::Ascending, target, nullptr, s);
    std::optional<ItemSearch> search;
    const bool folding = run.options().ignoreCase;
    if (run.procedure().run(run.lines().setup, [&] {
            search.emplace(folding ? CompareKey::of(text.toUtf8(), CompareOptions{true, false})
                                   : text.toUtf8());
        }))
        TextPass(run, *search, removeContaining, folding).run();
    run.removeCollected();
    run.resetProgress();
}

}  // namespace

void RemoveBlanksFromList(ListPane& target, const RoutineServices& s) {
    RoutineRun run("RemoveBlanksFromList", kBlanksLines, Scan::Ascending, target, nullptr, s);
    if (s.options.ignoreSpaces)
        run.collect([](const ItemSpan&, int, int) {},
                    [&](const ItemSpan& span, qsizetype k, int) {
                        return CompareKey::isBlank(span.text(k), s.options);
                    },
                    [&](QByteArrayView text, int) { return CompareKey::isBlank(text, s.options); });
    else
        run.collect([](const ItemSpan&, int, int) {},
                    [](const ItemSpan& span, qsizetype k, int) {
                        return span.block->begin(k) == span.block->ends[size_t(k)];
                    },
                    [](QByteArrayView text, int) { return text.isEmpty(); });
    run.removeCollected();
    run.resetProgress();
}

void RemoveItemsWith(ListPane& target, const QString& text, const RoutineServices& s) {
    removeByText("RemoveItemsWith", target, text, true, s);
}

void RemoveItemsWithout(ListPane& target, const QString& text, const RoutineServices& s) {
    removeByText("RemoveItemsWithout", target, text, false, s);
}

}  // namespace List
