#pragma once

#include "platform/MidiDriver.h"
#include "platform/MidiParser.h"

#include <memory>

namespace platform {

// The built-in General MIDI synthesizer: FluidSynth with the system's GM
// sound bank, playing through the default audio output or, without one,
// rendering on request (which lets tests listen to it).
class SoftSynth final : public MidiOutputPort, private MidiParser::Listener {
public:
    static constexpr const char *SoundBank = "/usr/share/sounds/sf2/default-GM.sf2";

    SoftSynth();
    ~SoftSynth() override;
    SoftSynth(const SoftSynth &) = delete;
    SoftSynth &operator=(const SoftSynth &) = delete;

    // Loads the sound bank and, with audio, opens the first audio output that
    // works. A failure leaves nothing allocated and gives the result code the
    // device open reports.
    MMRESULT Start(bool withAudio);
    double SampleRate() const;
    // Renders frames of sound (only when started without audio).
    void Render(float *left, float *right, int frames);

    MMRESULT SendShort(const uint8_t *bytes, std::size_t count) override;
    MMRESULT SendLong(const uint8_t *bytes, std::size_t count) override;

private:
    struct Engine;

    void ShortMessage(uint32_t packed) override;
    void SysexBlock(const std::vector<uint8_t> &block, bool complete) override;
    void Play(const uint8_t *bytes, std::size_t count);

    std::unique_ptr<Engine> engine_;
    MidiParser parser_; // for long messages, which may hold any bytes
};

} // namespace platform
