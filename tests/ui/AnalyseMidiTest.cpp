// A MIDI keyboard on the analysis window, through the whole program path:
// bytes a device sends reach the loopback input, the set-up dialog's handler
// echoes every event to the loopback output, presses and releases the
// window's keys and names the chord held.
#include "AnalyseFixture.h"

#include "model/NoteNames.h"

#include <QTest>

#include <algorithm>

namespace {

using hntest::WaitWithoutHandling;

class AnalyserMidi : public AnalyserTest {
protected:
    TFormAnalyse *a = nullptr;

    void SetUp() override
    {
        AnalyserTest::SetUp();
        OpenProgram(true, true);
        a = NewWindow();
    }

    // Sends bytes as a keyboard would, and handles events until the output
    // has echoed `echoes` messages in all and the window has taken what
    // came. The echo of a short message may leave before the window takes
    // it; starting the input, which runs already, waits for the event to be
    // stored.
    void Play(const std::vector<uint8_t> &bytes, int echoes)
    {
        ASSERT_TRUE(platform::loopback::Feed(bytes));
        ASSERT_TRUE(WaitFor([&] { return Sent().size() >= echoes; })) << Sent().join(", ").toStdString();
        dlg->Midi_IF_Input->Start();
        ASSERT_TRUE(WaitFor([&] { return dlg->Midi_IF_Input->PendingCount() == 0; }));
    }

    static std::vector<uint8_t> NoteOn(int note, int velocity, int channel = 0)
    {
        return {uint8_t(0x90 + channel), uint8_t(note), uint8_t(velocity)};
    }

