// The desktop driver: the built-in synthesizer and the ALSA sequencer. This
// machine (like CI) has neither sound card nor /dev/snd/seq, which is the
// case that must list cleanly and refuse cleanly.
#include "MidiTestSupport.h"
#include "platform/AlsaSequencer.h"
#include "platform/MidiApi.h"
#include "platform/SoftSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

using namespace platform;

namespace {

using Bytes = std::vector<uint8_t>;

bool HasSequencer()
{
    struct stat info {};
    return stat("/dev/snd/seq", &info) == 0;
}

using SystemDriver = MidiDriverTest;

TEST_F(SystemDriver, ListsTheSynthesizerFirstAndAsTheMapper)
{
    UseDriver(nullptr);
    ASSERT_GE(midiOutGetNumDevs(), 1u);
    for (uintptr_t device : {uintptr_t{0}, uintptr_t{MIDI_MAPPER}}) {
        MIDIOUTCAPSA caps;
        ASSERT_EQ(midiOutGetDevCapsA(device, &caps, sizeof caps), MMSYSERR_NOERROR);
        EXPECT_STREQ(caps.szPname, "Built-in Synthesizer");
        EXPECT_EQ(caps.wTechnology, MOD_SWSYNTH);
    }
}

TEST_F(SystemDriver, WithoutASequencerListsNothingElseAndRefusesInputZero)
{
    if (HasSequencer())
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    UseDriver(nullptr);
    EXPECT_EQ(midiOutGetNumDevs(), 1u);
    EXPECT_EQ(midiInGetNumDevs(), 0u);
    MIDIINCAPSA caps;
    EXPECT_EQ(midiInGetDevCapsA(0, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
    MIDIOUTCAPSA outCaps;
    EXPECT_EQ(midiOutGetDevCapsA(1, &outCaps, sizeof outCaps), MMSYSERR_BADDEVICEID);
}

TEST_F(SystemDriver, OpeningTheSynthesizerWithoutAudioFailsWithACodeAndItsText)
{
    UseDriver(nullptr);
    HMIDIOUT out = nullptr;
    const MMRESULT result = midiOutOpen(&out, MIDI_MAPPER, nullptr, 0, 0);
    if (result == MMSYSERR_NOERROR) {
        // A machine with sound: the synthesizer plays; nothing more to see here.
        EXPECT_EQ(midiOutShortMsg(out, 0x403C90), MMSYSERR_NOERROR);
        EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
        return;
    }
    EXPECT_EQ(out, nullptr);
    char text[128];
    EXPECT_EQ(midiOutGetErrorTextA(result, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(out, 0x403C90), MMSYSERR_INVALHANDLE) << "the refused device stays closed";
    // Refused again, and again without harm: nothing was left half open.
    EXPECT_EQ(midiOutOpen(&out, 0, nullptr, 0, 0), result);
}

// ---------------------------------------------------------------------------
// The synthesizer rendered offline

// Period of the strongest repetition, by autocorrelation: unlike the
// spectrum's highest peak, it does not take the second harmonic for the note.
double PitchOf(const std::vector<float> &sound, double sampleRate)
{
    const std::size_t minLag = static_cast<std::size_t>(sampleRate / 2000);
    const std::size_t maxLag = static_cast<std::size_t>(sampleRate / 50);
    std::vector<double> correlation(maxLag + 2, 0.0);
    for (std::size_t lag = minLag; lag <= maxLag + 1; ++lag)
        for (std::size_t i = 0; i + lag < sound.size(); ++i)
            correlation[lag] += double(sound[i]) * sound[i + lag];
    const double best = *std::max_element(correlation.begin() + minLag, correlation.end());
    // The first lag that comes close to the best is the period; its
    // multiples correlate as well.
    for (std::size_t lag = minLag + 1; lag <= maxLag; ++lag) {
        const bool peak = correlation[lag] >= correlation[lag - 1] && correlation[lag] >= correlation[lag + 1];
        if (peak && correlation[lag] > 0.9 * best) {
            // Between samples: the top of a parabola through the three points.
            const double a = correlation[lag - 1], b = correlation[lag], c = correlation[lag + 1];
            const double denominator = a - 2 * b + c;
            const double shift = denominator != 0 ? 0.5 * (a - c) / denominator : 0;
            return sampleRate / (lag + shift);
        }
    }
    return 0;
}

double Loudness(const std::vector<float> &sound)
{
    double sum = 0;
    for (float sample : sound)
        sum += double(sample) * sample;
    return std::sqrt(sum / std::max<std::size_t>(sound.size(), 1));
}

std::vector<float> Render(SoftSynth &synth, double seconds)
{
    const int frames = static_cast<int>(seconds * synth.SampleRate());
    std::vector<float> left(frames), right(frames);
    synth.Render(left.data(), right.data(), frames);
    return left;
}

struct NoteCase {
    const char *what;
    Bytes noteOn;
    bool asBlock;
    double hertz;
};

class SynthesizerNote : public testing::TestWithParam<NoteCase> {};

TEST_P(SynthesizerNote, SoundsAtThePitchOfTheNote)
{
    const NoteCase &c = GetParam();
    SoftSynth synth;
    ASSERT_EQ(synth.Start(false), MMSYSERR_NOERROR) << "the GM sound bank is installed";
    EXPECT_LT(Loudness(Render(synth, 0.1)), 1e-4) << "silent before the note";

    const MMRESULT sent = c.asBlock ? synth.SendLong(c.noteOn.data(), c.noteOn.size())
                                    : synth.SendShort(c.noteOn.data(), c.noteOn.size());
    ASSERT_EQ(sent, MMSYSERR_NOERROR);
    Render(synth, 0.05); // past the attack
    const auto sound = Render(synth, 0.2);
    ASSERT_GT(Loudness(sound), 1e-3) << c.what << ": the note sounds";
    EXPECT_NEAR(PitchOf(sound, synth.SampleRate()), c.hertz, c.hertz * 0.03) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    SoftSynth, SynthesizerNote,
    testing::Values(NoteCase{"A4", {0x90, 69, 100}, false, 440.0},
                    NoteCase{"A3 on channel 2", {0x91, 57, 100}, false, 220.0},
                    NoteCase{"A5 after a program change, in one block", {0xC0, 0x00, 0x90, 81, 100}, true, 880.0}));

TEST(SoftSynth, NoteOffAndVelocityZeroBothEndTheNote)
{
    for (const Bytes &release : {Bytes{0x80, 69, 0}, Bytes{0x90, 69, 0}}) {
        SoftSynth synth;
        ASSERT_EQ(synth.Start(false), MMSYSERR_NOERROR);
        const Bytes on = {0x90, 69, 100};
        synth.SendShort(on.data(), on.size());
        Render(synth, 0.1);
        synth.SendShort(release.data(), release.size());
        Render(synth, 2.0); // the release tail
        EXPECT_LT(Loudness(Render(synth, 0.1)), 1e-3) << std::hex << int(release[0]);
    }
}

// ---------------------------------------------------------------------------
// ALSA's byte and event conversion, which works without a sequencer

struct RoundTrip {
    const char *what;
    Bytes bytes;
    std::vector<snd_seq_event_type_t> types;
    std::vector<Bytes> decoded;
};

class AlsaConversion : public testing::TestWithParam<RoundTrip> {};

TEST_P(AlsaConversion, EncodeThenDecodeGivesTheMessagesBackWithTheirStatus)
{
    const RoundTrip &c = GetParam();
    AlsaMidiCodec codec;
    ASSERT_TRUE(codec.Ready());
    const auto events = codec.Encode(c.bytes.data(), c.bytes.size());
    std::vector<snd_seq_event_type_t> types;
    std::vector<Bytes> decoded;
    for (const auto &event : events) {
        types.push_back(event.type);
        decoded.push_back(codec.Decode(event));
    }
    EXPECT_EQ(types, c.types) << c.what;
    EXPECT_EQ(decoded, c.decoded) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    AlsaMidiCodec, AlsaConversion,
    testing::Values(RoundTrip{"note on", {0x91, 0x3C, 0x40}, {SND_SEQ_EVENT_NOTEON}, {{0x91, 0x3C, 0x40}}},
                    RoundTrip{"program change", {0xC2, 0x05}, {SND_SEQ_EVENT_PGMCHANGE}, {{0xC2, 0x05}}},
                    RoundTrip{"running status keeps every status when decoded",
                              {0x90, 0x3C, 0x40, 0x3E, 0x40, 0x3C, 0x00},
                              {SND_SEQ_EVENT_NOTEON, SND_SEQ_EVENT_NOTEON, SND_SEQ_EVENT_NOTEON},
                              {{0x90, 0x3C, 0x40}, {0x90, 0x3E, 0x40}, {0x90, 0x3C, 0x00}}},
                    RoundTrip{"controller then pitch bend",
                              {0xB0, 0x07, 0x64, 0xE0, 0x00, 0x40},
                              {SND_SEQ_EVENT_CONTROLLER, SND_SEQ_EVENT_PITCHBEND},
                              {{0xB0, 0x07, 0x64}, {0xE0, 0x00, 0x40}}},
                    RoundTrip{"clock", {0xF8}, {SND_SEQ_EVENT_CLOCK}, {{0xF8}}}));

TEST(AlsaMidiCodec, SysexEventsAndNonMidiEventsDecode)
{
    AlsaMidiCodec codec;
    ASSERT_TRUE(codec.Ready());
    uint8_t block[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    snd_seq_event_t sysex;
    snd_seq_ev_clear(&sysex);
    snd_seq_ev_set_sysex(&sysex, sizeof block, block);
    EXPECT_EQ(codec.Decode(sysex), Bytes(std::begin(block), std::end(block)));

    snd_seq_event_t announcement;
    snd_seq_ev_clear(&announcement);
    announcement.type = SND_SEQ_EVENT_PORT_SUBSCRIBED;
    EXPECT_TRUE(codec.Decode(announcement).empty()) << "a subscription notice carries no MIDI bytes";
}

} // namespace
