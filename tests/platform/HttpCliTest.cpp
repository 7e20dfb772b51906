// The HTTP client against servers of the test's own on 127.0.0.1: the exact
// request it sends, directly and through a proxy, how each failure is told
// apart, the limits that keep it from hanging or filling memory, and that
// the thread's events keep flowing while it waits.
#include "platform/HttpCli.h"

#include "TestHttpServer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <string>

using platform::EHttpError;
using platform::THttpCli;
using platform::THttpFailure;

namespace {

// A request's head as one text, one line each, so a failure shows it readably.
std::string Head(const QStringList &lines)
{
    return lines.join('\n').toStdString();
}

const QString Path = QStringLiteral("/harmonova/version/version.txt");
const QString Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
const QString Agent = QStringLiteral("Mozilla/3.0 (compatible)");

class HttpCli : public testing::Test {
protected:
    TTestHttpServer site;
    THttpCli http;

    void SetUp() override
    {
        ASSERT_TRUE(site.Listening());
        http.URL = site.Address() + Path;
        http.Username = QStringLiteral("harmonova");
        http.Password = QStringLiteral("quilbent");
        http.Agent = Agent;
        http.Accept = Accept;
    }

    // The failure Get() reports, or none.
    std::optional<EHttpError> Failure()
    {
        try {
            http.Get();
        } catch (const EHttpError &e) {
            return e;
        }
        return std::nullopt;
    }

    QStringList ExpectedHeaders(const QString &host) const
    {
        return {"Accept: " + Accept, "User-Agent: " + Agent, "Host: " + host,
                "Authorization: Basic " + QByteArray("harmonova:quilbent").toBase64()};
    }
};

TEST_F(HttpCli, SendsAnHttp10GetWithExactlyTheseHeadersInOrderAndKeepsTheBody)
{
    site.Answer = TTestHttpServer::Reply(200, "OK", "3.1 (01/04/2006)\r\n");
    ASSERT_NO_THROW(http.Get());

    ASSERT_EQ(site.Requests.size(), 1);
    EXPECT_EQ(Head(site.Requests[0]),
              Head(QStringList{"GET " + Path + " HTTP/1.0"} + ExpectedHeaders(site.HostAndPort())));
    EXPECT_EQ(http.LastReceived(), "3.1 (01/04/2006)\r\n");
    EXPECT_EQ(http.StatusCode(), 200);
    EXPECT_FALSE(http.Busy());
}

TEST_F(HttpCli, ThroughAProxyTheRequestLineCarriesTheWholeAddress)
{
    TTestHttpServer proxy;
    proxy.Answer = TTestHttpServer::Reply(200, "OK", "from the proxy");
    http.Proxy = QStringLiteral("127.0.0.1");
    http.ProxyPort = QString::number(proxy.Port());
    ASSERT_NO_THROW(http.Get());

    EXPECT_TRUE(site.Requests.isEmpty());
    ASSERT_EQ(proxy.Requests.size(), 1);
    EXPECT_EQ(Head(proxy.Requests[0]),
              Head(QStringList{"GET " + site.Address() + Path + " HTTP/1.0"} + ExpectedHeaders(site.HostAndPort())));
    EXPECT_EQ(http.LastReceived(), "from the proxy");
}

TEST_F(HttpCli, AnEmptyProxyTextGoesDirectWhateverTheEnvironmentNames)
{
    const QByteArray saved = qgetenv("http_proxy");
    qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1/").arg(TTestHttpServer::ClosedPort()).toLatin1());
    http.ProxyPort = QStringLiteral("not even a number");
    const std::optional<EHttpError> failure = Failure();
    if (saved.isNull())
        qunsetenv("http_proxy");
    else
        qputenv("http_proxy", saved);

    EXPECT_FALSE(failure) << failure->Message().toStdString();
    EXPECT_EQ(site.Requests.size(), 1);
}

// After a good reply, each failure says what went wrong; only a reply that
// arrived replaces the text received last.
TEST_F(HttpCli, EachFailureIsToldApartAndOnlyAReplyReplacesTheTextReceivedLast)
{
    const struct {
        const char *name;
        std::function<void(TTestHttpServer &site, THttpCli &http)> arrange;
        THttpFailure failure;
        int status;
        QByteArray lastReceived;
    } cases[] = {
        {"refused",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             http.URL = QStringLiteral("http://127.0.0.1:%1/v.txt").arg(TTestHttpServer::ClosedPort());
         },
         THttpFailure::NoConnection, 200, "earlier"},
        {"refused proxy",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             http.Proxy = QStringLiteral("127.0.0.1");
             http.ProxyPort = QString::number(TTestHttpServer::ClosedPort());
         },
         THttpFailure::NoConnection, 200, "earlier"},
        {"404",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             site.Answer = TTestHttpServer::Reply(404, "Not Found", "no such file");
         },
         THttpFailure::Status, 404, "no such file"},
        {"silence",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             site.Answer = TTestHttpServer::Silence();
             http.Timeout = 500;
         },
         THttpFailure::TimedOut, 200, "earlier"},
        {"no reply but its body",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             site.Answer = TTestHttpServer::Raw("3.1 (01/04/2006)\r\n");
         },
         THttpFailure::NotHttp, 200, "earlier"},
        {"an empty reply",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             site.Answer = TTestHttpServer::Raw("");
         },
         THttpFailure::NotHttp, 200, "earlier"},
        {"not an http address",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             http.URL = QStringLiteral("file:///etc/hostname");
         },
         THttpFailure::Other, 200, "earlier"},
        {"bad proxy port",
         []([[maybe_unused]] TTestHttpServer &site, [[maybe_unused]] THttpCli &http) {
             http.Proxy = QStringLiteral("127.0.0.1");
             http.ProxyPort = QStringLiteral("80a");
         },
         THttpFailure::Other, 200, "earlier"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        http.Proxy.clear();
        http.Timeout = 30000;
        site.Answer = TTestHttpServer::Reply(200, "OK", "earlier");
        ASSERT_NO_THROW(http.Get());

        c.arrange(site, http);
        const std::optional<EHttpError> failure = Failure();
        ASSERT_NE(failure, std::nullopt);
        EXPECT_EQ(failure->Failure(), c.failure) << failure->Message().toStdString();
        EXPECT_FALSE(failure->Message().isEmpty());
        // What the network library said is kept apart, when it said something.
        const bool fromLibrary = c.failure != THttpFailure::Status && c.failure != THttpFailure::Other;
        EXPECT_EQ(failure->Detail().isEmpty(), !fromLibrary) << failure->Detail().toStdString();
        EXPECT_TRUE(failure->Message().contains(failure->Detail()));
        EXPECT_EQ(http.StatusCode(), c.status);
        EXPECT_EQ(http.LastReceived(), c.lastReceived);
        EXPECT_FALSE(http.Busy());
        if (c.failure == THttpFailure::Status) {
            EXPECT_EQ(failure->StatusCode(), 404);
            EXPECT_EQ(failure->ReasonPhrase(), "Not Found");
            EXPECT_TRUE(failure->Message().contains("404 Not Found"));
        }
    }
}

