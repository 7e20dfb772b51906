#include "midi/MidiIn.h"
#include "midi/MidiOut.h"

#include "MidiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace platform;
using Bytes = std::vector<uint8_t>;

namespace {

// What a reader saw of one event.
struct Seen {
    uint8_t status, data1, data2;
    uint16_t sysexSize;
    Bytes sysex;
    bool operator==(const Seen &) const = default;
};

Seen Describe(const TMyMidiEvent &event)
{
    Seen seen{event.StatusByte, event.DataByte1, event.DataByte2, event.SysexSize, {}};
    if (event.SysexData)
        seen.sysex.assign(event.SysexData.get(), event.SysexData.get() + event.SysexSize);
    return seen;
}

std::ostream &operator<<(std::ostream &out, const Seen &seen)
{
    out << std::hex << int(seen.status) << ' ' << int(seen.data1) << ' ' << int(seen.data2) << " sysex " << std::dec
        << seen.sysexSize << ':';
    for (uint8_t b : seen.sysex)
        out << ' ' << std::hex << int(b);
    return out;
}

class MidiInput : public testing::Test {
protected:
    void SetUp() override
    {
        MidiDriverResetForTest();
        blocksBefore = GlobalBlockCount();
    }

    // Reads every waiting event, as the program's input handler does; while
    // `reading` is false it leaves them waiting, as the handler does while
    // no analysis window is open.
    void ReadOnNotice(TMidiInput &input)
    {
        QObject::connect(&input, &TMidiInput::OnMidiInput, [this](TMidiInput *sender) {
            ++notices;
            while (reading && sender->PendingCount() > 0)
                seen.push_back(Describe(*sender->ReadEvent()));
        });
    }
    void CountOverflows(TMidiInput &input)
    {
        QObject::connect(&input, &TMidiInput::OnOverflow, [this, &input](TMidiInput *sender) {
            EXPECT_EQ(sender, &input);
            ++overflows;
        });
    }
    static void OpenAndStart(TMidiInput &input)
    {
        input.Open();
        ASSERT_EQ(input.State(), TMidiInput::StateOpen);
        input.Start();
    }

    std::size_t blocksBefore = 0;
    std::vector<Seen> seen;
    int notices = 0;
    int overflows = 0;
    bool reading = true;
};

Bytes SysexBlock(std::size_t size, uint8_t seed)
{
    Bytes block{0xF0};
    for (std::size_t i = 1; i + 1 < size; ++i)
        block.push_back(static_cast<uint8_t>((seed + i) & 0x7F));
    block.push_back(0xF7);
    return block;
}

} // namespace

TEST_F(MidiInput, ConstructionSelectsDeviceZero)
{
    TMidiInput input;
    EXPECT_EQ(input.State(), TMidiInput::StateClosed);
    EXPECT_EQ(input.DeviceID(), 0);
    EXPECT_EQ(input.ProductName(), "Loopback In");
    EXPECT_EQ(input.DeviceCount(), 1);
    EXPECT_EQ(input.Capacity(), 1024);
    EXPECT_EQ(input.SysexBufferSize(), 4096);
    EXPECT_EQ(input.SysexBufferCount(), 16);
    EXPECT_FALSE(input.SysexOnly());
    EXPECT_EQ(input.DeviceHandle(), nullptr);
    EXPECT_EQ(input.Buffer(), nullptr);
    EXPECT_EQ(input.ControlBlock(), nullptr);
}

TEST_F(MidiInput, DeviceIdBeyondTheLastIsIgnoredSilently)
{
    TMidiInput input;
    for (uint16_t id : {uint16_t{1}, uint16_t{2}, uint16_t{65535}}) {
        input.setDeviceID(id);
        EXPECT_EQ(input.DeviceID(), 0);
        EXPECT_EQ(input.ProductName(), "Loopback In");
    }
}

