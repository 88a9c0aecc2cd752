// Main window: start-up order, the setup file and the registry, and the wiring of its parts: the window
// shapes, the request box, the terminal's keys and tools, the menus, the editor and dictation windows,
// the connection and the receive pipeline.
#include "app/TOrvaMainForm.h"

#include "app/ConnectionController.h"
#include "app/DialogMessages.h"
#include "app/EditorAndDictation.h"
#include "app/MainBarMenu.h"
#include "app/MainFormSinks.h"
#include "app/MainWindowLogic.h"
#include "app/MainWindowShapes.h"
#include "app/RequestBox.h"
#include "app/RequestImagePanel.h"
#include "app/SettingsHost.h"
#include "app/TerminalKeys.h"
#include "app/TerminalTools.h"
#include "app/export/ItemTransfer.h"
#include "app/pipeline/ReceivePipeline.h"
#include "app/settingsform/TTextAttForm.h"
#include "common/FileWait.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "dictation/keys/TDictationKeyTarget.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"
#include "imaging/media/MediaBackend.h"
#include "platform/print/CupsSpooler.h"
#include "platform/print/RawPrintQueue.h"
#include "platform/settings/TRegistry.h"
#include "platform/shell/TfrmHelpAbout.h"
#include "platform/telnet/TTelnet.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr std::uint32_t kDefaultFore = 0xFFFFFF;
constexpr std::uint32_t kDefaultBack = 0xFF0000;
constexpr int kMaxFontSize = 30;
constexpr int kMinFontSizeToShrink = 8;
} // namespace

