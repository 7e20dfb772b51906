#include "midi/MidiCallback.h"

#include "MidiTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct Posted {
    uint32_t msg;
    uintptr_t wParam;
    uintptr_t lParam;
    bool operator==(const Posted &) const = default;
};

// A control block as an input's Open leaves it: a buffer of four items and
// a hidden window that records what the callback posts and, as the input's
// window does, takes each notice, so that the next one may be posted.
class DriverCallback : public testing::Test {
protected:
    void SetUp() override
    {
        block = AllocControlBlock();
        ASSERT_NE(block, nullptr);
        buffer = CreateEventBuffer(4);
        ASSERT_NE(buffer, nullptr);
        block->Buffer = buffer;
        block->TargetWindow = &window;
    }
    void TearDown() override
    {
        FreeEventBuffer(buffer);
        FreeControlBlock(block);
    }

    void Call(uint32_t msg, uintptr_t param1, uintptr_t param2 = 1234)
    {
        MidiCallback(nullptr, msg, reinterpret_cast<uintptr_t>(block), param1, param2);
    }
    std::vector<Posted> Handled()
    {
        HandlePostedEvents();
        return posted;
    }

    std::vector<Posted> posted;
    THiddenWindow window{[this](uint32_t msg, uintptr_t wParam, uintptr_t lParam) {
        posted.push_back({msg, wParam, lParam});
        if (msg == MsgEventsWaiting)
            block->NoticePending = 0;
        if (msg == MsgBufferFull && lParam == 0)
            block->LossPending = 0;
    }};
    TMidiControlBlock *block = nullptr;
    TEventBuffer *buffer = nullptr;
    MIDIHDR header{};
};

const uintptr_t HeaderMark = 1; // stands for "the address of the test's header"

struct CallbackCase {
    const char *what;
    uint32_t msg;
    uintptr_t param1; // HeaderMark: the header's address
    bool sysexOnly;
    bool stored;
};

const CallbackCase callbackCases[] = {
    {"note-on", MIM_DATA, 0x403C90, false, true},
    {"active sensing", MIM_DATA, 0xFE, false, false},
    {"timing clock", MIM_DATA, 0xF8, false, false},
    {"a longer value ending in FE", MIM_DATA, 0x01FE, false, true},
    {"a longer value ending in F8", MIM_DATA, 0x4000F8, false, true},
    {"short message, sysex only", MIM_DATA, 0x403C90, true, false},
    {"sysex block", MIM_LONGDATA, HeaderMark, false, true},
    {"sysex block, sysex only", MIM_LONGDATA, HeaderMark, true, true},
    {"damaged sysex block", MIM_LONGERROR, HeaderMark, false, true},
    {"driver error notice", MIM_ERROR, 0x403C90, false, false},
    {"input opened", MIM_OPEN, 0, false, false},
    {"input closed", MIM_CLOSE, 0, false, false},
    {"output opened", MOM_OPEN, 0, false, false},
    {"output closed", MOM_CLOSE, 0, false, false},
};

} // namespace

TEST_F(DriverCallback, StoresInputEventsAndPostsOneNoticeEach)
{
    for (const CallbackCase &c : callbackCases) {
        SCOPED_TRACE(c.what);
        posted.clear();
        block->SysexOnly = c.sysexOnly ? 1 : 0;
        const uintptr_t param1 = c.param1 == HeaderMark ? reinterpret_cast<uintptr_t>(&header) : c.param1;
        Call(c.msg, param1, 777);

        TEventBufferItem item{};
        ASSERT_EQ(PeekEvent(buffer, item), c.stored);
        const std::vector<Posted> expected =
            c.stored ? std::vector<Posted>{{MsgEventsWaiting, 0, 0}} : std::vector<Posted>{};
        EXPECT_EQ(Handled(), expected);
        if (!c.stored)
            continue;
        EXPECT_EQ(item.TimeStamp, 777u);
        const bool sysex = c.msg != MIM_DATA;
        EXPECT_EQ(item.PackedMessage, sysex ? 0u : c.param1);
        EXPECT_EQ(item.SysexHeader, sysex ? &header : nullptr);
        DropEvent(buffer);
    }
}

