#include "listops/SecondHand.h"

#include <chrono>

namespace {

// How long a thread watches for the next step before it sleeps: longer than the gap between two
// blocks of a routine, short enough to cost nothing worth counting once the routine has ended.
constexpr auto kWatch = std::chrono::microseconds(500);

}  // namespace

SecondHand::SecondHand() : m_thread([this] { loop(); }) {}

SecondHand::~SecondHand() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

bool SecondHand::watchFor(State wanted) const {
    // With one core the watching thread would only keep the other one from running.
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    if (!severalCores) return false;
    const auto until = std::chrono::steady_clock::now() + kWatch;
    for (int round = 1;; ++round) {
        if (m_state.load(std::memory_order_acquire) == wanted || m_stopping.load(std::memory_order_relaxed))
            return true;
        // The clock is read now and then: the loads above are what must be quick.
        if (round % 64 == 0 && std::chrono::steady_clock::now() >= until) return false;
    }
}

std::exception_ptr SecondHand::drain() {
    std::exception_ptr failure;
    for (int part = m_next++; part < m_parts; part = m_next++) {
        try {
            (*m_task)(part);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    return failure;
}

void SecondHand::loop() {
    for (;;) {
        watchFor(State::Offered);
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_stopping || m_state == State::Offered; });
        if (m_stopping) return;
        m_state = State::Running;
        lock.unlock();
        const std::exception_ptr failure = drain();
        lock.lock();
        m_failure = failure;
        m_state = State::Done;
        m_done.notify_one();
    }
}

void SecondHand::share(int parts, const std::function<void(int)>& task,
                       const std::function<void()>& waiting) {
    {
        const std::lock_guard lock(m_mutex);
        m_task = &task;
        m_parts = parts;
        m_next = 0;
        m_failure = nullptr;
        m_state = State::Offered;
    }
    m_wake.notify_one();
    std::exception_ptr failure = drain();
    // The other thread is on its last part, or about to see there is none left.
    if (m_state.load(std::memory_order_acquire) == State::Running) watchFor(State::Done);
    std::unique_lock lock(m_mutex);
    // Not begun over there: nothing left for it either.
    if (m_state == State::Offered) m_state = State::Done;
    while (m_state != State::Done) {
        if (m_done.wait_for(lock, std::chrono::milliseconds(1)) == std::cv_status::no_timeout) continue;
        lock.unlock();
        try {
            if (waiting) waiting();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
        lock.lock();
    }
    if (!failure) failure = m_failure;
    m_state = State::Idle;
    m_task = nullptr;
    lock.unlock();
    if (failure) std::rethrow_exception(failure);
}
