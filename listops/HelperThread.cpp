#include "listops/HelperThread.h"

#include <QThread>

#include <chrono>
#include <new>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#endif

namespace {

// How long a thread watches for the next step before it sleeps: longer than the gap between two
// blocks of a routine, short enough to cost nothing worth counting once the routine has ended.
constexpr auto kWatch = std::chrono::microseconds(500);

// Whether the process may run two threads at once: the processors it may use, not those the machine has.
bool severalProcessors() {
    static const bool several = QThread::idealThreadCount() > 1;
    return several;
}

// Tells the processor that this is a wait loop: it then spends less power and leaves more of the
// core to another thread on it; the loop's exit is noticed no later.
inline void spinPause() {
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
    _mm_pause();
#elif defined(__aarch64__) && defined(__GNUC__)
    __asm__ __volatile__("yield");
#endif
}

}  // namespace

std::unique_ptr<HelperThread> HelperThread::ifUseful() {
    if (!severalProcessors()) return nullptr;
    auto helper = std::make_unique<HelperThread>();
    if (!helper->running()) return nullptr;
    return helper;
}

HelperThread::HelperThread(const TaskThreads::ThreadStart& start) : m_thread(1, start) {
    try {
        m_running = m_thread.tryStart([this] { loop(); });
    } catch (const std::bad_alloc&) {
        // No room even to hand the thread its task: this thread does the work alone.
    }
}

HelperThread::~HelperThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.waitForDone();
}

bool HelperThread::watchFor(State wanted) const {
    // With one processor the watching thread would only keep the other one from running.
    if (!severalProcessors()) return false;
    const auto until = std::chrono::steady_clock::now() + kWatch;
    for (int round = 1;; ++round, spinPause()) {
        if (m_state.load(std::memory_order_acquire) == wanted || m_stopping.load(std::memory_order_relaxed))
            return true;
        // The clock is read now and then: the loads above are what must be quick.
        if (round % 64 == 0 && std::chrono::steady_clock::now() >= until) return false;
    }
}

std::exception_ptr HelperThread::drain() {
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

void HelperThread::loop() {
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

void HelperThread::share(int parts, const std::function<void(int)>& task,
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