TEST_F(MidiInput, UnknownProductNameIsNotInstalledWithATrailingBlank)
{
    TMidiInput input;
    EXPECT_EQ(MessageOf([&] { input.setProductName("X"); }), "MIDI Input Device X not installed ");
    EXPECT_EQ(MessageOf([&] { input.setProductName("loopback in"); }), "MIDI Input Device loopback in not installed ");
    EXPECT_EQ(input.DeviceID(), 0);
    input.setProductName("Loopback In");
    EXPECT_EQ(input.ProductName(), "Loopback In");
    input.setLoading(true);
    input.setProductName("X");
    EXPECT_EQ(input.ProductName(), "Loopback In");
}

TEST_F(MidiInput, SettingsThatShapeTheOpenDeviceCannotChangeWhileOpen)
{
    TMidiInput input;
    input.Open();
    ASSERT_EQ(input.State(), TMidiInput::StateOpen);
    struct Case {
        std::function<void()> change;
        QString message;
    };
    const Case cases[] = {
        {[&] { input.setDeviceID(0); }, "Change to DeviceID while device was open"},
        {[&] { input.setProductName("Loopback In"); }, "Change to ProductName while device was open"},
        {[&] { input.setSysexBufferSize(100); }, "Change to SysexBufferSize while device was open"},
        {[&] { input.setSysexBufferCount(2); }, "Change to SysexBuffercount while device was open"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MessageOf(c.change), c.message);
    EXPECT_EQ(input.SysexBufferSize(), 4096);
    EXPECT_EQ(input.SysexBufferCount(), 16);
    input.Close();
    input.setSysexBufferSize(100);
    input.setSysexBufferCount(2);
    EXPECT_EQ(input.SysexBufferSize(), 100);
    EXPECT_EQ(input.SysexBufferCount(), 2);
}

TEST_F(MidiInput, ClosedDeviceHasNothingToRead)
{
    TMidiInput input;
    EXPECT_EQ(input.PendingCount(), 0);
    EXPECT_EQ(input.ReadEvent(), nullptr);
    input.Start();
    input.Close();
    EXPECT_EQ(input.State(), TMidiInput::StateClosed);
}

TEST_F(MidiInput, ShortMessageArrivesAsItsThreeBytes)
{
    TMidiInput input;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 0x7F, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], (Seen{0x90, 0x7F, 0x40, 0, {}}));
    EXPECT_EQ(input.PendingCount(), 0);
}

TEST_F(MidiInput, ActiveSensingAndClockNeverReachTheReader)
{
    TMidiInput input;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0xFE, 0xF8, 0xFE, 0xB0, 0x07, 0x64, 0xF8}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    HandlePostedEvents();
    EXPECT_EQ(seen, std::vector<Seen>({{0xB0, 0x07, 0x64, 0, {}}}));
    EXPECT_EQ(notices, 1);
}

TEST_F(MidiInput, SysexBlockIsCopiedAndItsBufferGoesBackToTheDriver)
{
    TMidiInput input;
    // One receive buffer: the second block only arrives if the first buffer
    // was handed back.
    input.setSysexBufferCount(1);
    ReadOnNotice(input);
    OpenAndStart(input);
    const Bytes first{0xF0, 0x01, 0x02, 0x03, 0x04, 0xF7};
    const Bytes second{0xF0, 0x7D, 0xF7};
    ASSERT_TRUE(loopback::Feed(first));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    ASSERT_TRUE(loopback::Feed(second));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0], (Seen{0xF0, 0, 0, 6, first}));
    EXPECT_EQ(seen[1], (Seen{0xF0, 0, 0, 3, second}));
}

TEST_F(MidiInput, SysexOnlyDropsShortMessagesAtOnceEvenWhileOpen)
{
    TMidiInput input;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    input.setSysexOnly(true);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3E, 0x40, 0xF0, 0x11, 0xF7, 0x80, 0x3E, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 2; }));
    HandlePostedEvents();
    EXPECT_EQ(seen, std::vector<Seen>({{0x90, 0x3C, 0x40, 0, {}}, {0xF0, 0, 0, 3, {0xF0, 0x11, 0xF7}}}));
}