// A lost event is counted and reported, and the reader is still told that
// events wait: a reader that left the buffer full must hear of new input to
// empty it. A lost block's header goes with the report, so that its buffer
// can go back to the driver; the session tells a late report from a current one.
TEST_F(DriverCallback, FullBufferLosesTheEventReportsItAndStillSaysEventsWait)
{
    block->Session = 7;
    for (uint32_t n = 0; n < 4; ++n)
        Call(MIM_DATA, 0x400090 | n << 8, n);
    const std::vector<Posted> one{{MsgEventsWaiting, 0, 0}};
    EXPECT_EQ(Handled(), one);
    EXPECT_EQ(MsgBufferFull, 0x400u);

    struct Case {
        const char *what;
        uint32_t msg;
        uintptr_t param1;
        uintptr_t reported; // lParam of the loss report
    };
    const auto header = reinterpret_cast<uintptr_t>(&this->header);
    const Case cases[] = {
        {"note-on", MIM_DATA, 0x407F90, 0},
        {"sysex block", MIM_LONGDATA, header, header},
        {"damaged sysex block", MIM_LONGERROR, header, header},
    };
    uint32_t lost = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        posted.clear();
        Call(c.msg, c.param1, 99);
        const std::vector<Posted> expected{{MsgBufferFull, 7, c.reported}, {MsgEventsWaiting, 0, 0}};
        EXPECT_EQ(Handled(), expected);
        EXPECT_EQ(buffer->LostCount.load(), ++lost);
        EXPECT_EQ(buffer->EventCount.load(), 4);
    }
    TEventBufferItem item{};
    for (uint32_t n = 0; n < 4; ++n) {
        ASSERT_TRUE(PeekEvent(buffer, item));
        EXPECT_EQ(item.TimeStamp, n);
        DropEvent(buffer);
    }
}

// A keyboard or a file fed faster than the window reads must not queue a
// notice per event: the queue would grow without end and hold up every other
// window event behind it. While a notice is on its way, later events and
// lost short messages post nothing more; each lost block is still reported,
// as its header must go back to the driver.
TEST_F(DriverCallback, WhileANoticeIsOnItsWayLaterEventsPostNoOther)
{
    block->Session = 3;
    const auto header = reinterpret_cast<uintptr_t>(&this->header);
    for (uint32_t n = 0; n < 1000; ++n)
        Call(MIM_DATA, 0x400090 | (n % 128) << 8, n);
    Call(MIM_LONGDATA, header);
    Call(MIM_DATA, 0x400080);
    Call(MIM_LONGERROR, header);
    const std::vector<Posted> flood{
        {MsgEventsWaiting, 0, 0}, {MsgBufferFull, 3, 0}, {MsgBufferFull, 3, header}, {MsgBufferFull, 3, header}};
    EXPECT_EQ(Handled(), flood);
    EXPECT_EQ(buffer->LostCount.load(), 999u);

    // Once the window has taken them, the next event and the next loss are
    // announced again.
    posted.clear();
    Call(MIM_DATA, 0x400090);
    const std::vector<Posted> next{{MsgBufferFull, 3, 0}, {MsgEventsWaiting, 0, 0}};
    EXPECT_EQ(Handled(), next);
}

TEST_F(DriverCallback, LongMessageDoneIsPassedOnWithItsHeader)
{
    Call(MOM_DONE, reinterpret_cast<uintptr_t>(&header));
    const std::vector<Posted> expected{{MsgLongMessageDone, 0, reinterpret_cast<uintptr_t>(&header)}};
    EXPECT_EQ(Handled(), expected);
    EXPECT_EQ(buffer->EventCount.load(), 0);
}

TEST_F(DriverCallback, WithoutBufferOrControlBlockNothingIsStoredOrPosted)
{
    block->Buffer = nullptr;
    Call(MIM_DATA, 0x403C90);
    Call(MIM_LONGDATA, reinterpret_cast<uintptr_t>(&header));
    for (uint32_t msg : {MIM_DATA, MIM_LONGDATA, MIM_LONGERROR, MOM_DONE})
        MidiCallback(nullptr, msg, 0, reinterpret_cast<uintptr_t>(&header), 0);
    EXPECT_EQ(Handled(), std::vector<Posted>{});
    EXPECT_EQ(buffer->EventCount.load(), 0);
}

TEST(ControlBlock, StartsZeroedKnowingItsOwnMemory)
{
    const std::size_t before = GlobalBlockCount();
    TMidiControlBlock *block = AllocControlBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_NE(block->MemoryHandle, nullptr);
    EXPECT_EQ(GlobalLock(block->MemoryHandle), block);
    GlobalUnlock(block->MemoryHandle);
    EXPECT_EQ(block->Buffer, nullptr);
    EXPECT_EQ(block->TargetWindow, nullptr);
    EXPECT_EQ(block->SysexOnly.load(), 0);
    FreeControlBlock(block);
    FreeControlBlock(nullptr);
    EXPECT_EQ(GlobalBlockCount(), before);
}
