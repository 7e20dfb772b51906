#include "EventWait.h"
#include "MidiTestSupport.h"
#include "platform/MidiApi.h"
#include "platform/Realtime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace platform;

namespace {

using Bytes = std::vector<uint8_t>;

std::string ScratchPath(const std::string &name)
{
    const char *dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/hn-midi-" + std::to_string(getpid()) + "-" + name;
}

std::string OutputName(uintptr_t device)
{
    MIDIOUTCAPSA caps;
    const MMRESULT result = midiOutGetDevCapsA(device, &caps, sizeof caps);
    return result == MMSYSERR_NOERROR ? caps.szPname : "error " + std::to_string(result);
}

std::string InputName(uintptr_t device)
{
    MIDIINCAPSA caps;
    const MMRESULT result = midiInGetDevCapsA(device, &caps, sizeof caps);
    return result == MMSYSERR_NOERROR ? caps.szPname : "error " + std::to_string(result);
}

std::vector<std::string> ReadLines(const std::string &fileName)
{
    std::ifstream file(fileName);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// ---------------------------------------------------------------------------
// Listing and device numbers

using LoopbackDevices = MidiDriverTest;

TEST_F(LoopbackDevices, ListsOnlyItsOwnOutputAndInput)
{
    EXPECT_EQ(midiOutGetNumDevs(), 1u);
    EXPECT_EQ(OutputName(0), "Loopback Out");
    EXPECT_EQ(midiInGetNumDevs(), 1u);
    EXPECT_EQ(InputName(0), "Loopback In");
}

TEST_F(LoopbackDevices, MapperIsTheFirstOutputWhetherMinusOneIsWidenedOrNot)
{
    EXPECT_EQ(OutputName(MIDI_MAPPER), "Loopback Out");
    EXPECT_EQ(OutputName(static_cast<uintptr_t>(intptr_t{-1})), "Loopback Out");

    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, MIDI_MAPPER, nullptr, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out, 0x403C90), MMSYSERR_NOERROR);
    EXPECT_EQ(loopback::Sent(), (std::vector<Bytes>{{0x90, 0x3C, 0x40}}));
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
}

TEST_F(LoopbackDevices, RefusesDeviceNumbersBeyondTheList)
{
    struct {
        const char *what;
        uintptr_t device;
    } const outputs[] = {
        {"one past the end", 1},
        {"-2 widened", static_cast<uintptr_t>(intptr_t{-2})},
        {"-2 as 32 bits", 0xFFFFFFFEu},
        {"large", 1000},
    };
    for (const auto &c : outputs) {
        MIDIOUTCAPSA caps;
        EXPECT_EQ(midiOutGetDevCapsA(c.device, &caps, sizeof caps), MMSYSERR_BADDEVICEID) << c.what;
        HMIDIOUT out = reinterpret_cast<HMIDIOUT>(1);
        EXPECT_EQ(midiOutOpen(&out, static_cast<uint32_t>(c.device), nullptr, 0, 0), MMSYSERR_BADDEVICEID) << c.what;
        EXPECT_EQ(out, nullptr) << c.what;
    }
    // Inputs have no mapper: -1 is just out of range.
    for (uintptr_t device : {uintptr_t{1}, uintptr_t{MIDI_MAPPER}}) {
        MIDIINCAPSA caps;
        EXPECT_EQ(midiInGetDevCapsA(device, &caps, sizeof caps), MMSYSERR_BADDEVICEID) << device;
        HMIDIIN in = nullptr;
        EXPECT_EQ(midiInOpen(&in, static_cast<uint32_t>(device), nullptr, 0, 0), MMSYSERR_BADDEVICEID) << device;
    }
}

TEST_F(LoopbackDevices, CapabilitiesFillNoMoreThanTheCallerAskedFor)
{
    MIDIOUTCAPSA caps;
    std::memset(static_cast<void *>(&caps), 0xAB, sizeof caps);
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, offsetof(MIDIOUTCAPSA, wTechnology)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "Loopback Out");
    EXPECT_EQ(caps.wTechnology, 0xABAB) << "beyond the size given nothing is written";
    EXPECT_EQ(midiOutGetDevCapsA(0, nullptr, sizeof caps), MMSYSERR_INVALPARAM);
}

