// What the main window does when the musician clicks, presses keys and
// moves the mouse over it.
#include "MainWindowFixture.h"

#include "model/ScaleTable.h"
#include "ui/Staff.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>

#include <algorithm>

namespace {

using MainWindowEvents = MainWindowTest;

// Where the note heads are on the staff, left to right; heads in one column
// in the order they were drawn.
QList<QPoint> Heads(const TFormMain &window)
{
    QList<QPoint> heads;
    for (const TStaffMark &mark : window.Staff().Marks())
        if (mark.kind == TStaffMark::Kind::Head)
            heads << mark.at;
    std::stable_sort(heads.begin(), heads.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    return heads;
}

} // namespace

TEST_F(MainWindowEvents, LetterKeysChooseTheRootSpaceReplaysAndOtherKeysAreIgnored)
{
    Open();
    QTest::keyClick(w.get(), Qt::Key_E);
    EXPECT_EQ(w->LabelChord->text(), "E, EMajor, EM");
    EXPECT_EQ(PressedKeys(), QList<int>({17, 21, 24}));
    EXPECT_EQ(w->ChordRoot->ItemIndex(), 4);
    EXPECT_EQ(w->PlayCurrentCalls, 1) << "the chord spelling plays when a playback mode is on";

    QTest::keyClick(w.get(), Qt::Key_Space);
    EXPECT_EQ(w->PlayCurrentCalls, 2);

    QTest::keyClick(w.get(), Qt::Key_H);
    QTest::keyClick(w.get(), Qt::Key_1);
    EXPECT_EQ(w->LabelChord->text(), "E, EMajor, EM");
    EXPECT_EQ(w->PlayCurrentCalls, 2);

    const std::pair<Qt::Key, const char *> letters[] = {{Qt::Key_C, "C"}, {Qt::Key_D, "D"}, {Qt::Key_F, "F"},
                                                        {Qt::Key_G, "G"}, {Qt::Key_A, "A"}, {Qt::Key_B, "B"}};
    for (const auto &[letter, root] : letters) {
        QTest::keyClick(w.get(), letter, Qt::ShiftModifier);
        EXPECT_EQ(w->LabelChord->text(), QString("%1, %1Major, %1M").arg(root)) << "with Shift";
    }
}

TEST_F(MainWindowEvents, AKeyOnAControlReachesTheWindowOnce)
{
    Open();
    // A key the control ignores travels up through its parents.
    QTest::keyClick(Key(40), Qt::Key_Space);
    EXPECT_EQ(w->PlayCurrentCalls, 1);
}

TEST_F(MainWindowEvents, AFocusedComboBoxLeavesSpaceAndTheLettersToTheWindow)
{
    Store("WindowCompact", 1);
    Open();
    w->show();
    QApplication::setActiveWindow(w.get());
    const int minor = ChordNumber("m") - 1;
    w->ComboChord->setCurrentIndex(minor);
    emit w->ComboChord->activated(minor);
    w->ComboChord->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), w->ComboChord);
    const int plays = w->PlayCurrentCalls;

    // "A" chooses the root; the combo box does not jump to "aug" by its letter.
    QTest::keyClick(w->ComboChord, Qt::Key_A);
    EXPECT_EQ(w->LabelChord->text().left(3), "Am,");
    EXPECT_EQ(w->ComboChord->currentIndex(), minor);
    EXPECT_EQ(w->ChordName->ItemIndex(), minor);
    // Space replays the chord and opens no list.
    QTest::keyClick(w->ComboChord, Qt::Key_Space);
    EXPECT_EQ(w->PlayCurrentCalls, plays + 2);
    EXPECT_FALSE(w->ComboChord->view()->isVisible());
    // "h" is no root and no chord either.
    QTest::keyClick(w->ComboChord, Qt::Key_H);
    EXPECT_EQ(w->ComboChord->currentIndex(), minor);
    EXPECT_EQ(w->PlayCurrentCalls, plays + 2);
    // The arrows still move through the chord types.
    QTest::keyClick(w->ComboChord, Qt::Key_Down);
    EXPECT_EQ(w->ComboChord->currentIndex(), minor + 1);
    EXPECT_EQ(w->ChordName->ItemIndex(), minor + 1);
    EXPECT_EQ(model::CurrentRoot, 10);
}

