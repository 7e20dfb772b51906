#pragma once

#include <functional>

class QWidget;

namespace ui {

// Creates the program's windows in start-up order and runs the message loop
// until the main window closes. onCreated, when given, sees the main window
// once it is built, before it is first shown.
int RunProgram(int argc, char **argv, std::function<void(QWidget *mainWindow)> onCreated = {});

} // namespace ui
