// Workspaces (scroll boxes and forms the host creates) and the controls in them: the registry
// that finds them by name, creation by object type, the setters that apply a definition, and
// destruction. Widgets are reached only through guarded pointers, so a parent destroyed with its
// children leaves no dangling entry behind.
#pragma once

#include "hostforms/forms/PickControl.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TObjectRequest;

using HostSendFn = std::function<void(const QByteArray &)>;

// One control of a workspace, in creation order.
struct PickEntry {
    QByteArray Name;
    QPointer<QWidget> Widget;
    int Tag = 0;
};

class TWinPick {
public:
    TWinPick(QWidget *owner, bool isForm);
    ~TWinPick();
    TWinPick(const TWinPick &) = delete;
    TWinPick &operator=(const TWinPick &) = delete;

    QByteArray Name; // event name (field 18 of the create request)
    QPointer<QWidget> Container;
    int Tag = 1;
    std::function<void(TWinPick *)> OnFree;
    HostSendFn Sender;

    QByteArray ContainerName() const;
    // The widget controls are placed on (a scroll box's content).
    QWidget *Client() const;
    bool alive() const { return !Container.isNull(); }

    // Registry of the workspace's controls; entries whose widget is gone are dropped.
    const QList<PickEntry> &Objects();
    QWidget *FindObject(const QByteArray &plainName);
    int TagOf(const QWidget *w);
    void Register(const QByteArray &name, QWidget *w, int tag);
    void Unregister(const QWidget *w);
    // Sends through this workspace's Sender (nothing while it is empty).
    void send(const QByteArray &message) const;

private:
    void prune();
    QList<PickEntry> m_objects;
};

// The workspace list with the look-ups, creation and the setters.
class TWorkspaceList {
public:
    TWorkspaceList() = default;
    ~TWorkspaceList();

    HostSendFn HostSender;
    // Where scroll-box workspaces without a parent workspace go (the host-forms container).
    QPointer<QWidget> HostContainer;

    int count(); // live workspaces
    TWinPick *at(int i);
    TWinPick *FindWorkspace(const QByteArray &name);
    // nullptr-safe: no workspace finds nothing.
    QWidget *FindPickObject(TWinPick *ws, const QByteArray &name);
    // The workspace a widget belongs to.
    TWinPick *WorkspaceOf(const QWidget *w);

    // Request type 1; the result is empty or the error text for "Object Creator".
    QByteArray ExecuteCreate(const TObjectRequest &request);
    QWidget *CreatePickObject(TWinPick *ws, TPickControl &def, QWidget *parentControl);
    // Applies a definition with the setter of the control's family (also used by update).
    QByteArray ApplyDefinition(TWinPick *ws, QWidget *w, int tag, const TPickControl &def,
                               QWidget *parentControl);
    bool DestroyPickObject(TWinPick *ws, const QByteArray &name);
    // Frees one workspace (its destroyed event first), or all of them.
    void Remove(TWinPick *ws);
    void Reset();
    // Stops every sender (used at teardown, before the link goes).
    void ClearSenders();

    // Whether controls may be placed on `w`.
    static bool canHoldControls(const QWidget *w);
    // The widget a control is placed on when `w` is its parent.
    static QWidget *clientFor(QWidget *w);

private:
    void prune();
    QByteArray applyCommon(TWinPick *ws, QWidget *w, int tag, const TPickControl &def,
                           QWidget *parentControl);
    QByteArray applyFont(QWidget *w, const TPickControl &def);
    void applyColour(QWidget *w, int tag, const TPickControl &def);
    QByteArray applyFamily(TWinPick *ws, QWidget *w, int tag, const TPickControl &def);
    void loadTextFile(TWinPick *ws, QWidget *w, const QByteArray &name, const QByteArray &value, bool rich);
    std::vector<std::unique_ptr<TWinPick>> m_items;
    QByteArray m_lastCreateError;
};

namespace PickNames {
// A component name: a letter or "_" then letters, digits and "_"; empty text when valid.
QByteArray invalidReason(const QByteArray &name);
} // namespace PickNames