TEST_F(MainWindowEvents, AComboBoxDropsDownSixteenLinesOnTheScreen)
{
    Store("WindowCompact", 1);
    Open();
    TPanelStyle style; // the program's
    w->ComboChord->setStyle(&style);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->ComboChord->showPopup();
    QAbstractItemView *view = w->ComboChord->view();
    ASSERT_TRUE(view->isVisible());
    const int lines = view->viewport()->height() / view->sizeHintForRow(0);
    EXPECT_EQ(lines, 16);
    EXPECT_TRUE(w->screen()->availableGeometry().contains(view->window()->frameGeometry()));
    w->ComboChord->hidePopup();
    w->ComboChord->setStyle(nullptr);
}

TEST_F(MainWindowEvents, OnlyTheMiddleOctaveChoosesARootWithTheMouse)
{
    Open();
    const struct {
        int key;
        const char *label; // nullptr: nothing changes
    } cases[] = {
        {13, "C, CMajor, CM"}, {14, "Db, DbMajor, DbM"},
        {18, "F, FMajor, FM"}, {24, "B, BMajor, BM"},
        {1, nullptr},          {12, nullptr},
        {25, nullptr},         {30, nullptr},
        {48, nullptr},
    };
    for (const auto &c : cases) {
        QTest::keyClick(w.get(), Qt::Key_D);
        const uint32_t before = Key(c.key)->brushColor();
        Click(Key(c.key));
        if (c.label) {
            EXPECT_EQ(w->LabelChord->text(), c.label) << "key " << c.key;
            EXPECT_EQ(w->ChordRoot->ItemIndex(), c.key - 13);
            EXPECT_EQ(model::CurrentRoot, c.key - 12);
        } else {
            EXPECT_EQ(w->LabelChord->text(), "D, DMajor, DM") << "key " << c.key;
            EXPECT_EQ(Key(c.key)->brushColor(), before) << "key " << c.key;
            EXPECT_EQ(model::CurrentRoot, 3);
        }
    }
    Click(Key(16), Qt::RightButton);
    EXPECT_EQ(w->LabelChord->text(), "D, DMajor, DM") << "only the left button chooses";
}

TEST_F(MainWindowEvents, HoveringTheMiddleOctaveNamesTheNoteInTheStatusBar)
{
    Open();
    for (int n : {1, 12, 25, 36, 48}) {
        Enter(Key(n));
        EXPECT_EQ(w->StatusPanelText(0), "") << "key " << n;
    }
    const std::pair<int, const char *> named[] = {{13, "C"}, {14, "Db"}, {23, "Bb"}, {24, "B"}};
    for (const auto &[n, name] : named) {
        Enter(Key(n));
        EXPECT_EQ(w->StatusPanelText(0), name) << "key " << n;
        EXPECT_EQ(Key(n)->brushColor(), 0xA6CAF0u) << "key " << n;
    }
}

TEST_F(MainWindowEvents, AKeyLeftAfterTheChordChangedShowsWhetherItIsInTheNewChord)
{
    Open();
    // The mouse rests on a key of C major while "d" shows D major, then moves away.
    const struct {
        int key;
        bool inDMajor;
    } cases[] = {{17, false}, {19, true}, {15, true}, {13, false}};
    for (const auto &c : cases) {
        QTest::keyClick(w.get(), Qt::Key_C);
        Enter(Key(c.key));
        QTest::keyClick(w.get(), Qt::Key_D);
        Leave(Key(c.key));
        EXPECT_EQ(PressedKeys(), QList<int>({15, 19, 22}));
        EXPECT_EQ(Key(c.key)->brushColor(),
                  c.inDMajor ? Key(c.key)->OnClickSelectColor() : Key(c.key)->OnClickUnselectColor())
            << "key " << c.key;
    }
}

TEST_F(MainWindowEvents, InversionSwitchesAreExclusiveAndRedisplayTheChord)
{
    Open();
    const struct {
        TImgSwitch *TFormMain::*sw;
        int inversion;
        bool downOn, upOn;
        QList<int> keys;
    } steps[] = {
        {&TFormMain::RenversementDown, -1, true, false, {8, 13, 17}},
        {&TFormMain::RenversementUp, 1, false, true, {17, 20, 25}},
        {&TFormMain::RenversementUp, 0, false, false, {13, 17, 20}},
        {&TFormMain::RenversementUp, 1, false, true, {17, 20, 25}},
        {&TFormMain::RenversementDown, -1, true, false, {8, 13, 17}},
        {&TFormMain::RenversementDown, 0, false, false, {13, 17, 20}},
    };
    int step = 0;
    for (const auto &s : steps) {
        Click(w.get()->*s.sw);
        EXPECT_EQ(model::CurrentInversion, s.inversion) << "step " << step;
        EXPECT_EQ(w->RenversementDown->StateOn(), s.downOn) << "step " << step;
        EXPECT_EQ(w->RenversementUp->StateOn(), s.upOn) << "step " << step;
        EXPECT_EQ(PressedKeys(), s.keys) << "step " << step;
        ++step;
    }
    // The inversion stays for the next chord chosen.
    Click(w->RenversementUp);
    QTest::keyClick(w.get(), Qt::Key_G);
    EXPECT_EQ(PressedKeys(), QList<int>({24, 27, 32}));
}

