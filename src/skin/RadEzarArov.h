#pragma once

// The skin component: what a form carries to be skinned. It keeps a skin
// package, loads it into the skin's elements, says which kinds of control
// are skinned, and switches skinning on and off through the skin manager.
#include "platform/EarlyWork.h"
#include "skin/Skin.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace skin {

enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcSystemMenu,
    xcFastReport
};

// A set of control kinds, bit n for member n.
class TSkinControls {
public:
    constexpr TSkinControls() = default;
    constexpr explicit TSkinControls(uint32_t bits) : FBits(bits) {}
    constexpr TSkinControls(std::initializer_list<TSkinControlType> members)
    {
        for (TSkinControlType m : members)
            FBits |= Bit(m);
    }
    constexpr bool contains(TSkinControlType m) const { return FBits & Bit(m); }
    constexpr void insert(TSkinControlType m) { FBits |= Bit(m); }
    constexpr void remove(TSkinControlType m) { FBits &= ~Bit(m); }
    constexpr uint32_t bits() const { return FBits; }
    constexpr bool operator==(const TSkinControls &) const = default;

private:
    static constexpr uint32_t Bit(TSkinControlType m) { return uint32_t(1) << m; }
    uint32_t FBits = 0;
};

// Every kind but the menu items and the report previews.
constexpr TSkinControls DefaultSkinControls = TSkinControls(
    (uint32_t(1) << (xcFastReport + 1)) - 1 - (uint32_t(1) << xcMenuItem) - (uint32_t(1) << xcFastReport));

// What the last load of a skin cost, in nanoseconds: decoding the package,
// parsing its description, building the elements; for the main window's
// component, also the whole of making it, these three included unless they
// were done ahead on another thread (Ahead), when the component spent Waited
// of its time waiting for them to end.
struct TSkinLoadTimes {
    int64_t Decode = 0;
    int64_t Parse = 0;
    int64_t Elements = 0;
    int64_t Component = 0;
    bool Ahead = false;
    int64_t Waited = 0;
};

// A skin package read apart from any component: decoded, its description
// parsed and its elements built. Reading shows nothing and touches no
// window, so it may run on any thread; a component then takes the skin as
// its own, or reports the fault.
struct TSkinRead {
    QByteArray Package;
    bool Loaded = false;
    QString Fault; // what is wrong with a package that could not be read
    TSkin Skin;
    TSkinLoadTimes Times;
};
void ReadSkinPackage(const QByteArray &package, TSkinRead &read);

// Begins reading a stored skin stream ahead. The component later given a
// stream with the same package takes what was read, waiting for the rest,
// instead of reading it again. Returns the work, for the caller to start on
// a thread of its own.
std::shared_ptr<platform::TEarlyWork> ReadSkinStreamAhead(const QByteArray &stream);

class TSkinData : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(int DisableTag MEMBER DisableTag)
    Q_PROPERTY(uint SkinControls READ SkinControlBits WRITE SetSkinControlBits)
    Q_PROPERTY(QStringList Skin3rd READ Skin3rd WRITE SetSkin3rd)
    Q_PROPERTY(QString SkinFile READ SkinFile WRITE SetSkinFile)
    Q_PROPERTY(QString SkinStore READ SkinStore WRITE SetSkinStore)
    Q_PROPERTY(TSkinFormType SkinFormtype MEMBER SkinFormtype)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(bool MenuUpdate MEMBER MenuUpdate)
    Q_PROPERTY(bool MenuMerge MEMBER MenuMerge)
