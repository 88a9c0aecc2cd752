// One workspace: a scroll box or a form the host created, the registry of the controls in it and
// the sender its events go through. Widgets are reached only through guarded pointers, so a parent
// destroyed with its children leaves no dangling entry behind.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

using HostSendFn = std::function<void(const QByteArray &)>;

// One control of a workspace, in creation order.
struct PickEntry {
    QByteArray Name;
    QPointer<QWidget> Widget;
    HostProtocol::PickType Tag = HostProtocol::PickType::None;
};

class TWinPick {
public:
    TWinPick(QWidget *owner, bool isForm);
    ~TWinPick();
    TWinPick(const TWinPick &) = delete;
    TWinPick &operator=(const TWinPick &) = delete;

    QByteArray Name; // event name (field 18 of the create request)
    QPointer<QWidget> Container;
    HostProtocol::PickType Tag = HostProtocol::PickType::ScrollWorkspace;
    HostSendFn Sender;

    QByteArray ContainerName() const;
    // The widget controls are placed on (a scroll box's content).
    QWidget *Client() const;
    bool alive() const { return !Container.isNull(); }

    // Registry of the workspace's controls; entries whose widget is gone are dropped.
    const QList<PickEntry> &Objects();
    QWidget *FindObject(const QByteArray &plainName);
    HostProtocol::PickType TagOf(const QWidget *w);
    void Register(const QByteArray &name, QWidget *w, HostProtocol::PickType tag);
    void Unregister(const QWidget *w);
    // The registry entry of `w` takes its new name.
    void Rename(const QWidget *w, const QByteArray &name);
    // Sends through this workspace's Sender (nothing while it is empty).
    void send(const QByteArray &message) const;

private:
    void prune();
    QList<PickEntry> m_objects;
};
