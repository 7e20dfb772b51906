// The pattern editor in the whole program, playing its grid through the main
// window to the loopback output: the order of the beats, the markers, the
// playback modes, and what stops it.
#include "EventWait.h"
#include "PatternFixture.h"

#include "midi/ThreadUnit.h"
#include "platform/MidiApi.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"

#include <QElapsedTimer>
#include <QLCDNumber>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

namespace {

using hntest::WaitFor;
using hntest::WaitWithoutHandling;

QString Hex(const std::vector<uint8_t> &bytes)
{
    QStringList parts;
    for (const uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(u' ');
}

class PatternPlayback : public PatternTest {
protected:
    std::unique_ptr<ui::TProgramWindows> program;
    TFormMain *main = nullptr;

    void SetUp() override
    {
        PatternTest::SetUp();
        platform::MidiDriverResetForTest();
        StoreText("MidiIFIn", "Loopback In");
        StoreText("MidiIFOut", "Loopback Out");
        Store("MidiChannel", 0);
        Store("Speed", 1);
        model::SoundingNotes = {};
    }

    void TearDown() override
    {
        p = nullptr;
        program.reset();
        platform::MidiDriverResetForTest();
        PatternTest::TearDown();
    }

    // The program's windows, the editor shown, the first chord played and
    // the output's record emptied.
    void Start(int listenType)
    {
        Store("ListenType", listenType);
        program = std::make_unique<ui::TProgramWindows>();
        main = &program->FormMain();
        p = &program->Pattern();
        p->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(p));
        Settle();
        platform::loopback::ClearSent();
    }

    // Every playback started so far has run.
    static void Settle()
    {
        ASSERT_TRUE(WaitFor([] { return LiveMidiThreads() == 0; }));
    }

    static QStringList Sent()
    {
        QStringList sent;
        for (const auto &bytes : platform::loopback::Sent())
            sent << Hex(bytes);
        platform::loopback::ClearSent();
        return sent;
    }

    // Enters a chord as the user does: picks it in the main window, then
    // double-clicks the cell.
    void Put(int col, int row, int root, int chord, int inversion = 0)
    {
        main->ChordRoot->setItemIndex(root - 1);
        main->ChordName->setItemIndex(chord - 1);
        model::CurrentInversion = inversion;
        main->ChordRootClick();
        DoubleClickCell(col, row);
        Settle();
        platform::loopback::ClearSent();
    }

    // Measure 1 holds four chords on the roots from firstRoot up, its first
    // cell is selected, and the tempo is stepped onto the value with an
    // arrow, as the user sets it.
    void FirstMeasureAt(int tempo, int firstRoot, int chord)
    {
        for (int col = 1; col <= 4; ++col)
            Put(col, 0, firstRoot + col - 1, chord);
        ClickCell(1, 0);
        const int from = tempo < p->UpDown1->Max() ? tempo + 1 : tempo - 1;
        p->UpDown1->setPosition(from);
        p->UpDown1->Step(tempo - from);
    }

    // Plays on with the metronome's own ticks out of the way: the test beats time.
    void PlayByHand()
    {
        p->BtnPlay->setStateOn(true);
        p->Metronome->setInterval(24 * 3600 * 1000);
    }

    // The note-ons among the messages sent since the last look.
    static QStringList NoteOns() { return Sent().filter(QRegularExpression("^9")); }

    // One beat: the metronome's step, then the playback it started.
    QString Beat()
    {
        const QString cell = QStringLiteral("%1/%2").arg(p->PlayRow() + 1).arg(p->PlayCol());
        p->MetronomeTimer();
        Settle();
        return cell;
    }
};

TEST_F(PatternPlayback, IsCreatedAtStartUpAndFollowsTheSetupDialogsLanguage)
{
    Start(0);
    EXPECT_EQ(FrmPattern, p);
    EXPECT_EQ(p->parentWidget(), main);
    EXPECT_TRUE(model::PatternFormCreated);
    EXPECT_EQ(EndMarkerCol, 5) << "set by the editor after the main window cleared it";

    p->hide();
    main->mnuChordpattern->trigger();
    EXPECT_TRUE(p->isVisible());

    TFrmMidiSetup &setup = program->MidiSetup();
    setup.FormActivate();
    setup.RadioFrench->setChecked(true);
    setup.BtnOkClick();
    EXPECT_EQ(p->windowTitle(), "Grille d'accords");
    EXPECT_EQ(p->BtnPlay->Caption(), "Jouer");
}

TEST_F(PatternPlayback, TheLoopMarkerOnTheLastBeatOfMeasureTwoPlaysMeasuresOneAndTwoOverAndOver)
{
    Start(0);
    const int roots[8] = {1, 3, 5, 6, 8, 10, 12, 2};
    for (int i = 0; i < 8; ++i)
        Put(i % 4 + 1, i / 4, roots[i], 1);
    Put(1, 2, 4, 1); // measure 3 is never reached
    ClickCell(4, 1);
    p->MnuRepeat->trigger();
    ClickCell(1, 0);

    QStringList cells;
    QList<int> rootsShown;
    for (int beat = 0; beat < 20; ++beat) {
        cells << Beat();
        rootsShown << main->ChordRoot->ItemIndex() + 1;
    }
    EXPECT_EQ(cells, QStringList({"1/1", "1/2", "1/3", "1/4", "2/1", "2/2", "2/3", "2/4", "1/1", "1/2",
                                  "1/3", "1/4", "2/1", "2/2", "2/3", "2/4", "1/1", "1/2", "1/3", "1/4"}));
    EXPECT_EQ(rootsShown, QList<int>({1, 3, 5, 6, 8, 10, 12, 2, 1, 3, 5, 6, 8, 10, 12, 2, 1, 3, 5, 6}));
    // Each beat switches off the last chord and plays its own, as a block.
    const QStringList last = Sent();
    ASSERT_FALSE(last.isEmpty());
    EXPECT_EQ(last.mid(last.size() - 3), QStringList({"90 3C 40", "90 39 40", "90 35 40"})) << "F major";
    EXPECT_EQ(p->StatusText(), "Measure 1/4") << "the cell played last";
}

TEST_F(PatternPlayback, TheEndMarkerStopsAfterItsOwnCellAndARestartPlaysItAgain)
{
    Start(0);
    Put(1, 0, 1, 1);
    Put(2, 0, 3, 14);
    Put(3, 0, 8, 1);
    ClickCell(2, 0);
    p->MnuEnd->trigger();
    ClickCell(1, 0);

    p->BtnPlay->setStateOn(true);
    EXPECT_TRUE(p->Metronome->isActive());
    EXPECT_EQ(p->Metronome->interval(), 500);
    PlayByHand();
    EXPECT_EQ(Beat(), "1/1");
    EXPECT_EQ(Beat(), "1/2");
    EXPECT_FALSE(p->BtnPlay->StateOn());
    EXPECT_FALSE(p->Metronome->isActive());
    EXPECT_EQ(main->LabelChord->text(), "Dm, Dmin, Dminor, D-");

    Sent();
    PlayByHand();
    EXPECT_EQ(Beat(), "1/2");
    EXPECT_FALSE(p->BtnPlay->StateOn());
    EXPECT_EQ(Sent(), QStringList({"80 32 40", "80 35 40", "80 39 40", "90 39 40", "90 35 40", "90 32 40"}));

    // A click on another cell starts the next run there.
    ClickCell(3, 0);
    EXPECT_EQ(p->PlayCol(), 3);
    PlayByHand();
    EXPECT_EQ(Beat(), "1/3");
    EXPECT_TRUE(p->BtnPlay->StateOn());
    p->BtnPlay->setStateOn(false);
    EXPECT_FALSE(p->Metronome->isActive());
}

TEST_F(PatternPlayback, WithoutAPlaybackModeEachFilledCellStillSoundsOnceAsABlockChord)
{
    Start(-1);
    Put(1, 0, 1, 1);  // C
    Put(3, 0, 3, 14); // Dm after an empty beat
    Write(File("zero.hnv"), ui::WritePatternFile({QString(), 0, false, 5, 20, 120, {{4, 1, {8, 0, 0}}}}));
    ASSERT_TRUE(p->OpenFile(File("zero.hnv")));
    EXPECT_EQ(p->CellText(4, 0), "G");
    EXPECT_TRUE(Sent().isEmpty()) << "entering chords plays nothing without a mode";

    ClickCell(1, 0);
    Beat();
    EXPECT_EQ(Sent(), QStringList({"90 37 40", "90 34 40", "90 30 40"}));
    Beat();
    EXPECT_EQ(Sent(), QStringList()) << "an empty cell sends nothing";
    Beat();
    EXPECT_EQ(Sent(), QStringList({"80 30 40", "80 34 40", "80 37 40", "90 39 40", "90 35 40", "90 32 40"}));

    // A root without a chord moves the root list, clears the chord list and plays nothing.
    Beat();
    EXPECT_EQ(Sent(), QStringList());
    EXPECT_EQ(main->ChordRoot->ItemIndex(), 7);
    EXPECT_EQ(main->ChordName->ItemIndex(), -1);
    EXPECT_EQ(model::ListenType, -1);
}

TEST_F(PatternPlayback, ACellsInversionSetsTheSwitchesAndTheUsersPickStaysForEntering)
{
    Start(0);
    Put(1, 0, 1, 1, -1);
    Put(2, 0, 6, 1, 1);
    Put(3, 0, 8, 1, 0);
    // The user's last pick in the main window: A minor, no inversion.
    main->ChordRoot->setItemIndex(9);
    main->ChordName->setItemIndex(13);
    model::CurrentInversion = 0;
    main->RenversementDown->setStateOn(false);
    main->RenversementUp->setStateOn(false);
    main->ChordRootClick();
    ClickCell(1, 0);

    Beat();
    EXPECT_TRUE(main->RenversementDown->StateOn());
    EXPECT_EQ(model::CurrentInversion, -1);
    EXPECT_EQ(PressedKeys(), QList<int>({8, 13, 17}));
    Beat();
    EXPECT_TRUE(main->RenversementUp->StateOn());
    EXPECT_FALSE(main->RenversementDown->StateOn());
    EXPECT_EQ(model::CurrentInversion, 1);
    EXPECT_EQ(p->Chord->text(), "F");

    // Stopped there: the label shows the chord played, the selection is the user's.
    EXPECT_EQ(model::CurrentRoot, 10);
    EXPECT_EQ(model::CurrentChord, 14);
    ClickCell(1, 5);
    p->Enterchord1->trigger();
    EXPECT_EQ(p->CellText(1, 5), "F");
    EXPECT_EQ(Data(1, 5), (ui::TPatternCell{10, 14, 1}));

    ClickCell(3, 0);
    Beat();
    EXPECT_FALSE(main->RenversementUp->StateOn());
    EXPECT_FALSE(main->RenversementDown->StateOn());
    EXPECT_EQ(model::CurrentInversion, 0);
}

TEST_F(PatternPlayback, LeavingTheEditorStopsPlayback)
{
    Start(0);
    Put(1, 0, 1, 1);
    main->show();
    p->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p));
    p->BtnPlay->setStateOn(true);
    ASSERT_TRUE(p->Metronome->isActive());

    main->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return !p->BtnPlay->StateOn(); }));
    EXPECT_FALSE(p->Metronome->isActive());
}

