#include "platform/MidiApi.h"
#include "platform/MidiDriver.h"
#include "platform/MidiParser.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace platform {

// ---------------------------------------------------------------------------
// Open devices

struct MidiOutDevice {
    std::shared_ptr<MidiDriver> driver; // keeps the driver alive while a port of it is open
    std::unique_ptr<MidiOutputPort> port;
    MidiCallbackProc callback = nullptr;
    uintptr_t instance = 0;
    std::mutex mutex;
    uint8_t runningStatus = 0;

    void Notify(uint32_t msg, uintptr_t param1 = 0)
    {
        if (callback)
            callback(this, msg, instance, param1, 0);
    }
};

struct MidiInDevice final : MidiByteSink, MidiParser::Listener {
    std::shared_ptr<MidiDriver> driver;
    std::unique_ptr<MidiInputPort> port;
    MidiCallbackProc callback = nullptr;
    uintptr_t instance = 0;

    // Held while bytes from the driver are turned into callbacks, so that
    // once start, stop or reset returns no delivery is half done. Recursive
    // because a callback may call back into the API on the driver thread.
    std::recursive_mutex delivery;
    MidiParser parser; // driver thread only
    bool started = false;
    std::chrono::steady_clock::time_point startTime;

    std::mutex queueMutex;
    std::deque<MIDIHDR *> queue; // buffers the program handed over, oldest first

    void Notify(uint32_t msg, uintptr_t param1 = 0, uintptr_t param2 = 0)
    {
        if (callback)
            callback(this, msg, instance, param1, param2);
    }

