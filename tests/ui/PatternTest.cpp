// The chord pattern editor as the user works it: entering, clearing, copying
// and pasting chords, markers, measures, its menu and texts, and its files.
#include "Contrast.h"
#include "EventWait.h"
#include "PatternFixture.h"

#include "model/ChordTable.h"
#include "ui/ImgButton.h"
#include "ui/ImgSwitch.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLCDNumber>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QtEndian>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Pattern = PatternTest;
using hntest::WaitFor;

// Files larger than the limit cannot be written while it stands.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { Lift(); }
    void Lift() { setrlimit(RLIMIT_FSIZE, &FOld); }

private:
    rlimit FOld{};
};

TEST_F(Pattern, StartsAsAnEmptyTwentyMeasureGridWithTheMarkerOutsideIt)
{
    Open();
    // The main window clears the markers before the editor exists.
    EXPECT_EQ(EndMarkerCol, -1);
    EXPECT_EQ(LoopMarkerRow, -1);
    EXPECT_FALSE(model::PatternFormCreated);
    NewEditor();

    EXPECT_EQ(FrmPattern, p);
    EXPECT_TRUE(model::PatternFormCreated);
    EXPECT_EQ(p->objectName(), "FrmPattern");
    EXPECT_EQ(p->windowTitle(), "Chords pattern");
    EXPECT_TRUE(p->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(p->isVisible());
    for (const char *name : {"Grille", "Chord", "Label1", "StatusBar1", "BtnOpen", "BtnSave", "BtnSaveMidi", "BtnClear",
                             "Tempo", "UpDown1", "BtnPlay", "Metronome", "PopupMenu1"})
        EXPECT_NE(p->findChild<QObject *>(QString::fromLatin1(name)), nullptr) << name;

    EXPECT_EQ(p->ColCount(), 5);
    EXPECT_EQ(p->RowCount(), 20);
    const int widths[] = {35, 95, 95, 95, 95};
    for (int col = 0; col < 5; ++col)
        EXPECT_EQ(p->Grille->columnWidth(col), widths[col]);
    EXPECT_EQ(p->Grille->rowHeight(7), 24);
    EXPECT_EQ(p->Grille->item(19, 0)->text(), "20");
    EXPECT_EQ(EndMarkerCol, 5);
    EXPECT_EQ(EndMarkerRow, 20);
    EXPECT_EQ(LoopMarkerCol, -1);
    ASSERT_EQ(PatternCells.size(), 5u);
    EXPECT_EQ(PatternCells[4].size(), 21u);
    EXPECT_EQ(p->BeatsPerMinute(), 120);
    EXPECT_EQ(p->Tempo->intValue(), 120);
    EXPECT_EQ(p->UpDown1->Position(), 120);
    EXPECT_EQ(p->StatusText(), "Measure 1/1");
    EXPECT_EQ(p->PlayCol(), 1);
    EXPECT_EQ(p->PlayRow(), 0);
    EXPECT_EQ(p->Chord->text(), "C");
    EXPECT_FALSE(p->Copy1->isEnabled());
    EXPECT_FALSE(p->Paste1->isEnabled());
    EXPECT_FALSE(p->Metronome->isActive());
    for (const TImgBtn *button : {p->BtnOpen, p->BtnSave, p->BtnSaveMidi, p->BtnClear}) {
        EXPECT_EQ(button->Glyph().size(), QSize(128, 32)) << button->objectName().toStdString();
        EXPECT_EQ(button->size(), QSize(32, 32));
    }
    ASSERT_EQ(p->findChild<TImageList *>("ImageList1"), p->ImageList1);
    EXPECT_EQ(p->ImageList1->Count(), 2);
    EXPECT_EQ(p->ImageList1->Picture(0).size(), QSize(16, 16));
    EXPECT_EQ(p->ImageList1->Picture(1).size(), QSize(16, 16));
    EXPECT_NE(p->ImageList1->Picture(0), p->ImageList1->Picture(1));

    // The main window's chords reach the Chord label.
    w->ChordName->setItemIndex(8);
    w->ChordRootClick();
    EXPECT_EQ(p->Chord->text(), QStringLiteral("CΔ"));
}

TEST_F(Pattern, ShowsTheTextsOfTheLanguageAndTheNamingItStartsWith)
{
    struct Case {
        int language;
        bool letters;
        const char *caption, *label, *play, *open, *save, *midi, *clear, *chord;
    };
    const Case cases[] = {
        {1, true, "Chords pattern", "Chord selected :", "Play", "Open...", "Save...", "Export MIDI", "Clear pattern",
         "C"},
        {2, false, "Grille d'accords", "Accord selectionné :", "Jouer", "Ouvrir...", "Sauver...", "Export MIDI",
         "Effacer la grille", "DO"},
        // Any other stored language is French.
        {3, true, "Grille d'accords", "Accord selectionné :", "Jouer", "Ouvrir...", "Sauver...", "Export MIDI",
         "Effacer la grille", "C"},
    };
    for (const Case &c : cases) {
        Store("Language", c.language);
        Store("Notation", c.letters);
        OpenEditor();
        EXPECT_EQ(p->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(p->Label1->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(p->BtnPlay->Caption(), QString::fromUtf8(c.play));
        EXPECT_EQ(HintOf(p->BtnOpen), QString::fromUtf8(c.open));
        EXPECT_EQ(HintOf(p->BtnSave), QString::fromUtf8(c.save));
        EXPECT_EQ(HintOf(p->BtnSaveMidi), QString::fromUtf8(c.midi));
        EXPECT_EQ(HintOf(p->BtnClear), QString::fromUtf8(c.clear));
        EXPECT_EQ(p->Chord->text(), QString::fromUtf8(c.chord));
        EXPECT_EQ(HintOf(p->Grille), "Double-click inserts the chord selected");
        // The menu stays English.
        EXPECT_EQ(p->Enterchord1->text(), "Enter chord");
        CloseEditor();
        w.reset();
    }

    // A change of language re-labels the open editor; an unknown one leaves it.
    Store("Language", 1);
    OpenEditor();
    model::Language = 2;
    p->ApplyLanguage();
    EXPECT_EQ(p->windowTitle(), "Grille d'accords");
    model::Language = 3;
    p->ApplyLanguage();
    EXPECT_EQ(p->windowTitle(), "Grille d'accords");
}

TEST_F(Pattern, ThePopupMenuListsTheCommandsInOrderWithTheirShortcutsAndMarkerPictures)
{
    OpenEditor();
    QStringList entries;
    for (const QAction *action : p->PopupMenu1->actions())
        entries << (action->isSeparator() ? QStringLiteral("-")
                                          : action->text() + " " + action->shortcut().toString() + " " +
                                                (action->icon().isNull() ? "" : "[picture]"));
    EXPECT_EQ(entries, QStringList({"Enter chord  ", "Clear  ", "Copy Ctrl+C ", "Paste Ctrl+V ",
                                    "End of pattern Ctrl+E [picture]", "Loop from beginning Ctrl+L [picture]", "-",
                                    "Insert measure before  ", "Insert measure after  ", "Delete measure Ctrl+D "}));
}

TEST_F(Pattern, ADoubleClickEntersTheChordOnShowWithItsRootChordAndInversion)
{
    OpenEditor();
    // Before any pick: the main window's start-up chord.
    DoubleClickCell(2, 3);
    EXPECT_EQ(p->CellText(2, 3), "C");
    EXPECT_EQ(Data(2, 3), (ui::TPatternCell{1, 1, 0}));
    EXPECT_EQ(p->StatusText(), "Measure 4/2");
    EXPECT_TRUE(p->Copy1->isEnabled());

    // G minor seventh, its top note down.
    w->RenversementDown->setStateOn(true);
    EnterChord(4, 0, 8, 20);
    EXPECT_EQ(p->CellText(4, 0), "Gm7");
    EXPECT_EQ(Data(4, 0), (ui::TPatternCell{8, 20, -1}));

    // The menu entry does the same on the selected cell.
    ClickCell(1, 5);
    p->Enterchord1->trigger();
    EXPECT_EQ(p->CellText(1, 5), "Gm7");
    EXPECT_EQ(Data(1, 5), (ui::TPatternCell{8, 20, -1}));

    // A double click on a measure number enters nothing there.
    DoubleClickCell(0, 9);
    EXPECT_EQ(p->Grille->item(9, 0)->text(), "10");
    EXPECT_EQ(p->Grille->currentColumn(), 1);
}

TEST_F(Pattern, ARightClickOpensTheMenuOnTheCellsAlreadySelected)
{
    OpenEditor();
    DoubleClickCell(1, 0);
    ClickCell(3, 2);
    EXPECT_EQ(p->StatusText(), "Measure 3/3");
    ClickCell(1, 0, Qt::RightButton);
    EXPECT_EQ(p->Grille->currentColumn(), 3);
    EXPECT_EQ(p->Grille->currentRow(), 2);
    // The command of the menu then acts on the selected cell, not the clicked one.
    p->Clear1->trigger();
    EXPECT_EQ(p->CellText(1, 0), "C");
    // A left click on the measure numbers selects nothing there either.
    ClickCell(0, 4);
    EXPECT_EQ(p->Grille->currentColumn(), 3);
    EXPECT_EQ(p->Grille->currentRow(), 2);
}

TEST_F(Pattern, ClearEmptiesOnlyTheSelectedCellAndDeleteTheWholeRange)
{
    OpenEditor();
    for (int row = 0; row < 3; ++row)
        for (int col = 1; col <= 4; ++col)
            DoubleClickCell(col, row);
    DragCells(2, 0, 3, 2);
    EXPECT_EQ(p->Grille->Selection(), QRect(QPoint(2, 0), QPoint(3, 2)));

    p->Clear1->trigger();
    EXPECT_EQ(Texts(0, 2), QStringList({"C|C|C|C", "C|C|C|C", "C|C||C"}));
    EXPECT_EQ(Data(3, 2), ui::TPatternCell{});

    QTest::keyClick(p->Grille, Qt::Key_Delete);
    EXPECT_EQ(Texts(0, 2), QStringList({"C|||C", "C|||C", "C|||C"}));
    for (int row = 0; row < 3; ++row)
        for (int col = 2; col <= 3; ++col)
            EXPECT_EQ(Data(col, row), ui::TPatternCell{}) << col << "," << row;
    EXPECT_EQ(Data(4, 1), (ui::TPatternCell{1, 1, 0}));
    EXPECT_EQ(p->StatusText(), "Measure 3/3");

    // Any key released updates the status panel.
    QTest::keyClick(p->Grille, Qt::Key_Down);
    EXPECT_EQ(p->StatusText(), "Measure 4/3");
    QTest::keyClick(p->Grille, Qt::Key_Left);
    QTest::keyClick(p->Grille, Qt::Key_Left);
    QTest::keyClick(p->Grille, Qt::Key_Left);
    EXPECT_EQ(p->StatusText(), "Measure 4/1") << "the measure numbers cannot be selected";
}

TEST_F(Pattern, PasteCopiesTheRangeCellByCellDroppingWhatFallsOutsideTheGrid)
{
    OpenEditor();
    EnterChord(1, 0, 1, 1);  // C
    EnterChord(2, 0, 3, 14); // Dm
    EnterChord(1, 1, 6, 7);  // F7
    EnterChord(2, 1, 8, 1);  // G
    DragCells(1, 0, 2, 1);
    p->Copy1->trigger();
    EXPECT_EQ(p->CopyRect(), QRect(QPoint(1, 0), QPoint(2, 1)));
    EXPECT_TRUE(p->Paste1->isEnabled());

    struct Case {
        int col, row;
        QStringList rows; // rows 0 to 3 after the paste
    };
    // Onto its own range one column to the right: the cells written first
    // are read again further on.
    ClickCell(2, 0);
    p->Paste1->trigger();
    EXPECT_EQ(Texts(0, 1), QStringList({"C|C|C|", "F7|F7|F7|"}));
    EXPECT_EQ(Data(3, 1), (ui::TPatternCell{6, 7, 0}));

    // Near the right and bottom edges only what fits is pasted; the grid keeps its size.
    ClickCell(4, 19);
    p->Paste1->trigger();
    EXPECT_EQ(p->RowCount(), 20);
    EXPECT_EQ(Texts(19, 19), QStringList({"|||C"}));
    EXPECT_EQ(Data(4, 19), (ui::TPatternCell{1, 1, 0}));

    // Paste stays available; Copy follows the text of the cell last selected.
    ClickCell(3, 10);
    EXPECT_FALSE(p->Copy1->isEnabled());
    EXPECT_TRUE(p->Paste1->isEnabled());
}

TEST_F(Pattern, MarkersStayOnTheirCellsThroughInsertDeleteAndClear)
{
    OpenEditor();
    EnterChord(1, 0, 1, 1);
    EnterChord(1, 1, 3, 14);
    ClickCell(4, 2);
    p->MnuEnd->trigger();
    EXPECT_EQ(std::pair(EndMarkerCol, EndMarkerRow), std::pair(4, 2));
    ClickCell(3, 1);
    p->MnuRepeat->trigger();
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(3, 1));
    EXPECT_EQ(std::pair(EndMarkerCol, EndMarkerRow), std::pair(-1, -1)) << "one marker at a time";

    ClickCell(2, 0);
    p->Insertmeasurebefore->trigger();
    EXPECT_EQ(p->RowCount(), 21);
    EXPECT_EQ(Texts(0, 2), QStringList({"|||", "C|||", "Dm|||"}));
    EXPECT_EQ(Data(1, 2), (ui::TPatternCell{3, 14, 0}));
    EXPECT_EQ(Data(1, 0), ui::TPatternCell{});
    EXPECT_EQ(p->Grille->item(20, 0)->text(), "21");
    EXPECT_EQ(p->Grille->currentRow(), 0);
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(3, 1));

    ClickCell(1, 1);
    p->Insertmeasureafter->trigger();
    EXPECT_EQ(Texts(0, 3), QStringList({"|||", "C|||", "|||", "Dm|||"}));
    EXPECT_EQ(p->Grille->currentRow(), 1);

    ClickCell(1, 0);
    p->Deletemeasure1->trigger();
    p->Deletemeasure1->trigger();
    EXPECT_EQ(p->RowCount(), 20);
    EXPECT_EQ(Texts(0, 1), QStringList({"|||", "Dm|||"}));
    EXPECT_EQ(Data(1, 1), (ui::TPatternCell{3, 14, 0}));
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(3, 1));

    // Clearing the pattern keeps the rows, the marker, the tempo.
    confirm = false;
    p->BtnClearClick();
    EXPECT_EQ(confirmations, QStringList{"Confirmation: You are going to clear the pattern. Proceed ?"});
    EXPECT_EQ(p->CellText(1, 1), "Dm");
    confirm = true;
    ClickCell(4, 7);
    p->BtnClearClick();
    EXPECT_EQ(Texts(1, 1), QStringList{"|||"});
    EXPECT_EQ(Data(1, 1), ui::TPatternCell{});
    EXPECT_EQ(p->RowCount(), 20);
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(3, 1));
    EXPECT_EQ(p->Grille->currentColumn(), 1);
    EXPECT_EQ(p->Grille->currentRow(), 0);

    // The marker is still drawn on its empty cell, in its green.
    const QRect cell = CellRect(3, 1);
    const QImage shot = p->Grille->viewport()->grab().toImage();
    const QRgb marker = shot.pixel(cell.right() + 1 - 16 + 3, cell.top() + 3 + 8);
    EXPECT_GT(qGreen(marker), qRed(marker) + 40);
    const QRgb plain = shot.pixel(CellRect(2, 1).right() + 1 - 16 + 3, cell.top() + 3 + 8);
    EXPECT_EQ(plain, qRgb(255, 255, 255));
}