    static TShapePiano *AnalyserKey(int index) { return AnalyserKeys[index].Key; }
};

TEST_F(AnalyserMidi, ANoteOnPressesItsKeyLightsTheLampAndNamesTheChordHeld)
{
    Play(NoteOn(60, 100), 1);
    EXPECT_EQ(Sent(), QStringList{"90 3C 64"});
    EXPECT_EQ(AnalyserKey(36), KeyOf(a, 37));
    EXPECT_EQ(KeyOf(a, 37)->brushColor(), Green);
    EXPECT_EQ(HeldKeys(), QList<int>{37});
    EXPECT_EQ(Counts(), CountsOf({0}));
    EXPECT_FALSE(KeyOf(a, 37)->Value()); // held by the keyboard, not by a click
    EXPECT_EQ(a->LedIn->brushColor(), Red);
    EXPECT_TRUE(a->Timer1->isActive());
    EXPECT_TRUE(a->TntLabel1->text().isEmpty()); // one note is no chord

    Play(NoteOn(64, 90, 5), 2);
    Play(NoteOn(67, 80, 15), 3);
    EXPECT_EQ(Sent().mid(1), QStringList({"95 40 5A", "9F 43 50"}));
    EXPECT_EQ(a->TntLabel1->text(), "CMajor");
    EXPECT_EQ(a->TntLabel2->text(), " C CMaj");

    // Velocity 0 lets a key go; recognition runs again at once.
    Play(NoteOn(64, 0), 4);
    EXPECT_EQ(KeyOf(a, 41)->brushColor(), Ivory);
    EXPECT_EQ(HeldKeys(), QList<int>({37, 44}));
    EXPECT_EQ(Counts(), CountsOf({0, 7}));
    EXPECT_EQ(a->TntLabel1->text(), "CPower chord");

    ASSERT_TRUE(WaitFor([&] { return !a->Timer1->isActive(); }));
    EXPECT_EQ(a->LedIn->brushColor(), TLamp::OffColor());
}

TEST_F(AnalyserMidi, TheLowestAndHighestNotesPressTheFirstAndLastKeys)
{
    Play(NoteOn(24, 1), 1);
    Play(NoteOn(71, 127), 2);
    EXPECT_EQ(HeldKeys(), QList<int>({1, 48}));
    EXPECT_EQ(Counts(), CountsOf({0, 11}));
}

TEST_F(AnalyserMidi, AReleasedKeyTakesItsOwnColourUnderEitherNaming)
{
    for (const bool letters : {true, false}) {
        SCOPED_TRACE(letters);
        model::Notation = letters;
        model::FillNoteNames();
        platform::loopback::ClearSent();
        Play(NoteOn(61, 100), 1); // C#, a black key
        Play(NoteOn(62, 100), 2); // D
        EXPECT_EQ(KeyOf(a, 38)->brushColor(), Green);
        Play(NoteOn(61, 0), 3);
        Play(NoteOn(62, 0), 4);
        EXPECT_EQ(KeyOf(a, 38)->brushColor(), Black);
        EXPECT_EQ(KeyOf(a, 39)->brushColor(), Ivory);
        EXPECT_TRUE(HeldKeys().isEmpty());
    }
}

TEST_F(AnalyserMidi, EveryOtherEventIsEchoedWholeAndPressesNothing)
{
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        QString echo;
    };
    const Case cases[] = {
        {"note below the keyboard", {0x90, 23, 0x64}, "90 17 64"},
        {"note above the keyboard", {0x90, 72, 0x64}, "90 48 64"},
        {"note-off above the keyboard", {0x80, 72, 0x40}, "80 48 40"},
        {"polyphonic aftertouch", {0xA0, 60, 0x40}, "A0 3C 40"},
        {"control change", {0xB0, 0x07, 0x64}, "B0 07 64"},
        {"channel pressure", {0xD3, 0x22}, "D3 22"},
        {"system exclusive", {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, "F0 7E 7F 09 01 F7"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        platform::loopback::ClearSent();
        Play(c.bytes, 1);
        EXPECT_EQ(Sent(), QStringList{c.echo});
        EXPECT_TRUE(HeldKeys().isEmpty());
        EXPECT_EQ(Counts(), CountsOf({}));
        EXPECT_EQ(a->LedIn->brushColor(), TLamp::OffColor());
    }
}

TEST_F(AnalyserMidi, ANoteOutsideTheKeyboardIsPassedOverAndTheNextIsTaken)
{
    Play({0x90, 72, 0x64, 0x90, 60, 0x64}, 2);
    EXPECT_EQ(Sent(), QStringList({"90 48 64", "90 3C 64"}));
    EXPECT_EQ(HeldKeys(), QList<int>{37});
    EXPECT_EQ(dlg->Midi_IF_Input->PendingCount(), 0);
}

// Many keyboards let a key go with a note-off, at any velocity and on any
// channel. It releases the key exactly as a note-on of velocity 0 does, and
// is still echoed; a G left held would turn the A minor played next into C6.
struct Release {
    const char *what;
    std::vector<uint8_t> bytes; // lets G (note 67) go
    QString echo;
};

void PrintTo(const Release &release, std::ostream *out)
{
    *out << release.what;
}

class AnalyserMidiRelease : public AnalyserMidi, public testing::WithParamInterface<Release> {};

TEST_P(AnalyserMidiRelease, LetsTheKeyGoAndTheNextNotesNameTheirOwnChord)
{
    Play(NoteOn(67, 100), 1);
    Play(GetParam().bytes, 2);
    EXPECT_EQ(Sent().last(), GetParam().echo);
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(Counts(), CountsOf({}));
    EXPECT_EQ(KeyOf(a, 44)->brushColor(), Ivory);
    EXPECT_EQ(a->LedIn->brushColor(), Red);

    Play(NoteOn(57, 100), 3);
    Play(NoteOn(60, 100), 4);
    Play(NoteOn(64, 100), 5);
    EXPECT_EQ(HeldKeys(), QList<int>({34, 37, 41}));
    EXPECT_EQ(a->TntLabel1->text(), "Aminor");
}

INSTANTIATE_TEST_SUITE_P(Releases, AnalyserMidiRelease,
                         testing::Values(Release{"NoteOff", {0x80, 67, 0x40}, "80 43 40"},
                                         Release{"NoteOffAtVelocity0", {0x80, 67, 0x00}, "80 43 00"},
                                         Release{"NoteOffOnChannel16AtFullVelocity", {0x8F, 67, 0x7F}, "8F 43 7F"},
                                         Release{"NoteOnAtVelocity0", {0x90, 67, 0x00}, "90 43 00"}),
                         [](const testing::TestParamInfo<Release> &info) { return std::string(info.param.what); });

// Two windows open: closing the older leaves the input on the newer, and
// closing the newest hands it back to the newest one still open, whose keys
// then show what is held. The input stops only when the last window closes.
TEST_F(AnalyserMidi, InputGoesToTheNewestWindowStillOpenAndStopsWithTheLast)
{
    TFormAnalyse *b = NewWindow();
    a->close();
    EXPECT_TRUE(model::AnalyserOpen);
    Play(NoteOn(60, 100), 1);
    EXPECT_EQ(KeyOf(b, 37)->brushColor(), Green);

    TFormAnalyse *c = NewWindow();
    Play(NoteOn(64, 100), 2);
    EXPECT_EQ(KeyOf(c, 41)->brushColor(), Green);
    c->close();
    EXPECT_TRUE(model::AnalyserOpen);
    EXPECT_EQ(FormAnalyse, b);
    for (int n = 1; n <= 48; ++n)
        EXPECT_EQ(AnalyserKeys[n - 1].Key, KeyOf(b, n)) << n;
    EXPECT_EQ(KeyOf(b, 41)->brushColor(), Green);

    Play(NoteOn(67, 100), 3);
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "90 40 64", "90 43 64"}));
    EXPECT_EQ(KeyOf(b, 44)->brushColor(), Green);
    EXPECT_EQ(b->LedIn->brushColor(), Red);
    EXPECT_EQ(b->TntLabel1->text(), "CMajor");

    b->close();
    EXPECT_FALSE(model::AnalyserOpen);
    ASSERT_TRUE(platform::loopback::Feed(NoteOn(69, 100)));
    ASSERT_TRUE(WaitFor([&] { return dlg->Midi_IF_Input->PendingCount() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(Sent().size(), 3);
}

// A musician hears what they play through the program at once, however
// busy its windows are: the echo of a note leaves as the note arrives, also
// after the output was opened anew, and the window shows the note once it
// can.
TEST_F(AnalyserMidi, ANotesEchoLeavesAsItArrivesWhileTheWindowsAreBusy)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(platform::loopback::Feed(NoteOn(60 + round, 100)));
        // Nothing is handled meanwhile.
        EXPECT_TRUE(WaitWithoutHandling([&] { return Sent().size() == round + 1; })) << round;
        dlg->CloseOutput();
        dlg->OpenOutput();
    }
    ASSERT_TRUE(WaitFor([&] { return HeldKeys() == QList<int>({37, 38}); }));
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "90 3D 64"}));
}

