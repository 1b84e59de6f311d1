#include "core/TaskThreads.h"

#include <QThread>

#include <algorithm>
#include <new>

TaskThreads::TaskThreads(int maxThreads, ThreadStart start)
    : m_maxThreads(std::max(1, maxThreads)), m_start(std::move(start)) {}

TaskThreads::~TaskThreads() {
    waitForDone();
}

std::thread TaskThreads::systemThread(Task body) {
    return std::thread(std::move(body));
}

TaskThreads& TaskThreads::shared() {
    static TaskThreads pool(QThread::idealThreadCount());
    return pool;
}

bool TaskThreads::handOver(Task& task) {
    const std::lock_guard lock(m_mutex);
    joinEnded();
    m_queue.push_back(std::move(task));
    // Every worker is busy: one of them takes it once it is free.
    if (m_running >= m_maxThreads) return true;
    try {
        // The new thread waits for the mutex until its record is complete.
        Worker& worker = m_workers.emplace_back();
        try {
            worker.thread = m_start([this, &worker] { work(worker); });
        } catch (...) {
            m_workers.pop_back();
            throw;
        }
        ++m_running;
    } catch (const std::exception&) {
        // No thread started (std::system_error, or no memory for one): a running worker still
        // takes the task before it ends; with none, nobody would.
        if (m_running > 0) return true;
        task = std::move(m_queue.back());
        m_queue.pop_back();
        return false;
    }
    return true;
}

void TaskThreads::start(Task task) {
    bool taken = false;
    try {
        taken = handOver(task);
    } catch (const std::bad_alloc&) {
        // Not even room to queue it.
    }
    if (!taken) task();
}

void TaskThreads::waitForDone() {
    std::unique_lock lock(m_mutex);
    // A worker ends only once the queue is empty, and a task is queued only where one runs.
    m_idle.wait(lock, [this] { return m_running == 0; });
    joinEnded();
}

void TaskThreads::work(Worker& worker) {
    std::unique_lock lock(m_mutex);
    while (!m_queue.empty()) {
        Task task = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        task();
        // What the task holds is let go of here too, not under the mutex: freeing is the work of
        // some of them.
        task = nullptr;
        lock.lock();
    }
    --m_running;
    worker.ended = true;
    m_idle.notify_all();
}

void TaskThreads::joinEnded() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (!it->ended) {
            ++it;
            continue;
        }
        // It has left work() and only returns now.
        it->thread.join();
        it = m_workers.erase(it);
    }
}
