// The main window: a menu bar with the request box and link lights, the terminal with its tool bar,
// and the image area. It reads the settings and wires the host link, the connection
// (ConnectionController), the receive pipeline and its parts, each a class of its own: the widgets
// (MainWindowUi), the shapes (MainWindowShapes), the request box and its images (RequestBox), the
// terminal's keys (TerminalKeys) and tools (TerminalTools), the pop-up menu (MainBarMenu) and the
// editor and dictation windows (EditorAndDictation). The window keeps its own names and delegates.
#pragma once

#include "app/MainWindowUi.h"
#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "editor/report/HostRequests.h"
#include "imaging/detached/TDetachedImageHost.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class ConnectionController;
class TTextAttForm;
class SettingsHost;
class HostSendQueue;
class KeyMap;
class LocalCapture;
class QPrinter;
class PrinterDiscovery;
class RawPrintQueue;
class TExportForm;
class MainFormSinks;
class MainWindowShapes;
class ReceivePipeline;
class RequestBox;
class MainBarMenu;
class TerminalTools;
class TerminalKeys;
class EditorAndDictation;
struct EditorFolders;
class RequestImagePanel;
class TDictationKeyTarget;
class TVtTerminalEx;
class TWPForm;
namespace orva::imaging {
class TDetachedImageForm;
class TImageKeyTarget;
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
    void FocusTerminal();

    // Settings and registry.
    bool ReadSetupFile();
    void WriteRegistrySettings();
    bool CheckImageServer();

    // Opens the results editor on a report message (the host's, or the last one again) and hides the
    // main window while the editor is up.
    void showeditor(const QByteArray &reportMessage);
    void WPEditButtonClick();
    // Shows the host-forms window once the host has made it.
    void ToolButton11Click();
    // The dictation window on an audio task message: opened through window modality when the task
    // says "KX_SHOWMODAL~1", never a nested event loop.
    void OpenDictationTask(const QByteArray &reportMessage);
    // "Audio Playback": the dictation window again, or a PLAYBACK task of its own.
    void SHowAudioBtnClick();
    // Client command "ORVAAUDIO" "PLAYFROM"; false without a dictation window that can play.
    bool SetDictationPlayPosition(int milliseconds);
    // The dictation window, created on first use; null until then.
    TwpAudioForm *AudioForm() const;
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
    void About1Click();
    void AdvancedbuttonClick();
    TTextAttForm *TextAttForm() const { return m_textAttForm; }
    const ReceivePipeline *Pipeline() const { return m_pipeline.get(); }
    ReceivePipeline *Pipeline() { return m_pipeline.get(); }
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

    // Capture, screen print, export and import (the tool bar), copy and paste (the terminal's menu),
    // text dropped on the terminal, and the smart mouse.
    void FileCapturebuttonClick();
    // The printers are looked up away from the window first; the print dialog follows when the print
    // server has answered.
    void PrintTextButtonClick();
    // The screen print on a printer the user has chosen; false when it could not be printed.
    bool PrintScreenText(QPrinter &printer);
    void ToolButton5Click();
    void ToolButton6Click();
    void CopyClick();
    void PasteClick();
    void VtTerminal1SmartMouseClick(int button, int shift, const QByteArray &text);
    // The terminal's key-down handling (virtual-key code, shift state) that the smart mouse runs for
    // Enter after its digits: the key map's VtTerminal1KeyDown unless a test puts its own.
    using KeyDownPath = std::function<void(int &key, int shift)>;
    void setKeyDownPath(KeyDownPath path);

    // Request images: the request box, the screen watcher and the host's lists.
    void RowseekTimerTimer();
    void ReqNumKeyPress();
    void FormButtonClick();
    void ShowRequestImages();
    // Shows one request number, or a list with a comma after each, in the detached image window
    // (made on first use, owned by this window and kept).
    void ShowInDetachedWindow(const QByteArray &listText);
    bool LoadRequestImages();
    void ViewImageClick();
    void ResetImagePosition1Click();

    // What the detached image window needs of this window: the image sources, the mask in use and
    // the no-image name; the source in use; the negative-print option; the user's boxes.
    ImageList::TImageListSettings ImageListSettings() const override;
    void SetCurrentImageSource(const QString &source) override;
    bool InvertDetachedPrint() const override { return m_invertDetachedPrint; }
    void SetInvertDetachedPrint(bool on) override { m_invertDetachedPrint = on; }
    UserMessages &Messages() const override { return *m_messages; }
    bool ImageTools() const override { return m_settings.ImageTools; }

    // Keys in the terminal: a key with a virtual-key code goes through the key map first (the key's
    // low byte, the shift state with held mouse buttons); a key the map takes is set to 0, so it types
    // nothing. Also the way in for the smart mouse (Enter with no modifier).
    void VtTerminal1KeyDown(int &key, int shift);
    // The key map on one key press: 0 when an entry took the key, else the key.
    int MapKeyPress(int key, int shift);
    // The detached image window's key actions (codes 0 to 256), only while it is visible.
    void doImageKey(int code);
    // Stand-ins, for tests, in place of the detached image window and the dictation window.
    void SetImageKeyTarget(std::unique_ptr<orva::imaging::TImageKeyTarget> target);
    void SetDictationKeyTarget(std::unique_ptr<TDictationKeyTarget> target);
    // Ends the selection hold and clears the terminal's selection (a key, copy, paste, smart mouse).
    void EndSelectionHold();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectButtons();
    void buildImageArea();
    void wireConnection();
    void readRegistry();
    void applySettingsToTerminal();
    void reportUnmappedPaths();
    void applyTerminalFont();
    void loadCharSetTable();
    void setFontSize(int size);
    void Telnet1Receive();
    EditorFolders editorFolders() const;

    // Declared first, so that they are the last members to go; the children that refer to them
    // (the editor, the image area, the connection) do not call on them while they are deleted.
    std::unique_ptr<UserMessages> m_messages;
    std::unique_ptr<SettingsHost> m_settingsHost;
    TTextAttForm *m_textAttForm = nullptr;
    HostLink *m_telnet = nullptr;
    std::unique_ptr<HostSendQueue> m_sendQueue;
    std::unique_ptr<MainFormSinks> m_sinks;
    // Declared after the sinks it calls, so that it goes first.
    std::unique_ptr<ReceivePipeline> m_pipeline;

    MainWindowUi m_ui;
    std::unique_ptr<MainWindowShapes> m_shapes;
    QStringList m_arguments;
    TOrvaSettings m_settings;
    QString m_setupFileName;
    QString m_previousSetupFileName;
    QString m_programDir;
    bool m_created = false;
    int m_fontSize = 12;
    QString m_fontName;
    bool m_invertDetachedPrint = false;

    ConnectionController *m_connection = nullptr;
    RequestBox *m_requestBox = nullptr;
    MainBarMenu *m_mainBarMenu = nullptr;
    TerminalTools *m_tools = nullptr;
    TerminalKeys *m_keys = nullptr;
    EditorAndDictation *m_editors = nullptr;
    RawPrintQueue *m_rawPrint = nullptr;
};