TOrvaMainForm::TOrvaMainForm(const QStringList &arguments, HostLink *link,
                             std::unique_ptr<UserMessages> messages)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_messages(messages ? std::move(messages) : std::make_unique<DialogMessages>(this)),
      m_telnet(link ? link : new TTelnet(this)), m_shapes(std::make_unique<MainWindowShapes>(*this, m_ui)),
      m_arguments(arguments) {
    setWindowTitle(QStringLiteral("OrvaVT"));
    m_telnet->setParent(this);
    m_telnet->setObjectName(QStringLiteral("Telnet1"));
    m_telnet->setTermType("vt400");
    m_sendQueue = std::make_unique<HostSendQueue>(*m_telnet);
    m_editors = new EditorAndDictation(*this, m_ui, m_settings, *m_sendQueue, *m_messages);
    m_rawPrint = new RawPrintQueue(std::make_unique<CupsSpooler>(), this);
    m_rawPrint->setObjectName(QStringLiteral("RawPrint"));
    m_rawPrint->setDocumentTitle(QStringLiteral("Orva VT Raw Print"));
    connect(m_rawPrint, &RawPrintQueue::jobFailed, this, [this](const QString &reason) {
        // Not while a block is on its way to the screen: the posted box waits for the block's end.
        UserMessages &messages = m_sinks ? m_sinks->Messages() : *m_messages;
        messages.warning(QStringLiteral("Orva"),
                         QStringLiteral("The host sent a print job, but it could not be printed.\n") +
                             reason);
    });
    m_connection = new ConnectionController(*m_telnet, *m_messages, this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_ui.setupUi(this);
    m_ui.viewPanel = new RequestImagePanel(*m_ui.imageNameListBox, *m_messages, this);
    m_ui.viewPanel->hide();
    layout->addWidget(m_ui.menuPanel);
    layout->addWidget(m_ui.vtPanel, 1);
    layout->addWidget(m_ui.viewPanel, 1);
    connectButtons();
    buildImageArea();
    wireConnection();

    connect(m_telnet, &HostLink::OnReceive, this, &TOrvaMainForm::Telnet1Receive);
    connect(m_telnet, &HostLink::OnSend, this, [this] {
        if (m_pipeline) {
            m_pipeline->Telnet1Send();
        }
    });
    // A typed character goes to the host as one byte; keys without one only through the key map.
    connect(m_ui.terminal, &TVtTerminalEx::typed, this, [this](const QByteArray &bytes) {
        if (m_telnet->IsConnected()) {
            m_telnet->Send(bytes);
        }
    });
    // A rotate, deskew or effect that fails says so, whichever window asked for it.
    orva::imaging::SetEffectsFailureNotice([form = QPointer<TOrvaMainForm>(this)](const QString &text) {
        if (form) {
            form->m_messages->error(QStringLiteral("Image Effects"), text);
        }
    });
}

TOrvaMainForm::~TOrvaMainForm() {
    if (m_sinks)
        FileWait::SetMessages(nullptr);
}

void TOrvaMainForm::wireConnection() {
    ConnectionController *c = m_connection;
    connect(c, &ConnectionController::captionChanged, m_ui.imageLabel, &QLabel::setText);
    connect(c, &ConnectionController::linkLightChanged, this, [this](bool on) {
        m_ui.linkLight->setVisible(on);
        m_ui.noLinkLight->setVisible(!on);
    });
    connect(c, &ConnectionController::sizeToTerminal, this, &TOrvaMainForm::SizeToTerminal);
    connect(c, &ConnectionController::collapseToMenuBar, this, &TOrvaMainForm::CollapseToMenuBar);
    connect(c, &ConnectionController::settingsRequested, this, &TOrvaMainForm::AdvancedbuttonClick);
    connect(c, &ConnectionController::connecting, this, [this] {
        if (m_pipeline) {
            m_pipeline->connectionStarted();
        }
        m_ui.terminal->ClearAll();
        m_telnet->setWindowSize(m_ui.terminal->Columns(), m_ui.terminal->Rows());
    });
    connect(c, &ConnectionController::disconnected, this, &TOrvaMainForm::WriteRegistrySettings);
    connect(c, &ConnectionController::linkClosed, this, [this] { m_sendQueue->LinkDropped(); });
    connect(c, &ConnectionController::terminalText, this,
            [this](const QByteArray &text) { m_ui.terminal->WriteString(text); });
}

void TOrvaMainForm::connectButtons() {
    connect(m_ui.exitButton, &QPushButton::clicked, this, &TOrvaMainForm::ExitButtonClick);
    connect(m_ui.formButton, &QPushButton::clicked, this, &TOrvaMainForm::FormButtonClick);
    connect(m_ui.minimiseSpeed, &QToolButton::clicked, this, &TOrvaMainForm::MinimiseSpeedClick);
    connect(m_ui.closeSpeed, &QToolButton::clicked, this, &TOrvaMainForm::CloseSpeedClick);
    const struct {
        const char *name;
        void (TOrvaMainForm::*click)();
    } buttons[] = {
        {"Fontupbutton", &TOrvaMainForm::FontupbuttonClick},
        {"FontDownbutton", &TOrvaMainForm::FontDownbuttonClick},
        {"Forecolour", &TOrvaMainForm::ForecolourClick},
        {"backcolour", &TOrvaMainForm::backcolourClick},
        {"Advancedbutton", &TOrvaMainForm::AdvancedbuttonClick},
        {"FileCapturebutton", &TOrvaMainForm::FileCapturebuttonClick},
        {"PrintTextButton", &TOrvaMainForm::PrintTextButtonClick},
        {"ToolButton5", &TOrvaMainForm::ToolButton5Click},
        {"ToolButton6", &TOrvaMainForm::ToolButton6Click},
        {"WPEditButton", &TOrvaMainForm::WPEditButtonClick},
        {"SHowAudioBtn", &TOrvaMainForm::SHowAudioBtnClick},
        {"ImageDisplayOptionToolBtn", &TOrvaMainForm::ImageDisplayOptionToolBtnClick},
        {"SmartMouse", &TOrvaMainForm::SmartMouseClick},
        {"ResetPendraBtn", &TOrvaMainForm::ResetPendraBtnClick},
        {"ToolButton11", &TOrvaMainForm::ToolButton11Click},
    };
    for (const auto &b : buttons) {
        connect(m_ui.toolButton(QString::fromLatin1(b.name)), &QToolButton::clicked, this, b.click);
    }
    m_sendQueue->onProgress = [this](int position) { m_ui.docProgressBar->setValue(position); };
    m_sendQueue->onTransferLost = [this](bool audio) {
        m_ui.transferPanel->hide();
        QTimer::singleShot(0, this, [this, audio] {
            if (audio) {
                m_editors->DictationTransferFailed(
                    QStringLiteral("The link to the host was lost while the dictation was "
                                   "being sent. Please transmit it again when the link is back."));
                return;
            }
            m_editors->ReportTransferFailed(
                QStringLiteral("The link to the host was lost while the report was being sent. "
                               "Please Re-save when the link is back."));
        });
    };
}

void TOrvaMainForm::AdvancedbuttonClick() {
    if (!m_textAttForm) {
        m_settingsHost = std::make_unique<SettingsHost>(
            *this, m_ui, *m_connection, *m_telnet,
            SettingsHost::WindowFields{m_setupFileName, m_previousSetupFileName, m_fontName, m_fontSize},
            [this] { applyTerminalFont(); });
        m_textAttForm = new TTextAttForm(*m_settingsHost, *m_messages, this);
        // Sized to its pages before the first show: under X11 it otherwise opened as a sliver.
        m_textAttForm->adjustSize();
    }
    m_textAttForm->show();
    m_textAttForm->raise();
    m_textAttForm->activateWindow();
}

void TOrvaMainForm::About1Click() {
    HelpAbout::Show(this, HelpAbout::MainWindowLines(m_settings.ImageSources.value(0),
                                                     HostText::toUnicode(m_connection->HostName()),
                                                     m_setupFileName));
}

// ---- start-up ---------------------------------------------------------------------------------

bool TOrvaMainForm::FormCreate() {
    m_previousSetupFileName.clear();
    m_keys->Map().FillKeyNameTable();
    m_tools->SetSmartMouse(false);
    m_requestBox->SetDetachedImages(false);

    m_programDir = QCoreApplication::applicationDirPath();
    if (!m_programDir.endsWith(QLatin1Char('/'))) {
        m_programDir += QLatin1Char('/');
    }
    m_setupFileName = MainWindowLogic::SetupFilePath(
        m_arguments, m_programDir, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));

    m_shapes->ResetWidth();
    if (!ReadSetupFile()) {
        return false;
    }

    m_sinks = std::make_unique<MainFormSinks>(*this, MainFormSinks::Parts{m_ui, *m_telnet, *m_sendQueue,
                                                                          *m_rawPrint, *m_tools, *m_editors,
                                                                          m_settings, *m_messages});
    // A file that did not answer is told through the posted boxes: the wait may have run inside the
    // handling of the host's bytes.
    FileWait::SetMessages(&m_sinks->Messages());
    PipelineSettings pipelineSettings = PipelineSettings::fromSetup(m_settings, m_settings.CaptureDirectory);
    pipelineSettings.SwapIntercepts = m_keys->Map().SwapIntercepts();
    m_pipeline = std::make_unique<ReceivePipeline>(*m_sinks, std::move(pipelineSettings));
    LayoutMenuBar();
    m_ui.viewPanel->UpdateImageControls(RequestImagePanel::ShowZoomToolBar |
                                        RequestImagePanel::EnableImagePrint);
    readRegistry();
    applyTerminalFont();
    SizeToTerminal();
    m_ui.reqNum->clear();
    if (TVtVT100EmulatorEx *emulator = m_ui.terminal->EmulatorEx()) {
        emulator->SetCursorKeyAppMode(true);
        emulator->SetKeypadAppMode(true);
        emulator->SetAnsiMode(true);
    }
    loadCharSetTable();
    m_ui.terminal->setSmartMouseClicks(m_tools->SmartMouse());
    m_created = true;
    return true;
}

