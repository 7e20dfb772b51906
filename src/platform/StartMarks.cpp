#include "platform/StartMarks.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include <time.h>

namespace platform {

namespace {

std::atomic<bool> enabled{false};
std::mutex guard;

std::vector<TStartMark> &Marks()
{
    static std::vector<TStartMark> marks;
    return marks;
}

int ThreadNumber(std::thread::id id)
{
    static std::vector<std::thread::id> threads;
    for (size_t i = 0; i < threads.size(); ++i)
        if (threads[i] == id)
            return int(i);
    threads.push_back(id);
    return int(threads.size() - 1);
}

} // namespace

void EnableStartMarks()
{
    enabled = true;
}

void MarkStart(const char *name)
{
    if (!enabled.load(std::memory_order_relaxed))
        return;
    const int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    const std::lock_guard lock(guard);
    Marks().push_back({name, now, ThreadNumber(std::this_thread::get_id()), cpu.tv_sec * 1000000000LL + cpu.tv_nsec});
}

std::vector<TStartMark> StartMarks()
{
    const std::lock_guard lock(guard);
    return Marks();
}

} // namespace platform
