#include "model/Helpers.h"
#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include <sys/resource.h>

using namespace model;

TEST(MidiOutConfigured, SaysWhetherAnOutputNameIsSet)
{
    const std::pair<const char *, bool> cases[] = {{"", false}, {"Loopback Out", true}, {"A device long gone", true}};
    for (const auto &[name, configured] : cases) {
        MidiIFOut = name;
        EXPECT_EQ(MidiOutConfigured(), configured) << name;
    }
    MidiIFOut.clear();
}

// ---------------------------------------------------------------------------
// The system proxy.

namespace {

struct ProxyCase {
    const char *what;
    QList<QByteArray> stored; // value lines of the Internet settings key
    const char *environment;  // http_proxy, or nullptr
    bool enabled;
    QString host; // "before.lan" and 7 are what the variables held
    int port;
    const char *error; // the message thrown, or nullptr
};

const ProxyCase proxyCases[] = {
    {"NothingStored", {}, nullptr, false, "before.lan", 7, nullptr},
    {"EnabledWithoutServer", {"\"ProxyEnable\"=dword:00000001"}, nullptr, true, "before.lan", 7, nullptr},
    {"HttpEntryFirst",
     {"\"ProxyEnable\"=dword:00000001", "\"ProxyServer\"=\"http=proxy.lan:8080;ftp=ftp.lan:21\""},
     nullptr,
     true,
     "proxy.lan",
     8080,
     nullptr},
    {"HttpEntryLast",
     {"\"ProxyEnable\"=dword:00000000", "\"ProxyServer\"=\"ftp=ftp.lan:21;http=proxy.lan:3128\""},
     nullptr,
     false,
     "proxy.lan",
     3128,
     nullptr},
    {"OneServerForAll", {"\"ProxyServer\"=\"proxy.lan:8080\""}, nullptr, false, "before.lan", 7, nullptr},
    {"EntryNameInCapitals", {"\"ProxyServer\"=\"HTTP=proxy.lan:8080\""}, nullptr, false, "before.lan", 7, nullptr},
    {"HttpEntryWithoutPort", {"\"ProxyServer\"=\"http=proxy.lan\""}, nullptr, false, "proxy.lan", 80, nullptr},
    {"HttpEntryWithoutPortBeforeOthers",
     {"\"ProxyServer\"=\"http=proxy.lan;ftp=ftp.lan:21\""},
     nullptr,
     false,
     "proxy.lan",
     80,
     nullptr},
    {"PortWithLeadingBlank", {"\"ProxyServer\"=\"http=proxy.lan: 8080\""}, nullptr, false, "proxy.lan", 8080, nullptr},
    {"PortNotANumber",
     {"\"ProxyEnable\"=dword:00000001", "\"ProxyServer\"=\"http=proxy.lan:80a;ftp=ftp.lan:21\""},
     nullptr,
     true,
     "proxy.lan",
     7,
     "'80a' n'est pas une valeur entière correcte"},
    {"PortMissingAfterColon",
     {"\"ProxyServer\"=\"http=proxy.lan:\""},
     nullptr,
     false,
     "proxy.lan",
     7,
     "'' n'est pas une valeur entière correcte"},
    {"EnableNotANumber",
     {"\"ProxyEnable\"=\"on\"", "\"ProxyServer\"=\"http=proxy.lan:8080\""},
     nullptr,
     false,
     "before.lan",
     7,
     "Type de données incorrect pour 'ProxyEnable'"},
    {"ServerNotAString",
     {"\"ProxyEnable\"=dword:00000001", "\"ProxyServer\"=dword:00000050"},
     nullptr,
     true,
     "before.lan",
     7,
     "Type de données incorrect pour 'ProxyServer'"},
    {"FromTheEnvironment", {}, "http://cache.lan:3128/", true, "cache.lan", 3128, nullptr},
    {"StoredServerWinsOverTheEnvironment",
     {"\"ProxyServer\"=\"http=proxy.lan:8080\""},
     "http://cache.lan:3128/",
     false,
     "proxy.lan",
     8080,
     nullptr},
};

void PrintTo(const ProxyCase &c, std::ostream *os)
{
    *os << c.what;
}

class ProxyTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY"}) {
            saved_.append({name, qgetenv(name)});
            qunsetenv(name);
        }
        ProxyEnabled = true;
        ProxyHost = "before.lan";
        ProxyPort = 7;
    }
    void TearDown() override
    {
        for (const auto &[name, value] : saved_)
            if (!value.isEmpty())
                qputenv(name, value);
        ProxyEnabled = false;
        ProxyHost.clear();
        ProxyPort = 0;
    }

private:
    QList<std::pair<const char *, QByteArray>> saved_;
};

class ReadProxy : public ProxyTest, public testing::WithParamInterface<ProxyCase> {};

} // namespace