TEST_F(Pattern, DeletingTheOnlyMeasureLeavesOneEmptyRow)
{
    OpenEditor();
    EnterChord(2, 0, 5, 1);
    ClickCell(2, 0);
    for (int i = 0; i < 19; ++i)
        p->Deletemeasure1->trigger();
    EXPECT_EQ(p->RowCount(), 1);
    EXPECT_EQ(p->CellText(2, 0), "");
    EXPECT_EQ(Data(2, 0), ui::TPatternCell{});
    p->Deletemeasure1->trigger();
    EXPECT_EQ(p->RowCount(), 1);
    EXPECT_EQ(p->Grille->currentRow(), 0);
}

TEST_F(Pattern, AGridOf999MeasuresTakesNoMore)
{
    OpenEditor();
    ClickCell(1, 0);
    for (int i = p->RowCount(); i < 999; ++i)
        p->Insertmeasureafter->trigger();
    ASSERT_EQ(p->RowCount(), 999);
    EXPECT_TRUE(messages.isEmpty());
    p->Insertmeasurebefore->trigger();
    p->Insertmeasureafter->trigger();
    EXPECT_EQ(p->RowCount(), 999);
    EXPECT_EQ(messages, QStringList(2, "Avertissement: The pattern already has 999 measures, the most a pattern file "
                                       "can hold."));
}