// What waited while no window was open, a system-exclusive block, and what
// came while the window had them still to send all go out in the order they
// came.
TEST_F(AnalyserMidi, EchoesKeepTheOrderOfArrival)
{
    a->close();
    ASSERT_TRUE(platform::loopback::Feed(NoteOn(60, 100)));
    ASSERT_TRUE(WaitWithoutHandling([&] { return dlg->Midi_IF_Input->PendingCount() == 1; }));
    NewWindow();
    ASSERT_TRUE(platform::loopback::Feed({0xF0, 0x7D, 0x01, 0xF7, 0x90, 0x40, 0x64}));
    ASSERT_TRUE(WaitWithoutHandling([&] { return dlg->Midi_IF_Input->PendingCount() == 3; }));
    dlg->Midi_IF_Input->Start();
    EXPECT_TRUE(Sent().isEmpty()) << "nothing ahead of the note that waited";

    ASSERT_TRUE(WaitFor([&] { return dlg->Midi_IF_Input->PendingCount() == 0 && Sent().size() == 3; }));
    Play(NoteOn(67, 100), 4);
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "F0 7D 01 F7", "90 40 64", "90 43 64"}));
    EXPECT_EQ(HeldKeys(), QList<int>({37, 41, 44}));
}

// A note-off sent as velocity 0 for a key that was never pressed (a keyboard
// switched on while a key was down, or a note held before the window opened)
// must not leave a count below zero: the next chord on that pitch class
// would not be found.
TEST_F(AnalyserMidi, AStrayReleaseDoesNotHideLaterChords)
{
    Play(NoteOn(48, 0), 1);
    EXPECT_EQ(Counts(), CountsOf({}));
    Play(NoteOn(60, 100), 2);
    Play(NoteOn(64, 100), 3);
    Play(NoteOn(67, 100), 4);
    EXPECT_EQ(a->TntLabel1->text(), "CMajor");
}

