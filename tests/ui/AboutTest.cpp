// The about box: its texts by language, the version check against a server
// of the test's own on 127.0.0.1 (directly and through a proxy), what the
// check says when the site cannot be reached, a window that keeps painting
// while it waits, the two links, and its place in the program: created at
// start, shown modally by "About...".
#include "MainWindowFixture.h"

#include "TestHttpServer.h"

#include "platform/HttpCli.h"
#include "platform/MidiApi.h"
#include "platform/Shell.h"
#include "ui/About.h"
#include "ui/Controls.h"
#include "ui/Midi_Setup.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>

namespace {

const QString UpToDate = QStringLiteral("Harmonova: You are up-to-date.");
const QString Path = QStringLiteral("/harmonova/version/version.txt");

QString NewVersion(const QString &available)
{
    return "Harmonova: New version available in web site\nYour version: 3.1 (01/04/2006)\nAvailable version: " +
           available;
}

QString NouvelleVersion(const QString &available)
{
    return "Harmonova: Nouvelle version disponible sur le site web\nVotre version: 3.1 (01/04/2006)\nNouvelle "
           "version: " +
           available;
}

// Counts the paint events a widget gets.
class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

// Every test points the site at its own server on 127.0.0.1 before anything
// can send a request, and takes the system proxy from its own registry only.
class AboutTest : public MainWindowTest {
protected:
    TTestHttpServer site;
    std::unique_ptr<TAboutBox> box;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(site.Listening());
        SetWebSite(site.Address() + "/harmonova");
        for (const char *name : {"http_proxy", "HTTP_PROXY"}) {
            saved_.append({name, qgetenv(name)});
            qunsetenv(name);
        }
        model::ProxyEnabled = false;
        model::ProxyHost.clear();
        model::ProxyPort = 0;
        model::Language = 1;
    }

    void TearDown() override
    {
        box.reset();
        platform::SetShellOpener({});
        for (const auto &[name, value] : saved_)
            if (!value.isNull())
                qputenv(name, value);
        MainWindowTest::TearDown();
    }

    static void StoreProxy(const char *enable, const char *server)
    {
        platform::TRegistry registry;
        registry.OpenKey(platform::InternetSettingsKey, true);
        if (enable)
            registry.WriteInteger("ProxyEnable", QByteArray(enable).toInt());
        if (server)
            registry.WriteString("ProxyServer", QString::fromLatin1(server));
    }

    void Create() { box = std::make_unique<TAboutBox>(); }

    // The user presses "Version..." and the check runs to its message.
    void Check()
    {
        messages.clear();
        QTest::mouseClick(box->BtnVersion, Qt::LeftButton);
    }

    // The request as the site should get it directly, or a proxy with the whole address.
    std::string ExpectedHead(bool viaProxy) const
    {
        const QString target = viaProxy ? site.Address() + Path : Path;
        return QStringList({"GET " + target + " HTTP/1.0",
                            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*",
                            "User-Agent: Mozilla/3.0 (compatible)", "Host: " + site.HostAndPort(),
                            "Authorization: Basic " + QByteArray("harmonova:quilbent").toBase64()})
            .join('\n')
            .toStdString();
    }

    static std::string Head(const QStringList &lines) { return lines.join('\n').toStdString(); }

private:
    QList<std::pair<const char *, QByteArray>> saved_;
};

TEST_F(AboutTest, TheVersionFileDecidesTheMessageInTheLanguageOfTheMessages)
{
    const struct {
        int language;
        QByteArray file;
        QString message;
    } cases[] = {
        {1, "3.1 (01/04/2006)", UpToDate},
        {1, "3.1 (01/04/2006)\r\n", UpToDate},
        {1, "3.1 (01/04/2006) is the latest\nsecond line", UpToDate},
        {1, "3.2 (15/09/2007)\r\n", NewVersion("3.2 (15/09/2007)")},
        {1, "3.0 (01/01/2005)", NewVersion("3.0 (01/01/2005)")},
        {1, " 3.1 (01/04/2006)", NewVersion(" 3.1 (01/04/2006)")},
        {1, "3.1 (01/04/2006", NewVersion("")},
        {1, "", NewVersion("")},
        {2, "3.1 (01/04/2006)\r\n", "Harmonova: Vous êtes à jour."},
        {2, "3.2 (15/09/2007)", NouvelleVersion("3.2 (15/09/2007)")},
        {2, "", NouvelleVersion("")},
        {0, "3.1 (01/04/2006)", "Harmonova: Vous êtes à jour."},
        {3, "4.0 (01/01/2010)", NouvelleVersion("4.0 (01/01/2010)")},
    };
    Create();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " / Language " + std::to_string(c.language));
        model::Language = c.language;
        site.Answer = TTestHttpServer::Reply(200, "OK", c.file);
        site.Requests.clear();
        Check();
        EXPECT_EQ(messages, QStringList{c.message});
        ASSERT_EQ(site.Requests.size(), 1);
        EXPECT_EQ(Head(site.Requests[0]), ExpectedHead(false));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(errors.isEmpty());
}

