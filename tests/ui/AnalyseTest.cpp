// The chord analysis window: its keyboard and controls, keys held by
// clicking, the find-chord button that names and plays them, the keys of the
// keyboard that act on the whole window, and how several windows share the
// program's held keys.
#include "AnalyseFixture.h"

#include "model/ChordTable.h"
#include "platform/Exception.h"
#include "ui/Colors.h"
#include "ui/Controls.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QThread>

namespace {

class Analyser : public AnalyserTest {
protected:
    TFormAnalyse *a = nullptr;

    // A window beside the main window and a set-up dialog that has the
    // loopback output open, or none.
    void OpenWindow(bool withOutput = true)
    {
        OpenProgram(withOutput);
        a = NewWindow();
    }

    void ClickKeys(std::initializer_list<int> keys, TFormAnalyse *window = nullptr)
    {
        for (const int n : keys)
            Click(KeyOf(window ? window : a, n));
    }
};

// ---------------------------------------------------------------------------
// The window

TEST_F(Analyser, IsAToolWindowWithItsControlsWhereTheyAreDesigned)
{
    OpenWindow();
    EXPECT_EQ(a->objectName(), "FormAnalyse");
    EXPECT_TRUE(a->windowFlags() & Qt::Tool);
    EXPECT_EQ(a->windowTitle(), "Chord analyser");
    EXPECT_EQ(FormAnalyse, a);
    EXPECT_TRUE(model::AnalyserOpen);

    struct Place {
        const char *name;
        QRect rect;
    };
    const Place places[] = {
        {"Image1", {8, 14, 616, 105}},    {"BtnClear", {632, 16, 73, 22}}, {"BtnChord", {632, 48, 73, 57}},
        {"LedIn", {640, 110, 9, 9}},      {"LedOut", {688, 110, 9, 9}},    {"TntLabel1", {8, 132, 689, 25}},
        {"TntLabel2", {8, 160, 689, 25}},
    };
    for (const Place &place : places) {
        const auto *control = a->Panel3->findChild<QWidget *>(QString::fromLatin1(place.name));
        ASSERT_NE(control, nullptr) << place.name;
        EXPECT_EQ(control->geometry(), place.rect) << place.name;
    }
    EXPECT_EQ(a->Image1->Picture().size(), QSize(616, 105));
    EXPECT_EQ(a->BtnClear->text(), "Clear");
    EXPECT_FALSE(a->BtnChord->icon().isNull());
    EXPECT_EQ(a->Timer1->interval(), 300);
    EXPECT_FALSE(a->Timer1->isActive());
    EXPECT_EQ(a->LedIn->brushColor(), TLamp::OffColor());
    EXPECT_EQ(a->LedOut->brushColor(), TLamp::OffColor());
    // Only the buttons show their hints.
    EXPECT_EQ(HintOf(a->LedIn), "MIDI-IN activity");
    EXPECT_FALSE(ShowsHint(a->LedIn));
    EXPECT_FALSE(ShowsHint(a->LedOut));
    EXPECT_TRUE(ShowsHint(a->BtnChord));
    EXPECT_EQ(a->TntLabel1->font().pixelSize(), 13);
    EXPECT_EQ(a->TntLabel2->font().pixelSize(), 15);
    EXPECT_EQ(BgrFromColor(a->TntLabel1->palette().color(QPalette::WindowText)), 0xFF0000u);
}

TEST_F(Analyser, HasFourOctavesOfKeysBoundInOrderToTheProgramsTable)
{
    OpenWindow();
    struct Case {
        int key;
        QRect rect;
        TShapePianoType shape;
        int tag;
        uint32_t colour;
    };
    const Case cases[] = {
        {1, {9, 16, 21, 103}, Piano_C, 1, Ivory},         {2, {24, 17, 11, 58}, jstRoundRect, 2, Black},
        {3, {31, 16, 21, 103}, Piano_D, 3, Ivory},        {5, {53, 16, 21, 103}, Piano_E, 5, Ivory},
        {6, {75, 16, 21, 103}, Piano_C, 6, Ivory},        {7, {89, 17, 11, 58}, jstRoundRect, 7, Black},
        {10, {119, 16, 21, 103}, Piano_A, 10, Ivory},     {12, {141, 16, 21, 103}, Piano_B, 12, Ivory},
        {13, {163, 16, 21, 103}, Piano_C, 1, Ivory},      {14, {178, 17, 11, 58}, jstRoundRect, 2, Black},
        {47, {601, 17, 11, 58}, jstRoundRect, 11, Black}, {48, {603, 16, 21, 103}, Piano_B, 12, Ivory},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        TShapePiano *key = KeyOf(a, c.key);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->geometry(), c.rect);
        EXPECT_EQ(key->Shape(), c.shape);
        EXPECT_EQ(key->Tag(), c.tag);
        EXPECT_EQ(key->brushColor(), c.colour);
        EXPECT_EQ(key->OnClickUnselectColor(), c.colour);
    }
    for (int n = 1; n <= 48; ++n) {
        TShapePiano *key = KeyOf(a, n);
        EXPECT_EQ(AnalyserKeys[n - 1].Key, key) << n;
        EXPECT_TRUE(key->Hover() && key->ClickSelect() && key->Switch()) << n;
        EXPECT_EQ(key->OnClickSelectColor(), Green);
        EXPECT_EQ(key->OnHoverColor(), 0xA6CAF0u);
        EXPECT_EQ(key->penStyle(), Qt::NoPen);
        EXPECT_FALSE(key->Value());
    }
}

