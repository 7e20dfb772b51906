#include "ui/Startup.h"

#include "model/NoteNames.h"
#include "platform/ErrorHandler.h"
#include "ui/Main.h"
#include "ui/PanelResources.h"

namespace ui {

int RunProgram(int argc, char **argv, std::function<void(QWidget *mainWindow)> onCreated)
{
    platform::Application app(argc, argv);
    app.setApplicationName("Harmonova");
    // The program ends with its main window, whatever other window is open.
    app.setQuitOnLastWindowClosed(false);
    InitPanelResources();

    // Its creation reports its own failures and goes on: the window exists.
    TFormMain main;
    QObject::connect(&main, &TFormMain::Closed, &app, &QCoreApplication::quit);
    // The note names every window reads; built from the settings just loaded.
    model::FillNoteNames();
    // The first chord was drawn before there were note names to write under it.
    main.DrawStaff();

    if (onCreated)
        onCreated(&main);
    main.show();
    return app.exec();
}

} // namespace ui
