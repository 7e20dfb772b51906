#include "ui/PanelResources.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QtCore/qglobal.h>

#include <mutex>

// At file scope, not in a namespace: the registration macro declares the
// generated function where it is used, and the generated one is global.
static void RegisterPanelResources()
{
    Q_INIT_RESOURCE(panel);
}

void InitPanelResources()
{
    static std::once_flag once;
    std::call_once(once, RegisterPanelResources);
}

QImage ReadPicture(const QString &fileName, QString *error)
{
    QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (format == "jpg")
        format = "jpeg";
    if (!format.isEmpty()) {
        QImageReader byName(fileName, format);
        byName.setAutoDetectImageFormat(false);
        const QImage picture = byName.read();
        if (!picture.isNull())
            return picture;
    }
    // The extension may lie: what the file holds decides.
    QImageReader byContent(fileName);
    byContent.setDecideFormatFromContent(true);
    const QImage picture = byContent.read();
    if (picture.isNull() && error)
        *error = byContent.errorString();
    return picture;
}

QIcon ProgramIcon()
{
    InitPanelResources();
    static const QIcon icon(QPixmap::fromImage(ReadPicture(QString::fromLatin1(PanelIcon))));
    return icon;
}