TEST_F(Pattern, TheShortcutsWorkWhileTheMenuIsClosed)
{
    OpenEditor();
    p->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p));
    p->Grille->setFocus();
    DoubleClickCell(1, 0);
    QTest::keyClick(p->Grille, Qt::Key_C, Qt::ControlModifier);
    ClickCell(2, 3);
    QTest::keyClick(p->Grille, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(p->CellText(2, 3), "C");
    QTest::keyClick(p->Grille, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(std::pair(EndMarkerCol, EndMarkerRow), std::pair(2, 3));
    QTest::keyClick(p->Grille, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(2, 3));
    QTest::keyClick(p->Grille, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(p->RowCount(), 19);
    EXPECT_EQ(p->CellText(2, 3), "");
}

TEST_F(Pattern, MidiExportAnswersSoon)
{
    for (const auto &[language, text] :
         {std::pair{1, "Information: Soon..."}, std::pair{2, "Information: Bientôt..."}}) {
        Store("Language", language);
        OpenEditor();
        messages.clear();
        QTest::mouseClick(p->BtnSaveMidi, Qt::LeftButton, {}, QPoint(16, 16));
        EXPECT_EQ(messages, QStringList{QString::fromUtf8(text)});
        CloseEditor();
        w.reset();
    }
}

// ---------------------------------------------------------------------------
// Files

TEST_F(Pattern, SavingAsksForACommentThenAFileAndNamesTheWindowAfterIt)
{
    TFrmPattern::SetClockForTest([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9)); });
    for (const int language : {1, 2}) {
        Store("Language", language);
        OpenEditor();
        inputs.clear();
        // The comment box cancelled keeps its default; the file dialog cancelled writes nothing.
        inputAnswer.reset();
        chosenFiles = {QString()};
        p->BtnSaveClick();
        ASSERT_EQ(inputs.size(), 1);
        const QString date = QLocale::system().toString(QDate(2026, 12, 10), QLocale::ShortFormat);
        if (language == 1)
            EXPECT_TRUE(inputs[0].startsWith("Save pattern|Comment : (250 char max) |Pattern created on " + date + " "))
                << inputs[0].toStdString();
        else
            EXPECT_TRUE(
                inputs[0].startsWith("Sauver la grille|Commentaire : (250 car. maxi) |Grille crée le " + date + " "))
                << inputs[0].toStdString();
        EXPECT_TRUE(inputs[0].contains("05:09") || inputs[0].contains("5:09")) << inputs[0].toStdString();
        EXPECT_TRUE(p->Comment().startsWith(language == 1 ? "Pattern created on " : "Grille crée le "));
        EXPECT_FALSE(QFile::exists(File("song.hnv")));

        inputAnswer = QStringLiteral("Autumn");
        chosenFiles = {File("song.hnv")};
        p->BtnSaveClick();
        EXPECT_EQ(p->Comment(), "Autumn");
        EXPECT_EQ(p->windowTitle(), "song.hnv");
        EXPECT_EQ(Read(File("song.hnv")).mid(0, 7), QByteArray("\x06"
                                                               "Autumn"));
        CloseEditor();
        w.reset();
        QFile::remove(File("song.hnv"));
    }
}

