#include "midi/MidiIn.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

using namespace platform;

namespace {

constexpr uint32_t HeaderSize = sizeof(MIDIHDR);
constexpr uint8_t SysexStatus = 0xF0;

QString InputErrorText(MMRESULT code)
{
    char text[128] = {};
    if (midiInGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR)
        return QStringLiteral("Specified error number is out of range");
    return QString::fromUtf8(text, static_cast<qsizetype>(strnlen(text, sizeof text)));
}

QString NameOf(const MIDIINCAPSA &caps)
{
    return QString::fromUtf8(caps.szPname, static_cast<qsizetype>(strnlen(caps.szPname, sizeof caps.szPname)));
}

void Unpack(uint32_t packed, TMyMidiEvent &event)
{
    event.StatusByte = static_cast<uint8_t>(packed);
    event.DataByte1 = static_cast<uint8_t>(packed >> 8);
    event.DataByte2 = static_cast<uint8_t>(packed >> 16);
    event.Echoed = (packed & EchoedMessage) != 0;
}

void CopySysex(const MIDIHDR &header, TMyMidiEvent &event)
{
    event.StatusByte = SysexStatus;
    event.SysexSize = static_cast<uint16_t>(header.dwBytesRecorded);
    if (event.SysexSize == 0)
        return;
    event.SysexData = std::make_unique<uint8_t[]>(event.SysexSize);
    std::memcpy(event.SysexData.get(), header.lpData, event.SysexSize);
}

} // namespace

TMidiInput::TMidiInput(QObject *owner) : QObject(owner)
{
    FState = StateConstructing;
    FSysexOnly = false;
    FDeviceCount = static_cast<uint16_t>(midiInGetNumDevs());
    const auto finishConstruction = [this] {
        FCapacity = 1024;
        FSysexBufferSize = 4096;
        FSysexBufferCount = 16;
        FWindowHandle = std::make_unique<THiddenWindow>(
            [this](uint32_t msg, uintptr_t wParam, uintptr_t lParam) { WindowProc(msg, wParam, lParam); });
        FState = StateClosed;
    };
    try {
        setDeviceID(0);
    } catch (...) {
        finishConstruction();
        throw;
    }
    finishConstruction();
}

TMidiInput::~TMidiInput()
{
    if (FDeviceHandle) {
        try {
            Close();
        } catch (const std::exception &) {
            // Nothing can report it any more.
        }
    }
    // A device the driver would not close may still call back into the
    // buffer and control block: they stay rather than be pulled from under it.
    if (!FDeviceHandle)
        ReleaseSharedBlocks();
    FWindowHandle.reset();
}

void TMidiInput::Check(MMRESULT result)
{
    FError = static_cast<uint16_t>(result);
    if (FError != MMSYSERR_NOERROR)
        throw EMidiInputError(InputErrorText(result));
}

MIDIINCAPSA TMidiInput::QueryCaps(uint32_t deviceId)
{
    MIDIINCAPSA caps{};
    Check(midiInGetDevCapsA(deviceId, &caps, sizeof caps));
    return caps;
}