TEST_F(PatternPlayback, TheMetronomeTicksOnItsOwnAndATempoChangeTakesEffectAtOnce)
{
    Start(0);
    FirstMeasureAt(200, 1, 1);
    EXPECT_EQ(p->Tempo->intValue(), 200);
    EXPECT_EQ(p->BeatsPerMinute(), 200);
    EXPECT_EQ(p->Metronome->interval(), 300);
    p->UpDown1->Step(1);
    EXPECT_EQ(p->BeatsPerMinute(), 200) << "no faster than 200";

    QElapsedTimer sinceBeat;
    QObject::connect(p->Metronome, &platform::TPreciseTimer::timeout, p, [&] { sinceBeat.start(); });
    QTest::mouseClick(p->BtnPlay, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(p->BtnPlay->StateOn());
    ASSERT_TRUE(WaitFor([&] { return p->PlayRow() == 1; })) << "four beats, then the next measure";
    Settle(); // the fourth beat's playback
    const QStringList sent = Sent();
    EXPECT_TRUE(sent.contains("90 30 40")) << "C";
    EXPECT_TRUE(sent.contains("90 3A 40")) << "E flat's fifth";

    // Slowed to 30 while playing: the next beat falls two seconds after the
    // last one played.
    p->UpDown1->setPosition(31);
    p->UpDown1->Step(-1);
    EXPECT_EQ(p->Metronome->interval(), 2000);
    EXPECT_LE(p->Metronome->remainingTime(), 2000 - sinceBeat.elapsed());
    EXPECT_EQ(p->UpDown1->Position(), 30);
    p->UpDown1->Step(-1);
    EXPECT_EQ(p->BeatsPerMinute(), 30) << "no slower than 30";

    // Pressing the switch again stops it.
    QTest::mouseClick(p->BtnPlay, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(p->Metronome->isActive());
}

TEST_F(PatternPlayback, HoldingATempoArrowWhilePlayingKeepsTheBeatsComing)
{
    Start(0);
    FirstMeasureAt(30, 1, 1);
    ASSERT_EQ(p->BeatsPerMinute(), 30);
    int beats = 0;
    QObject::connect(p->Metronome, &platform::TPreciseTimer::timeout, p, [&] { ++beats; });
    QTest::mouseClick(p->BtnPlay, Qt::LeftButton, {}, QPoint(5, 5));

    // The arrow repeats its step ten times a second while it is held: far
    // more often than a beat at these tempos.
    auto *up = p->UpDown1->findChild<QToolButton *>("UpArrow");
    ASSERT_NE(up, nullptr);
    QTest::mousePress(up, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return p->BeatsPerMinute() > 32; })) << "the arrow repeats";
    EXPECT_TRUE(WaitFor([&] { return beats >= 3; })) << "no beat while the tempo kept changing";
    const int tempo = p->BeatsPerMinute();
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_LT(tempo, 200) << "the beats came while the tempo still rose";
    Settle();
    EXPECT_TRUE(Sent().contains("90 30 40")) << "C, the first beat";
    p->BtnPlay->setStateOn(false);
}

