// RemoveItemsMatching and KeepOnlyItemsMatching: the routines that test each item against a
// regular expression.
#include "listops/CompareKey.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "listops/RoutineRun.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

using List::RoutineRun;

// The pattern is compiled as part of the first test.
constexpr List::RoutineLines kMatchingLines{102, 106, 108, 108, 110, 120, 124};

// Tests items against one compiled pattern. QRegularExpression reads UTF-16: each item is decoded
// into one buffer that is reused, never into a string of its own.
class ItemMatcher {
public:
    ItemMatcher(const QRegularExpression& pattern, bool trim) : m_pattern(pattern), m_trim(trim) {}

    enum class Result { No, Yes, TooCostly };

    Result test(QByteArrayView item) {
        if (m_trim) item = CompareKey::Quick::trimmed(item);
        // A UTF-8 text never has more UTF-16 units than bytes.
        if (m_buffer.size() < item.size()) m_buffer.resize(std::max(item.size(), 2 * m_buffer.size()));
        QChar* out = m_buffer.data();
        const QChar* end = out + item.size();
        // Most items are ASCII: widening them costs a tenth of decoding.
        if (CompareKey::Quick::isAscii(item))
            std::copy(item.begin(), item.end(), reinterpret_cast<char16_t*>(out));
        else
            end = m_decoder.appendToBuffer(out, item);
        const QRegularExpressionMatch match =
            m_pattern.match(QStringView(out, end), 0, QRegularExpression::NormalMatch,
                            QRegularExpression::DontCheckSubjectStringMatchOption);
        // A match that stops at PCRE2's match limit is reported as an invalid match.
        if (!match.isValid()) return Result::TooCostly;
        return match.hasMatch() ? Result::Yes : Result::No;
    }

private:
    const QRegularExpression& m_pattern;
    bool m_trim;
    QString m_buffer;
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

QString invalidPattern(const QRegularExpression& pattern) {
    return QStringLiteral("This regular expression is not valid: %1 at offset %2.")
        .arg(pattern.errorString())
        .arg(pattern.patternErrorOffset());
}

QString tooCostly(int position) {
    return QStringLiteral(
               "The pattern is too costly: testing item %1 took more steps than allowed. Nothing was "
               "changed.")
        .arg(position);
}

// Where nobody asks for the outcome, a refusal is a failure of the routine.
void refuse(RoutineRun& run, const List::RoutineServices& s, int line, const QString& why) {
    if (s.outcome) {
        s.outcome->refusal = why;
        return;
    }
    run.procedure().run(line, [&] { throw RunTimeError(why); });
}

void filter(const char* routine, ListPane& target, const QString& text, bool removeMatching,
            const List::RoutineServices& s) {
    RoutineRun run(routine, kMatchingLines, List::Scan::Ascending, target, nullptr, s);
    QRegularExpression pattern;
    bool valid = false;
    run.procedure().run(run.lines().setup, [&] {
        pattern.setPattern(text);
        if (s.options.ignoreCase) pattern.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        valid = pattern.isValid();
        if (valid) pattern.optimize();
    });
    if (!valid) {
        refuse(run, s, run.lines().setup, invalidPattern(pattern));
        run.resetProgress();
        return;
    }
    ItemMatcher matcher(pattern, s.options.ignoreSpaces);
    int costly = 0;
    const auto select = [&](QByteArrayView item, int position) {
        const ItemMatcher::Result result = matcher.test(item);
        if (result == ItemMatcher::Result::TooCostly) {
            costly = position;
            run.abandon();
            return false;
        }
        return (result == ItemMatcher::Result::Yes) == removeMatching;
    };
    run.collect(
        [](const ItemSpan&, int, int) {},
        [&](const ItemSpan& span, qsizetype k, int position) { return select(span.text(k), position); },
        select);
    // A header is not among the reader's positions: the pane's own position is the one to name.
    if (costly)
        refuse(run, s, run.lines().compare,
               tooCostly(costly + (s.targetMatch.header && target.count() > 0 ? 1 : 0)));
    run.removeCollected();
    run.resetProgress();
}

}  // namespace

namespace ListTools {

void RemoveItemsMatching(ListPane& target, const QString& pattern, const List::RoutineServices& s) {
    filter("RemoveItemsMatching", target, pattern, true, s);
}

void KeepOnlyItemsMatching(ListPane& target, const QString& pattern, const List::RoutineServices& s) {
    filter("KeepOnlyItemsMatching", target, pattern, false, s);
}

}  // namespace ListTools
