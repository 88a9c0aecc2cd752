// The main window: a menu bar with the request box and link lights, the terminal with its tool bar,
// and the image area; it owns the host link, reads the settings and runs the connect timer.
#pragma once

#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "imaging/detached/TDetachedImageHost.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QKeyEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class HostSendQueue;
class MainFormSinks;
class TWPForm;
class ReceivePipeline;
class TVtTerminalEx;
class QPrinter;
class QScrollBar;
namespace orva::imaging {
class TDetachedImageForm;
class TMultiImage;
} // namespace orva::imaging

class TOrvaMainForm : public QWidget, public orva::imaging::TDetachedImageHost {
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
    void FormShow();

    // Settings and registry.
    bool ReadSetupFile();
    void WriteRegistrySettings();
    const TOrvaSettings &Settings() const { return m_settings; }
    QString SetupFileName() const { return m_setupFileName; }

    // Link.
    void ConnectToHost();
    void Disconnect();
    void Timer1Timer();
    void Telnet1State(LinkState state);
    void Telnet1Error(int number, const QString &description);
    void Telnet1Receive();
    bool CheckImageServer();
    // Opens the results editor on a report message from the host.
    void showeditor(const QByteArray &reportMessage);
    QByteArray LastReportMessage() const { return m_lastReportMessage; }
    // The results editor (created on the first report) and the one upload queue it shares with
    // dictation.
    TWPForm *WPForm() const;
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

    // State read by tests and by later parts of the session.
    HostLink *Telnet1() const { return m_telnet; }
    TVtTerminalEx *VtTerminal1() const { return m_terminal; }
    QTimer *Timer1() const { return m_timer1; }
    QLabel *ImageLabel() const { return m_imageLabel; }
    QLabel *LinkLight() const { return m_linkLight; }
    QLabel *NoLinkLight() const { return m_noLinkLight; }
    QLineEdit *ReqNum() const { return m_reqNum; }
    QPushButton *FormButton() const { return m_formButton; }
    QPushButton *ExitButton() const { return m_exitButton; }
    QWidget *ViewPanel() const { return m_viewPanel; }
    QWidget *VTpanel() const { return m_vtPanel; }
    QFrame *TransferPanel() const { return m_transferPanel; }
    QProgressBar *DocProgressBar() const { return m_docProgressBar; }
    ReceivePipeline *Pipeline() const { return m_pipeline.get(); }
    UserMessages &Messages() const override { return *m_messages; }
    QAction *LoginState() const { return m_loginState; }
    QAction *LoginAs() const { return m_loginAs; }
    QAction *LogontoNewsystem1() const { return m_logonNewSystem; }
    QAction *ResetImagePosition1() const { return m_resetImagePosition; }
    QToolButton *toolButton(const QString &objectName) const;
    QByteArray HostName() const { return m_hostName; }
    int HostPort() const { return m_hostPort; }
    int TerminalFontSize() const { return m_fontSize; }
    bool LoginAnswered() const;
    QByteArray CurrentLoginConversation() const;
    bool SmartMouseOn() const { return m_smartMouse; }
    bool DetachedImagesDefault() const { return m_detachedImages; }
    bool InvertDetachedPrint() const override { return m_invertDetachedPrint; }
    void SetInvertDetachedPrint(bool on) override { m_invertDetachedPrint = on; }
    QPoint RememberedPlace() const { return {m_windowLeft, m_windowTop}; }
    int MenuBarHeight() const;
    int ToolBarHeight() const;