TEST_F(Pattern, AnEmptyGridSavesTwoRecordsAndTheLoopMarkerItsCellAndTheTempo)
{
    OpenEditor();
    inputAnswer = QString();
    chosenFiles = {File("empty.hnv")};
    p->BtnSaveClick();
    const QByteArray empty = Read(File("empty.hnv"));
    ASSERT_EQ(empty.size(), 536);
    EXPECT_EQ(empty.mid(268, 2), QByteArray("\x01"
                                            "5"));
    EXPECT_EQ(empty.mid(268 + 251, 3), QByteArray("\x02"
                                                  "20"));

    ClickCell(4, 2);
    p->MnuRepeat->trigger();
    p->UpDown1->Step(1);
    ASSERT_TRUE(p->SaveToFile(File("loop.hnv")));
    const QByteArray loop = Read(File("loop.hnv"));
    ASSERT_EQ(loop.size(), 536);
    EXPECT_EQ(loop.mid(268, 2), QByteArray("\x01"
                                           "4"));
    EXPECT_EQ(loop.mid(268 + 251, 2), QByteArray("\x01"
                                                 "2"));
    EXPECT_EQ(qFromLittleEndian<int32_t>(loop.constData() + 268 + 256), 1);
    EXPECT_EQ(qFromLittleEndian<int32_t>(loop.constData() + 268 + 260), 121);
}

