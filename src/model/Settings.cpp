#include "model/Settings.h"

#include "model/Declare.h"
#include "platform/Exception.h"
#include "platform/Registry.h"

#include <QStringList>

namespace model {

namespace {

const QString SettingsKey = QStringLiteral("Software\\Harmonova");

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
    ChooseHelpFile();
    read.Integer("Speed", Speed, 150);
    read.String("Background", Background, QString());
    read.Boolean("OnTop", OnTop, false);
    read.Boolean("RemindMe", RemindMe, true);
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
    registry.EndUpdate();
    registry.CloseKey();
}

} // namespace model
