#include "store/ResultLine.h"

#include <QFileInfo>
#include <QLocale>

namespace {
const QString kDot = QStringLiteral(" \u00B7 ");

// " from List 1"; nothing for list 0.
QString onList(const char* preposition, int list) {
    if (list == 0) return {};
    return u' ' + QLatin1StringView(preposition) + QStringLiteral(" List %1").arg(list);
}

QString listName(int list) {
    return QStringLiteral("List %1").arg(list);
}

}  // namespace

namespace ResultLine {

QString optionsNote(const CompareOptions& options) {
    if (options.ignoreCase && options.ignoreSpaces) return kDot + QStringLiteral("ignoring case and spaces");
    if (options.ignoreCase) return kDot + QStringLiteral("ignoring case");
    if (options.ignoreSpaces) return kDot + QStringLiteral("ignoring spaces");
    return {};
}

QString number(qint64 count, const QLocale& locale) {
    return locale.toString(count);
}

QString items(qint64 count, const QLocale& locale) {
    return number(count, locale) + (count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

QString removed(const QString& command, int list, qint64 before, qint64 after, const QLocale& locale) {
    if (after >= before) return command + QStringLiteral(": nothing removed") + onList("from", list);
    return command + QStringLiteral(": ") + number(before - after, locale) + QStringLiteral(" removed") +
           onList("from", list) + kDot + number(after, locale) + QStringLiteral(" left");
}

QString changed(const QString& command, int list, qint64 count, const QLocale& locale) {
    if (count <= 0) return command + QStringLiteral(": nothing changed") + onList("in", list);
    return command + QStringLiteral(": ") + items(count, locale) + QStringLiteral(" changed") +
           onList("in", list);
}

QString listCommand(const QString& command, Tells tells, int list, qint64 before, qint64 after,
                    const CompareOptions& compare, const QLocale& locale) {
    if (tells == Tells::Count)
        return command + QStringLiteral(": ") + items(after, locale) + onList("in", list);
    return removed(command, list, before, after, locale) + optionsNote(compare);
}

QString withText(const QString& command, const QString& typed) {
    QString shown = typed.left(kMaxTypedChars);
    // Never half a surrogate pair; a cut text ends in an ellipsis.
    if (shown.size() < typed.size()) {
        if (shown.back().isHighSurrogate()) shown.chop(1);
        shown += QChar(0x2026);
    }
    return command + QStringLiteral(" \"") + shown + u'"';
}

QString added(const QString& command, int list, qint64 before, qint64 after, int files) {
    const qint64 count = after - before;
    QString text = command + QStringLiteral(": ") + (count > 0 ? items(count) : QStringLiteral("nothing")) +
                   QStringLiteral(" added to ") + listName(list);
    if (files > 0)
        text += QStringLiteral(" from ") + number(files) +
                (files == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
    return text;
}

QString saved(qint64 count, const QString& fileName) {
    return QStringLiteral("Save: ") + items(count) + QStringLiteral(" written to ") + fileName;
}

QString loadedFrom(const QStringList& paths) {
    if (paths.size() > 1) return number(paths.size()) + QStringLiteral(" files");
    if (paths.isEmpty()) return {};
    return QFileInfo(paths.front()).fileName();
}

QString stopped(const QString& command, int list) {
    return command + QStringLiteral(": stopped; ") + listName(list) + QStringLiteral(" unchanged");
}

QString history(Step step, int list, qint64 before, qint64 after) {
    const bool undo = step == Step::Undo;
    const QString head = (undo ? QStringLiteral("Undo") : QStringLiteral("Redo")) + QStringLiteral(" in ") +
                         listName(list) + QStringLiteral(": ");
    if (after > before) return head + items(after - before) + QStringLiteral(" back");
    if (after < before) return head + items(before - after) + QStringLiteral(" taken out");
    return head + (undo ? QStringLiteral("the items as they were")
                        : QStringLiteral("the items as the change left them"));
}

}  // namespace ResultLine
