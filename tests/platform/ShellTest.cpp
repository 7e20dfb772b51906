// Links go to the desktop's handler for their scheme, unless a test answers
// in the desktop's place.
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Stands for the program the desktop has registered for a scheme.
class TLinkHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Opened;
    Q_INVOKABLE void Open(const QUrl &link) { Opened << link; }
};

TEST(Shell, OpensALinkWithTheDesktopsHandlerOrTheTestsOpener)
{
    TLinkHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("harmonova-test"), &handler, "Open");
    const QUrl link(QStringLiteral("harmonova-test:page?subject=Harmonova..."));

    EXPECT_TRUE(platform::ShellOpen(link));
    EXPECT_EQ(handler.Opened, QList<QUrl>{link});

    QList<QUrl> answered;
    platform::SetShellOpener([&](const QUrl &asked) {
        answered << asked;
        return false;
    });
    EXPECT_FALSE(platform::ShellOpen(link));
    EXPECT_EQ(answered, QList<QUrl>{link});
    EXPECT_EQ(handler.Opened.size(), 1);

    platform::SetShellOpener({});
    EXPECT_TRUE(platform::ShellOpen(link));
    EXPECT_EQ(handler.Opened.size(), 2);
    QDesktopServices::unsetUrlHandler(QStringLiteral("harmonova-test"));
}

} // namespace

#include "ShellTest.moc"