TEST_F(Analyser, TextsFollowTheLanguageAndAnyOtherLanguageKeepsTheDesignedOnes)
{
    struct Case {
        int language;
        const char *caption;
        const char *chordHint;
        const char *clearHint;
    };
    const Case cases[] = {
        {1, "Chord analyser", "Find the chord", "Clear"},
        {2, "Analyse d'accord", "Trouver l'accord", "Effacer"},
        {3, "Chord analyser", "Chord ?", ""},
    };
    OpenProgram(false);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language);
        model::Language = c.language;
        TFormAnalyse *window = NewWindow();
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(HintOf(window->BtnChord), QString::fromUtf8(c.chordHint));
        EXPECT_EQ(HintOf(window->BtnClear), QString::fromUtf8(c.clearHint));
        EXPECT_EQ(window->BtnClear->text(), "Clear");
    }
}

TEST_F(Analyser, FrenchChordNamesComeFromTheTableBuiltAtStart)
{
    Store("Language", 2);
    Store("Notation", 0);
    OpenWindow(false);
    ClickKeys({13, 17, 20});
    a->BtnChord->click();
    EXPECT_EQ(a->TntLabel1->text(), "Do majeur");
    EXPECT_EQ(a->TntLabel2->text(), " Do DoMaj"); // the empty major symbol, then its alternative
    EXPECT_EQ(a->windowTitle(), "Analyse d'accord");
}

// ---------------------------------------------------------------------------
// Keys held by clicking

TEST_F(Analyser, AClickTogglesAKeyAndItsCountAndASecondClickUndoesIt)
{
    OpenWindow();
    TShapePiano *c = KeyOf(a, 13);
    Click(c);
    EXPECT_TRUE(c->Value());
    EXPECT_EQ(c->brushColor(), Green);
    EXPECT_EQ(HeldKeys(), QList<int>{13});
    EXPECT_EQ(Counts(), CountsOf({0}));

    Click(KeyOf(a, 37)); // C again, three octaves up
    EXPECT_EQ(Counts(), CountsOf({0, 0}));

    Click(c);
    EXPECT_FALSE(c->Value());
    EXPECT_EQ(c->brushColor(), Ivory);
    EXPECT_EQ(HeldKeys(), QList<int>{37});
    EXPECT_EQ(Counts(), CountsOf({0}));

    TShapePiano *black = KeyOf(a, 2);
    Click(black);
    Click(black);
    EXPECT_EQ(black->brushColor(), Black);
    // A click alone never names a chord.
    EXPECT_TRUE(a->TntLabel1->text().isEmpty());
}

TEST_F(Analyser, ARightClickChangesNothing)
{
    OpenWindow();
    Click(KeyOf(a, 13), Qt::RightButton);
    EXPECT_FALSE(KeyOf(a, 13)->Value());
    EXPECT_EQ(KeyOf(a, 13)->brushColor(), Ivory);
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(Counts(), CountsOf({}));
}