// A reader may leave the buffer full on purpose. The events that find it
// full are lost, counted and reported, and the reader still hears that
// events wait, so input goes on as soon as the reader makes room.
TEST_F(MidiInput, AFullBufferLosesNewEventsButInputGoesOnOnceTheReaderMakesRoom)
{
    TMidiInput input;
    input.setCapacity(4);
    CountOverflows(input);
    reading = false;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 1, 1, 0x90, 2, 2, 0x90, 3, 3, 0x90, 4, 4, 0x90, 5, 5, 0x90, 6, 6}));
    // Losses that come while their report is on its way share it.
    ASSERT_TRUE(WaitFor([&] { return input.LostCount() == 2 && overflows >= 1 && notices >= 1; }))
        << input.LostCount() << ' ' << overflows << ' ' << notices;
    HandlePostedEvents();
    EXPECT_EQ(input.PendingCount(), 4);
    const int reported = overflows;

    // The first event after the reader wakes up still finds the buffer full.
    reading = true;
    ASSERT_TRUE(loopback::Feed({0x90, 7, 7}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 4; }));
    ASSERT_TRUE(loopback::Feed({0x90, 8, 8}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 5; }));
    const std::vector<Seen> expected{
        {0x90, 1, 1, 0, {}}, {0x90, 2, 2, 0, {}}, {0x90, 3, 3, 0, {}}, {0x90, 4, 4, 0, {}}, {0x90, 8, 8, 0, {}}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(input.LostCount(), 3u);
    EXPECT_GT(overflows, reported);
    EXPECT_EQ(input.ReadEvent(), nullptr);
}

// The driver has only so many receive buffers (16 here); a block that finds
// the event buffer full must not keep its buffer from the driver, or system-
// exclusive input stops for good after the sixteenth such block.
TEST_F(MidiInput, SysexBlocksLostToAFullBufferHandTheirReceiveBuffersBack)
{
    TMidiInput input;
    input.setCapacity(1);
    CountOverflows(input);
    reading = false;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return input.PendingCount() == 1; }));
    const int lostBlocks = 3 * input.SysexBufferCount();
    for (int n = 1; n <= lostBlocks; ++n) {
        ASSERT_TRUE(loopback::Feed(SysexBlock(40, uint8_t(n))));
        ASSERT_TRUE(WaitFor([&] { return overflows == n; })) << "block " << n << " never arrived";
    }
    EXPECT_EQ(input.LostCount(), uint32_t(lostBlocks));
    ASSERT_NE(input.ReadEvent(), nullptr);

    reading = true;
    const Bytes last = SysexBlock(input.SysexBufferSize(), 9);
    ASSERT_TRUE(loopback::Feed(last));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], (Seen{0xF0, 0, 0, input.SysexBufferSize(), last}));
}

TEST_F(MidiInput, CloseThenOpenKeepsTheControlBlockAndStartsWithAnEmptyBuffer)
{
    TMidiInput input;
    OpenAndStart(input);
    const TMidiControlBlock *block = input.ControlBlock();
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return input.PendingCount() == 1; }));

    input.Close();
    EXPECT_EQ(input.State(), TMidiInput::StateClosed);
    EXPECT_EQ(input.DeviceHandle(), nullptr);
    EXPECT_EQ(input.Buffer(), nullptr);
    EXPECT_EQ(input.ControlBlock(), block);
    EXPECT_EQ(input.PendingCount(), 0);

    ReadOnNotice(input);
    OpenAndStart(input);
    EXPECT_EQ(input.ControlBlock(), block);
    ASSERT_NE(input.Buffer(), nullptr);
    EXPECT_EQ(input.PendingCount(), 0) << "the event of the first session is gone";
    ASSERT_TRUE(loopback::Feed({0x80, 0x3C, 0x00}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], (Seen{0x80, 0x3C, 0x00, 0, {}}));
}

