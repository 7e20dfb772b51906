#include "ui/PanelResources.h"

#include "platform/EarlyWork.h"
#include "ui/Staff.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

// The pictures live inside the ui library; a library's embedded files are
// lost silently unless registered, so load each one as the windows will.
TEST(PanelPictures, AreEmbeddedWithTheSizesTheWindowsPlaceThemAt)
{
    InitPanelResources();
    InitPanelResources(); // harmless twice
    struct Case {
        const char *path;
        QSize size;
    };
    const Case cases[] = {
        {PanelKeyboardPicture, {616, 105}}, {PanelPlayPicture, {128, 32}},        {PanelSwitchOnPicture, {30, 18}},
        {PanelSwitchOffPicture, {30, 18}},  {PanelDefaultBackground, {409, 257}}, {PanelIcon, {64, 64}},
        {PanelAboutPicture, {255, 261}},    {PanelMailPicture, {18, 9}},          {PanelHomepagePicture, {16, 17}},
        {PanelMenuPictures, {7 * 16, 16}},
    };
    for (const Case &c : cases) {
        const QImage image(QString::fromLatin1(c.path));
        EXPECT_EQ(image.size(), c.size) << c.path;
    }
}

TEST(PanelPictures, PlayStripHasWhiteCornersAndAFaceInEveryFrame)
{
    InitPanelResources();
    const QImage strip(QString::fromLatin1(PanelPlayPicture));
    ASSERT_EQ(strip.size(), QSize(128, 32));
    const QRgb white = qRgb(255, 255, 255);
    for (int frame = 0; frame < 4; ++frame) {
        const int left = frame * 32;
        SCOPED_TRACE(frame);
        for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            EXPECT_EQ(strip.pixel(left + corner.x(), corner.y()) & RGB_MASK, white & RGB_MASK);
        EXPECT_NE(strip.pixel(left + 16, 16) & RGB_MASK, white & RGB_MASK);
    }
}

// The picture as its reader gives it, with the reader's reason when it
// cannot.
std::pair<QImage, QString> ReadByItsReader(const QString &name)
{
    QImageReader reader(name);
    QImage picture = reader.read();
    return {picture, picture.isNull() ? reader.errorString() : QString()};
}

// Read ahead on a thread of their own, or taken before a thread got round to
// them, the pictures are the ones their reader gives, and stay for every
// later caller.
TEST(PanelPictures, ReadAheadAreTheOnesTheirReaderGives)
{
    InitPanelResources();
    QStringList names;
    for (const char *name : {PanelIcon, PanelKeyboardPicture, PanelAboutPicture, PanelDefaultBackground})
        names << QString::fromLatin1(name);
    names << StaffPictureNames();
    // An embedded file that is no picture: its reader's reason comes back.
    names << QStringLiteral(":/skin/SkinStream");
    std::map<QString, std::pair<QImage, QString>> expected;
    for (const QString &name : names)
        expected[name] = ReadByItsReader(name);

    std::vector<std::shared_ptr<platform::TEarlyWork>> works = ReadPicturesAhead(names);
    ASSERT_EQ(works.size(), size_t(names.size()));
    platform::TEarlyThreads threads;
    threads.Start({works.begin(), works.begin() + long(works.size() / 2)}, "begins", "ends");
    threads.Join();
    for (int round = 0; round < 2; ++round) {
        for (const QString &name : names) {
            QString error;
            const QImage picture = ReadPicture(name, &error);
            EXPECT_EQ(picture, expected[name].first) << qPrintable(name);
            EXPECT_EQ(error, expected[name].second) << qPrintable(name);
        }
    }
    EXPECT_TRUE(ReadPicturesAhead(names).empty()) << "each is read ahead once";
}

// A file on disk may change until it is asked for: it is read then, as a
// name that is no file is.
TEST(PanelPictures, OnlyEmbeddedFilesAreReadAhead)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("picture.png");
    QImage first(4, 3, QImage::Format_RGB32);
    first.fill(Qt::red);
    ASSERT_TRUE(first.save(file));
    EXPECT_TRUE(ReadPicturesAhead({file, QStringLiteral(":/panel/no-such-picture.png")}).empty());
    QImage changed(5, 2, QImage::Format_RGB32);
    changed.fill(Qt::blue);
    ASSERT_TRUE(changed.save(file));
    EXPECT_EQ(ReadPicture(file).size(), QSize(5, 2));
}

// Its reader loaded ahead, a JPEG picture reads as before.
TEST(PanelPictures, AReaderLoadedAheadReadsItsFormat)
{
    InitPanelResources();
    const QString name = QString::fromLatin1(PanelDefaultBackground);
    LoadPictureReaderAhead(name)->Take();
    EXPECT_EQ(ReadPicture(name), ReadByItsReader(name).first);
}

} // namespace
