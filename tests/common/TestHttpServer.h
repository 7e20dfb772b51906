#pragma once

// A tiny HTTP server on 127.0.0.1 for tests, run by the test's own event
// loop: it writes down every request's head (request line and headers) and
// answers as the test says: a reply, silence, or a stream that never ends.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <vector>

class TTestHttpServer {
public:
    // How a request is answered; the socket stays open unless the answer closes it.
    using TAnswer = std::function<void(QTcpSocket *socket)>;

    TTestHttpServer()
    {
        FServer.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&FServer, &QTcpServer::newConnection, [this] { Accept(); });
    }

    bool Listening() const { return FServer.isListening(); }
    quint16 Port() const { return FServer.serverPort(); }
    QString Address() const { return QStringLiteral("http://127.0.0.1:%1").arg(Port()); }
    // "127.0.0.1:port", as a Host header or a proxy setting names it.
    QString HostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(Port()); }

    // Each request's head, one line per entry, without the line ends.
    QList<QStringList> Requests;
    TAnswer Answer = Reply(200, "OK", "3.1 (01/04/2006)");

    // A whole reply, after which the server closes the connection as an
    // HTTP/1.0 server does.
    static TAnswer Reply(int status, const QByteArray &reason, const QByteArray &body)
    {
        return [=](QTcpSocket *socket) {
            socket->write("HTTP/1.0 " + QByteArray::number(status) + ' ' + reason +
                          "\r\nContent-Type: text/plain\r\n\r\n" + body);
            socket->disconnectFromHost();
        };
    }

    // Bytes written as they are, with no status line or header of their
    // own, then the connection closed: something that is no web server.
    static TAnswer Raw(const QByteArray &bytes)
    {
        return [=](QTcpSocket *socket) {
            socket->write(bytes);
            socket->disconnectFromHost();
        };
    }

    // Accepts the request and never answers.
    static TAnswer Silence()
    {
        return [](QTcpSocket *) {};
    }

    // A reply whose body begins with start and then goes on and on, far
    // beyond what any client should take, without ever ending.
    static TAnswer Endless(const QByteArray &start, qsizetype length)
    {
        return [=](QTcpSocket *socket) {
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + start +
                          QByteArray(length - start.size(), 'x'));
        };
    }

    // A port on 127.0.0.1 where nothing listens: a connection is refused.
    static quint16 ClosedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    void Accept()
    {
        while (QTcpSocket *socket = FServer.nextPendingConnection()) {
            FSockets.emplace_back(socket);
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket, head] {
                if (head->endsWith("\r\n\r\n"))
                    return; // answered already
                *head += socket->readAll();
                const qsizetype end = head->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                head->truncate(end + 4);
                QStringList lines = QString::fromLatin1(head->first(end)).split(QStringLiteral("\r\n"));
                Requests << lines;
                if (Answer)
                    Answer(socket);
            });
        }
    }

    QTcpServer FServer;
    std::vector<std::unique_ptr<QTcpSocket>> FSockets;
};
