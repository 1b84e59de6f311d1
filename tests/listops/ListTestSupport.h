#pragma once

#include "listops/List.h"
#include "support/TestContext.h"

#include <QStringList>

// Runs one routine of module List by name on the context's List 1 (List 2 is the reference, `text`
// the search text), so one data table can cover several routines. `yielder` replaces the context's.
template <class Context>
void runRoutine(Context& t, const QString& routine, const QString& text = {}, Yielder* yielder = nullptr) {
    const List::RoutineServices s{t.reporter, yielder ? *yielder : t.yielder, t.progress};
    if (routine == "Subtract") return List::SubtractSecondListFromFirstList(t.list1, t.list2, s);
    if (routine == "Keep") return List::KeepOnlyMatchesInList(t.list1, t.list2, s);
    if (routine == "ExceptFirst") return List::RemoveDupesExceptFirst(t.list1, s);
    if (routine == "All") return List::RemoveDupesAll(t.list1, s);
    if (routine == "Blanks") return List::RemoveBlanksFromList(t.list1, s);
    if (routine == "With") return List::RemoveItemsWith(t.list1, text, s);
    if (routine == "Without") return List::RemoveItemsWithout(t.list1, text, s);
    qFatal("unknown routine %s", qPrintable(routine));
}

// The routine's full name, as its error report shows it.
inline QString routineName(const QString& routine) {
    static const QHash<QString, QString> names{
        {"Subtract", "SubtractSecondListFromFirstList"}, {"Keep", "KeepOnlyMatchesInList"},
        {"ExceptFirst", "RemoveDupesExceptFirst"},       {"All", "RemoveDupesAll"},
        {"Blanks", "RemoveBlanksFromList"},              {"With", "RemoveItemsWith"},
        {"Without", "RemoveItemsWithout"}};
    return names.value(routine);
}

// The second line of an error report: origin and statement number.
inline QString reportedAt(const QString& module, const QString& procedure, int line) {
    return ErrorReporter::origin(module, procedure) + "at line " + QString::number(line);
}
