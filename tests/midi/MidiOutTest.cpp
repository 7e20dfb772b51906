#include "midi/MidiOut.h"

#include "MidiTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace platform;
using Bytes = std::vector<uint8_t>;

namespace {

QString DriverText(MMRESULT code)
{
    char text[128] = {};
    midiOutGetErrorTextA(code, text, sizeof text);
    return QString::fromUtf8(text);
}

class MidiOutput : public testing::Test {
protected:
    void SetUp() override
    {
        MidiDriverResetForTest();
        loopback::ClearSent();
        blocksBefore = GlobalBlockCount();
    }

    std::size_t blocksBefore = 0;
};

} // namespace

TEST_F(MidiOutput, StartsClosedWithNoDeviceQueried)
{
    TMidiOutput out;
    EXPECT_EQ(out.State(), TMidiOutput::StateClosed);
    EXPECT_EQ(out.DeviceHandle(), nullptr);
    EXPECT_EQ(out.DeviceID(), 0);
    EXPECT_TRUE(out.ProductName().isEmpty());
    EXPECT_EQ(out.DeviceCount(), 1);
    EXPECT_EQ(out.ControlBlock(), nullptr);
}

TEST_F(MidiOutput, DeviceIdSelectsTheMapperOrADeviceAndRefusesOthers)
{
    struct Case {
        int32_t value;
        QString error; // empty: accepted
        int32_t deviceIdAfter;
    };
    const Case cases[] = {
        {0, {}, 0},
        {TMidiOutput::MidiMapper, {}, -1},
        {1, "Invalid device ID", -1},     // the device count
        {65536, "Invalid device ID", -1}, // beyond 16 bits
        {-2, DriverText(MMSYSERR_BADDEVICEID), -2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        TMidiOutput out;
        out.setDeviceID(TMidiOutput::MidiMapper);
        if (c.error.isEmpty()) {
            out.setDeviceID(c.value);
            EXPECT_EQ(out.ProductName(), "Loopback Out");
            EXPECT_EQ(out.Technology(), MOD_MIDIPORT);
            EXPECT_EQ(out.ChannelMask(), 0xFFFF);
        } else {
            EXPECT_EQ(MessageOf([&] { out.setDeviceID(c.value); }), c.error);
        }
        EXPECT_EQ(out.DeviceID(), c.deviceIdAfter);
    }
}

TEST_F(MidiOutput, DriverRefusalKeepsItsCodeInError)
{
    TMidiOutput out;
    EXPECT_THROW(out.setDeviceID(-2), EmidioutputError);
    EXPECT_EQ(out.Error(), MMSYSERR_BADDEVICEID);
    out.setDeviceID(0);
    EXPECT_EQ(out.Error(), MMSYSERR_NOERROR);
}

TEST_F(MidiOutput, ProductNameLooksAtTheMapperFirst)
{
    TMidiOutput out;
    out.setProductName("Loopback Out");
    EXPECT_EQ(out.DeviceID(), TMidiOutput::MidiMapper);
    EXPECT_EQ(out.ProductName(), "Loopback Out");
}

TEST_F(MidiOutput, UnknownProductNameIsNotInstalledAndChangesNothing)
{
    for (const QString &name : {QString("Nope"), QString("loopback out"), QString("Loopback Out ")}) {
        SCOPED_TRACE(name.toStdString());
        TMidiOutput out;
        out.setDeviceID(0);
        EXPECT_EQ(MessageOf([&] { out.setProductName(name); }), "MIDI output Device " + name + " not installed");
        EXPECT_EQ(out.DeviceID(), 0);
    }
}

TEST_F(MidiOutput, ProductNameIsIgnoredWhileLoading)
{
    TMidiOutput out;
    out.setLoading(true);
    out.setProductName("Nope");
    out.setProductName("Loopback Out");
    EXPECT_EQ(out.DeviceID(), 0);
    EXPECT_TRUE(out.ProductName().isEmpty());
}

TEST_F(MidiOutput, DeviceCannotChangeWhileOpen)
{
    TMidiOutput out;
    out.setDeviceID(0);
    ASSERT_TRUE(out.Open());
    EXPECT_EQ(MessageOf([&] { out.setDeviceID(-1); }), "Change to DeviceID while device was open");
    EXPECT_EQ(MessageOf([&] { out.setProductName("Loopback Out"); }), "Change to ProductName while device was open");
    EXPECT_EQ(out.DeviceID(), 0);
    EXPECT_TRUE(out.Close());
}

TEST_F(MidiOutput, OpenAndCloseReportWhatTheyDid)
{
    TMidiOutput out;
    out.setDeviceID(TMidiOutput::MidiMapper);
    ASSERT_TRUE(out.Open());
    EXPECT_EQ(out.State(), TMidiOutput::StateOpen);
    EXPECT_NE(out.DeviceHandle(), nullptr);
    const TMidiControlBlock *block = out.ControlBlock();
    ASSERT_NE(block, nullptr);
    EXPECT_NE(block->TargetWindow, nullptr);
    EXPECT_EQ(block->Buffer, nullptr);

    EXPECT_TRUE(out.Close());
    EXPECT_EQ(out.State(), TMidiOutput::StateClosed);
    EXPECT_EQ(out.DeviceHandle(), nullptr);
    EXPECT_FALSE(out.Close()) << "closing a closed device";
    EXPECT_EQ(out.ControlBlock(), block) << "kept for the next Open";
    ASSERT_TRUE(out.Open());
    EXPECT_EQ(out.ControlBlock(), block);
}

TEST_F(MidiOutput, OpenThatTheDriverRefusesReturnsFalseQuietlyAndReleasesTheControlBlock)
{
    {
        TMidiOutput out;
        EXPECT_THROW(out.setDeviceID(-2), EmidioutputError);
        EXPECT_FALSE(out.Open());
        EXPECT_EQ(out.State(), TMidiOutput::StateClosed);
        EXPECT_EQ(out.DeviceHandle(), nullptr);
        EXPECT_EQ(out.ControlBlock(), nullptr);
        EXPECT_EQ(out.Error(), MMSYSERR_BADDEVICEID);
        EXPECT_EQ(out.OpenFailure(), DriverText(MMSYSERR_BADDEVICEID)) << "kept for whoever tells the user";
        EXPECT_EQ(GlobalBlockCount(), blocksBefore);
        out.setDeviceID(0);
        ASSERT_TRUE(out.Open());
        EXPECT_EQ(out.OpenFailure(), QString());
    }
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
}

TEST_F(MidiOutput, SendShortPacksEachArgumentModulo256)
{
    struct Case {
        int status, data1, data2;
        Bytes sent;
    };
    const Case cases[] = {
        {0x90, 60, 64, {0x90, 0x3C, 0x40}},
        {0x90 + 15, 48 + 35 + 300, 64, {0x9F, 0x7F, 0x40}}, // channel 16, a detune that wraps
        {0x80 + 256, 60 - 256, 64 + 512, {0x80, 0x3C, 0x40}},
        {0x90, 1 + 35 - 12, 64, {0x90, 0x18, 0x40}},
        {0xC0 + 3, 5, 0, {0xC3, 0x05}}, // a program change carries one data byte
    };
    TMidiOutput out;
    ASSERT_TRUE(out.Open());
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.status << " " << c.data1 << " " << c.data2);
        loopback::ClearSent();
        out.SendShort(c.status, c.data1, c.data2);
        EXPECT_EQ(loopback::Sent(), std::vector<Bytes>{c.sent});
        EXPECT_EQ(out.Error(), MMSYSERR_NOERROR);
    }
}

