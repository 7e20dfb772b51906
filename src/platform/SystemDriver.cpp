// The driver of a desktop session: the built-in synthesizer, always there
// and always first (so the mapper is the synthesizer), then the ALSA
// sequencer's ports.
#include "platform/AlsaSequencer.h"
#include "platform/MidiDriver.h"
#include "platform/SoftSynth.h"

namespace platform {

namespace {

const char *const SynthesizerName = "Built-in Synthesizer";

class SystemDriver final : public MidiDriver {
public:
    std::vector<MidiPortInfo> Outputs() override
    {
        std::vector<MidiPortInfo> outputs{Synthesizer()};
        for (const AlsaPortAddress &port : sequencer_.Outputs())
            outputs.push_back({port.name});
        return outputs;
    }

    std::vector<MidiPortInfo> Inputs() override
    {
        std::vector<MidiPortInfo> inputs;
        for (const AlsaPortAddress &port : sequencer_.Inputs())
            inputs.push_back({port.name});
        return inputs;
    }

    // The synthesizer is made only here, not when listed: listing stays fast
    // and opens no audio.
    MMRESULT OpenOutput(std::size_t index, std::unique_ptr<MidiOutputPort> &port) override
    {
        if (index == 0) {
            auto synth = std::make_unique<SoftSynth>();
            if (const MMRESULT result = synth->Start(true))
                return result;
            port = std::move(synth);
            return MMSYSERR_NOERROR;
        }
        const auto ports = sequencer_.Outputs();
        if (index - 1 >= ports.size())
            return MMSYSERR_BADDEVICEID; // the port went away since it was listed
        return sequencer_.OpenOutput(ports[index - 1], port);
    }

    MMRESULT OpenInput(std::size_t index, MidiByteSink &sink, std::unique_ptr<MidiInputPort> &port) override
    {
        const auto ports = sequencer_.Inputs();
        if (index >= ports.size())
            return MMSYSERR_BADDEVICEID;
        return sequencer_.OpenInput(ports[index], sink, port);
    }

private:
    static MidiPortInfo Synthesizer()
    {
        MidiPortInfo info{SynthesizerName};
        info.technology = MOD_SWSYNTH;
        info.voices = 256; // FluidSynth's default polyphony
        info.notes = 256;
        return info;
    }

    AlsaSequencer sequencer_;
};

} // namespace

std::shared_ptr<MidiDriver> CreateSystemDriver()
{
    return std::make_shared<SystemDriver>();
}

} // namespace platform
