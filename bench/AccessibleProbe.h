#pragma once

#include <QString>

#include <functional>

// The benchmark's side of `bench/benchmark --accessible`, where an AT client (bench/at_client.py)
// is connected to the window as a screen reader would be.
namespace AccessibleProbe {
// Runs the event loop until the platform has turned accessibility on; false when it has not after
// the given time (no accessibility bus, or QT_LINUX_ACCESSIBILITY_ALWAYS_ON unset).
bool waitUntilActive(int milliseconds);
// Asks the AT client to time its questions to the idle window (List 1's row count and three rows in
// its middle, with `items` rows in it) and answers its report, or why there is none. The two meet
// through files in `folder`; the event loop runs meanwhile, so the window can answer.
QString timeClientQuestions(const QString& folder, qint64 items);
// Asks the AT client to ask List 1's row count again and again while `work` runs (a load of `items`
// items into the empty List 1) and answers its report: how long the window took to answer, during
// the work only.
QString timeClientQuestionsDuring(const QString& folder, qint64 items, const std::function<void()>& work);
}  // namespace AccessibleProbe