TEST_P(ReadProxy, TakesTheHttpEntry)
{
    const ProxyCase &c = GetParam();
    QFile file(platform::RegistryFileName());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + platform::InternetSettingsKey.toUtf8() +
               "]\n" + c.stored.join('\n') + '\n');
    file.close();
    if (c.environment)
        qputenv("http_proxy", c.environment);

    QString error;
    try {
        ReadProxySettings();
    } catch (const platform::Exception &e) {
        error = e.Message();
    }
    EXPECT_EQ(error, c.error ? QString::fromUtf8(c.error) : QString());
    EXPECT_EQ(ProxyEnabled, c.enabled);
    EXPECT_EQ(ProxyHost, c.host);
    EXPECT_EQ(ProxyPort, c.port);
}

INSTANTIATE_TEST_SUITE_P(Proxy, ReadProxy, testing::ValuesIn(proxyCases),
                         [](const auto &info) { return std::string(info.param.what); });

TEST_F(ProxyTest, AMissingKeyIsCreatedEmpty)
{
    ReadProxySettings();
    EXPECT_FALSE(ProxyEnabled);
    QFile file(platform::RegistryFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" +
                                  platform::InternetSettingsKey.toUtf8() + "]\n\n");
}

// ---------------------------------------------------------------------------
// The wait between arpeggio notes.

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Counts the events it is sent.
class Receiver : public QObject {
public:
    int received = 0;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++received;
        return true;
    }
};

} // namespace

// The wait is measured on the monotonic clock, which does not wrap as the
// 32-bit tick count does. It must not end early, whether it is all slept out
// (a few milliseconds) or mostly spent in the event loop.
class DelayLasts : public testing::TestWithParam<int> {};

TEST_P(DelayLasts, AtLeastTheTimeGiven)
{
    const auto start = Clock::now();
    model::Delay(GetParam());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Delay, DelayLasts, testing::Values(1, 2, 3, 150),
                         [](const auto &info) { return std::to_string(info.param) + "ms"; });

TEST(Delay, ProcessesEventsWhileWaiting)
{
    Receiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    bool timerFired = false;
    QTimer::singleShot(30, [&] {
        timerFired = true;
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    });
    model::Delay(120);
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(receiver.received, 2);
}

TEST(Delay, ProcessesEventsOnceEvenForNoTimeAtAll)
{
    for (int milliseconds : {0, -5}) {
        Receiver receiver;
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        model::Delay(milliseconds);
        EXPECT_EQ(receiver.received, 1) << milliseconds;
    }
}

// A wait that spun would use the processor for the whole time.
TEST(Delay, SleepsBetweenEvents)
{
    auto cpuMilliseconds = [] {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    };
    const double cpuBefore = cpuMilliseconds();
    const auto start = Clock::now();
    model::Delay(200);
    const double wall = static_cast<double>(MillisecondsSince(start));
    EXPECT_LT(cpuMilliseconds() - cpuBefore, wall / 2);
}

// The program's end must not wait out an arpeggio of the longest Speed:
// every wait under way returns, whoever cancels, and the next one runs its
// full time again.
TEST(Delay, ACancelEndsEveryWaitUnderWayButNotTheNextOne)
{
    enum class From { HandlerDuringTheWait, AnotherThread, HandlerOfANestedWait };
    for (const From from : {From::HandlerDuringTheWait, From::AnotherThread, From::HandlerOfANestedWait}) {
        std::atomic<bool> waiting = false;
        bool nestedReturned = false;
        // Runs once the wait has begun: a cancel before it would not be for it.
        QTimer::singleShot(0, [&] {
            switch (from) {
            case From::HandlerDuringTheWait:
                CancelDelays();
                break;
            case From::AnotherThread:
                waiting = true;
                break;
            case From::HandlerOfANestedWait:
                QTimer::singleShot(0, [] { CancelDelays(); });
                Delay(INT_MAX);
                nestedReturned = true;
                break;
            }
        });
        std::thread canceller([&] {
            if (from != From::AnotherThread)
                return;
            while (!waiting)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            CancelDelays();
        });
        Delay(INT_MAX);
        canceller.join();
        EXPECT_EQ(nestedReturned, from == From::HandlerOfANestedWait) << static_cast<int>(from);

        const auto start = Clock::now();
        Delay(50);
        EXPECT_GE(MillisecondsSince(start), 50) << static_cast<int>(from);
    }
}

// The wait a playback makes until it is over: nothing is handled when the
// condition already holds; otherwise events are handled, sleeping between
// them, until it holds, or until the program's end cancels every wait.
TEST(ProcessEventsUntil, HandlesEventsUntilTheConditionHoldsAskingItFirst)
{
    Receiver receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    EXPECT_TRUE(model::ProcessEventsUntil([] { return true; }));
    EXPECT_EQ(receiver.received, 0);

    bool done = false;
    QTimer::singleShot(30, [&] { done = true; });
    EXPECT_TRUE(model::ProcessEventsUntil([&] { return done; }));
    EXPECT_EQ(receiver.received, 1);
}

TEST(ProcessEventsUntil, ACancelFromAnotherThreadEndsIt)
{
    std::atomic<bool> waiting = false;
    std::thread canceller([&] {
        while (!waiting)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        CancelDelays();
    });
    EXPECT_FALSE(model::ProcessEventsUntil([&] {
        waiting = true;
        return false;
    }));
    canceller.join();
}
