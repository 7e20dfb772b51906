#include "platform/MidiParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using platform::MidiParser;

namespace {

std::string Hex(const std::vector<uint8_t> &bytes)
{
    std::string text;
    for (uint8_t byte : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%s%02X", text.empty() ? "" : " ", byte);
        text += part;
    }
    return text;
}

// Writes what the parser hands on as lines: "90 3C 40" for a short message,
// "block F0 .. F7" or "broken F0 .." for system-exclusive blocks.
class Recorder : public MidiParser::Listener {
public:
    std::vector<std::string> events;

    void ShortMessage(uint32_t packed) override { events.push_back(Hex(platform::UnpackShortMessage(packed))); }
    void SysexBlock(const std::vector<uint8_t> &block, bool complete) override
    {
        events.push_back((complete ? "block " : "broken ") + Hex(block));
    }
};

struct ParseCase {
    const char *what;
    std::vector<uint8_t> input;
    std::vector<std::string> expected;
};

const ParseCase ParseCases[] = {
    {"note on", {0x90, 0x3C, 0x40}, {"90 3C 40"}},
    {"running status", {0x90, 0x3C, 0x40, 0x3E, 0x40, 0x40, 0x00}, {"90 3C 40", "90 3E 40", "90 40 00"}},
    {"program change and pressure take one data byte", {0xC1, 0x05, 0x06, 0xD2, 0x10}, {"C1 05", "C1 06", "D2 10"}},
    {"pitch bend", {0xE3, 0x00, 0x40}, {"E3 00 40"}},
    {"data without a status is dropped", {0x3C, 0x40, 0x80, 0x3C, 0x00}, {"80 3C 00"}},
    {"real-time inside a message", {0x90, 0x3C, 0xF8, 0x40}, {"F8", "90 3C 40"}},
    {"real-time keeps running status", {0x90, 0x3C, 0x40, 0xFE, 0x3E, 0x40}, {"90 3C 40", "FE", "90 3E 40"}},
    {"system common lengths", {0xF1, 0x12, 0xF2, 0x01, 0x02, 0xF3, 0x05, 0xF6}, {"F1 12", "F2 01 02", "F3 05", "F6"}},
    {"system common cancels running status", {0x90, 0x3C, 0x40, 0xF3, 0x05, 0x3E, 0x40}, {"90 3C 40", "F3 05"}},
    {"undefined and stray bytes carry nothing", {0xF4, 0xF5, 0xF7, 0x01}, {}},
    {"sysex whole", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, {"block F0 7E 7F 09 01 F7"}},
    {"real-time inside sysex comes out alone, block intact",
     {0xF0, 0x43, 0x12, 0xF8, 0x00, 0xF7},
     {"F8", "block F0 43 12 00 F7"}},
    {"sysex cut short by a status byte", {0xF0, 0x43, 0x12, 0x90, 0x3C, 0x40}, {"broken F0 43 12", "90 3C 40"}},
    {"sysex cut short by another sysex", {0xF0, 0x01, 0xF0, 0x02, 0xF7}, {"broken F0 01", "block F0 02 F7"}},
    {"sysex cancels running status", {0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7, 0x3E, 0x40}, {"90 3C 40", "block F0 01 F7"}},
};

class ParseBytes : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseBytes, GivesTheMessagesADeviceWould)
{
    const ParseCase &c = GetParam();
    MidiParser parser;
    Recorder whole;
    parser.Push(c.input.data(), c.input.size(), whole);
    EXPECT_EQ(whole.events, c.expected) << c.what;

    // Bytes arrive in whatever pieces the port reads them: one at a time must give the same.
    MidiParser bytewise;
    Recorder split;
    for (uint8_t byte : c.input)
        bytewise.Push(&byte, 1, split);
    EXPECT_EQ(split.events, c.expected) << c.what << " (byte by byte)";
}

INSTANTIATE_TEST_SUITE_P(MidiParser, ParseBytes, testing::ValuesIn(ParseCases));

TEST(MidiParser, EndlessSysexIsHandedOnBrokenAndItsRestSkipped)
{
    MidiParser parser;
    Recorder recorder;
    std::vector<uint8_t> bytes(MidiParser::MaxSysexLength + 100, 0x11);
    bytes[0] = 0xF0;
    bytes.push_back(0xF7);
    bytes.insert(bytes.end(), {0x90, 0x3C, 0x40});
    parser.Push(bytes.data(), bytes.size(), recorder);
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].rfind("broken F0 11", 0), 0u);
    EXPECT_EQ(recorder.events[0].size(), std::string("broken ").size() + MidiParser::MaxSysexLength * 3 - 1);
    EXPECT_EQ(recorder.events[1], "90 3C 40");
}

TEST(MidiParser, MessageLengthFollowsTheStatus)
{
    struct {
        uint8_t status;
        std::size_t length;
    } const cases[] = {{0x80, 3}, {0x9F, 3}, {0xA0, 3}, {0xB5, 3}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3}, {0xF0, 0},
                       {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF6, 1}, {0xF8, 1}, {0xFF, 1}, {0x3C, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(platform::MidiMessageLength(c.status), c.length) << std::hex << int(c.status);
}

} // namespace
