#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// A second thread for work that touches no pane: a list routine shares the table lookups of a block
// of items with it, part by part. Both threads take the next part that nobody has taken yet, so when
// the machine's other core is busy and the second thread does not get to run, the window's thread
// simply does all of the parts, and it never waits for more than the one part the other thread has
// under way.
//
// A routine shares a block every fraction of a millisecond, and waking a sleeping thread takes about
// as long as its share of a block. So after each task both threads watch for the next step for a
// short while before they sleep: while a routine runs, the hand-over costs next to nothing.
class SecondHand {
public:
    SecondHand();
    ~SecondHand();
    SecondHand(const SecondHand&) = delete;
    SecondHand& operator=(const SecondHand&) = delete;

    // Runs task(0) .. task(parts - 1), each once, on this thread and the second one, and returns once
    // all are done. Meanwhile `waiting` runs every millisecond that this thread waits (it may let the
    // event loop run); whatever it or a task throws is thrown here once every task has ended.
    void share(int parts, const std::function<void(int)>& task, const std::function<void()>& waiting);

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
    std::thread m_thread;
};
