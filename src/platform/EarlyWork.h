#pragma once

// Work that the start can begin ahead, on threads of its own, and take where
// it is needed. Whoever comes first does a piece of work: one of its threads,
// or the code that needs it, which then does not wait for a thread to get
// round to it; code that comes while a thread does it waits for it to end.
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class TEarlyWork {
public:
    explicit TEarlyWork(std::function<void()> work) : FWork(std::move(work)) {}
    TEarlyWork(const TEarlyWork &) = delete;
    TEarlyWork &operator=(const TEarlyWork &) = delete;

    // Does the work unless it is done, or waits while a thread does it. Work
    // that failed on a thread is done again here, where its failure is seen.
    void Take();

private:
    std::once_flag FOnce;
    std::function<void()> FWork;
};

// A value made by early work: Take gives it made, waiting for it or making
// it if need be. It must outlive the work's threads, or be taken first.
template <typename T> class TMadeAhead {
public:
    explicit TMadeAhead(std::function<void(T &value)> make)
        : FWork(std::make_shared<TEarlyWork>([this, make = std::move(make)] { make(FValue); }))
    {
    }
    TMadeAhead(const TMadeAhead &) = delete;
    TMadeAhead &operator=(const TMadeAhead &) = delete;

    const std::shared_ptr<TEarlyWork> &Work() const { return FWork; }
    T &Take()
    {
        FWork->Take();
        return FValue;
    }

private:
    T FValue{};
    std::shared_ptr<TEarlyWork> FWork;
};

// The threads that do early work, each its list in order; joined when this
// goes, so the work's results may be dropped only after.
class TEarlyThreads {
public:
    TEarlyThreads() = default;
    TEarlyThreads(const TEarlyThreads &) = delete;
    TEarlyThreads &operator=(const TEarlyThreads &) = delete;
    ~TEarlyThreads() { Join(); }

    // Starts a thread that does the works in order. Among the start's stages
    // it marks beginMark as it begins and doneMark when it has gone through
    // them.
    void Start(std::vector<std::shared_ptr<TEarlyWork>> works, const char *beginMark, const char *doneMark);
    // Waits for every thread to end.
    void Join();

private:
    std::vector<std::thread> FThreads;
};

// Reads the system's font configuration, which the first text a window
// measures otherwise waits for. Done ahead, it must be taken before any text
// is measured: font code that starts meanwhile would read it a second time.
void LoadFontConfiguration();

} // namespace platform
