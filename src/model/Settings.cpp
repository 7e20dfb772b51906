#include "model/Settings.h"

#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"

#include <QStringList>

#include <algorithm>

namespace model {

namespace {

const QString SettingsKey = QStringLiteral("Software\\Harmonova");
constexpr bool RemindMeByDefault = true;

// Opens the settings key, creating it when missing. Whether that worked is
// not checked here: a key that could not be opened makes every value count as
// missing, and the write then reports the failure.
void OpenSettings(platform::TRegistry &registry)
{
    registry.RootKey = platform::HKEY_CURRENT_USER;
    registry.OpenKey(SettingsKey, true);
}

// Reads each value into its variable. A value that cannot be read gives the
// variable its fallback and its message is kept, so the load goes on.
class SettingsReader {
public:
    explicit SettingsReader(platform::TRegistry &registry) : registry_(registry) {}

    void Boolean(const QString &name, bool &variable, bool byDefault)
    {
        if (!registry_.ValueExists(name)) {
            variable = byDefault;
            registry_.WriteBool(name, byDefault);
            return;
        }
        Take(variable, byDefault, [&] { return registry_.ReadBool(name); });
    }

    void Integer(const QString &name, int &variable, int byDefault)
    {
        variable = byDefault;
        if (registry_.ValueExists(name))
            Take(variable, byDefault, [&] { return registry_.ReadInteger(name); });
    }

    void String(const QString &name, QString &variable, const QString &byDefault)
    {
        variable = byDefault;
        if (registry_.ValueExists(name))
            Take(variable, byDefault, [&] { return registry_.ReadString(name); });
    }

    // A device that is not stored, or cannot be read, keeps what it held.
    void Device(const QString &name, QString &variable)
    {
        if (registry_.ValueExists(name))
            Take(variable, QString(variable), [&] { return registry_.ReadString(name); });
    }

    void Failed(const platform::Exception &e) { failures_ += e.Message(); }
    const QStringList &Failures() const { return failures_; }

private:
    template <typename T, typename Read> void Take(T &variable, const T &fallback, Read read)
    {
        try {
            variable = read();
        } catch (const platform::Exception &e) {
            variable = fallback;
            Failed(e);
        }
    }

    platform::TRegistry &registry_;
    QStringList failures_;
};

// Each number as its control shows it, which is what accepting the set-up
// dialog untouched stores: outside the control's range, its nearest end. Any
// language but English is French, as the set-up dialog and the chord and
// scale names already take it; a playback mode the switches do not know is
// none, as playback already takes it. No data byte sent to a device can then
// be mistaken for a status byte.
void KeepToTheControls()
{
    if (ListenType < -1 || ListenType > 2)
        ListenType = -1;
    Son = std::clamp(Son, 0, Programs - 1);
    Detune = std::clamp(Detune, -DetuneRange, DetuneRange);
    MidiChannel = std::clamp(MidiChannel, 0, Channels - 1);
    Language = Language == 1 ? 1 : 2;
    Speed = std::clamp(Speed, FirstSpeed, LastSpeed);
}

// A stored value that exists but cannot be read as a Boolean.
bool Unreadable(const platform::TRegistry &registry, const QString &name)
{
    if (!registry.ValueExists(name))
        return false;
    try {
        registry.ReadBool(name);
        return false;
    } catch (const platform::Exception &) {
        return true;
    }
}

void ChooseHelpFile()
{
    if (Language == 1)
        HelpFile = QStringLiteral("ZADIVIZIRAZ.ARI");
    else if (Language == 2)
        HelpFile = QStringLiteral("ZUVIVODADOZ.IDI");
}

} // namespace

void LoadSettings()
{
    platform::TRegistry registry;
    // The key's creation and the defaults written back reach the file together.
    registry.BeginUpdate();
    OpenSettings(registry);
    SettingsReader read(registry);
    read.Boolean("WindowCompact", WindowCompact, false);
    read.Boolean("AlterationsEnDiese", AlterationsEnDiese, false);
    read.Boolean("Notation", Notation, true);
    read.Boolean("AutoListen", AutoListen, false);
    read.Integer("ListenType", ListenType, 0);
    read.Device("MidiIFIn", MidiIFIn);
    read.Device("MidiIFOut", MidiIFOut);
    read.Integer("Son", Son, 0);
    read.Integer("Detune", Detune, 0);
    read.Integer("MidiChannel", MidiChannel, 1);
    read.Integer("Language", Language, 1);
    read.Integer("Speed", Speed, 150);
    read.String("Background", Background, QString());
    read.Boolean("OnTop", OnTop, false);
    read.Boolean("RemindMe", RemindMe, RemindMeByDefault);
    KeepToTheControls();
    ChooseHelpFile();
    try {
        registry.EndUpdate();
    } catch (const platform::Exception &e) {
        read.Failed(e);
    }
    if (!read.Failures().isEmpty())
        throw platform::Exception(read.Failures().join('\n'));
}

void SaveSettings()
{
    platform::TRegistry registry;
    registry.BeginUpdate();
    OpenSettings(registry);
    registry.WriteBool("WindowCompact", WindowCompact);
    registry.WriteBool("AlterationsEnDiese", AlterationsEnDiese);
    registry.WriteBool("AutoListen", AutoListen);
    registry.WriteInteger("ListenType", ListenType);
    registry.WriteInteger("Son", Son);
    registry.WriteInteger("Detune", Detune);
    registry.WriteString("MidiIfIn", MidiIFIn); // the same value as "MidiIFIn": names ignore case
    registry.WriteString("MidiIFOut", MidiIFOut);
    registry.WriteInteger("MidiChannel", MidiChannel);
    registry.WriteInteger("Language", Language);
    registry.WriteInteger("Speed", Speed);
    registry.WriteBool("Notation", Notation);
    registry.WriteString("Background", Background);
    registry.WriteBool("OnTop", OnTop);
    // Left as it is, it would be reported at every start.
    if (Unreadable(registry, "RemindMe"))
        registry.WriteBool("RemindMe", RemindMeByDefault);
    registry.EndUpdate();
    registry.CloseKey();
}

} // namespace model
