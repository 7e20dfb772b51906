#include "platform/SharedMemory.h"
#include "midi/Circbuf.h"
#include "midi/MidiCallback.h"
#include "midi/Miditype.h"
#include "platform/HiddenWindow.h"

#include "MidiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace platform;

TEST(SharedMemory, BlocksStartZeroedStayInPlaceAndAreCounted)
{
    const std::size_t before = GlobalBlockCount();
    HGLOBAL handle = nullptr;
    auto *bytes = static_cast<std::byte *>(AllocSharedMemory(4000, handle));
    ASSERT_NE(bytes, nullptr);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(std::all_of(bytes, bytes + 4000, [](std::byte b) { return b == std::byte{0}; }));
    EXPECT_EQ(GlobalLock(handle), bytes);
    EXPECT_TRUE(GlobalUnlock(handle)); // still locked once by the allocation
    EXPECT_EQ(GlobalBlockCount(), before + 1);
    FreeSharedMemory(handle);
    FreeSharedMemory(nullptr);
    EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(MyMidiHdr, EmptyHeaderAllocatesNothing)
{
    const std::size_t before = GlobalBlockCount();
    TMyMidiHdr empty(0);
    EXPECT_EQ(empty.HeaderMemory, nullptr);
    EXPECT_EQ(empty.Header, nullptr);
    EXPECT_EQ(empty.DataMemory, nullptr);
    EXPECT_EQ(empty.Data, nullptr);
    EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(MyMidiHdr, HeaderDescribesItsZeroedDataBlockAndGivesBothBack)
{
    const std::size_t before = GlobalBlockCount();
    {
        TMyMidiHdr block(300);
        ASSERT_NE(block.Header, nullptr);
        EXPECT_EQ(block.Header->lpData, block.Data);
        EXPECT_EQ(block.Header->dwBufferLength, 300u);
        EXPECT_EQ(block.Header->dwBytesRecorded, 0u);
        EXPECT_EQ(block.Header->dwFlags, 0u);
        EXPECT_TRUE(std::all_of(block.Data, block.Data + 300, [](char c) { return c == 0; }));
        EXPECT_EQ(GlobalBlockCount(), before + 2);
    }
    EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(PackShortMessage, StatusInTheLowByteThenTheDataBytes)
{
    EXPECT_EQ(PackShortMessage(0x90, 60, 64), 0x00403C90u);
    EXPECT_EQ(PackShortMessage(0xFF, 0xFF, 0xFF), 0x00FFFFFFu);
}

namespace {
struct Received {
    uint32_t msg;
    uintptr_t wParam;
    uintptr_t lParam;
    bool onWindowThread;
};
} // namespace

TEST(HiddenWindow, MessagesPostedFromAnotherThreadArriveInOrderOnTheThreadOwningTheWindow)
{
    std::vector<Received> received;
    QThread *const windowThread = QThread::currentThread();
    THiddenWindow window([&](uint32_t msg, uintptr_t wParam, uintptr_t lParam) {
        received.push_back({msg, wParam, lParam, QThread::currentThread() == windowThread});
    });
    constexpr int Count = 2000;
    std::thread poster([&] {
        for (int i = 0; i < Count; ++i)
            PostMessageA(&window, WM_USER + 1, static_cast<uintptr_t>(i), static_cast<uintptr_t>(i * 3));
    });
    poster.join();
    ASSERT_TRUE(WaitFor([&] { return received.size() == Count; }));
    for (int i = 0; i < Count; ++i) {
        EXPECT_EQ(received[i].msg, WM_USER + 1);
        EXPECT_EQ(received[i].wParam, static_cast<uintptr_t>(i));
        EXPECT_EQ(received[i].lParam, static_cast<uintptr_t>(i * 3));
        EXPECT_TRUE(received[i].onWindowThread);
    }
}

TEST(HiddenWindow, MessagesStillQueuedWhenTheWindowGoesAreDropped)
{
    int handled = 0;
    auto *window = new THiddenWindow([&](uint32_t, uintptr_t, uintptr_t) { ++handled; });
    EXPECT_TRUE(PostMessageA(window, WM_USER, 0, 0));
    delete window;
    HandlePostedEvents();
    EXPECT_EQ(handled, 0);
    EXPECT_FALSE(PostMessageA(nullptr, WM_USER, 0, 0));
}
