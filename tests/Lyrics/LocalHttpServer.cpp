#include "LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

QUrl LocalHttpServer::url(const QString &pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery));
}

void LocalHttpServer::answer(int status, const QByteArray &body, const QByteArray &contentType)
{
    m_mode = Mode::Answer;
    m_status = status;
    m_body = body;
    m_contentType = contentType;
}

void LocalHttpServer::trickle()
{
    m_mode = Mode::Trickle;
}

void LocalHttpServer::stayQuiet()
{
    m_mode = Mode::Quiet;
}

void LocalHttpServer::sendPartially(const QByteArray &body, bool hangUp)
{
    m_mode = Mode::Partial;
    m_body = body;
    m_hangUp = hangUp;
}

void LocalHttpServer::serve(QTcpSocket *socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
        ++m_closed;
        socket->deleteLater();
    });
    auto *head = new QByteArray;
    QObject::connect(socket, &QObject::destroyed, socket, [head] { delete head; });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
        *head += socket->readAll();
        const qsizetype end = head->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        m_requests.append(head->left(end + 2));
        head->clear();
        respond(socket);
    });
}

void LocalHttpServer::respond(QTcpSocket *socket)
{
    switch (m_mode) {
    case Mode::Quiet:
        return;
    case Mode::Trickle: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("["); });
        timer->start(20);
        return;
    }
    case Mode::Partial:
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
            + QByteArray::number(m_body.size() + 100) + "\r\n\r\n" + m_body);
        if (m_hangUp)
            socket->disconnectFromHost();
        return;
    case Mode::Answer:
        // The client reads the status code alone; every answer gets the same reason phrase.
        QByteArray response = "HTTP/1.1 " + QByteArray::number(m_status) + " Status\r\n";
        if (!m_contentType.isEmpty())
            response += "Content-Type: " + m_contentType + "\r\n";
        response += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n";
        socket->write(response + m_body);
        socket->disconnectFromHost();
        return;
    }
}