TEST_F(Analyser, OnlyAKeyMayReportAKeyRelease)
{
    OpenWindow();
    try {
        a->ShapePiano1MouseUp(a->BtnClear, Qt::LeftButton, {}, 1, 1);
        FAIL() << "no error";
    } catch (const platform::Exception &error) {
        EXPECT_EQ(error.Message(), "Invalid class typecast");
    }
    EXPECT_EQ(Counts(), CountsOf({}));
}

// ---------------------------------------------------------------------------
// Finding and playing the chord

TEST_F(Analyser, SpacePlaysTheHeldKeysInAscendingOrderOnTheChannelWithTheTransposition)
{
    struct Case {
        const char *what;
        int channel;
        int detune;
        std::initializer_list<int> clicked;
        QStringList sent;
    };
    const Case cases[] = {
        {"C major, clicked top down", 0, 0, {20, 17, 13}, {"90 30 40", "90 34 40", "90 37 40"}},
        {"lowest and highest key", 0, 0, {48, 1}, {"90 24 40", "90 53 40"}},
        {"channel 16, a tone down", 15, -2, {13, 20}, {"9F 2E 40", "9F 35 40"}},
    };
    OpenProgram(true);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        a = NewWindow();
        model::MidiChannel = c.channel;
        model::Detune = c.detune;
        ClickKeys(c.clicked);
        platform::loopback::ClearSent();
        QTest::keyClick(a, Qt::Key_Space);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(a->LedOut->brushColor(), Red);
        EXPECT_TRUE(a->Timer1->isActive());
        a->BtnClear->click();
        a->Timer1Timer();
    }
}

TEST_F(Analyser, FindTheChordNamesEveryMatchAndTheLampGoesOutAtTheTimersTick)
{
    OpenWindow();
    ClickKeys({13, 17, 21}); // C E G#
    a->BtnChord->click();
    EXPECT_EQ(a->TntLabel1->text(), "C augmented <OR> C augmented <OR> E augmented <OR> E augmented"
                                    " <OR> Ab augmented <OR> Ab augmented");
    EXPECT_TRUE(a->TntLabel2->text().startsWith(" C+5 C+ C(#5) Caug <OR>  Caug C+5"));
    EXPECT_EQ(Sent(), QStringList({"91 30 40", "91 34 40", "91 38 40"}));
    EXPECT_EQ(a->LedOut->brushColor(), Red);
    EXPECT_EQ(a->LedIn->brushColor(), TLamp::OffColor());

    ASSERT_TRUE(WaitFor([&] { return !a->Timer1->isActive(); }));
    EXPECT_EQ(a->LedOut->brushColor(), TLamp::OffColor());
}

TEST_F(Analyser, OneKeyNamesNothingButIsStillPlayed)
{
    OpenWindow();
    a->TntLabel1->setText("old");
    ClickKeys({13});
    a->BtnChord->click();
    EXPECT_TRUE(a->TntLabel1->text().isEmpty());
    EXPECT_TRUE(a->TntLabel2->text().isEmpty());
    EXPECT_EQ(Sent(), QStringList{"91 30 40"});
}

