// The host-forms container: a hidden window that owns the workspaces, sends every message of the
// host-driven forms, dispatches each object request to its executor, applies control actions to
// whole windows and holds the menu tree.
#pragma once

#include "hostforms/forms/RequestExecutors.h"
#include "hostforms/forms/TWorkspaceList.h"
#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QComboBox;
class QTreeWidget;
class TLabeledEdit;

class TWinpickFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit TWinpickFrm(QWidget *parent = nullptr);
    ~TWinpickFrm() override;

    // The host link and the main window (target of "WINPICKFORMCONTAINER" and "ORVAMAINFORM");
    // both may be absent.
    void setLink(HostLink *link) { m_link = link; }
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }
    void setExecutors(std::unique_ptr<TRequestExecutors> executors);

    // One object request (the text between the frame bytes). The result is empty after success,
    // else the last error text; every error has been sent already.
    QByteArray ExecuteRequest(const QByteArray &requestText);
    void SendToHost(const QByteArray &text);
    void ControlForm(const TObjectRequest &request, QWidget *form);
    void ResetWorkspaces1Click();
    void Button1Click();
    void Button2Click() { ResetWorkspaces1Click(); }
    // The link went down: a main window the host hid or disabled comes back, so that the user is
    // never left without a usable window.
    void LinkStateChanged(LinkState state);

    TWorkspaceList &WorkspaceList() { return m_workspaces; }
    QTreeWidget *TreeView1() const { return m_tree; }
    QAction *ResetWorkspaces1() const { return m_reset; }
    QWidget *ClientArea() const { return m_client; }

private:
    QByteArray execute(const QByteArray &requestText);
    void loadMenuTree(const QList<QByteArray> &lines);

    QPointer<HostLink> m_link;
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<TRequestExecutors> m_executors;
    TWorkspaceList m_workspaces;
    QWidget *m_client = nullptr;
    QTreeWidget *m_tree = nullptr;
    QAction *m_reset = nullptr;
    TLabeledEdit *m_labeledEdit1 = nullptr;
    TLabeledEdit *m_labeledEdit2 = nullptr;
    QComboBox *m_comboBox1 = nullptr;
    // Requests that arrive while one is executing (a nested event loop) wait their turn.
    bool m_executing = false;
    QList<QByteArray> m_waiting;
};

// The container instance, while it exists.
TWinpickFrm *CurrentWinpickFrm();
