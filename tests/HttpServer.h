#pragma once

#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

// A small HTTP/1.1 server on loopback, inside the test process: it records every request and
// answers each by the test's rule, well-behaved or not.
struct HttpRequest
{
    QByteArray method, target, body;
    QList<std::pair<QByteArray, QByteArray>> headers;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &[key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
};

struct HttpAnswer
{
    enum Mode { Normal, Stall, CloseAtOnce, CloseMidBody, Endless };
    HttpAnswer(Mode mode = Normal, int status = 200, const QByteArray &body = {}, const QByteArray &extraHeaders = {})
        : mode(mode), status(status), body(body), extraHeaders(extraHeaders)
    {
    }
    Mode mode;
    int status;
    QByteArray body;
    QByteArray extraHeaders; // whole lines, each ended by CR LF
};

class HttpServer
{
public:
    std::function<HttpAnswer(const HttpRequest &)> answer = [](const HttpRequest &) { return HttpAnswer{}; };
    // Runs when a request has arrived, before it is answered.
    std::function<void(const HttpRequest &)> onRequest;
    QList<HttpRequest> requests;

    HttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    qsizetype count(const QByteArray &method) const
    {
        return std::count_if(requests.begin(), requests.end(),
                             [&](const HttpRequest &r) { return r.method == method; });
    }

    // A port where nobody listens: connections to it are refused.
    static QString refusedHost()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            HttpRequest request;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.target = first.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
            }
            const qsizetype length = request.header("Content-Length").toLongLong();
            if (buffer->size() < end + 4 + length)
                return;
            request.body = buffer->mid(end + 4, length);
            buffer->clear();
            requests.append(request);
            if (onRequest)
                onRequest(request);
            respond(socket, answer(request));
        });
    }

    static void respond(QTcpSocket *socket, const HttpAnswer &a)
    {
        if (a.mode == HttpAnswer::Stall)
            return;
        if (a.mode == HttpAnswer::CloseAtOnce) {
            socket->disconnectFromHost();
            return;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + " X\r\nConnection: close\r\n" + a.extraHeaders;
        if (a.mode != HttpAnswer::Endless)
            head +=
                "Content-Length: " + QByteArray::number(a.body.size() * (a.mode == HttpAnswer::CloseMidBody ? 2 : 1)) +
                "\r\n";
        socket->write(head + "\r\n" + a.body);
        if (a.mode != HttpAnswer::Endless) {
            socket->disconnectFromHost();
            return;
        }
        const QByteArray filler(64 * 1024, 'x');
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, filler] {
            if (socket->bytesToWrite() < 1024 * 1024)
                socket->write(filler);
        });
    }

    QTcpServer m_server;
};