void TOrvaMainForm::loadCharSetTable() {
    if (TVtVT100EmulatorEx *emulator = m_ui.terminal->EmulatorEx()) {
        emulator->CharSetMapping().LoadFromRes(m_settings.GraphicsFontResource == 1
                                                   ? QStringLiteral("VT100CharSet_LUCON")
                                                   : QStringLiteral("VTCharSet100"));
    }
}

void TOrvaMainForm::FocusTerminal() {
    m_ui.terminal->setFocus();
}

void TOrvaMainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    m_connection->FormShow();
}

bool TOrvaMainForm::ReadSetupFile() {
    QFile file(m_setupFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!m_previousSetupFileName.isEmpty()) {
            m_messages->error(QStringLiteral("Setup File Error"),
                              QStringLiteral("Unable to read ") + m_setupFileName + QStringLiteral(".\n\r") +
                                  QStringLiteral("Orva will reload default"));
            m_setupFileName = std::exchange(m_previousSetupFileName, QString());
            return ReadSetupFile();
        }
        m_messages->error(QStringLiteral("Setup File Error"),
                          QStringLiteral("The Setup file ") + m_setupFileName +
                              QStringLiteral(" is missing.\n\r") + QStringLiteral("Orva will close"));
        return false;
    }
    m_settings = SetupFile::Parse(file.readAll(), m_programDir);
    // A re-read replaces the key map and the swap intercepts the pipeline applies.
    const QStringList problems = m_settings.Problems + m_keys->Map().Load(m_settings);
    for (const QString &problem : problems) {
        qCWarning(orvaSetup).noquote() << m_setupFileName + QStringLiteral(": ") + problem;
    }
    if (m_pipeline) {
        PipelineSettings pipelineSettings =
            PipelineSettings::fromSetup(m_settings, m_settings.CaptureDirectory);
        pipelineSettings.SwapIntercepts = m_keys->Map().SwapIntercepts();
        m_pipeline->setSettings(std::move(pipelineSettings));
    }
    reportUnmappedPaths();
    LocalPath::SetPathMap(m_settings.PathMap);
    // Scans go under the setup file's folder; without one the viewer refuses to scan.
    orva::imaging::SetScanDirectory(m_settings.ScanDirectory);
    // Only what the media backend here can open goes to the player (and into the open dialog's filter).
    orva::imaging::SetMciExtensions(orva::imaging::PlayableMciExtensions(m_settings.MciExtensions));
    m_rawPrint->setPrinterName(m_settings.PrinterName);
    m_ui.viewPanel->setSettings(m_settings);
    m_connection->setSetupFileName(m_setupFileName);
    m_connection->setImagesConfigured(!m_settings.ImageSources.value(0).isEmpty());
    m_connection->setHost(m_settings.HostName, m_settings.HostPort);

    if (!m_created) {
        m_shapes->ResetPosition();
    }
    m_shapes->ResetWidth();
    applySettingsToTerminal();
    if (m_created) {
        loadCharSetTable();
    }
    if (m_shapes->Desktop().width() <= 799) {
        m_fontSize = 10;
    }

    const bool hasSource = !m_settings.ImageSources.value(0).isEmpty();
    m_ui.formButton->setVisible(hasSource);
    m_ui.exitButton->setVisible(hasSource);
    m_ui.reqNum->setVisible(hasSource);
    m_ui.imageNameListBox->setVisible(hasSource);

    if (!m_telnet->IsConnected() && !CheckImageServer()) {
        return false;
    }
    return true;
}