// The message without its last line when that is the network library's
// detail, which differs from run to run ("after 0 ms").
QStringList WithoutDetail(QStringList messages)
{
    for (QString &message : messages)
        if (const qsizetype detail = message.lastIndexOf(QRegularExpression("\n(Detail: |Détail : )")); detail >= 0)
            message.truncate(detail);
    return messages;
}

TEST_F(AboutTest, ASiteThatCannotBeReachedIsSaidSoAndNothingStaleIsCompared)
{
    const quint16 closed = TTestHttpServer::ClosedPort();
    const struct {
        const char *name;
        int language;
        QString site; // empty: the test's server
        TTestHttpServer::TAnswer answer;
        QString message; // without the detail
        bool detail;     // the library's words follow
    } cases[] = {
        {"refused",
         1,
         QStringLiteral("http://127.0.0.1:%1").arg(closed),
         {},
         "Harmonova: Unable to reach the web site\nNo connection to the server.",
         true},
        {"refusé",
         2,
         QStringLiteral("http://127.0.0.1:%1").arg(closed),
         {},
         "Harmonova: Impossible de joindre le site web\nPas de connexion au serveur.",
         true},
        // Error pages and redirections that happen to hold the version.
        {"404", 1, "", TTestHttpServer::Reply(404, "Not Found", "3.1 (01/04/2006)"),
         "Harmonova: Unable to reach the web site\nThe server answered: 404 Not Found", false},
        {"404 fr", 3, "", TTestHttpServer::Reply(404, "Not Found", "3.1 (01/04/2006)"),
         "Harmonova: Impossible de joindre le site web\nLe serveur a répondu : 404 Not Found", false},
        {"302", 1, "", TTestHttpServer::Reply(302, "Found", "3.1 (01/04/2006)"),
         "Harmonova: Unable to reach the web site\nThe server answered: 302 Found", false},
        {"301 without a body", 2, "", TTestHttpServer::Reply(301, "Moved Permanently", ""),
         "Harmonova: Impossible de joindre le site web\nLe serveur a répondu : 301 Moved Permanently", false},
        {"204", 1, "", TTestHttpServer::Reply(204, "No Content", ""),
         "Harmonova: Unable to reach the web site\nThe server answered: 204 No Content", false},
        {"not http", 1, "", TTestHttpServer::Raw("3.1 (01/04/2006)\r\n"),
         "Harmonova: Unable to reach the web site\nThe server did not answer as a web server does.", true},
        {"pas http", 2, "", TTestHttpServer::Raw("3.1 (01/04/2006)\r\n"),
         "Harmonova: Impossible de joindre le site web\nLe serveur n'a pas répondu comme un serveur web.", true},
    };
    Create();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // A check that succeeds first leaves a reply behind that must not count.
        model::Language = 1;
        SetWebSite(site.Address() + "/harmonova");
        site.Answer = TTestHttpServer::Reply(200, "OK", "3.1 (01/04/2006)");
        Check();
        ASSERT_EQ(messages, QStringList{UpToDate});

        model::Language = c.language;
        if (!c.site.isEmpty())
            SetWebSite(c.site + "/harmonova");
        if (c.answer)
            site.Answer = c.answer;
        QElapsedTimer clock;
        clock.start();
        Check();
        EXPECT_EQ(WithoutDetail(messages), QStringList{c.message});
        EXPECT_EQ(WithoutDetail(messages) != messages, c.detail) << messages.join('\n').toStdString();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        // It fails at once: far within the 10 s a connection may take.
        EXPECT_LT(clock.elapsed(), 5000);
    }
}

