#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

// A real HTTP/1.1 server on 127.0.0.1 (port chosen by the system) for tests. It records every
// request head as received and answers each with the configured behaviour.
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

    // Every request gets this status, body and content type.
    void answer(int status, const QByteArray &body, const QByteArray &contentType = "application/json")
    {
        m_mode = Mode::Answer;
        m_status = status;
        m_body = body;
        m_contentType = contentType;
    }
    // Headers, then one byte of body every 20 ms for as long as the client listens.
    void trickle() { m_mode = Mode::Trickle; }
    // Reads the request and never answers.
    void stayQuiet() { m_mode = Mode::Quiet; }
    // Announces a longer body than it sends, then hangs up or goes quiet.
    void sendPartially(const QByteArray &body, bool hangUp)
    {
        m_mode = Mode::Partial;
        m_body = body;
        m_hangUp = hangUp;
    }

    // The raw request heads (request line and headers), in arrival order.
    const QList<QByteArray> &requests() const { return m_requests; }
    // Connections that have ended; in the trickle and quiet modes only the client ends them.
    int closedConnections() const { return m_closed; }

private:
    enum class Mode { Answer, Trickle, Quiet, Partial };

    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            ++m_closed;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head = QByteArray()]() mutable {
            head += socket->readAll();
            const qsizetype end = head.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            m_requests.append(head.left(end + 2));
            head.clear();
            respond(socket);
        });
    }

    void respond(QTcpSocket *socket)
    {
        QByteArray response = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
        switch (m_mode) {
        case Mode::Quiet:
            return;
        case Mode::Trickle: {
            socket->write(response + "Connection: close\r\n\r\n");
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("["); });
            timer->start(20);
            return;
        }
        case Mode::Partial:
            socket->write(response + "Content-Length: " + QByteArray::number(m_body.size() + 100) + "\r\n\r\n"
                + m_body);
            if (m_hangUp)
                socket->disconnectFromHost();
            return;
        case Mode::Answer:
            // The client reads the status code alone; every answer gets the same reason phrase.
            response = "HTTP/1.1 " + QByteArray::number(m_status) + " Status\r\n";
            if (!m_contentType.isEmpty())
                response += "Content-Type: " + m_contentType + "\r\n";
            socket->write(response + "Content-Length: " + QByteArray::number(m_body.size())
                + "\r\nConnection: close\r\n\r\n" + m_body);
            socket->disconnectFromHost();
            return;
        }
    }

    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    QByteArray m_body;
    QByteArray m_contentType;
    QList<QByteArray> m_requests;
    bool m_hangUp = false;
    int m_closed = 0;
};
