#include "platform/SoftSynth.h"

#include <fluidsynth.h>

#include <mutex>

namespace platform {

namespace {

void SilenceFluidSynth()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

// The system's default audio outputs, in the order a desktop prefers them.
const char *const AudioDrivers[] = {"pulseaudio", "alsa"};

} // namespace

struct SoftSynth::Engine {
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *audio = nullptr;

    ~Engine()
    {
        // The audio driver renders from the synth on its own thread: it goes first.
        if (audio)
            delete_fluid_audio_driver(audio);
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }

    bool OpenAudio()
    {
        for (const char *name : AudioDrivers) {
            if (fluid_settings_setstr(settings, "audio.driver", name) != FLUID_OK)
                continue;
            audio = new_fluid_audio_driver(settings, synth);
            if (audio)
                return true;
        }
        return false;
    }
};

SoftSynth::SoftSynth() = default;
SoftSynth::~SoftSynth() = default;

MMRESULT SoftSynth::Start(bool withAudio)
{
    SilenceFluidSynth();
    SilenceAlsaErrors();
    auto engine = std::make_unique<Engine>();
    engine->settings = new_fluid_settings();
    if (!engine->settings)
        return MMSYSERR_NOMEM;
    // Locking the samples in memory needs a privilege a desktop user lacks.
    fluid_settings_setint(engine->settings, "synth.lock-memory", 0);
    engine->synth = new_fluid_synth(engine->settings);
    if (!engine->synth)
        return MMSYSERR_NOMEM;
    if (fluid_synth_sfload(engine->synth, SoundBank, 1) == FLUID_FAILED)
        return MMSYSERR_NODRIVER;
    if (withAudio && !engine->OpenAudio())
        return MMSYSERR_NOTENABLED;
    engine_ = std::move(engine);
    return MMSYSERR_NOERROR;
}

double SoftSynth::SampleRate() const
{
    double rate = 44100;
    if (engine_)
        fluid_settings_getnum(engine_->settings, "synth.sample-rate", &rate);
    return rate;
}

void SoftSynth::Render(float *left, float *right, int frames)
{
    if (engine_ && !engine_->audio)
        fluid_synth_write_float(engine_->synth, frames, left, 0, 1, right, 0, 1);
}

MMRESULT SoftSynth::SendShort(const uint8_t *bytes, std::size_t count)
{
    if (!engine_)
        return MMSYSERR_NOTENABLED;
    Play(bytes, count);
    return MMSYSERR_NOERROR;
}

MMRESULT SoftSynth::SendLong(const uint8_t *bytes, std::size_t count)
{
    if (!engine_)
        return MMSYSERR_NOTENABLED;
    parser_.Push(bytes, count, *this);
    return MMSYSERR_NOERROR;
}

void SoftSynth::ShortMessage(uint32_t packed)
{
    const auto bytes = UnpackShortMessage(packed);
    Play(bytes.data(), bytes.size());
}

void SoftSynth::SysexBlock(const std::vector<uint8_t> &block, bool complete)
{
    if (!complete || block.size() < 2)
        return;
    // FluidSynth takes the block without its F0 and F7.
    const auto *data = reinterpret_cast<const char *>(block.data()) + 1;
    fluid_synth_sysex(engine_->synth, data, static_cast<int>(block.size() - 2), nullptr, nullptr, nullptr, 0);
}

void SoftSynth::Play(const uint8_t *bytes, std::size_t count)
{
    fluid_synth_t *synth = engine_->synth;
    const uint8_t status = bytes[0];
    const int channel = status & 0x0F;
    const int data1 = count > 1 ? bytes[1] : 0;
    const int data2 = count > 2 ? bytes[2] : 0;
    // FluidSynth refuses values outside 0..127 itself, so they need no check here.
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        fluid_synth_noteon(synth, channel, data1, data2); // velocity 0 releases the note
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
        break;
    default:
        if (status == 0xFF)
            fluid_synth_system_reset(synth);
        break; // clocks and the other system messages mean nothing to a synthesizer
    }
}

} // namespace platform
