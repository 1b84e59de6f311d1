#include "core/Platform.h"
#include "core/SystemMemory.h"
#include "core/TaskThreads.h"
#include "support/Files.h"

#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>
#include <system_error>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

namespace {
using Files = QMap<QString, QByteArray>;

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

// What the system may refuse the process: threads, and memory under its own limits.
class SystemLimitsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runsATaskHereWhenNoThreadStarts();
    void queuesBehindARunningThreadWhenNoMoreStart_data();
    void queuesBehindARunningThreadWhenNoMoreStart();
    void controlGroupRoomIsTheLeastOnTheWayUp_data();
    void controlGroupRoomIsTheLeastOnTheWayUp();
    void availableMemoryIsTheLeastOfTheLimits();
    void addressSpaceRoomIsTheLimitLessWhatIsMapped_data();
    void addressSpaceRoomIsTheLimitLessWhatIsMapped();
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

void SystemLimitsTest::controlGroupRoomIsTheLeastOnTheWayUp_data() {
    QTest::addColumn<QByteArray>("ownGroups");
    QTest::addColumn<Files>("files");
    QTest::addColumn<qint64>("room");  // -1: none
    const QByteArray v2 = "0::/user.slice/app\n";
    const QByteArray v1 = "5:cpu,memory:/jobs/one\n1:name=systemd:/\n0::/\n";
    QTest::newRow("v2, inactive file cache is room")
        << v2
        << Files{{u"user.slice/app/memory.max"_s, "200000000\n"},
                 {u"user.slice/app/memory.current"_s, "50000000\n"},
                 {u"user.slice/app/memory.stat"_s, "anon 40000000\nactive_file 1\ninactive_file 10000000\n"}}
        << qint64(160000000);
    QTest::newRow("v2, the parent's limit is tighter")
        << v2
        << Files{{u"user.slice/app/memory.max"_s, "max\n"},
                 {u"user.slice/app/memory.current"_s, "1000\n"},
                 {u"user.slice/memory.max"_s, "100000000\n"},
                 {u"user.slice/memory.current"_s, "90000000\n"},
                 {u"memory.max"_s, "150000000\n"},
                 {u"memory.current"_s, "100000000\n"}}
        << qint64(10000000);
    QTest::newRow("v2, over its limit")
        << v2
        << Files{{u"user.slice/app/memory.max"_s, "1000\n"}, {u"user.slice/app/memory.current"_s, "4000\n"}}
        << qint64(0);
    QTest::newRow("v2, no limit") << v2 << Files{{u"user.slice/app/memory.max"_s, "max\n"}} << qint64(-1);
    QTest::newRow("v1, shared with another controller")
        << v1
        << Files{{u"memory/jobs/one/memory.limit_in_bytes"_s, "300000000\n"},
                 {u"memory/jobs/one/memory.usage_in_bytes"_s, "120000000\n"},
                 {u"memory/jobs/one/memory.stat"_s, "inactive_file 5\ntotal_inactive_file 20000000\n"},
                 {u"memory.max"_s, "1\n"}}
        << qint64(200000000);
    QTest::newRow("v1, no limit") << v1
                                  << Files{{u"memory/jobs/one/memory.limit_in_bytes"_s,
                                            "9223372036854771712\n"}}
                                  << qint64(-1);
    QTest::newRow("a container's group seen as the root")
        << v2 << Files{{u"memory.max"_s, "64000000"}, {u"memory.current"_s, "4000000"}} << qint64(60000000);
    QTest::newRow("no groups") << QByteArray() << Files{{u"memory.max"_s, "64000000"}} << qint64(-1);
}

void SystemLimitsTest::controlGroupRoomIsTheLeastOnTheWayUp() {
    QFETCH(QByteArray, ownGroups);
    QFETCH(Files, files);
    QFETCH(qint64, room);
    const QTemporaryDir dir;
    const SystemMemory::Sources sources{dir.filePath(u"cgroup"_s), dir.filePath(u"self-cgroup"_s)};
    if (!ownGroups.isEmpty()) QVERIFY(writeFile(sources.ownGroups, ownGroups));
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        QVERIFY(writeFile(sources.controlGroups + u'/' + it.key(), it.value()));
    QCOMPARE(MemoryLimits::controlGroupRoom(sources).value_or(-1), room);
}

void SystemLimitsTest::availableMemoryIsTheLeastOfTheLimits() {
    // A group's room far below anything the machine has left is what the probe reports.
    const QTemporaryDir dir;
    const SystemMemory::Sources sources{dir.filePath(u"cgroup"_s), dir.filePath(u"self-cgroup"_s)};
    QVERIFY(writeFile(sources.ownGroups, "0::/\n"));
    QVERIFY(writeFile(sources.controlGroups + u"/memory.max"_s, "3000000\n"));
    QVERIFY(writeFile(sources.controlGroups + u"/memory.current"_s, "1000000\n"));
    QCOMPARE(SystemMemory(sources).availableBytes(), std::optional<qint64>(2000000));
#ifdef Q_OS_LINUX
    // The process's address space limit, 64 MB above what it maps: less than that is left.
    QVERIFY(writeFile(sources.ownGroups, QByteArray()));
    constexpr qint64 kAbove = 64 * 1024 * 1024;
    rlimit old{};
    QVERIFY(getrlimit(RLIMIT_AS, &old) == 0);
    // The build of the portable fallbacks reads neither figure.
    const std::optional<qint64> mapped = Platform::mappedBytes();
    if (!mapped) QSKIP("the platform does not say what the process maps");
    rlimit tight = old;
    tight.rlim_cur = rlim_t(*mapped + kAbove);
    if (old.rlim_max != RLIM_INFINITY && old.rlim_max < tight.rlim_cur) QSKIP("the hard limit is lower");
    QVERIFY(setrlimit(RLIMIT_AS, &tight) == 0);
    const std::optional<qint64> room = SystemMemory(sources).availableBytes();
    QVERIFY(setrlimit(RLIMIT_AS, &old) == 0);
    QVERIFY2(room && *room <= kAbove && *room > kAbove / 2, qPrintable(QString::number(room.value_or(-1))));
#endif
    QCOMPARE(MemoryLimits::least(std::nullopt, 5), std::optional<qint64>(5));
    QCOMPARE(MemoryLimits::least(7, std::nullopt), std::optional<qint64>(7));
    QCOMPARE(MemoryLimits::least(9, 7), std::optional<qint64>(7));
}

void SystemLimitsTest::addressSpaceRoomIsTheLimitLessWhatIsMapped_data() {
    QTest::addColumn<qint64>("limit");  // -1: none
    QTest::addColumn<qint64>("mapped");
    QTest::addColumn<qint64>("room");  // -1: none
    QTest::newRow("no limit") << qint64(-1) << qint64(5000) << qint64(-1);
    QTest::newRow("room left") << qint64(400000000) << qint64(150000000) << qint64(250000000);
    QTest::newRow("more mapped than the limit") << qint64(1000) << qint64(1500) << qint64(0);
}

void SystemLimitsTest::addressSpaceRoomIsTheLimitLessWhatIsMapped() {
    QFETCH(qint64, limit);
    QFETCH(qint64, mapped);
    QFETCH(qint64, room);
    const std::optional<qint64> given = limit < 0 ? std::nullopt : std::optional(limit);
    QCOMPARE(MemoryLimits::addressSpaceRoom(given, mapped).value_or(-1), room);
}

QTEST_GUILESS_MAIN(SystemLimitsTest)
#include "tst_systemlimits.moc"