TEST_F(MainWindowEvents, PlaybackSwitchesAreExclusiveAndSetThePlaybackMode)
{
    Open();
    ASSERT_TRUE(w->BtnAccord->StateOn()) << "the default mode plays the chord at once";
    const struct {
        TImgSwitch *TFormMain::*sw;
        QList<bool> on; // BtnAccord, BtnAccordUp, BtnAccordDown
        int listenType;
        bool autoListen;
        QStringList played;
        QList<QPoint> heads; // the staff's columns follow the mode (C major: E4 at 172, G4 at 156, C5 at 140)
    } steps[] = {
        {&TFormMain::BtnAccordUp, {false, true, false}, 1, true, {"up"}, {{55, 172}, {100, 156}, {145, 140}}},
        {&TFormMain::BtnAccord, {true, false, false}, 0, true, {"at once"}, {{55, 172}, {55, 156}, {55, 140}}},
        {&TFormMain::BtnAccord, {false, false, false}, -1, false, {}, {{55, 172}, {55, 156}, {55, 140}}},
        {&TFormMain::BtnAccordDown, {false, false, true}, 2, true, {"down"}, {{55, 140}, {100, 156}, {145, 172}}},
        {&TFormMain::BtnAccordUp, {false, true, false}, 1, true, {"up"}, {{55, 172}, {100, 156}, {145, 140}}},
        {&TFormMain::BtnAccordUp, {false, false, false}, -1, false, {}, {{55, 172}, {100, 156}, {145, 140}}},
    };
    int step = 0;
    for (const auto &s : steps) {
        w->Playbacks.clear();
        Click(w.get()->*s.sw);
        EXPECT_EQ(QList<bool>({w->BtnAccord->StateOn(), w->BtnAccordUp->StateOn(), w->BtnAccordDown->StateOn()}), s.on)
            << "step " << step;
        EXPECT_EQ(model::ListenType, s.listenType) << "step " << step;
        EXPECT_EQ(model::AutoListen, s.autoListen) << "step " << step;
        EXPECT_EQ(w->Playbacks, s.played) << "step " << step;
        EXPECT_EQ(Heads(*w), s.heads) << "step " << step;
        ++step;
    }
    // With no playback mode a new chord is not played; the play button still asks.
    const int calls = w->PlayCurrentCalls;
    QTest::keyClick(w.get(), Qt::Key_D);
    EXPECT_EQ(w->PlayCurrentCalls, calls);
    Click(w->BtnListen);
    EXPECT_EQ(w->PlayCurrentCalls, calls + 1);
}

TEST_F(MainWindowEvents, ASwitchPressedAndDraggedOffChangesNothing)
{
    Open();
    const auto pressAndDragOff = [](TImgSwitch *sw) {
        const QPointF on = sw->rect().center();
        const QPointF off(sw->width() + 40, on.y());
        const auto send = [sw](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, sw->mapToGlobal(at), button, held, {});
            QCoreApplication::sendEvent(sw, &event);
        };
        send(QEvent::MouseButtonPress, on, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, off, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, off, Qt::LeftButton, Qt::NoButton);
    };
    ASSERT_TRUE(w->BtnAccord->StateOn());
    pressAndDragOff(w->BtnAccordUp);
    EXPECT_TRUE(w->BtnAccord->StateOn());
    EXPECT_FALSE(w->BtnAccordUp->StateOn());
    EXPECT_EQ(model::ListenType, 0);
    EXPECT_TRUE(w->Playbacks.isEmpty());

    pressAndDragOff(w->RenversementUp);
    EXPECT_FALSE(w->RenversementUp->StateOn());
    EXPECT_EQ(model::CurrentInversion, 0);
    EXPECT_EQ(PressedKeys(), QList<int>({13, 17, 20}));
    EXPECT_EQ(w->PlayCurrentCalls, 0) << "nothing was redisplayed or played";

    pressAndDragOff(w->SwMode);
    EXPECT_EQ(w->Mode, 0);
    EXPECT_TRUE(w->GroupRenversement->isVisibleTo(w.get()));
}

