// The host link as a telnet client over TCP. Telnet commands never reach the caller and every
// 0xFF the caller sends is doubled on the wire.
#pragma once

#include "platform/hostlink/HostLink.h"
#include "platform/telnet/TTelnetCodec.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QPointer>
#include <QString>

class QTcpSocket;

class TTelnet : public HostLink {
    Q_OBJECT
public:
    explicit TTelnet(QObject *parent = nullptr);
    ~TTelnet() override;

    // A loopback refusal can be reported before this returns. A link still open or connecting is
    // dropped first without events of its own.
    void Connect(const QString &host, int port) override;
    void Send(const QByteArray &data, int length = 0) override;
    // Telnet commands are removed.
    QByteArray Receive() override;
    void Close() override;
    void Abort() override;
    LinkState State() const override;
    qint64 BytesAvailable() const override;
    qint64 BytesPending() const override;
    void setTermType(const QByteArray &type) override;
    void setWindowSize(int columns, int rows) override;

    // Qt's socket states as the callers count them; Qt's own numbering differs (2 is "connecting").
    static LinkState mapState(QAbstractSocket::SocketState state);

private:
    void dropSocket();
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);
    void socketReadyRead();
    void socketBytesWritten();
    bool readAndDecode(); // false when a handler replaced the connection
    void reportError(int number, const QString &description);
    void flushWire();
    void publishState(LinkState state);

    QPointer<QTcpSocket> m_socket;
    TTelnetCodec m_codec;
    QByteArray m_inbound;
    LinkState m_state = LinkState::Closed;
    bool m_errorReported = false;
};
