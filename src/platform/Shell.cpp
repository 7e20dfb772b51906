#include "platform/Shell.h"

#include <QDesktopServices>

namespace platform {

namespace {
TShellOpener &Opener()
{
    static TShellOpener opener;
    return opener;
}
} // namespace

bool ShellOpen(const QUrl &link)
{
    if (Opener())
        return Opener()(link);
    return QDesktopServices::openUrl(link);
}

void SetShellOpener(TShellOpener opener)
{
    Opener() = std::move(opener);
}

} // namespace platform