public:
    enum TSkinFormType {
        sfMainform,     // skins the whole program
        sfOnlyThisForm, // skins only the form that carries it
        sfDialog        // skins dialog boxes and message boxes
    };
    Q_ENUM(TSkinFormType)

    // (Sender, the window's class name, DoSkin)
    using TOnFormSkin = std::function<void(TSkinData *Sender, const QString &aName, bool &DoSkin)>;
    using TNotifyEvent = std::function<void(TSkinData *Sender)>;
    // (Sender, SkinData, Form, Control, ControlClass, SkinnedControl)
    using TOnSkinControl = std::function<void(TSkinData *Sender, TSkinData *SkinData, QWidget *Form, QWidget *Control,
                                              const QString &ControlClass, QObject *&SkinnedControl)>;
    using TOnWindowCreate = std::function<void(TSkinData *Sender, QWidget *Window, const QString &ClassName)>;

    // Made as a form's definition is read: its properties take their stored
    // values without acting until Loaded.
    explicit TSkinData(QObject *owner = nullptr);
    ~TSkinData() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    uint SkinControlBits() const { return SkinControls.bits(); }
    void SetSkinControlBits(uint bits) { SkinControls = TSkinControls(bits); }
    QStringList Skin3rd() const { return FSkin3rd; }
    void SetSkin3rd(const QStringList &list) { FSkin3rd = list; }
    QString SkinFile() const { return FSkinFile; }
    // Loads the named skin file and applies it to the skinned windows. A
    // file that cannot be read or holds no skin is reported, and the skin in
    // force stays.
    void SetSkinFile(const QString &name);
    // "(none)": the program never runs in a form designer.
    QString SkinStore() const { return QStringLiteral("(none)"); }
    void SetSkinStore(const QString &) {}
    QString Version() const { return QStringLiteral("2.74.12.06"); }
    void SetVersion(const QString &) {}

    // The "SkinStream" form property: a 32-bit little-endian byte count, then
    // the package. Reading it fills the store and loads the skin; a count
    // that does not fit the bytes is reported and changes nothing.
    void ReadSkinStream(const QByteArray &stream);
    QByteArray WriteSkinStream() const;

    // Loads the skin from the package store; false when the package could
    // not be read, which is reported and keeps the skin in force.
    bool LoadSkin();
    void Reload();
    // After the form's definition has been read.
    void Loaded();
    bool Loading() const { return FLoading; }
    bool AcceptForm(const QString &className) const;
    void DoSkinChanged();
    bool SkinReady() const { return !FSkinNotReady; }

    int DisableTag = 99;
    TSkinControls SkinControls = DefaultSkinControls;
    TSkinFormType SkinFormtype = sfMainform;
    bool MenuUpdate = true;
    bool MenuMerge = false;
    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;
    TOnWindowCreate OnWindowCreate; // called by the manager for each new top-level window

    TSkin Skin;          // the loaded skin; complete while SkinReady()
    QByteArray Store;    // the whole skin package
    QImage IconImage;    // a caption icon for windows that have none; filled by the window skinners
    uint8_t NCPaint = 1; // the window skinners paint no frame while it is 0
    // The 16 x 16 menu glyphs (restore, maximise, minimise, close), white
    // made transparent.
    QList<QImage> MenuGlyphs;
    static constexpr int MenuGlyphSize = 16;
    // Cuts the glyphs from a strip of them side by side.
    void SetMenuGlyphs(const QImage &strip);
    TSkinLoadTimes LoadTimes;

private:
    // Decodes the package (or takes it read ahead) and, when that succeeds,
    // makes it the store and its skin the one in force.
    bool LoadPackage(const QByteArray &package);
    bool TakeSkin(TSkinRead &read);

    bool FActive = false;
    bool FLoading = true;
    bool FSkinNotReady = true;
    QString FSkinFile;
    QStringList FSkin3rd;
};

// The class-to-kind table Skin3rd starts with.
QStringList DefaultSkin3rd();

// The main window's skin component "SkinData1" as the window's definition
// holds it: switched off, DisableTag 99, skinning the whole program, with
// the menu glyphs cut from their strip and the skin read from its stored
// stream; then Loaded runs.
TSkinData *CreateMainSkinData(QObject *owner, const QByteArray &skinStream, const QImage &menuGlyphStrip);

} // namespace skin
