#include "skin/RadEzarArov.h"

#include "platform/ErrorHandler.h"
#include "platform/RegularFile.h"
#include "skin/QuickIni.h"
#include "skin/SkinManage.h"
#include "skin/SkinReader.h"

#include <QBuffer>
#include <QElapsedTimer>

#include <QImage>
#include <QWidget>
#include <QtEndian>

#include <optional>
#include <utility>

namespace skin {

namespace {

// Other libraries' control classes and the kind of skinner that serves each
// ("nil": not skinned). Three lines stand twice, as they always have.
const char *const Skin3rdTable[] = {
    "TComboboxex=combobox",
    "TRxSpeedButton=speedbutton",
    "TControlBar=Panel",
    "TTBDock=Panel",
    "TTBToolbar=Panel",
    "TAdvPageControl=nil",
    "TImageEnMView=scrollbar",
    "TImageEnView=scrollbar",
    "TAdvMemo=scrollbar",
    "TDBAdvMemo=scrollbar",
    "TRzButton=button",
    "TRzBitbtn=bitbtn",
    "TRzMenuButton=bitbtn",
    "TRzCheckGroup=CheckGroup",
    "TRzRadioGroup=Radiogroup",
    "TRzRadioButton=Radiobutton",
    "TRzCheckBox=Checkbox",
    "TRzButtonEdit=Edit",
    "TRzDBRadioGroup=Radiogroup",
    "TRzDBRadioButton=Radiobutton",
    "TRzDateTimeEdit=combobox",
    "TRzColorEdit=combobox",
    "TRzDateTimePicker=combobox",
    "TRzDBDateTimeEdit=combobox",
    "TRzDbColorEdit=combobox",
    "TRzDBDateTimePicker=combobox",
    "TLMDGroupBox=Groupbox",
    "TDBCheckboxEh=Checkbox",
    "TDBCheckboxEh=Checkbox",
    "TLMDCHECKBOX=Checkbox",
    "TLMDDBCHECKBOX=Checkbox",
    "TLMDRadiobutton=Radiobutton",
    "TLMDCalculator=panel",
    "TLMDGROUPBOX=Panel",
    "TLMDSIMPLEPANEL=Panel",
    "TLMDDBCalendar=Panel",
    "TLMDButtonPanel=Panel",
    "TLMDLMDCalculator=Panel",
    "TLMDHeaderPanel=Panel",
    "TLMDTechnicalLine=Panel",
    "TLMDLMDClock=Panel",
    "TLMDTrackbar=panel",
    "TLMDListCombobox=combobox",
    "TLMDCheckListCombobox=combobox",
    "TLMDHeaderListCombobox=combobox",
    "TLMDImageCombobox=combobox",
    "TLMDColorCombobox=combobox",
    "TLMDFontCombobox=combobox",
    "TLMDFontSizeCombobox=combobox",
    "TLMDFontSizeCombobox=combobox",
    "TLMDPrinterCombobox=combobox",
    "TLMDDriveCombobox=combobox",
    "TLMDCalculatorComboBox=combobox",
    "TLMDTrackBarComboBox=combobox",
    "TLMDCalendarComboBox=combobox",
    "TLMDTreeComboBox=combobox",
    "TLMDRADIOGROUP=radiogroup",
    "TLMDCheckGroup=CheckGroup",
    "TLMDDBRADIOGROUP=radiogroup",
    "TLMDDBCheckGroup=CheckGroup",
    "TLMDCalculatorEdit=edit",
    "TLMDEDIT=Edit",
    "TLMDMASKEDIT=Edit",
    "TLMDBROWSEEDIT=Edit",
    "TLMDEXTSPINEDIT=Edit",
    "TLMDCALENDAREDIT=Edit",
    "TLMDFILEOPENEDIT=Edit",
    "TLMDFILESAVEEDIT=Edit",
    "TLMDCOLOREDIT=Edit",
    "TLMDDBEDIT=Edit",
    "TLMDDBMASKEDIT=Edit",
    "TLMDDBEXTSPINEDIT=Edit",
    "TLMDDBSPINEDIT=Edit",
    "TLMDDBEDITDBLookup=Edit",
    "TLMDEDITDBLookup=Edit",
    "TDBLookupCombobox=Combobox",
    "TWWDBCombobox=Combobox",
    "TWWDBLookupCombo=Combobox",
    "TWWDBCombobox=Combobox",
    "TWWKeyCombo=Combobox",
    "TWWTempKeyCombo=combobox",
    "TWWDBDateTimePicker=Combobox",
    "TWWRADIOGROUP=radiogroup",
    "TWWDBEDIT=Edit",
    "TcxButton=bitbtn",
    "TcxDBCheckBox=checkbox",
    "TcxDBRadioGroup=radiogroup",
    "TcxRadioGroup=radiogroup",
    "TcxCheckBox=checkbox",
    "TOVCPICTUREFIELD=Edit",
    "TOVCDBPICTUREFIELD=Edit",
    "TOVCSLIDEREDIT=Edit",
    "TOVCDBSLIDEREDIT=Edit",
    "TOVCSIMPLEFIELD=Edit",
    "TOVCDBSIMPLEFIELD=Edit",
    "TO32DBFLEXEDIT=Edit",
    "TOVCNUMERICFIELD=Edit",
    "TOVCDBNUMERICFIELD=Edit",
};

// The package a stored stream holds: a count of 0 holds none; a count that
// does not fit the bytes leaves its fault.
std::optional<QByteArray> StoredPackage(const QByteArray &stream, QString &fault)
{
    if (stream.size() < 4) {
        fault = QStringLiteral("The stored skin is damaged: it is too short to hold its byte count.");
        return std::nullopt;
    }
    const qint32 count = qFromLittleEndian<qint32>(stream.constData());
    if (count == 0)
        return std::nullopt;
    if (count < 0 || count > stream.size() - 4) {
        fault = QStringLiteral("The stored skin is damaged: it claims %1 bytes, but %2 are stored.")
                    .arg(count)
                    .arg(stream.size() - 4);
        return std::nullopt;
    }
    return stream.mid(4, count);
}

// The read begun ahead, waiting for the component given its package. Set
// and taken on the thread that makes the windows; only the reading itself
// runs elsewhere.
struct TReadAhead {
    QByteArray Package;
    std::shared_ptr<platform::TMadeAhead<TSkinRead>> Read;
};
TReadAhead readAhead;

// The read begun ahead of this package, done (waiting for it if need be),
// or none.
std::shared_ptr<platform::TMadeAhead<TSkinRead>> TakeReadAhead(const QByteArray &package)
{
    if (!readAhead.Read || readAhead.Package != package)
        return nullptr;
    const TReadAhead taken = std::exchange(readAhead, {});
    QElapsedTimer clock;
    clock.start();
    TSkinRead &read = taken.Read->Take();
    read.Times.Ahead = true;
    read.Times.Waited = clock.nsecsElapsed();
    return taken.Read;
}

} // namespace

void ReadSkinPackage(const QByteArray &package, TSkinRead &read)
{
    read.Package = package;
    read.Times = {};
    QElapsedTimer clock;
    clock.start();
    TSkinReader reader;
    read.Loaded = reader.ReadPackage(package);
    read.Fault = reader.Fault();
    read.Times.Decode = clock.nsecsElapsed();
    if (!read.Loaded)
        return;
    clock.restart();
    QByteArray description;
    QString name;
    reader.ExtractFirstMatching(QStringLiteral(".ini"), description, name);
    QBuffer stream(&description);
    stream.open(QIODevice::ReadOnly);
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    read.Times.Parse = clock.nsecsElapsed();
    clock.restart();
    read.Skin.LoadSkinElements(ini, reader);
    read.Times.Elements = clock.nsecsElapsed();
}

std::shared_ptr<platform::TEarlyWork> ReadSkinStreamAhead(const QByteArray &stream)
{
    // A stream without a readable package is left to the component, which
    // says what is wrong with it.
    QString fault;
    const std::optional<QByteArray> package = StoredPackage(stream, fault);
    auto read = std::make_shared<platform::TMadeAhead<TSkinRead>>([package](TSkinRead &read) {
        if (package)
            ReadSkinPackage(*package, read);
    });
    readAhead = package ? TReadAhead{*package, read} : TReadAhead{};
    return read->Work();
}

TSkinData *CreateMainSkinData(QObject *owner, const QByteArray &skinStream, const QImage &menuGlyphStrip)
{
    QElapsedTimer clock;
    clock.start();
    auto *d = new TSkinData(owner);
    d->setObjectName(QStringLiteral("SkinData1"));
    d->SetMenuGlyphs(menuGlyphStrip);
    d->SetActive(false);
    d->DisableTag = 99;
    d->SkinFormtype = TSkinData::sfMainform;
    d->ReadSkinStream(skinStream);
    d->Loaded();
    d->LoadTimes.Component = clock.nsecsElapsed();
    return d;
}

QStringList DefaultSkin3rd()
{
    QStringList list;
    for (const char *line : Skin3rdTable)
        list << QString::fromLatin1(line);
    return list;
}

TSkinData::TSkinData(QObject *owner) : QObject(owner), FSkin3rd(DefaultSkin3rd()) {}

TSkinData::~TSkinData()
{
    if (SkinManager)
        SkinManager->UnregisterSkinData(this);
}

void TSkinData::ReadSkinStream(const QByteArray &stream)
{
    // A damaged definition is reported and changes nothing: the store and
    // the skin in force stay whole. A count of 0 is a definition that stores
    // no skin.
    QString fault;
    if (const std::optional<QByteArray> package = StoredPackage(stream, fault))
        LoadPackage(*package);
    else if (!fault.isEmpty())
        platform::Application::ShowException(fault);
}

void TSkinData::SetMenuGlyphs(const QImage &strip)
{
    MenuGlyphs.clear();
    const QImage pixels = strip.convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x + MenuGlyphSize <= pixels.width(); x += MenuGlyphSize) {
        QImage glyph = pixels.copy(x, 0, MenuGlyphSize, std::min(MenuGlyphSize, pixels.height()));
        for (int y = 0; y < glyph.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(glyph.scanLine(y));
            for (int i = 0; i < glyph.width(); ++i)
                if ((line[i] & RGB_MASK) == 0xFFFFFF)
                    line[i] = 0;
        }
        MenuGlyphs << glyph;
    }
}