// A Windows path that no pathmap line translates would name a place nobody meant; it is said once,
// when the setup file is read.
void TOrvaMainForm::reportUnmappedPaths() {
    if (m_settings.UnmappedPaths.isEmpty()) {
        return;
    }
    for (const QString &line : m_settings.UnmappedPaths) {
        ORVA_TRACE(QStringLiteral("setup path not mapped"), line);
    }
    m_messages->warning(QStringLiteral("Setup File"),
                        QStringLiteral("No pathmap line in ") + m_setupFileName +
                            QStringLiteral(" translates these Windows paths:\r\n") +
                            m_settings.UnmappedPaths.join(QStringLiteral("\r\n")) +
                            QStringLiteral("\r\n\r\nAdd a line such as \"pathmap = \\\\server\\share => "
                                           "/mnt/share\" for each. Until then work files are kept in ") +
                            m_settings.ResultDirectory);
}

void TOrvaMainForm::applySettingsToTerminal() {
    const QByteArray fore =
        m_settings.ForegroundColors.isEmpty() ? m_ui.terminal->foreColorText() : m_settings.ForegroundColors;
    const QByteArray back =
        m_settings.BackgroundColors.isEmpty() ? m_ui.terminal->backColorText() : m_settings.BackgroundColors;
    const QByteArray bold = m_settings.BoldForegroundColors.isEmpty() ? m_ui.terminal->boldColorText()
                                                                      : m_settings.BoldForegroundColors;
    m_ui.terminal->setColorTexts(fore, back, bold);
    m_ui.terminal->setScrollbackRows(500);
    m_ui.terminal->setScrollback(m_settings.ScrollLines != 0);
    if (TVtVT100EmulatorEx *emulator = m_ui.terminal->EmulatorEx()) {
        emulator->IgnoreGraphicsFont = !m_settings.UseGraphicsFont;
    }
}

