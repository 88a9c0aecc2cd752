// The menu bar's pop-up menu: the image sources, the detached window's place, log in and out, log in
// as another user or onto another system, the settings and the about box.
#pragma once

#include <QByteArray>
#include <QObject>

class ConnectionController;
class HostLink;
class MainWindowShapes;
class QAction;
class QMenu;
class RequestBox;
class TOrvaMainForm;
class UserMessages;
struct MainWindowUi;
struct TOrvaSettings;

class MainBarMenu : public QObject {
public:
    MainBarMenu(TOrvaMainForm &window, const MainWindowUi &ui, MainWindowShapes &shapes,
                RequestBox &requestBox, ConnectionController &connection, const TOrvaSettings &settings,
                HostLink &link, UserMessages &messages);

    // Before it shows: log in or out by the link's state, and the place reset once the window exists.
    void MainBarPopUpPopup();
    void LoginStateClick();
    void LoginAsClick();
    void LogontoNewsystem1Click();
    // The red light: a connection, while there is none.
    void NoLinkLightClick();

private:
    // The login conversation in use: the pipeline's, else the setup file's.
    QByteArray currentLoginConversation() const;
    // Back to the terminal's shape and a new connection.
    void connectAgain();

    TOrvaMainForm &m_window;
    MainWindowShapes &m_shapes;
    RequestBox &m_requestBox;
    ConnectionController &m_connection;
    const TOrvaSettings &m_settings;
    HostLink &m_link;
    UserMessages &m_messages;
    QMenu *m_menu = nullptr;
    QAction *m_resetImagePosition = nullptr;
    QAction *m_loginState = nullptr;
    QAction *m_loginAs = nullptr;
    QAction *m_logonNewSystem = nullptr;
};