TEST_F(AnalyserMidi, RepeatedNoteOnsOfAClassAddUpAndAClickCountsAKeyHeldByMidiAgain)
{
    Play(NoteOn(60, 100), 1);
    Play(NoteOn(60, 100), 2);
    EXPECT_EQ(Counts(), CountsOf({0, 0}));

    // The click sees the key released (its Value) and presses it once more;
    // a second click counts it out once and shows it released.
    Click(KeyOf(a, 37));
    EXPECT_EQ(Counts(), CountsOf({0, 0, 0}));
    Click(KeyOf(a, 37));
    EXPECT_EQ(Counts(), CountsOf({0, 0}));
    EXPECT_EQ(KeyOf(a, 37)->brushColor(), Ivory);
    EXPECT_TRUE(HeldKeys().isEmpty());
}

TEST_F(AnalyserMidi, WithTheWindowClosedNothingIsReadOrEchoedUntilAWindowIsOpenAgain)
{
    a->close();
    ASSERT_TRUE(platform::loopback::Feed(NoteOn(60, 100)));
    ASSERT_TRUE(platform::loopback::Feed({0xB0, 0x07, 0x64}));
    ASSERT_TRUE(WaitFor([&] { return dlg->Midi_IF_Input->PendingCount() == 2; }));
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(dlg->Midi_IF_Input->PendingCount(), 2);

    // The waiting events come out first, as the new window opens.
    TFormAnalyse *again = NewWindow();
    Play(NoteOn(64, 100), 3);
    EXPECT_EQ(Sent(), QStringList({"90 3C 64", "B0 07 64", "90 40 64"}));
    EXPECT_EQ(HeldKeys(), QList<int>({37, 41}));
    EXPECT_EQ(KeyOf(again, 41)->brushColor(), Green);
}

// A keyboard left on while no analysis window is open fills the input's
// buffer of 1024 events in seconds with notes, aftertouch or controllers.
// What finds the buffer full is lost, but input must go on: the window, once
// open, takes what waited and then hears the chord played.
struct Flood {
    const char *what;
    int events;
    // Event n of the flood, as a keyboard sends it.
    std::vector<uint8_t> (*event)(int n);
};

void PrintTo(const Flood &flood, std::ostream *out)
{
    *out << flood.events << ' ' << flood.what;
}

std::vector<uint8_t> NotePressedThenReleased(int n)
{
    // A 61-key keyboard: some notes lie beyond the window's four octaves.
    const auto note = uint8_t(36 + (n / 2) % 60);
    return {0x90, note, uint8_t(n % 2 ? 0 : 100)};
}

std::vector<uint8_t> AftertouchOrController(int n)
{
    const auto value = uint8_t(n % 128);
    switch (n % 3) {
    case 0:
        return {0xA0, 60, value};
    case 1:
        return {0xB0, 0x01, value};
    default:
        return {0xD0, value};
    }
}

class AnalyserMidiFull : public AnalyserMidi {
protected:
    static constexpr int Capacity = 1024;

    TMidiInput *Input() const { return dlg->Midi_IF_Input; }

    void FeedWithTheWindowClosed(const Flood &flood)
    {
        a->close();
        std::vector<uint8_t> bytes;
        for (int n = 0; n < flood.events; ++n) {
            const auto event = flood.event(n);
            bytes.insert(bytes.end(), event.begin(), event.end());
        }
        ASSERT_TRUE(platform::loopback::Feed(bytes));
        const auto lost = uint32_t(std::max(flood.events - Capacity, 0));
        const int kept = std::min(flood.events, Capacity);
        ASSERT_TRUE(WaitFor([&] { return Input()->LostCount() == lost && Input()->PendingCount() == kept; }))
            << Input()->LostCount() << " lost, " << Input()->PendingCount() << " kept";
        EXPECT_TRUE(Sent().isEmpty());
    }

    // A window opened as the menu entry opens one takes what waited at once,
    // not at the next key played, which would find the buffer full.
    TFormAnalyse *OpenAnotherWindow(int waited)
    {
        TFormAnalyse *again = NewWindow();
        EXPECT_TRUE(WaitFor([&] { return Input()->PendingCount() == 0; }));
        EXPECT_EQ(Sent().size(), waited);
        return again;
    }
};

class AnalyserMidiAfterAFlood : public AnalyserMidiFull, public testing::WithParamInterface<Flood> {};

