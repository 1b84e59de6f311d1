// Trim Spaces and Keep Only Repeated Items: list tools of a pane's menu that read the pane once and
// change it in one step.
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/RunTimeError.h"
#include "core/Yielder.h"
#include "listops/CompareKey.h"
#include "listops/FieldKey.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "store/ListPane.h"

#include <QList>

#include <vector>

namespace {

// Statement numbers.
namespace TrimLine {
enum : int { Snapshot = 100, Collect = 102, Replace = 104, Reset = 106 };
}
namespace RepeatedLine {
enum : int { Snapshot = 100, Count = 102, Collect = 104, Removal = 106, Reset = 108 };
}

// The items of `items` from `from` on, trimmed, and how many of them changed.
ItemStore trimmedItems(const ItemStore& items, qsizetype from, qint64& changed, ProgressSink& progress,
                       Yielder& yielder) {
    ItemStore out;
    std::vector<QByteArrayView> texts;
    texts.reserve(size_t(std::min(items.count(), ItemStore::kBlockItems)));
    for (qsizetype k = 0; k < items.count();) {
        texts.clear();
        for (const qsizetype end = std::min(items.count(), k + ItemStore::kBlockItems); k < end; ++k) {
            const QByteArrayView text = items.text(k);
            const QByteArrayView trimmed = k < from ? text : CompareKey::Quick::trimmed(text);
            changed += trimmed.size() != text.size();
            texts.push_back(trimmed);
        }
        out.appendAll(texts);
        progress.setPercent(double(k) / double(items.count()) * 100);
        if (yielder.dueNow()) yielder.yieldNow();
    }
    return out;
}

}  // namespace

namespace ListTools {

void TrimSpaces(ListPane& target, const List::RoutineServices& s) {
    Procedure p(s.reporter, ErrorReporter::origin(QStringLiteral("List"), QStringLiteral("TrimSpaces")));
    ItemStore items;
    quint64 stamp = 0;
    p.run(TrimLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
    });
    // A header keeps its text, spaces and all: it names the columns.
    const qsizetype from = s.targetMatch.header ? 1 : 0;
    qint64 changed = 0;
    ItemStore trimmed;
    if (p.run(TrimLine::Collect,
              [&] { trimmed = trimmedItems(items, from, changed, s.progress, s.yielder); }) &&
        changed > 0) {
        p.run(TrimLine::Replace, [&] {
            // Held while the routine ran: should it have changed all the same, it is left as it is.
            if (target.editStamp() != stamp || target.count() != items.count())
                throw RunTimeError(
                    QStringLiteral("The list was changed while the command ran; nothing was trimmed"));
            items = ItemStore();
            target.clear();
            target.appendBatch(trimmed);
            if (s.outcome) s.outcome->changed = changed;
        });
    }
    p.run(TrimLine::Reset, [&] { s.progress.setPercent(0); });
}

void KeepOnlyRepeatedItems(ListPane& target, const List::RoutineServices& s) {
    Procedure p(s.reporter,
                ErrorReporter::origin(QStringLiteral("List"), QStringLiteral("KeepOnlyRepeatedItems")));
    ItemStore items;
    quint64 stamp = 0;
    // The keys' positions are the pane's after its header (a pane without items has no keys).
    const int offset = s.targetMatch.header ? 1 : 0;
    p.run(RepeatedLine::Snapshot, [&] {
        items = target.snapshot();
        stamp = target.editStamp();
        if (!s.targetMatch.plain())
            items = FieldKey::keysOf(items, s.targetMatch, [&] {
                if (s.yielder.dueNow()) s.yielder.yieldNow();
                return true;
            });
    });
    std::vector<bool> kept;
    QList<int> removed;
    if (p.run(RepeatedLine::Count, [&] { kept = firstOfRepeated(items, s.options, s.yielder); }) &&
        p.run(RepeatedLine::Collect, [&] {
            for (qsizetype i = 0; i < items.count(); ++i) {
                if (!kept[size_t(i)]) removed.append(int(i) + 1 + offset);
                if (s.yielder.due()) {
                    s.progress.setPercent(double(i + 1) / double(items.count()) * 100);
                    s.yielder.yieldNow();
                }
            }
        }))
        p.run(RepeatedLine::Removal, [&] {
            if (!removed.isEmpty()) target.removePositions(removed, stamp, s.yielder);
        });
    p.run(RepeatedLine::Reset, [&] { s.progress.setPercent(0); });
}

}  // namespace ListTools
