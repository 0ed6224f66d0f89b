#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <functional>

// A small HTTP/1.1 server on loopback, inside the test process: it records every request and
// answers each by the test's rule, well-behaved or not.
struct HttpRequest
{
    QByteArray method, target, head, body;

    QByteArray header(const QByteArray &name) const
    {
        const qsizetype at = head.toLower().indexOf("\r\n" + name.toLower() + ':');
        return at < 0 ? QByteArray() : head.mid(at + name.size() + 3).split('\r').first().trimmed();
    }
};

struct HttpAnswer
{
    // Cut: one byte more is promised than is sent before the connection closes.
    enum Mode { Normal, Stall, Cut } mode = Normal;
    int status = 200;
    QByteArray body{};
    QByteArray headers{}; // whole lines, each ended by CR LF
};

class HttpServer
{
public:
    std::function<HttpAnswer(const HttpRequest &)> answer = [](const HttpRequest &) { return HttpAnswer{}; };
    QList<HttpRequest> requests;

    HttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    qsizetype count(const QByteArray &method) const
    {
        return std::count_if(requests.begin(), requests.end(),
                             [&](const HttpRequest &r) { return r.method == method; });
    }

private:
    void serve(QTcpSocket *socket)
    {
        // The bytes stay in the socket until the whole request has come.
        const QByteArray data = socket->peek(socket->bytesAvailable());
        const qsizetype headEnd = data.indexOf("\r\n\r\n");
        HttpRequest r{{}, {}, data.left(headEnd), {}};
        const qsizetype end = headEnd + 4 + r.header("Content-Length").toLongLong();
        if (headEnd < 0 || data.size() < end)
            return;
        socket->read(end);
        const QList<QByteArray> first = r.head.left(r.head.indexOf('\r')).split(' ');
        r.method = first.value(0);
        r.target = first.value(1);
        r.body = data.sliced(headEnd + 4, end - headEnd - 4);
        requests.append(r);
        const HttpAnswer a = answer(r);
        if (a.mode == HttpAnswer::Stall)
            return;
        const QByteArray length = QByteArray::number(a.body.size() + (a.mode == HttpAnswer::Cut ? 1 : 0));
        socket->write("HTTP/1.1 " + QByteArray::number(a.status) +
                      " X\r\nConnection: close\r\nContent-Length: " + length + "\r\n" + a.headers + "\r\n" + a.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};
