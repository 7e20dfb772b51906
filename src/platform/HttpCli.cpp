#include "platform/HttpCli.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <map>
#include <mutex>
#include <vector>

namespace platform {

namespace {

void InitCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TEasyDeleter {
    void operator()(CURL *easy) const { curl_easy_cleanup(easy); }
};
struct THeaderListDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using TEasy = std::unique_ptr<CURL, TEasyDeleter>;
using THeaderList = std::unique_ptr<curl_slist, THeaderListDeleter>;

// What the callbacks collect while the reply comes in.
struct TReply {
    QByteArray body;
    qsizetype limit = 0;
    bool cutOff = false;
    QString reasonPhrase;
};

size_t OnBody(char *data, size_t size, size_t count, void *userp)
{
    auto *reply = static_cast<TReply *>(userp);
    const qsizetype length = qsizetype(size * count);
    const qsizetype room = reply->limit - reply->body.size();
    if (length <= room) {
        reply->body.append(data, length);
        return size * count;
    }
    // Whatever a server sends beyond the limit is not wanted: keep what fits
    // and end the transfer here.
    reply->body.append(data, std::max<qsizetype>(room, 0));
    reply->cutOff = true;
    return 0;
}

size_t OnHeader(char *data, size_t size, size_t count, void *userp)
{
    auto *reply = static_cast<TReply *>(userp);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    // "HTTP/1.0 404 Not Found": the last status line is the reply's.
    if (line.startsWith("HTTP/")) {
        const qsizetype first = line.indexOf(' ');
        const qsizetype second = first < 0 ? -1 : line.indexOf(' ', first + 1);
        reply->reasonPhrase = second < 0 ? QString() : QString::fromLatin1(line.mid(second + 1));
    }
    return size * count;
}

// One request on libcurl's multi interface. Its sockets and its timer are
// watched by the thread's event loop, which runs until the request is done;
// so the transfer also moves on while a nested loop (a message box) runs.
class TTransfer {
public:
    TTransfer(CURL *easy) : FEasy(easy), FMulti(curl_multi_init())
    {
        curl_multi_setopt(FMulti, CURLMOPT_SOCKETFUNCTION, OnSocket);
        curl_multi_setopt(FMulti, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(FMulti, CURLMOPT_TIMERFUNCTION, OnTimer);
        curl_multi_setopt(FMulti, CURLMOPT_TIMERDATA, this);
        FTimer.setSingleShot(true);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Act(CURL_SOCKET_TIMEOUT, 0); });
    }

    ~TTransfer()
    {
        FTimer.stop();
        curl_multi_remove_handle(FMulti, FEasy);
        FWatches.clear();
        FRetired.clear();
        curl_multi_cleanup(FMulti);
    }

    TTransfer(const TTransfer &) = delete;
    TTransfer &operator=(const TTransfer &) = delete;

    // False when the event loop was told to end (the program is closing)
    // before the request was done.
    bool Run()
    {
        if (curl_multi_add_handle(FMulti, FEasy) != CURLM_OK)
            throw EHttpError(THttpFailure::Other, QStringLiteral("The request could not be started"));
        if (!FDone)
            FLoop.exec();
        return FDone;
    }

    CURLcode Result() const { return FResult; }

    // Ends the wait; Run() then returns false.
    void Cancel() { FLoop.quit(); }

private:
    struct TWatch {
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };

    static int OnSocket(CURL *, curl_socket_t socket, int what, void *userp, void *)
    {
        static_cast<TTransfer *>(userp)->Watch(socket, what);
        return 0;
    }

    static int OnTimer(CURLM *, long milliseconds, void *userp)
    {
        QTimer &timer = static_cast<TTransfer *>(userp)->FTimer;
        if (milliseconds < 0)
            timer.stop();
        else
            timer.start(int(std::min<long>(milliseconds, INT_MAX)));
        return 0;
    }

    void Watch(curl_socket_t socket, int what)
    {
        if (what == CURL_POLL_REMOVE) {
            if (const auto found = FWatches.find(socket); found != FWatches.end()) {
                Retire(found->second.read);
                Retire(found->second.write);
                FWatches.erase(found);
            }
            return;
        }
        TWatch &watch = FWatches[socket];
        Enable(watch.read, socket, QSocketNotifier::Read, what & CURL_POLL_IN, CURL_CSELECT_IN);
        Enable(watch.write, socket, QSocketNotifier::Write, what & CURL_POLL_OUT, CURL_CSELECT_OUT);
    }

    void Enable(std::unique_ptr<QSocketNotifier> &notifier, curl_socket_t socket, QSocketNotifier::Type type, bool on,
                int select)
    {
        if (!on) {
            if (notifier)
                notifier->setEnabled(false);
            return;
        }
        if (!notifier) {
            notifier = std::make_unique<QSocketNotifier>(socket, type);
            QObject::connect(notifier.get(), &QSocketNotifier::activated,
                             [this, socket, select] { Act(socket, select); });
        }
        notifier->setEnabled(true);
    }

    // libcurl drops a socket from inside the notifier's own signal, where
    // the notifier must not be deleted yet: it is switched off and kept
    // until the transfer ends.
    void Retire(std::unique_ptr<QSocketNotifier> &notifier)
    {
        if (!notifier)
            return;
        notifier->setEnabled(false);
        FRetired.push_back(std::move(notifier));
    }

    void Act(curl_socket_t socket, int select)
    {
        int running = 0;
        curl_multi_socket_action(FMulti, socket, select, &running);
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(FMulti, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == FEasy && !FDone) {
                FResult = message->data.result;
                FDone = true;
                FTimer.stop();
                FLoop.quit();
            }
        }
    }