QByteArray TSkinData::WriteSkinStream() const
{
    QByteArray stream(4, '\0');
    qToLittleEndian<qint32>(static_cast<qint32>(Store.size()), stream.data());
    return stream + Store;
}

bool TSkinData::LoadSkin()
{
    return LoadPackage(Store);
}

bool TSkinData::LoadPackage(const QByteArray &package)
{
    if (const auto ahead = TakeReadAhead(package))
        return TakeSkin(ahead->Take());
    TSkinRead read;
    ReadSkinPackage(package, read);
    return TakeSkin(read);
}

bool TSkinData::TakeSkin(TSkinRead &read)
{
    LoadTimes = read.Times;
    if (!read.Loaded) {
        // The skin in force stays, and with it every skinned window's frame.
        platform::Application::ShowException(read.Fault);
        return false;
    }
    Store = read.Package;
    Skin.TakeFrom(std::move(read.Skin));
    FSkinNotReady = false;
    return true;
}

void TSkinData::SetSkinFile(const QString &name)
{
    FSkinFile = name;
    if (name.isEmpty())
        return;
    const platform::TFileRead read = platform::ReadRegularFile(name);
    if (read.Result != platform::TFileRead::Read) {
        platform::Application::ShowException(QStringLiteral("The skin file \"%1\" cannot be read.").arg(name));
        return;
    }
    if (LoadPackage(read.Bytes) && SkinFormtype == sfMainform)
        Reload();
}