TEST_F(MidiInput, NoticesLeftOverFromAClosedSessionRaiseNothing)
{
    TMidiInput input;
    ReadOnNotice(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    // Handling events here would let the reader take the event at its notice.
    ASSERT_TRUE(WaitWithoutHandling([&] { return input.PendingCount() == 1; }));
    input.Close(); // the notice is queued by now: the close waits for the delivery
    HandlePostedEvents();
    EXPECT_EQ(notices, 0);
    EXPECT_TRUE(seen.empty());
}

// A loss reported to a closed session names a receive buffer that is gone,
// or whose memory the next session's buffer now uses: it must not be handed
// to the driver, nor raise anything.
TEST_F(MidiInput, ALossReportedToAClosedSessionIsIgnored)
{
    TMidiInput input;
    input.setCapacity(1);
    input.setSysexBufferCount(1);
    CountOverflows(input);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(WaitWithoutHandling([&] { return input.LostCount() == 1; }));
    input.Close();

    ReadOnNotice(input);
    OpenAndStart(input);
    HandlePostedEvents();
    EXPECT_EQ(overflows, 0);
    EXPECT_EQ(input.Error(), MMSYSERR_NOERROR);
    const Bytes block{0xF0, 0x02, 0x03, 0xF7};
    ASSERT_TRUE(loopback::Feed(block));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], (Seen{0xF0, 0, 0, 4, block}));
    ASSERT_TRUE(loopback::Feed(block));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 2; })) << "the one receive buffer came back";
    EXPECT_EQ(overflows, 0);
}

TEST_F(MidiInput, OpenThatCannotMakeItsBufferLeavesTheDeviceClosedAndReleasesEverything)
{
    {
        TMidiInput input;
        input.setCapacity(MaxEventBufferCapacity + 1);
        input.Open();
        EXPECT_EQ(input.State(), TMidiInput::StateClosed);
        EXPECT_EQ(input.DeviceHandle(), nullptr);
        EXPECT_EQ(input.Buffer(), nullptr);
        EXPECT_EQ(input.ControlBlock(), nullptr);
        EXPECT_EQ(GlobalBlockCount(), blocksBefore);

        input.setCapacity(MaxEventBufferCapacity);
        input.Open();
        EXPECT_EQ(input.State(), TMidiInput::StateOpen);
    }
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
}

TEST_F(MidiInput, OpenThatTheDriverRefusesLeavesTheDeviceClosedAndReleasesEverything)
{
    TMidiInput first;
    ReadOnNotice(first);
    OpenAndStart(first);
    const std::size_t firstBlocks = GlobalBlockCount();
    {
        TMidiInput second; // the loopback input takes one user at a time
        second.Open();
        EXPECT_EQ(second.State(), TMidiInput::StateClosed);
        EXPECT_EQ(second.DeviceHandle(), nullptr);
        EXPECT_EQ(second.Buffer(), nullptr);
        EXPECT_EQ(second.ControlBlock(), nullptr);
        EXPECT_EQ(second.Error(), MMSYSERR_ALLOCATED);
        EXPECT_EQ(GlobalBlockCount(), firstBlocks);
    }
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
}

TEST_F(MidiInput, OpeningAnOpenDeviceAgainLeavesItWorking)
{
    TMidiInput input;
    ReadOnNotice(input);
    OpenAndStart(input);
    const TEventBuffer *buffer = input.Buffer();
    input.Open();
    EXPECT_EQ(input.State(), TMidiInput::StateOpen);
    EXPECT_EQ(input.Buffer(), buffer);
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x40}));
    ASSERT_TRUE(WaitFor([&] { return seen.size() == 1; }));
}

TEST_F(MidiInput, DestroyingAnOpenInputClosesTheDeviceAndReleasesItsMemory)
{
    {
        auto input = std::make_unique<TMidiInput>();
        OpenAndStart(*input);
        ASSERT_TRUE(loopback::Feed({0xF0, 0x01, 0xF7, 0x90, 0x3C, 0x40}));
        ASSERT_TRUE(WaitFor([&] { return input->PendingCount() == 2; }));
    }
    HandlePostedEvents();
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
    TMidiInput again;
    again.Open();
    EXPECT_EQ(again.State(), TMidiInput::StateOpen) << "the device was given back";
}

// ---------------------------------------------------------------------------
// MIDI thru ahead of the reader

namespace {

class MidiThru : public MidiInput {
protected:
    TMidiInput input;
    TMidiOutput output;

    void SetUp() override
    {
        MidiInput::SetUp();
        output.setProductName("Loopback Out");
        ASSERT_TRUE(output.Open());
        loopback::ClearSent();
        OpenAndStart(input);
        input.setThruDevice(output.DeviceHandle());
    }

