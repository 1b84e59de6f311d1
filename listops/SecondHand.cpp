#include "listops/SecondHand.h"

#include <chrono>

SecondHand::SecondHand() : m_thread([this] { loop(); }) {}

SecondHand::~SecondHand() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SecondHand::loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_state == State::Offered; });
        if (m_stopping) return;
        m_state = State::Running;
        const std::function<void()>* task = m_task;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*task)();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        m_failure = failure;
        m_state = State::Done;
        m_done.notify_one();
    }
}

void SecondHand::together(const std::function<void()>& mine, const std::function<void()>& theirs,
                          const std::function<void()>& waiting) {
    {
        const std::lock_guard lock(m_mutex);
        m_task = &theirs;
        m_failure = nullptr;
        m_state = State::Offered;
    }
    m_wake.notify_one();
    std::exception_ptr failure;
    try {
        mine();
    } catch (...) {
        failure = std::current_exception();
    }
    std::unique_lock lock(m_mutex);
    if (m_state == State::Offered) {
        // Not begun over there: done here.
        m_state = State::Running;
        lock.unlock();
        try {
            theirs();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
        lock.lock();
    } else {
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
    }
    m_state = State::Idle;
    m_task = nullptr;
    lock.unlock();
    if (failure) std::rethrow_exception(failure);
}