TEST_F(Pattern, OpeningShowsTheCommentAndRebuildsEveryTextFromTheNoteNames)
{
    OpenEditor();
    EnterChord(1, 0, 2, 9); // DbM7 shows as DbΔ
    ClickCell(1, 19);
    for (int i = 0; i < 5; ++i)
        p->Insertmeasureafter->trigger();
    EnterChord(3, 24, 1, 1); // measure 25
    ClickCell(2, 5);
    p->MnuEnd->trigger();
    p->UpDown1->Step(-1);
    inputAnswer = QStringLiteral("Été");
    chosenFiles = {File("a.hnv")};
    p->BtnSaveClick();
    EXPECT_EQ(p->CellText(1, 0), QStringLiteral("DbΔ"));

    // Reopened in solfège with sharps, on a grid that holds other cells.
    CloseEditor();
    w.reset();
    Store("Notation", 0);
    Store("AlterationsEnDiese", 1);
    OpenEditor();
    EnterChord(4, 10, 5, 1);
    messages.clear();
    chosenFiles = {File("a.hnv")};
    p->BtnOpenClick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Information: Été")});
    EXPECT_EQ(p->windowTitle(), "a.hnv");
    EXPECT_EQ(p->RowCount(), 25) << "the last measure of the file";
    EXPECT_EQ(p->CellText(1, 0), "Do#M7");
    EXPECT_EQ(Data(1, 0), (ui::TPatternCell{2, 9, 0}));
    EXPECT_EQ(p->CellText(3, 24), "Do");
    EXPECT_EQ(std::pair(EndMarkerCol, EndMarkerRow), std::pair(2, 5));
    EXPECT_EQ(p->BeatsPerMinute(), 119);
    EXPECT_EQ(p->Tempo->intValue(), 119);
    EXPECT_EQ(p->UpDown1->Position(), 119);
    EXPECT_EQ(p->Metronome->interval(), 60000 / 119);
    EXPECT_EQ(p->CellText(4, 10), "Mi") << "a cell the file does not name";
    EXPECT_EQ(p->HeaderValue(), 0);
    EXPECT_EQ(p->StatusText(), "Measure 1/1");
    EXPECT_EQ(p->Grille->currentColumn(), 1);
    EXPECT_EQ(p->Grille->currentRow(), 0);

    // Saved again, the file is the same byte for byte.
    ClickCell(4, 10);
    p->Clear1->trigger();
    inputAnswer = QStringLiteral("Été");
    chosenFiles = {File("b.hnv")};
    p->BtnSaveClick();
    EXPECT_EQ(Read(File("b.hnv")), Read(File("a.hnv")));
}

