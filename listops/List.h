#pragma once

#include "core/CompareOptions.h"
#include "core/MatchOn.h"

#include <QList>
#include <QString>

#include <memory>

class ErrorReporter;
class ListPane;
class ListReader;
class ProgressSink;
class Yielder;

// Module List: the seven list operations. Each changes only its target pane, reports its own
// run-time errors (origin "List.<routine>") and passes none to its caller; only Cancelled, raised at
// a yield while the window closes, leaves a routine.
//
// Every routine works on the items that were in its panes when it started: items appended while it
// yields stay untouched, behind the kept ones. Matches and repeats are found by hashing the texts
// (positions only, read from the panes), and the collected items go in one bulk removal.
namespace List {

// What a routine tells its command besides the pane it changed: how many items it rewrote (the one
// that rewrites texts), or why it changed nothing where that is no failure of its own (a pattern
// that cannot be used): the command shows that to the user.
struct RoutineOutcome {
    qint64 changed = 0;
    QString refusal;
};

// What a two-list routine makes of its reference (its keys, the table of its texts), kept from one
// run to the next against the same, unchanged reference: the command line runs a routine on a long
// list piece by piece, and the reference's table is built once, by the first run.
struct KeptReference {
    struct Made;
    KeptReference();
    ~KeptReference();
    KeptReference(const KeptReference&) = delete;
    KeptReference& operator=(const KeptReference&) = delete;
    std::unique_ptr<Made> made;
};

// What a routine reaches besides its panes: the error report, the event loop, the progress bar, and
// how items are compared, read once as the command starts: what of each list's items counts
// (MatchOn, FieldKey), then the compare options on that (CompareKey). Wherever the routines below
// speak of an item's text, they mean that key; they remove and keep whole items. A list's header
// item is never compared nor removed.
struct RoutineServices {
    ErrorReporter& reporter;
    Yielder& yielder;
    ProgressSink& progress;
    CompareOptions options = {};
    MatchOn targetMatch = {};
    MatchOn referenceMatch = {};
    // Where the routine tells its outcome; null: nobody asks.
    RoutineOutcome* outcome = nullptr;
    // Where a two-list routine keeps what it makes of its reference for the next run; null: nowhere.
    KeptReference* kept = nullptr;
};

// Removes the target items whose text occurs in the reference.
void SubtractSecondListFromFirstList(ListPane& target, const ListReader& reference, const RoutineServices& s);
// Removes the target items whose text does not occur in the reference.
void KeepOnlyMatchesInList(ListPane& target, const ListReader& reference, const RoutineServices& s);
// Removes every item whose text equals that of an earlier item.
void RemoveDupesExceptFirst(ListPane& target, const RoutineServices& s);
// Removes every item whose text equals that of a later item.
void RemoveDupesAll(ListPane& target, const RoutineServices& s);
// Removes the items whose text is empty (or white space only, where spaces are ignored).
void RemoveBlanksFromList(ListPane& target, const RoutineServices& s);
// Removes the items whose text contains `text`, taken as typed: case-sensitive unless case is
// ignored; spaces around items count.
void RemoveItemsWith(ListPane& target, const QString& text, const RoutineServices& s);
// Removes the items whose text does not contain `text`.
void RemoveItemsWithout(ListPane& target, const QString& text, const RoutineServices& s);

// Each value once, at the place of its last occurrence, in the order of those occurrences. Sweeps
// the progress display from (1 / count) to 100 at its yields. Has no error report of its own: its
// failures belong to the caller's statement.
QList<int> RemoveArrayDupes(const QList<int>& values, Yielder& yielder, ProgressSink& progress);

}  // namespace List
