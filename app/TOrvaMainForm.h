// The main window: a menu bar with the request box and link lights, the terminal with its tool bar,
// and the image area. It reads the settings, lays out its three shapes and wires the host link, the
// connection (ConnectionController), the receive pipeline and the image area (RequestImagePanel).
#pragma once

#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "editor/report/HostRequests.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class ConnectionController;
class HostSendQueue;
class MainFormSinks;
class ReceivePipeline;
class RequestImagePanel;
class TVtTerminalEx;
class TWPForm;

class TOrvaMainForm : public QWidget {
    Q_OBJECT
public:
    // `link` and `messages` replace the real telnet link and message boxes (tests); the form
    // takes ownership of the link.
    explicit TOrvaMainForm(const QStringList &arguments, HostLink *link = nullptr,
                           std::unique_ptr<UserMessages> messages = nullptr);
    ~TOrvaMainForm() override;

    // Start-up in its fixed order; false when start-up must stop (the setup file is missing, or the
    // image server is missing and the setup file says to halt).
    bool FormCreate();
    void FocusTerminal();

    // Settings and registry.
    bool ReadSetupFile();
    void WriteRegistrySettings();
    bool CheckImageServer();

    // Opens the results editor on a report message from the host.
    void showeditor(const QByteArray &reportMessage);
    // The dictation window on an audio task message: opened through window modality when the task
    // says "KX_SHOWMODAL~1", never a nested event loop.
    void OpenDictationTask(const QByteArray &reportMessage);
    // "Audio Playback": the dictation window again, or a PLAYBACK task of its own.
    void SHowAudioBtnClick();
    // Client command "ORVAAUDIO" "PLAYFROM"; false without a dictation window that can play.
    bool SetDictationPlayPosition(int milliseconds);
    // The dictation window, created on first use; null until then.
    TwpAudioForm *AudioForm() const { return m_audioForm; }
    // The dictation window's player and HID access (tests give stand-ins); before its first use.
    void SetDictationFactories(TwpAudioForm::PlayerFactory players,
                               TDictationDevices::BackendFactory backends);
    // The one upload queue the results editor shares with dictation.
    HostSendQueue &SendQueue() const { return *m_sendQueue; }

    // Window shapes.
    void LayoutMenuBar();
    void SizeToTerminal();
    void CollapseToMenuBar();
    void ExpandToWorkArea();
    void ShowTerminal();
    void CleanWorkFiles();

    // Menu items and buttons.
    void LoginStateClick();
    void LoginAsClick();
    void LogontoNewsystem1Click();
    void NoLinkLightClick();
    void CloseSpeedClick();
    void MinimiseSpeedClick();
    void ExitButtonClick();
    void FontupbuttonClick();
    void FontDownbuttonClick();
    void ForecolourClick();
    void backcolourClick();
    void ImageDisplayOptionToolBtnClick();
    void SmartMouseClick();
    void ResetPendraBtnClick();
    void MainBarPopUpPopup();

    // Request images: the request box, the screen watcher and the host's lists.
    void RowseekTimerTimer();
    void ReqNumKeyPress();
    void FormButtonClick();
    void ShowRequestImages();
    // The detached window comes later: the list is shown in the main window (and traced).
    void ShowInDetachedWindow(const QByteArray &listText);
    bool LoadRequestImages();
    void ViewImageClick();
    void ResetImagePosition1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The pipeline's view of the window (terminal, link, transfer panel, editor, boxes).
    friend class MainFormSinks;

    void buildMenuBar();
    void buildTerminalArea();
    void buildImageArea();
    void buildPopupMenu();
    void wireConnection();
    QToolButton *addToolButton(const QString &name, const QString &hint, const QString &glyph);
    QToolButton *toolButton(const QString &objectName) const;
    void traceUnbuilt(const QString &control);
    void readRegistry();
    void applySettingsToTerminal();
    void applyTerminalFont();
    void setFontSize(int size);
    QRect workArea() const;
    QRect desktop() const;
    int MenuBarHeight() const;
    int ToolBarHeight() const;
    void placeWindow(const QPoint &topLeft, const QSize &size);
    bool menuBarDrag(QObject *watched, QEvent *event);
    bool menuBarKey(QKeyEvent *event);
    void returnFromImages();
    void Telnet1Receive();
    THostAbbreviationAccess hostAbbreviationAccess();
    TwpAudioForm &audioForm();
    // The upload of a dictation ended without the host filing it: the task is shown again.
    void dictationTransferFailed(const QString &text);
    QByteArray CurrentLoginConversation() const;

    // Declared first, so that they are the last members to go; the children that refer to them
    // (the editor, the image area, the connection) do not call on them while they are deleted.
    std::unique_ptr<UserMessages> m_messages;
    HostLink *m_telnet = nullptr;
    std::unique_ptr<HostSendQueue> m_sendQueue;
    std::unique_ptr<MainFormSinks> m_sinks;
    // Declared after the sinks it calls, so that it goes first.
    std::unique_ptr<ReceivePipeline> m_pipeline;

    QStringList m_arguments;
    TOrvaSettings m_settings;
    QString m_setupFileName;
    QString m_previousSetupFileName;
    QString m_programDir;
    bool m_created = false;
    int m_windowLeft = 0;
    int m_windowTop = 0;
    int m_windowWidthValue = 0;
    int m_fontSize = 12;
    QString m_fontName;
    bool m_smartMouse = false;
    bool m_detachedImages = false;
    bool m_invertDetachedPrint = false;
    bool m_dragging = false;
    QPoint m_dragOrigin;
    bool m_lastRequestFromReqNum = false;
    bool m_rowseekBusy = false;

    ConnectionController *m_connection = nullptr;
    QPointer<TWPForm> m_wpForm;
    QPointer<TwpAudioForm> m_audioForm;
    TwpAudioForm::PlayerFactory m_audioPlayers;
    TDictationDevices::BackendFactory m_hidBackends;
    QTimer *m_rowseekTimer = nullptr;
    QFrame *m_menuPanel = nullptr;
    QLineEdit *m_reqNum = nullptr;
    QPushButton *m_formButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    QLabel *m_orvaLabel = nullptr;
    QLabel *m_imageLabel = nullptr;
    QLabel *m_linkLight = nullptr;
    QLabel *m_noLinkLight = nullptr;
    QToolButton *m_minimiseSpeed = nullptr;
    QToolButton *m_closeSpeed = nullptr;
    QComboBox *m_imageNameListBox = nullptr;
    RequestImagePanel *m_viewPanel = nullptr;
    QWidget *m_vtPanel = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    TVtTerminalEx *m_terminal = nullptr;
    QFrame *m_transferPanel = nullptr;
    QProgressBar *m_docProgressBar = nullptr;
    QMenu *m_mainBarPopUp = nullptr;
    QMenu *m_vtPopup = nullptr;
    QAction *m_loginState = nullptr;
    QAction *m_loginAs = nullptr;
    QAction *m_logonNewSystem = nullptr;
    QAction *m_resetImagePosition = nullptr;
};
