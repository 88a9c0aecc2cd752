// The host link: a telnet client over TCP with the operations, properties and events the main
// window and every sender rely on. Host data is bytes throughout; telnet commands never reach
// the caller and every 0xFF the caller sends is doubled on the wire.
#pragma once

#include "platform/telnet/TTelnetCodec.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpSocket;

class TTelnet : public QObject {
    Q_OBJECT
public:
    enum LinkState { Closed = 0, Connecting = 1, Connected = 2, Other = 3 };

    explicit TTelnet(QObject *parent = nullptr);
    ~TTelnet() override;

    // Asynchronous; state events follow. A loopback refusal can be reported before this returns.
    // A link still open or connecting is dropped first without events of its own.
    virtual void Connect(const QString &host, int port);
    // length 0 (or beyond the text) sends the whole text; dropped silently unless connected.
    virtual void Send(const QByteArray &data, int length = 0);
    // Every data byte received and not yet taken (telnet commands removed).
    virtual QByteArray Receive();
    // Ends an open connection (or an attempt); a state event to 0 follows.
    virtual void Close();
    // Cancels a connection attempt (or drops an open connection at once).
    virtual void Abort();
    virtual int State() const;
    virtual qint64 BytesAvailable() const;
    virtual qint64 BytesPending() const;

    void setTermType(const QByteArray &type);
    void setWindowSize(int columns, int rows);

    // Qt's socket states as the callers count them; Qt's own numbering differs (2 is "connecting").
    static int mapState(QAbstractSocket::SocketState state);

signals:
    void OnState(int state);
    void OnReceive();
    void OnSend();
    void OnError(int number, const QString &description);

private:
    void dropSocket();
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);
    void socketReadyRead();
    void socketBytesWritten();
    bool readAndDecode(); // false when a handler replaced the connection
    void reportError(int number, const QString &description);
    void flushWire();
    void publishState(int state);

    QPointer<QTcpSocket> m_socket;
    TTelnetCodec m_codec;
    QByteArray m_inbound;
    int m_state = Closed;
    bool m_errorReported = false;
};
