#pragma once

// A small HTTP client for one-line files from a web site: a GET over
// HTTP/1.0 with Basic authentication sent up front and an optional HTTP
// proxy. The request blocks its caller but not the program: it runs on the
// calling thread's event loop, so windows keep painting and answering input
// while it waits.
#include "platform/Exception.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

// Why a request gave no usable reply.
enum class THttpFailure {
    Busy,         // a request of the same client is still running
    NoConnection, // the server (or the proxy) could not be reached
    UnknownHost,  // the server's (or the proxy's) name does not resolve
    TimedOut,     // no connection, or no complete reply, in time
    NotHttp,      // something answered, but not as an HTTP server does
    Status,       // the server answered with a status of 400 or more
    Cancelled,    // Abort() was called, or the event loop was told to end, while the request waited
    Other,        // anything else; the message says what
};

class EHttpError : public Exception {
public:
    EHttpError(THttpFailure failure, const QString &message, int statusCode = 0, QString reasonPhrase = {},
               QString detail = {})
        : Exception(message), FFailure(failure), FStatusCode(statusCode), FReasonPhrase(std::move(reasonPhrase)),
          FDetail(std::move(detail))
    {
    }
    THttpFailure Failure() const { return FFailure; }
    // For Status: the status and the reason phrase of the reply.
    int StatusCode() const { return FStatusCode; }
    const QString &ReasonPhrase() const { return FReasonPhrase; }
    // The network library's own English text for a failure it reported,
    // else empty.
    const QString &Detail() const { return FDetail; }

private:
    THttpFailure FFailure;
    int FStatusCode;
    QString FReasonPhrase;
    QString FDetail;
};

class THttpCli {
public:
    THttpCli();
    ~THttpCli();
    THttpCli(const THttpCli &) = delete;
    THttpCli &operator=(const THttpCli &) = delete;

    QString URL; // http only
    QString Username;
    QString Password;
    // The proxy's host; the request goes through it only when this is not empty.
    QString Proxy;
    QString ProxyPort = QStringLiteral("80");
    QString Agent;
    QString Accept;

    // Limits that keep a request from hanging or filling memory; a reply
    // longer than MaxReply is cut off there and counts as received.
    int ConnectTimeout = 10000; // milliseconds
    int Timeout = 30000;        // milliseconds, the whole request
    qsizetype MaxReply = 64 * 1024;

    // Sends the request and waits, handling the thread's events, until the
    // reply is complete. Throws EHttpError when the request fails, at once
    // when one is already running. After a reply (of any status) its body is
    // in LastReceived(); after a failure without a reply, that keeps what it
    // held.
    void Get();
    // Ends a running Get() at once, which then throws Cancelled; nothing
    // when no request runs.
    void Abort();

    bool Busy() const { return FBusy; }
    // The body of the last reply received, kept from one request to the next.
    const QByteArray &LastReceived() const { return FLastReceived; }
    // The status of the last reply received, 0 before any, and its reason
    // phrase.
    int StatusCode() const { return FStatusCode; }
    const QString &ReasonPhrase() const { return FReasonPhrase; }

private:
    bool FBusy = false;
    QByteArray FLastReceived;
    int FStatusCode = 0;
    QString FReasonPhrase;
    std::function<void()> FAbort; // while a request runs
};

} // namespace platform
