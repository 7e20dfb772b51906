#pragma once

// Opening a link (a web page, a new mail) with the program the desktop has
// registered for it.
#include <QUrl>

#include <functional>

namespace platform {

// Asks the desktop to open the link; false when it could not.
bool ShellOpen(const QUrl &link);

// Tests answer in the desktop's place; an empty opener brings the desktop back.
using TShellOpener = std::function<bool(const QUrl &link)>;
void SetShellOpener(TShellOpener opener);

} // namespace platform
