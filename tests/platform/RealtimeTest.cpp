// Real-time scheduling for the threads that keep time: what the kernel
// grants a thread and what a child process of it inherits, a process held to
// its RLIMIT_RTPRIO, RealtimeKit asked on a connection of the test's own, and
// the condition the time-keeping thread sleeps on.
#include "platform/Realtime.h"
#include "EventWait.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusServer>
#include <QDir>
#include <QObject>
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

namespace {

using hntest::WaitFor;
using namespace std::chrono_literals;

// The calling thread's policy and priority, as a child process reports them.
struct TScheduled {
    int policy = -1;
    int priority = -1;
};

TScheduled Scheduled()
{
    sched_param param{};
    sched_getparam(0, &param);
    return {sched_getscheduler(0) & ~SCHED_RESET_ON_FORK, param.sched_priority};
}

// Runs the work in a child process and brings back the scheduling it
// reports, or nothing when the child says it cannot run the case.
std::optional<TScheduled> InChild(const std::function<std::optional<TScheduled>()> &work)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = fork();
    if (child == 0) {
        const std::optional<TScheduled> seen = work();
        const TScheduled report = seen.value_or(TScheduled{});
        [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &report, sizeof report);
        _exit(seen ? 0 : 1);
    }
    close(pipeEnds[1]);
    TScheduled report;
    const bool read = ::read(pipeEnds[0], &report, sizeof report) == sizeof report;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return report;
}

TEST(Realtime, AThreadGrantedRealTimePriorityRunsFifoAndAChildProcessOfItDoesNot)
{
    bool granted = false;
    QString described;
    std::optional<TScheduled> child;
    std::thread([&] {
        granted = platform::MakeThisThreadRealtime(platform::TimekeepingPriority);
        described = platform::DescribeScheduling(platform::ThisThreadId());
        child = InChild([] { return std::optional(Scheduled()); });
    }).join();
    if (!granted) {
        EXPECT_TRUE(described.startsWith("normal (SCHED_OTHER, nice ")) << described.toStdString();
        GTEST_SKIP() << "this process may not make a thread real-time";
    }
    EXPECT_EQ(described, "SCHED_FIFO priority 20");
    ASSERT_TRUE(child.has_value());
    EXPECT_EQ(child->policy, SCHED_OTHER) << "a program the thread starts runs at normal priority";
    EXPECT_TRUE(platform::DescribeScheduling(platform::ThisThreadId()).startsWith("normal"))
        << "the other threads keep theirs";
}

// Without the capability, the limit the user was given decides.
bool DropNiceCapability()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~(1u << CAP_SYS_NICE);
    data[0].permitted &= ~(1u << CAP_SYS_NICE);
    data[0].inheritable &= ~(1u << CAP_SYS_NICE);
    return syscall(SYS_capset, &header, data) == 0;
}

struct LimitCase {
    const char *name;
    rlim_t limit;
    TScheduled expected;
};

[[maybe_unused]] void PrintTo(const LimitCase &c, std::ostream *os)
{
    *os << c.name;
}

class RealtimeLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(RealtimeLimit, AProcessWithoutTheCapabilityGetsWhatItsLimitAllows)
{
    const LimitCase &c = GetParam();
    const std::optional<TScheduled> seen = InChild([&]() -> std::optional<TScheduled> {
        const rlimit limit{c.limit, c.limit};
        if (!DropNiceCapability() || setrlimit(RLIMIT_RTPRIO, &limit) != 0)
            return std::nullopt;
        platform::MakeThisThreadRealtime(platform::TimekeepingPriority);
        return Scheduled();
    });
    if (!seen)
        GTEST_SKIP() << "the limit cannot be set here";
    EXPECT_EQ(seen->policy, c.expected.policy);
    EXPECT_EQ(seen->priority, c.expected.priority);
}

INSTANTIATE_TEST_SUITE_P(Limits, RealtimeLimit,
                         testing::Values(LimitCase{"None", 0, {SCHED_OTHER, 0}},
                                         LimitCase{"BelowTheAsked", 5, {SCHED_FIFO, 5}},
                                         LimitCase{"AboveTheAsked", 90, {SCHED_FIFO, platform::TimekeepingPriority}}),
                         [](const testing::TestParamInfo<LimitCase> &info) { return info.param.name; });

