#include "skin/RadEzarArov.h"

#include "FrameSkin.h"
#include "SkinTestSupport.h"
#include "SkinWindows.h"
#include "platform/EarlyWork.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManage.h"

#include <QBuffer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace skin;
using namespace skintest;

namespace {

using SkinData = FreshManager;

QByteArray Bmp(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A package with a description and one picture, named as given.
QByteArray PackageWithMenu(const QByteArray &name)
{
    QImage menu(12, 6, QImage::Format_RGB32);
    menu.fill(qRgb(40, 80, 120));
    return PackSkin({{"Skin.INI", "; ours\r\n[TitlebarSkin]\r\nSkinName=" + name +
                                      "\r\n[MenuBackground]\r\nImage=pictures\\Menu.bmp\r\nLeftWidth=2\r\n"},
                     {"menu.bmp", Bmp(menu)}});
}

QByteArray Counted(qint32 count, const QByteArray &bytes)
{
    QByteArray stream(4, '\0');
    qToLittleEndian(count, stream.data());
    return stream + bytes;
}

TEST_F(SkinData, StartsWithTheStoredDefaults)
{
    TSkinData d;
    EXPECT_FALSE(d.Active());
    EXPECT_EQ(d.DisableTag, 99);
    EXPECT_EQ(d.SkinFormtype, TSkinData::sfMainform);
    EXPECT_TRUE(d.MenuUpdate);
    EXPECT_FALSE(d.MenuMerge);
    EXPECT_TRUE(d.SkinFile().isEmpty());
    EXPECT_FALSE(d.SkinReady());
    EXPECT_TRUE(d.Loading());
    for (int t = xcMainMenu; t <= xcFastReport; ++t)
        EXPECT_EQ(d.SkinControls.contains(TSkinControlType(t)), t != xcMenuItem && t != xcFastReport) << t;
    EXPECT_EQ(d.SkinControls.bits(), 0x7FFFBu);
    // The three lines that stand twice stay twice.
    const QStringList table = d.Skin3rd();
    EXPECT_EQ(table.size(), 98);
    EXPECT_EQ(QSet<QString>(table.begin(), table.end()).size(), 95);
    EXPECT_EQ(table.first(), "TComboboxex=combobox");
    EXPECT_EQ(table.last(), "TOVCDBNUMERICFIELD=Edit");
    const qsizetype group = table.indexOf("TDBLookupCombobox=Combobox");
    EXPECT_EQ(table.mid(group, 5),
              (QStringList{"TDBLookupCombobox=Combobox", "TWWDBCombobox=Combobox", "TWWDBLookupCombo=Combobox",
                           "TWWDBCombobox=Combobox", "TWWKeyCombo=Combobox"}));
    EXPECT_EQ(table.count("TDBCheckboxEh=Checkbox"), 2);
    EXPECT_EQ(table.count("TLMDFontSizeCombobox=combobox"), 2);
    // The elements that live as long as the component exist from the start.
    ASSERT_TRUE(d.Skin.ButtonData && d.Skin.TitleData && d.Skin.LeftBorder && d.Skin.BottomBorder);
    EXPECT_EQ(d.Skin.ButtonData->Name, "Buttons");
    EXPECT_EQ(d.Skin.TitleData->Name, "Title");
}

TEST_F(SkinData, PublishesItsPropertiesByName)
{
    TSkinData d;
    d.Store = PackageWithMenu("Ours");
    // Read-only texts ignore what is written.
    EXPECT_TRUE(d.setProperty("SkinStore", "(Good)"));
    EXPECT_EQ(d.property("SkinStore").toString(), "(none)");
    EXPECT_TRUE(d.setProperty("Version", "9"));
    EXPECT_EQ(d.property("Version").toString(), "2.74.12.06");
    d.setProperty("DisableTag", 12);
    EXPECT_EQ(d.DisableTag, 12);
    SetEnumProperty(&d, "SkinFormtype", "sfDialog");
    EXPECT_EQ(d.SkinFormtype, TSkinData::sfDialog);
    EXPECT_THROW(SetEnumProperty(&d, "SkinFormtype", "sfEverything"), EPropertyError);
    d.setProperty("Skin3rd", QStringList{"TMine=button"});
    EXPECT_EQ(d.Skin3rd(), QStringList{"TMine=button"});
}

struct StreamCase {
    const char *name;
    QByteArray stream;
    bool stored;
    bool reported; // a damaged stream is reported
};

void PrintTo(const StreamCase &c, std::ostream *os)
{
    *os << c.name;
}

class SkinStream : public FreshManager, public testing::WithParamInterface<StreamCase> {};

TEST_P(SkinStream, LoadsOnlyACompleteCountedPackage)
{
    const StreamCase &c = GetParam();
    test::ShownMessages shown;
    TTestForm form;
    auto *d = new TSkinData(&form);
    // Active in the stored definition: Loaded takes it back when the skin is not ready.
    d->SetActive(true);
    d->ReadSkinStream(c.stream);
    EXPECT_EQ(d->Store.isEmpty(), !c.stored);
    EXPECT_EQ(d->SkinReady(), c.stored);
    d->Loaded();
    EXPECT_EQ(d->Active(), c.stored);
    EXPECT_EQ(SkinManager->SkinningOn, c.stored);
    EXPECT_EQ(shown.messages.size(), c.reported ? 1 : 0) << shown.messages.join('\n').toStdString();
    if (c.stored) {
        EXPECT_EQ(d->Skin.SkinName, "Ours");
        ASSERT_TRUE(d->Skin.MenuBackground);
        EXPECT_EQ(d->Skin.MenuBackground->Image.size(), QSize(12, 6));
        EXPECT_EQ(d->WriteSkinStream(), SkinStreamOf(d->Store));
    } else {
        EXPECT_EQ(d->WriteSkinStream(), QByteArray(4, '\0'));
    }
}

TEST_P(SkinStream, OneThatCannotBeReadKeepsTheSkinInForceWhole)
{
    const StreamCase &c = GetParam();
    TSkinData d;
    d.ReadSkinStream(SkinStreamOf(PackageWithMenu("Before")));
    ASSERT_TRUE(d.SkinReady());
    const QByteArray before = d.Store;
    test::ShownMessages shown;
    d.ReadSkinStream(c.stream);
    EXPECT_TRUE(d.SkinReady());
    EXPECT_EQ(d.Skin.SkinName, c.stored ? "Ours" : "Before");
    ASSERT_TRUE(d.Skin.MenuBackground);
    EXPECT_EQ(d.Skin.MenuBackground->Image.size(), QSize(12, 6));
    if (!c.stored) {
        EXPECT_EQ(d.Store, before);
    }
    EXPECT_EQ(shown.messages.size(), c.reported ? 1 : 0) << shown.messages.join('\n').toStdString();
}

// What the main window's component ends with, and what it says.
struct TMade {
    bool ready;
    QByteArray store;
    QString skinName;
    QSize menuBackground;
    QStringList messages;
    bool ahead;
};

enum class TRead { ByTheComponent, AheadOnAThread, AheadButTakenFirst };

TMade MadeFrom(const QByteArray &stream, TRead read)
{
    test::ShownMessages shown;
    if (read == TRead::AheadOnAThread) {
        platform::TEarlyThreads threads;
        threads.Start({ReadSkinStreamAhead(stream)}, "begins", "ends");
        threads.Join();
        EXPECT_TRUE(shown.messages.isEmpty()) << "the thread shows nothing";
    } else if (read == TRead::AheadButTakenFirst) {
        // No thread got round to it: the component reads it itself.
        ReadSkinStreamAhead(stream);
    }
    TTestForm form;
    const TSkinData *d = CreateMainSkinData(&form, stream, QImage());
    return {d->SkinReady(),   d->Store,
            d->Skin.SkinName, d->Skin.MenuBackground ? d->Skin.MenuBackground->Image.size() : QSize(),
            shown.messages,   d->LoadTimes.Ahead};
}

// Read ahead, the stream gives the component the very skin it would have
// read, or the very message it would have shown, and it is built before
// Loaded runs.
TEST_P(SkinStream, ReadAheadEndsAsReadByTheComponent)
{
    const StreamCase &c = GetParam();
    const TMade own = MadeFrom(c.stream, TRead::ByTheComponent);
    EXPECT_FALSE(own.ahead);
    for (TRead read : {TRead::AheadOnAThread, TRead::AheadButTakenFirst}) {
        const TMade made = MadeFrom(c.stream, read);
        EXPECT_EQ(made.ready, own.ready);
        EXPECT_EQ(made.store, own.store);
        EXPECT_EQ(made.skinName, own.skinName);
        EXPECT_EQ(made.menuBackground, own.menuBackground);
        EXPECT_EQ(made.messages, own.messages);
        // A stream whose count is wrong holds no package to read ahead.
        const bool counted = c.stored || c.name == std::string("ForeignPackage");
        EXPECT_EQ(made.ahead, counted);
    }
}

const QByteArray Package = PackageWithMenu("Ours");

INSTANTIATE_TEST_SUITE_P(
    Cases, SkinStream,
    testing::Values(StreamCase{"Complete", SkinStreamOf(Package), true, false},
                    StreamCase{"FollowedByMore", SkinStreamOf(Package) + "more", true, false},
                    StreamCase{"CountZero", Counted(0, Package), false, false},
                    StreamCase{"CountNegative", Counted(-5, Package), false, true},
                    StreamCase{"CountPastTheEnd", Counted(qint32(Package.size() + 1), Package), false, true},
                    StreamCase{"CountFarPastTheEnd", Counted(0x7FFFFFFF, Package), false, true},
                    StreamCase{"CountOfTheLeastNumber", Counted(qint32(0x80000000u), Package), false, true},
                    StreamCase{"NoCountAtAll", QByteArray("\x01\x00", 2), false, true},
                    StreamCase{"Empty", QByteArray(), false, true},
                    StreamCase{"ForeignPackage", SkinStreamOf(PackArchive(BuildArchive("a.ini\r\n", {"x"}, 19999))),
                               false, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SkinData, TakesOnlyTheReadAheadOfItsOwnPackage)
{
    ReadSkinStreamAhead(SkinStreamOf(PackageWithMenu("Ahead")));
    TTestForm form;
    const TSkinData *other = CreateMainSkinData(&form, SkinStreamOf(PackageWithMenu("Other")), QImage());
    EXPECT_FALSE(other->LoadTimes.Ahead);
    EXPECT_EQ(other->Skin.SkinName, "Other");
    const TSkinData *own = CreateMainSkinData(&form, SkinStreamOf(PackageWithMenu("Ahead")), QImage());
    EXPECT_TRUE(own->LoadTimes.Ahead);
    EXPECT_EQ(own->Skin.SkinName, "Ahead");
    // Taken once: the next component reads its own.
    const TSkinData *again = CreateMainSkinData(&form, SkinStreamOf(PackageWithMenu("Ahead")), QImage());
    EXPECT_FALSE(again->LoadTimes.Ahead);
    EXPECT_EQ(again->Skin.SkinName, "Ahead");
}

// A package with side borders, buttons and a title of the given width.
QByteArray PackageWithFrame(int width)
{
    QImage picture(width, 6, QImage::Format_RGB32);
    picture.fill(qRgb(width, 0, 0));
    return PackSkin({{"Skin.ini", "[Personality]\r\nTop=top.bmp\r\nTopFrame=2\r\nTextBack=top.bmp\r\nTextShift=" +
                                      QByteArray::number(width) + "\r\n[Buttons]\r\nBitmap=top.bmp\r\n"},
                     {"top.bmp", Bmp(picture)}});
}

// Windows hold on to the side borders, the buttons and the title while a
// skin is replaced: a new skin refills them.
TEST_F(SkinData, ANewSkinRefillsTheElementsThatLastAsLongAsTheComponent)
{
    TSkinData d;
    d.ReadSkinStream(SkinStreamOf(PackageWithFrame(10)));
    const TDataSkinBorder *top = d.Skin.TopBorder.get();
    const TDataSkinButton *buttons = d.Skin.ButtonData.get();
    const TDataSkinTitle *title = d.Skin.TitleData.get();
    const TDataSkinBorder *left = d.Skin.LeftBorder.get();
    d.Store = PackageWithFrame(20);
    ASSERT_TRUE(d.LoadSkin());
    EXPECT_EQ(d.Skin.TopBorder.get(), top);
    EXPECT_EQ(d.Skin.ButtonData.get(), buttons);
    EXPECT_EQ(d.Skin.TitleData.get(), title);
    EXPECT_EQ(d.Skin.LeftBorder.get(), left);
    EXPECT_EQ(top->Image.width(), 20);
    EXPECT_EQ(top->FrameCount, 2);
    EXPECT_EQ(top->Name, "Top");
    EXPECT_EQ(buttons->Image.width(), 20);
    EXPECT_EQ(title->TextShift(), 20);
    EXPECT_EQ(title->Name, "Title");
}

TEST_F(SkinData, LoadedAdjustsTheMenuKinds)
{
    struct Case {
        QList<TSkinControlType> given;
        QList<TSkinControlType> kept;
    };
    const Case cases[] = {
        {{xcSystemMenu, xcMenuItem, xcButton}, {xcMenuItem, xcButton}},
        {{xcMainMenu, xcSystemMenu, xcMenuItem}, {xcMainMenu, xcSystemMenu}},
        {{xcMainMenu}, {xcMainMenu}},
        {{}, {}},
    };
    for (const Case &c : cases) {
        TSkinData d;
        d.SkinControls = TSkinControls();
        for (TSkinControlType t : c.given)
            d.SkinControls.insert(t);
        d.Loaded();
        TSkinControls kept;
        for (TSkinControlType t : c.kept)
            kept.insert(t);
        EXPECT_EQ(d.SkinControls.bits(), kept.bits()) << c.given.size();
    }
}

TEST_F(SkinData, AcceptsFormsByClassName)
{
    struct Case {
        const char *className;
        bool fastReport;
        bool accepted;
    };
    const Case cases[] = {{"TFormMain", false, true},      {"SysMonthCal32", false, false},
                          {"sysmonthcal32", false, true},  {"TfrPreviewForm", false, true},
                          {"TfrPreviewForm", true, false}, {"TFrmMidiSetup", true, true}};
    for (const Case &c : cases) {
        TSkinData d;
        if (c.fastReport)
            d.SkinControls.insert(xcFastReport);
        EXPECT_EQ(d.AcceptForm(c.className), c.accepted) << c.className << " " << c.fastReport;
    }
    TSkinData d;
    d.OnFormSkin = [](TSkinData *, const QString &name, bool &doSkin) { doSkin = name == "SysMonthCal32"; };
    EXPECT_TRUE(d.AcceptForm("SysMonthCal32"));
    EXPECT_FALSE(d.AcceptForm("TFormMain"));
}

TEST_F(SkinData, ASkinFileIsLoadedAndAppliedAgain250MillisecondsLater)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("other.skn");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(PackageWithMenu("Other"));
    }
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true);
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    ASSERT_NE(manager.FindSkinner(&form), nullptr);
    int changes = 0;
    d->OnSkinChanged = [&](TSkinData *) { ++changes; };

    d->SetSkinFile(file);
    EXPECT_EQ(d->SkinFile(), file);
    EXPECT_TRUE(d->SkinReady());
    EXPECT_EQ(d->Skin.SkinName, "Other");
    ASSERT_TRUE(d->Skin.MenuBackground);
    EXPECT_EQ(d->Skin.MenuBackground->LeftWidth, 2);
    EXPECT_EQ(manager.PendingSkinData, d);
    EXPECT_EQ(manager.PendingAction, saReload);
    EXPECT_EQ(changes, 0);
    ASSERT_TRUE(WaitFor([&] { return changes == 1; }));
    EXPECT_NE(manager.FindSkinner(&form), nullptr);
}

struct SkinFileCase {
    const char *name;
    QByteArray bytes; // none: no such file
};

void PrintTo(const SkinFileCase &c, std::ostream *os)
{
    *os << c.name;
}

class BadSkinFile : public FreshManager, public testing::WithParamInterface<SkinFileCase> {};

TEST_P(BadSkinFile, IsReportedAndTheWindowsKeepTheSkinInForceWithTheirCaptionButtons)
{
    const SkinFileCase &c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath("damaged.skn");
    if (!c.bytes.isNull()) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.bytes);
    }
    TTestForm form;
    TSkinData *d = StoredComponent(&form, TSkinData::sfMainform, true, FramePackage());
    TSkinManage &manager = Manager();
    ASSERT_TRUE(ShowActive(&form));
    TRuzOzodOvez *skinner = manager.FindSkinner(&form);
    ASSERT_NE(skinner, nullptr);
    ASSERT_TRUE(WaitFor([&] { return skinner->FirstLayoutSeen == 1; }));
    const size_t buttons = skinner->SysButtons.size();
    ASSERT_GT(buttons, 0u);
    const QByteArray store = d->Store;

    test::ShownMessages shown;
    d->SetSkinFile(file);
    EXPECT_EQ(shown.messages.size(), 1) << shown.messages.join('\n').toStdString();
    EXPECT_TRUE(d->SkinReady());
    EXPECT_EQ(d->Skin.SkinName, "Frame test");
    EXPECT_EQ(d->Store, store);
    // Nothing is applied again: the windows keep their frames.
    EXPECT_FALSE(manager.Timer->isActive());
    QTest::qWait(2 * TSkinManage::ActionDelayMs);
    EXPECT_EQ(manager.FindSkinner(&form), skinner);
    EXPECT_EQ(skinner->SysButtons.size(), buttons);

    // A new window is still skinned with it.
    TTestForm other;
    ASSERT_TRUE(ShowActive(&other));
    EXPECT_NE(manager.FindSkinner(&other), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadSkinFile,
                         testing::Values(SkinFileCase{"Missing", QByteArray()}, SkinFileCase{"Empty", QByteArray("")},
                                         SkinFileCase{"Foreign", PackArchive(BuildArchive("a.ini\r\n", {"x"}, 19999))},
                                         SkinFileCase{"CutShort", PackageWithMenu("Other").left(6)},
                                         SkinFileCase{"LyingLength", QByteArray("\xFF\xFF\xFF\x7F", 4) +
                                                                         PackageWithMenu("Other").mid(4)}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SkinData, AnEmptySkinFileNameKeepsTheSkinInForceWithoutAWord)
{
    test::ShownMessages shown;
    TSkinData d;
    d.ReadSkinStream(SkinStreamOf(PackageWithMenu("Ours")));
    d.SetSkinFile(QString());
    EXPECT_TRUE(d.SkinReady());
    EXPECT_TRUE(shown.messages.isEmpty());
}

TEST_F(SkinData, MenuGlyphsAreCutFromTheirStripWithWhiteLeftOut)
{
    struct Case {
        int width;
        int glyphs;
    };
    for (const Case &c : {Case{64, 4}, Case{40, 2}, Case{15, 0}, Case{0, 0}}) {
        QImage strip(c.width, 16, QImage::Format_RGB32);
        strip.fill(Qt::white);
        for (int g = 0; g < c.width / 16; ++g)
            strip.setPixel(g * 16 + 3, 5, qRgb(g, 0, 0));
        TSkinData d;
        d.SetMenuGlyphs(strip);
        ASSERT_EQ(d.MenuGlyphs.size(), c.glyphs) << c.width;
        for (int g = 0; g < c.glyphs; ++g) {
            const QImage &glyph = d.MenuGlyphs[g];
            EXPECT_EQ(glyph.size(), QSize(16, 16));
            EXPECT_EQ(glyph.pixel(3, 5), qRgb(g, 0, 0));
            EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0);
        }
    }
}

