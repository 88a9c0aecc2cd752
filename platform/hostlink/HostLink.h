// The host link: the operations, state and events every sender and the receive pipeline rely on.
// The telnet link implements it; tests stand in for it with a fake. Host data is bytes throughout.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The telnet control's state numbers; nothing is sent unless the link is Connected.
enum class LinkState { Closed = 0, Connecting = 1, Connected = 2, Other = 3 };

class HostLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HostLink() override;

    // Asynchronous; state events follow.
    virtual void Connect(const QString &host, int port) = 0;
    // length 0 (or beyond the text) sends the whole text; dropped silently unless connected.
    virtual void Send(const QByteArray &data, int length = 0) = 0;
    // Every data byte received and not yet taken.
    virtual QByteArray Receive() = 0;
    // Ends an open connection (or an attempt); a state event to Closed follows.
    virtual void Close() = 0;
    // Cancels a connection attempt (or drops an open connection at once).
    virtual void Abort() = 0;
    virtual LinkState State() const = 0;
    virtual qint64 BytesAvailable() const = 0;
    // Bytes handed to the link and not yet written to the host.
    virtual qint64 BytesPending() const = 0;
    virtual void setTermType(const QByteArray &type) = 0;
    virtual void setWindowSize(int columns, int rows) = 0;

    bool IsConnected() const { return State() == LinkState::Connected; }

signals:
    void OnState(LinkState state);
    void OnReceive();
    // Everything handed to the link has been written.
    void OnSend();
    void OnError(int number, const QString &description);
};
