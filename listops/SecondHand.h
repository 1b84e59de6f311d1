#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// A second thread for work that touches no pane: a list routine hands it half of a block's table
// lookups while the window's thread does the other half. When the machine's other core is busy
// and the thread has not begun its half by the time the window's thread is done with its own, the
// window's thread does that half too, so the work never waits for a thread that does not run.
class SecondHand {
public:
    SecondHand();
    ~SecondHand();
    SecondHand(const SecondHand&) = delete;
    SecondHand& operator=(const SecondHand&) = delete;

    // Runs `mine` here and `theirs` on the second thread at once, and returns once both are done.
    // Meanwhile `waiting` runs every millisecond that this thread waits (it may let the event loop
    // run); whatever it or either task throws is thrown here once both tasks are done, never before.
    void together(const std::function<void()>& mine, const std::function<void()>& theirs,
                  const std::function<void()>& waiting);

private:
    enum class State { Idle, Offered, Running, Done };

    void loop();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    State m_state = State::Idle;
    const std::function<void()>* m_task = nullptr;
    std::exception_ptr m_failure;
    bool m_stopping = false;
    std::thread m_thread;
};