    // Starting the running input waits for a delivery under way: whatever
    // was fed is stored, and echoed or not, by then.
    void WaitForDelivery(std::size_t stored)
    {
        ASSERT_TRUE(WaitWithoutHandling([&] { return input.PendingCount() >= stored; }));
        input.Start();
    }

    static std::vector<Bytes> Echoes() { return loopback::Sent(); }

    // Reads as the program's handler does, sending on what was not echoed.
    std::vector<bool> ReadAll()
    {
        std::vector<bool> echoed;
        while (const auto event = input.ReadEvent()) {
            echoed.push_back(event->Echoed);
            if (!event->Echoed)
                output.SendEvent(*event);
        }
        return echoed;
    }
};

TEST_F(MidiThru, AShortMessageGoesOutAsItArrivesAndIsReadAsEchoed)
{
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x64}));
    // Nobody reads meanwhile.
    ASSERT_TRUE(WaitWithoutHandling([] { return loopback::Sent().size() == 1; }));
    EXPECT_EQ(Echoes(), (std::vector<Bytes>{{0x90, 0x3C, 0x64}}));
    WaitForDelivery(1);
    EXPECT_EQ(ReadAll(), std::vector<bool>{true});
    EXPECT_EQ(Echoes().size(), 1u) << "echoed once";
}

// A system-exclusive block is the reader's to send on; a note that comes
// after it waits for the reader too, and so does one that comes while the
// reader still handles it. Once the reader has read everything, notes go
// out as they arrive again.
TEST_F(MidiThru, NothingGoesOutAheadOfAnEventTheReaderHasStillToSend)
{
    ASSERT_TRUE(loopback::Feed({0xF0, 0x7D, 0x01, 0xF7, 0x90, 0x3C, 0x64}));
    WaitForDelivery(2);
    EXPECT_TRUE(Echoes().empty());

    const auto block = input.ReadEvent();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(block->Echoed);
    // Arrives while the reader holds the block.
    ASSERT_TRUE(loopback::Feed({0x90, 0x40, 0x64}));
    WaitForDelivery(2);
    output.SendEvent(*block);
    EXPECT_EQ(ReadAll(), (std::vector<bool>{false, false}));

    ASSERT_TRUE(loopback::Feed({0x90, 0x43, 0x64}));
    ASSERT_TRUE(WaitWithoutHandling([] { return loopback::Sent().size() == 4; }));
    EXPECT_EQ(Echoes(), (std::vector<Bytes>{
                            {0xF0, 0x7D, 0x01, 0xF7}, {0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}, {0x90, 0x43, 0x64}}));
}

TEST_F(MidiThru, AMessageTheDeviceRefusesOrWithoutADeviceIsLeftToTheReader)
{
    TMidiOutput closed;
    closed.setProductName("Loopback Out");
    ASSERT_TRUE(closed.Open());
    input.setThruDevice(closed.DeviceHandle());
    closed.Close();
    ASSERT_TRUE(loopback::Feed({0x90, 0x3C, 0x64}));
    WaitForDelivery(1);
    input.setThruDevice(nullptr);
    ASSERT_TRUE(loopback::Feed({0x90, 0x40, 0x64}));
    WaitForDelivery(2);
    EXPECT_TRUE(Echoes().empty());
    EXPECT_EQ(ReadAll(), (std::vector<bool>{false, false}));
    EXPECT_EQ(Echoes(), (std::vector<Bytes>{{0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}}));
}

// An event the full buffer loses never reaches the reader, and is never
// heard through either.
TEST_F(MidiThru, AnEventLostToAFullBufferIsNotEchoed)
{
    input.Close();
    input.setCapacity(2);
    OpenAndStart(input);
    ASSERT_TRUE(loopback::Feed({0x90, 1, 1, 0x90, 2, 2, 0x90, 3, 3}));
    ASSERT_TRUE(WaitWithoutHandling([&] { return input.LostCount() == 1; }));
    input.Start();
    EXPECT_EQ(Echoes(), (std::vector<Bytes>{{0x90, 1, 1}, {0x90, 2, 2}}));
    EXPECT_EQ(ReadAll(), (std::vector<bool>{true, true}));
}

} // namespace
