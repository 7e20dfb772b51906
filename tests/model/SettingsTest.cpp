#include "model/Settings.h"
#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"

#include "ModelPrinters.h"
#include "common/FileReplacements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace model;

namespace {

const QByteArray Header = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Harmonova]\n";

QByteArray ReadRegistry()
{
    QFile file(platform::RegistryFileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteRegistry(const QByteArray &bytes)
{
    QFile file(platform::RegistryFileName());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString MessageOf(void (*operation)())
{
    try {
        operation();
    } catch (const platform::Exception &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing thrown)");
}

// The variables as they are before anything is loaded.
void ResetSettings()
{
    WindowCompact = AlterationsEnDiese = Notation = AutoListen = OnTop = RemindMe = false;
    ListenType = Son = Detune = MidiChannel = Language = Speed = 0;
    MidiIFIn.clear();
    MidiIFOut.clear();
    Background.clear();
    HelpFile.clear();
}

// The settings in the order LoadSettings reads them, with the help file
// where it is chosen, so a test can see how far a load got.
QStringList Snapshot()
{
    auto b = [](bool v) { return QString(v ? "true" : "false"); };
    auto n = [](int v) { return QString::number(v); };
    return {b(WindowCompact), b(AlterationsEnDiese),
            b(Notation),      b(AutoListen),
            n(ListenType),    MidiIFIn,
            MidiIFOut,        n(Son),
            n(Detune),        n(MidiChannel),
            n(Language),      HelpFile,
            n(Speed),         Background,
            b(OnTop),         b(RemindMe)};
}

class Settings : public testing::Test {
protected:
    void SetUp() override { ResetSettings(); }
    void TearDown() override { ResetSettings(); }
};

} // namespace

TEST_F(Settings, FirstStartWritesOnlyTheSixBooleanDefaults)
{
    MidiIFIn = "kept in";
    MidiIFOut = "kept out";
    LoadSettings();
    EXPECT_EQ(ReadRegistry(), Header + "\"WindowCompact\"=dword:00000000\n"
                                       "\"AlterationsEnDiese\"=dword:00000000\n"
                                       "\"Notation\"=dword:00000001\n"
                                       "\"AutoListen\"=dword:00000000\n"
                                       "\"OnTop\"=dword:00000000\n"
                                       "\"RemindMe\"=dword:00000001\n"
                                       "\n");
    EXPECT_EQ(Snapshot(), (QStringList{"false", "false", "true", "false", "0", "kept in", "kept out", "0", "0", "1",
                                       "1", "ZADIVIZIRAZ.ARI", "150", "", "false", "true"}));
}

TEST_F(Settings, SaveWritesFourteenValuesInOrderAndTheNextStartReadsThemBack)
{
    WindowCompact = true;
    AutoListen = true;
    ListenType = -1;
    Son = 19;
    Detune = -2;
    MidiIFIn = "Loopback In";
    MidiIFOut = "Loopback Out";
    MidiChannel = 9;
    Language = 2;
    Speed = 500;
    Background = "/home/musician/stage \"live\".jpg";
    OnTop = true;
    RemindMe = true;
    SaveSettings();
    EXPECT_EQ(ReadRegistry(), Header + "\"WindowCompact\"=dword:00000001\n"
                                       "\"AlterationsEnDiese\"=dword:00000000\n"
                                       "\"AutoListen\"=dword:00000001\n"
                                       "\"ListenType\"=dword:ffffffff\n"
                                       "\"Son\"=dword:00000013\n"
                                       "\"Detune\"=dword:fffffffe\n"
                                       "\"MidiIfIn\"=\"Loopback In\"\n"
                                       "\"MidiIFOut\"=\"Loopback Out\"\n"
                                       "\"MidiChannel\"=dword:00000009\n"
                                       "\"Language\"=dword:00000002\n"
                                       "\"Speed\"=dword:000001f4\n"
                                       "\"Notation\"=dword:00000000\n"
                                       "\"Background\"=\"/home/musician/stage \\\"live\\\".jpg\"\n"
                                       "\"OnTop\"=dword:00000001\n"
                                       "\n");

    const QStringList saved = Snapshot();
    ResetSettings();
    LoadSettings();
    QStringList expected = saved;
    expected[11] = "ZUVIVODADOZ.IDI";
    EXPECT_EQ(Snapshot(), expected) << "the input device saved as \"MidiIfIn\" is read back as \"MidiIFIn\"";
}

TEST_F(Settings, TheInputDeviceIsOneValueWhateverTheLetterCase)
{
    WriteRegistry(Header + "\"MidiIFIn\"=\"Old In\"\n");
    MidiIFIn = "New In";
    SaveSettings();
    const QByteArray file = ReadRegistry();
    EXPECT_EQ(file.toLower().count("\"midiifin\""), 1) << file.toStdString();
    EXPECT_TRUE(file.contains("=\"New In\""));
    MidiIFIn.clear();
    LoadSettings();
    EXPECT_EQ(MidiIFIn, "New In");
}

TEST_F(Settings, RemindMeIsLoadedButNeverSaved)
{
    WriteRegistry(Header + "\"RemindMe\"=dword:00000000\n");
    LoadSettings();
    EXPECT_FALSE(RemindMe);
    RemindMe = true;
    SaveSettings();
    EXPECT_TRUE(ReadRegistry().contains("\"RemindMe\"=dword:00000000\n"));
}

// ---------------------------------------------------------------------------
// A value its control cannot show is brought to what the control shows.

namespace {

struct StoredValue {
    const char *stored; // the line in the file
    QList<int> entries; // of Snapshot()
    QStringList loaded; // what the program runs with there
    const char *saved;  // the line a save leaves
};

void PrintTo(const StoredValue &value, std::ostream *os)
{
    *os << value.stored;
}

class StoredOutOfRange : public Settings, public testing::WithParamInterface<StoredValue> {};

const StoredValue storedValues[] = {
    {"\"Son\"=dword:000000c8", {7}, {"127"}, "\"Son\"=dword:0000007f"},
    {"\"Son\"=dword:ffffffff", {7}, {"0"}, "\"Son\"=dword:00000000"},
    {"\"Son\"=dword:0000007f", {7}, {"127"}, "\"Son\"=dword:0000007f"},
    {"\"MidiChannel\"=dword:00000014", {9}, {"15"}, "\"MidiChannel\"=dword:0000000f"},
    {"\"MidiChannel\"=dword:ffffffff", {9}, {"0"}, "\"MidiChannel\"=dword:00000000"},
    {"\"MidiChannel\"=dword:00000000", {9}, {"0"}, "\"MidiChannel\"=dword:00000000"},
    {"\"Detune\"=dword:00000064", {8}, {"12"}, "\"Detune\"=dword:0000000c"},
    {"\"Detune\"=dword:ffffffd8", {8}, {"-12"}, "\"Detune\"=dword:fffffff4"},
    {"\"Detune\"=dword:fffffff5", {8}, {"-11"}, "\"Detune\"=dword:fffffff5"},
    {"\"Speed\"=dword:00000000", {12}, {"100"}, "\"Speed\"=dword:00000064"},
    {"\"Speed\"=dword:00002710", {12}, {"1000"}, "\"Speed\"=dword:000003e8"},
    {"\"Speed\"=dword:000003e8", {12}, {"1000"}, "\"Speed\"=dword:000003e8"},
    {"\"ListenType\"=dword:00000007", {4}, {"-1"}, "\"ListenType\"=dword:ffffffff"},
    {"\"ListenType\"=dword:fffffffe", {4}, {"-1"}, "\"ListenType\"=dword:ffffffff"},
    {"\"ListenType\"=dword:00000002", {4}, {"2"}, "\"ListenType\"=dword:00000002"},
    // Any language but English is French, as the set-up dialog shows it and
    // the chord names take it; the help file follows.
    {"\"Language\"=dword:00000001", {10, 11}, {"1", "ZADIVIZIRAZ.ARI"}, "\"Language\"=dword:00000001"},
    {"\"Language\"=dword:00000002", {10, 11}, {"2", "ZUVIVODADOZ.IDI"}, "\"Language\"=dword:00000002"},
    {"\"Language\"=dword:00000003", {10, 11}, {"2", "ZUVIVODADOZ.IDI"}, "\"Language\"=dword:00000002"},
    {"\"Language\"=dword:00000000", {10, 11}, {"2", "ZUVIVODADOZ.IDI"}, "\"Language\"=dword:00000002"},
};

} // namespace

TEST_P(StoredOutOfRange, IsBroughtToWhatItsControlOffersAndSavedSo)
{
    const StoredValue &value = GetParam();
    WriteRegistry(Header + value.stored + '\n');
    EXPECT_EQ(MessageOf(LoadSettings), "(nothing thrown)");
    const QStringList loaded = Snapshot();
    for (qsizetype i = 0; i < value.entries.size(); ++i)
        EXPECT_EQ(loaded[value.entries[i]], value.loaded[i]) << "entry " << value.entries[i];
    SaveSettings();
    EXPECT_TRUE(ReadRegistry().contains(QByteArray(value.saved) + '\n')) << ReadRegistry().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Settings, StoredOutOfRange, testing::ValuesIn(storedValues));

// ---------------------------------------------------------------------------
// A value that cannot be read takes its default; the others are still loaded.

namespace {

// Every setting stored with a value other than its default, in load order.
const QList<QByteArray> everySetting = {
    "\"WindowCompact\"=dword:00000001", "\"AlterationsEnDiese\"=dword:00000001",
    "\"Notation\"=dword:00000000",      "\"AutoListen\"=dword:00000001",
    "\"ListenType\"=dword:00000002",    "\"MidiIFIn\"=\"Loopback In\"",
    "\"MidiIFOut\"=\"Loopback Out\"",   "\"Son\"=dword:00000030",
    "\"Detune\"=dword:00000003",        "\"MidiChannel\"=dword:00000005",
    "\"Language\"=dword:00000002",      "\"Speed\"=dword:00000190",
    "\"Background\"=\"none\"",          "\"OnTop\"=dword:00000001",
    "\"RemindMe\"=dword:00000000",
};
const QStringList everySettingLoaded = {"true",         "true", "false", "true", "2", "Loopback In",
                                        "Loopback Out", "48",   "3",     "5",    "2", "ZUVIVODADOZ.IDI",
                                        "400",          "none", "true",  "false"};

struct Spoiled {
    int row;            // which of everySetting is spoiled
    const char *stored; // what the file holds instead
    const char *saved;  // the line a save leaves in its place
};

struct Taken {
    int entry; // of Snapshot()
    const char *value;
};

struct BadFile {
    QList<Spoiled> spoiled;
    const char *message;
    QList<Taken> taken; // what the program runs with where it differs from everySettingLoaded
};

const BadFile badFiles[] = {
    {{{0, "\"WindowCompact\"=\"yes\"", "\"WindowCompact\"=dword:00000000"}},
     "Type de données incorrect pour 'WindowCompact'",
     {{0, "false"}}},
    {{{4, "\"ListenType\"=\"abc\"", "\"ListenType\"=dword:00000000"}},
     "Type de données incorrect pour 'ListenType'",
     {{4, "0"}}},
    {{{4, "\"ListenType\"=\"abcd\"", "\"ListenType\"=dword:00000000"}},
     "Echec à l'obtention des données pour 'ListenType'",
     {{4, "0"}}},
    // A device that cannot be read keeps what it held: nothing, at start.
    {{{6, "\"MidiIFOut\"=dword:00000001", "\"MidiIFOut\"=\"\""}},
     "Type de données incorrect pour 'MidiIFOut'",
     {{6, ""}}},
    {{{10, "\"Language\"=hex:01,00,00,00,00", "\"Language\"=dword:00000001"}},
     "Echec à l'obtention des données pour 'Language'",
     {{10, "1"}, {11, "ZADIVIZIRAZ.ARI"}}},
    // RemindMe is the reminder's to save, but a spoiled one would be
    // reported at every start: it is saved with its default.
    {{{14, "\"RemindMe\"=hex:01", "\"RemindMe\"=dword:00000001"}},
     "Type de données incorrect pour 'RemindMe'",
     {{15, "true"}}},
    {{{14, "\"RemindMe\"=\"yes\"", "\"RemindMe\"=dword:00000001"}},
     "Type de données incorrect pour 'RemindMe'",
     {{15, "true"}}},
    {{{0, "\"WindowCompact\"=\"yes\"", "\"WindowCompact\"=dword:00000000"},
      {11, "\"Speed\"=\"fast\"", "\"Speed\"=dword:00000096"}},
     "Type de données incorrect pour 'WindowCompact'\nEchec à l'obtention des données pour 'Speed'",
     {{0, "false"}, {12, "150"}}},
    {{{5, "\"MidiIFIn\"=dword:00000002", "\"MidiIFIn\"=\"\""},
      {12, "\"Background\"=dword:00000000", "\"Background\"=\"\""}},
     "Type de données incorrect pour 'MidiIFIn'\nType de données incorrect pour 'Background'",
     {{5, ""}, {13, ""}}},
    {{{7, "\"Son\"=hex(4):30,00,00,00,00", "\"Son\"=dword:00000000"},
      {8, "\"Detune\"=\"-3\"", "\"Detune\"=dword:00000000"}},
     "Echec à l'obtention des données pour 'Son'\nType de données incorrect pour 'Detune'",
     {{7, "0"}, {8, "0"}}},
};

void PrintTo(const BadFile &bad, std::ostream *os)
{
    for (const Spoiled &spoiled : bad.spoiled)
        *os << spoiled.stored << ' ';
}

class BadSetting : public Settings, public testing::WithParamInterface<BadFile> {};

} // namespace

TEST_P(BadSetting, TakesItsDefaultAndTheNextSaveKeepsEveryOtherValue)
{
    const BadFile &bad = GetParam();
    QList<QByteArray> stored = everySetting;
    QList<QByteArray> saved = everySetting;
    for (const Spoiled &spoiled : bad.spoiled) {
        stored[spoiled.row] = spoiled.stored;
        saved[spoiled.row] = spoiled.saved;
    }
    WriteRegistry(Header + stored.join('\n') + '\n');
    const QByteArray before = ReadRegistry();

    EXPECT_EQ(MessageOf(LoadSettings), QString::fromUtf8(bad.message));

    QStringList expected = everySettingLoaded;
    for (const Taken &taken : bad.taken)
        expected[taken.entry] = QString::fromUtf8(taken.value);
    EXPECT_EQ(Snapshot(), expected);
    EXPECT_EQ(ReadRegistry(), before) << "the load writes nothing over a value it could not read";

    SaveSettings();
    EXPECT_EQ(ReadRegistry(), Header + saved.join('\n') + "\n\n");
    EXPECT_EQ(MessageOf(LoadSettings), "(nothing thrown)") << "the next start has nothing to report";
}

INSTANTIATE_TEST_SUITE_P(Settings, BadSetting, testing::ValuesIn(badFiles));

// ---------------------------------------------------------------------------
// A registry that cannot be opened: every value counts as missing, so the
// program runs with the defaults, and the first write fails.

namespace {

enum class Broken {
    Unparseable,
    NoFolder, // the registry's folder cannot be created
    Fifo,     // reading it would wait for a writer for ever
};

struct BrokenRegistry {
    const char *what;
    Broken how;
};

class UnusableRegistry : public Settings, public testing::WithParamInterface<BrokenRegistry> {};

} // namespace

TEST_P(UnusableRegistry, RunsWithTheDefaultsAndFailsAtTheFirstWriteNamingWindowCompact)
{
    const QByteArray broken = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Harmonova]\n"
                              "\"Speed\"=dword:fast\n";
    WriteRegistry(broken);
    const QString brokenFile = platform::RegistryFileName();
    QString cause = QStringLiteral("ligne 4");
    QString named = brokenFile;
    if (GetParam().how == Broken::NoFolder) {
        named = brokenFile + "/folder/registry.reg"; // below a plain file
        cause = QFileInfo(named).absolutePath();
    } else if (GetParam().how == Broken::Fifo) {
        named = brokenFile + ".fifo";
        ASSERT_EQ(mkfifo(QFile::encodeName(named).constData(), 0600), 0);
        cause = QStringLiteral("« %1 » ne peut pas être ouvert : ce n'est pas un fichier ordinaire").arg(named);
    }
    qputenv("HARMONOVA_REGISTRY", QFile::encodeName(named));

    for (auto operation : {LoadSettings, SaveSettings}) {
        const QString message = MessageOf(operation);
        EXPECT_TRUE(message.startsWith("Echec à la définition des données pour 'WindowCompact'\n"))
            << message.toStdString();
        EXPECT_TRUE(message.contains(cause)) << message.toStdString();
        EXPECT_EQ(message.count("Echec"), 1) << message.toStdString();
        if (operation == LoadSettings) {
            EXPECT_EQ(Snapshot(), (QStringList{"false", "false", "true", "false", "0", "", "", "0", "0", "1", "1",
                                               "ZADIVIZIRAZ.ARI", "150", "", "false", "true"}));
        }
    }
    QFile file(brokenFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), broken);
    EXPECT_EQ(QFileInfo(named).isFile(), GetParam().how == Broken::Unparseable) << "nothing is put in its place";
}

