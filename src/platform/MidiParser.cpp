#include "platform/MidiParser.h"

namespace platform {

namespace {

constexpr uint8_t SysexStart = 0xF0;
constexpr uint8_t SysexEnd = 0xF7;
constexpr uint8_t FirstRealTime = 0xF8;

bool IsStatus(uint8_t byte)
{
    return byte >= 0x80;
}

} // namespace

std::size_t MidiMessageLength(uint8_t status)
{
    if (!IsStatus(status) || status == SysexStart)
        return 0;
    if (status < 0xF0) {
        const uint8_t kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
    }
    switch (status) {
    case 0xF1: // time code quarter frame
    case 0xF3: // song select
        return 2;
    case 0xF2: // song position
        return 3;
    default:
        return 1;
    }
}

uint32_t PackShortMessage(const uint8_t *bytes, std::size_t count)
{
    uint32_t packed = 0;
    for (std::size_t i = 0; i < count && i < 3; ++i)
        packed |= uint32_t{bytes[i]} << (8 * i);
    return packed;
}

std::vector<uint8_t> UnpackShortMessage(uint32_t packed)
{
    const uint8_t bytes[3] = {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)};
    return {bytes, bytes + MidiMessageLength(bytes[0])};
}

void MidiParser::Reset()
{
    inSysex_ = false;
    sysex_.clear();
    status_ = 0;
    have_ = 0;
}

void MidiParser::Push(const uint8_t *bytes, std::size_t count, Listener &listener)
{
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= FirstRealTime)
            listener.ShortMessage(byte); // touches neither a block nor running status
        else if (inSysex_ && (!IsStatus(byte) || byte == SysexEnd))
            SysexByte(byte, listener);
        else if (IsStatus(byte))
            StatusByte(byte, listener);
        else
            DataByte(byte, listener);
    }
}

void MidiParser::SysexByte(uint8_t byte, Listener &listener)
{
    sysex_.push_back(byte);
    if (byte == SysexEnd)
        EndSysex(true, listener);
    else if (sysex_.size() >= MaxSysexLength)
        EndSysex(false, listener); // the rest has no status and is skipped
}

void MidiParser::EndSysex(bool complete, Listener &listener)
{
    inSysex_ = false;
    listener.SysexBlock(sysex_, complete);
    sysex_.clear();
}

void MidiParser::StatusByte(uint8_t byte, Listener &listener)
{
    if (inSysex_)
        EndSysex(false, listener);
    have_ = 0;
    // Only channel messages leave a running status; everything else cancels it.
    status_ = 0;
    if (byte == SysexStart) {
        inSysex_ = true;
        sysex_.assign(1, byte);
        return;
    }
    if (MidiMessageLength(byte) > 1) {
        status_ = byte;
        return;
    }
    // A stray F7 and the undefined F4 and F5 carry nothing; tune request is whole.
    if (byte == 0xF6)
        listener.ShortMessage(byte);
}

void MidiParser::DataByte(uint8_t byte, Listener &listener)
{
    if (status_ == 0)
        return; // no status to give it meaning
    data_[have_++] = byte;
    if (have_ + 1 < MidiMessageLength(status_))
        return;
    const uint8_t message[3] = {status_, data_[0], data_[1]};
    listener.ShortMessage(PackShortMessage(message, have_ + 1));
    have_ = 0;
    if (status_ >= 0xF0)
        status_ = 0;
}

} // namespace platform
