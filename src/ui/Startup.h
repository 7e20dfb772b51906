#pragma once

namespace ui {
// Creates the program's windows in start-up order and runs the message loop.
int RunProgram(int argc, char **argv);
} // namespace ui
