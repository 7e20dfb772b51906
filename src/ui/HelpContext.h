#pragma once

// Context help. Each window, and some of their parts, carry the number of a
// section of the help file; F1 opens the help file the language chooses at
// the section of the control that has the focus, or of the nearest control
// around it that has one. Context 0 is the top of the file.
class QWidget;

namespace ui {

// The top of the help file, what "Help" in the menu opens.
inline constexpr int HelpContents = 0;

// 0 leaves the choice to the control around it.
void SetHelpContext(QWidget *control, int context);
int HelpContext(const QWidget *control);

// The context F1 opens for control: its own, else that of the nearest
// control around it; a page control answers with its current page's.
int HelpContextAt(const QWidget *control);

// Opens the help file the settings name at context. A missing file is
// reported through the application's error handler; the result tells
// whether the help is shown.
bool ShowHelpContext(QWidget *parent, int context);

// Gives window its context and makes F1 anywhere in it open the help at the
// context of its focused control.
void InstallHelpKey(QWidget *window, int context);

} // namespace ui
