#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Length in bytes of a message that starts with this status byte; 0 for a
// data byte and for F0, whose block runs to its F7.
std::size_t MidiMessageLength(uint8_t status);

// A short message packed as the device API passes it: status in bits 0-7,
// first data byte in bits 8-15, second in bits 16-23.
uint32_t PackShortMessage(const uint8_t *bytes, std::size_t count);
// The bytes of a packed short message, as many as its status needs.
std::vector<uint8_t> UnpackShortMessage(uint32_t packed);

// Splits a raw MIDI byte stream, as a port delivers it, into messages:
// channel messages with running status, system common messages with their
// lengths, real-time bytes (F8..FF) on their own even in the middle of a
// system-exclusive block, and system-exclusive blocks F0..F7 whole.
class MidiParser {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void ShortMessage(uint32_t packed) = 0;
        // complete is false when a status byte cut the block short (the block
        // then holds what came before it) or the block grew too long.
        virtual void SysexBlock(const std::vector<uint8_t> &block, bool complete) = 0;
    };

    // A block longer than this is handed on broken and its rest skipped, so
    // an endless stream of data bytes cannot exhaust memory.
    static constexpr std::size_t MaxSysexLength = std::size_t{1} << 20;

    void Push(const uint8_t *bytes, std::size_t count, Listener &listener);
    void Reset();

private:
    void SysexByte(uint8_t byte, Listener &listener);
    void EndSysex(bool complete, Listener &listener);
    void StatusByte(uint8_t byte, Listener &listener);
    void DataByte(uint8_t byte, Listener &listener);

    bool inSysex_ = false;
    std::vector<uint8_t> sysex_;
    // The status in effect: a channel status (running status) or a system
    // common message waiting for its data; 0 when data bytes have no owner.
    uint8_t status_ = 0;
    uint8_t data_[2] = {};
    std::size_t have_ = 0;
};

} // namespace platform