// ---------------------------------------------------------------------------
// RealtimeKit

// Answers as the desktop's service does, and notes what it was asked.
class TFakeRealtimeKit : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.RealtimeKit1")
    Q_PROPERTY(int MaxRealtimePriority READ MaxRealtimePriority)
    Q_PROPERTY(qlonglong RTTimeUSecMax READ RTTimeUSecMax)

public:
    int MaxRealtimePriority() const { return 10; }
    qlonglong RTTimeUSecMax() const { return 200000; }

    std::vector<std::pair<quint64, quint32>> requests;
    bool refuse = false;
    rlimit busyTimeAsked{}; // the process's limit when the request came

public slots:
    void MakeThreadRealtime(quint64 thread, quint32 priority)
    {
        getrlimit(RLIMIT_RTTIME, &busyTimeAsked);
        requests.emplace_back(thread, priority);
        if (refuse)
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Operation not permitted"));
    }
};

class RealtimeKit : public testing::Test {
protected:
    QDBusServer server{QStringLiteral("unix:tmpdir=") + QDir::tempPath()};
    TFakeRealtimeKit service;
    rlimit busyTimeBefore{};

    void SetUp() override
    {
        getrlimit(RLIMIT_RTTIME, &busyTimeBefore);
        QObject::connect(&server, &QDBusServer::newConnection, [this](const QDBusConnection &connection) {
            QDBusConnection(connection)
                .registerObject(QStringLiteral("/org/freedesktop/RealtimeKit1"), &service,
                                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        });
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromPeer(QStringLiteral("realtimekit"));
        setrlimit(RLIMIT_RTTIME, &busyTimeBefore);
    }

    QDBusConnection Connect()
    {
        return QDBusConnection::connectToPeer(server.address(), QStringLiteral("realtimekit"));
    }
};

TEST_F(RealtimeKit, IsAskedForTheThreadAtTheHighestPriorityItGrantsOnceTheBusyTimeIsLimited)
{
    ASSERT_TRUE(server.isConnected());
    const QDBusConnection bus = Connect();
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();

    platform::AskRealtimeKit(4321, platform::TimekeepingPriority, bus);

    ASSERT_TRUE(WaitFor([&] { return !service.requests.empty(); }));
    EXPECT_EQ(service.requests, (std::vector<std::pair<quint64, quint32>>{{4321, 10}}));
    EXPECT_EQ(service.busyTimeAsked.rlim_max, rlim_t(200000)) << "the service refuses a process without the limit";
    EXPECT_EQ(service.busyTimeAsked.rlim_cur, rlim_t(200000));
}

TEST_F(RealtimeKit, ARefusalOrNoConnectionIsNoErrorAndNothingMore)
{
    service.refuse = true;
    const QDBusConnection bus = Connect();
    ASSERT_TRUE(bus.isConnected());
    platform::AskRealtimeKit(4321, platform::TimekeepingPriority, bus);
    ASSERT_TRUE(WaitFor([&] { return !service.requests.empty(); }));
    QCoreApplication::processEvents();

    platform::AskRealtimeKit(4321, platform::TimekeepingPriority, QDBusConnection(QStringLiteral("none")));
    QCoreApplication::processEvents();
    EXPECT_EQ(service.requests.size(), 1u);
}

// ---------------------------------------------------------------------------
// The time-keeping thread's condition

TEST(RealtimeCondition, AWaitEndsAtItsMomentOnTheSteadyClockOrWhenNotified)
{
    platform::TRealtimeMutex mutex;
    platform::TRealtimeCondition condition;
    std::unique_lock lock(mutex);
    const auto moment = std::chrono::steady_clock::now() + 20ms;
    while (std::chrono::steady_clock::now() < moment)
        condition.wait_until(lock, moment);
    EXPECT_GE(std::chrono::steady_clock::now(), moment);

    bool told = false;
    std::thread notifier([&] {
        std::lock_guard hold(mutex);
        told = true;
        condition.notify_all();
    });
    // An hour's wait that the notice ends.
    while (!told)
        condition.wait_until(lock, std::chrono::steady_clock::now() + 1h);
    lock.unlock();
    notifier.join();
    EXPECT_TRUE(told);
}

} // namespace

#include "RealtimeTest.moc"