TEST_F(Pattern, AShortFileOpensAsTwentyRowsKeepingTheOldCellsItDoesNotName)
{
    OpenEditor();
    for (int i = 0; i < 10; ++i)
        p->Insertmeasureafter->trigger();
    EnterChord(2, 15, 6, 14); // Fm, measure 16
    EnterChord(1, 28, 6, 14); // measure 29, beyond 20
    EnterChord(4, 11, 6, 14); // measure 12, named by the file
    QByteArray file = ui::WritePatternFile({QString(), 77, true, 1, 0, 60, {{4, 12, {1, 1, 0}}, {1, 3, {1, 0, 0}}}});
    Write(File("short.hnv"), file);
    chosenFiles = {File("short.hnv")};
    p->BtnOpenClick();
    EXPECT_TRUE(messages.isEmpty()) << "no comment, no message";
    EXPECT_EQ(p->RowCount(), 20);
    EXPECT_EQ(p->CellText(2, 15), "Fm");
    EXPECT_EQ(p->CellText(4, 11), "C");
    EXPECT_EQ(p->CellText(1, 2), "C") << "a chord of 0 shows the root alone";
    EXPECT_EQ(p->HeaderValue(), 77);
    EXPECT_EQ(std::pair(LoopMarkerCol, LoopMarkerRow), std::pair(1, 0));
    EXPECT_EQ(EndMarkerCol, -1);
    EXPECT_EQ(p->BeatsPerMinute(), 60);

    // The header value goes back into the next file.
    ASSERT_TRUE(p->SaveToFile(File("again.hnv")));
    EXPECT_EQ(qFromLittleEndian<int32_t>(Read(File("again.hnv")).constData() + 256), 77);
}

TEST_F(Pattern, ATempoOutsideTheControlsRangeIsClampedAsTheControlDoes)
{
    OpenEditor();
    for (const auto &[stored, shown] : {std::pair{500, 200}, std::pair{0, 30}, std::pair{-7, 30}, std::pair{75, 75}}) {
        Write(File("t.hnv"), ui::WritePatternFile({QString(), 0, false, 5, 20, stored, {}}));
        ASSERT_TRUE(p->OpenFile(File("t.hnv")));
        EXPECT_EQ(p->BeatsPerMinute(), shown) << stored;
        EXPECT_EQ(p->Tempo->intValue(), shown) << stored;
    }
}

