// The main window's connection to the host without its widgets: the connect timer with its 30-second
// countdown, the captions and link lights each link state gives, the port that sticks from one host
// setting to the next, and what a closed or opened link changes. The window shows what it says.
#pragma once

#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTimer;
class UserMessages;

class ConnectionController : public QObject {
    Q_OBJECT
public:
    // The timer is a child named "Timer1"; the link and the boxes must outlive the controller.
    ConnectionController(HostLink &link, UserMessages &messages, QObject *parent = nullptr);

    // The setup file named in the captions, and whether an image source is set.
    void setSetupFileName(const QString &path);
    void setImagesConfigured(bool on) { m_imagesConfigured = on; }
    // The host and port of the setup file (already apart).
    void setHost(const QByteArray &host, int port);
    // A host setting typed by the user ("name", "name:port", "[v6]:port"): a port it names replaces
    // the one in use, which otherwise sticks.
    void setHostSetting(const QByteArray &setting);
    QByteArray HostName() const { return m_hostName; }
    int HostPort() const { return m_hostPort; }

    // The window is shown: the timer runs while start is pending.
    void FormShow();
    // One tick of the connect timer: the first connects (or collapses without a host), later ones
    // count the wait down and give up after 30.
    void Timer1Timer();
    void ConnectToHost();
    // Lights off, link closed; then `disconnected` (the window writes its registry settings).
    void Disconnect();
    // The window closes: an open link is disconnected, an attempt is stopped.
    void FormClose();
    void Telnet1State(LinkState state);
    void Telnet1Error(int number, const QString &description);

    bool StartPending() const { return m_startPending; }
    QString Caption() const { return m_caption; }
    bool LinkLightOn() const { return m_linkLightOn; }
    bool Timer1Active() const;

signals:
    void captionChanged(const QString &caption);
    void linkLightChanged(bool on);
    // Window shapes asked for by the first tick, the give-up and a closed link.
    void sizeToTerminal();
    void collapseToMenuBar();
    // No host to connect to: the settings form is where the user names one.
    void settingsRequested();
    // Just before the link connects: the terminal is cleared and the session starts afresh.
    void connecting();
    void disconnected();
    // The link went to Closed (before the window collapses).
    void linkClosed();
    // Text for the terminal as if the host had sent it.
    void terminalText(const QByteArray &text);

private:
    void setCaption(const QString &caption);
    void showLinkLight(bool on);
    void reportTimerFailure(const QString &step, const QString &what);

    HostLink &m_link;
    UserMessages &m_messages;
    QTimer *m_timer1;
    QString m_setupName;
    bool m_imagesConfigured = false;
    bool m_startPending = true;
    int m_connectWait = -1;
    QString m_connectCaption;
    QString m_caption;
    bool m_linkLightOn = false;
    QByteArray m_hostName;
    int m_hostPort = 23;
};