TEST_F(HttpCli, WhileItWaitsEventsFlowAndASecondRequestFailsAtOnceAsBusy)
{
    site.Answer = TTestHttpServer::Silence();
    http.Timeout = 1500;
    int ticks = 0;
    std::optional<EHttpError> nested;
    qint64 nestedTook = -1;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks != 3)
            return;
        QElapsedTimer clock;
        clock.start();
        nested = Failure();
        nestedTook = clock.elapsed();
    });
    timer.start();
    const std::optional<EHttpError> outer = Failure();

    ASSERT_NE(nested, std::nullopt);
    EXPECT_EQ(nested->Failure(), THttpFailure::Busy);
    EXPECT_LT(nestedTook, 1000); // it does not wait for the running request
    ASSERT_NE(outer, std::nullopt);
    EXPECT_EQ(outer->Failure(), THttpFailure::TimedOut);
    EXPECT_GT(ticks, 10);
    EXPECT_EQ(site.Requests.size(), 1);
}

TEST_F(HttpCli, AbortEndsARunningRequestAtOnceAndTheNextOneRunsAsUsual)
{
    http.Abort(); // no request: nothing happens
    site.Answer = TTestHttpServer::Silence();
    http.Timeout = 60000;
    QTimer aborter;
    aborter.setInterval(10);
    QObject::connect(&aborter, &QTimer::timeout, [&] {
        if (!site.Requests.isEmpty())
            http.Abort();
    });
    aborter.start();
    const std::optional<EHttpError> failure = Failure();
    aborter.stop();
    ASSERT_NE(failure, std::nullopt);
    EXPECT_EQ(failure->Failure(), THttpFailure::Cancelled);
    EXPECT_FALSE(http.Busy());

    site.Answer = TTestHttpServer::Reply(200, "OK", "3.1 (01/04/2006)");
    ASSERT_NO_THROW(http.Get());
    EXPECT_EQ(http.LastReceived(), "3.1 (01/04/2006)");
    EXPECT_EQ(site.Requests.size(), 2);
}

TEST_F(HttpCli, AReplyThatNeverEndsIsCutOffAt64KBAndCountsAsReceived)
{
    site.Answer = TTestHttpServer::Endless("3.1 (01/04/2006)", 1024 * 1024);
    ASSERT_NO_THROW(http.Get());
    EXPECT_EQ(http.LastReceived().size(), 64 * 1024);
    EXPECT_TRUE(http.LastReceived().startsWith("3.1 (01/04/2006)xxx"));
    EXPECT_EQ(http.StatusCode(), 200);
}

} // namespace