bool TOrvaMainForm::CheckImageServer() {
    return m_requestBox->CheckImageServer(m_created);
}

void TOrvaMainForm::readRegistry() {
    const TRegistry reg(kOrvaSettingsKey);
    if (reg.KeyExists()) {
        m_ui.terminal->SetDefForeColor(
            static_cast<std::uint32_t>(reg.ReadInteger(QStringLiteral("ForeColor"), kDefaultFore)));
        m_ui.terminal->SetDefBackColor(
            static_cast<std::uint32_t>(reg.ReadInteger(QStringLiteral("BackColor"), kDefaultBack)));
        m_fontName = reg.ReadString(QStringLiteral("FontName"));
        if (m_fontName.isEmpty()) {
            m_fontName = QStringLiteral("OrvaVT Courier New");
        }
        m_fontSize = reg.ReadInteger(QStringLiteral("FontSize"), m_fontSize);
        m_shapes->ReadPlace(reg);
        m_invertDetachedPrint = reg.ReadBool(QStringLiteral("InvertDetachedImagePrint"), false);
        m_tools->SetSmartMouse(reg.ReadBool(QStringLiteral("SmartMouseEnabled"), false));
        m_requestBox->SetDetachedImages(reg.ReadBool(QStringLiteral("DetachedImageDefault"), false));
    } else {
        m_ui.terminal->SetDefForeColor(kDefaultFore);
        m_ui.terminal->SetDefBackColor(kDefaultBack);
        m_shapes->ResetWidth();
        m_shapes->ResetPosition();
        m_fontName = QStringLiteral("Orva VT");
        m_fontSize = 12;
    }
    m_ui.toolButton(QStringLiteral("ImageDisplayOptionToolBtn"))->setChecked(m_requestBox->DetachedImages());
}

void TOrvaMainForm::WriteRegistrySettings() {
    TRegistry reg(kOrvaSettingsKey);
    reg.WriteInteger(QStringLiteral("ForeColor"), static_cast<int>(m_ui.terminal->DefForeColor()));
    reg.WriteInteger(QStringLiteral("BackColor"), static_cast<int>(m_ui.terminal->DefBackColor()));
    reg.WriteString(QStringLiteral("FontName"), m_fontName);
    reg.WriteInteger(QStringLiteral("FontSize"), m_fontSize);
    m_shapes->WritePlace(reg);
    reg.WriteBool(QStringLiteral("SmartMouseEnabled"), m_tools->SmartMouse());
    reg.WriteBool(QStringLiteral("InvertDetachedImagePrint"), m_invertDetachedPrint);
    reg.WriteBool(QStringLiteral("DetachedImageDefault"), m_requestBox->DetachedImages());
    if (!reg.Flush()) {
        ORVA_TRACE(QStringLiteral("registry write"), QStringLiteral("failed"));
    }
}

