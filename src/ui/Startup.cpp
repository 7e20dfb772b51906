#include "ui/Startup.h"

#include "ui/Controls.h"

#include "midi/ThreadUnit.h"
#include "model/Declare.h"
#include "platform/EarlyWork.h"
#include "platform/ErrorHandler.h"
#include "platform/StartMarks.h"
#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/About.h"
#include "ui/ImgSwitch.h"
#include "ui/Main.h"
#include "ui/Midi_Setup.h"
#include "ui/PanelResources.h"
#include "ui/Pattern.h"
#include "ui/Staff.h"
#include "ui/analyse.h"

#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace ui {

namespace {

// Qt takes its window system from QT_QPA_PLATFORM, else from the desktop
// session's DISPLAY or WAYLAND_DISPLAY; with none of them it can only abort.
bool DesktopNamed()
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

void SayNoDesktop(const char *why)
{
    std::fprintf(stderr, "Harmonova needs a graphical desktop and found none: %s.\n", why);
    std::fflush(stderr);
}

QtMessageHandler QtHandler = nullptr;

// Qt's own lines pass on; its fatal one, which blames the installation and
// dumps core, becomes ours and a plain exit.
void ExitWithoutDesktop(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        QtHandler(type, context, text);
        return;
    }
    SayNoDesktop("the one that DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM names could not be opened");
    std::_Exit(1);
}

} // namespace

TProgramWindows::TProgramWindows()
{
    // Its creation reports its own failures and goes on: the window exists.
    FFormMain = std::make_unique<TFormMain>();
    platform::MarkStart("main window made");
    // The settings are read now: Qt's dialogs speak the program's language.
    FQtTranslation.Apply(model::Language);
    // Hidden until "About..." shows it; a failure to read the system proxy
    // is shown and start-up goes on.
    FAboutBox = std::make_unique<TAboutBox>(FFormMain.get());
    platform::MarkStart("about box");
    FPattern = std::make_unique<TFrmPattern>(FFormMain.get());
    platform::MarkStart("pattern editor");
    FMidiSetup = std::make_unique<TFrmMidiSetup>(FFormMain.get());
    platform::MarkStart("set-up dialog");
    FMidiSetup->OnPatternLanguage = [pattern = FPattern.get()] { pattern->ApplyLanguage(); };
    FMidiSetup->OnQtLanguage = [this] { FQtTranslation.Apply(model::Language); };
    // The first chord was drawn before the set-up dialog built the note
    // names to write under it.
    FFormMain->DrawStaff();
    QObject::connect(FFormMain.get(), &TFormMain::Closed, [this] { End(); });
}

TProgramWindows::~TProgramWindows()
{
    End();
}

void TProgramWindows::End()
{
    // The metronome starts no playback once the program is ending.
    FPattern->BtnPlay->setStateOn(false);
    // No playback is left waiting for an event loop that has ended, and one
    // waiting between two notes returns at once without another note: the
    // program ends however long Speed is.
    StopMidiThreads();
    // An external synthesizer must not be left holding the last chord, nor
    // what an analysis window played.
    platform::RunGuarded([this] { SwitchOffSoundingNotes(FMidiSetup->Midi_IF_Output); });
    platform::RunGuarded([] { SwitchOffAnalyserNotes(); });
    platform::RunGuarded([this] {
        FMidiSetup->CloseInput();
        FMidiSetup->CloseOutput();
    });
}

namespace {

QStringList Names(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list;
}

// What the windows made at start draw with, in the order they ask for it:
// our pictures, the JPEG reader for the background picture and the face of
// the panel under the keyboard.
std::vector<std::shared_ptr<platform::TEarlyWork>> StartPictures(qreal pixelRatio)
{
    InitPanelResources();
    std::vector<std::shared_ptr<platform::TEarlyWork>> works =
        ReadPicturesAhead(Names({PanelIcon, PanelMenuPictures, PanelSwitchOnPicture, PanelSwitchOffPicture,
                                 PanelKeyboardPicture, PanelPlayPicture}) +
                          StaffPictureNames());
    works.push_back(LoadPictureReaderAhead(QString::fromLatin1(PanelDefaultBackground)));
    for (const auto &work :
         ReadPicturesAhead(Names({PanelAboutPicture, PanelMailPicture, PanelHomepagePicture}) + PatternPictureNames()))
        works.push_back(work);
    works.push_back(TPanel::PaintFaceAhead(TFormMain::DesignedPanelSize(), pixelRatio));
    return works;
}

} // namespace

int RunProgram(int argc, char **argv, std::function<void(QWidget *mainWindow)> onCreated)
{
    if (!DesktopNamed()) {
        SayNoDesktop("neither DISPLAY nor WAYLAND_DISPLAY is set");
        return 1;
    }
    // What the windows need that touches no window begins at once, each on a
    // thread of its own: the system's font configuration and our skin; the
    // pictures once the application is there to find their readers. The
    // windows take each piece where they need it, done. Qt takes the first
    // thread that uses its objects for its main thread: this one, before any
    // other begins.
    QThread::currentThread();
    platform::TEarlyThreads early;
    auto fonts = std::make_shared<platform::TEarlyWork>(platform::LoadFontConfiguration);
    early.Start({fonts}, "fonts: thread begins", "fonts: configuration read");
    early.Start({skin::ReadSkinStreamAhead(skin::EmbeddedSkinStream())}, "skin: thread begins", "skin: read");

    // A desktop named but out of reach (a closed SSH session's display, say)
    // is only found out while the application connects to it.
    QtHandler = qInstallMessageHandler(ExitWithoutDesktop);
    platform::Application app(argc, argv);
    qInstallMessageHandler(QtHandler);
    platform::MarkStart("application object");
    // The threads end before the application goes.
    struct TJoin {
        platform::TEarlyThreads &threads;
        ~TJoin() { threads.Join(); }
    } join{early};
    early.Start(StartPictures(app.devicePixelRatio()), "pictures: thread begins", "pictures: read, panel face drawn");
    app.setApplicationName("Harmonova");
    app.setStyle(new TPanelStyle);
    // The program ends with its main window, whatever other window is open.
    app.setQuitOnLastWindowClosed(false);
    InitPanelResources();
    // The skin manager goes in the final clean-up: after the windows, while
    // the application still exists.
    struct TSkinCleanup {
        ~TSkinCleanup() { skin::FreeSkinManager(); }
    } skinCleanup;

    // From here on the windows measure their texts.
    fonts->Take();
    platform::MarkStart("font configuration taken");
    TProgramWindows windows;
    TFormMain &main = windows.FormMain();
    QObject::connect(&main, &TFormMain::Closed, &app, &QCoreApplication::quit);

    if (onCreated)
        onCreated(&main);
    main.show();
    platform::MarkStart("main window shown");
    return app.exec();
}

} // namespace ui
