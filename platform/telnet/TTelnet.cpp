// Host link on QTcpSocket: the socket carries bytes, TTelnetCodec speaks the telnet protocol.
#include "platform/telnet/TTelnet.h"

#include <QTcpSocket>

#include <utility>

TTelnet::TTelnet(QObject *parent) : HostLink(parent) {}

TTelnet::~TTelnet() {
    dropSocket();
}

LinkState TTelnet::mapState(QAbstractSocket::SocketState state) {
    switch (state) {
    case QAbstractSocket::UnconnectedState:
        return LinkState::Closed;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
        return LinkState::Connecting;
    case QAbstractSocket::ConnectedState:
        return LinkState::Connected;
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
    case QAbstractSocket::ClosingState:
        break;
    }
    return LinkState::Other;
}

void TTelnet::dropSocket() {
    if (!m_socket)
        return;
    // The old connection's own events would reach the caller after it asked for a new one.
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

void TTelnet::Connect(const QString &host, int port) {
    dropSocket();
    m_state = LinkState::Closed;
    m_errorReported = false;
    m_inbound.clear();
    m_codec.reset();

    auto *socket = new QTcpSocket(this);
    m_socket = socket;
    connect(socket, &QAbstractSocket::stateChanged, this, &TTelnet::socketStateChanged);
    connect(socket, &QAbstractSocket::errorOccurred, this, &TTelnet::socketError);
    connect(socket, &QIODevice::readyRead, this, &TTelnet::socketReadyRead);
    connect(socket, &QIODevice::bytesWritten, this, &TTelnet::socketBytesWritten);
    if (port < 1 || port > 0xFFFF) {
        reportError(QAbstractSocket::UnsupportedSocketOperationError,
                    QStringLiteral("Invalid port number %1").arg(port));
        // The caller waits for a state event after every attempt, even one that never started.
        emit OnState(LinkState::Closed);
        return;
    }
    socket->connectToHost(host, static_cast<quint16>(port));
}

void TTelnet::Send(const QByteArray &data, int length) {
    if (State() != LinkState::Connected)
        return;
    const qsizetype count = length > 0 && length < data.size() ? length : data.size();
    m_codec.encode(data.constData(), count);
    flushWire();
}

QByteArray TTelnet::Receive() {
    return std::exchange(m_inbound, {});
}

void TTelnet::Close() {
    if (!m_socket)
        return;
    // Qt would finish a pending attempt first and close only once connected.
    if (State() == LinkState::Connecting)
        m_socket->abort();
    else
        m_socket->disconnectFromHost();
}

void TTelnet::Abort() {
    if (m_socket)
        m_socket->abort();
}

LinkState TTelnet::State() const {
    return m_socket ? mapState(m_socket->state()) : LinkState::Closed;
}

qint64 TTelnet::BytesAvailable() const {
    return m_inbound.size();
}

qint64 TTelnet::BytesPending() const {
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void TTelnet::setTermType(const QByteArray &type) {
    m_codec.setTermType(type);
}

void TTelnet::setWindowSize(int columns, int rows) {
    m_codec.setWindowSize(columns, rows);
    flushWire();
}

void TTelnet::flushWire() {
    QByteArray wire = m_codec.takeWire();
    if (wire.isEmpty() || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(wire);
}

void TTelnet::publishState(LinkState state) {
    if (state == m_state)
        return;
    m_state = state;
    emit OnState(state);
}

void TTelnet::reportError(int number, const QString &description) {
    m_errorReported = true;
    emit OnError(number, description);
}

void TTelnet::socketStateChanged(QAbstractSocket::SocketState state) {
    QTcpSocket *socket = m_socket;
    const LinkState mapped = mapState(state);
    if (mapped == LinkState::Connected)
        m_errorReported = false;
    if (mapped == LinkState::Closed && socket) {
        // Whatever the host sent before it went away is still delivered, and a failed attempt
        // reports its error before the closed state, whichever order the socket signals in.
        // A handler may start a new connection meanwhile; this one then says no more.
        if (!readAndDecode())
            return;
        const auto error = socket->error();
        if (!m_errorReported && error != QAbstractSocket::UnknownSocketError &&
            error != QAbstractSocket::RemoteHostClosedError)
            reportError(error, socket->errorString());
        if (m_socket != socket)
            return;
    }
    publishState(mapped);
}

void TTelnet::socketError(QAbstractSocket::SocketError error) {
    // The host ending the session is a state change, not a fault to show.
    if (error == QAbstractSocket::RemoteHostClosedError || m_errorReported || !m_socket)
        return;
    reportError(error, m_socket->errorString());
}

void TTelnet::socketReadyRead() {
    readAndDecode();
}

bool TTelnet::readAndDecode() {
    QTcpSocket *socket = m_socket;
    if (!socket)
        return false;
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return true;
    m_codec.decode(bytes);
    flushWire();
    const QByteArray data = m_codec.takeData();
    for (const auto &error : m_codec.takeErrors()) {
        emit OnError(error.number, error.description);
        if (m_socket != socket)
            return false;
    }
    if (data.isEmpty())
        return true;
    // Only complete decoded pieces are announced, so a reader never sees half a command.
    m_inbound.append(data);
    emit OnReceive();
    return m_socket == socket;
}

void TTelnet::socketBytesWritten() {
    if (m_socket && m_socket->bytesToWrite() == 0)
        emit OnSend();
}