TEST_F(LoopbackDevices, DriverIsChosenAgainAfterAReset)
{
    UseDriver(nullptr);
    EXPECT_NE(OutputName(0), "Loopback Out");
    UseDriver("loopback");
    EXPECT_EQ(OutputName(0), "Loopback Out");
}

// ---------------------------------------------------------------------------
// Output

class LoopbackOutput : public MidiDriverTest {
protected:
    void SetUp() override
    {
        MidiDriverTest::SetUp();
        ASSERT_EQ(midiOutOpen(&out_, 0, &CallbackLog::Callback, log_.Instance(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
        loopback::ClearSent();
    }
    void TearDown() override
    {
        if (out_)
            midiOutClose(out_);
        MidiDriverTest::TearDown();
    }

    CallbackLog log_;
    HMIDIOUT out_ = nullptr;
};

TEST_F(LoopbackOutput, ShortMessagesCarryAsManyBytesAsTheirStatusNeeds)
{
    struct {
        uint32_t packed;
        Bytes sent;
    } const cases[] = {
        {0x403C91, {0x91, 0x3C, 0x40}}, // note on
        {0x7F0AB0, {0xB0, 0x0A, 0x7F}}, // controller
        {0x7F05C1, {0xC1, 0x05}},       // program change ignores the third byte
        {0x0033D2, {0xD2, 0x33}},       // channel pressure
        {0x4000E0, {0xE0, 0x00, 0x40}}, // pitch bend
        {0x0003F3, {0xF3, 0x03}},       // song select
        {0x0000F8, {0xF8}},             // clock
    };
    for (const auto &c : cases)
        EXPECT_EQ(midiOutShortMsg(out_, c.packed), MMSYSERR_NOERROR) << std::hex << c.packed;
    std::vector<Bytes> expected;
    for (const auto &c : cases)
        expected.push_back(c.sent);
    EXPECT_EQ(loopback::Sent(), expected);
}

TEST_F(LoopbackOutput, DataBytesFirstContinueTheLastChannelStatus)
{
    EXPECT_EQ(midiOutShortMsg(out_, 0x403C90), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out_, 0x0040), MMSYSERR_NOERROR) << "data bytes 40 00 under status 90";
    EXPECT_EQ(midiOutShortMsg(out_, 0x0000F8), MMSYSERR_NOERROR) << "real-time keeps the status";
    EXPECT_EQ(midiOutShortMsg(out_, 0x0043), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out_, 0x8043), MMSYSERR_INVALPARAM) << "a velocity of 0x80 under status 90";
    EXPECT_EQ(midiOutShortMsg(out_, 0x0005F3), MMSYSERR_NOERROR) << "system common cancels it";
    EXPECT_EQ(midiOutShortMsg(out_, 0x0043), MMSYSERR_INVALPARAM);
    EXPECT_EQ(loopback::Sent(),
              (std::vector<Bytes>{{0x90, 0x3C, 0x40}, {0x90, 0x40, 0x00}, {0xF8}, {0x90, 0x43, 0x00}, {0xF3, 0x05}}));
}

TEST_F(LoopbackOutput, LongMessageIsSentWholeThenReportedDone)
{
    const Bytes block = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    SysexBuffer buffer(static_cast<uint32_t>(block.size()));
    std::memcpy(buffer.bytes.data(), block.data(), block.size());

    ASSERT_EQ(midiOutPrepareHeader(out_, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_TRUE(buffer.header.dwFlags & MHDR_PREPARED);
    ASSERT_EQ(midiOutLongMsg(out_, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);

    const auto done = log_.WaitFor(1, {MOM_DONE});
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].param1, reinterpret_cast<uintptr_t>(&buffer.header));
    EXPECT_TRUE(done[0].flags & MHDR_DONE);
    EXPECT_EQ(loopback::Sent(), std::vector<Bytes>{block});

    EXPECT_EQ(midiOutUnprepareHeader(out_, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    EXPECT_FALSE(buffer.header.dwFlags & MHDR_PREPARED);
}

TEST_F(LoopbackOutput, OpenAndCloseAreAnnouncedAndTheHandleDiesWithClose)
{
    ASSERT_EQ(midiOutClose(out_), MMSYSERR_NOERROR);
    const HMIDIOUT closed = out_;
    out_ = nullptr;
    std::vector<uint32_t> kinds;
    for (const Notice &notice : log_.All())
        kinds.push_back(notice.msg);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{MOM_OPEN, MOM_CLOSE}));
    EXPECT_EQ(midiOutShortMsg(closed, 0x403C90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(closed), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(loopback::Sent().empty());
}

// The program's timekeeper and its MIDI input send from threads of their
// own while the set-up dialog may close the output: a message that comes
// while the output closes goes out before or is refused, never to nothing.
TEST_F(LoopbackOutput, AMessageFromAnotherThreadWhileTheOutputClosesIsSentOrRefused)
{
    for (int round = 0; round < 500; ++round) {
        if (!out_) {
            ASSERT_EQ(midiOutOpen(&out_, 0, nullptr, 0, 0), MMSYSERR_NOERROR);
        }
        std::atomic<bool> sending = true;
        std::atomic<int> refused = 0;
        const HMIDIOUT handle = out_;
        std::thread sender([&] {
            while (sending)
                if (midiOutShortMsg(handle, 0x403C90) != MMSYSERR_NOERROR)
                    ++refused;
        });
        while (loopback::Sent().empty())
            std::this_thread::yield();
        ASSERT_EQ(midiOutClose(out_), MMSYSERR_NOERROR);
        out_ = nullptr;
        while (refused == 0)
            std::this_thread::yield();
        sending = false;
        sender.join();
        loopback::ClearSent();
    }
}

TEST_F(LoopbackOutput, RefusesWhatADriverRefuses)
{
    SysexBuffer unprepared(4);
    SysexBuffer empty(0);
    HMIDIOUT never = nullptr;
    struct {
        const char *what;
        MMRESULT result;
        MMRESULT expected;
    } const cases[] = {
        {"short message to a null handle", midiOutShortMsg(nullptr, 0x403C90), MMSYSERR_INVALHANDLE},
        {"short message to a made-up handle", midiOutShortMsg(reinterpret_cast<HMIDIOUT>(&never), 0x90),
         MMSYSERR_INVALHANDLE},
        {"long message to a null handle", midiOutLongMsg(nullptr, &unprepared.header, sizeof(MIDIHDR)),
         MMSYSERR_INVALHANDLE},
        {"prepare on a null handle", midiOutPrepareHeader(nullptr, &unprepared.header, sizeof(MIDIHDR)),
         MMSYSERR_INVALHANDLE},
        {"long message of an unprepared header", midiOutLongMsg(out_, &unprepared.header, sizeof(MIDIHDR)),
         MIDIERR_UNPREPARED},
        {"long message without a header", midiOutLongMsg(out_, nullptr, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM},
        {"prepare without a header", midiOutPrepareHeader(out_, nullptr, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM},
        {"prepare of a header without data", midiOutPrepareHeader(out_, &empty.header, sizeof(MIDIHDR)),
         MMSYSERR_INVALPARAM},
        {"system-exclusive start as a short message", midiOutShortMsg(out_, 0xF0), MMSYSERR_INVALPARAM},
        // Data bytes that a device would take for status bytes; refused, they
        // set no running status either (the next case).
        {"note-on of note 0xC8", midiOutShortMsg(out_, 0x40C8A4), MMSYSERR_INVALPARAM},
        {"note-on of velocity 0x80", midiOutShortMsg(out_, 0x803C90), MMSYSERR_INVALPARAM},
        {"program change to 0xFF", midiOutShortMsg(out_, 0xFFCF), MMSYSERR_INVALPARAM},
        {"song position of 0x80", midiOutShortMsg(out_, 0x8000F2), MMSYSERR_INVALPARAM},
        {"running status with none set", midiOutShortMsg(out_, 0x403C), MMSYSERR_INVALPARAM},
        {"open with a window callback", midiOutOpen(&never, 0, nullptr, 0, 0x10000), MMSYSERR_INVALFLAG},
        {"open with a null callback function", midiOutOpen(&never, 0, nullptr, 0, CALLBACK_FUNCTION),
         MMSYSERR_INVALPARAM},
        {"open without a place for the handle", midiOutOpen(nullptr, 0, nullptr, 0, 0), MMSYSERR_INVALPARAM},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_TRUE(loopback::Sent().empty());
    EXPECT_EQ(never, nullptr);
}

// ---------------------------------------------------------------------------
// The log file, read by checks outside the program

TEST_F(MidiDriverTest, LogHasOneFlushedLinePerMessageWithTheBytesADeviceGets)
{
    const std::string logName = ScratchPath("log.txt");
    std::remove(logName.c_str());
    setenv("HARMONOVA_MIDI_LOG", logName.c_str(), 1);
    MidiDriverResetForTest();

    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, 0, nullptr, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(out, 0x403C91), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(out, 0x0000C1), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutShortMsg(out, 0x0000FE), MMSYSERR_NOERROR);
    const Bytes block = {0xF0, 0x41, 0x10, 0x42, 0x12, 0xAB, 0xF7};
    SysexBuffer buffer(static_cast<uint32_t>(block.size()));
    std::memcpy(buffer.bytes.data(), block.data(), block.size());
    ASSERT_EQ(midiOutPrepareHeader(out, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &buffer.header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);

    // Read while the output is still open: every line must already be there.
    const auto lines = ReadLines(logName);
    midiOutUnprepareHeader(out, &buffer.header, sizeof(MIDIHDR));
    midiOutClose(out);
    std::remove(logName.c_str());

    const std::regex format(R"(^\d+\.\d{3}( [0-9A-F]{2})+$)");
    const char *const bytes[] = {" 91 3C 40", " C1 00", " FE", " F0 41 10 42 12 AB F7"};
    ASSERT_EQ(lines.size(), std::size(bytes));
    double previous = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], format)) << lines[i];
        const std::size_t blank = lines[i].find(' ');
        EXPECT_EQ(lines[i].substr(blank), bytes[i]);
        const double stamp = std::stod(lines[i].substr(0, blank));
        EXPECT_GE(stamp, previous) << "milliseconds since the driver started never go back";
        previous = stamp;
    }
}

// ---------------------------------------------------------------------------
// Input

class LoopbackInput : public MidiDriverTest {
protected:
    void TearDown() override
    {
        Close();
        MidiDriverTest::TearDown();
    }

    void Open()
    {
        ASSERT_EQ(midiInOpen(&in_, 0, &CallbackLog::Callback, log_.Instance(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    }

    void AddBuffers(std::size_t count, uint32_t size)
    {
        for (std::size_t i = 0; i < count; ++i) {
            buffers_.push_back(std::make_unique<SysexBuffer>(size));
            ASSERT_EQ(midiInPrepareHeader(in_, &buffers_.back()->header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            ASSERT_EQ(midiInAddBuffer(in_, &buffers_.back()->header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
    }

    void Close()
    {
        if (!in_)
            return;
        EXPECT_EQ(midiInReset(in_), MMSYSERR_NOERROR);
        for (auto &buffer : buffers_)
            EXPECT_EQ(midiInUnprepareHeader(in_, &buffer->header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(midiInClose(in_), MMSYSERR_NOERROR);
        in_ = nullptr;
    }

    CallbackLog log_;
    HMIDIIN in_ = nullptr;
    std::vector<std::unique_ptr<SysexBuffer>> buffers_;
};

TEST_F(LoopbackInput, FedBytesArriveOnTheDriverThreadOnlyAfterStart)
{
    Open();
    EXPECT_FALSE(loopback::Feed({0x90, 0x3C, 0x40})) << "not started";
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    EXPECT_TRUE(loopback::Feed({0x91, 0x3C, 0x40}));
    EXPECT_TRUE(loopback::Feed({0x3E, 0x41})); // running status across feeds
    EXPECT_TRUE(loopback::Feed({0xC2, 0x05, 0xF8}));

    const auto notices = log_.WaitFor(4);
    ASSERT_EQ(notices.size(), 4u);
    const uintptr_t expected[] = {0x403C91, 0x413E91, 0x05C2, 0xF8};
    uintptr_t previousStamp = 0;
    for (std::size_t i = 0; i < notices.size(); ++i) {
        EXPECT_EQ(notices[i].msg, MIM_DATA);
        EXPECT_EQ(notices[i].param1, expected[i]) << i;
        EXPECT_NE(notices[i].thread, std::this_thread::get_id()) << "delivered on the driver's thread";
        EXPECT_GE(notices[i].param2, previousStamp) << "milliseconds since start, in order";
        previousStamp = notices[i].param2;
    }
}

// The driver's thread sends MIDI thru as events arrive: like a sound
// server's, it runs before the machine's other work where it may.
TEST_F(LoopbackInput, ItsThreadRunsAtRealTimePriorityWhereTheProcessMayHaveIt)
{
    bool mayHaveIt = false;
    std::thread([&] { mayHaveIt = MakeThisThreadRealtime(TimekeepingPriority); }).join();
    Open();
    QString scheduled;
    ASSERT_TRUE(hntest::WaitWithoutHandling([&] {
        for (const std::filesystem::directory_entry &task : std::filesystem::directory_iterator("/proc/self/task"))
            if (ReadLines(task.path().string() + "/comm") == std::vector<std::string>{"hn-loopback-in"})
                scheduled = DescribeScheduling(std::stoi(task.path().filename().string()));
        return !scheduled.isEmpty() && (!mayHaveIt || scheduled.startsWith("SCHED_FIFO"));
    })) << scheduled.toStdString();
    if (mayHaveIt)
        EXPECT_EQ(scheduled, "SCHED_FIFO priority 20");
    else
        EXPECT_TRUE(scheduled.startsWith("normal")) << scheduled.toStdString();
}

TEST_F(LoopbackInput, OnlyOneOpenerAtATime)
{
    Open();
    HMIDIIN second = nullptr;
    EXPECT_EQ(midiInOpen(&second, 0, nullptr, 0, 0), MMSYSERR_ALLOCATED);
    EXPECT_EQ(second, nullptr);
}

TEST_F(LoopbackInput, SysexFillsQueuedBuffersInOrderWithRealTimeBytesApart)
{
    Open();
    AddBuffers(2, 64);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    ASSERT_TRUE(loopback::Feed({0xF0, 0x43, 0x12, 0xF8, 0x00}));
    ASSERT_TRUE(loopback::Feed({0x01, 0xF7, 0x90, 0x3C, 0x40, 0xF0, 0x7D, 0xF7}));

    const auto notices = log_.WaitFor(4);
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].msg, MIM_DATA);
    EXPECT_EQ(notices[0].param1, 0xF8u) << "the clock byte inside the block comes first, alone";
    EXPECT_EQ(notices[1].msg, MIM_LONGDATA);
    EXPECT_EQ(notices[1].param1, reinterpret_cast<uintptr_t>(&buffers_[0]->header)) << "the oldest buffer first";
    EXPECT_EQ(notices[1].data, (Bytes{0xF0, 0x43, 0x12, 0x00, 0x01, 0xF7}));
    EXPECT_TRUE(notices[1].flags & MHDR_DONE);
    EXPECT_FALSE(notices[1].flags & MHDR_INQUEUE);
    EXPECT_EQ(notices[2].param1, 0x403C90u);
    EXPECT_EQ(notices[3].param1, reinterpret_cast<uintptr_t>(&buffers_[1]->header));
    EXPECT_EQ(notices[3].data, (Bytes{0xF0, 0x7D, 0xF7}));
}

TEST_F(LoopbackInput, ABlockLargerThanABufferGoesOnInTheNext)
{
    Open();
    AddBuffers(2, 4);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    ASSERT_TRUE(loopback::Feed({0xF0, 1, 2, 3, 4, 5, 0xF7}));
    const auto notices = log_.WaitFor(2);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].data, (Bytes{0xF0, 1, 2, 3}));
    EXPECT_EQ(notices[1].data, (Bytes{4, 5, 0xF7}));
    EXPECT_EQ(notices[1].msg, MIM_LONGDATA);
}

TEST_F(LoopbackInput, WithoutABufferABlockIsLostAndABrokenBlockIsReportedAsAnError)
{
    Open();
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    ASSERT_TRUE(loopback::Feed({0xF0, 0x01, 0xF7, 0x80, 0x3C, 0x00}));
    ASSERT_EQ(log_.WaitFor(1).size(), 1u);
    AddBuffers(1, 16);
    ASSERT_TRUE(loopback::Feed({0xF0, 0x02, 0x03, 0x90, 0x3C, 0x40}));

    const auto notices = log_.WaitFor(3);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].param1, 0x003C80u) << "the block with no buffer left no trace";
    EXPECT_EQ(notices[1].msg, MIM_LONGERROR);
    EXPECT_EQ(notices[1].data, (Bytes{0xF0, 0x02, 0x03}));
    EXPECT_EQ(notices[2].param1, 0x403C90u);
}

TEST_F(LoopbackInput, ResetReturnsEveryQueuedBufferEmptyAndCloseNeedsThemBack)
{
    Open();
    AddBuffers(3, 32);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);

    EXPECT_EQ(midiInClose(in_), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInUnprepareHeader(in_, &buffers_[0]->header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInAddBuffer(in_, &buffers_[0]->header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);

    ASSERT_EQ(midiInReset(in_), MMSYSERR_NOERROR);
    const auto notices = log_.WaitFor(3);
    ASSERT_EQ(notices.size(), 3u);
    for (std::size_t i = 0; i < notices.size(); ++i) {
        EXPECT_EQ(notices[i].msg, MIM_LONGDATA);
        EXPECT_EQ(notices[i].param1, reinterpret_cast<uintptr_t>(&buffers_[i]->header));
        EXPECT_TRUE(notices[i].data.empty());
        EXPECT_TRUE(notices[i].flags & MHDR_DONE);
        EXPECT_FALSE(notices[i].flags & MHDR_INQUEUE);
    }
    EXPECT_FALSE(loopback::Feed({0x90, 0x3C, 0x40})) << "reset stops the input";
}

TEST_F(LoopbackInput, RefusesWhatADriverRefuses)
{
    Open();
    SysexBuffer unprepared(8);
    const MMRESULT addUnprepared = midiInAddBuffer(in_, &unprepared.header, sizeof(MIDIHDR));
    EXPECT_EQ(addUnprepared, MIDIERR_UNPREPARED);
    EXPECT_EQ(midiInAddBuffer(in_, nullptr, sizeof(MIDIHDR)), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiInStart(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInReset(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInClose(nullptr), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInAddBuffer(nullptr, &unprepared.header, sizeof(MIDIHDR)), MMSYSERR_INVALHANDLE);
}

TEST_F(LoopbackInput, ReadsTheInputFileOnceStarted)
{
    const std::string fileName = ScratchPath("input.mid");
    {
        std::ofstream file(fileName, std::ios::binary);
        const char bytes[] = {'\x90', '\x3C', '\x40', '\xF0', '\x01', '\xF7', '\x80', '\x3C', '\x00'};
        file.write(bytes, sizeof bytes);
    }
    setenv("HARMONOVA_MIDI_INPUT", fileName.c_str(), 1);
    Open();
    AddBuffers(1, 16);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    const auto notices = log_.WaitFor(3);
    std::remove(fileName.c_str());
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].param1, 0x403C90u);
    EXPECT_EQ(notices[1].data, (Bytes{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(notices[2].param1, 0x003C80u);
    EXPECT_TRUE(loopback::Feed({0xB0, 0x07, 0x64})) << "feeding still works beside the file";
    EXPECT_EQ(log_.WaitFor(4).size(), 4u);
}

TEST_F(LoopbackInput, FifoServesOneWriterAfterAnotherAndCloseDoesNotWaitForAWriter)
{
    const std::string fifoName = ScratchPath("input.fifo");
    std::remove(fifoName.c_str());
    ASSERT_EQ(mkfifo(fifoName.c_str(), 0600), 0);
    setenv("HARMONOVA_MIDI_INPUT", fifoName.c_str(), 1);
    Open();
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);

    const auto writeOnce = [&](Bytes bytes) {
        const int fd = open(fifoName.c_str(), O_WRONLY); // waits for the driver to be reading
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    };
    writeOnce({0x90, 0x3C, 0x40});
    ASSERT_EQ(log_.WaitFor(1).size(), 1u);
    writeOnce({0x80, 0x3C, 0x00});
    const auto notices = log_.WaitFor(2);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].param1, 0x403C90u);
    EXPECT_EQ(notices[1].param1, 0x003C80u) << "the FIFO was opened again for its next writer";

    Close(); // no writer now: must return, not wait for one
    std::remove(fifoName.c_str());
}

TEST_F(LoopbackInput, AMissingInputFileLeavesFeedingWorking)
{
    setenv("HARMONOVA_MIDI_INPUT", ScratchPath("no-such-file").c_str(), 1);
    Open();
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    EXPECT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    EXPECT_EQ(log_.WaitFor(1).size(), 1u);
}

// ---------------------------------------------------------------------------
// Error texts

TEST(MidiErrorText, EveryCodeADriverReturnsHasItsOwnText)
{
    const MMRESULT codes[] = {MMSYSERR_ERROR,       MMSYSERR_BADDEVICEID, MMSYSERR_NOTENABLED,  MMSYSERR_ALLOCATED,
                              MMSYSERR_INVALHANDLE, MMSYSERR_NODRIVER,    MMSYSERR_NOMEM,       MMSYSERR_INVALFLAG,
                              MMSYSERR_INVALPARAM,  MIDIERR_UNPREPARED,   MIDIERR_STILLPLAYING, MIDIERR_NOTREADY,
                              MIDIERR_NODEVICE,     MIDIERR_BADOPENMODE};
    std::vector<std::string> seen;
    for (MMRESULT code : codes) {
        char out[128] = "?";
        char in[128] = "?";
        ASSERT_EQ(midiOutGetErrorTextA(code, out, sizeof out), MMSYSERR_NOERROR) << code;
        ASSERT_EQ(midiInGetErrorTextA(code, in, sizeof in), MMSYSERR_NOERROR) << code;
        EXPECT_STREQ(out, in);
        EXPECT_GT(std::strlen(out), 10u) << code;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), out), 0) << "text repeated for " << code;
        seen.push_back(out);
    }
    char text[128];
    ASSERT_EQ(midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_STREQ(text, "The specified device identifier is out of range.");
    ASSERT_EQ(midiOutGetErrorTextA(MMSYSERR_INVALHANDLE, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_STREQ(text, "The specified device handle is invalid.");
    ASSERT_EQ(midiOutGetErrorTextA(MMSYSERR_NOTENABLED, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_NE(std::string(text).find("no audio output"), std::string::npos) << text;
}

TEST(MidiErrorText, UnknownNumbersAreRefusedSoTheCallerUsesItsOwnText)
{
    for (MMRESULT code : {MMRESULT{8}, MMRESULT{12}, MMRESULT{66}, MMRESULT{1000}, MMRESULT{0xFFFFFFFF}}) {
        char text[128] = "untouched";
        EXPECT_EQ(midiOutGetErrorTextA(code, text, sizeof text), MMSYSERR_BADERRNUM) << code;
        EXPECT_EQ(midiInGetErrorTextA(code, text, sizeof text), MMSYSERR_BADERRNUM) << code;
    }
}

TEST(MidiErrorText, ATextIsCutToTheBufferAndAlwaysEnded)
{
    char text[8];
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_STREQ(text, "The spe");
    EXPECT_EQ(midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, nullptr, 128), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, text, 0), MMSYSERR_INVALPARAM);
}

} // namespace