    uint32_t TimeStamp() const
    {
        const auto elapsed = std::chrono::steady_clock::now() - startTime;
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

    MIDIHDR *TakeBuffer()
    {
        std::lock_guard lock(queueMutex);
        if (queue.empty())
            return nullptr;
        MIDIHDR *header = queue.front();
        queue.pop_front();
        return header;
    }

    static void MarkDone(MIDIHDR *header) { header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE; }

    void Receive(const uint8_t *bytes, std::size_t count) override
    {
        std::lock_guard lock(delivery);
        // Bytes are parsed even while stopped, so that the first message after
        // a start is read with the stream's true running status.
        parser.Push(bytes, count, *this);
    }

    void ShortMessage(uint32_t packed) override
    {
        if (started)
            Notify(MIM_DATA, packed, TimeStamp());
    }

    // Fills the queued buffers in turn; a block larger than a buffer continues
    // in the next one, and what finds no buffer is lost, as with a device.
    void SysexBlock(const std::vector<uint8_t> &block, bool complete) override
    {
        if (!started)
            return;
        std::size_t done = 0;
        while (done < block.size()) {
            MIDIHDR *header = TakeBuffer();
            if (!header)
                return;
            const std::size_t part = std::min<std::size_t>(block.size() - done, header->dwBufferLength);
            std::memcpy(header->lpData, block.data() + done, part);
            header->dwBytesRecorded = static_cast<uint32_t>(part);
            done += part;
            MarkDone(header);
            const bool broken = !complete && done == block.size();
            Notify(broken ? MIM_LONGERROR : MIM_LONGDATA, reinterpret_cast<uintptr_t>(header), TimeStamp());
        }
    }

    // Hands every waiting buffer back empty.
    void ReturnBuffers()
    {
        while (MIDIHDR *header = TakeBuffer()) {
            header->dwBytesRecorded = 0;
            MarkDone(header);
            Notify(MIM_LONGDATA, reinterpret_cast<uintptr_t>(header), TimeStamp());
        }
    }

    bool HasQueuedBuffers()
    {
        std::lock_guard lock(queueMutex);
        return !queue.empty();
    }
};

namespace {

// Handles are the devices' addresses; the table tells a live handle from a
// null, stale or made-up one without touching the memory it points to.
template <typename Device> class HandleTable {
public:
    void Add(const std::shared_ptr<Device> &device)
    {
        std::lock_guard lock(mutex_);
        devices_[device.get()] = device;
    }
    std::shared_ptr<Device> Find(Device *handle)
    {
        std::lock_guard lock(mutex_);
        const auto it = devices_.find(handle);
        return it == devices_.end() ? nullptr : it->second;
    }
    std::shared_ptr<Device> Remove(Device *handle)
    {
        std::lock_guard lock(mutex_);
        const auto it = devices_.find(handle);
        if (it == devices_.end())
            return nullptr;
        auto device = std::move(it->second);
        devices_.erase(it);
        return device;
    }

private:
    std::mutex mutex_;
    std::unordered_map<Device *, std::shared_ptr<Device>> devices_;
};

// Left alive at exit: a driver thread may still be delivering while static
// objects are destroyed.
HandleTable<MidiOutDevice> &OpenOutputs()
{
    static auto *table = new HandleTable<MidiOutDevice>;
    return *table;
}

HandleTable<MidiInDevice> &OpenInputs()
{
    static auto *table = new HandleTable<MidiInDevice>;
    return *table;
}

struct DriverChoice {
    std::mutex mutex;
    std::shared_ptr<MidiDriver> driver;
};

DriverChoice &Choice()
{
    static auto *choice = new DriverChoice;
    return *choice;
}

bool LoopbackWanted()
{
    const char *value = std::getenv("HARMONOVA_MIDI");
    return value && std::string_view(value) == "loopback";
}

// ---------------------------------------------------------------------------
// Device numbers and capabilities

bool IsMapper(uintptr_t deviceId)
{
    // Callers pass -1 either as a 32-bit value or widened to the pointer size.
    return deviceId == MIDI_MAPPER || deviceId == UINTPTR_MAX;
}

MMRESULT ResolveOutput(uintptr_t deviceId, std::size_t count, std::size_t &index)
{
    if (IsMapper(deviceId)) {
        if (count == 0)
            return MIDIERR_NODEVICE;
        index = 0;
        return MMSYSERR_NOERROR;
    }
    if (deviceId >= count)
        return MMSYSERR_BADDEVICEID;
    index = deviceId;
    return MMSYSERR_NOERROR;
}

MMRESULT ResolveInput(uintptr_t deviceId, std::size_t count, std::size_t &index)
{
    if (deviceId >= count)
        return MMSYSERR_BADDEVICEID; // inputs have no mapper
    index = deviceId;
    return MMSYSERR_NOERROR;
}

// Cuts at a character boundary so a long UTF-8 name stays valid text.
void CopyName(const std::string &name, char (&target)[MAXPNAMELEN])
{
    std::size_t length = std::min(name.size(), MAXPNAMELEN - 1);
    if (length < name.size())
        while (length > 0 && (static_cast<uint8_t>(name[length]) & 0xC0) == 0x80)
            --length;
    std::memcpy(target, name.data(), length);
    target[length] = '\0';
}

constexpr uint32_t DriverVersion = 0x0100;

template <typename Caps> MMRESULT CopyCaps(const Caps &filled, Caps *caps, uint32_t capsSize)
{
    if (!caps)
        return MMSYSERR_INVALPARAM;
    std::memcpy(caps, &filled, std::min<std::size_t>(capsSize, sizeof(Caps)));
    return MMSYSERR_NOERROR;
}

MMRESULT CheckOpenArguments(const void *handle, MidiCallbackProc callback, uint32_t flags)
{
    if (!handle)
        return MMSYSERR_INVALPARAM;
    if (flags != 0 && flags != CALLBACK_FUNCTION)
        return MMSYSERR_INVALFLAG; // only function callbacks (or none) exist here
    if (flags == CALLBACK_FUNCTION && !callback)
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

// ---------------------------------------------------------------------------
// Headers

bool IsPrepared(const MIDIHDR *header)
{
    return header->dwFlags & MHDR_PREPARED;
}

bool IsQueued(const MIDIHDR *header)
{
    return header->dwFlags & MHDR_INQUEUE;
}

MMRESULT Prepare(MIDIHDR *header)
{
    if (!header || !header->lpData || header->dwBufferLength == 0)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(MIDIHDR *header)
{
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (IsQueued(header))
        return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

// A header the program may hand to the driver.
MMRESULT CheckHandOver(const MIDIHDR *header)
{
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (!IsPrepared(header))
        return MIDIERR_UNPREPARED;
    if (IsQueued(header))
        return MIDIERR_STILLPLAYING;
    if (!header->lpData || header->dwBufferLength == 0)
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

// ---------------------------------------------------------------------------
// Error texts, the same for inputs and outputs

const char *ErrorText(MMRESULT code)
{
    switch (code) {
    case MMSYSERR_NOERROR:
        return "The operation completed successfully.";
    case MMSYSERR_ERROR:
        return "An unspecified error occurred in the MIDI driver.";
    case MMSYSERR_BADDEVICEID:
        return "The specified device identifier is out of range.";
    case MMSYSERR_NOTENABLED:
        return "The device could not be started: no audio output could be opened.";
    case MMSYSERR_ALLOCATED:
        return "The specified device is already in use.";
    case MMSYSERR_INVALHANDLE:
        return "The specified device handle is invalid.";
    case MMSYSERR_NODRIVER:
        return "The driver of the device is not available.";
    case MMSYSERR_NOMEM:
        return "There is not enough memory for the operation.";
    case MMSYSERR_BADERRNUM:
        return "The error number is out of range.";
    case MMSYSERR_INVALFLAG:
        return "An invalid flag was passed to the MIDI function.";
    case MMSYSERR_INVALPARAM:
        return "An invalid parameter was passed to the MIDI function.";
    case MIDIERR_UNPREPARED:
        return "The buffer header has not been prepared.";
    case MIDIERR_STILLPLAYING:
        return "A buffer is still in the driver's queue.";
    case MIDIERR_NOTREADY:
        return "The device is busy; try again later.";
    case MIDIERR_NODEVICE:
        return "No MIDI port was found.";
    case MIDIERR_BADOPENMODE:
        return "The operation is not possible in the mode the device was opened in.";
    default:
        return nullptr;
    }
}

MMRESULT CopyErrorText(MMRESULT code, char *text, uint32_t textSize)
{
    if (!text || textSize == 0)
        return MMSYSERR_INVALPARAM;
    text[0] = '\0';
    const char *message = ErrorText(code);
    if (!message)
        return MMSYSERR_BADERRNUM;
    const std::size_t length = std::min<std::size_t>(std::strlen(message), textSize - 1);
    std::memcpy(text, message, length);
    text[length] = '\0';
    return MMSYSERR_NOERROR;
}

} // namespace

std::shared_ptr<MidiDriver> CurrentMidiDriver()
{
    DriverChoice &choice = Choice();
    std::lock_guard lock(choice.mutex);
    if (!choice.driver)
        choice.driver = LoopbackWanted() ? CreateLoopbackDriver() : CreateSystemDriver();
    return choice.driver;
}

void MidiDriverResetForTest()
{
    DriverChoice &choice = Choice();
    std::lock_guard lock(choice.mutex);
    choice.driver.reset();
}

// ---------------------------------------------------------------------------
// Output

uint32_t midiOutGetNumDevs()
{
    return static_cast<uint32_t>(CurrentMidiDriver()->Outputs().size());
}

MMRESULT midiOutGetDevCapsA(uintptr_t deviceId, MIDIOUTCAPSA *caps, uint32_t capsSize)
{
    const auto outputs = CurrentMidiDriver()->Outputs();
    std::size_t index = 0;
    if (const MMRESULT result = ResolveOutput(deviceId, outputs.size(), index))
        return result;
    const MidiPortInfo &info = outputs[index];
    MIDIOUTCAPSA filled;
    filled.vDriverVersion = DriverVersion;
    CopyName(info.name, filled.szPname);
    filled.wTechnology = info.technology;
    filled.wVoices = info.voices;
    filled.wNotes = info.notes;
    filled.wChannelMask = 0xFFFF;
    return CopyCaps(filled, caps, capsSize);
}

MMRESULT midiOutOpen(HMIDIOUT *handle, uint32_t deviceId, MidiCallbackProc callback, uintptr_t instance, uint32_t flags)
{
    if (const MMRESULT result = CheckOpenArguments(handle, callback, flags))
        return result;
    *handle = nullptr;
    auto device = std::make_shared<MidiOutDevice>();
    device->driver = CurrentMidiDriver();
    std::size_t index = 0;
    if (const MMRESULT result = ResolveOutput(deviceId, device->driver->Outputs().size(), index))
        return result;
    if (const MMRESULT result = device->driver->OpenOutput(index, device->port))
        return result;
    device->callback = flags == CALLBACK_FUNCTION ? callback : nullptr;
    device->instance = instance;
    OpenOutputs().Add(device);
    *handle = device.get();
    device->Notify(MOM_OPEN);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message)
{
    const auto device = OpenOutputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->mutex);
    // Closed by another thread since it was found: nothing to send to.
    if (!device->port)
        return MMSYSERR_INVALHANDLE;
    uint8_t bytes[3] = {uint8_t(message), uint8_t(message >> 8), uint8_t(message >> 16)};
    if (bytes[0] < 0x80) {
        // Data bytes first: the message continues the last status sent.
        if (device->runningStatus == 0)
            return MMSYSERR_INVALPARAM;
        bytes[2] = bytes[1];
        bytes[1] = bytes[0];
        bytes[0] = device->runningStatus;
    }
    const uint8_t status = bytes[0];
    if (status == 0xF0 || status == 0xF7)
        return MMSYSERR_INVALPARAM; // system-exclusive data travels in long messages
    const std::size_t length = MidiMessageLength(status);
    // A data byte with its top bit set is a status byte to the device: a
    // note of 0xC8 would reach it as the start of a program change, 0xFF as
    // a System Reset.
    if (std::any_of(bytes + 1, bytes + length, [](uint8_t data) { return data > 0x7F; }))
        return MMSYSERR_INVALPARAM;
    if (status < 0xF0)
        device->runningStatus = status;
    else if (status < 0xF8)
        device->runningStatus = 0;
    return device->port->SendShort(bytes, length);
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    if (!OpenOutputs().Find(handle))
        return MMSYSERR_INVALHANDLE;
    return Prepare(header);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    if (!OpenOutputs().Find(handle))
        return MMSYSERR_INVALHANDLE;
    return Unprepare(header);
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    const auto device = OpenOutputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (const MMRESULT result = CheckHandOver(header))
        return result;
    {
        std::lock_guard lock(device->mutex);
        if (!device->port)
            return MMSYSERR_INVALHANDLE;
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        const MMRESULT result =
            device->port->SendLong(reinterpret_cast<const uint8_t *>(header->lpData), header->dwBufferLength);
        header->dwFlags &= ~MHDR_INQUEUE;
        // A block may hold any bytes; what follows it must carry its own status.
        device->runningStatus = 0;
        if (result != MMSYSERR_NOERROR)
            return result;
        header->dwFlags |= MHDR_DONE;
    }
    device->Notify(MOM_DONE, reinterpret_cast<uintptr_t>(header));
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT handle)
{
    const auto device = OpenOutputs().Remove(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard lock(device->mutex);
        device->port.reset();
    }
    device->Notify(MOM_CLOSE);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutGetErrorTextA(MMRESULT code, char *text, uint32_t textSize)
{
    return CopyErrorText(code, text, textSize);
}

// ---------------------------------------------------------------------------
// Input

uint32_t midiInGetNumDevs()
{
    return static_cast<uint32_t>(CurrentMidiDriver()->Inputs().size());
}

MMRESULT midiInGetDevCapsA(uintptr_t deviceId, MIDIINCAPSA *caps, uint32_t capsSize)
{
    const auto inputs = CurrentMidiDriver()->Inputs();
    std::size_t index = 0;
    if (const MMRESULT result = ResolveInput(deviceId, inputs.size(), index))
        return result;
    MIDIINCAPSA filled;
    filled.vDriverVersion = DriverVersion;
    CopyName(inputs[index].name, filled.szPname);
    return CopyCaps(filled, caps, capsSize);
}

MMRESULT midiInOpen(HMIDIIN *handle, uint32_t deviceId, MidiCallbackProc callback, uintptr_t instance, uint32_t flags)
{
    if (const MMRESULT result = CheckOpenArguments(handle, callback, flags))
        return result;
    *handle = nullptr;
    auto device = std::make_shared<MidiInDevice>();
    device->driver = CurrentMidiDriver();
    device->callback = flags == CALLBACK_FUNCTION ? callback : nullptr;
    device->instance = instance;
    std::size_t index = 0;
    if (const MMRESULT result = ResolveInput(deviceId, device->driver->Inputs().size(), index))
        return result;
    if (const MMRESULT result = device->driver->OpenInput(index, *device, device->port))
        return result;
    OpenInputs().Add(device);
    *handle = device.get();
    device->Notify(MIM_OPEN);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    if (!OpenInputs().Find(handle))
        return MMSYSERR_INVALHANDLE;
    return Prepare(header);
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->queueMutex);
    return Unprepare(header);
}

MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR *header, uint32_t /*headerSize*/)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->queueMutex);
    if (const MMRESULT result = CheckHandOver(header))
        return result;
    header->dwBytesRecorded = 0;
    header->lpNext = nullptr;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    device->queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInStart(HMIDIIN handle)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->delivery);
    if (!device->started) {
        device->startTime = std::chrono::steady_clock::now();
        device->started = true;
        device->port->Start();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiInStop(HMIDIIN handle)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->delivery);
    device->started = false;
    device->port->Stop();
    return MMSYSERR_NOERROR;
}

MMRESULT midiInReset(HMIDIIN handle)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(device->delivery);
    device->started = false;
    device->port->Stop();
    device->ReturnBuffers();
    return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN handle)
{
    const auto device = OpenInputs().Find(handle);
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (device->HasQueuedBuffers())
        return MIDIERR_STILLPLAYING; // the program must take its buffers back first (reset)
    OpenInputs().Remove(handle);
    // Not under the delivery lock: the driver thread may be waiting for it,
    // and the port's destructor waits for that thread.
    device->port.reset();
    device->Notify(MIM_CLOSE);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInGetErrorTextA(MMRESULT code, char *text, uint32_t textSize)
{
    return CopyErrorText(code, text, textSize);
}

} // namespace platform
