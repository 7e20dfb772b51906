#include "ui/Startup.h"

#include "platform/ErrorHandler.h"
#include "ui/Main.h"

namespace ui {

int RunProgram(int argc, char **argv)
{
    platform::Application app(argc, argv);
    app.setApplicationName("Harmonova");
    TFormMain main;
    main.show();
    return app.exec();
}

} // namespace ui
