// The host-forms container and its dispatcher.
#include "hostforms/forms/TWinpickFrm.h"

#include "common/HostText.h"
#include "common/Trace.h"
#include "common/objectrequest/TObjectRequest.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TLabeledEdit.h"

#include <QComboBox>
#include <QMenuBar>
#include <QTreeWidget>

using namespace HostProtocol;

namespace {
QPointer<TWinpickFrm> g_current;
} // namespace

TWinpickFrm *CurrentWinpickFrm() {
    return g_current.data();
}

TWinpickFrm::TWinpickFrm(QWidget *parent)
    : QMainWindow(parent), m_executors(std::make_unique<TRequestExecutors>()) {
    setObjectName(QStringLiteral("WinpickFrm"));
    setWindowTitle(QStringLiteral("ORVA 5 - Not Logged in"));
    setAttribute(Qt::WA_QuitOnClose, false);
    PickProperties::setTag(this, PickType::FormWorkspace);
    move(192, 107);
    resize(366, 140);
    QMenu *action = menuBar()->addMenu(tr("&Action"));
    action->setObjectName(QStringLiteral("Action1"));
    m_reset = action->addAction(tr("&Reset Workspaces"));
    m_reset->setObjectName(QStringLiteral("ResetWorkspaces1"));
    connect(m_reset, &QAction::triggered, this, &TWinpickFrm::ResetWorkspaces1Click);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("WinpickClient"));
    setCentralWidget(m_client);
    AlignLayout::Engine::of(m_client);
    m_labeledEdit1 = new TLabeledEdit(m_client);
    m_labeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    m_labeledEdit1->setGeometry(80, 8, 121, 21);
    m_labeledEdit2 = new TLabeledEdit(m_client);
    m_labeledEdit2->setObjectName(QStringLiteral("LabeledEdit2"));
    m_labeledEdit2->setGeometry(80, 40, 121, 21);
    m_comboBox1 = new QComboBox(m_client);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setGeometry(216, 8, 145, 21);
    m_tree = new QTreeWidget(m_client);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setGeometry(0, 64, 200, 60);

    // FormCreate: the workspace list, the current instance and the one send procedure.
    g_current = this;
    m_workspaces.HostContainer = m_client;
    m_workspaces.HostSender = [this](const QByteArray &message) { SendToHost(message); };
}

TWinpickFrm::~TWinpickFrm() {
    // Nothing may send through the link once teardown starts.
    m_workspaces.ClearSenders();
    m_link = nullptr;
    TRequestExecutors::RestoreScreenCursor();
    m_workspaces.Reset();
}

void TWinpickFrm::setExecutors(std::unique_ptr<TRequestExecutors> executors) {
    m_executors = executors ? std::move(executors) : std::make_unique<TRequestExecutors>();
}

void TWinpickFrm::SendToHost(const QByteArray &text) {
    sendFramed(m_link.data(), text);
}

QByteArray TWinpickFrm::ExecuteRequest(const QByteArray &requestText) {
    if (m_executing) {
        m_waiting.append(requestText);
        ORVA_TRACE("hostforms.deferred", m_waiting.size());
        return {};
    }
    m_executing = true;
    QByteArray result = execute(requestText);
    while (!m_waiting.isEmpty()) {
        execute(m_waiting.takeFirst());
    }
    m_executing = false;
    return result;
}