TEST_F(MainWindowEvents, ScaleModeHidesTheInversionsAndShowsScalesOnTheRootChosen)
{
    Open();
    Click(w->SwMode);
    EXPECT_EQ(w->Mode, 1);
    EXPECT_FALSE(w->GroupRenversement->isVisibleTo(w.get()));
    EXPECT_TRUE(w->Scales->isVisibleTo(w.get()));
    EXPECT_FALSE(w->ChordName->isVisibleTo(w.get()));
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM") << "the mode alone shows nothing new";

    Click(Key(15));
    EXPECT_EQ(w->LabelChord->text(), "D Major");
    EXPECT_EQ(PressedKeys(), QList<int>({15, 17, 19, 20, 22, 24, 26, 27}));
    EXPECT_EQ(w->PlayCurrentCalls, 1);

    w->Scales->setItemIndex(5);
    w->ScalesClick();
    EXPECT_EQ(w->LabelChord->text(), "D Pentatonic  minor");
    EXPECT_EQ(PressedKeys(), QList<int>({15, 18, 20, 22, 25, 27}));

    QTest::keyClick(w.get(), Qt::Key_B);
    w->Scales->setItemIndex(0);
    w->ScalesClick();
    EXPECT_EQ(PressedKeys().last(), 36) << "root B reaches the highest key a scale uses";

    Click(w->SwMode);
    EXPECT_EQ(w->Mode, 0);
    EXPECT_TRUE(w->GroupRenversement->isVisibleTo(w.get()));
    EXPECT_FALSE(w->Scales->isVisibleTo(w.get()));
    EXPECT_TRUE(w->ChordName->isVisibleTo(w.get()));
}

TEST_F(MainWindowEvents, WithNoScaleSelectedTheKeysAreReleasedAndNothingElseHappens)
{
    Open();
    w->Mode = 1;
    w->Scales->setItemIndex(-1);
    const QList<QPoint> headsBefore = Heads(*w);
    w->ScalesClick();
    EXPECT_TRUE(PressedKeys().isEmpty());
    EXPECT_TRUE(ChordNoteKeys().isEmpty());
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
    EXPECT_EQ(w->PlayCurrentCalls, 0);
    EXPECT_EQ(Heads(*w), headsBefore) << "the staff is not redrawn";
}

TEST_F(MainWindowEvents, TheCompactLayoutChoosesChordsAndScalesWithItsComboBoxes)
{
    Store("WindowCompact", 1);
    Open();
    EXPECT_EQ(w->ClientArea->height(), 236);
    const int minor = ChordNumber("m") - 1;
    w->ComboChord->setCurrentIndex(minor);
    emit w->ComboChord->activated(minor);
    EXPECT_EQ(w->ChordName->ItemIndex(), minor);
    EXPECT_EQ(w->LabelChord->text(), "Cm, Cmin, Cminor, C-");

    Click(w->SwMode);
    EXPECT_TRUE(w->ComboScales->isVisibleTo(w.get()));
    EXPECT_FALSE(w->ComboChord->isVisibleTo(w.get()));
    EXPECT_FALSE(w->Scales->isVisibleTo(w.get()));
    w->ComboScales->setCurrentIndex(1);
    emit w->ComboScales->activated(1);
    EXPECT_EQ(w->LabelChord->text(), "C Minor");
}

TEST_F(MainWindowEvents, ClickingTheListsChoosesRootAndChord)
{
    Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const auto clickLine = [](TOwnerDrawList *list, int line) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
    };
    clickLine(w->ChordRoot, 9);
    EXPECT_EQ(w->LabelChord->text(), "A, AMajor, AM");
    clickLine(w->ChordName, ChordNumber("M7") - 1);
    EXPECT_EQ(w->LabelChord->text(), QStringLiteral("A\u0394, AMaj7, AM7"));
    EXPECT_EQ(model::CurrentChord, ChordNumber("M7"));
    EXPECT_EQ(PressedKeys(), QList<int>({22, 26, 29, 33}));
}

// What a hand does on a list: each gesture with the line the highlight must
// end on and the number of clicks that must run.
enum class TGesture { LeftClick, RightClick, MiddleClick, DragToLine, DragOutOfTheList, DoubleClick };

