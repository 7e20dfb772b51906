// The main window as it is created, laid out, labelled and closed.
#include "MainWindowFixture.h"

#include "platform/Exception.h"
#include "ui/MsgBoxMidi.h"
#include "ui/PanelResources.h"
#include "ui/Staff.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

using MainWindow = MainWindowTest;

QByteArray RegistryFile()
{
    QFile file(platform::RegistryFileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList StoredNames()
{
    QStringList names;
    const QRegularExpression value(QStringLiteral("^\"([^\"]+)\"="), QRegularExpression::MultilineOption);
    for (auto it = value.globalMatch(QString::fromUtf8(RegistryFile())); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

bool IsPlainColor(const QImage &image, QRgb color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != color)
                return false;
    return !image.isNull();
}

} // namespace

TEST_F(MainWindow, StartsOnCMajorWithTheChordKeysPressedInTheSelectColour)
{
    Open();
    EXPECT_EQ(w->objectName(), "FormMain");
    EXPECT_EQ(w->windowTitle(), "Harmonova !");
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
    EXPECT_EQ(PressedKeys(), QList<int>({13, 17, 20}));
    for (int n = 1; n <= 48; ++n) {
        const TShapePiano *key = Key(n);
        ASSERT_EQ(KeyTable[n].Key, key) << "key " << n << " is bound by its name";
        const uint32_t expected = KeyTable[n].Pressed ? 0xC0DCC0u : key->OnClickUnselectColor();
        EXPECT_EQ(key->brushColor(), expected) << "key " << n;
    }
    // The staff sorted the slots: the empty ones come first.
    for (int slot = 1; slot <= 10; ++slot)
        EXPECT_EQ(model::ChordNotes[slot].Note, 0) << "slot " << slot;
    EXPECT_EQ(ChordNoteKeys(), QList<int>({13, 17, 20}));
    EXPECT_EQ(model::CurrentRoot, 1);
    EXPECT_EQ(model::CurrentChord, 1);
    EXPECT_EQ(w->ChordRoot->ItemIndex(), 0);
    EXPECT_EQ(w->ChordName->ItemIndex(), 0);
    EXPECT_EQ(w->Scales->ItemIndex(), 0);
    EXPECT_EQ(w->ComboChord->currentIndex(), 0);
    EXPECT_EQ(w->ComboScales->currentIndex(), 0);
    EXPECT_EQ(w->ChordRoot->count(), 12);
    EXPECT_EQ(w->ChordName->count(), 60);
    EXPECT_EQ(w->Scales->count(), 16);
    EXPECT_EQ(w->Mode, 0);
    EXPECT_EQ(Clef, 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(MainWindow, CreationStoresOnlyTheBooleanDefaultsAndClosingSavesTheSettings)
{
    Open();
    EXPECT_EQ(RegistryFile(), "Windows Registry Editor Version 5.00\n\n"
                              "[HKEY_CURRENT_USER\\Software\\Harmonova]\n"
                              "\"WindowCompact\"=dword:00000000\n"
                              "\"AlterationsEnDiese\"=dword:00000000\n"
                              "\"Notation\"=dword:00000001\n"
                              "\"AutoListen\"=dword:00000000\n"
                              "\"OnTop\"=dword:00000000\n"
                              "\"RemindMe\"=dword:00000001\n"
                              "\n");
    Click(w->BtnAccordDown);
    w->close();
    EXPECT_EQ(StoredNames(), QStringList({"WindowCompact", "AlterationsEnDiese", "Notation", "AutoListen", "OnTop",
                                          "RemindMe", "ListenType", "Son", "Detune", "MidiIfIn", "MidiIFOut",
                                          "MidiChannel", "Language", "Speed", "Background"}));
    platform::TRegistry registry;
    registry.OpenKey("Software\\Harmonova", false);
    EXPECT_EQ(registry.ReadInteger("ListenType"), 2);
    EXPECT_TRUE(registry.ReadBool("AutoListen"));
}

TEST_F(MainWindow, AFailedSaveIsShownAndTheWindowStillCloses)
{
    Open();
    w->show();
    // A folder where the registry file should be: nothing can be written.
    const QString file = platform::RegistryFileName();
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file));
    w->close();
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("WindowCompact")) << errors[0].toStdString();
    QDir(file).removeRecursively();
}

TEST_F(MainWindow, ASettingThatCannotBeReadIsShownAndTheWindowIsStillComplete)
{
    StoreText("ListenType", "x");
    Open();
    EXPECT_EQ(errors, QStringList({"Type de données incorrect pour 'ListenType'"}));
    // Everything after the settings was still built.
    EXPECT_EQ(w->ChordRoot->count(), 12);
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
    EXPECT_EQ(PressedKeys(), QList<int>({13, 17, 20}));
    Click(Key(16));
    EXPECT_EQ(w->LabelChord->text(), "Eb, EbMajor, EbM");
}

TEST_F(MainWindow, KeysHaveTheirPlaceShapePitchAndMouseBehaviour)
{
    Open();
    struct Case {
        int key;
        QRect geometry;
        TShapePianoType shape;
    };
    const Case cases[] = {
        {1, {11, 34, 20, 102}, Piano_C},       {2, {24, 36, 10, 58}, jstRoundRect},
        {5, {55, 34, 20, 102}, Piano_E},       {12, {142, 34, 20, 102}, Piano_B},
        {13, {164, 34, 21, 102}, Piano_C},     {15, {186, 34, 21, 102}, Piano_D},
        {23, {294, 36, 10, 58}, jstRoundRect}, {26, {334, 36, 11, 58}, jstRoundRect},
        {28, {358, 36, 11, 58}, jstRoundRect}, {29, {364, 34, 19, 102}, Piano_E},
        {34, {429, 34, 20, 102}, Piano_A},     {41, {518, 34, 19, 102}, Piano_E},
        {48, {604, 34, 20, 102}, Piano_B},
    };
    for (const Case &c : cases) {
        const TShapePiano *key = Key(c.key);
        EXPECT_EQ(key->geometry(), c.geometry) << "key " << c.key;
        EXPECT_EQ(key->Shape(), c.shape) << "key " << c.key;
    }
    QStringList order; // the keys in painting order, back to front
    for (QObject *child : w->Panel2->children())
        if (auto *key = qobject_cast<TShapePiano *>(child))
            order << (key->Shape() == jstRoundRect ? "black" : "white");
    EXPECT_EQ(order.lastIndexOf("white"), 27) << "all 28 white keys lie behind the 20 black keys";
    EXPECT_EQ(order.size(), 48);

    for (int n = 1; n <= 48; ++n) {
        const TShapePiano *key = Key(n);
        const bool chordKey = n >= 13 && n <= 24;
        EXPECT_EQ(key->Tag(), (n - 1) % 12 + 1) << "key " << n;
        EXPECT_EQ(key->Hover(), chordKey) << "key " << n;
        EXPECT_EQ(key->ClickSelect(), chordKey) << "key " << n;
        EXPECT_EQ(key->Switch(), n <= 12) << "key " << n;
        EXPECT_EQ(key->OnHoverColor(), 0xA6CAF0u);
        EXPECT_EQ(key->OnClickSelectColor(), 0xC0DCC0u);
        EXPECT_EQ(key->penStyle(), Qt::NoPen);
        EXPECT_EQ(key->OnClickUnselectColor(), key->Shape() == jstRoundRect ? 0x000000u : 0xEFFBFDu);
    }
}

TEST_F(MainWindow, HasTheDesignedGeometryAndAFixedWindow)
{
    Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const std::pair<const char *, QRect> places[] = {
        {"Panel2", {0, 0, 633, 217}},       {"LabelChord", {8, 9, 617, 20}},    {"ImgClavier", {9, 32, 616, 105}},
        {"ImgFond", {224, 224, 409, 257}},  {"ImgPartition", {8, 8, 393, 241}}, {"ChordRoot", {2, 224, 55, 257}},
        {"ChordName", {64, 224, 153, 257}}, {"Scales", {64, 224, 153, 257}},    {"StatusBar", {0, 481, 638, 19}},
    };
    for (const auto &[name, rect] : places)
        EXPECT_EQ(Get(name)->geometry(), rect) << name;
    EXPECT_EQ(w->ComboChord->pos(), QPoint(8, 168));
    EXPECT_EQ(w->ComboScales->pos(), QPoint(8, 168));
    EXPECT_EQ(w->centralWidget()->geometry(), QRect(0, w->menuBar()->height(), 638, 500));
    EXPECT_EQ(w->size(), QSize(638, w->menuBar()->height() + 500));
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "the window cannot be resized";
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowIcon().isNull());

    for (auto *list : {w->ChordRoot, w->ChordName, w->Scales}) {
        EXPECT_EQ(list->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(list->viewport()->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(w->ChordRoot->ItemHeight(), 21);
    EXPECT_EQ(w->ChordName->ItemHeight(), 16);
    EXPECT_EQ(w->Scales->ItemHeight(), 16);
    EXPECT_EQ(w->ChordRoot->visualItemRect(w->ChordRoot->item(1)).height(), 21);
    EXPECT_EQ(w->ChordName->visualItemRect(w->ChordName->item(1)).height(), 16);
    EXPECT_EQ(w->LabelChord->font().pixelSize(), 15);
}

TEST_F(MainWindow, TheWholeLayoutIs500HighInsideAndTheCompactOne236)
{
    Open();
    struct Case {
        bool compact;
        bool scaleMode;
        QStringList shown;
        int height;
    };
    const Case cases[] = {
        {false, false, {"ChordRoot", "ChordName"}, 500},
        {false, true, {"ChordRoot", "ChordName", "Scales"}, 500},
        {true, false, {"ComboChord"}, 236},
        {true, true, {"ComboScales"}, 236},
        {false, false, {"ChordRoot", "ChordName"}, 500},
    };
    for (const Case &c : cases) {
        w->SwMode->setStateOn(c.scaleMode);
        model::WindowCompact = c.compact;
        w->ApplyLayout();
        QStringList shown;
        for (const char *name : {"ChordRoot", "ChordName", "Scales", "ComboChord", "ComboScales"})
            if (Get(name)->isVisibleTo(w.get()))
                shown << name;
        EXPECT_EQ(shown, c.shown) << "compact " << c.compact << ", scale mode " << c.scaleMode;
        EXPECT_EQ(w->ClientArea->height(), c.height);
        EXPECT_EQ(w->StatusBar->geometry(), QRect(0, c.height - 19, 638, 19));
        EXPECT_EQ(w->height(), w->minimumHeight());
        EXPECT_EQ(w->height() - w->ClientArea->height(), w->menuBar()->heightForWidth(638));
    }
}

TEST_F(MainWindow, TheLayoutTurnsOnTheSwitchesOfTheSettings)
{
    const struct {
        int listenType;
        bool sharps;
        QList<bool> playback; // BtnAccord, BtnAccordUp, BtnAccordDown
    } cases[] = {
        {-1, false, {false, false, false}},
        {0, true, {true, false, false}},
        {1, false, {false, true, false}},
        {2, true, {false, false, true}},
    };
    for (const auto &c : cases) {
        Store("ListenType", c.listenType);
        Store("AlterationsEnDiese", c.sharps);
        Open();
        EXPECT_EQ(QList<bool>({w->BtnAccord->StateOn(), w->BtnAccordUp->StateOn(), w->BtnAccordDown->StateOn()}),
                  c.playback)
            << "ListenType " << c.listenType;
        EXPECT_EQ(w->Alteration->StateOn(), c.sharps);
        EXPECT_EQ(w->ChordRoot->item(1)->text(), c.sharps ? "C#" : "Db");
    }
}

namespace {

struct LanguageText {
    const char *component;
    bool hint; // else the caption
    const char *english;
    const char *french;
};

const LanguageText LanguageTexts[] = {
    {"mnuTools", false, "Tools...", "Outils..."},
    {"mnuAbout", false, "About...", "Au sujet de..."},
    {"mnuChordanalysis", false, "Chord Analysis...", "Analyse d'accord..."},
    {"mnuChordpattern", false, "Chords pattern", "Grille d'accords"},
    {"mnuPractice", false, "Practice...", "Entrainement..."},
    {"Setupmnu", false, "Setup...", "Configuration..."},
    {"mnuWhat", false, "?", "?"},
    {"mnuHelp", false, "Help", "Help"},
    {"mnuProgressions", false, "Progressions...", "Progressions..."},
    {"BtnAccord", true, "Play the chord", "Jouer l'accord"},
    {"BtnAccordUp", true, "Play the notes ascending", "Jouer les notes ascendantes"},
    {"BtnAccordDown", true, "Play the notes descending", "Jouer les notes descendantes"},
    {"BtnListen", true, "Play the chord", "Jouer l'accord"},
    {"SwMode", true, "Toggle between Scale and Chord modes",
     "Cliquez pour basculer entre\r\nle mode Accords et le mode Gammes"},
    {"GroupRenversement", false, "Inversions", "Renversements"},
    {"GroupAlteration", false, "Accidentals", "Altération"},
    {"GroupPlayBack", false, "Playback", "Ecoute"},
    {"GroupMode", false, "Mode", "Mode"},
    {"RenversementDown", true, "Press to display inverted chord,\r\ndepress for normal state.",
     "Appuyez pour montrer en mode renversé,\r\nrelachez pour le mode normal."},
    {"RenversementUp", true, "Press to display inverted chord,\r\ndepress for normal state.",
     "Appuyez pour montrer en mode renversé,\r\nrelachez pour le mode normal."},
    {"Alteration", false, "Accidentals", "Altérations"},
    {"Alteration", true, "Click to change", "Cliquez pour changer"},
    {"ImgPartition", true, "Click to change the clef", "Cliquer pour changer de clef"},
};

QString TextOf(const QObject *component, bool hint)
{
    if (hint)
        return HintOf(qobject_cast<const QWidget *>(component));
    if (auto *action = qobject_cast<const QAction *>(component))
        return action->text();
    if (auto *group = qobject_cast<const QGroupBox *>(component))
        return group->title();
    if (auto *sw = qobject_cast<const TImgSwitch *>(component))
        return sw->Caption();
    return QStringLiteral("(no text)");
}

class MainWindowLanguage : public MainWindowTest, public testing::WithParamInterface<int> {};

} // namespace

TEST_P(MainWindowLanguage, ShowsTheTextsOfTheStoredLanguage)
{
    const int language = GetParam();
    Store("Language", language);
    Open();
    for (const LanguageText &text : LanguageTexts) {
        const QObject *component = w->findChild<QObject *>(text.component);
        ASSERT_NE(component, nullptr) << text.component;
        // A stored language other than English is French.
        const char *expected = language == 1 ? text.english : text.french;
        EXPECT_EQ(TextOf(component, text.hint), QString::fromUtf8(expected))
            << text.component << (text.hint ? " hint" : " caption");
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, MainWindowLanguage, testing::Values(1, 2, 3));

TEST_F(MainWindow, StayOnTopFromTheSettingsHoldsFromTheStart)
{
    for (const bool onTop : {true, false}) {
        Store("OnTop", onTop);
        Open();
        EXPECT_EQ(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop) << "OnTop " << onTop;
        EXPECT_FALSE(w->isVisible()) << "the window shows only when the program starts it";
    }
}

TEST_F(MainWindow, ALanguageChangeRelabelsTheWindow)
{
    Open();
    model::Language = 2;
    w->ApplyLanguage();
    EXPECT_EQ(w->GroupAlteration->title(), "Altération");
    EXPECT_EQ(w->Alteration->Caption(), "Altérations");
    EXPECT_EQ(w->mnuTools->text(), "Outils...");
    model::Language = 1;
    w->ApplyLanguage();
    EXPECT_EQ(w->GroupAlteration->title(), "Accidentals");
    EXPECT_EQ(w->Alteration->Caption(), "Accidentals");
}

TEST_F(MainWindow, EveryMenuEntryShowsItsOwnPictureFromTheImageList)
{
    Open();
    const auto *images = w->findChild<TImageList *>("ImageList1");
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(images->Count(), 7);
    const char *const entries[] = {"mnuChordanalysis", "mnuChordpattern", "mnuProgressions", "mnuPractice",
                                   "Setupmnu",         "mnuHelp",         "mnuAbout"};
    QList<QImage> shown;
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(entries[i]);
        const auto *action = w->findChild<QAction *>(entries[i]);
        ASSERT_NE(action, nullptr);
        const QImage picture = action->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(picture, images->Picture(i).convertToFormat(QImage::Format_ARGB32));
        // A picture, not an empty square: clear corners around something drawn.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += qAlpha(picture.pixel(x, y)) > 128;
        EXPECT_GT(drawn, 40);
        EXPECT_FALSE(shown.contains(picture)) << "the same picture as another entry";
        shown << picture;
    }
    // The menus of the bar carry none.
    for (const char *menu : {"mnuTools", "mnuWhat"})
        EXPECT_TRUE(w->findChild<QAction *>(menu)->icon().isNull()) << menu;
}

TEST_F(MainWindow, PracticeAndProgressionsAnswerSoonInTheLanguage)
{
    const struct {
        int language;
        const char *answer;
    } cases[] = {{1, "Information: Soon..."}, {2, "Information: Bientôt..."}, {3, "Information: Bientôt..."}};
    for (const auto &c : cases) {
        Store("Language", c.language);
        Open();
        messages.clear();
        w->mnuPractice->trigger();
        w->mnuProgressions->trigger();
        EXPECT_EQ(messages, QStringList({c.answer, c.answer})) << "Language " << c.language;
    }
}

// Without the windows of the whole program (the about box among them),
// these entries open nothing and nothing fails.
TEST_F(MainWindow, ThePatternAndAboutEntriesOpenNothingWhileTheirWindowsAreNotThere)
{
    Open();
    for (QAction *entry : {w->mnuChordpattern, w->mnuAbout})
        entry->trigger();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
}

TEST_F(MainWindow, TheFirstShowingRemindsOfTheMissingOutputOnTop)
{
    const struct {
        const char *output;
        bool remindMe;
        bool reminded;
    } cases[] = {{"", true, true}, {"", false, false}, {"Loopback Out", true, false}};
    for (const auto &c : cases) {
        StoreText("MidiIFOut", c.output);
        Store("RemindMe", c.remindMe);
        Open();
        w->Mode = 1;
        w->show();
        EXPECT_EQ(w->Mode, 0) << "the first showing starts in chord mode";
        const TFrmNoMidi *reminder = w->findChild<TFrmNoMidi *>();
        EXPECT_EQ(reminder != nullptr, c.reminded) << "output \"" << c.output << "\", remind " << c.remindMe;
        if (reminder) {
            EXPECT_EQ(w->FrmNoMidi, reminder);
            EXPECT_TRUE(reminder->isVisible());
            EXPECT_FALSE(reminder->isModal());
            EXPECT_TRUE(reminder->windowFlags() & Qt::WindowStaysOnTopHint);
        }
        w->hide();
        w->Mode = 1;
        w->show();
        EXPECT_EQ(w->Mode, 1) << "only the first showing";
        EXPECT_EQ(w->findChildren<TFrmNoMidi *>().size(), c.reminded ? 1 : 0);
    }
}

TEST_F(MainWindow, ShowChordRefusesARootOrChordOutsideTheListsBeforeChangingAnything)
{
    Open();
    const struct {
        int root, chord;
        const char *message;
    } cases[] = {{13, 1, "Index de liste hors limites (12)"},
                 {0, 1, "Index de liste hors limites (-1)"},
                 {1, 61, "Index de liste hors limites (60)"}};
    for (const auto &c : cases) {
        try {
            w->ShowChord(c.root, c.chord, 0);
            ADD_FAILURE() << "nothing thrown for " << c.root << ", " << c.chord;
        } catch (const platform::Exception &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(PressedKeys(), QList<int>({13, 17, 20}));
        EXPECT_EQ(ChordNoteKeys(), QList<int>({13, 17, 20}));
        EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
    }
}

TEST_F(MainWindow, ThePatternEditorHearsTheFirstSpellingOnlyOnceItExists)
{
    Open();
    QStringList heard;
    w->OnPatternChord = [&](const QString &chord) { heard << chord; };
    w->ShowChord(1, ChordNumber("M7"), 0);
    model::PatternFormCreated = true;
    w->ShowChord(1, ChordNumber("M7"), 0);
    w->ShowChord(1, ChordNumber("m6/9"), 0); // a caption without a comma
    EXPECT_EQ(heard, QStringList({QStringLiteral("C\u0394"), "Cm6/9"}));
}

// ---------------------------------------------------------------------------
// The background picture

TEST_F(MainWindow, BackgroundNoneOrAMissingFileGivesPlainWhite)
{
    for (const QString &background : {QStringLiteral("none"), QStringLiteral("/nowhere/at/all.jpg")}) {
        StoreText("Background", background);
        Open();
        EXPECT_TRUE(IsPlainColor(w->ImgFond->Bitmap(), qRgb(255, 255, 255))) << background.toStdString();
        EXPECT_TRUE(errors.isEmpty());
    }
}

TEST_F(MainWindow, AnUnreadableBackgroundIsReportedByNameAndTheWindowOpensOnWhite)
{
    const QString garbage = QStringLiteral(HN_FIXTURES_DIR "/x.jpg");
    StoreText("Background", garbage);
    Open();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Cannot read the picture " + QDir::toNativeSeparators(garbage) + ": "))
        << errors[0].toStdString();
    EXPECT_TRUE(IsPlainColor(w->ImgFond->Bitmap(), qRgb(255, 255, 255)));
    // The rest of the window was built after the failure.
    EXPECT_EQ(w->LabelChord->text(), "C, CMajor, CM");
    EXPECT_EQ(PressedKeys(), QList<int>({13, 17, 20}));
    EXPECT_EQ(w->Alteration->Caption(), "Accidentals");
}

TEST_F(MainWindow, AReadableBackgroundIsShownStretched)
{
    QTemporaryDir folder;
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString file = folder.filePath("stage.png");
    ASSERT_TRUE(red.save(file));
    StoreText("Background", file);
    Open();
    EXPECT_EQ(w->ImgFond->Bitmap(), red);
    const QImage shown = w->ImgFond->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() - 1, shown.height() - 1), QColor(Qt::red));
}

TEST_F(MainWindow, TheStaffBlendsIntoAColouredBackgroundWithoutLightFringes)
{
    QTemporaryDir folder;
    const QColor ground(0x20, 0x40, 0xC0);
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(ground);
    const QString file = folder.filePath("blue.png");
    ASSERT_TRUE(picture.save(file));
    StoreText("Background", file);
    Open();
    QTest::mouseClick(Key(14), Qt::LeftButton); // D flat: a flat beside the heads
    const QImage shown = w->ImgFond->grab().toImage();

    // Around the clef, the flat and the red names every pixel lies between
    // the ink and the background: no channel lighter than both.
    int checked = 0;
    for (const TStaffMark &mark : w->Staff().Marks()) {
        if (mark.kind != TStaffMark::Kind::Clef && mark.kind != TStaffMark::Kind::Flat &&
            mark.kind != TStaffMark::Kind::Name)
            continue;
        const QColor ink = mark.kind == TStaffMark::Kind::Name ? QColor(Qt::red) : QColor(Qt::black);
        const QRect area = mark.rect.translated(w->ImgPartition->pos()).intersected(shown.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor p = shown.pixelColor(x, y);
                ++checked;
                ASSERT_LE(p.red(), std::max(ink.red(), ground.red()) + 2) << x << "," << y;
                ASSERT_LE(p.green(), std::max(ink.green(), ground.green()) + 2) << x << "," << y;
                ASSERT_LE(p.blue(), std::max(ink.blue(), ground.blue()) + 2) << x << "," << y;
            }
    }
    EXPECT_GT(checked, 2000);
}

TEST_F(MainWindow, WithoutABackgroundTheDefaultPictureOfTheCurrentFolderWins)
{
    QTemporaryDir folder;
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(folder.filePath("default.jpg"), "JPG", 100));
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    Open();
    QDir::setCurrent(before);
    const QColor shown = w->ImgFond->Bitmap().pixelColor(8, 8);
    EXPECT_GT(shown.blue(), 200);
    EXPECT_LT(shown.red(), 60);
}

TEST_F(MainWindow, WithoutABackgroundOrADefaultPictureTheDesignedOneStays)
{
    QTemporaryDir folder;
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    Open();
    QDir::setCurrent(before);
    InitPanelResources();
    EXPECT_EQ(w->ImgFond->Bitmap(),
              QImage(QString::fromLatin1(PanelDefaultBackground)).convertToFormat(QImage::Format_RGB32));
}

TEST_F(MainWindow, ListsDrawTheSelectedLineOnAGradientFromNavyOverAPaleGround)
{
    Open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QImage roots = w->ChordRoot->viewport()->grab().toImage();
    const QColor top = roots.pixelColor(1, 0);
    EXPECT_LT(top.red(), 30);
    EXPECT_LT(top.green(), 30);
    EXPECT_GT(top.blue(), 100) << "the selected line starts navy";
    const QColor bottom = roots.pixelColor(1, 20);
    EXPECT_GT(bottom.red(), 200) << "and fades to the ground";
    EXPECT_EQ(roots.pixelColor(1, 21 * 2 + 2), QColor(0xF0, 0xFB, 0xFF)) << "an unselected line";
}
