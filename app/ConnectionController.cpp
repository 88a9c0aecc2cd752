// The connect timer, the link captions and lights, and the host and port to connect to.
#include "app/ConnectionController.h"

#include "app/MainWindowLogic.h"
#include "common/HostText.h"
#include "common/Trace.h"
#include "common/UserMessages.h"

#include <QFileInfo>
#include <QTimer>
#include <stdexcept>

namespace {
constexpr int kConnectWaitTicks = 30;
}

ConnectionController::ConnectionController(HostLink &link, UserMessages &messages, QObject *parent)
    : QObject(parent), m_link(link), m_messages(messages), m_timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("ConnectionController"));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &ConnectionController::Timer1Timer);
    connect(&m_link, &HostLink::OnState, this, &ConnectionController::Telnet1State);
    connect(&m_link, &HostLink::OnError, this, &ConnectionController::Telnet1Error);
}

void ConnectionController::setSetupFileName(const QString &path) {
    m_setupName = QFileInfo(path).fileName();
}

void ConnectionController::setHost(const QByteArray &host, int port) {
    m_hostName = host;
    m_hostPort = port;
}

void ConnectionController::setHostSetting(const QByteArray &setting) {
    const MainWindowLogic::HostAndPort hp = MainWindowLogic::ParseHostSetting(setting, m_hostPort);
    m_hostName = hp.host;
    m_hostPort = hp.port;
}

bool ConnectionController::Timer1Active() const {
    return m_timer1->isActive();
}

void ConnectionController::setCaption(const QString &caption) {
    m_caption = caption;
    emit captionChanged(caption);
}

void ConnectionController::showLinkLight(bool on) {
    m_linkLightOn = on;
    emit linkLightChanged(on);
}

void ConnectionController::FormShow() {
    if (m_startPending) {
        m_timer1->start();
    }
}

// The box names the step that failed; a failure outside the give-up step, which has no step of its
// own, shows the error instead of an empty box.
void ConnectionController::reportTimerFailure(const QString &step, const QString &what) {
    ORVA_TRACE(QStringLiteral("Timer1 failure"), what);
    // Stop the timer while the box is up, or every tick would stack another box.
    const bool wasActive = m_timer1->isActive();
    m_timer1->stop();
    m_messages.error(QStringLiteral("Error condition detected"),
                     step.isEmpty() ? QLatin1Char('"') + what + QLatin1Char('"') : step);
    if (wasActive) {
        m_timer1->start();
    }
}

void ConnectionController::Timer1Timer() {
    QString step;
    try {
        if (m_startPending) {
            emit sizeToTerminal();
            m_startPending = false;
            if (!m_hostName.isEmpty()) {
                ConnectToHost();
            } else {
                m_timer1->stop();
                emit collapseToMenuBar();
            }
            return;
        }
        ++m_connectWait;
        if (m_connectWait < kConnectWaitTicks) {
            setCaption(m_connectCaption + QStringLiteral("..") +
                       QString::number(kConnectWaitTicks - m_connectWait) + QStringLiteral(" sec(s)"));
            return;
        }
        step = QStringLiteral("Error Condition encountered in the Timer1. Telnet1.state <> tcpconnected");
        if (!m_link.IsConnected()) {
            emit collapseToMenuBar();
            m_link.Abort();
            showLinkLight(false);
        }
        m_timer1->stop();
    } catch (const std::exception &e) {
        reportTimerFailure(step, QString::fromLocal8Bit(e.what()));
    }
}

void ConnectionController::ConnectToHost() {
    if (m_hostName.isEmpty()) {
        emit settingsRequested();
        return;
    }
    if (m_link.IsConnected()) {
        Disconnect();
    }
    m_connectWait = -1;
    m_connectCaption = QStringLiteral(" - Attempting: ") + HostText::toUnicode(m_hostName);
    m_timer1->start();
    emit connecting();
    m_link.Connect(HostText::toUnicode(m_hostName), m_hostPort);
}

void ConnectionController::Disconnect() {
    showLinkLight(false);
    m_link.Close();
    emit disconnected();
}

void ConnectionController::FormClose() {
    const LinkState state = m_link.State();
    if (state == LinkState::Connected) {
        Disconnect();
    } else if (state == LinkState::Connecting) {
        m_timer1->stop();
        m_link.Abort();
    }
}

void ConnectionController::Telnet1State(LinkState state) {
    if (state == LinkState::Closed) {
        emit linkClosed();
        showLinkLight(false);
        emit collapseToMenuBar();
        setCaption(QStringLiteral("Image Retrieval System (") + m_setupName + QLatin1Char(')'));
        // A refused or dropped link ends the countdown; otherwise the caption would go on counting.
        if (!m_startPending) {
            m_timer1->stop();
        }
    } else if (state == LinkState::Connected) {
        const QString host = HostText::toUnicode(m_hostName);
        setCaption(
            (m_imagesConfigured ? QStringLiteral("Imaging System on ") : QStringLiteral("Connected to ")) +
            host + QStringLiteral(" (") + m_setupName + QLatin1Char(')'));
        showLinkLight(true);
        m_timer1->stop();
        m_timer1->setInterval(1000);
    }
}

void ConnectionController::Telnet1Error(int, const QString &description) {
    emit terminalText(QByteArrayLiteral("Error: \r\n") + HostText::fromUnicode(description));
}