// A settings file may hold a channel or an instrument beyond MIDI's: the
// bytes that would reach a device as status bytes are refused instead.
TEST_F(MidiOutput, SendShortRefusesADataByteADeviceWouldTakeForAStatusByte)
{
    TMidiOutput out;
    ASSERT_TRUE(out.Open());
    for (const auto &[status, data1, data2] :
         {std::tuple{0xC0 + 20, 200, 0}, std::tuple{0xCF, -1, 0}, std::tuple{0x90 + 20, 20 + 35 + 100, 64}}) {
        EXPECT_EQ(MessageOf([&] { out.SendShort(status, data1, data2); }), DriverText(MMSYSERR_INVALPARAM))
            << status << " " << data1;
    }
    EXPECT_TRUE(loopback::Sent().empty());
}

TEST_F(MidiOutput, SendShortOnAClosedDeviceRaisesTheDriversRefusal)
{
    TMidiOutput out;
    EXPECT_EQ(MessageOf([&] { out.SendShort(0x90, 60, 64); }), DriverText(MMSYSERR_INVALHANDLE));
    EXPECT_EQ(out.Error(), MMSYSERR_INVALHANDLE);
    EXPECT_TRUE(loopback::Sent().empty());
}

TEST_F(MidiOutput, SysexBlockGoesOutWholeAndIsReleasedWhenTheDriverIsDone)
{
    TMidiOutput out;
    ASSERT_TRUE(out.Open());
    const std::size_t openBlocks = GlobalBlockCount();
    int done = 0;
    QObject::connect(&out, &TMidiOutput::Onmidioutput, [&](TMidiOutput *sender) {
        EXPECT_EQ(sender, &out);
        ++done;
    });
    const Bytes block{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    out.SendSysex(block.data(), static_cast<uint16_t>(block.size()));
    EXPECT_EQ(loopback::Sent(), std::vector<Bytes>{block});
    EXPECT_EQ(done, 0) << "the done notice is handled on the window, later";
    EXPECT_EQ(GlobalBlockCount(), openBlocks + 2);

    ASSERT_TRUE(WaitFor([&] { return done == 1; }));
    EXPECT_EQ(GlobalBlockCount(), openBlocks);
    HandlePostedEvents();
    EXPECT_EQ(done, 1);
}

TEST_F(MidiOutput, SysexBlockTheDriverRefusesIsReleasedAtOnce)
{
    TMidiOutput out; // closed: the driver refuses the nil handle
    int done = 0;
    QObject::connect(&out, &TMidiOutput::Onmidioutput, [&] { ++done; });
    const Bytes block{0xF0, 0x01, 0xF7};
    EXPECT_EQ(MessageOf([&] { out.SendSysex(block.data(), 3); }), DriverText(MMSYSERR_INVALHANDLE));
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
    HandlePostedEvents();
    EXPECT_EQ(done, 0);
}

TEST_F(MidiOutput, EmptySysexBlockSendsNothing)
{
    TMidiOutput out;
    ASSERT_TRUE(out.Open());
    const std::size_t openBlocks = GlobalBlockCount();
    out.SendSysex(nullptr, 0);
    EXPECT_TRUE(loopback::Sent().empty());
    EXPECT_EQ(GlobalBlockCount(), openBlocks);
}

TEST_F(MidiOutput, BlocksStillAwaitingTheirDoneNoticeGoWithTheComponent)
{
    {
        TMidiOutput out;
        ASSERT_TRUE(out.Open());
        const Bytes block{0xF0, 0x01, 0xF7};
        out.SendSysex(block.data(), 3);
        out.SendSysex(block.data(), 3);
    }
    HandlePostedEvents();
    EXPECT_EQ(GlobalBlockCount(), blocksBefore);
}

TEST_F(MidiOutput, SendEventOnAClosedDeviceIsRefused)
{
    TMidiOutput out;
    TMyMidiEvent event;
    event.StatusByte = 0x90;
    EXPECT_EQ(MessageOf([&] { out.SendEvent(event); }), "MIDI Output device not open");
    EXPECT_TRUE(loopback::Sent().empty());
}

namespace {
// Senders reach the device through the virtual operations, so a subclass
// sees every message.
class RecordingOutput : public TMidiOutput {
public:
    void SendShort(int status, int data1, int data2) override
    {
        shorts.push_back({uint8_t(status), uint8_t(data1), uint8_t(data2)});
        TMidiOutput::SendShort(status, data1, data2);
    }
    void SendSysex(const void *data, uint16_t length) override
    {
        sysex.emplace_back(static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + length);
        TMidiOutput::SendSysex(data, length);
    }
    std::vector<Bytes> shorts;
    std::vector<Bytes> sysex;
};
} // namespace

TEST_F(MidiOutput, SendEventSendsTheShortMessageOrTheSysexData)
{
    RecordingOutput out;
    ASSERT_TRUE(out.Open());
    TMyMidiEvent note;
    note.StatusByte = 0x91;
    note.DataByte1 = 0x40;
    note.DataByte2 = 0x00;
    out.SendEvent(note);

    TMyMidiEvent sysex;
    sysex.StatusByte = 0xF0;
    sysex.SysexSize = 4;
    sysex.SysexData = std::make_unique<uint8_t[]>(4);
    const uint8_t bytes[] = {0xF0, 0x43, 0x10, 0xF7};
    std::copy(bytes, bytes + 4, sysex.SysexData.get());
    out.SendEvent(sysex);

    EXPECT_EQ(out.shorts, std::vector<Bytes>{Bytes({0x91, 0x40, 0x00})});
    EXPECT_EQ(out.sysex, std::vector<Bytes>{Bytes(bytes, bytes + 4)});
    EXPECT_EQ(loopback::Sent(), (std::vector<Bytes>{{0x91, 0x40, 0x00}, Bytes(bytes, bytes + 4)}));
    HandlePostedEvents();
}