struct ListGesture {
    const char *name;
    TGesture gesture;
    bool moves; // the highlight ends on the target line, else it stays
    int clicks; // how many times the list's click runs
};

void PrintTo(const ListGesture &value, std::ostream *os)
{
    *os << value.name;
}

class ListGestures : public MainWindowTest, public testing::WithParamInterface<ListGesture> {
protected:
    static void Mouse(QWidget *viewport, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at)
    {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, {});
        QCoreApplication::sendEvent(viewport, &event);
    }

    // Performs the gesture from line `from` toward line `to`.
    static void Perform(TOwnerDrawList *list, TGesture gesture, int from, int to)
    {
        QWidget *viewport = list->viewport();
        const QPoint start = list->visualItemRect(list->item(from)).center();
        const QPoint target = list->visualItemRect(list->item(to)).center();
        switch (gesture) {
        case TGesture::LeftClick:
            QTest::mouseClick(viewport, Qt::LeftButton, {}, target);
            break;
        case TGesture::RightClick:
            QTest::mouseClick(viewport, Qt::RightButton, {}, target);
            break;
        case TGesture::MiddleClick:
            QTest::mouseClick(viewport, Qt::MiddleButton, {}, target);
            break;
        case TGesture::DoubleClick:
            // As the window system delivers it: the second press comes as a double click.
            for (const QEvent::Type press : {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick}) {
                Mouse(viewport, press, Qt::LeftButton, Qt::LeftButton, target);
                Mouse(viewport, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, target);
            }
            break;
        case TGesture::DragToLine:
        case TGesture::DragOutOfTheList: {
            const QPoint end = gesture == TGesture::DragToLine ? target : QPoint(viewport->width() + 30, target.y());
            Mouse(viewport, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, start);
            for (int step = 1; step <= 4; ++step)
                Mouse(viewport, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, start + (end - start) * step / 4);
            Mouse(viewport, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, end);
            break;
        }
        }
    }
};