void TOrvaMainForm::applyTerminalFont() {
    QFont font(m_fontName);
    font.setPointSize(m_fontSize);
    const std::uint32_t fore = m_ui.terminal->DefForeColor();
    m_ui.terminal->setTerminalFont(font);
    m_ui.terminal->SetDefForeColor(fore);
    m_telnet->setWindowSize(m_ui.terminal->Columns(), m_ui.terminal->Rows());
}

// ---- link ---------------------------------------------------------------------------------------

void TOrvaMainForm::Telnet1Receive() {
    const QByteArray block = m_telnet->Receive();
    if (block.isEmpty()) {
        return;
    }
    if (m_pipeline) {
        m_pipeline->process(block);
    } else {
        m_ui.terminal->WriteString(block);
    }
}

EditorFolders TOrvaMainForm::editorFolders() const {
    EditorFolders folders;
    folders.TemplateDirectory = m_settings.TemplateDirectory;
    folders.AbbreviationDirectory = m_settings.AbbreviationDirectory;
    folders.ResultDirectory = m_settings.ResultDirectory;
    folders.ProgramDirectory = m_programDir;
    folders.ShowWarnings = m_settings.ShowWarnings;
    folders.CustomDictionary = m_settings.CustomDictionary;
    folders.PrimaryHost = HostText::toUnicode(m_settings.HostName);
    folders.ConfigurationFile = m_setupFileName;
    return folders;
}

void TOrvaMainForm::showeditor(const QByteArray &reportMessage) {
    m_editors->ShowEditor(reportMessage, editorFolders());
}

void TOrvaMainForm::WPEditButtonClick() {
    if (m_sinks) {
        m_sinks->SetBusyCursor(false);
    }
    m_editors->WPEditButtonClick(editorFolders());
}

void TOrvaMainForm::ToolButton11Click() {
    if (m_sinks && m_sinks->HostForms()) {
        m_sinks->HostForms()->show();
        m_sinks->HostForms()->raise();
    }
}

void TOrvaMainForm::SetDictationFactories(TwpAudioForm::PlayerFactory players,
                                          TDictationDevices::BackendFactory backends) {
    m_editors->SetDictationFactories(std::move(players), std::move(backends));
}

TwpAudioForm *TOrvaMainForm::AudioForm() const {
    return m_editors->AudioForm();
}

void TOrvaMainForm::OpenDictationTask(const QByteArray &reportMessage) {
    m_editors->OpenDictationTask(reportMessage);
}

void TOrvaMainForm::SHowAudioBtnClick() {
    m_editors->SHowAudioBtnClick();
}

bool TOrvaMainForm::SetDictationPlayPosition(int milliseconds) {
    return m_editors->SetDictationPlayPosition(milliseconds);
}

// ---- window shapes ------------------------------------------------------------------------------

void TOrvaMainForm::LayoutMenuBar() {
    m_shapes->LayoutMenuBar();
}

void TOrvaMainForm::SizeToTerminal() {
    m_shapes->SizeToTerminal();
}

void TOrvaMainForm::CollapseToMenuBar() {
    m_shapes->CollapseToMenuBar();
}

void TOrvaMainForm::ExpandToWorkArea() {
    m_shapes->ExpandToWorkArea();
}

void TOrvaMainForm::ShowTerminal() {
    m_shapes->ShowTerminal(m_requestBox->LastRequestFromReqNum());
}

void TOrvaMainForm::ExitButtonClick() {
    if (m_telnet->IsConnected()) {
        SizeToTerminal();
    } else {
        CollapseToMenuBar();
    }
    ShowTerminal();
}