TEST_F(Analyser, WithoutAnOutputFindTheChordOnlyNamesIt)
{
    OpenWindow(false);
    ClickKeys({13, 20});
    a->BtnChord->click();
    EXPECT_EQ(a->TntLabel1->text(), "CPower chord");
    EXPECT_EQ(a->TntLabel2->text(), " C5");
    EXPECT_EQ(a->LedOut->brushColor(), TLamp::OffColor());
    EXPECT_FALSE(a->Timer1->isActive());
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(Analyser, EnablingTheRunningTimerKeepsItsPeriod)
{
    OpenWindow();
    a->BtnChord->click();
    ASSERT_TRUE(a->Timer1->isActive());
    QThread::msleep(20);
    const int left = a->Timer1->remainingTime();
    a->BtnChord->click();
    EXPECT_LE(a->Timer1->remainingTime(), left);
}

TEST_F(Analyser, EscapeReleasesTheKeysButKeepsTheResultsAndClearEmptiesThemToo)
{
    OpenWindow();
    ClickKeys({13, 17, 20, 14});
    Click(KeyOf(a, 14)); // let go again
    a->BtnChord->click();
    const QString names = a->TntLabel1->text();
    ASSERT_EQ(names, "CMajor");

    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(Counts(), CountsOf({}));
    for (const int n : {13, 14, 17, 20}) {
        EXPECT_FALSE(KeyOf(a, n)->Value()) << n;
        EXPECT_EQ(KeyOf(a, n)->brushColor(), KeyOf(a, n)->OnClickUnselectColor()) << n;
    }
    EXPECT_EQ(a->TntLabel1->text(), names);

    ClickKeys({13, 20});
    a->BtnClear->click();
    EXPECT_TRUE(HeldKeys().isEmpty());
    EXPECT_EQ(Counts(), CountsOf({}));
    EXPECT_TRUE(a->TntLabel1->text().isEmpty());
    EXPECT_TRUE(a->TntLabel2->text().isEmpty());
}

TEST_F(Analyser, AKeyReleasedUnderTheMouseStaysReleasedWhenTheMouseGoes)
{
    OpenWindow();
    TShapePiano *e = KeyOf(a, 17);
    Enter(e);
    Click(e);
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(e->brushColor(), Ivory);
    Leave(e);
    EXPECT_EQ(e->brushColor(), Ivory);
}

TEST_F(Analyser, TheWindowHearsSpaceAndEscapeWhateverHasTheFocus)
{
    OpenWindow();
    a->activateWindow();
    ClickKeys({13, 20});
    // The buttons never take the focus, so Space cannot click Clear instead.
    EXPECT_EQ(a->BtnClear->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(a->BtnChord->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(a, Qt::Key_Space);
    EXPECT_EQ(a->TntLabel1->text(), "CPower chord");
    QTest::keyClick(a, Qt::Key_A);
    EXPECT_EQ(HeldKeys(), QList<int>({13, 20}));
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_TRUE(HeldKeys().isEmpty());
}

TEST_F(Analyser, ALongResultKeepsOneLineAndShowsAllOfItInTheToolTip)
{
    OpenWindow();
    ClickKeys({13, 20});
    a->BtnChord->click();
    EXPECT_TRUE(a->TntLabel1->toolTip().isEmpty()); // "C5" fits

    a->BtnClear->click();
    ClickKeys({13, 17, 21});
    a->BtnChord->click();
    EXPECT_FALSE(a->TntLabel2->wordWrap());
    const QString tip = a->TntLabel2->toolTip();
    ASSERT_FALSE(tip.isEmpty());
    for (const char *match : {"C+5 C+ C(#5) Caug", "Ab+5 Ab+ Ab(#5) Abaug", "Abaug Ab+5 Ab+ Ab(#5)"})
        EXPECT_TRUE(tip.contains(QString::fromLatin1(match).toHtmlEscaped())) << match;
    EXPECT_EQ(a->TntLabel2->toolTip().count("<br>"), 5); // one match a line
}

// ---------------------------------------------------------------------------
// Several windows

TEST_F(Analyser, TheMenuEntryShowsANewWindowEachTimeWithoutWaiting)
{
    OpenProgram(false);
    w->mnuChordanalysis->trigger();
    TFormAnalyse *first = FormAnalyse;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(model::AnalyserOpen);
    first->close();

    w->mnuChordanalysis->trigger();
    ASSERT_NE(FormAnalyse, first);
    EXPECT_TRUE(FormAnalyse->isVisible());
    EXPECT_TRUE(model::AnalyserOpen);
    // The closed window is kept, hidden.
    EXPECT_EQ(w->findChildren<TFormAnalyse *>(), (QList<TFormAnalyse *>{first, FormAnalyse}));
    EXPECT_TRUE(first->isHidden());
}

TEST_F(Analyser, ANewWindowTakesOverTheKeysButTheHeldKeysStayUntilCleared)
{
    OpenWindow();
    ClickKeys({13, 17, 20});
    a->close();
    EXPECT_FALSE(model::AnalyserOpen);
    EXPECT_TRUE(a->isHidden());

    TFormAnalyse *second = NewWindow();
    EXPECT_EQ(FormAnalyse, second);
    EXPECT_TRUE(model::AnalyserOpen);
    for (int n = 1; n <= 48; ++n)
        EXPECT_EQ(AnalyserKeys[n - 1].Key, KeyOf(second, n)) << n;
    EXPECT_EQ(KeyOf(second, 13)->brushColor(), Ivory);
    // The earlier keys still count, and are still played.
    second->BtnChord->click();
    EXPECT_EQ(second->TntLabel1->text(), "CMajor");
    EXPECT_EQ(Sent(), QStringList({"91 30 40", "91 34 40", "91 37 40"}));

    second->BtnClear->click();
    second->BtnChord->click();
    EXPECT_TRUE(second->TntLabel1->text().isEmpty());
}

TEST_F(Analyser, ClosingEitherOfTwoOpenWindowsLeavesTheAnalysisToTheOtherUntilItClosesToo)
{
    for (const int closed : {0, 1}) {
        SCOPED_TRACE(closed);
        OpenWindow();
        TFormAnalyse *windowsOpen[] = {a, NewWindow()};
        TFormAnalyse *other = windowsOpen[1 - closed];
        windowsOpen[closed]->close();
        EXPECT_TRUE(model::AnalyserOpen);
        EXPECT_EQ(FormAnalyse, other);
        for (int n = 1; n <= 48; ++n)
            EXPECT_EQ(AnalyserKeys[n - 1].Key, KeyOf(other, n)) << n;
        other->close();
        EXPECT_FALSE(model::AnalyserOpen);
        windows.clear();
        dlg.reset();
        w.reset();
    }
}

// The older window shows the keys held when the input comes back to it: a key
// it showed held that was let go meanwhile is shown released, and a click
// then holds it again rather than counting it out.
TEST_F(Analyser, AWindowThatTakesTheInputBackShowsTheKeysHeldThen)
{
    OpenWindow();
    TFormAnalyse *older = a;
    ClickKeys({13, 17}, older);
    TFormAnalyse *newer = NewWindow();
    QTest::keyClick(newer, Qt::Key_Escape);
    ClickKeys({20}, newer);
    newer->close();

    EXPECT_EQ(KeyOf(older, 13)->brushColor(), Ivory);
    EXPECT_FALSE(KeyOf(older, 13)->Value());
    EXPECT_EQ(KeyOf(older, 17)->brushColor(), Ivory);
    EXPECT_EQ(KeyOf(older, 20)->brushColor(), Green);
    ClickKeys({13}, older);
    EXPECT_EQ(HeldKeys(), QList<int>({13, 20}));
    EXPECT_EQ(Counts(), CountsOf({0, 7}));
    older->BtnChord->click();
    EXPECT_EQ(older->TntLabel1->text(), "CPower chord");
}

// A sustained sound rings until its note-off comes: what Find the chord
// played is switched off before it plays again, and when its window closes,
// each note as it went out whatever Setup says by then.
TEST_F(Analyser, WhatFindTheChordPlayedIsSwitchedOffBeforeTheNextChordAndWhenTheWindowCloses)
{
    OpenProgram(true);
    TFormAnalyse *other = NewWindow();
    a = NewWindow();
    ClickKeys({13, 17, 20});
    a->BtnChord->click();
    Click(KeyOf(a, 20));
    Click(KeyOf(a, 21));
    model::MidiChannel = 3;
    model::Detune = 2;
    a->BtnChord->click();
    EXPECT_EQ(Sent(), QStringList({"91 30 40", "91 34 40", "91 37 40", "81 30 40", "81 34 40", "81 37 40", "93 32 40",
                                   "93 36 40", "93 3A 40"}));

    // Another window has nothing sounding; this one switches off its chord.
    platform::loopback::ClearSent();
    other->close();
    EXPECT_TRUE(Sent().isEmpty());
    a->close();
    EXPECT_EQ(Sent(), QStringList({"83 32 40", "83 36 40", "83 3A 40"}));
    a->close();
    EXPECT_EQ(Sent().size(), 3);
}

// A click on an older window's key that Escape in the newer one already
// released counts that key out once more. The count stays at zero, so the
// chord held afterwards is still found.
TEST_F(Analyser, AStrayClickReleaseNeverTakesACountBelowZero)
{
    OpenWindow();
    TFormAnalyse *older = a;
    ClickKeys({13}, older);
    TFormAnalyse *newer = NewWindow();
    QTest::keyClick(newer, Qt::Key_Escape);
    ClickKeys({13}, older);
    EXPECT_EQ(Counts(), CountsOf({}));

    ClickKeys({13, 17, 20}, newer);
    newer->BtnChord->click();
    EXPECT_EQ(newer->TntLabel1->text(), "CMajor");
}

} // namespace
