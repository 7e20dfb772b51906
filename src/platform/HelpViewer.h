#pragma once

// The help viewer: one small window, reused, that shows an HTML help file.
#include <QString>

class QTextBrowser;
class QWidget;

namespace platform {

// Opens the help file, found beside the executable or else in the current
// folder (an absolute name is taken as it is), and shows the given context:
// 0 is the top of the file, any other number the anchor "context-<number>"
// when the file has one. The window does not block the caller. A missing
// file, or no file name at all, is reported through the application's error
// handler; the result tells whether the help is shown.
bool ShowHelp(QWidget *parent, const QString &helpFile, int context = 0);

// Where ShowHelp would find the file; empty when it is nowhere.
QString FindHelpFile(const QString &helpFile);

// The viewer window, or nullptr while none was opened.
QTextBrowser *HelpWindow();

} // namespace platform
