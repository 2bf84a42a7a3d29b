#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <functional>

// A real HTTP/1.1 server on 127.0.0.1 (port chosen by the system) for tests. It records every
// request head as received and answers each as it was last told to.
class LocalHttpServer
{
public:
    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    QUrl url(const QString &pathAndQuery = QStringLiteral("/api/get")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery));
    }

    // This status, body and content type, then a hang-up. The client reads the status code alone;
    // every answer gets the same reason phrase.
    void answer(int status, const QByteArray &body, const QByteArray &contentType = "application/json")
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + " Status\r\n";
        if (!contentType.isEmpty())
            head += "Content-Type: " + contentType + "\r\n";
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
        m_respond = [response = head + body](QTcpSocket *socket) {
            socket->write(response);
            socket->disconnectFromHost();
        };
    }
    // Headers, then one byte of body every 20 ms for as long as the client listens.
    void trickle()
    {
        m_respond = [](QTcpSocket *socket) {
            socket->write(okHead + "Connection: close\r\n\r\n");
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("["); });
            timer->start(20);
        };
    }
    // Reads the request and never answers.
    void stayQuiet() { m_respond = nullptr; }
    // Announces a longer body than it sends, then hangs up or goes quiet.
    void sendPartially(const QByteArray &body, bool hangUp)
    {
        m_respond = [=](QTcpSocket *socket) {
            socket->write(
                okHead + "Content-Length: " + QByteArray::number(body.size() + 100) + "\r\n\r\n" + body);
            if (hangUp)
                socket->disconnectFromHost();
        };
    }

    // The raw request heads (request line and headers), in arrival order.
    const QList<QByteArray> &requests() const { return m_requests; }
    // Connections that have ended; in the trickle and quiet modes only the client ends them.
    int closedConnections() const { return m_closed; }

private:
    static inline const QByteArray okHead = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";

    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            ++m_closed;
            socket->deleteLater();
        });
        QObject::connect(
            socket, &QTcpSocket::readyRead, socket, [this, socket, head = QByteArray()]() mutable {
                head += socket->readAll();
                const qsizetype end = head.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                m_requests.append(head.left(end + 2));
                head.clear();
                if (m_respond)
                    m_respond(socket);
            });
    }

    QTcpServer m_server;
    std::function<void(QTcpSocket *)> m_respond;
    QList<QByteArray> m_requests;
    int m_closed = 0;
};
