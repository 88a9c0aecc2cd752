// The menu bar's pop-up menu.
#include "app/MainBarMenu.h"

#include "app/ConnectionController.h"
#include "app/MainWindowShapes.h"
#include "app/MainWindowUi.h"
#include "app/RequestBox.h"
#include "app/RequestImagePanel.h"
#include "app/TOrvaMainForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/HostText.h"
#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "platform/hostlink/HostLink.h"

#include <QAction>
#include <QFrame>
#include <QMenu>

MainBarMenu::MainBarMenu(TOrvaMainForm &window, const MainWindowUi &ui, MainWindowShapes &shapes,
                         RequestBox &requestBox, ConnectionController &connection,
                         const TOrvaSettings &settings, HostLink &link, UserMessages &messages)
    : QObject(&window), m_window(window), m_shapes(shapes), m_requestBox(requestBox),
      m_connection(connection), m_settings(settings), m_link(link), m_messages(messages) {
    m_menu = new QMenu(&window);
    m_menu->setObjectName(QStringLiteral("MainBarPopUp"));
    const auto add = [this](const char *name, const QString &caption, const auto *receiver, auto slot) {
        QAction *action = m_menu->addAction(caption, receiver, slot);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    add("DefaultSource", QStringLiteral("&Default Source"), ui.viewPanel,
        &RequestImagePanel::DefaultSourceClick);
    add("NewSource", QStringLiteral("&New Source"), ui.viewPanel, &RequestImagePanel::NewSourceClick);
    m_resetImagePosition = add("ResetImagePosition1", QStringLiteral("&Reset Image Position"), &requestBox,
                               &RequestBox::ResetImagePosition1Click);
    m_menu->addSeparator();
    m_loginState = add("LoginState", QStringLiteral("&Logout"), this, &MainBarMenu::LoginStateClick);
    m_loginAs = add("LoginAs", QStringLiteral("Login as &New user"), this, &MainBarMenu::LoginAsClick);
    m_logonNewSystem = add("LogontoNewsystem1", QStringLiteral("Log onto new S&ystem"), this,
                           &MainBarMenu::LogontoNewsystem1Click);
    m_menu->addSeparator();
    add("Advanced1", QStringLiteral("&Modify Settings"), &window, &TOrvaMainForm::AdvancedbuttonClick);
    add("About1", QStringLiteral("&About"), &window, &TOrvaMainForm::About1Click);
    connect(m_menu, &QMenu::aboutToShow, this, &MainBarMenu::MainBarPopUpPopup);
    QFrame *bar = ui.menuPanel;
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QWidget::customContextMenuRequested, this,
            [this, bar](const QPoint &pos) { m_menu->popup(bar->mapToGlobal(pos)); });
}

void MainBarMenu::MainBarPopUpPopup() {
    const LinkState state = m_link.State();
    if (state == LinkState::Connected) {
        m_loginState->setText(QStringLiteral("&Logout"));
        m_loginAs->setEnabled(false);
        m_logonNewSystem->setEnabled(false);
    } else if (state == LinkState::Closed) {
        m_loginState->setText(QStringLiteral("&Login in as ") +
                              HostText::toUnicode(SetupFile::LoginReply(currentLoginConversation())));
        m_loginAs->setEnabled(true);
        m_logonNewSystem->setEnabled(true);
    }
    m_resetImagePosition->setEnabled(m_requestBox.DetachedForm() != nullptr);
}

void MainBarMenu::connectAgain() {
    m_window.SizeToTerminal();
    m_connection.ConnectToHost();
}

void MainBarMenu::LoginStateClick() {
    m_shapes.EndDrag();
    const LinkState state = m_link.State();
    if (state == LinkState::Closed) {
        connectAgain();
    } else if (state == LinkState::Connected) {
        m_connection.Disconnect();
    }
}

void MainBarMenu::LoginAsClick() {
    const QByteArray current = currentLoginConversation();
    const QString reply = HostText::toUnicode(SetupFile::LoginReply(current));
    QString name = reply;
    const QString prompt = QStringLiteral("Change login name from \"") + reply + QStringLiteral("\" to ..\n");
    if (!m_messages.inputBox(QStringLiteral("Login as .."), prompt, name)) {
        return;
    }
    connectAgain();
    // Set after the connect (which goes back to the saved copy): the new name serves this connection,
    // and once it has answered, the pipeline returns to the saved copy.
    if (ReceivePipeline *pipeline = m_window.Pipeline()) {
        pipeline->setLoginConversation(SetupFile::WithLoginReply(current, HostText::fromUnicode(name)));
    }
}

QByteArray MainBarMenu::currentLoginConversation() const {
    const ReceivePipeline *pipeline = m_window.Pipeline();
    return pipeline ? pipeline->loginConversation() : m_settings.LoginConversation;
}

void MainBarMenu::LogontoNewsystem1Click() {
    QByteArray current = m_connection.HostName();
    if (current.contains(':')) {
        current = '[' + current + ']'; // an IPv6 address, kept apart from a port the user adds
    }
    QString host = HostText::toUnicode(current);
    if (!m_messages.inputBox(QStringLiteral("Connect to new system"),
                             QStringLiteral("Address or Hostname of New System"), host)) {
        return;
    }
    m_connection.setHostSetting(HostText::fromUnicode(host));
    connectAgain();
}

void MainBarMenu::NoLinkLightClick() {
    if (!m_link.IsConnected()) {
        connectAgain();
    }
}
