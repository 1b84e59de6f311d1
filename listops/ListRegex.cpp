// RemoveItemsMatching and KeepOnlyItemsMatching: the routines that test each item against a
// regular expression.
#include "listops/CompareKey.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "listops/RoutineRun.h"

#include <QRegularExpression>
#include <QString>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

namespace {

using List::RoutineRun;

// The pattern is compiled as part of the first test.
constexpr List::RoutineLines kMatchingLines{102, 106, 108, 108, 110, 120, 124};

// The most steps one item may take: about 10 ms of backtracking with the JIT, so that one item never
// holds the event loop for long.
constexpr uint32_t kMatchLimit = 1'000'000;

// The JIT's stack grows as a pattern needs it, up to as much as QRegularExpression allows.
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMost = 512 * 1024;

struct FreeCode {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct FreeMatchData {
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct FreeMatchContext {
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct FreeJitStack {
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

// A pattern compiled as QRegularExpression compiles it (UTF, no Unicode properties for \w, \d and
// the POSIX classes), but for UTF-8: the items are matched as they are stored, without conversion.
// Compiled once, with the JIT where it is available; one match block and one JIT stack serve every
// item.
class ItemMatcher {
public:
    ItemMatcher(const QString& pattern, bool ignoreCase, bool trim) : m_trim(trim) {
        // A lone surrogate has no UTF-8 form: QRegularExpression names it.
        if (!QStringView(pattern).isValidUtf16()) {
            const QRegularExpression re(pattern);
            m_error = QStringLiteral("This regular expression is not valid: %1 at offset %2.")
                          .arg(re.errorString())
                          .arg(re.patternErrorOffset());
            return;
        }
        const QByteArray utf8 = pattern.toUtf8();
        int code = 0;
        PCRE2_SIZE offset = 0;
        m_code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.constData()), size_t(utf8.size()),
                                   PCRE2_UTF | (ignoreCase ? PCRE2_CASELESS : 0u), &code, &offset, nullptr));
        if (!m_code) {
            PCRE2_UCHAR text[256];
            const int length = pcre2_get_error_message(code, text, sizeof text);
            // The offset counts bytes; the message counts characters as the pattern was typed.
            const qsizetype at =
                QString::fromUtf8(utf8.first(std::min(qsizetype(offset), utf8.size()))).size();
            m_error = QStringLiteral("This regular expression is not valid: %1 at offset %2.")
                          .arg(QString::fromUtf8(reinterpret_cast<const char*>(text), std::max(length, 0)))
                          .arg(at);
            return;
        }
        m_jit = pcre2_jit_compile(m_code.get(), PCRE2_JIT_COMPLETE) == 0;
        m_data.reset(pcre2_match_data_create(1, nullptr));
        m_context.reset(pcre2_match_context_create(nullptr));
        if (!m_data || !m_context) throw std::bad_alloc();
        pcre2_set_match_limit(m_context.get(), kMatchLimit);
        if (m_jit) {
            m_stack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMost, nullptr));
            if (!m_stack) throw std::bad_alloc();
            pcre2_jit_stack_assign(m_context.get(), nullptr, m_stack.get());
        }
    }

    // Empty when the pattern compiled.
    const QString& error() const { return m_error; }

    enum class Result { No, Yes, TooCostly };

    Result test(QByteArrayView item) {
        if (m_trim) item = CompareKey::Quick::trimmed(item);
        // PCRE2 must be given valid UTF-8; bytes that are not are read as QString reads them, each
        // as a replacement character.
        if (!CompareKey::Quick::isAscii(item) && !item.isValidUtf8()) {
            m_repaired = QString::fromUtf8(item).toUtf8();
            item = m_repaired;
        }
        // An empty item may have no bytes at all to point at.
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(item.isNull() ? "" : item.data());
        const int rc = m_jit ? pcre2_jit_match(m_code.get(), subject, size_t(item.size()), 0, 0, m_data.get(),
                                               m_context.get())
                             : pcre2_match(m_code.get(), subject, size_t(item.size()), 0, PCRE2_NO_UTF_CHECK,
                                           m_data.get(), m_context.get());
        if (rc >= 0) return Result::Yes;
        if (rc == PCRE2_ERROR_NOMATCH) return Result::No;
        // The match limit, the JIT's stack or the heap ran out.
        return Result::TooCostly;
    }

private:
    bool m_trim;
    bool m_jit = false;
    QString m_error;
    QByteArray m_repaired;
    std::unique_ptr<pcre2_code, FreeCode> m_code;
    std::unique_ptr<pcre2_match_data, FreeMatchData> m_data;
    std::unique_ptr<pcre2_match_context, FreeMatchContext> m_context;
    std::unique_ptr<pcre2_jit_stack, FreeJitStack> m_stack;
};

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
    std::optional<ItemMatcher> matcher;
    run.procedure().run(run.lines().setup,
                        [&] { matcher.emplace(text, s.options.ignoreCase, s.options.ignoreSpaces); });
    // A setup that failed (out of memory) was reported as it failed.
    if (!matcher || !matcher->error().isEmpty()) {
        if (matcher) refuse(run, s, run.lines().setup, matcher->error());
        run.resetProgress();
        return;
    }
    int costly = 0;
    const auto select = [&](QByteArrayView item, int position) {
        const ItemMatcher::Result result = matcher->test(item);
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
