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
// two yields stays short (a piece of 64 KiB beyond ASCII folds in about 1 ms); a longer item is
// folded in pieces of that many bytes.
constexpr int kFoldItems = 4096;
constexpr qsizetype kFoldBytes = 64 * 1024;

// How a search that ignores case reads the items.
enum class Folding {
    None,
    // The search ignores ASCII case in the items' own bytes (the text is unaffected by what lies
    // beyond ASCII).
    InPlace,
    // As InPlace in a stretch of ASCII items; other stretches are searched folded.
    PerStretch,
};

// The end of the piece of `text` that starts at `from`: about kFoldBytes on, never inside a
// character, so the pieces fold as the whole text would.
qsizetype pieceEnd(QByteArrayView text, qsizetype from) {
    qsizetype end = std::min(text.size(), from + kFoldBytes);
    for (int back = 0; back < 3 && end < text.size() && (std::uint8_t(text[end]) & 0xC0) == 0x80; ++back)
        --end;
    return end;
}

// One search over each span's bytes, item boundaries taken from the span's offsets: items without
// a candidate place cost nothing of their own. Every item still gets its scan step, in order.
class TextPass {
public:
    TextPass(RoutineRun& run, ItemSearch& search, bool removeContaining, Folding folding)
        : m_run(run), m_search(search), m_removeContaining(removeContaining), m_folding(folding) {}

    void run() {
        int s = 1;
        while (s <= m_run.count() && !m_run.abandoned()) {
            const std::optional<ItemSpan> span = RoutineRun::spanAt(m_run.reader(), s);
            if (!span) {
                m_run.collectAlone(s++, [&](QByteArrayView text, int) {
                    QByteArray folded;
                    if (m_folding == Folding::PerStretch) {
                        CompareKey::appendFolded(text, folded);
                        text = folded;
                    }
                    return m_search.contains(text) == m_removeContaining;
                });
            } else if (m_folding != Folding::PerStretch) {
                s = searchSpan(*span, s);
            } else if (const std::optional<ItemSpan> stretch = foldedStretch(*span, s)) {
                s = searchSpan(*stretch, s);
            }
        }
    }

private:
    // Items from step s of `span` on (as many as fold between two yields) as a span of their own, in
    // which the search finds the items that contain the text ignoring case: the span itself where
    // they are ASCII, else their folded copies. Nothing when the run was abandoned while folding.
    std::optional<ItemSpan> foldedStretch(const ItemSpan& span, int s) {
        const ItemBlock& block = *span.block;
        const qsizetype from = span.indexOf(s);
        const int last = std::min(m_run.count(), span.lastPosition());
        qsizetype to = span.indexOf(std::min(last, s + kFoldItems - 1)) + 1;
        while (to - from > 1 && block.ends[size_t(to - 1)] - block.begin(from) > kFoldBytes)
            to = from + (to - from) / 2;
        const qsizetype begin = block.begin(from);
        const QByteArrayView bytes(block.bytes.constData() + begin, block.ends[size_t(to - 1)] - begin);
        if (CompareKey::isAscii(bytes)) return ItemSpan{span.block, from, to, s};
        auto folded = std::make_shared<ItemBlock>();
        folded->ends.reserve(size_t(to - from));
        for (qsizetype k = from; k < to; ++k) {
            if (!appendFolded(span.text(k), folded->bytes, s)) return std::nullopt;
            folded->ends.push_back(std::uint32_t(folded->bytes.size()));
        }
        const qsizetype count = folded->count();
        return ItemSpan{std::move(folded), 0, count, s};
    }

    // Folds an item of several megabytes a piece at a time, letting the window breathe between
    // pieces; false when the run was abandoned meanwhile.
    bool appendFolded(QByteArrayView text, QByteArray& out, int s) {
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype end = pieceEnd(text, at);
            CompareKey::appendFolded(text.sliced(at, end - at), out);
            at = end;
            if (at == text.size()) break;
            if (m_run.yielder().dueNow()) m_run.yieldAt(s);
            if (m_run.abandoned()) return false;
        }
        return true;
    }

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
    Folding m_folding;
};

// UTF-8 is self-synchronising: the bytes of a whole text can only occur in another text at a
// character boundary, so a byte search finds exactly the character matches. Ignoring case, both the
// text and the items are folded alike (character by character, as QString compares them).
void removeByText(const char* routine, ListPane& target, const QString& text, bool removeContaining,
                  const RoutineServices& s) {
    RoutineRun run(routine, kWithLines, Scan::Ascending, target, nullptr, s);
    std::optional<ItemSearch> search;
    Folding folding = Folding::None;
    if (run.procedure().run(run.lines().setup, [&] {
            if (!run.options().ignoreCase) {
                search.emplace(text.toUtf8());
                return;
            }
            const QByteArray folded = CompareKey::of(text.toUtf8(), CompareOptions{true, false});
            folding = CompareKey::foundIgnoringAsciiCase(folded) ? Folding::InPlace : Folding::PerStretch;
            search.emplace(folded, ItemSearch::Letters::IgnoringAsciiCase);
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