bool TOrvaMainForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_ui.noLinkLight && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        NoLinkLightClick();
        return true;
    }
    if (m_shapes->MenuBarDrag(watched, event)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- keys in the terminal ---------------------------------------------------------------------------

void TOrvaMainForm::VtTerminal1KeyDown(int &key, int shift) {
    m_keys->VtTerminal1KeyDown(key, shift);
}

int TOrvaMainForm::MapKeyPress(int key, int shift) {
    return m_keys->MapKeyPress(key, shift);
}

void TOrvaMainForm::doImageKey(int code) {
    m_keys->doImageKey(code);
}

void TOrvaMainForm::SetImageKeyTarget(std::unique_ptr<orva::imaging::TImageKeyTarget> target) {
    m_keys->SetImageKeyTarget(std::move(target));
}

void TOrvaMainForm::SetDictationKeyTarget(std::unique_ptr<TDictationKeyTarget> target) {
    m_keys->SetDictationKeyTarget(std::move(target));
}

void TOrvaMainForm::EndSelectionHold() {
    m_keys->EndSelectionHold();
}

// ---- request images ---------------------------------------------------------------------------------

void TOrvaMainForm::buildImageArea() {
    m_requestBox = new RequestBox(*this, m_ui, m_settings, *m_telnet, *m_messages);
    m_mainBarMenu = new MainBarMenu(*this, m_ui, *m_shapes, *m_requestBox, *m_connection, m_settings,
                                    *m_telnet, *m_messages);
    m_keys = new TerminalKeys(*this, m_ui, *m_telnet, *m_messages, *m_requestBox,
                              m_editors->DictationWindowKeys());
    connect(m_ui.viewPanel, &RequestImagePanel::exitRequested, this, &TOrvaMainForm::ExitButtonClick);

    m_tools = new TerminalTools(*this, m_ui, m_settings, *m_telnet, *m_messages, m_programDir);
}

void TOrvaMainForm::RowseekTimerTimer() {
    m_requestBox->RowseekTimerTimer();
}

void TOrvaMainForm::ReqNumKeyPress() {
    m_requestBox->ReqNumKeyPress();
}

void TOrvaMainForm::FormButtonClick() {
    m_requestBox->FormButtonClick();
}

void TOrvaMainForm::ShowRequestImages() {
    m_requestBox->ShowRequestImages();
}

void TOrvaMainForm::ShowInDetachedWindow(const QByteArray &listText) {
    m_requestBox->ShowInDetachedWindow(listText);
}

bool TOrvaMainForm::LoadRequestImages() {
    return m_requestBox->LoadRequestImages();
}

void TOrvaMainForm::ViewImageClick() {
    m_requestBox->ViewImageClick();
}

void TOrvaMainForm::ResetImagePosition1Click() {
    m_requestBox->ResetImagePosition1Click();
}

ImageList::TImageListSettings TOrvaMainForm::ImageListSettings() const {
    return m_ui.viewPanel->ListSettings();
}

void TOrvaMainForm::SetCurrentImageSource(const QString &source) {
    m_ui.viewPanel->SetCurrentImageSource(source);
}

// ---- capture, screen print, export and import, clipboard, smart mouse ---------------------------

void TOrvaMainForm::FileCapturebuttonClick() {
    m_tools->FileCapturebuttonClick();
}

void TOrvaMainForm::PrintTextButtonClick() {
    m_tools->PrintTextButtonClick();
}

bool TOrvaMainForm::PrintScreenText(QPrinter &printer) {
    return m_tools->PrintScreenText(printer);
}

void TOrvaMainForm::ToolButton5Click() {
    m_tools->ToolButton5Click();
}

void TOrvaMainForm::ToolButton6Click() {
    m_tools->ToolButton6Click();
}

void TOrvaMainForm::CopyClick() {
    m_tools->CopyClick();
}

void TOrvaMainForm::PasteClick() {
    m_tools->PasteClick();
}

void TOrvaMainForm::VtTerminal1SmartMouseClick(int, int, const QByteArray &text) {
    m_tools->VtTerminal1SmartMouseClick(text);
}

void TOrvaMainForm::ForecolourClick() {
    m_tools->ForecolourClick();
}

void TOrvaMainForm::backcolourClick() {
    m_tools->backcolourClick();
}

void TOrvaMainForm::setKeyDownPath(KeyDownPath path) {
    m_tools->SetKeyDownPath(std::move(path));
}

// ---- menu and buttons ---------------------------------------------------------------------------

void TOrvaMainForm::MainBarPopUpPopup() {
    m_mainBarMenu->MainBarPopUpPopup();
}

void TOrvaMainForm::LoginStateClick() {
    m_mainBarMenu->LoginStateClick();
}

void TOrvaMainForm::LoginAsClick() {
    m_mainBarMenu->LoginAsClick();
}

void TOrvaMainForm::LogontoNewsystem1Click() {
    m_mainBarMenu->LogontoNewsystem1Click();
}

void TOrvaMainForm::NoLinkLightClick() {
    m_mainBarMenu->NoLinkLightClick();
}

void TOrvaMainForm::MinimiseSpeedClick() {
    showMinimized();
}

void TOrvaMainForm::CloseSpeedClick() {
    m_connection->Disconnect();
    close();
}

void TOrvaMainForm::setFontSize(int size) {
    m_fontSize = size;
    applyTerminalFont();
    SizeToTerminal();
}

void TOrvaMainForm::FontupbuttonClick() {
    if (m_fontSize < kMaxFontSize) {
        setFontSize(m_fontSize + 1);
    }
}

void TOrvaMainForm::FontDownbuttonClick() {
    if (m_fontSize >= kMinFontSizeToShrink) {
        setFontSize(m_fontSize - 1);
    }
}

void TOrvaMainForm::ImageDisplayOptionToolBtnClick() {
    m_requestBox->SetDetachedImages(!m_requestBox->DetachedImages());
    m_ui.toolButton(QStringLiteral("ImageDisplayOptionToolBtn"))->setChecked(m_requestBox->DetachedImages());
}

void TOrvaMainForm::SmartMouseClick() {
    m_tools->SetSmartMouse(!m_tools->SmartMouse());
}

void TOrvaMainForm::ResetPendraBtnClick() {
    // The result transfer ends here. An export or import ends through its own Cancel, which takes the
    // host's line editor out of insert mode; a host print job goes on to its end and prints whole.
    if (ItemTransfer *transfer = m_tools->Transfer(); transfer && transfer->Active()) {
        transfer->Cancel();
    }
    if (m_sinks) {
        m_sinks->ClearSendQueue();
        m_sinks->SetResultTransferActive(false);
        m_sinks->SetAudioTransfer(false);
        m_sinks->HideTransferPanel();
        m_sinks->SetBusyCursor(false);
    }
}

// ---- closing ------------------------------------------------------------------------------------

void TOrvaMainForm::CleanWorkFiles() {
    MainWindowLogic::CleanWorkFiles(LocalPath::toLocalPath(m_settings.ResultDirectory),
                                    QDateTime::currentDateTime());
}

void TOrvaMainForm::closeEvent(QCloseEvent *event) {
    // A recording under way is stopped and saved, and the host told, while the link is still up.
    m_editors->CloseDictationTask();
    CleanWorkFiles();
    // The print server gets a few seconds for the host's jobs; the user hears of any it did not take.
    if (const int notPrinted = m_rawPrint->Finish()) {
        m_messages->warning(QStringLiteral("Orva"), RawPrintQueue::NotPrintedText(notPrinted));
    }
    const bool connected = m_telnet->IsConnected();
    m_connection->FormClose();
    // Disconnecting writes the registry; changes made while not connected are kept too.
    if (!connected) {
        WriteRegistrySettings();
    }
    event->accept();
}