QByteArray TWinpickFrm::execute(const QByteArray &requestText) {
    if (requestText.isEmpty()) {
        SendToHost(requestError("Command Parser", E001()));
        return E001();
    }
    TObjectRequest request;
    const QByteArray parsed = request.Parse(requestText);
    if (parsed != "OK") {
        const QByteArray text = E002(request.field(Field::RequestType));
        SendToHost(requestError("Command Parser", text));
        return text;
    }
    QByteArray result;
    switch (RequestType(request.RequestType)) {
    case RequestType::Create:
        if (!readInteger(request.field(Field::ObjectType))) {
            result = E010(request.field(Field::ObjectType));
        } else {
            result = m_workspaces.ExecuteCreate(request);
        }
        break;
    case RequestType::Destroy:
        result = m_executors->ExecuteDestroy(request, m_workspaces);
        break;
    case RequestType::Move:
        result = m_executors->ExecuteMove(request, m_workspaces);
        break;
    case RequestType::Clear:
        result = m_executors->ExecuteClear(request, m_workspaces);
        break;
    case RequestType::Control:
        if (request.ObjectName == "winpick.explorer") {
            SendToHost(requestError("winpick.explorer", "OK"));
            return {};
        }
        if (request.ObjectName == "WINPICKFORMCONTAINER" || request.ObjectName == "ORVAMAINFORM") {
            ControlForm(request, m_mainWindow);
        } else if (request.ObjectName == "WINPICKFORM") {
            ControlForm(request, this);
        }
        result = m_executors->ExecuteControl(request, m_workspaces);
        break;
    case RequestType::Update:
        result = m_executors->ExecuteUpdate(request, m_workspaces);
        break;
    case RequestType::Query:
        result = m_executors->ExecuteQuery(request, m_workspaces);
        break;
    case RequestType::MenuTree:
        if (!request.field(Field::ObjectType).contains("MENU-HTM")) {
            QList<QByteArray> lines;
            for (int i = Field::ObjectType; i <= request.fieldCount(); ++i) {
                lines.append(request.field(i));
            }
            loadMenuTree(lines);
        }
        return {};
    default:
        result = E003(request.RequestType);
        break;
    }
    if (!result.isEmpty()) {
        SendToHost(requestError(componentName(request.RequestType), result));
    }
    return result;
}

void TWinpickFrm::ControlForm(const TObjectRequest &request, QWidget *form) {
    if (!form) {
        return;
    }
    const bool window = PickProperties::tagOf(form) == PickType::FormWorkspace || form->isWindow();
    switch (ControlAction(request.SubAction)) {
    case ControlAction::Show:
        form->setVisible(true);
        if (window) {
            form->show();
            form->raise();
        }
        break;
    case ControlAction::Hide:
        form->setVisible(false);
        break;
    case ControlAction::Enable:
        form->setEnabled(true);
        break;
    case ControlAction::Disable:
        form->setEnabled(false);
        break;
    case ControlAction::SetFocus:
        if (!form->isVisible() || !form->isEnabled()) {
            SendToHost(
                requestError("Object Controller", E124("Cannot focus a disabled or invisible window")));
        } else {
            form->activateWindow();
            form->setFocus(Qt::OtherFocusReason);
        }
        break;
    default:
        break;
    }
}

void TWinpickFrm::ResetWorkspaces1Click() {
    m_workspaces.Reset();
}

void TWinpickFrm::Button1Click() {
    if (m_workspaces.HostSender) {
        m_workspaces.HostSender(
            menuPick(objectName().toLatin1(), "winpick.menu", QByteArray("winpick") + kFieldSeparator + "1"));
    }
}

void TWinpickFrm::LinkStateChanged(LinkState state) {
    if (state != LinkState::Closed) {
        return;
    }
    // A busy cursor the host set is not left behind by a host that is gone.
    TRequestExecutors::RestoreScreenCursor();
    if (!m_mainWindow) {
        return;
    }
    m_mainWindow->setEnabled(true);
    m_mainWindow->show();
}

void TWinpickFrm::loadMenuTree(const QList<QByteArray> &lines) {
    m_tree->clear();
    QList<QTreeWidgetItem *> path; // deepest node at each level
    for (const QByteArray &line : lines) {
        int depth = 0;
        while (depth < line.size() && (line[depth] == '\t' || line[depth] == ' ')) {
            ++depth;
        }
        const QString caption = HostText::toUnicode(line.mid(depth));
        // A line deeper than one level below its predecessor hangs on the deepest node there is.
        depth = qMin(depth, int(path.size()));
        QTreeWidgetItem *item =
            depth == 0 ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(path[depth - 1]);
        item->setText(0, caption);
        path.resize(depth);
        path.append(item);
    }
    m_tree->expandAll();
}
