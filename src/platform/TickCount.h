#pragma once

#include <cstdint>

namespace platform {

// Milliseconds from a monotonic clock as an unsigned 32-bit count that wraps
// to 0 after 2^32 ms (about 49.7 days). Callers compare counts by unsigned
// subtraction so the wrap neither ends nor stretches a measured interval.
uint32_t GetTickCount();

// Makes the count read startAt now and run on from there, so tests can reach
// the wrap without waiting for it.
void SetTickCountOffsetForTest(uint32_t startAt);
// Back to the plain monotonic count.
void ResetTickCountOffsetForTest();

} // namespace platform
