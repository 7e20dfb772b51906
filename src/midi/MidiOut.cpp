#include "midi/MidiOut.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace platform;

namespace {

constexpr uint32_t HeaderSize = sizeof(MIDIHDR);

QString NameOf(const MIDIOUTCAPSA &caps)
{
    return QString::fromUtf8(caps.szPname, static_cast<qsizetype>(strnlen(caps.szPname, sizeof caps.szPname)));
}

} // namespace

QString MidiOutputErrorText(MMRESULT code)
{
    char text[128] = {};
    if (midiOutGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR)
        return QStringLiteral("Specified error number is out of range");
    return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, sizeof text)));
}

TMidiOutput::TMidiOutput(QObject *owner) : QObject(owner)
{
    FState = StateClosed;
    FDeviceCount = static_cast<uint16_t>(midiOutGetNumDevs());
    FWindowHandle = std::make_unique<THiddenWindow>(
        [this](uint32_t msg, uintptr_t wParam, uintptr_t lParam) { WindowProc(msg, wParam, lParam); });
}

TMidiOutput::~TMidiOutput()
{
    try {
        if (FState == StateOpen)
            Close();
    } catch (const std::exception &) {
        // Nothing can report it any more; the driver keeps what it was given.
    }
    if (FState != StateOpen) {
        ReleaseControlBlock();
        // Done notices still queued for the window go with it, so the blocks
        // they name are released here.
        FSentHeaders.clear();
    }
    FWindowHandle.reset();
}

void TMidiOutput::Check(MMRESULT result)
{
    FError = static_cast<uint16_t>(result);
    if (FError != MMSYSERR_NOERROR)
        throw EmidioutputError(MidiOutputErrorText(result));
}

MIDIOUTCAPSA TMidiOutput::QueryCaps(int32_t deviceId)
{
    MIDIOUTCAPSA caps{};
    // Device numbers travel as 32-bit values: -1 arrives as the mapper's number.
    Check(midiOutGetDevCapsA(static_cast<uint32_t>(deviceId), &caps, sizeof caps));
    return caps;
}

void TMidiOutput::Describe(const MIDIOUTCAPSA &caps)
{
    FProductName = NameOf(caps);
    FDriverVersion = caps.vDriverVersion;
    FTechnology = static_cast<uint8_t>(caps.wTechnology);
    FVoices = caps.wVoices;
    FNotes = caps.wNotes;
    FChannelMask = caps.wChannelMask;
    FSupport = caps.dwSupport;
}

void TMidiOutput::setDeviceID(int32_t value)
{
    if (FState == StateOpen)
        throw EmidioutputError(QStringLiteral("Change to DeviceID while device was open"));
    if (value != MidiMapper && value >= 0 && static_cast<uint32_t>(value) >= midiOutGetNumDevs())
        throw EmidioutputError(QStringLiteral("Invalid device ID"));
    FDeviceID = value;
    Describe(QueryCaps(value));
}

void TMidiOutput::setProductName(const QString &value)
{
    if (FState == StateOpen)
        throw EmidioutputError(QStringLiteral("Change to ProductName while device was open"));
    if (FLoading)
        return;
    const auto count = static_cast<int32_t>(midiOutGetNumDevs());
    int32_t found = MidiMapper;
    for (; found < count; ++found) {
        if (NameOf(QueryCaps(found)) == value) {
            FProductName = value;
            break;
        }
    }
    if (FProductName != value)
        throw EmidioutputError(QStringLiteral("MIDI output Device ") + value + QStringLiteral(" not installed"));
    setDeviceID(found);
}

void TMidiOutput::ReleaseControlBlock()
{
    FreeControlBlock(FControlBlock);
    FControlBlock = nullptr;
}

bool TMidiOutput::Open()
{
    try {
        if (!FControlBlock)
            FControlBlock = AllocControlBlock();
        if (!FControlBlock)
            throw std::bad_alloc();
        FControlBlock->TargetWindow = FWindowHandle.get();
        HMIDIOUT handle = nullptr;
        Check(midiOutOpen(&handle, static_cast<uint32_t>(FDeviceID), MidiCallback,
                          reinterpret_cast<uintptr_t>(FControlBlock), CALLBACK_FUNCTION));
        FDeviceHandle = handle;
        FState = StateOpen;
        FOpenFailure.clear();
        return true;
    } catch (const std::exception &failure) {
        FOpenFailure = QString::fromUtf8(failure.what());
        // A device still open from before keeps the block its callback uses.
        if (FState != StateOpen)
            ReleaseControlBlock();
        return false;
    }
}

bool TMidiOutput::Close()
{
    bool closed = false;
    if (FState == StateOpen) {
        Check(midiOutClose(FDeviceHandle));
        closed = true;
    }
    FDeviceHandle = nullptr;
    FState = StateClosed;
    return closed;
}

void TMidiOutput::SendShort(int StatusByte, int DataByte1, int DataByte2)
{
    const uint32_t message = PackShortMessage(static_cast<uint8_t>(StatusByte), static_cast<uint8_t>(DataByte1),
                                              static_cast<uint8_t>(DataByte2));
    Check(midiOutShortMsg(FDeviceHandle, message));
}

void TMidiOutput::SendSysex(const void *data, uint16_t length)
{
    // An empty block has no header to hand over, and nothing to send.
    if (length == 0)
        return;
    auto block = std::make_unique<TMyMidiHdr>(length);
    std::memcpy(block->Data, data, length);
    block->Header->dwUser = reinterpret_cast<uintptr_t>(block.get());
    // A block the driver refuses is released here, since no done notice
    // will ever name it.
    Check(midiOutPrepareHeader(FDeviceHandle, block->Header, HeaderSize));
    const MMRESULT sent = midiOutLongMsg(FDeviceHandle, block->Header, HeaderSize);
    if (sent != MMSYSERR_NOERROR)
        midiOutUnprepareHeader(FDeviceHandle, block->Header, HeaderSize);
    Check(sent);
    FSentHeaders.push_back(std::move(block));
}

void TMidiOutput::SendEvent(const TMyMidiEvent &event)
{
    if (FState != StateOpen)
        throw EmidioutputError(QStringLiteral("MIDI Output device not open"));
    if (!event.SysexData)
        SendShort(event.StatusByte, event.DataByte1, event.DataByte2);
    else
        SendSysex(event.SysexData.get(), event.SysexSize);
}

void TMidiOutput::WindowProc(uint32_t msg, uintptr_t /*wParam*/, uintptr_t lParam)
{
    if (msg == MsgLongMessageDone)
        LongMessageDone(reinterpret_cast<MIDIHDR *>(lParam));
}

void TMidiOutput::LongMessageDone(MIDIHDR *header)
{
    // Only blocks this component sent are released; the header's dwUser
    // names the same object.
    const auto sent = std::find_if(FSentHeaders.begin(), FSentHeaders.end(),
                                   [header](const auto &block) { return block->Header == header; });
    if (sent == FSentHeaders.end())
        return;
    midiOutUnprepareHeader(FDeviceHandle, header, HeaderSize);
    FSentHeaders.erase(sent);
    emit Onmidioutput(this);
}