TEST_P(ListGestures, TheHighlightedLineIsAlwaysTheOneWhoseClickRan)
{
    const ListGesture &g = GetParam();
    model::ListenType = 0;
    Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));

    struct Case {
        const char *list;
        int from, to;
    };
    for (const Case c : {Case{"ChordRoot", 2, 4}, Case{"ChordName", 0, 3}, Case{"Scales", 1, 5}}) {
        SCOPED_TRACE(c.list);
        auto *list = Get<TOwnerDrawList>(c.list);
        const bool scales = list == w->Scales;
        if (scales != w->SwMode->StateOn())
            Click(w->SwMode);
        ASSERT_TRUE(list->isVisible());
        list->setItemIndex(c.from);
        const QString shownBefore = w->LabelChord->text();
        const int playedBefore = w->PlayCurrentCalls;
        QSignalSpy clicks(list, &TOwnerDrawList::OnClick);

        Perform(list, g.gesture, c.from, c.to);

        const int line = g.moves ? c.to : c.from;
        EXPECT_EQ(list->ItemIndex(), line);
        EXPECT_EQ(clicks.count(), g.clicks);
        if (g.clicks == 0) {
            EXPECT_EQ(w->LabelChord->text(), shownBefore);
            EXPECT_EQ(w->PlayCurrentCalls, playedBefore);
        } else if (scales) {
            EXPECT_TRUE(w->LabelChord->text().endsWith(model::ScaleTable[line + 1].Name))
                << w->LabelChord->text().toStdString();
            EXPECT_EQ(w->PlayCurrentCalls, playedBefore + g.clicks);
        } else {
            // What the window shows and plays follows the highlighted lines.
            EXPECT_EQ(model::CurrentRoot, w->ChordRoot->ItemIndex() + 1);
            EXPECT_EQ(model::CurrentChord, w->ChordName->ItemIndex() + 1);
            EXPECT_EQ(PressedKeys().value(0), 13 + w->ChordRoot->ItemIndex());
            EXPECT_EQ(w->PlayCurrentCalls, playedBefore + g.clicks);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindowEvents, ListGestures,
                         testing::Values(ListGesture{"LeftClick", TGesture::LeftClick, true, 1},
                                         ListGesture{"RightClick", TGesture::RightClick, false, 0},
                                         ListGesture{"MiddleClick", TGesture::MiddleClick, false, 0},
                                         ListGesture{"DragToLine", TGesture::DragToLine, true, 1},
                                         ListGesture{"DragOutOfTheList", TGesture::DragOutOfTheList, false, 0},
                                         ListGesture{"DoubleClick", TGesture::DoubleClick, true, 2}),
                         [](const testing::TestParamInfo<ListGesture> &info) { return std::string(info.param.name); });

TEST_F(MainWindowEvents, AStaleLineNeverFeedsTheNextClick)
{
    // A right click on E, then a click on a chord type: the chord is built on
    // the root on show, C, not on E.
    Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const auto lineAt = [](TOwnerDrawList *list, int line) { return list->visualItemRect(list->item(line)).center(); };
    QTest::mouseClick(w->ChordRoot->viewport(), Qt::RightButton, {}, lineAt(w->ChordRoot, 4));
    QTest::mouseClick(w->ChordName->viewport(), Qt::LeftButton, {}, lineAt(w->ChordName, ChordNumber("m") - 1));
    EXPECT_EQ(w->LabelChord->text().left(2), "Cm");
    EXPECT_EQ(model::CurrentRoot, 1);
}

TEST_F(MainWindowEvents, TheAccidentalsSwitchRenamesTheRootsAndRespellsTheChord)
{
    Open();
    Click(Key(14));
    EXPECT_EQ(w->LabelChord->text(), "Db, DbMajor, DbM");
    Click(w->Alteration);
    EXPECT_TRUE(model::AlterationsEnDiese);
    EXPECT_EQ(model::NoteNames[1], "C#");
    EXPECT_EQ(w->ChordRoot->item(1)->text(), "C#");
    EXPECT_EQ(w->ChordRoot->ItemIndex(), 1);
    EXPECT_EQ(w->LabelChord->text(), "C#, C#Major, C#M");
    Click(w->Alteration);
    EXPECT_FALSE(model::AlterationsEnDiese);
    EXPECT_EQ(w->LabelChord->text(), "Db, DbMajor, DbM");

    Click(w->SwMode);
    Click(w->Alteration);
    EXPECT_EQ(w->LabelChord->text(), "C# Major") << "in scale mode the scale is shown again";
}

TEST_F(MainWindowEvents, ClickingTheStaffTogglesTheClef)
{
    Open();
    const auto clefAt = [this] {
        for (const TStaffMark &mark : w->Staff().Marks())
            if (mark.kind == TStaffMark::Kind::Clef)
                return mark.at;
        return QPoint(-1, -1);
    };
    Click(w->ImgPartition);
    EXPECT_EQ(Clef, 0);
    EXPECT_EQ(clefAt(), QPoint(5, 95));
    Click(w->ImgPartition);
    EXPECT_EQ(Clef, 1);
    EXPECT_EQ(clefAt(), QPoint(5, 85));
}

TEST_F(MainWindowEvents, MovingOverASwitchShowsItsHintAndTheBarePanelClearsTheBar)
{
    Open();
    const std::pair<TImgSwitch * TFormMain::*, const char *> switches[] = {
        {&TFormMain::Alteration, "Click to change"},
        {&TFormMain::RenversementDown, "Press to display inverted chord,\r\ndepress for normal state."},
        {&TFormMain::RenversementUp, "Press to display inverted chord,\r\ndepress for normal state."},
        {&TFormMain::BtnAccord, "Play the chord"},
        {&TFormMain::BtnAccordUp, "Play the notes ascending"},
        {&TFormMain::BtnAccordDown, "Play the notes descending"},
        {&TFormMain::SwMode, "Toggle between Scale and Chord modes"},
    };
    for (const auto &[sw, hint] : switches) {
        w->Panel2MouseMove();
        MoveOver(w.get()->*sw);
        EXPECT_EQ(w->StatusPanelText(1), hint);
    }
    w->Panel2MouseMove();
    Enter(w->BtnListen);
    EXPECT_EQ(w->StatusPanelText(1), "Play the chord");
    EXPECT_EQ(w->findChild<QLabel *>("StatusPanel1")->text(), "Play the chord");

    Enter(Key(20));
    MoveOver(w->RenversementUp);
    EXPECT_EQ(w->findChild<QLabel *>("StatusPanel1")->text(),
              "Press to display inverted chord, depress for normal state.")
        << "the bar shows a hint on one line";
    MoveOver(w->Panel2);
    EXPECT_EQ(w->StatusPanelText(0), "");
    EXPECT_EQ(w->StatusPanelText(1), "");
}
