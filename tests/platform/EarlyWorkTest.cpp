// Work begun ahead on threads of its own: whoever comes first does it, once;
// whoever comes while it is being done waits for its end; a failure on the
// thread is left for the one who needs the work to meet.
#include "platform/EarlyWork.h"
#include "platform/Exception.h"
#include "platform/StartMarks.h"

#include "EventWait.h"

#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <thread>

namespace {

using hntest::WaitWithoutHandling;

TEST(EarlyWork, DoneOnItsThreadIsFoundDone)
{
    std::atomic<int> runs{0};
    platform::TMadeAhead<int> answer([&](int &value) {
        ++runs;
        value = 42;
    });
    platform::TEarlyThreads threads;
    threads.Start({answer.Work()}, "begins", "ends");
    threads.Join();
    EXPECT_EQ(answer.Take(), 42);
    EXPECT_EQ(answer.Take(), 42);
    EXPECT_EQ(runs, 1);
}

// The thread is held on its first work while the second is needed: the one
// who needs it does it, and the thread later passes it by.
TEST(EarlyWork, NeededBeforeItsThreadGetsToItIsDoneByWhoeverNeedsIt)
{
    std::promise<void> go;
    std::shared_future<void> held = go.get_future().share();
    std::atomic<bool> first{false};
    auto holding = std::make_shared<platform::TEarlyWork>([&] {
        first = true;
        held.wait();
    });
    std::thread::id doneBy;
    std::atomic<int> runs{0};
    platform::TMadeAhead<int> needed([&](int &value) {
        ++runs;
        doneBy = std::this_thread::get_id();
        value = 7;
    });
    platform::TEarlyThreads threads;
    threads.Start({holding, needed.Work()}, "begins", "ends");
    ASSERT_TRUE(WaitWithoutHandling([&] { return first.load(); }));
    EXPECT_EQ(needed.Take(), 7);
    EXPECT_EQ(doneBy, std::this_thread::get_id());
    go.set_value();
    threads.Join();
    EXPECT_EQ(runs, 1);
}

// Needed while its thread is doing it: the one who needs it waits for the
// end instead of doing it a second time.
TEST(EarlyWork, NeededWhileItsThreadDoesItIsWaitedFor)
{
    std::promise<void> go;
    std::shared_future<void> held = go.get_future().share();
    std::atomic<bool> begun{false};
    std::atomic<int> runs{0};
    platform::TMadeAhead<int> slow([&](int &value) {
        ++runs;
        begun = true;
        held.wait();
        value = 3;
    });
    platform::TEarlyThreads threads;
    threads.Start({slow.Work()}, "begins", "ends");
    ASSERT_TRUE(WaitWithoutHandling([&] { return begun.load(); }));
    // Let the work end only a while after it is needed.
    std::thread releaser([&] {
        QThread::msleep(20);
        go.set_value();
    });
    EXPECT_EQ(slow.Take(), 3);
    releaser.join();
    threads.Join();
    EXPECT_EQ(runs, 1);
}

TEST(EarlyWork, AFailureOnItsThreadIsMetByWhoeverNeedsItThenTheWorkIsDoneAgain)
{
    std::atomic<int> failuresLeft{2};
    std::atomic<int> runs{0};
    platform::TMadeAhead<QString> read([&](QString &value) {
        ++runs;
        if (failuresLeft-- > 0)
            throw platform::Exception(QStringLiteral("cannot read"));
        value = QStringLiteral("read");
    });
    platform::TEarlyThreads threads;
    threads.Start({read.Work()}, "begins", "ends");
    threads.Join();
    EXPECT_EQ(runs, 1);
    EXPECT_THROW(read.Take(), platform::Exception);
    EXPECT_EQ(read.Take(), "read");
    EXPECT_EQ(runs, 3);
}

TEST(StartMarks, AreLeftOutUntilSwitchedOnThenKeepTheirOrderAndThreads)
{
    platform::MarkStart("before");
    EXPECT_TRUE(platform::StartMarks().empty());
    platform::EnableStartMarks();
    platform::MarkStart("first");
    std::thread([] { platform::MarkStart("elsewhere"); }).join();
    platform::MarkStart("last");
    const std::vector<platform::TStartMark> marks = platform::StartMarks();
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_STREQ(marks[0].Name, "first");
    EXPECT_STREQ(marks[1].Name, "elsewhere");
    EXPECT_STREQ(marks[2].Name, "last");
    EXPECT_EQ(marks[0].Thread, 0);
    EXPECT_EQ(marks[1].Thread, 1);
    EXPECT_EQ(marks[2].Thread, 0);
    EXPECT_LE(marks[0].Nanoseconds, marks[1].Nanoseconds);
    EXPECT_LE(marks[1].Nanoseconds, marks[2].Nanoseconds);
    EXPECT_LE(marks[0].ThreadCpu, marks[2].ThreadCpu);
}

} // namespace
