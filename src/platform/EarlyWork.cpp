#include "platform/EarlyWork.h"

#include "platform/StartMarks.h"

#include <fontconfig/fontconfig.h>

namespace platform {

void TEarlyWork::Take()
{
    std::call_once(FOnce, FWork);
}

void TEarlyThreads::Start(std::vector<std::shared_ptr<TEarlyWork>> works, const char *beginMark, const char *doneMark)
{
    FThreads.emplace_back([works = std::move(works), beginMark, doneMark] {
        MarkStart(beginMark);
        for (const std::shared_ptr<TEarlyWork> &work : works) {
            try {
                work->Take();
            } catch (...) {
                // Left undone: whoever needs it does it again and sees why.
            }
        }
        MarkStart(doneMark);
    });
}

void TEarlyThreads::Join()
{
    for (std::thread &thread : FThreads)
        if (thread.joinable())
            thread.join();
    FThreads.clear();
}

void LoadFontConfiguration()
{
    FcInit();
}

} // namespace platform
