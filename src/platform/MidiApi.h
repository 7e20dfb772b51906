#pragma once

// The program's MIDI driver interface: devices by number, capability records
// with product names, numeric result codes with error texts, device -1 the
// mapper, and a callback function called on a driver thread.
//
// Behind it stand three drivers, chosen once per process:
//  - HARMONOVA_MIDI=loopback: output "Loopback Out" and input "Loopback In"
//    only (for tests, benchmarks and checks from outside);
//  - otherwise the built-in synthesizer (output 0, "Built-in Synthesizer",
//    also the mapper) followed by the ALSA sequencer's ports.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using MMRESULT = uint32_t;

// Result codes.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68; // the mapper has no port to stand for
constexpr MMRESULT MIDIERR_BADOPENMODE = 70;

// Device number of the mapper: the first output device.
constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFFu;

// Callback kind accepted by the open functions.
constexpr uint32_t CALLBACK_FUNCTION = 0x30000;

// Notices passed to the callback.
constexpr uint32_t MIM_OPEN = 0x3C1;
constexpr uint32_t MIM_CLOSE = 0x3C2;
constexpr uint32_t MIM_DATA = 0x3C3;
constexpr uint32_t MIM_LONGDATA = 0x3C4;
constexpr uint32_t MIM_ERROR = 0x3C5;
constexpr uint32_t MIM_LONGERROR = 0x3C6;
constexpr uint32_t MOM_OPEN = 0x3C7;
constexpr uint32_t MOM_CLOSE = 0x3C8;
constexpr uint32_t MOM_DONE = 0x3C9;

// Header flags.
constexpr uint32_t MHDR_DONE = 0x1;
constexpr uint32_t MHDR_PREPARED = 0x2;
constexpr uint32_t MHDR_INQUEUE = 0x4;

constexpr std::size_t MAXPNAMELEN = 32;

// A block of system-exclusive data travelling between the program and a driver.
struct MIDIHDR {
    char *lpData = nullptr;
    uint32_t dwBufferLength = 0;
    uint32_t dwBytesRecorded = 0;
    uintptr_t dwUser = 0;
    uint32_t dwFlags = 0;
    MIDIHDR *lpNext = nullptr;
    uintptr_t reserved = 0;
    uint32_t dwOffset = 0;
    uintptr_t dwReserved[4] = {};
};

struct MIDIOUTCAPSA {
    uint16_t wMid = 0;
    uint16_t wPid = 0;
    uint32_t vDriverVersion = 0;
    char szPname[MAXPNAMELEN] = {};
    uint16_t wTechnology = 0;
    uint16_t wVoices = 0;
    uint16_t wNotes = 0;
    uint16_t wChannelMask = 0;
    uint32_t dwSupport = 0;
};

struct MIDIINCAPSA {
    uint16_t wMid = 0;
    uint16_t wPid = 0;
    uint32_t vDriverVersion = 0;
    char szPname[MAXPNAMELEN] = {};
    uint32_t dwSupport = 0;
};

// Technology values of an output.
constexpr uint16_t MOD_MIDIPORT = 1;
constexpr uint16_t MOD_SWSYNTH = 7;

struct MidiOutDevice;
struct MidiInDevice;
using HMIDIOUT = MidiOutDevice *;
using HMIDIIN = MidiInDevice *;

// Called on a driver thread (or, for MOM_DONE, possibly on the caller's).
// For MIM_DATA param1 is the packed short message, param2 the time stamp in
// milliseconds since midiInStart; for MIM_LONGDATA / MIM_LONGERROR param1 is
// the MIDIHDR*; for MOM_DONE param1 is the MIDIHDR*.
using MidiCallbackProc = void (*)(void *handle, uint32_t msg, uintptr_t instance, uintptr_t param1, uintptr_t param2);

// Output.
uint32_t midiOutGetNumDevs();
MMRESULT midiOutGetDevCapsA(uintptr_t deviceId, MIDIOUTCAPSA *caps, uint32_t capsSize);
MMRESULT midiOutOpen(HMIDIOUT *handle, uint32_t deviceId, MidiCallbackProc callback, uintptr_t instance,
                     uint32_t flags);
MMRESULT midiOutShortMsg(HMIDIOUT handle, uint32_t message);
MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiOutClose(HMIDIOUT handle);
MMRESULT midiOutGetErrorTextA(MMRESULT code, char *text, uint32_t textSize);

// Input.
uint32_t midiInGetNumDevs();
MMRESULT midiInGetDevCapsA(uintptr_t deviceId, MIDIINCAPSA *caps, uint32_t capsSize);
MMRESULT midiInOpen(HMIDIIN *handle, uint32_t deviceId, MidiCallbackProc callback, uintptr_t instance, uint32_t flags);
MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR *header, uint32_t headerSize);
MMRESULT midiInStart(HMIDIIN handle);
MMRESULT midiInStop(HMIDIIN handle);
MMRESULT midiInReset(HMIDIIN handle);
MMRESULT midiInClose(HMIDIIN handle);
MMRESULT midiInGetErrorTextA(MMRESULT code, char *text, uint32_t textSize);

// The loopback driver, as tests reach it in-process.
namespace loopback {
// Every message and block the loopback output received since the last Clear
// (the newest million at most), as the bytes a device would get.
std::vector<std::vector<uint8_t>> Sent();
void ClearSent();
// Delivers raw MIDI bytes to the loopback input as a device would, on the
// driver's thread. Returns false when the input is not open and started.
bool Feed(const std::vector<uint8_t> &bytes);
} // namespace loopback

// Forgets the chosen driver so the next call chooses again from the
// environment (tests switch drivers between cases). No device may be open.
void MidiDriverResetForTest();

} // namespace platform