TEST_F(Pattern, ABadFileLeavesTheEditorExactlyAsItWas)
{
    const auto record = [](const QByteArray &longText, const QByteArray &shortText, int32_t v1, int32_t v2 = 0) {
        QByteArray bytes(ui::PatternRecordSize, '\0');
        bytes[0] = char(longText.size());
        bytes.replace(1, longText.size(), longText);
        bytes[251] = char(shortText.size());
        bytes.replace(252, shortText.size(), shortText);
        qToLittleEndian<int32_t>(v1, bytes.data() + 256);
        qToLittleEndian<int32_t>(v2, bytes.data() + 260);
        return bytes;
    };
    const auto WithByte = [](QByteArray bytes, int at, int value) {
        bytes[at] = char(value);
        return bytes;
    };
    // Each file is good up to a last record or size that is not.
    const QByteArray good = record("Bad news", "", 5) + record("2", "30", 1, 60) + record("1", "40", 3, 1);
    struct Case {
        const char *what;
        QByteArray file;
        const char *reason;
    };
    const Case cases[] = {
        {"one record", record("comment", "", 0), "it holds 1 records, where a pattern file has at least 2"},
        {"left over", good + "xyz",
         "its size, 807 bytes, is not a whole number of 268-byte records: 3 bytes are left over"},
        {"long text", good + WithByte(record("1", "1", 1), 0, 251),
         "record 4 (byte 804): the text length 251 is over 250"},
        {"short text", good + record("1", "1234", 1), "record 4 (byte 804): the short text length 4 is over 3"},
        {"number", good + record("1", "1a", 1), "record 4 (byte 804): the measure \"1a\" is not a whole number"},
        {"column", good + record("9", "1", 1), "record 4 (byte 804): the column 9 is not 1 to 4"},
        {"measure", good + record("1", "0", 1), "record 4 (byte 804): the measure 0 is not 1 to 999"},
        {"root", good + record("1", "1", 13, 1), "record 4 (byte 804): the root 13 is not 0 to 12"},
        {"chord", good + record("1", "1", 1, 99), "record 4 (byte 804): the chord 99 is not 0 to 60"},
    };
    OpenEditor();
    EnterChord(2, 1, 10, 20);
    ClickCell(3, 4);
    p->MnuEnd->trigger();
    ASSERT_TRUE(p->SaveToFile(File("mine.hnv")));
    const QByteArray before = ui::WritePatternFile(p->Contents());
    const QString title = p->windowTitle();

    for (const Case &c : cases) {
        const QString reason = QString::fromUtf8(c.reason);
        Write(File("bad.hnv"), c.file);
        messages.clear();
        chosenFiles = {File("bad.hnv")};
        p->BtnOpenClick();
        EXPECT_EQ(messages,
                  QStringList{"Erreur: Cannot open \"" + QDir::toNativeSeparators(File("bad.hnv")) + "\": " + reason})
            << c.what;
        EXPECT_EQ(ui::WritePatternFile(p->Contents()), before) << c.what;
        EXPECT_EQ(p->RowCount(), 20) << c.what;
        EXPECT_EQ(p->CellText(2, 1), "Am7") << c.what;
        EXPECT_EQ(p->windowTitle(), title) << c.what;
        EXPECT_EQ(p->BeatsPerMinute(), 120) << c.what;
        EXPECT_EQ(std::pair(EndMarkerCol, EndMarkerRow), std::pair(3, 4)) << c.what;
    }

    // A file that is not there, or a folder, the same.
    for (const QString &missing : {File("none.hnv"), folder.path()}) {
        messages.clear();
        EXPECT_FALSE(p->OpenFile(missing));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith("Erreur: Cannot open \"" + QDir::toNativeSeparators(missing) + "\": "));
        EXPECT_EQ(ui::WritePatternFile(p->Contents()), before);
    }
}

// An arrow button's arrow against its face, inside the button's edge.
double ArrowContrast(const QImage &image, const QRect &square)
{
    return StrongestContrast(image, square.adjusted(2, 2, -2, -2));
}

TEST_F(Pattern, TheGridsScrollBarsShowArrowsThatCanBeRead)
{
    OpenEditor();
    // A column widened by the user brings the horizontal bar.
    p->Grille->setColumnWidth(4, 300);
    ASSERT_TRUE(WaitFor([&] { return p->Grille->horizontalScrollBar()->isVisible(); }));
    for (QScrollBar *bar : {p->Grille->verticalScrollBar(), p->Grille->horizontalScrollBar()}) {
        const bool vertical = bar->orientation() == Qt::Vertical;
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ASSERT_TRUE(bar->isVisible());
        const QImage image = bar->grab().toImage();
        const int side = vertical ? image.width() : image.height();
        const QRect first(0, 0, side, side);
        const QRect last =
            vertical ? first.translated(0, image.height() - side) : first.translated(image.width() - side, 0);
        EXPECT_GE(ArrowContrast(image, first), 3.0);
        EXPECT_GE(ArrowContrast(image, last), 3.0);
    }
}

