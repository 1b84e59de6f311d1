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
    std::unique_lock lock(m_mutex);
    for (;;) {
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
