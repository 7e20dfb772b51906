#pragma once

// What a MIDI driver provides behind the device API: its list of ports and
// open ports that send bytes or deliver the bytes they receive. The API layer
// does everything the drivers share (handles, device numbers, headers,
// running status, parsing input, callbacks), so a driver stays small.
#include "platform/MidiApi.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// One listed device, as its capability record describes it.
struct MidiPortInfo {
    std::string name;
    uint16_t technology = MOD_MIDIPORT;
    uint16_t voices = 0;
    uint16_t notes = 0;
};

class MidiOutputPort {
public:
    virtual ~MidiOutputPort() = default;
    // One complete short message, status byte first.
    virtual MMRESULT SendShort(const uint8_t *bytes, std::size_t count) = 0;
    // A block of raw bytes, usually one system-exclusive message F0..F7.
    virtual MMRESULT SendLong(const uint8_t *bytes, std::size_t count) = 0;
};

// Where an input port hands the raw bytes it receives, on its driver thread,
// in the order they arrived.
class MidiByteSink {
public:
    virtual ~MidiByteSink() = default;
    virtual void Receive(const uint8_t *bytes, std::size_t count) = 0;
};

class MidiInputPort {
public:
    // Stops the driver thread and waits for it: no byte reaches the sink once
    // the destructor has returned.
    virtual ~MidiInputPort() = default;
    virtual void Start() {}
    virtual void Stop() {}
};

class MidiDriver {
public:
    virtual ~MidiDriver() = default;
    virtual std::vector<MidiPortInfo> Outputs() = 0;
    virtual std::vector<MidiPortInfo> Inputs() = 0;
    // index is a position in the list the driver returned last.
    virtual MMRESULT OpenOutput(std::size_t index, std::unique_ptr<MidiOutputPort> &port) = 0;
    virtual MMRESULT OpenInput(std::size_t index, MidiByteSink &sink, std::unique_ptr<MidiInputPort> &port) = 0;
};

// The driver this process uses, chosen from the environment on first use.
std::shared_ptr<MidiDriver> CurrentMidiDriver();

std::shared_ptr<MidiDriver> CreateLoopbackDriver();
// The built-in synthesizer followed by the ALSA sequencer's ports.
std::shared_ptr<MidiDriver> CreateSystemDriver();

// ALSA reports its errors on stderr unless told otherwise; a missing
// sequencer or sound card is an ordinary condition here, not worth a line.
void SilenceAlsaErrors();

} // namespace platform
