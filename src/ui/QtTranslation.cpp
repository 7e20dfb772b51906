#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace ui {

void TQtTranslation::Apply(int language)
{
    const bool french = language == 2;
    if (french == FInstalled)
        return;
    if (!french) {
        QCoreApplication::removeTranslator(&FFrench);
        FInstalled = false;
        return;
    }
    // The catalogue is read once and kept for later changes.
    if (FFrench.isEmpty() && !FFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    FInstalled = QCoreApplication::installTranslator(&FFrench);
}

} // namespace ui