TEST_F(SkinData, TheMainWindowsComponentIsMadeAsItsDefinitionHoldsIt)
{
    TTestForm form;
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(Qt::black);
    TSkinData *d = CreateMainSkinData(&form, SkinStreamOf(PackageWithMenu("Ours")), strip);
    EXPECT_EQ(d->objectName(), "SkinData1");
    EXPECT_EQ(d->parent(), &form);
    EXPECT_FALSE(d->Active());
    EXPECT_FALSE(d->Loading());
    EXPECT_EQ(d->DisableTag, 99);
    EXPECT_EQ(d->SkinFormtype, TSkinData::sfMainform);
    EXPECT_TRUE(d->SkinReady());
    EXPECT_EQ(d->Skin.SkinName, "Ours");
    EXPECT_EQ(d->MenuGlyphs.size(), 4);
    ASSERT_NE(SkinManager, nullptr);
    EXPECT_TRUE(SkinManager->HookInstalled());
    EXPECT_EQ(SkinManager->MainSkinData, d);
    EXPECT_FALSE(SkinManager->SkinningOn);
    const TSkinLoadTimes &t = d->LoadTimes;
    EXPECT_GT(t.Decode, 0);
    EXPECT_GE(t.Component, t.Decode + t.Parse + t.Elements);
}

TEST_F(SkinData, ReloadingBeforeLoadedDoesNothing)
{
    TSkinData d;
    d.Reload();
    EXPECT_EQ(SkinManager, nullptr);
}

} // namespace