void TSkinData::Reload()
{
    if (FLoading)
        return;
    if (!SkinManager)
        Loaded();
    SkinManager->PendingSkinData = this;
    SkinManager->ReloadAll();
    SkinManager->ScheduleAction(saReload, TSkinManage::ActionDelayMs);
}

void TSkinData::Loaded()
{
    FLoading = false;
    TSkinManage *manager = EnsureSkinManager();
    manager->RegisterSkinData(this);
    if (SkinFormtype != sfMainform) {
        manager->SkinningOn = true;
        ++manager->Started;
        if (auto *form = qobject_cast<QWidget *>(parent()))
            manager->SkinWindow(form);
        return;
    }
    manager->InstallHook();
    if (FActive) {
        if (!SkinReady()) {
            FActive = false;
        } else {
            // The action names its component, or the timer would find none
            // and skinning would never come on.
            manager->PendingSkinData = this;
            manager->ScheduleAction(saActivate, TSkinManage::ActionDelayMs);
        }
    }
    if (!SkinControls.contains(xcMainMenu))
        SkinControls.remove(xcSystemMenu);
    else
        SkinControls.remove(xcMenuItem);
}

void TSkinData::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    if (FLoading || !SkinManager)
        return;
    TSkinManage *manager = SkinManager;
    switch (SkinFormtype) {
    case sfOnlyThisForm:
        manager->PendingSkinData = this;
        if (value && !SkinReady())
            return;
        manager->ScheduleAction(value ? saActivate : saDeactivate, TSkinManage::ActionDelayMs);
        return;
    case sfDialog:
        return;
    case sfMainform:
        if (value && !SkinReady())
            return;
        if (value)
            manager->Started = 1;
        manager->ScheduleAction(value ? saActivate : saDeactivate, TSkinManage::ActionDelayMs);
        manager->PendingSkinData = this;
        return;
    }
}

bool TSkinData::AcceptForm(const QString &className) const
{
    bool doSkin = true;
    if (OnFormSkin) {
        OnFormSkin(const_cast<TSkinData *>(this), className, doSkin);
        return doSkin;
    }
    if (className == QLatin1String("SysMonthCal32"))
        return false;
    if (SkinControls.contains(xcFastReport) && className.startsWith(QLatin1String("Tfr")))
        return false;
    return doSkin;
}

void TSkinData::DoSkinChanged()
{
    if (OnSkinChanged)
        OnSkinChanged(this);
}

} // namespace skin
