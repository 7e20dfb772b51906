#include "ui/PanelResources.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QtCore/qglobal.h>

#include <map>
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

namespace {

// The format the file's name says.
QByteArray FormatOf(const QString &fileName)
{
    const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
    return format == "jpg" ? QByteArray("jpeg") : format;
}

QImage ReadPictureNow(const QString &fileName, QString *error)
{
    const QByteArray format = FormatOf(fileName);
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

struct TPicture {
    QImage Picture;
    QString Error;
};
using TPictureAhead = platform::TMadeAhead<TPicture>;

std::mutex aheadGuard;
std::map<QString, std::shared_ptr<TPictureAhead>> &PicturesAhead()
{
    static std::map<QString, std::shared_ptr<TPictureAhead>> pictures;
    return pictures;
}

std::shared_ptr<TPictureAhead> PictureAhead(const QString &fileName)
{
    const std::lock_guard lock(aheadGuard);
    const auto found = PicturesAhead().find(fileName);
    return found == PicturesAhead().end() ? nullptr : found->second;
}

} // namespace

QImage ReadPicture(const QString &fileName, QString *error)
{
    const std::shared_ptr<TPictureAhead> ahead = PictureAhead(fileName);
    if (!ahead)
        return ReadPictureNow(fileName, error);
    const TPicture &read = ahead->Take();
    if (error && read.Picture.isNull())
        *error = read.Error;
    return read.Picture;
}

std::vector<std::shared_ptr<platform::TEarlyWork>> ReadPicturesAhead(const QStringList &fileNames)
{
    std::vector<std::shared_ptr<platform::TEarlyWork>> works;
    const std::lock_guard lock(aheadGuard);
    for (const QString &fileName : fileNames) {
        if (!fileName.startsWith(u':') || PicturesAhead().count(fileName) || !QFileInfo(fileName).isFile())
            continue;
        const auto ahead = std::make_shared<TPictureAhead>(
            [fileName](TPicture &read) { read.Picture = ReadPictureNow(fileName, &read.Error); });
        PicturesAhead().emplace(fileName, ahead);
        works.push_back(ahead->Work());
    }
    return works;
}

std::shared_ptr<platform::TEarlyWork> LoadPictureReaderAhead(const QString &fileName)
{
    return std::make_shared<platform::TEarlyWork>([fileName] {
        QImageReader reader(fileName, FormatOf(fileName));
        reader.setAutoDetectImageFormat(false);
        reader.size();
    });
}

QIcon ProgramIcon()
{
    InitPanelResources();
    static const QIcon icon(QPixmap::fromImage(ReadPicture(QString::fromLatin1(PanelIcon))));
    return icon;
}
