// What the terminal's tool bar and its pop-up menu do: the user's capture, the screen print, export
// and import of host items, copy and paste, text dropped on the terminal, the smart mouse and the
// terminal's colours.
#pragma once

#include "common/WaitCursor.h"
#include "platform/print/PrinterDiscovery.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class HostLink;
class ItemTransfer;
class LocalCapture;
class QPrinter;
class TExportForm;
class TOrvaMainForm;
class UserMessages;
struct MainWindowUi;
struct TOrvaSettings;

class TerminalTools : public QObject {
public:
    // `settings` and `programDir` are the window's, which outlives this.
    TerminalTools(TOrvaMainForm &window, const MainWindowUi &ui, const TOrvaSettings &settings,
                  HostLink &link, UserMessages &messages, const QString &programDir);
    ~TerminalTools() override;

    void FileCapturebuttonClick();
    // The capture button stays down while the user's capture or the host's runs.
    void ShowCaptureButton(bool hostCaptureOn);
    LocalCapture &Capture() const { return *m_capture; }
    // The screen print: the printers are looked for first, away from the event loop.
    void PrintTextButtonClick();
    bool PrintScreenText(QPrinter &printer);
    // Export and import, through the export form (made on first use).
    void ToolButton5Click();
    void ToolButton6Click();
    // The export or import of the export form; null before the form exists.
    ItemTransfer *Transfer() const;
    void CopyClick();
    void PasteClick();
    void VtTerminal1SmartMouseClick(const QByteArray &text);
    bool SmartMouse() const { return m_smartMouse; }
    void SetSmartMouse(bool on);
    void ForecolourClick();
    void backcolourClick();

    // The terminal's key-down handling that the smart mouse runs for Enter after its digits.
    using KeyDownPath = std::function<void(int &key, int shift)>;
    void SetKeyDownPath(KeyDownPath path) { m_keyDownPath = std::move(path); }

private:
    void buildPopupMenu();
    void sendAsPasted(const QString &text);
    void printOnChosenPrinter(PrinterDiscovery::Outcome outcome, const QString &error);
    TExportForm *exportForm();

    TOrvaMainForm &m_window;
    const MainWindowUi &m_ui;
    const TOrvaSettings &m_settings;
    HostLink &m_link;
    UserMessages &m_messages;
    const QString &m_programDir;
    std::unique_ptr<LocalCapture> m_capture;
    PrinterDiscovery *m_printerDiscovery = nullptr;
    // Busy while the printers are looked up.
    std::optional<WaitCursor> m_busyCursor;
    QPointer<TExportForm> m_exportForm;
    KeyDownPath m_keyDownPath;
    bool m_smartMouse = false;
};