    CURL *FEasy;
    CURLM *FMulti;
    QTimer FTimer;
    QEventLoop FLoop;
    std::map<curl_socket_t, TWatch> FWatches;
    std::vector<std::unique_ptr<QSocketNotifier>> FRetired;
    bool FDone = false;
    CURLcode FResult = CURLE_OK;
};

// "Host: " as a browser writes it: the port only when it is not 80.
QByteArray HostHeader(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port(80) != 80)
        host += ':' + QByteArray::number(url.port());
    return host;
}

THeaderList RequestHeaders(const QByteArray &accept, const QByteArray &agent, const QByteArray &host,
                           const QByteArray &credentials)
{
    // libcurl would put its own headers first, the Host header right after
    // the request line; these replace or remove them, so the request carries
    // exactly these, in this order. A first, empty "Host:" stops libcurl from
    // moving ours up front.
    QList<QByteArray> lines = {"Host:", "Accept: " + accept, "User-Agent: " + agent, "Host: " + host};
    if (!credentials.isEmpty())
        lines << "Authorization: Basic " + credentials.toBase64();
    lines << "Proxy-Connection:";
    curl_slist *list = nullptr;
    for (const QByteArray &line : lines)
        list = curl_slist_append(list, line.constData());
    return THeaderList(list);
}

int ValidProxyPort(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok, 10);
    if (!ok || port < 1 || port > 65535)
        throw EHttpError(THttpFailure::Other, QStringLiteral("\"%1\" is not a proxy port").arg(text));
    return port;
}

EHttpError Failure(CURLcode code, const char *detail, const QUrl &url, const QString &proxy)
{
    const QString why = QString::fromUtf8(*detail ? detail : curl_easy_strerror(code));
    const auto failure = [&](THttpFailure kind, const QString &message) {
        return EHttpError(kind, message, 0, QString(), why);
    };
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        return failure(THttpFailure::NoConnection,
                       QStringLiteral("No connection to %1: %2").arg(proxy.isEmpty() ? url.host() : proxy, why));
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return failure(THttpFailure::UnknownHost, QStringLiteral("Unknown host: %1").arg(why));
    case CURLE_OPERATION_TIMEDOUT:
        return failure(THttpFailure::TimedOut, QStringLiteral("No reply in time: %1").arg(why));
    // Only http is allowed, which the address was checked for: what is left
    // unsupported is the reply, such as one without a status line.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
        return failure(THttpFailure::NotHttp, QStringLiteral("Not an HTTP reply: %1").arg(why));
    default:
        return failure(THttpFailure::Other, why);
    }
}

} // namespace

THttpCli::THttpCli() = default;
THttpCli::~THttpCli() = default;

void THttpCli::Abort()
{
    if (FAbort)
        FAbort();
}

void THttpCli::Get()
{
    if (FBusy)
        throw EHttpError(THttpFailure::Busy, QStringLiteral("A request is already running"));
    const QUrl url(URL, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty())
        throw EHttpError(THttpFailure::Other, QStringLiteral("\"%1\" is not a web address").arg(URL));
    const int proxyPort = Proxy.isEmpty() ? 0 : ValidProxyPort(ProxyPort);

    InitCurl();
    const TEasy easy(curl_easy_init());
    if (!easy)
        throw EHttpError(THttpFailure::Other, QStringLiteral("The request could not be started"));
    const QByteArray address = url.toString(QUrl::FullyEncoded).toLatin1();
    const QByteArray proxy = Proxy.toLatin1();
    const QByteArray credentials =
        Username.isEmpty() && Password.isEmpty() ? QByteArray() : (Username + ':' + Password).toLatin1();
    const THeaderList headers = RequestHeaders(Accept.toLatin1(), Agent.toLatin1(), HostHeader(url), credentials);
    TReply reply;
    reply.limit = std::max<qsizetype>(MaxReply, 0);
    char error[CURL_ERROR_SIZE] = {};

    CURL *e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, address.constData());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    // Only the proxy given here is used: an empty text means none, whatever
    // the environment says.
    curl_easy_setopt(e, CURLOPT_PROXY, proxy.constData());
    curl_easy_setopt(e, CURLOPT_NOPROXY, "");
    if (proxyPort) {
        curl_easy_setopt(e, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        curl_easy_setopt(e, CURLOPT_PROXYPORT, long(proxyPort));
    }
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(std::max(ConnectTimeout, 1)));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, long(std::max(Timeout, 1)));
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &reply);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, error);

    FBusy = true;
    struct TNotBusy {
        bool &busy;
        ~TNotBusy() { busy = false; }
    } notBusy{FBusy};

    TTransfer transfer(e);
    FAbort = [&transfer] { transfer.Cancel(); };
    struct TNoAbort {
        std::function<void()> &abort;
        ~TNoAbort() { abort = nullptr; }
    } noAbort{FAbort};
    if (!transfer.Run())
        throw EHttpError(THttpFailure::Cancelled, QStringLiteral("The request was cancelled"));
    const CURLcode result = transfer.Result();
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && reply.cutOff))
        throw Failure(result, error, url, Proxy);

    long status = 0;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
    FStatusCode = int(status);
    FReasonPhrase = reply.reasonPhrase;
    FLastReceived = reply.body;
    if (status >= 400)
        throw EHttpError(THttpFailure::Status,
                         QStringLiteral("The server answered %1 %2").arg(status).arg(reply.reasonPhrase).trimmed(),
                         int(status), reply.reasonPhrase);
}

} // namespace platform