    // ---- request images (the request box, the screen watcher and the image area) ----
    void RowseekTimerTimer();
    void ReqNumKeyPress();
    void FormButtonClick();
    void ShowRequestImages();
    // Shows one request number, or a list with a comma after each, in the detached image window
    // (made on first use and kept).
    void ShowInDetachedWindow(const QByteArray &listText);
    // The detached image window once made (the key map drives it), else null.
    orva::imaging::TDetachedImageForm *DetachedImageForm() const;
    // What the detached window lists from: the image sources, the mask in use, the no-image name.
    ImageList::TImageListSettings ImageListSettings() const override;
    void SetCurrentImageSource(const QString &source) override { m_currentSource = source; }
    bool LoadRequestImages();
    bool ShowImage(int index);
    // Flags of UpdateImageControls.
    enum ImageControlFlag { ShowZoomToolBar = 1, EnableImagePrint = 4 };
    void UpdateImageControls(int flags);
    void ViewFit();
    void ViewActualSize();
    void ViewToggleFit();
    void ViewZoomIn();
    void ViewZoomOut();
    void ViewRotate(bool clockwise);
    void ViewNext();
    void ViewPrevious();
    void PrintToolButtonClick();
    bool PrintImage(QPrinter &printer);
    void ViewImageClick();
    void NewSourceClick();
    void DefaultSourceClick();
    void ResetImagePosition1Click();
    orva::imaging::TMultiImage *ViewMultiImage() const { return m_viewMultiImage; }
    QComboBox *ImageNameListBox() const { return m_imageNameListBox; }
    QTimer *RowseekTimer() const { return m_rowseekTimer; }
    QLabel *ViewCounter() const { return m_viewCounter; }
    QToolBar *ZoomToolBar() const { return m_zoomToolBar; }
    QToolButton *PrintToolButton() const { return m_printToolButton; }
    QPushButton *PrevImageButton() const { return m_prevImage; }
    QPushButton *NextImageButton() const { return m_nextImage; }
    QMenu *VTPopup() const { return m_vtPopup; }
    QString CurrentImageSource() const { return m_currentSource; }
    QByteArray MaskInUse() const { return m_maskInUse; }
    int ImageIndex() const { return m_imageIndex; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenuBar();
    void buildTerminalArea();
    void buildPopupMenu();
    QToolButton *addToolButton(const QString &name, const QString &hint, const QString &glyph);
    void traceUnbuilt(const QString &control);
    void readRegistry();
    void applySettingsToTerminal();
    void applyTerminalFont();
    void setFontSize(int size);
    QRect workArea() const;
    QRect desktop() const;
    void placeWindow(const QPoint &topLeft, const QSize &size);
    void showLinkLight(bool up);
    void reportTimerFailure(const QString &step, const QString &what);

    QStringList m_arguments;
    QByteArray m_lastReportMessage;
    std::unique_ptr<UserMessages> m_messages;
    TOrvaSettings m_settings;
    QString m_setupFileName;
    QString m_previousSetupFileName;
    QString m_programDir;
    bool m_created = false;
    bool m_startPending = true;
    int m_connectWait = -1;
    QString m_connectCaption;
    QByteArray m_hostName;
    int m_hostPort = 23;
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

    std::unique_ptr<MainFormSinks> m_sinks;
    std::unique_ptr<HostSendQueue> m_sendQueue;
    QPointer<TWPForm> m_wpForm;
    std::unique_ptr<ReceivePipeline> m_pipeline;
    HostLink *m_telnet = nullptr;
    QTimer *m_timer1 = nullptr;
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
    QWidget *m_viewPanel = nullptr;
    QWidget *m_vtPanel = nullptr;
    QToolBar *m_toolBar1 = nullptr;
    TVtTerminalEx *m_terminal = nullptr;
    QFrame *m_transferPanel = nullptr;
    QProgressBar *m_docProgressBar = nullptr;
    QMenu *m_mainBarPopUp = nullptr;
    QAction *m_loginState = nullptr;
    QAction *m_loginAs = nullptr;
    QAction *m_logonNewSystem = nullptr;
    QAction *m_resetImagePosition = nullptr;

    // ---- request images ----
    void buildImageArea();
    bool imageAreaKey(QKeyEvent *event);
    bool imageAreaEvent(QObject *watched, QEvent *event);
    void returnFromImages();
    orva::imaging::TMultiImage *m_viewMultiImage = nullptr;
    QToolBar *m_zoomToolBar = nullptr;
    QToolButton *m_printToolButton = nullptr;
    QPushButton *m_prevImage = nullptr;
    QPushButton *m_nextImage = nullptr;
    QLabel *m_viewCounter = nullptr;
    QMenu *m_vtPopup = nullptr;
    QObject *m_imageKeyFilter = nullptr;
    QPointer<orva::imaging::TDetachedImageForm> m_detachedForm;
    QString m_currentSource;
    QByteArray m_maskInUse;
    int m_imageIndex = 0;
    QString m_imageDateText;
    bool m_rowseekBusy = false;
    QPoint m_imagePressAt;
};