INSTANTIATE_TEST_SUITE_P(Settings, UnusableRegistry,
                         testing::Values(BrokenRegistry{"Unparseable", Broken::Unparseable},
                                         BrokenRegistry{"NoFolder", Broken::NoFolder},
                                         BrokenRegistry{"Fifo", Broken::Fifo}),
                         [](const auto &info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------
// How the file is written.

TEST_F(Settings, EachOperationReplacesTheFileOnceWhatever)
{
    FileReplacements replacements(platform::RegistryFileName());
    ASSERT_TRUE(replacements.Watching());
    LoadSettings(); // first start: the key and six defaults
    EXPECT_EQ(replacements.Count(), 1);
    SaveSettings();
    EXPECT_EQ(replacements.Count(), 2);
    LoadSettings(); // nothing missing: nothing written
    EXPECT_EQ(replacements.Count(), 2);

    QFile::remove(platform::RegistryFileName());
    SaveSettings(); // the key is created with the values
    EXPECT_EQ(replacements.Count(), 3);
    EXPECT_TRUE(ReadRegistry().startsWith(Header + "\"WindowCompact\""));
}

TEST_F(Settings, CommentsTypedIntoTheFileStayWhereTheyStood)
{
    const QByteArray file = "Windows Registry Editor Version 5.00\n\n"
                            "; my settings, kept by hand\n"
                            "[HKEY_CURRENT_USER\\Software\\Harmonova]\n"
                            "\"Speed\"=dword:000000c8\n"
                            "; the synthesizer in the studio\n"
                            "\t;   (the small one)\n"
                            "\"MidiIFOut\"=\"Loopback Out\"\n"
                            "\"Language\"=dword:00000002\n"
                            "; that was all\n";
    WriteRegistry(file);
    LoadSettings();
    Speed = 300;
    SaveSettings();
    const QByteArray saved = ReadRegistry();
    EXPECT_TRUE(saved.startsWith("Windows Registry Editor Version 5.00\n\n"
                                 "; my settings, kept by hand\n"
                                 "[HKEY_CURRENT_USER\\Software\\Harmonova]\n"
                                 "\"Speed\"=dword:0000012c\n"
                                 "; the synthesizer in the studio\n"
                                 "\t;   (the small one)\n"
                                 "\"MidiIFOut\"=\"Loopback Out\"\n"
                                 "\"Language\"=dword:00000002\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.endsWith("\n; that was all\n")) << saved.toStdString();
}
