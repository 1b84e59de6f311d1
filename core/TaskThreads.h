#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

// The program's threads for work that touches no pane: handing back a long list's memory, closing a
// replaced file, a routine's helper thread. A task goes to a thread of the pool; where the system starts
// none (a limit on processes or on memory), the caller runs it itself. Unlike QThreadPool, which
// counts a thread that failed to start as busy for good and then waits for it for ever, a pool
// waits only for threads that run, so nothing ever waits for a task that never started.
class TaskThreads {
public:
    using Task = std::function<void()>;
    // Starts a thread that runs `body`, the way std::thread does: throws std::system_error when the
    // system starts none. Tests hand in one that fails.
    using ThreadStart = std::function<std::thread(Task body)>;

    explicit TaskThreads(int maxThreads, ThreadStart start = systemThread);
    // Waits for every task handed over.
    ~TaskThreads();
    TaskThreads(const TaskThreads&) = delete;
    TaskThreads& operator=(const TaskThreads&) = delete;

    // Hands `task` to a thread of the pool, which runs and then destroys it. False, with nothing
    // taken, when no thread of the pool runs and none can be started.
    [[nodiscard]] bool tryStart(Task task) { return handOver(task); }
    // On a thread of the pool where one takes it, else here and now.
    void start(Task task);
    // Returns once every task handed over has ended.
    void waitForDone();

    // The pool the program's background work shares: a thread per processor at most.
    static TaskThreads& shared();
    static std::thread systemThread(Task body);

private:
    struct Worker {
        std::thread thread;
        bool ended = false;
    };
    // Moves the task to the queue; leaves it where it was when no thread will take it.
    bool handOver(Task& task);
    void work(Worker& worker);
    // Joins the threads that have ended; with the mutex held.
    void joinEnded();

    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::deque<Task> m_queue;
    std::list<Worker> m_workers;
    // Workers still taking tasks.
    int m_running = 0;
    const int m_maxThreads;
    const ThreadStart m_start;
};
