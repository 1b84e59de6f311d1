#pragma once

#include "core/RunTimeError.h"

#include <QString>

#include <new>
#include <utility>

class Dialogs;

// The "Application Error" report: what failed, in which procedure, at which line.
class ErrorReporter {
public:
    static constexpr const char* kSupportAddress = "support@brindlewick.example";

    explicit ErrorReporter(Dialogs& dialogs) : m_dialogs(dialogs) {}

    // "in Quorvel2021/08/31.<module>.<procedure> " — every origin has this shape.
    static QString origin(const QString& module, const QString& procedure);
    static QString text(const QString& description, const QString& origin, int line);

    void report(const QString& description, const QString& origin, int line);

private:
    Dialogs& m_dialogs;
};

// Runs the numbered statements of one procedure. A statement that throws is reported once and
// execution goes on after it: a failing condition takes its true branch, a failing loop header
// enters the body once, a failing step ends the loop. Cancelled is never caught here.
class Procedure {
public:
    Procedure(ErrorReporter& reporter, QString origin) : m_reporter(reporter), m_origin(std::move(origin)) {}

    // Runs one statement; false when it failed and was reported.
    template <class Statement>
    bool run(int line, Statement&& statement) {
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (const RunTimeError& e) {
            fail(line, e.description());
        } catch (const std::bad_alloc&) {
            fail(line, QStringLiteral("Out of memory"));
        } catch (const std::exception& e) {
            fail(line, QString::fromLocal8Bit(e.what()));
        }
        return false;
    }

    // A condition whose evaluation fails counts as true: execution enters the branch.
    template <class Condition>
    bool test(int line, Condition&& condition) {
        bool result = true;
        run(line, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

    struct Range {
        int first = 0;
        int last = 0;
        int step = 1;
    };

    // For counter = first to last step step. The body takes the counter. A failing header runs the
    // body once with the counter at 0 and ends; an overflowing step is a failure of the step line.
    template <class Bounds, class Body>
    void forLoop(int headerLine, int stepLine, Bounds&& bounds, Body&& body) {
        Range r;
        if (!run(headerLine, [&] { r = std::forward<Bounds>(bounds)(); })) {
            body(0);
            return;
        }
        for (int i = r.first; r.step >= 0 ? i <= r.last : i >= r.last;) {
            body(i);
            if (!run(stepLine, [&] { i = step(i, r.step); })) return;
        }
    }

    const QString& origin() const { return m_origin; }
    int failures() const { return m_failures; }

private:
    static int step(int counter, int by);
    void fail(int line, const QString& description);

    ErrorReporter& m_reporter;
    QString m_origin;
    int m_failures = 0;
};