TEST_F(PatternPlayback, FastClicksOnPlayWhileItPlaysLeaveTheSwitchAndTheMetronomeAgreeing)
{
    Start(1);
    FirstMeasureAt(200, 5, 20);
    for (int click = 0; click < 25; ++click) {
        QTest::mouseClick(p->BtnPlay, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::qWait(click % 3 == 0 ? 320 : 20); // now and then a beat, and arpeggios cut short
        EXPECT_EQ(p->Metronome->isActive(), p->BtnPlay->StateOn()) << "click " << click;
    }
    p->BtnPlay->setStateOn(false);
    Settle();
    EXPECT_FALSE(p->Metronome->isActive());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(PatternPlayback, MeasuresDeletedUnderThePlayPositionStartItAgainAtTheTop)
{
    Start(0);
    Put(1, 0, 3, 1);
    Put(4, 19, 5, 1);
    ClickCell(4, 19);
    EXPECT_EQ(p->PlayRow(), 19);
    // Up to measure 4 with the keyboard, which leaves the play position.
    for (int i = 0; i < 16; ++i)
        QTest::keyClick(p->Grille, Qt::Key_Up);
    QTest::keyClick(p->Grille, Qt::Key_Home);
    ASSERT_EQ(p->Grille->currentRow(), 3);
    for (int i = 0; i < 10; ++i)
        p->Deletemeasure1->trigger();
    ASSERT_EQ(p->RowCount(), 10);
    ASSERT_EQ(p->PlayRow(), 19) << "the position clicked before the rows went";

    EXPECT_EQ(Beat(), "20/4");
    EXPECT_EQ(p->StatusText(), "Measure 1/1");
    EXPECT_EQ(main->LabelChord->text(), "D, DMajor, DM") << "the first cell played instead";
    EXPECT_EQ(p->PlayCol(), 2);
    EXPECT_EQ(p->PlayRow(), 0);
}

// ---------------------------------------------------------------------------
// Beats planned a beat ahead

// The window may be busy painting or opening a file when a beat falls due:
// the beat is heard on its moment all the same, and the window follows as
// soon as it can.
TEST_F(PatternPlayback, ABeatIsHeardOnItsMomentWhileTheWindowIsBusy)
{
    Start(0);
    Put(1, 0, 1, 1);
    Put(2, 0, 3, 14);
    ClickCell(1, 0);
    p->UpDown1->setPosition(199);
    p->UpDown1->Step(1);

    p->BtnPlay->setStateOn(true);
    // Busy from the switch on until the first beat's chord has gone out.
    ASSERT_TRUE(WaitWithoutHandling([] { return platform::loopback::Sent().size() >= 6; }));
    EXPECT_EQ(p->PlayCol(), 1) << "the window has not taken the beat yet";
    EXPECT_EQ(Sent(), QStringList({"80 32 40", "80 35 40", "80 39 40", "90 37 40", "90 34 40", "90 30 40"}))
        << "D minor, left by the last entry, off; C major on";

    ASSERT_TRUE(WaitFor([&] { return p->PlayCol() == 2; }));
    Settle();
    EXPECT_EQ(main->LabelChord->text(), "C, CMajor, CM");
    EXPECT_EQ(p->Chord->text(), "C");
    EXPECT_EQ(model::SoundingNotes, main->ChordNotesOf(1, 1, 0));
    p->BtnPlay->setStateOn(false);
    Settle();
    EXPECT_FALSE(Sent().contains("90 30 40")) << "heard once";
}

struct BeatChange {
    const char *name;
    std::function<void(TFrmPattern &, TFormMain &)> change;
    int silentMs;      // how long after the change nothing is heard for sure
    QStringList heard; // the note-ons of the first beat; none when it never comes
};

[[maybe_unused]] void PrintTo(const BeatChange &change, std::ostream *os)
{
    *os << change.name;
}

class PatternBeatChange : public PatternPlayback, public testing::WithParamInterface<BeatChange> {};

// Whatever the user does between switching play on and the first beat is
// heard on that beat, as it would be had the beat been played only then.
TEST_P(PatternBeatChange, IsHeardOnTheNextBeat)
{
    const BeatChange &c = GetParam();
    Start(0);
    Put(1, 0, 1, 1);  // C
    Put(2, 0, 3, 14); // D minor
    Put(3, 0, 8, 1);  // G
    ClickCell(1, 0);
    p->UpDown1->setPosition(60);
    p->UpDown1Changing(60);
    int beats = 0;
    QObject::connect(p->Metronome, &platform::TPreciseTimer::timeout, p, [&] { ++beats; });

    p->BtnPlay->setStateOn(true);
    c.change(*p, *main);
    Settle();
    Sent();
    // Past the moment the beat had before the change.
    QTest::qWait(c.silentMs);
    EXPECT_EQ(NoteOns(), QStringList());
    if (c.heard.isEmpty()) {
        EXPECT_EQ(beats, 0);
        return;
    }
    ASSERT_TRUE(WaitFor([&] { return beats >= 1; }));
    Settle();
    p->BtnPlay->setStateOn(false);
    EXPECT_EQ(NoteOns(), c.heard);
}

INSTANTIATE_TEST_SUITE_P(Playback, PatternBeatChange,
                         testing::Values(BeatChange{"ACellClicked",
                                                    [](TFrmPattern &, TFormMain &) {
                                                        // The grid's own click, as the user makes it.
                                                        FrmPattern->Grille->setCurrentCell(0, 3);
                                                        FrmPattern->GrilleMouseDown();
                                                    },
                                                    0,
                                                    {"90 3E 40", "90 3B 40", "90 37 40"}},
                                         BeatChange{"TheCellEntered",
                                                    [](TFrmPattern &pattern, TFormMain &main) {
                                                        main.ChordRoot->setItemIndex(9);
                                                        main.ChordName->setItemIndex(13);
                                                        main.ChordRootClick();
                                                        pattern.Grille->setCurrentCell(0, 1);
                                                        pattern.Enterchord1Click();
                                                        pattern.Grille->setCurrentCell(0, 1);
                                                        pattern.GrilleMouseDown();
                                                    },
                                                    0,
                                                    {"90 40 40", "90 3C 40", "90 39 40"}},
                                         BeatChange{"AnArpeggioChosen",
                                                    [](TFrmPattern &, TFormMain &main) {
                                                        QTest::mouseClick(main.BtnAccordUp, Qt::LeftButton, {},
                                                                          main.BtnAccordUp->rect().center());
                                                    },
                                                    0,
                                                    {"90 30 40", "90 34 40", "90 37 40"}},
                                         BeatChange{"ASlowerTempo",
                                                    [](TFrmPattern &pattern, TFormMain &) {
                                                        pattern.UpDown1->setPosition(31);
                                                        pattern.UpDown1->Step(-1);
                                                    },
                                                    1300,
                                                    {"90 37 40", "90 34 40", "90 30 40"}},
                                         BeatChange{"PlayStopped",
                                                    [](TFrmPattern &pattern, TFormMain &) {
                                                        pattern.BtnPlay->setStateOn(false);
                                                    },
                                                    1500,
                                                    {}}),
                         [](const testing::TestParamInfo<BeatChange> &info) { return info.param.name; });

} // namespace
