#pragma once

#include "listops/List.h"
#include "support/TestContext.h"

#include <QStringList>

using Texts = QStringList;

// Runs a routine of module List by name on List 1 (List 2 is the reference, `text` the search
// text), so one data table can cover several routines. `yielder` replaces the context's.
template <class Context>
void runRoutine(Context& t, const QString& routine, const QString& text = {}, Yielder* yielder = nullptr,
                CompareOptions options = {}, MatchOn targetMatch = {}, MatchOn referenceMatch = {}) {
    const List::RoutineServices s{
        t.reporter, yielder ? *yielder : t.yielder, t.progress, options, targetMatch, referenceMatch};
    if (routine == "SubtractSecondListFromFirstList")
        return List::SubtractSecondListFromFirstList(t.list1, t.list2, s);
    if (routine == "KeepOnlyMatchesInList") return List::KeepOnlyMatchesInList(t.list1, t.list2, s);
    if (routine == "RemoveDupesExceptFirst") return List::RemoveDupesExceptFirst(t.list1, s);
    if (routine == "RemoveDupesAll") return List::RemoveDupesAll(t.list1, s);
    if (routine == "RemoveBlanksFromList") return List::RemoveBlanksFromList(t.list1, s);
    if (routine == "RemoveItemsWith") return List::RemoveItemsWith(t.list1, text, s);
    if (routine == "RemoveItemsWithout") return List::RemoveItemsWithout(t.list1, text, s);
    qFatal("unknown routine %s", qPrintable(routine));
}

inline const QStringList kRoutines{"SubtractSecondListFromFirstList",
                                   "KeepOnlyMatchesInList",
                                   "RemoveDupesExceptFirst",
                                   "RemoveDupesAll",
                                   "RemoveBlanksFromList",
                                   "RemoveItemsWith",
                                   "RemoveItemsWithout"};

// Whether an error report names this procedure of module List and this statement number.
inline bool reportsAt(const QString& report, const QString& procedure, int line) {
    return report.contains(ErrorReporter::origin("List", procedure) + "at line " + QString::number(line));
}
