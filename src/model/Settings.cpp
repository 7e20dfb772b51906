#include "model/Settings.h"

#include "model/Declare.h"
#include "platform/Registry.h"

namespace model {

namespace {

const QString SettingsKey = QStringLiteral("Software\\Harmonova");

// Opens the settings key, creating it when missing. Whether that worked is
// not checked here: a key that could not be opened makes every value count as
// missing, and the first write then reports the failure.
void OpenSettings(platform::TRegistry &registry)
{
    registry.RootKey = platform::HKEY_CURRENT_USER;
    registry.OpenKey(SettingsKey, true);
}

void LoadBoolean(platform::TRegistry &registry, const QString &name, bool &variable, bool byDefault)
{
    if (registry.ValueExists(name)) {
        variable = registry.ReadBool(name);
    } else {
        variable = byDefault;
        registry.WriteBool(name, byDefault);
    }
}

void LoadInteger(platform::TRegistry &registry, const QString &name, int &variable, int byDefault)
{
    variable = registry.ValueExists(name) ? registry.ReadInteger(name) : byDefault;
}

void LoadString(platform::TRegistry &registry, const QString &name, QString &variable, const QString &byDefault)
{
    variable = registry.ValueExists(name) ? registry.ReadString(name) : byDefault;
}

// A device that is not stored keeps whatever the variable holds.
void LoadDevice(platform::TRegistry &registry, const QString &name, QString &variable)
{
    if (registry.ValueExists(name))
        variable = registry.ReadString(name);
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
    OpenSettings(registry);
    LoadBoolean(registry, "WindowCompact", WindowCompact, false);
    LoadBoolean(registry, "AlterationsEnDiese", AlterationsEnDiese, false);
    LoadBoolean(registry, "Notation", Notation, true);
    LoadBoolean(registry, "AutoListen", AutoListen, false);
    LoadInteger(registry, "ListenType", ListenType, 0);
    LoadDevice(registry, "MidiIFIn", MidiIFIn);
    LoadDevice(registry, "MidiIFOut", MidiIFOut);
    LoadInteger(registry, "Son", Son, 0);
    LoadInteger(registry, "Detune", Detune, 0);
    LoadInteger(registry, "MidiChannel", MidiChannel, 1);
    LoadInteger(registry, "Language", Language, 1);
    ChooseHelpFile();
    LoadInteger(registry, "Speed", Speed, 150);
    LoadString(registry, "Background", Background, QString());
    LoadBoolean(registry, "OnTop", OnTop, false);
    LoadBoolean(registry, "RemindMe", RemindMe, true);
}

void SaveSettings()
{
    platform::TRegistry registry;
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
    registry.CloseKey();
}

} // namespace model
