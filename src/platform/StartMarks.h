#pragma once

// Marks along the program's start: the name of each stage reached, the
// monotonic time it was reached at and the processor time its thread had
// used by then, on whatever thread. The start-up
// benchmark switches them on and prints the stages; switched off, a mark
// costs the test of a flag.
#include <cstdint>
#include <vector>

namespace platform {

struct TStartMark {
    const char *Name;    // a literal: marks keep the pointer
    int64_t Nanoseconds; // on the steady clock, which all processes share
    int Thread;          // 0 for the thread that marked first, then 1, 2... in order of their first mark
    int64_t ThreadCpu;   // processor time the marking thread had used, in nanoseconds
};

void EnableStartMarks();
void MarkStart(const char *name);
// The marks so far, in the order they were made.
std::vector<TStartMark> StartMarks();

} // namespace platform
