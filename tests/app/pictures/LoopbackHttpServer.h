#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>

// A small HTTP server on 127.0.0.1 for the internet search tests: each path answers with the
// response set for it (404 otherwise), every request path is recorded in order, and a path can
// be held unanswered or answered one byte at a time.
class LoopbackHttpServer : public QObject
{
public:
    struct Response
    {
        QByteArray status = "200 OK";
        QByteArray type = "text/html";
        QByteArray body;
        bool declareLength = true;
        bool hold = false; // never answered
        bool drip = false; // the body one byte every 20 ms
    };

    LoopbackHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    bool isListening() const { return m_server.isListening(); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    // Called with each request's path as it arrives, before any answer.
    void setRequestHook(std::function<void(const QString &path)> hook) { m_hook = std::move(hook); }
    void set(const QString &path, Response response) { m_responses.insert(path, std::move(response)); }
    // Every request's path (with its query), in the order they came.
    const QStringList &requests() const { return m_requests; }
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &request : m_requests)
            n += request.startsWith(prefix) ? 1 : 0;
        return n;
    }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
        request.clear();
        const QString path = words.size() > 1 ? QString::fromLatin1(words.at(1)) : QString();
        m_requests << path;
        if (m_hook)
            m_hook(path);
        Response response;
        const auto found = m_responses.constFind(path);
        if (found != m_responses.constEnd())
            response = *found;
        else
            response.status = "404 Not Found", response.body = "<html>no</html>";
        if (response.hold)
            return;
        QByteArray head = "HTTP/1.1 " + response.status + "\r\nContent-Type: " + response.type + "\r\n";
        if (response.declareLength)
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        if (response.drip) {
            socket->write(head + "Connection: close\r\n\r\n");
            auto *drip = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            QObject::connect(drip, &QTimer::timeout, socket, [socket, sent, body = response.body] {
                if (*sent < body.size())
                    socket->write(body.mid((*sent)++, 1));
            });
            drip->start(20);
            return;
        }
        socket->write(head + "Connection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QHash<QString, Response> m_responses;
    QStringList m_requests;
    std::function<void(const QString &path)> m_hook;
};
