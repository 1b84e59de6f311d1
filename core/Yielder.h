#pragma once

#include <QElapsedTimer>

#include <chrono>

// The one place that lets the event loop run during long work. Routines call due() per item (it
// reads the clock only every few calls) and yieldNow() when it answers true, so the window repaints
// and takes clicks at least once per time budget. Once the window is closing, yieldNow() throws
// Cancelled, which unwinds the running commands.
class Yielder {
public:
    explicit Yielder(std::chrono::microseconds budget = std::chrono::milliseconds(15), int checkEvery = 32);
    virtual ~Yielder() = default;
    Yielder(const Yielder&) = delete;
    Yielder& operator=(const Yielder&) = delete;

    bool due() {
        if (--m_countdown > 0) return false;
        m_countdown = m_checkEvery;
        return overBudget();
    }
    void maybeYield() {
        if (due()) yieldNow();
    }
    // For loops whose every step is long (a chunk of many items): reads the clock each time.
    bool dueNow() {
        m_countdown = m_checkEvery;
        return overBudget();
    }
    void yieldNow();

    // The window is closing: every running command ends at its next yield.
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

protected:
    virtual void processEvents();
    // Nanoseconds on a steady clock since the yielder was made; tests script it.
    virtual qint64 nowNs() const { return m_clock.nsecsElapsed(); }

private:
    bool overBudget() const { return m_cancelled || nowNs() - m_yieldedAtNs >= m_budgetNs; }

    qint64 m_budgetNs;
    int m_checkEvery;
    int m_countdown;
    bool m_cancelled = false;
    QElapsedTimer m_clock;
    qint64 m_yieldedAtNs = 0;
};
