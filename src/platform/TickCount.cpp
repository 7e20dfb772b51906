#include "platform/TickCount.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {

std::atomic<uint32_t> offset{0};

uint32_t MonotonicMilliseconds()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    // Only the low 32 bits matter: the count is defined modulo 2^32.
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

} // namespace

uint32_t GetTickCount()
{
    return MonotonicMilliseconds() + offset.load(std::memory_order_relaxed);
}

void SetTickCountOffsetForTest(uint32_t startAt)
{
    offset.store(startAt - MonotonicMilliseconds());
}

void ResetTickCountOffsetForTest()
{
    offset.store(0);
}

} // namespace platform