TEST_F(Pattern, OnlyAnOrdinaryFileNoLargerThanTheLargestPatternIsRead)
{
    OpenEditor();
    EnterChord(2, 1, 10, 20);
    const QByteArray before = ui::WritePatternFile(p->Contents());
    // A pattern is sent into the pipe as soon as a reader opens it.
    const QString pipe = File("pipe.hnv");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    std::thread writer([&] {
        // The program opens the pipe without waiting and lets it go at once:
        // the writer may find its reader gone, which must not end the test.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        const int fd = open(QFile::encodeName(pipe).constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        const QByteArray pattern = ui::WritePatternFile({{}, 0, false, 5, 20, 90, {{1, 1, {1, 1, 0}}}});
        [[maybe_unused]] const ssize_t written = write(fd, pattern.constData(), std::size_t(pattern.size()));
        close(fd);
    });
    const QString huge = File("huge.hnv");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(ui::PatternMaxFileSize + ui::PatternRecordSize));
    }
    const QString notAFile = "it is not a file but a folder, a pipe or a device";
    const struct {
        QString file;
        QString reason;
    } cases[] = {
        {pipe, notAFile},
        {folder.path(), notAFile},
        {huge, "it is 1071732 bytes long, larger than the largest pattern (1071464 bytes, 999 measures)"},
        {QStringLiteral("/dev/zero"), notAFile},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        messages.clear();
        EXPECT_FALSE(p->OpenFile(c.file));
        EXPECT_EQ(messages,
                  QStringList{"Erreur: Cannot open \"" + QDir::toNativeSeparators(c.file) + "\": " + c.reason});
        EXPECT_EQ(ui::WritePatternFile(p->Contents()), before);
    }
    // A writer still waiting for a reader is let go.
    const int reader = open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    close(reader);

    // In French.
    model::Language = 2;
    messages.clear();
    EXPECT_FALSE(p->OpenFile(huge));
    EXPECT_EQ(messages, QStringList{"Erreur: Impossible d'ouvrir « " + QDir::toNativeSeparators(huge) +
                                    " » : il fait 1071732 octets, plus que la plus grande grille (1071464 octets, "
                                    "999 mesures)"});

    // The largest pattern still opens: every beat of 999 measures.
    ui::TPatternFileContents largest{{}, 0, false, 5, 20, 120, {}};
    for (int measure = 1; measure <= ui::PatternMaxMeasures; ++measure)
        for (int col = 1; col <= 4; ++col)
            largest.Cells.push_back({col, measure, {col, 1, 0}});
    Write(File("largest.hnv"), ui::WritePatternFile(largest));
    ASSERT_EQ(QFileInfo(File("largest.hnv")).size(), ui::PatternMaxFileSize);
    messages.clear();
    EXPECT_TRUE(p->OpenFile(File("largest.hnv")));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(p->RowCount(), 999);
    EXPECT_EQ(p->CellText(4, 998), "Eb");
}

TEST_F(Pattern, AFailedSaveLeavesTheOldFileWholeAndSaysWhy)
{
    OpenEditor();
    EnterChord(1, 0, 1, 1);
    ASSERT_TRUE(p->SaveToFile(File("keep.hnv")));
    const QByteArray old = Read(File("keep.hnv"));
    ASSERT_EQ(old.size(), 3 * 268);

    // The disk takes no file larger than the old one: the new one fails
    // part way, whoever the user is.
    EnterChord(2, 0, 1, 1);
    p->UpDown1->Step(1);
    TFileSizeLimit limit(old.size());
    messages.clear();
    EXPECT_FALSE(p->SaveToFile(File("keep.hnv")));
    limit.Lift();
    EXPECT_EQ(messages,
              QStringList{"Erreur: Cannot save \"" + QDir::toNativeSeparators(File("keep.hnv")) + "\": File too large"})
        << "what failed";
    EXPECT_EQ(Read(File("keep.hnv")), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"keep.hnv"}) << "no file left behind";
    EXPECT_EQ(p->windowTitle(), "keep.hnv") << "still the file last saved";
}

} // namespace