// Every way of failing has words of ours in both languages; the network
// library's English words come last, as a detail.
TEST_F(AboutTest, EachFailureIsSaidInTheLanguageOfTheMessagesWithTheLibrarysWordsAsADetail)
{
    using platform::EHttpError;
    using platform::THttpFailure;
    const struct {
        EHttpError error;
        const char *english;
        const char *french;
    } cases[] = {
        {EHttpError(THttpFailure::NoConnection, "No connection to 127.0.0.1: raw", 0, {},
                    "Failed to connect to 127.0.0.1 port 9: Couldn't connect to server"),
         "No connection to the server.\nDetail: Failed to connect to 127.0.0.1 port 9: Couldn't connect to server",
         "Pas de connexion au serveur.\nDétail : Failed to connect to 127.0.0.1 port 9: Couldn't connect to server"},
        {EHttpError(THttpFailure::UnknownHost, "Unknown host: raw", 0, {}, "Could not resolve host: www.example.org"),
         "The server's name is unknown.\nDetail: Could not resolve host: www.example.org",
         "Le nom du serveur est inconnu.\nDétail : Could not resolve host: www.example.org"},
        {EHttpError(THttpFailure::TimedOut, "No reply in time: raw", 0, {}, "Operation timed out"),
         "The server did not answer in time.\nDetail: Operation timed out",
         "Le serveur n'a pas répondu à temps.\nDétail : Operation timed out"},
        {EHttpError(THttpFailure::NotHttp, "Not an HTTP reply: raw", 0, {}, "Received HTTP/0.9 when not allowed"),
         "The server did not answer as a web server does.\nDetail: Received HTTP/0.9 when not allowed",
         "Le serveur n'a pas répondu comme un serveur web.\nDétail : Received HTTP/0.9 when not allowed"},
        {EHttpError(THttpFailure::Status, "The server answered 500", 500, "Internal Server Error"),
         "The server answered: 500 Internal Server Error", "Le serveur a répondu : 500 Internal Server Error"},
        {EHttpError(THttpFailure::Busy, "A request is already running"), "A check is already running.",
         "Une vérification est déjà en cours."},
        {EHttpError(THttpFailure::Other, "Failure when receiving data from the peer", 0, {},
                    "Failure when receiving data from the peer"),
         "The connection to the server failed.\nDetail: Failure when receiving data from the peer",
         "La connexion au serveur a échoué.\nDétail : Failure when receiving data from the peer"},
        {EHttpError(THttpFailure::Other, "\"80a\" is not a proxy port"),
         "The connection to the server failed.\nDetail: \"80a\" is not a proxy port",
         "La connexion au serveur a échoué.\nDétail : \"80a\" is not a proxy port"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.english);
        model::Language = 1;
        EXPECT_EQ(VersionCheckFailure(c.error).replace('\r', '\n'),
                  "Unable to reach the web site\n" + QString::fromUtf8(c.english));
        model::Language = 2;
        EXPECT_EQ(VersionCheckFailure(c.error).replace('\r', '\n'),
                  "Impossible de joindre le site web\n" + QString::fromUtf8(c.french));
    }
}

