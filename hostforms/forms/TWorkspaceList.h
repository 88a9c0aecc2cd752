// The workspace list: look-ups by name, creation of workspaces and controls, destruction, and the
// setters (through TPickSetters) that apply a definition to a control.
#pragma once

#include "hostforms/forms/PickControl.h"
#include "hostforms/forms/TPickSetters.h"
#include "hostforms/forms/TWinPick.h"

#include <QByteArray>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class TObjectRequest;

class TWorkspaceList {
public:
    TWorkspaceList();
    ~TWorkspaceList();
    TWorkspaceList(const TWorkspaceList &) = delete;
    TWorkspaceList &operator=(const TWorkspaceList &) = delete;

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
    QByteArray ApplyDefinition(TWinPick *ws, QWidget *w, HostProtocol::PickType tag, const TPickControl &def,
                               QWidget *parentControl);
    bool DestroyPickObject(TWinPick *ws, const QByteArray &name);
    // Installs or removes the event hooks of a control from its stored event words (the end of
    // every create and update).
    void InstallHooks(QWidget *w, HostProtocol::PickType tag);
    // Frees one workspace (its destroyed event first), or all of them.
    void Remove(TWinPick *ws);
    void Reset();
    // Stops every sender (used at teardown, before the link goes).
    void ClearSenders();

    // Whether controls may be placed on `w`.
    static bool canHoldControls(const QWidget *w);
    // The widget a control is placed on when `w` is its parent.
    static QWidget *clientFor(QWidget *w);
    // Lays the children of `parent` out again and grows the scroll box that holds it.
    static void relayout(QWidget *parent);

private:
    void prune();
    // The hooks reach the list through this; it is emptied when the list goes.
    std::shared_ptr<TWorkspaceList *> m_self;
    std::vector<std::unique_ptr<TWinPick>> m_items;
    TPickSetters m_setters;
    QByteArray m_lastCreateError;
};
