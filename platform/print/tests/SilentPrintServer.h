// A print server that takes every connection on 127.0.0.1 and never answers, as a scheduler does that
// has hung: requests are sent and then wait. It stops listening, and drops what it took, when it goes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

class SilentPrintServer {
public:
    SilentPrintServer() {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                ++m_connections;
                s->setReadBufferSize(1); // read nothing more: the request stays unanswered
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    bool listening() const { return m_server.isListening(); }
    // "127.0.0.1:port", for CUPS_SERVER.
    QByteArray server() const { return "127.0.0.1:" + QByteArray::number(m_server.serverPort()); }
    int connections() const { return m_connections; }

private:
    QTcpServer m_server;
    int m_connections = 0;
};
