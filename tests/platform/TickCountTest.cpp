#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using platform::GetTickCount;

TEST(TickCount, RunsOnAcrossTheWrap)
{
    const uint32_t startAt = 0xffffffffu - 5;
    platform::SetTickCountOffsetForTest(startAt);
    const uint32_t first = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const uint32_t second = GetTickCount();
    platform::ResetTickCountOffsetForTest();

    EXPECT_LT(static_cast<uint32_t>(first - startAt), 1000u);
    EXPECT_LT(second, 1000u) << "the count has wrapped to small numbers";
    EXPECT_GE(static_cast<uint32_t>(second - first), 20u) << "unsigned subtraction measures across the wrap";
}

TEST(TickCount, CountsMillisecondsOfTheMonotonicClock)
{
    const auto before = std::chrono::steady_clock::now();
    const uint32_t first = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t second = GetTickCount();
    const auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    EXPECT_GE(second - first, 29u);
    EXPECT_LE(second - first, static_cast<uint32_t>(slept.count()) + 1);
}