TEST_F(AboutTest, WhileTheSiteIsSilentTheBoxPaintsShowsTheHourglassAndASecondClickIsBusy)
{
    site.Answer = TTestHttpServer::Silence();
    Create();
    box->Http->Timeout = 2000;
    box->show();
    TPaintCounter counter;
    box->ProgramIcon->installEventFilter(&counter);

    int ticks = 0;
    int paintsBefore = -1;
    bool hourglass = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        box->ProgramIcon->update();
        if (ticks == 5) {
            paintsBefore = counter.Paints;
            const QCursor *cursor = QApplication::overrideCursor();
            hourglass = cursor && cursor->shape() == Qt::WaitCursor;
            QTest::mouseClick(box->BtnVersion, Qt::LeftButton); // the impatient second click
        }
    });
    timer.start();
    Check();
    timer.stop();

    EXPECT_TRUE(hourglass);
    EXPECT_GT(counter.Paints, paintsBefore + 5) << "the box stopped painting while it waited";
    EXPECT_EQ(WithoutDetail(messages),
              QStringList({"Harmonova: Unable to reach the web site\nA check is already running.",
                           "Harmonova: Unable to reach the web site\nThe server did not answer in time."}));
    EXPECT_EQ(site.Requests.size(), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(AboutTest, TheProxyOfTheStartIsUsedOnlyWhenSwitchedOnWithAHost)
{
    TTestHttpServer proxy;
    const QByteArray server = "http=" + proxy.HostAndPort().toLatin1() + ";ftp=127.0.0.1:21";
    const struct {
        const char *name;
        const char *enable;
        const char *server;
        bool viaProxy;
    } cases[] = {
        {"on", "1", server.constData(), true},
        {"on without a server", "1", nullptr, false},
        {"off", "0", server.constData(), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StoreProxy(c.enable, c.server);
        if (!c.server) {
            platform::TRegistry registry;
            registry.OpenKey(platform::InternetSettingsKey, true);
            registry.DeleteValue("ProxyServer");
        }
        model::ProxyHost.clear();
        model::ProxyPort = 0;
        Create();
        site.Requests.clear();
        proxy.Requests.clear();
        Check();

        EXPECT_EQ(messages, QStringList{UpToDate});
        const TTestHttpServer &reached = c.viaProxy ? proxy : site;
        EXPECT_EQ((c.viaProxy ? site : proxy).Requests.size(), 0);
        ASSERT_EQ(reached.Requests.size(), 1);
        EXPECT_EQ(Head(reached.Requests[0]), ExpectedHead(c.viaProxy));
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AboutTest, ShowsTheTextsOfItsLanguageOrElseTheDesignedOnes)
{
    const struct {
        int language;
        const char *caption;
        const char *homepage;
        const char *sendMail;
        const char *version;
    } cases[] = {
        {1, "About...", "Link to Homepage", "Don't hesitate to send me a mail...", "Is your version up-to-date ?"},
        {2, "Au sujet de...", "Lien vers le site Harmonova...", "N'hésitez pas à m'écrire...",
         "Votre version est-elle à jour ?"},
        {0, "About", "Home page", "Don't hesitate to send me a mail...", "Is your version up-to-date ?"},
        {3, "About", "Home page", "Don't hesitate to send me a mail...", "Is your version up-to-date ?"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        model::Language = c.language;
        Create();
        EXPECT_EQ(box->objectName(), "AboutBox");
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(HintOf(box->Homepage), QString::fromUtf8(c.homepage));
        EXPECT_EQ(HintOf(box->SendMail), QString::fromUtf8(c.sendMail));
        EXPECT_EQ(HintOf(box->BtnVersion), QString::fromUtf8(c.version));
        EXPECT_EQ(box->BtnVersion->text(), "Version...");
        EXPECT_EQ(box->OKButton->text(), "OK");
        EXPECT_TRUE(box->OKButton->isDefault());
        EXPECT_EQ(box->size(), QSize(284, 328));
        for (QWidget *control : {static_cast<QWidget *>(box->SendMail), static_cast<QWidget *>(box->Homepage),
                                 static_cast<QWidget *>(box->BtnVersion)})
            EXPECT_EQ(control->cursor().shape(), Qt::PointingHandCursor) << control->objectName().toStdString();
    }
    // The picture and the links show pictures of their own size.
    EXPECT_EQ(box->ProgramIcon->size(), QSize(255, 261));
    EXPECT_FALSE(box->ProgramIcon->Bitmap().isNull());
    EXPECT_EQ(box->SendMail->Picture().size(), QSize(18, 9));
    EXPECT_EQ(box->Homepage->Picture().size(), QSize(16, 17));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AboutTest, TheLinksAskTheDesktopAndARefusalIsSaid)
{
    Create();
    box->show();
    const struct {
        TImage *link;
        QString address;
        QString refusal;
    } cases[] = {
        {box->SendMail, "mailto:harmonova@example.org?subject=Harmonova...",
         "Harmonova: Unable to launch any mail program"},
        {box->Homepage, site.Address() + "/harmonova", "Harmonova: Unable to launch any internet browser"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link->objectName().toStdString());
        for (const bool accepts : {true, false}) {
            QStringList asked;
            bool hourglass = false;
            platform::SetShellOpener([&](const QUrl &link) {
                asked << link.toString();
                hourglass = QApplication::overrideCursor() != nullptr;
                return accepts;
            });
            messages.clear();
            // A right click is no click on a link.
            QTest::mouseClick(c.link, Qt::RightButton);
            EXPECT_TRUE(asked.isEmpty());
            QTest::mouseClick(c.link, Qt::LeftButton);
            EXPECT_EQ(asked, QStringList{c.address});
            EXPECT_TRUE(hourglass);
            EXPECT_EQ(messages, accepts ? QStringList() : QStringList{c.refusal});
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        }
    }
    EXPECT_TRUE(site.Requests.isEmpty());
}

// The whole program: the box exists from the start, hidden, and "About..."
// shows it modally until the user closes it.
class AboutInProgram : public AboutTest {
protected:
    std::unique_ptr<ui::TProgramWindows> program;

    // Each way the user closes the box.
    struct TClosing {
        const char *name;
        std::function<void(TAboutBox *)> close;
    };
    static const std::vector<TClosing> &Closings()
    {
        static const std::vector<TClosing> closings = {
            {"OK", [](TAboutBox *b) { QTest::mouseClick(b->OKButton, Qt::LeftButton); }},
            {"Return", [](TAboutBox *b) { QTest::keyClick(b, Qt::Key_Return); }},
            {"Escape", [](TAboutBox *b) { QTest::keyClick(b, Qt::Key_Escape); }},
            {"close button", [](TAboutBox *b) { b->close(); }},
        };
        return closings;
    }

    void SetUp() override
    {
        AboutTest::SetUp();
        platform::MidiDriverResetForTest();
        StoreText("MidiIFIn", "Loopback In");
        StoreText("MidiIFOut", "Loopback Out");
    }

    void TearDown() override
    {
        program.reset();
        platform::MidiDriverResetForTest();
        AboutTest::TearDown();
    }
};

TEST_F(AboutInProgram, IsCreatedHiddenAtStartAndABadProxyPortIsShownWhileStartUpGoesOn)
{
    const struct {
        const char *server;
        QStringList errors;
        const char *caption;
    } cases[] = {
        {"http=127.0.0.1:3128", {}, "About..."},
        {"http=127.0.0.1:31x8", {"'31x8' n'est pas une valeur entière correcte"}, "About"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.server);
        StoreProxy("1", c.server);
        errors.clear();
        program = std::make_unique<ui::TProgramWindows>();
        ASSERT_EQ(AboutBox, &program->AboutBox());
        EXPECT_FALSE(AboutBox->isVisible());
        EXPECT_EQ(AboutBox->parentWidget(), &program->FormMain());
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(AboutBox->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(model::ProxyHost, "127.0.0.1");
        EXPECT_NE(FrmMidiSetup, nullptr); // start-up went on
        program.reset();
        EXPECT_EQ(AboutBox, nullptr);
    }
}

TEST_F(AboutInProgram, AboutShowsTheBoxModallyUntilTheUserClosesIt)
{
    program = std::make_unique<ui::TProgramWindows>();
    program->FormMain().show();
    for (const TClosing &c : Closings()) {
        SCOPED_TRACE(c.name);
        bool shownModally = false;
        QTimer::singleShot(0, [&] {
            shownModally = QApplication::activeModalWidget() == AboutBox && AboutBox->isVisible();
            c.close(AboutBox);
        });
        program->FormMain().mnuAbout->trigger();
        EXPECT_TRUE(shownModally);
        EXPECT_FALSE(AboutBox->isVisible());
    }
    EXPECT_TRUE(site.Requests.isEmpty()); // closing never checks the version
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AboutInProgram, ClosingTheBoxWhileItChecksCancelsTheCheckAndAboutOpensItAgainAtOnce)
{
    site.Answer = TTestHttpServer::Silence();
    program = std::make_unique<ui::TProgramWindows>();
    program->FormMain().show();
    AboutBox->Http->Timeout = 5000;
    for (const TClosing &c : Closings()) {
        SCOPED_TRACE(c.name);
        site.Requests.clear();
        messages.clear();
        // Once the site has the request, the user closes the box.
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (site.Requests.isEmpty())
                return;
            closer.stop();
            c.close(AboutBox);
        });
        QTimer::singleShot(0, [&] {
            closer.start();
            QTest::mouseClick(AboutBox->BtnVersion, Qt::LeftButton);
        });
        program->FormMain().mnuAbout->trigger();
        EXPECT_FALSE(AboutBox->isVisible());
        EXPECT_FALSE(AboutBox->Http->Busy()) << "the check ran on in the hidden box";
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(site.Requests.size(), 1);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);

        // "About..." again shows the box at once.
        bool shownModally = false;
        QTimer::singleShot(0, [&] {
            shownModally = QApplication::activeModalWidget() == AboutBox && AboutBox->isVisible();
            AboutBox->accept();
        });
        program->FormMain().mnuAbout->trigger();
        EXPECT_TRUE(shownModally);
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(AboutInProgram, TheCheckRunsFromTheBoxTheMenuShows)
{
    program = std::make_unique<ui::TProgramWindows>();
    program->FormMain().show();
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(AboutBox->BtnVersion, Qt::LeftButton);
        QTest::mouseClick(AboutBox->OKButton, Qt::LeftButton);
    });
    program->FormMain().mnuAbout->trigger();
    EXPECT_EQ(messages, QStringList{UpToDate});
    EXPECT_EQ(site.Requests.size(), 1);
    EXPECT_FALSE(AboutBox->isVisible());
}

} // namespace
