#pragma once

#include "core/TaskThreads.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

// A second thread for a routine's work that touches no pane: the hashing and table lookups of the
// matches, dupes, Keep Only Items That Occur Once and the set results, a block of items at a time, and
// the sort's chunks and merges. Both threads take the next part that nobody has taken yet, so when
// the machine's other core is busy and the helper does not get to run, the window's thread simply
// does all of the parts, and it never waits for more than the one part the helper has under way.
//
// A routine shares a block every fraction of a millisecond, and waking a sleeping thread takes about
// as long as its share of a block. So after each task both threads watch for the next step for a
// short while before they sleep: while a routine runs, the hand-over costs next to nothing.
//
// The thread is a TaskThreads pool of its own with one thread, never behind the shared pool's tasks:
// it must be there the moment a routine shares a block. Where the system starts no thread, the
// calling thread does every part, and nothing waits for the helper.
class HelperThread {
public:
    // A helper, or none where the process may use a single processor (there it would only take
    // turns with the window's thread) or where its thread cannot be started.
    static std::unique_ptr<HelperThread> ifUseful();

    explicit HelperThread(const TaskThreads::ThreadStart& start = TaskThreads::systemThread);
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // Runs task(0) .. task(parts - 1), each once, on this thread and the helper, and returns once
    // all are done. Meanwhile `waiting` runs every millisecond that this thread waits (it may let the
    // event loop run); whatever it or a task throws is thrown here once every task has ended.
    void share(int parts, const std::function<void(int)>& task, const std::function<void()>& waiting);
    // Whether the helper's thread runs; without it share() does every part on the calling thread.
    bool running() const { return m_running; }

private:
    enum class State { Idle, Offered, Running, Done };

    void loop();
    // Takes and runs parts until none is left; the first failure, if any.
    std::exception_ptr drain();
    // Watches m_state for a short while; true once it is `wanted` (or the thread is stopping).
    bool watchFor(State wanted) const;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    // Written under the mutex; read without it only while watching.
    std::atomic<State> m_state{State::Idle};
    const std::function<void(int)>* m_task = nullptr;
    int m_parts = 0;
    std::atomic<int> m_next{0};
    std::exception_ptr m_failure;
    std::atomic<bool> m_stopping{false};
    bool m_running = false;
    // Last: its thread is started once everything above is ready.
    TaskThreads m_thread;
};
