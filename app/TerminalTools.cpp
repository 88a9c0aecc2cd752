// The terminal's tool bar and pop-up menu actions.
#include "app/TerminalTools.h"

#include "app/MainWindowUi.h"
#include "app/ScreenPrint.h"
#include "app/TOrvaMainForm.h"
#include "app/TerminalClipboard.h"
#include "app/capture/LocalCapture.h"
#include "app/export/TExportForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/LocalPath.h"
#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "common/WinColor.h"
#include "platform/hostlink/HostLink.h"
#include "platform/modal/ModalDialog.h"
#include "platform/modal/StandardDialogs.h"
#include "platform/print/PrinterDiscovery.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolButton>

namespace {
// The Enter key's virtual-key code, as the key-down handling knows keys.
constexpr int kEnterKey = 0x0D;
} // namespace

TerminalTools::TerminalTools(TOrvaMainForm &window, const MainWindowUi &ui, const TOrvaSettings &settings,
                             HostLink &link, UserMessages &messages, const QString &programDir)
    : QObject(&window), m_window(window), m_ui(ui), m_settings(settings), m_link(link), m_messages(messages),
      m_programDir(programDir), m_capture(std::make_unique<LocalCapture>()) {
    m_printerDiscovery = new PrinterDiscovery(this);
    connect(m_printerDiscovery, &PrinterDiscovery::finished, this,
            [this](PrinterDiscovery::Outcome outcome, const QStringList &, const QString &error) {
                printOnChosenPrinter(outcome, error);
            });
    buildPopupMenu();
    // The smart mouse's Enter goes the way a typed key goes: the key map first.
    m_keyDownPath = [this](int &key, int shift) { m_window.VtTerminal1KeyDown(key, shift); };
    connect(m_ui.terminal, &TVtTerminalEx::smartMouseClick, this,
            [this](int, int, const QByteArray &text) { VtTerminal1SmartMouseClick(text); });
    connect(m_ui.terminal, &TVtCustomTerminal::textDropped, this, &TerminalTools::sendAsPasted);
}

TerminalTools::~TerminalTools() = default;

void TerminalTools::buildPopupMenu() {
    QMenu *popup = new QMenu(&m_window);
    popup->setObjectName(QStringLiteral("VTPopup"));
    QAction *copy = popup->addAction(QStringLiteral("&Copy"), this, &TerminalTools::CopyClick);
    copy->setObjectName(QStringLiteral("Copy1"));
    popup->addAction(QStringLiteral("&Paste"), this, &TerminalTools::PasteClick)
        ->setObjectName(QStringLiteral("Paste1"));
    popup->addAction(QStringLiteral("&View Image"), &m_window, &TOrvaMainForm::ViewImageClick)
        ->setObjectName(QStringLiteral("ViewImage1"));
    connect(popup, &QMenu::aboutToShow, this,
            [this, copy] { copy->setEnabled(!m_ui.terminal->GetSelectedText().isEmpty()); });
    m_ui.terminal->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui.terminal, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint &pos) { popup->popup(m_ui.terminal->mapToGlobal(pos)); });
}

void TerminalTools::FileCapturebuttonClick() {
    m_capture->ButtonClick(m_messages);
    const ReceivePipeline *pipeline = m_window.Pipeline();
    ShowCaptureButton(pipeline && pipeline->hostCaptureOn());
}

void TerminalTools::ShowCaptureButton(bool hostCaptureOn) {
    m_ui.toolButton(QStringLiteral("FileCapturebutton"))->setChecked(m_capture->isOn() || hostCaptureOn);
}

void TerminalTools::PrintTextButtonClick() {
    if (!m_printerDiscovery->running()) {
        m_busyCursor.emplace(QCursor(Qt::BusyCursor));
        m_printerDiscovery->start();
    }
}

