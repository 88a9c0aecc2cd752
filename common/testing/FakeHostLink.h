// A host link for tests: no network. The test sets its state (each change announced as the telnet
// link announces it), hands it bytes from the host and reads every Send, whatever the state, so
// that a sender which forgets to check the state is seen.
#pragma once

#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <utility>

class FakeHostLink : public HostLink {
public:
    explicit FakeHostLink(LinkState initial = LinkState::Connected, QObject *parent = nullptr)
        : HostLink(parent), state(initial) {}

    void Connect(const QString &host, int port) override {
        connects.append({host, port});
        setState(LinkState::Connecting);
    }
    void Send(const QByteArray &data, int length = 0) override {
        const QByteArray bytes = length > 0 && length < data.size() ? data.left(length) : data;
        sends.append(bytes);
        sent += bytes;
        if (holdPending) {
            pending += bytes.size();
        }
    }
    QByteArray Receive() override { return std::exchange(inbound, QByteArray()); }
    void Close() override {
        ++closes;
        setState(LinkState::Closed);
    }
    void Abort() override {
        ++aborts;
        setState(LinkState::Closed);
    }
    LinkState State() const override { return state; }
    qint64 BytesAvailable() const override { return inbound.size(); }
    qint64 BytesPending() const override { return pending; }
    void setTermType(const QByteArray &type) override { termType = type; }
    void setWindowSize(int columns, int rows) override { windowSize = QSize(columns, rows); }

    // The state changes and OnState says so (even when it is the same state again).
    void setState(LinkState s) {
        state = s;
        emit OnState(s);
    }
    // Bytes from the host: kept for Receive, then OnReceive.
    void deliver(const QByteArray &bytes) {
        inbound += bytes;
        emit OnReceive();
    }
    // The host-form messages sent, without their frame bytes.
    QList<QByteArray> messages() const {
        QList<QByteArray> out;
        for (const QByteArray &s : sends) {
            out.append(s.mid(1, s.size() - 2));
        }
        return out;
    }

    LinkState state;
    QList<QByteArray> sends; // one entry per Send
    QByteArray sent;         // everything sent, in order
    QByteArray inbound;
    // With holdPending every byte sent stays pending until the test sets `pending` again.
    bool holdPending = false;
    qint64 pending = 0;
    QList<QPair<QString, int>> connects;
    int closes = 0;
    int aborts = 0;
    QByteArray termType;
    QSize windowSize;
};
