#pragma once

// The small types the MIDI input and output share: one received event, one
// system-exclusive header with its data block, and the packing of a short
// message into the driver's 32-bit value.
#include "platform/MidiApi.h"
#include "platform/SharedMemory.h"

#include <cstdint>
#include <memory>

// Status byte in bits 0-7, first data byte in bits 8-15, second in 16-23.
constexpr uint32_t PackShortMessage(uint8_t statusByte, uint8_t dataByte1, uint8_t dataByte2)
{
    return uint32_t{statusByte} | uint32_t{dataByte1} << 8 | uint32_t{dataByte2} << 16;
}

// One received event; whoever reads it owns it.
class TMyMidiEvent {
public:
    TMyMidiEvent() = default;
    TMyMidiEvent(const TMyMidiEvent &) = delete;
    TMyMidiEvent &operator=(const TMyMidiEvent &) = delete;

    uint8_t StatusByte = 0; // 0xF0 for a system-exclusive event
    uint8_t DataByte1 = 0;
    uint8_t DataByte2 = 0;
    uint32_t TimeStamp = 0;
    uint16_t SysexSize = 0;
    std::unique_ptr<uint8_t[]> SysexData; // the system-exclusive bytes; nullptr for a short message
    // It went out again on the input's thru device as it arrived (see
    // TMidiInput::setThruDevice), so its reader sends it on no more.
    bool Echoed = false;
};

// A MIDIHDR and its data block, both in shared memory because the driver's
// thread reads and fills them. Users point the header's dwUser back at the
// object so that a header returned by the driver leads to its owner.
class TMyMidiHdr {
public:
    // Size 0 allocates nothing and leaves every field nullptr. Throws
    // std::bad_alloc when memory runs out.
    explicit TMyMidiHdr(uint16_t size);
    ~TMyMidiHdr();
    TMyMidiHdr(const TMyMidiHdr &) = delete;
    TMyMidiHdr &operator=(const TMyMidiHdr &) = delete;

    platform::HGLOBAL HeaderMemory = nullptr;
    platform::MIDIHDR *Header = nullptr;
    platform::HGLOBAL DataMemory = nullptr;
    char *Data = nullptr;

private:
    void Release();
};