void TMidiInput::setDeviceID(uint16_t value)
{
    const uint32_t count = midiInGetNumDevs();
    if (count == 0)
        return;
    if (FState == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to DeviceID while device was open"));
    if (value >= count)
        return;
    FDeviceID = value;
    const MIDIINCAPSA caps = QueryCaps(value);
    FProductName = NameOf(caps);
    FDriverVersion = caps.vDriverVersion;
    FManufacturerID = caps.wMid;
    FProductID = caps.wPid;
}

void TMidiInput::setProductName(const QString &value)
{
    if (FState == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to ProductName while device was open"));
    if (FLoading)
        return;
    // With no device installed, device 0 is still asked for, and the
    // driver's refusal is what the caller sees.
    const uint32_t count = std::max(midiInGetNumDevs(), 1u);
    uint32_t found = 0;
    for (; found < count; ++found) {
        if (NameOf(QueryCaps(found)) == value) {
            FProductName = value;
            break;
        }
    }
    if (FProductName != value)
        throw EMidiInputError(QStringLiteral("MIDI Input Device ") + value + QStringLiteral(" not installed "));
    setDeviceID(static_cast<uint16_t>(found));
}

void TMidiInput::setSysexOnly(bool value)
{
    FSysexOnly = value;
    if (FControlBlock)
        FControlBlock->SysexOnly.store(value ? 1 : 0, std::memory_order_relaxed);
}

void TMidiInput::setThruDevice(platform::HMIDIOUT device)
{
    FThruDevice = device;
    if (FControlBlock)
        FControlBlock->ThruDevice.store(device, std::memory_order_release);
}

void TMidiInput::setSysexBufferSize(uint16_t value)
{
    if (FState == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to SysexBufferSize while device was open"));
    FSysexBufferSize = value;
}

void TMidiInput::setSysexBufferCount(uint16_t value)
{
    if (FState == StateOpen)
        throw EMidiInputError(QStringLiteral("Change to SysexBuffercount while device was open"));
    FSysexBufferCount = value;
}

void TMidiInput::Open()
{
    // A second open would be refused by the driver, and undoing it would
    // take the buffer from under the running device.
    if (FState == StateOpen)
        return;
    try {
        OpenDevice();
        FState = StateOpen;
    } catch (const std::exception &) {
        AbandonOpen();
    }
}

void TMidiInput::OpenDevice()
{
    if (!FBuffer)
        FBuffer = CreateEventBuffer(FCapacity);
    if (!FBuffer)
        throw std::bad_alloc();
    if (!FControlBlock)
        FControlBlock = AllocControlBlock();
    if (!FControlBlock)
        throw std::bad_alloc();
    FControlBlock->Buffer = FBuffer;
    FControlBlock->TargetWindow = FWindowHandle.get();
    FControlBlock->SysexOnly.store(FSysexOnly ? 1 : 0, std::memory_order_relaxed);
    FControlBlock->Session = ++FSession;
    FControlBlock->NoticePending.store(0, std::memory_order_relaxed);
    FControlBlock->LossPending.store(0, std::memory_order_relaxed);
    FControlBlock->ThruDevice.store(FThruDevice, std::memory_order_relaxed);
    FControlBlock->Unechoed.store(0, std::memory_order_relaxed);
    FHoldingUnechoed = false;
    Check(midiInOpen(&FDeviceHandle, FDeviceID, MidiCallback, reinterpret_cast<uintptr_t>(FControlBlock),
                     CALLBACK_FUNCTION));
    CreateReceiveBuffers();
    AddReceiveBuffers();
}

void TMidiInput::CreateReceiveBuffers()
{
    if (FSysexBufferCount == 0 || FSysexBufferSize == 0 || !FDeviceHandle)
        return;
    for (uint16_t i = 0; i < FSysexBufferCount; ++i) {
        auto block = std::make_unique<TMyMidiHdr>(FSysexBufferSize);
        block->Header->dwUser = reinterpret_cast<uintptr_t>(block.get());
        Check(midiInPrepareHeader(FDeviceHandle, block->Header, HeaderSize));
        FReceiveBuffers.push_back(std::move(block));
    }
}

void TMidiInput::AddReceiveBuffers()
{
    for (const auto &block : FReceiveBuffers)
        Check(midiInAddBuffer(FDeviceHandle, block->Header, HeaderSize));
}

// A failed open must not leave the driver holding a device, or headers and
// blocks that nothing will ever release: whatever was opened or handed over
// is taken back before the shared blocks go.
void TMidiInput::AbandonOpen()
{
    if (FDeviceHandle) {
        midiInReset(FDeviceHandle);
        for (const auto &block : FReceiveBuffers)
            midiInUnprepareHeader(FDeviceHandle, block->Header, HeaderSize);
        midiInClose(FDeviceHandle);
        FDeviceHandle = nullptr;
    }
    FReceiveBuffers.clear();
    ReleaseSharedBlocks();
}

void TMidiInput::ReleaseSharedBlocks()
{
    FreeEventBuffer(FBuffer);
    FBuffer = nullptr;
    FreeControlBlock(FControlBlock);
    FControlBlock = nullptr;
}

void TMidiInput::Start()
{
    if (FState == StateOpen)
        Check(midiInStart(FDeviceHandle));
}

void TMidiInput::Close()
{
    if (FState != StateOpen)
        return;
    FState = StateClosed;
    Check(midiInReset(FDeviceHandle));
    ReleaseReceiveBuffers();
    Check(midiInClose(FDeviceHandle));
    FDeviceHandle = nullptr;
    FreeEventBuffer(FBuffer);
    FBuffer = nullptr;
}

void TMidiInput::ReleaseReceiveBuffers()
{
    while (!FReceiveBuffers.empty()) {
        Check(midiInUnprepareHeader(FDeviceHandle, FReceiveBuffers.front()->Header, HeaderSize));
        FReceiveBuffers.erase(FReceiveBuffers.begin());
    }
}

uint16_t TMidiInput::PendingCount() const
{
    if (FState != StateOpen || !FBuffer)
        return 0;
    return FBuffer->EventCount.load(std::memory_order_acquire);
}

uint32_t TMidiInput::LostCount() const
{
    if (FState != StateOpen || !FBuffer)
        return 0;
    return FBuffer->LostCount.load(std::memory_order_relaxed);
}

std::unique_ptr<TMyMidiEvent> TMidiInput::ReadEvent()
{
    if (FState != StateOpen)
        return nullptr;
    // Back for more: the event taken last has been handled, its echo sent.
    if (std::exchange(FHoldingUnechoed, false))
        FControlBlock->Unechoed.fetch_sub(1, std::memory_order_release);
    TEventBufferItem item{};
    if (!PeekEvent(FBuffer, item))
        return nullptr;
    auto event = std::make_unique<TMyMidiEvent>();
    event->TimeStamp = item.TimeStamp;
    if (!item.SysexHeader) {
        Unpack(item.PackedMessage, *event);
    } else {
        CopySysex(*item.SysexHeader, *event);
        Check(GiveBack(item.SysexHeader));
    }
    DropEvent(FBuffer);
    FHoldingUnechoed = !event->Echoed;
    return event;
}

MMRESULT TMidiInput::GiveBack(MIDIHDR *header)
{
    MMRESULT result = midiInPrepareHeader(FDeviceHandle, header, HeaderSize);
    if (result == MMSYSERR_NOERROR)
        result = midiInAddBuffer(FDeviceHandle, header, HeaderSize);
    return result;
}

// A block the full buffer could not take is of no use to anyone, but its
// receive buffer is: kept back, every lost block would leave the driver one
// buffer short until none is left for system-exclusive input.
void TMidiInput::EventLost(MIDIHDR *sysexHeader)
{
    const MMRESULT result = sysexHeader ? GiveBack(sysexHeader) : MMSYSERR_NOERROR;
    emit OnOverflow(this);
    Check(result);
}

void TMidiInput::WindowProc(uint32_t msg, uintptr_t wParam, uintptr_t lParam)
{
    // The notice is taken: what the driver stores from now on is announced
    // anew. Acquiring here makes every event announced so far visible below.
    if (FControlBlock && msg == MsgEventsWaiting)
        FControlBlock->NoticePending.exchange(0, std::memory_order_acq_rel);
    if (FControlBlock && msg == MsgBufferFull && lParam == 0)
        FControlBlock->LossPending.exchange(0, std::memory_order_acq_rel);
    if (FState != StateOpen)
        return;
    if (msg == MsgEventsWaiting && PendingCount() > 0)
        emit OnMidiInput(this);
    // A loss reported to an earlier opening names a header that is gone, or
    // one that now belongs to this opening's driver.
    else if (msg == MsgBufferFull && wParam == FSession)
        EventLost(reinterpret_cast<MIDIHDR *>(lParam));
}
