#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QUrl>

// A real HTTP/1.1 server on 127.0.0.1 (port chosen by the system) for tests. It records every
// request head as received and answers each with the configured behaviour.
class LocalHttpServer
{
public:
    LocalHttpServer();

    QUrl url(const QString &pathAndQuery = QStringLiteral("/api/get")) const;

    // Every request gets this status, body and content type.
    void answer(int status, const QByteArray &body, const QByteArray &contentType = "application/json");
    // Headers, then one byte of body every 20 ms for as long as the client listens.
    void trickle();
    // Reads the request and never answers.
    void stayQuiet();
    // Announces a longer body than it sends, then hangs up or goes quiet.
    void sendPartially(const QByteArray &body, bool hangUp);

    // The raw request heads (request line and headers), in arrival order.
    const QList<QByteArray> &requests() const { return m_requests; }
    // Connections that have ended; in the trickle and quiet modes only the client ends them.
    int closedConnections() const { return m_closed; }

private:
    enum class Mode { Answer, Trickle, Quiet, Partial };

    void serve(class QTcpSocket *socket);
    void respond(QTcpSocket *socket);

    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    QByteArray m_body;
    QByteArray m_contentType;
    QList<QByteArray> m_requests;
    bool m_hangUp = false;
    int m_closed = 0;
};