TEST_P(AnalyserMidiAfterAFlood, TheNextChordIsEchoedAndNamed)
{
    const Flood &flood = GetParam();
    FeedWithTheWindowClosed(flood);
    const int waited = std::min(flood.events, Capacity);
    TFormAnalyse *again = OpenAnotherWindow(waited);

    Play(NoteOn(60, 100), waited + 1);
    Play(NoteOn(64, 100), waited + 2);
    Play(NoteOn(67, 100), waited + 3);
    EXPECT_EQ(Sent().mid(waited), QStringList({"90 3C 64", "90 40 64", "90 43 64"}));
    EXPECT_EQ(HeldKeys(), QList<int>({37, 41, 44}));
    EXPECT_EQ(KeyOf(again, 44)->brushColor(), Green);
    EXPECT_EQ(again->TntLabel1->text(), "CMajor");
}

INSTANTIATE_TEST_SUITE_P(Floods, AnalyserMidiAfterAFlood,
                         testing::Values(Flood{"notes", 1000, NotePressedThenReleased},
                                         Flood{"notes", 1030, NotePressedThenReleased},
                                         Flood{"notes", 5000, NotePressedThenReleased},
                                         Flood{"controllers", 5000, AftertouchOrController}),
                         [](const testing::TestParamInfo<Flood> &info) {
                             return std::string(info.param.what) + std::to_string(info.param.events);
                         });

// However many events wait, the handler takes a bounded batch of them and
// lets the event loop run before the next batch, so that a click is answered
// while a flood comes in. Every event is still taken, in order.
TEST_F(AnalyserMidiFull, WaitingEventsAreTakenInBatchesWithTheEventLoopRunningBetween)
{
    const Flood flood{"notes", 1000, NotePressedThenReleased};
    FeedWithTheWindowClosed(flood);
    NewWindow();
    // Queued after the new window asked for the waiting events, as a click
    // would come in while they are taken.
    qsizetype echoedMeanwhile = -1;
    QTimer::singleShot(0, [&] { echoedMeanwhile = Sent().size(); });
    ASSERT_TRUE(WaitFor([&] { return Input()->PendingCount() == 0 && echoedMeanwhile >= 0; }));
    EXPECT_GT(echoedMeanwhile, 0);
    EXPECT_LT(echoedMeanwhile, flood.events);

    QStringList echoes;
    for (int n = 0; n < flood.events; ++n)
        echoes << Hex(flood.event(n));
    EXPECT_EQ(Sent(), echoes);
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(Counts(), CountsOf({}));
}

// The driver lends the input 16 receive buffers for system-exclusive blocks;
// a block lost to the full buffer must give its buffer back, or such input
// stops for the session after the sixteenth.
TEST_F(AnalyserMidiFull, SysexBlocksLostWhileTheBufferIsFullLeaveSysexInputWorking)
{
    FeedWithTheWindowClosed({"notes", Capacity, NotePressedThenReleased});
    int overflows = 0;
    QObject::connect(Input(), &TMidiInput::OnOverflow, [&] { ++overflows; });
    for (int n = 1; n <= 100; ++n) {
        ASSERT_TRUE(platform::loopback::Feed({0xF0, 0x7D, uint8_t(n), 0x01, 0x02, 0xF7}));
        ASSERT_TRUE(WaitFor([&] { return overflows == n; })) << "block " << n << " never arrived";
    }
    EXPECT_EQ(Input()->LostCount(), 100u);
    OpenAnotherWindow(Capacity);

    std::vector<uint8_t> block{0xF0, 0x7D};
    QStringList echo{"F0", "7D"};
    for (int i = 0; i < 300; ++i) {
        block.push_back(uint8_t(i % 128));
        echo << QStringLiteral("%1").arg(i % 128, 2, 16, QLatin1Char('0')).toUpper();
    }
    block.push_back(0xF7);
    echo << "F7";
    Play(block, Capacity + 1);
    EXPECT_EQ(Sent().last(), echo.join(' '));
}

TEST_F(AnalyserMidi, WithoutAnOutputNothingIsEchoedButKeysArePressed)
{
    dlg->CloseOutput();
    ASSERT_TRUE(platform::loopback::Feed(NoteOn(60, 100)));
    ASSERT_TRUE(WaitFor([&] { return !HeldKeys().isEmpty(); }));
    EXPECT_EQ(HeldKeys(), QList<int>{37});
    EXPECT_TRUE(Sent().isEmpty());
}

} // namespace
