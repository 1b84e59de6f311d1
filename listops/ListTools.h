#pragma once

#include "core/CompareOptions.h"
#include "core/MatchOn.h"
#include "listops/ListSort.h"
#include "store/ItemStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <vector>

class ListPane;
class Yielder;
namespace List {
struct RoutineServices;
}

// The list tools of a pane's context menu: sorting, keeping the items that occur once, the set
// results of two lists and what an undo step took out. Like the routines of module List, the pane
// routines report their own failures (origin "List.<routine>"), change only their target, yield to
// the event loop as they go and leave the progress display at 0.
namespace ListTools {

// Put the pane's items in natural order (NaturalOrder) of their keys (FieldKey), equal keys in the
// order of their whole items, one change of the pane; a pane already in that order is left as it
// is. A header stays first.
void SortAToZ(ListPane& target, const List::RoutineServices& s);
void SortZToA(ListPane& target, const List::RoutineServices& s);
// Removes every item whose key (CompareKey) occurs more than once in the pane, each copy of it; the
// rest keep their order.
void KeepOnlyItemsThatOccurOnce(ListPane& target, const List::RoutineServices& s);

// Removes white space (QChar::isSpace) at the start and end of every item but a header: the whole
// item's ends, whatever column is compared. The only routine that rewrites texts: one change of the
// pane, telling the number of items changed in the outcome.
void TrimSpaces(ListPane& target, const List::RoutineServices& s);
// Keeps one copy, the first, of each item whose key occurs more than once; the rest go (uniq -d
// without sorting).
void KeepOnlyRepeatedItems(ListPane& target, const List::RoutineServices& s);
// Remove, or keep only, the items whose key a regular expression (QRegularExpression, anchors as
// typed) matches anywhere. Ignoring case matches case-insensitively; ignoring spaces matches the key
// without white space at its ends. A pattern that does not compile, or one that proves too costly
// on an item (the match limit), changes nothing and says why in the outcome.
void RemoveItemsMatching(ListPane& target, const QString& pattern, const List::RoutineServices& s);
void KeepOnlyItemsMatching(ListPane& target, const QString& pattern, const List::RoutineServices& s);

enum class Compared {
    OnlyInThis,  // this list's items whose key the other list lacks, in order, repeats kept
    InBoth,      // this list's items whose key the other list has, in this list's order, each key once
    EachOnce,    // this list's items, each key once, then the other's items with keys not yet seen
};
// A set result of two lists as a new store of whole items, compared by their keys (each list's own
// MatchOn, headers left out); reads only the two stores.
ItemStore compared(const ItemStore& list, const ItemStore& other, Compared which,
                   const CompareOptions& options, Yielder& yielder, const MatchOn& listMatch = {},
                   const MatchOn& otherMatch = {});

// Each distinct key of `items` (its first item) with how often it occurs: `count<TAB>item`, the item
// whole, most frequent first, ties in the order of first occurrence; a header left out.
ItemStore counted(const ItemStore& items, const CompareOptions& options, Yielder& yielder,
                  const MatchOn& match = {});
// The same lines as one text, each followed by `lineEnd`, for the clipboard.
struct CountedText {
    QByteArray text;
    qsizetype lines = 0;
};
CountedText countedText(const ItemStore& items, const CompareOptions& options, Yielder& yielder,
                        QByteArrayView lineEnd, const MatchOn& match = {});

// For each item of `items`, whether it is the first of a key that occurs more than once.
std::vector<bool> firstOfRepeated(const ItemStore& items, const CompareOptions& options, Yielder& yielder);

// For each item of `items`, whether another item has an equal key (CompareKey).
std::vector<bool> repeatedItems(const ItemStore& items, const CompareOptions& options, Yielder& yielder);

// The items that a change from `before` to `after` took out, in their old order. A change that only
// reordered or appended items took out none. Of a repeated text, the copies taken out are taken to
// be its later ones.
ItemStore removedBy(const ItemStore& before, const ItemStore& after, Yielder& yielder);
// The same where the change is known to have removed `positions` of `before` (1-based, ascending;
// empty: not known): removing the later copies of a text is not removing the earlier ones.
ItemStore removedBy(const ItemStore& before, const ItemStore& after, const QList<int>& positions,
                    Yielder& yielder);

}  // namespace ListTools