void TerminalTools::printOnChosenPrinter(PrinterDiscovery::Outcome outcome, const QString &error) {
    m_busyCursor.reset();
    // Without a print server at all the dialog still offers printing to a file.
    if (outcome == PrinterDiscovery::Outcome::Silent) {
        m_messages.error(QStringLiteral("Print Screen"),
                         QStringLiteral("The screen was not printed.\n") + error);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Orva Screen Dump."));
    QPrintDialog dialog(&printer, &m_window);
    if (RunModalDialog(dialog) == QDialog::Accepted && !PrintScreenText(printer)) {
        m_messages.error(QStringLiteral("Print Screen"), QStringLiteral("The screen could not be printed."));
    }
}

bool TerminalTools::PrintScreenText(QPrinter &printer) {
    printer.setDocName(QStringLiteral("Orva Screen Dump."));
    QList<QByteArray> rows;
    for (int row = 1; row <= m_ui.terminal->Rows(); ++row) {
        rows.append(m_ui.terminal->GetRowText(row));
    }
    return ScreenPrint::PrintRows(printer, m_ui.terminal->terminalFont(), rows);
}

TExportForm *TerminalTools::exportForm() {
    if (!m_exportForm) {
        m_exportForm = new TExportForm(m_link, m_messages, m_programDir, &m_window);
        // The host writes an import through its capture: the file the user chose is allowed for as
        // long as that import runs.
        connect(&m_exportForm->Transfer(), &ItemTransfer::activeChanged, this, [this](bool active) {
            const ItemTransfer &t = m_exportForm->Transfer();
            if (ReceivePipeline *pipeline = m_window.Pipeline()) {
                pipeline->commands().ImportTarget =
                    active && t.ImportMode()
                        ? QDir::cleanPath(QFileInfo(LocalPath::toLocalPath(t.WinFile())).absoluteFilePath())
                        : QString();
            }
        });
    }
    // The codes of the setup file as it reads now.
    m_exportForm->setCodes(ItemTransfer::Codes::fromSetup(m_settings));
    return m_exportForm;
}

void TerminalTools::ToolButton5Click() {
    exportForm()->ShowExport();
}

void TerminalTools::ToolButton6Click() {
    exportForm()->ShowImport();
}

ItemTransfer *TerminalTools::Transfer() const {
    return m_exportForm ? &m_exportForm->Transfer() : nullptr;
}

void TerminalTools::CopyClick() {
    if (m_ui.terminal->GetSelectedText().isEmpty()) {
        return;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    m_ui.terminal->CopyToClipboard();
    const QString copied = clipboard->text();
    const QString text = TerminalClipboard::CopiedText(copied);
    if (text != copied) {
        clipboard->setText(text);
    }
    m_window.EndSelectionHold();
}

void TerminalTools::PasteClick() {
    sendAsPasted(QGuiApplication::clipboard()->text());
}

void TerminalTools::sendAsPasted(const QString &text) {
    const QByteArray bytes = TerminalClipboard::PasteBytes(text);
    if (!bytes.isEmpty()) {
        m_link.Send(bytes);
    }
    m_window.EndSelectionHold();
}

void TerminalTools::VtTerminal1SmartMouseClick(const QByteArray &text) {
    if (m_link.State() != LinkState::Connected) {
        return;
    }
    m_link.Send(text + '\r');
    // Then as the Enter key pressed without a modifier.
    int key = kEnterKey;
    m_keyDownPath(key, 0);
}

void TerminalTools::SetSmartMouse(bool on) {
    m_smartMouse = on;
    m_ui.toolButton(QStringLiteral("SmartMouse"))->setChecked(on);
    m_ui.terminal->setSmartMouseClicks(on);
}

void TerminalTools::ForecolourClick() {
    const QColor c = AskColour(&m_window, bgrToQColor(m_ui.terminal->ForeColor()));
    if (c.isValid()) {
        m_ui.terminal->SetForeColor(qColorToBgr(c));
    }
}

void TerminalTools::backcolourClick() {
    const QColor c = AskColour(&m_window, bgrToQColor(m_ui.terminal->DefBackColor()));
    if (c.isValid()) {
        m_ui.terminal->SetDefBackColor(qColorToBgr(c));
    }
}
