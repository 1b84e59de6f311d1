#include "core/TaskThreads.h"

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <system_error>

namespace {
// A thread start that fails from the given call on, as under a limit on processes.
TaskThreads::ThreadStart failingFrom(int call) {
    auto calls = std::make_shared<int>(0);
    return [calls, call](TaskThreads::Task body) {
        if (++*calls >= call)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(body));
    };
}

// A task that waits until it is let go.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;

    void pass() {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void waitUntilEntered() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return entered; });
    }
    void letGo() {
        const std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
};
}  // namespace

// What the system may refuse the process: threads.
class SystemLimitsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runsATaskHereWhenNoThreadStarts();
    void queuesBehindARunningThreadWhenNoMoreStart_data();
    void queuesBehindARunningThreadWhenNoMoreStart();
};

void SystemLimitsTest::runsATaskHereWhenNoThreadStarts() {
    TaskThreads pool(4, failingFrom(1));
    std::thread::id ranOn;
    pool.start([&] { ranOn = std::this_thread::get_id(); });
    QCOMPARE(ranOn, std::this_thread::get_id());
    bool ran = false;
    QVERIFY(!pool.tryStart([&] { ran = true; }));
    QVERIFY(!ran);
    // Nothing to wait for: no thread runs.
    pool.waitForDone();
}

void SystemLimitsTest::queuesBehindARunningThreadWhenNoMoreStart_data() {
    QTest::addColumn<int>("maxThreads");
    QTest::addColumn<bool>("startsMore");
    QTest::newRow("the system starts no more") << 4 << false;
    QTest::newRow("the pool starts no more") << 1 << true;
}

void SystemLimitsTest::queuesBehindARunningThreadWhenNoMoreStart() {
    QFETCH(int, maxThreads);
    QFETCH(bool, startsMore);
    Gate gate;
    TaskThreads pool(maxThreads,
                     startsMore ? TaskThreads::ThreadStart(TaskThreads::systemThread) : failingFrom(2));
    // Whatever fails below, the first task ends before the pool waits for it.
    const struct Opener {
        Gate& gate;
        ~Opener() { gate.letGo(); }
    } opener{gate};
    std::thread::id first, second;
    pool.start([&] {
        first = std::this_thread::get_id();
        gate.pass();
    });
    gate.waitUntilEntered();
    // No second thread: the running one takes the task once it is free.
    QVERIFY(pool.tryStart([&] { second = std::this_thread::get_id(); }));
    gate.letGo();
    pool.waitForDone();
    QVERIFY(first != std::this_thread::get_id());
    QCOMPARE(second, first);
}

QTEST_GUILESS_MAIN(SystemLimitsTest)
#include "tst_systemlimits.moc"
