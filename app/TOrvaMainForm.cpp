// Main window: start-up order, settings, window shapes, the menu bar and tool bar, the request box
// and screen watcher, and the wiring of the connection, the pipeline and the image area.
#include "app/TOrvaMainForm.h"

#include "app/ConnectionController.h"
#include "app/DialogMessages.h"
#include "app/MainFormSinks.h"
#include "app/MainWindowLogic.h"
#include "app/RequestImagePanel.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "common/WinColor.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/imagelist/ImageList.h"
#include "imaging/imagelist/RequestImages.h"
#include "imaging/media/MediaBackend.h"
#include "platform/settings/TRegistry.h"
#include "platform/telnet/TTelnet.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace {
const QString kRegistryKey = QStringLiteral("\\Software\\Tessel\\OrvaVT4\\settings");
constexpr std::uint32_t kDefaultFore = 0xFFFFFF;
constexpr std::uint32_t kDefaultBack = 0xFF0000;
constexpr int kMaxFontSize = 30;
constexpr int kMinFontSizeToShrink = 8;
const QString kErrorCaption = QStringLiteral("Error condition detected");

QPixmap lightPixmap(const QColor &colour) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(colour.darker());
    p.drawEllipse(2, 2, 12, 12);
    return pm;
}

} // namespace

TOrvaMainForm::TOrvaMainForm(const QStringList &arguments, HostLink *link,
                             std::unique_ptr<UserMessages> messages)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_messages(messages ? std::move(messages) : std::make_unique<DialogMessages>(this)),
      m_telnet(link ? link : new TTelnet(this)), m_arguments(arguments) {
    setWindowTitle(QStringLiteral("OrvaVT"));
    m_telnet->setParent(this);
    m_telnet->setObjectName(QStringLiteral("Telnet1"));
    m_telnet->setTermType("vt400");
    m_sendQueue = std::make_unique<HostSendQueue>(*m_telnet);
    m_connection = new ConnectionController(*m_telnet, *m_messages, this);

    m_rowseekTimer = new QTimer(this);
    m_rowseekTimer->setObjectName(QStringLiteral("RowseekTimer"));
    m_rowseekTimer->setInterval(1000);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenuBar();
    buildTerminalArea();
    m_viewPanel = new RequestImagePanel(*m_imageNameListBox, *m_messages, this);
    m_viewPanel->hide();
    layout->addWidget(m_menuPanel);
    layout->addWidget(m_vtPanel, 1);
    layout->addWidget(m_viewPanel, 1);
    buildPopupMenu();
    buildImageArea();
    wireConnection();

    connect(m_telnet, &HostLink::OnReceive, this, &TOrvaMainForm::Telnet1Receive);
    connect(m_telnet, &HostLink::OnSend, this, [this] {
        if (m_pipeline) {
            m_pipeline->Telnet1Send();
        }
    });
    connect(m_terminal, &TVtTerminalEx::typed, this, [this](const QByteArray &bytes) {
        if (m_telnet->IsConnected()) {
            m_telnet->Send(bytes);
        }
    });
}

TOrvaMainForm::~TOrvaMainForm() = default;

void TOrvaMainForm::wireConnection() {
    ConnectionController *c = m_connection;
    connect(c, &ConnectionController::captionChanged, m_imageLabel, &QLabel::setText);
    connect(c, &ConnectionController::linkLightChanged, this, [this](bool on) {
        m_linkLight->setVisible(on);
        m_noLinkLight->setVisible(!on);
    });
    connect(c, &ConnectionController::sizeToTerminal, this, &TOrvaMainForm::SizeToTerminal);
    connect(c, &ConnectionController::collapseToMenuBar, this, &TOrvaMainForm::CollapseToMenuBar);
    connect(c, &ConnectionController::settingsRequested, this,
            [this] { traceUnbuilt(QStringLiteral("Advancedbutton")); });
    connect(c, &ConnectionController::connecting, this, [this] {
        if (m_pipeline) {
            m_pipeline->connectionStarted();
        }
        m_terminal->ClearAll();
        m_telnet->setWindowSize(m_terminal->Columns(), m_terminal->Rows());
    });
    connect(c, &ConnectionController::disconnected, this, &TOrvaMainForm::WriteRegistrySettings);
    connect(c, &ConnectionController::linkClosed, this, [this] { m_sendQueue->LinkDropped(); });
    connect(c, &ConnectionController::terminalText, this,
            [this](const QByteArray &text) { m_terminal->WriteString(text); });
}

void TOrvaMainForm::buildMenuBar() {
    m_menuPanel = new QFrame(this);
    m_menuPanel->setObjectName(QStringLiteral("MenuPanel"));
    m_menuPanel->setFrameShape(QFrame::Panel);
    m_menuPanel->setFrameShadow(QFrame::Raised);
    m_menuPanel->installEventFilter(this);

    m_reqNum = new QLineEdit(m_menuPanel);
    m_reqNum->setObjectName(QStringLiteral("ReqNum"));
    m_formButton = new QPushButton(QStringLiteral("Form"), m_menuPanel);
    m_formButton->setObjectName(QStringLiteral("FormButton"));
    m_exitButton = new QPushButton(QStringLiteral("Exit!"), m_menuPanel);
    m_exitButton->setObjectName(QStringLiteral("ExitButton"));
    connect(m_exitButton, &QPushButton::clicked, this, &TOrvaMainForm::ExitButtonClick);
    connect(m_formButton, &QPushButton::clicked, this, &TOrvaMainForm::FormButtonClick);
    m_orvaLabel = new QLabel(QStringLiteral("Orva"), m_menuPanel);
    m_orvaLabel->setObjectName(QStringLiteral("OrvaLabel"));
    QFont bold = m_orvaLabel->font();
    bold.setBold(true);
    m_orvaLabel->setFont(bold);
    m_orvaLabel->installEventFilter(this);
    m_imageLabel = new QLabel(QStringLiteral("Imaging System"), m_menuPanel);
    m_imageLabel->setObjectName(QStringLiteral("ImageLabel"));
    m_imageLabel->installEventFilter(this);
    m_linkLight = new QLabel(m_menuPanel);
    m_linkLight->setObjectName(QStringLiteral("LinkLight"));
    m_linkLight->setPixmap(lightPixmap(Qt::green));
    m_noLinkLight = new QLabel(m_menuPanel);
    m_noLinkLight->setObjectName(QStringLiteral("NoLinkLight"));
    m_noLinkLight->setPixmap(lightPixmap(Qt::red));
    m_noLinkLight->setToolTip(QStringLiteral("Click here to log on!"));
    m_noLinkLight->installEventFilter(this);
    m_linkLight->hide();
    m_minimiseSpeed = new QToolButton(m_menuPanel);
    m_minimiseSpeed->setObjectName(QStringLiteral("MinimiseSpeed"));
    m_minimiseSpeed->setText(QStringLiteral("_"));
    connect(m_minimiseSpeed, &QToolButton::clicked, this, &TOrvaMainForm::MinimiseSpeedClick);
    m_closeSpeed = new QToolButton(m_menuPanel);
    m_closeSpeed->setObjectName(QStringLiteral("CloseSpeed"));
    m_closeSpeed->setText(QStringLiteral("X"));
    m_closeSpeed->setToolTip(QStringLiteral("Close Orva"));
    connect(m_closeSpeed, &QToolButton::clicked, this, &TOrvaMainForm::CloseSpeedClick);
    m_imageNameListBox = new QComboBox(m_menuPanel);
    m_imageNameListBox->setObjectName(QStringLiteral("ImageNameListBox"));
    m_imageNameListBox->hide();
}

QToolButton *TOrvaMainForm::addToolButton(const QString &name, const QString &hint, const QString &glyph) {
    auto *button = new QToolButton(m_toolBar1);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(glyph);
    m_toolBar1->addWidget(button);
    return button;
}

void TOrvaMainForm::buildTerminalArea() {
    m_vtPanel = new QWidget(this);
    m_vtPanel->setObjectName(QStringLiteral("VTpanel"));
    auto *v = new QVBoxLayout(m_vtPanel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    m_toolBar1 = new QToolBar(m_vtPanel);
    m_toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    v->addWidget(m_toolBar1);
    m_terminal = new TVtTerminalEx(m_vtPanel);
    m_terminal->setObjectName(QStringLiteral("VtTerminal1"));
    m_terminal->setUseLazyDisplay(false);
    m_terminal->setBorderStyle(TVtBorderStyle::bsNone);
    m_terminal->setActive(false);
    m_terminal->setCaptureFile(QStringLiteral("TALVERN.CAP"));
    auto emulator = std::make_unique<TVtVT100EmulatorEx>();
    emulator->TelnetTermType = "vt400";
    emulator->DisplayUpperASCII = true;
    emulator->HandleHookedKeys = true;
    m_terminal->setEmulator(std::move(emulator));
    m_terminal->setColorTexts("Black=$0; Red=$80; Green=$8000; Yellow=$8080; Blue=$800000; Magenta=$800080; "
                              "Cyan=$808000; White=$C0C0C0; ",
                              "Black=$0; Red=$80; Green=$8000; Yellow=$8080; Blue=$800000; Magenta=$800080; "
                              "Cyan=$808000; White=$C0C0C0; ",
                              "Black=$808080; Red=$8080FF; Green=$80FF80; Yellow=$80FFFF; Blue=$FF8080; "
                              "Magenta=$FF80FF; Cyan=$FFFF80; "
                              "White=$FFFFFF; ");
    m_terminal->setScrollbackRows(500);
    m_terminal->setScrollback(true);
    v->addWidget(m_terminal, 1);
    m_transferPanel = new QFrame(m_vtPanel);
    m_transferPanel->setObjectName(QStringLiteral("TransferPanel"));
    auto *t = new QVBoxLayout(m_transferPanel);
    t->addWidget(new QLabel(QStringLiteral("Document Transfer"), m_transferPanel));
    m_docProgressBar = new QProgressBar(m_transferPanel);
    m_docProgressBar->setObjectName(QStringLiteral("DocProgressBar"));
    t->addWidget(m_docProgressBar);
    m_transferPanel->hide();
    v->addWidget(m_transferPanel);
    m_docProgressBar->setRange(0, 1000);
    m_sendQueue->onProgress = [this](int position) { m_docProgressBar->setValue(position); };
    m_sendQueue->onTransferLost = [this](bool audio) {
        m_transferPanel->hide();
        QTimer::singleShot(0, this, [this, audio] {
            if (m_wpForm && !audio) {
                m_wpForm->ReloadLastReport();
            }
            m_messages->error(QStringLiteral("Save Data"),
                              QStringLiteral("The link to the host was lost while the report was being sent. "
                                             "Please Re-save when the link is back."));
        });
    };

    connect(addToolButton(QStringLiteral("Fontupbutton"), QStringLiteral("Increase font size"),
                          QStringLiteral("A+")),
            &QToolButton::clicked, this, &TOrvaMainForm::FontupbuttonClick);
    connect(addToolButton(QStringLiteral("FontDownbutton"), QStringLiteral("Reduce font size"),
                          QStringLiteral("A-")),
            &QToolButton::clicked, this, &TOrvaMainForm::FontDownbuttonClick);
    connect(addToolButton(QStringLiteral("Forecolour"), QStringLiteral("Foreground Colour"),
                          QStringLiteral("Fg")),
            &QToolButton::clicked, this, &TOrvaMainForm::ForecolourClick);
    connect(addToolButton(QStringLiteral("backcolour"), QStringLiteral("Background Colour"),
                          QStringLiteral("Bg")),
            &QToolButton::clicked, this, &TOrvaMainForm::backcolourClick);
    m_toolBar1->addSeparator();
    const struct {
        const char *name;
        const char *hint;
        const char *glyph;
    } later[] = {
        {"Advancedbutton", "Change Font, Key maps and Swaps", "Set"},
        {"FileCapturebutton", "Save data to file", "Cap"},
        {"PrintTextButton", "Print Screen", "Prn"},
        {"ToolButton5", "Export File to d3", "Exp"},
        {"ToolButton6", "Import File From d3", "Imp"},
        {"WPEditButton", "WP Editor Templates", "WP"},
        {"SHowAudioBtn", "Audio Playback", "Aud"},
    };
    for (const auto &b : later) {
        const QString name = QString::fromLatin1(b.name);
        QToolButton *button = addToolButton(name, QString::fromLatin1(b.hint), QString::fromLatin1(b.glyph));
        connect(button, &QToolButton::clicked, this, [this, name] { traceUnbuilt(name); });
    }
    toolButton(QStringLiteral("FileCapturebutton"))->setCheckable(true);
    QToolButton *detached =
        addToolButton(QStringLiteral("ImageDisplayOptionToolBtn"),
                      QStringLiteral("Display images in a separate Window"), QStringLiteral("Win"));
    detached->setCheckable(true);
    connect(detached, &QToolButton::clicked, this, &TOrvaMainForm::ImageDisplayOptionToolBtnClick);
    QToolButton *smart = addToolButton(QStringLiteral("SmartMouse"),
                                       QStringLiteral("Navigate with Mouse Clicks"), QStringLiteral("Ms"));
    smart->setCheckable(true);
    connect(smart, &QToolButton::clicked, this, &TOrvaMainForm::SmartMouseClick);
    connect(addToolButton(QStringLiteral("ResetPendraBtn"), QStringLiteral("Reset Pendra or Audio Session"),
                          QStringLiteral("Rst")),
            &QToolButton::clicked, this, &TOrvaMainForm::ResetPendraBtnClick);
    QToolButton *forms = addToolButton(QStringLiteral("ToolButton11"), QString(), QStringLiteral("Frm"));
    connect(forms, &QToolButton::clicked, this, [this] { traceUnbuilt(QStringLiteral("ToolButton11")); });
    // Hidden: a tool-bar widget is hidden through its action.
    for (QAction *a : m_toolBar1->actions()) {
        if (m_toolBar1->widgetForAction(a) == forms) {
            a->setVisible(false);
        }
    }
}

void TOrvaMainForm::buildPopupMenu() {
    m_mainBarPopUp = new QMenu(this);
    m_mainBarPopUp->setObjectName(QStringLiteral("MainBarPopUp"));
    const auto add = [this](const char *name, const QString &caption, const auto *receiver, auto slot) {
        QAction *action = m_mainBarPopUp->addAction(caption, receiver, slot);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    add("DefaultSource", QStringLiteral("&Default Source"), m_viewPanel,
        &RequestImagePanel::DefaultSourceClick);
    add("NewSource", QStringLiteral("&New Source"), m_viewPanel, &RequestImagePanel::NewSourceClick);
    m_resetImagePosition = add("ResetImagePosition1", QStringLiteral("&Reset Image Position"), this,
                               &TOrvaMainForm::ResetImagePosition1Click);
    m_mainBarPopUp->addSeparator();
    m_loginState = add("LoginState", QStringLiteral("&Logout"), this, &TOrvaMainForm::LoginStateClick);
    m_loginAs = add("LoginAs", QStringLiteral("Login as &New user"), this, &TOrvaMainForm::LoginAsClick);
    m_logonNewSystem = add("LogontoNewsystem1", QStringLiteral("Log onto new S&ystem"), this,
                           &TOrvaMainForm::LogontoNewsystem1Click);
    m_mainBarPopUp->addSeparator();
    add("Advanced1", QStringLiteral("&Modify Settings"), this,
        [this] { traceUnbuilt(QStringLiteral("Advanced1")); });
    add("About1", QStringLiteral("&About"), this, [this] { traceUnbuilt(QStringLiteral("About1")); });
    connect(m_mainBarPopUp, &QMenu::aboutToShow, this, &TOrvaMainForm::MainBarPopUpPopup);
    m_menuPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_menuPanel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_mainBarPopUp->popup(m_menuPanel->mapToGlobal(pos)); });
}

QToolButton *TOrvaMainForm::toolButton(const QString &objectName) const {
    return m_toolBar1->findChild<QToolButton *>(objectName);
}

void TOrvaMainForm::traceUnbuilt(const QString &control) {
    ORVA_TRACE(QStringLiteral("not available yet"), control);
}

// ---- start-up ---------------------------------------------------------------------------------

bool TOrvaMainForm::FormCreate() {
    m_previousSetupFileName.clear();
    ORVA_TRACE(QStringLiteral("key-name table"), QStringLiteral("not filled"));
    m_smartMouse = false;
    m_detachedImages = false;

    m_programDir = QCoreApplication::applicationDirPath();
    if (!m_programDir.endsWith(QLatin1Char('/'))) {
        m_programDir += QLatin1Char('/');
    }
    m_setupFileName = MainWindowLogic::SetupFilePath(
        m_arguments, m_programDir, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));

    m_windowWidthValue = desktop().width();
    if (!ReadSetupFile()) {
        return false;
    }

    m_sinks = std::make_unique<MainFormSinks>(*this);
    m_pipeline = std::make_unique<ReceivePipeline>(
        *m_sinks, PipelineSettings::fromSetup(m_settings, m_settings.CaptureDirectory));
    LayoutMenuBar();
    readRegistry();
    applyTerminalFont();
    SizeToTerminal();
    m_reqNum->clear();
    if (TVtVT100EmulatorEx *emulator = m_terminal->EmulatorEx()) {
        emulator->SetCursorKeyAppMode(true);
        emulator->SetKeypadAppMode(true);
        emulator->SetAnsiMode(true);
        emulator->CharSetMapping().LoadFromRes(m_settings.GraphicsFontResource == 1
                                                   ? QStringLiteral("VT100CharSet_LUCON")
                                                   : QStringLiteral("VTCharSet100"));
    }
    m_terminal->setSmartMouseClicks(m_smartMouse);
    m_created = true;
    return true;
}

void TOrvaMainForm::FocusTerminal() {
    m_terminal->setFocus();
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
    for (const QString &problem : m_settings.Problems) {
        ORVA_TRACE(QStringLiteral("setup line skipped"), problem);
    }
    LocalPath::SetPathMap(m_settings.PathMap);
    // Scans go under the setup file's folder; without one the viewer refuses to scan.
    orva::imaging::SetScanDirectory(m_settings.ScanDirectory);
    // Only what the media backend here can open goes to the player (and into the open dialog's filter).
    orva::imaging::SetMciExtensions(orva::imaging::PlayableMciExtensions(m_settings.MciExtensions));
    m_viewPanel->setSettings(m_settings);
    m_connection->setSetupFileName(m_setupFileName);
    m_connection->setImagesConfigured(!m_settings.ImageSources.value(0).isEmpty());
    m_connection->setHost(m_settings.HostName, m_settings.HostPort);

    if (!m_created) {
        const QRect area = workArea();
        m_windowLeft = area.left();
        m_windowTop = area.top();
    }
    m_windowWidthValue = desktop().width();
    applySettingsToTerminal();
    if (desktop().width() <= 799) {
        m_fontSize = 10;
    }

    const bool hasSource = !m_settings.ImageSources.value(0).isEmpty();
    m_formButton->setVisible(hasSource);
    m_exitButton->setVisible(hasSource);
    m_reqNum->setVisible(hasSource);

    if (!m_telnet->IsConnected() && !CheckImageServer()) {
        return false;
    }
    return true;
}

void TOrvaMainForm::applySettingsToTerminal() {
    const QByteArray fore =
        m_settings.ForegroundColors.isEmpty() ? m_terminal->foreColorText() : m_settings.ForegroundColors;
    const QByteArray back =
        m_settings.BackgroundColors.isEmpty() ? m_terminal->backColorText() : m_settings.BackgroundColors;
    const QByteArray bold = m_settings.BoldForegroundColors.isEmpty() ? m_terminal->boldColorText()
                                                                      : m_settings.BoldForegroundColors;
    m_terminal->setColorTexts(fore, back, bold);
    m_terminal->setScrollbackRows(500);
    m_terminal->setScrollback(m_settings.ScrollLines != 0);
    if (TVtVT100EmulatorEx *emulator = m_terminal->EmulatorEx()) {
        emulator->IgnoreGraphicsFont = !m_settings.UseGraphicsFont;
    }
}

bool TOrvaMainForm::CheckImageServer() {
    const QString source = m_settings.ImageSources.value(0);
    if (source.isEmpty() || QFileInfo(LocalPath::toLocalPath(source)).isDir()) {
        return true;
    }
    QString text = QStringLiteral("The Image Server is not presently available on this terminal.\r\r"
                                  "The problem may be that:\r"
                                  "    You have not logged onto the Windows Domain (most likely) OR\r"
                                  "    The server is down  (possible) OR \r"
                                  "    The network settings have been changed. (unlikely)\r"
                                  "    The Orva Setup file has been changed   (very unlikely)\r");
    if (m_settings.HaltOnServerFail) {
        text += QStringLiteral("\r\nOrva will close.");
    }
    m_messages->error(QStringLiteral("Image Server Error"), text);
    if (m_settings.HaltOnServerFail && m_created) {
        // After start-up the program ends through its event loop; during start-up the caller unwinds.
        QCoreApplication::exit(1);
    }
    return !m_settings.HaltOnServerFail;
}

void TOrvaMainForm::readRegistry() {
    const TRegistry reg(kRegistryKey);
    const QRect area = workArea();
    if (reg.KeyExists()) {
        m_terminal->SetDefForeColor(
            static_cast<std::uint32_t>(reg.ReadInteger(QStringLiteral("ForeColor"), kDefaultFore)));
        m_terminal->SetDefBackColor(
            static_cast<std::uint32_t>(reg.ReadInteger(QStringLiteral("BackColor"), kDefaultBack)));
        m_fontName = reg.ReadString(QStringLiteral("FontName"));
        if (m_fontName.isEmpty()) {
            m_fontName = QStringLiteral("OrvaVT Courier New");
        }
        m_fontSize = reg.ReadInteger(QStringLiteral("FontSize"), m_fontSize);
        m_windowWidthValue = reg.ReadInteger(QStringLiteral("VTWidth"), desktop().width());
        m_windowLeft = reg.ReadInteger(QStringLiteral("VTLeft"), area.left());
        m_windowTop = reg.ReadInteger(QStringLiteral("VTtop"), area.top());
        m_invertDetachedPrint = reg.ReadBool(QStringLiteral("InvertDetachedImagePrint"), false);
        m_smartMouse = reg.ReadBool(QStringLiteral("SmartMouseEnabled"), false);
        m_detachedImages = reg.ReadBool(QStringLiteral("DetachedImageDefault"), false);
    } else {
        m_terminal->SetDefForeColor(kDefaultFore);
        m_terminal->SetDefBackColor(kDefaultBack);
        m_windowWidthValue = desktop().width();
        m_windowLeft = area.left();
        m_windowTop = area.top();
        m_fontName = QStringLiteral("Orva VT");
        m_fontSize = 12;
    }
    toolButton(QStringLiteral("SmartMouse"))->setChecked(m_smartMouse);
    toolButton(QStringLiteral("ImageDisplayOptionToolBtn"))->setChecked(m_detachedImages);
}

void TOrvaMainForm::WriteRegistrySettings() {
    TRegistry reg(kRegistryKey);
    reg.WriteInteger(QStringLiteral("ForeColor"), static_cast<int>(m_terminal->DefForeColor()));
    reg.WriteInteger(QStringLiteral("BackColor"), static_cast<int>(m_terminal->DefBackColor()));
    reg.WriteString(QStringLiteral("FontName"), m_fontName);
    reg.WriteInteger(QStringLiteral("FontSize"), m_fontSize);
    reg.WriteInteger(QStringLiteral("VTWidth"), m_windowWidthValue);
    reg.WriteInteger(QStringLiteral("VTLeft"), m_windowLeft);
    reg.WriteInteger(QStringLiteral("VTtop"), m_windowTop);
    reg.WriteBool(QStringLiteral("SmartMouseEnabled"), m_smartMouse);
    reg.WriteBool(QStringLiteral("InvertDetachedImagePrint"), m_invertDetachedPrint);
    reg.WriteBool(QStringLiteral("DetachedImageDefault"), m_detachedImages);
    if (!reg.Flush()) {
        ORVA_TRACE(QStringLiteral("registry write"), QStringLiteral("failed"));
    }
}

void TOrvaMainForm::applyTerminalFont() {
    QFont font(m_fontName);
    font.setPointSize(m_fontSize);
    const std::uint32_t fore = m_terminal->DefForeColor();
    m_terminal->setTerminalFont(font);
    m_terminal->SetDefForeColor(fore);
    m_telnet->setWindowSize(m_terminal->Columns(), m_terminal->Rows());
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
        m_terminal->WriteString(block);
    }
}

void TOrvaMainForm::showeditor(const QByteArray &reportMessage) {
    if (!m_wpForm) {
        const EditorFolders folders{m_settings.TemplateDirectory, m_settings.AbbreviationDirectory,
                                    m_settings.ResultDirectory, m_programDir};
        m_wpForm = new TWPForm(folders, m_sendQueue.get(), *m_messages, this);
        m_wpForm->setWindowFlag(Qt::Window);
        m_wpForm->HostAbbreviations = hostAbbreviationAccess();
        connect(m_wpForm, &TWPForm::ReportFinished, this, [this] {
            show();
            raise();
            activateWindow();
            m_terminal->setFocus();
        });
    }
    m_wpForm->ReceivedReportText = reportMessage;
    m_wpForm->LoadReport();
}

// The editor reads the host's abbreviation list (client command 4) through the pipeline.
THostAbbreviationAccess TOrvaMainForm::hostAbbreviationAccess() {
    auto list = [this]() -> THostAbbreviations * {
        return m_pipeline ? &m_pipeline->abbreviations() : nullptr;
    };
    THostAbbreviationAccess access;
    access.ListCreated = [list] { return list() && list()->ListCreated; };
    access.Value = [list](const QByteArray &name) { return list() ? list()->value(name) : QByteArray(); };
    access.ClearAnswer = [list] {
        if (THostAbbreviations *l = list()) {
            l->LookupAnswer.clear();
            l->LookupName.clear();
        }
    };
    access.Answer = [list] {
        THostAbbreviations *l = list();
        return l ? qMakePair(l->LookupName, l->LookupAnswer) : QPair<QByteArray, QByteArray>();
    };
    return access;
}

// ---- window shapes ------------------------------------------------------------------------------

QRect TOrvaMainForm::workArea() const {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect TOrvaMainForm::desktop() const {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
}

int TOrvaMainForm::MenuBarHeight() const {
    return m_formButton->sizeHint().height() + 12;
}

int TOrvaMainForm::ToolBarHeight() const {
    return m_toolBar1->sizeHint().height();
}

void TOrvaMainForm::placeWindow(const QPoint &topLeft, const QSize &size) {
    setMinimumSize(0, 0);
    resize(size);
    move(topLeft);
}

void TOrvaMainForm::LayoutMenuBar() {
    const int barHeight = MenuBarHeight();
    m_menuPanel->setFixedHeight(barHeight);
    const int buttonHeight = m_formButton->sizeHint().height();
    const int width = this->width();
    m_reqNum->setGeometry(4, 4, 150, barHeight - 4 - 4);
    int x = m_reqNum->isVisible() ? 150 + 4 : 4;
    m_formButton->setGeometry(x, 4, m_formButton->sizeHint().width(), buttonHeight);
    x = m_formButton->isVisible() ? m_formButton->geometry().right() + 1 : x;
    m_exitButton->setGeometry(x, 4, m_exitButton->sizeHint().width(), buttonHeight);
    x = m_exitButton->isVisible() ? m_exitButton->geometry().right() + 1 : 2;
    m_orvaLabel->setGeometry(x + 4, 4, m_orvaLabel->sizeHint().width(), buttonHeight);
    const QSize speed = m_closeSpeed->sizeHint();
    m_closeSpeed->setGeometry(width - speed.width() - 8, 4, speed.width(), speed.height());
    m_minimiseSpeed->setGeometry(m_closeSpeed->x() - 4 - speed.width(), 4, speed.width(), speed.height());
    m_linkLight->setGeometry(m_minimiseSpeed->x() - 8 - 16, 4 + (buttonHeight - 16) / 2, 16, 16);
    m_noLinkLight->setGeometry(m_linkLight->geometry());
    const int listWidth = 160;
    m_imageNameListBox->setGeometry(m_noLinkLight->x() - 4 - listWidth, 4, listWidth, buttonHeight);
    const int labelLeft = m_orvaLabel->geometry().right() + 8;
    m_imageLabel->setGeometry(labelLeft, 4, qMax(0, m_linkLight->x() - labelLeft), buttonHeight);
}

void TOrvaMainForm::SizeToTerminal() {
    const QSize size = MainWindowLogic::TerminalWindowSize(
        m_terminal->Columns(), m_terminal->Rows(), m_terminal->Scrollback(), m_terminal->CellWidth(),
        m_terminal->CellHeight(), ToolBarHeight(), MenuBarHeight());
    // The remembered place is kept on the desktop with the window's real size.
    const QPoint place = MainWindowLogic::ClampToDesktop(QPoint(m_windowLeft, m_windowTop), size, desktop());
    m_windowLeft = place.x();
    m_windowTop = place.y();
    m_viewPanel->hide();
    m_viewPanel->ClearImageList();
    m_vtPanel->show();
    placeWindow(place, size);
    LayoutMenuBar();
}

void TOrvaMainForm::CollapseToMenuBar() {
    const QRect area = workArea();
    m_viewPanel->hide();
    m_viewPanel->ClearImageList();
    m_vtPanel->hide();
    placeWindow(area.topLeft(), QSize(area.width(), MenuBarHeight()));
    LayoutMenuBar();
}

void TOrvaMainForm::ExpandToWorkArea() {
    const QRect area = workArea();
    if (!m_viewPanel->isVisible()) {
        m_windowLeft = x();
        m_windowTop = y();
    }
    m_vtPanel->hide();
    m_viewPanel->show();
    placeWindow(area.topLeft(), area.size());
    LayoutMenuBar();
}

void TOrvaMainForm::ShowTerminal() {
    if (!m_vtPanel->isVisible()) {
        move(m_windowLeft, m_windowTop);
    }
    m_viewPanel->hide();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    m_vtPanel->show();
    if (m_lastRequestFromReqNum) {
        m_reqNum->setFocus();
    } else {
        m_terminal->setFocus();
    }
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
    if (watched == m_noLinkLight && event->type() == QEvent::MouseButtonRelease) {
        NoLinkLightClick();
        return true;
    }
    if (watched == m_reqNum && event->type() == QEvent::FocusIn) {
        // The watcher rests while the user types a number.
        m_rowseekTimer->stop();
    } else if (watched == m_reqNum && event->type() == QEvent::FocusOut) {
        m_rowseekTimer->start();
    } else if ((watched == m_reqNum || watched == m_imageNameListBox) && event->type() == QEvent::KeyPress) {
        return menuBarKey(static_cast<QKeyEvent *>(event));
    }
    if (menuBarDrag(watched, event)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Keys in the request box and the image name list: the image keys while images are shown, else
// Escape goes back to the terminal.
bool TOrvaMainForm::menuBarKey(QKeyEvent *event) {
    if (m_viewPanel->isVisible()) {
        return m_viewPanel->ImageKey(event, m_reqNum->hasFocus());
    }
    if (event->key() == Qt::Key_Escape && !m_terminal->hasFocus()) {
        ShowTerminal();
        return true;
    }
    return false;
}

bool TOrvaMainForm::menuBarDrag(QObject *watched, QEvent *event) {
    if (watched != m_menuPanel && watched != m_orvaLabel && watched != m_imageLabel) {
        return false;
    }
    auto *mouse = dynamic_cast<QMouseEvent *>(event);
    if (!mouse) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        m_vtPanel->isVisible()) {
        m_dragging = true;
        m_dragOrigin = mouse->globalPosition().toPoint();
        return true;
    }
    if (event->type() == QEvent::MouseMove && m_dragging) {
        const QPoint now = mouse->globalPosition().toPoint();
        move(pos() + (now - m_dragOrigin));
        m_dragOrigin = now;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_dragging) {
        m_dragging = false;
        m_windowLeft = x();
        m_windowTop = y();
        return true;
    }
    return false;
}

// ---- request images ---------------------------------------------------------------------------------

void TOrvaMainForm::buildImageArea() {
    m_reqNum->installEventFilter(this);
    m_imageNameListBox->installEventFilter(this);
    connect(m_reqNum, &QLineEdit::returnPressed, this, &TOrvaMainForm::ReqNumKeyPress);
    connect(m_viewPanel, &RequestImagePanel::exitRequested, this, &TOrvaMainForm::ExitButtonClick);
    connect(m_rowseekTimer, &QTimer::timeout, this, &TOrvaMainForm::RowseekTimerTimer);
    m_rowseekTimer->start();

    m_vtPopup = new QMenu(this);
    m_vtPopup->setObjectName(QStringLiteral("VTPopup"));
    m_vtPopup->addAction(QStringLiteral("&View Image"), this, &TOrvaMainForm::ViewImageClick);
    m_terminal->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_terminal, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_vtPopup->popup(m_terminal->mapToGlobal(pos)); });
}

void TOrvaMainForm::RowseekTimerTimer() {
    // One tick at a time: a box shown by a failure must not stack another one each second.
    if (m_rowseekBusy || m_settings.CaptureSets.isEmpty()) {
        return;
    }
    m_rowseekBusy = true;
    QString step = QStringLiteral("Rowseek timer - looping through capturesets.");
    try {
        const RequestImages::TScreenRows screen{m_terminal->Rows(),
                                                [this](int row) { return m_terminal->GetRowText(row); }};
        const std::optional<QByteArray> number =
            RequestImages::CaptureRequestNumber(m_settings.CaptureSets, screen);
        if (number) {
            step = QStringLiteral("Rowseek timer - found set");
            const QString text = HostText::toUnicode(*number);
            if (m_reqNum->text() != text) {
                m_reqNum->setText(text);
            }
        }
    } catch (const std::exception &e) {
        m_rowseekTimer->stop();
        m_messages->error(kErrorCaption,
                          QLatin1Char('"') + QString::fromLocal8Bit(e.what()) + QStringLiteral("\" ") + step);
        m_rowseekTimer->start();
    }
    m_rowseekBusy = false;
}

void TOrvaMainForm::ReqNumKeyPress() {
    if (m_settings.ImageSources.size() == 1 && m_settings.ImageSources.value(0).isEmpty()) {
        return;
    }
    ShowRequestImages();
    m_reqNum->clear();
    m_reqNum->setFocus();
    m_lastRequestFromReqNum = true;
}

void TOrvaMainForm::FormButtonClick() {
    try {
        LayoutMenuBar();
        ShowRequestImages();
    } catch (const std::exception &e) {
        m_messages->error(kErrorCaption,
                          QStringLiteral("Unexpected Image error in ") + QString::fromLocal8Bit(e.what()));
    }
}

void TOrvaMainForm::ShowRequestImages() {
    QString number = m_reqNum->text();
    number.remove(QLatin1Char(' '));
    if (number.isEmpty()) {
        ShowTerminal();
        return;
    }
    if (m_detachedImages) {
        ShowInDetachedWindow(HostText::fromUnicode(m_reqNum->text().trimmed()));
        return;
    }
    if (LoadRequestImages()) {
        m_viewPanel->FocusImage();
    } else {
        returnFromImages();
    }
    m_lastRequestFromReqNum = false;
}

void TOrvaMainForm::ShowInDetachedWindow(const QByteArray &listText) {
    if (!m_detachedForm) {
        m_detachedForm = new orva::imaging::TDetachedImageForm(*this, this);
    }
    m_detachedForm->ClearImage();
    m_detachedForm->LoadRequestImages(listText);
    m_detachedForm->RestorePosition();
    if (!m_detachedForm->isVisible()) {
        m_detachedForm->show();
    }
}

ImageList::TImageListSettings TOrvaMainForm::ImageListSettings() const {
    return m_viewPanel->ListSettings();
}

void TOrvaMainForm::SetCurrentImageSource(const QString &source) {
    m_viewPanel->SetCurrentImageSource(source);
}

void TOrvaMainForm::returnFromImages() {
    if (m_telnet->IsConnected()) {
        SizeToTerminal();
    } else {
        CollapseToMenuBar();
    }
}

bool TOrvaMainForm::LoadRequestImages() {
    const QByteArray number = HostText::fromUnicode(m_reqNum->text().trimmed());
    if (number.isEmpty()) {
        return false;
    }
    const QString problem = ImageList::RequestNumberProblem(number);
    if (!problem.isEmpty()) {
        // Typed, captured or host-sent text never reaches a path or a pattern unchecked.
        ORVA_TRACE(QStringLiteral("request number refused"), problem);
        return false;
    }
    if (!CheckImageServer()) {
        returnFromImages();
        m_exitButton->setFocus();
        return false;
    }
    if (!m_viewPanel->LoadRequest(number)) {
        return false;
    }
    ExpandToWorkArea();
    m_viewPanel->ViewFit();
    return true;
}

void TOrvaMainForm::ViewImageClick() {
    QByteArray selected = m_terminal->GetSelectedText();
    selected.replace("\r", "").replace("\n", "");
    if (selected.isEmpty() || selected.contains(' ')) {
        return;
    }
    m_reqNum->setText(HostText::toUnicode(selected));
    if (m_pipeline) {
        m_pipeline->setSelectionHold(false);
    }
    m_terminal->ClearSelection();
    if (!LoadRequestImages()) {
        returnFromImages();
    }
}

void TOrvaMainForm::ResetImagePosition1Click() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!m_detachedForm || !screen) {
        return;
    }
    const QRect place = DetachedImage::ResetPlace(m_detachedForm->geometry(), screen->availableGeometry());
    m_detachedForm->move(place.topLeft());
    m_detachedForm->resize(place.size());
}

// ---- menu and buttons ---------------------------------------------------------------------------

void TOrvaMainForm::MainBarPopUpPopup() {
    const LinkState state = m_telnet->State();
    if (state == LinkState::Connected) {
        m_loginState->setText(QStringLiteral("&Logout"));
        m_loginAs->setEnabled(false);
        m_logonNewSystem->setEnabled(false);
    } else if (state == LinkState::Closed) {
        m_loginState->setText(QStringLiteral("&Login in as ") +
                              HostText::toUnicode(SetupFile::LoginReply(CurrentLoginConversation())));
        m_loginAs->setEnabled(true);
        m_logonNewSystem->setEnabled(true);
    }
    m_resetImagePosition->setEnabled(false);
}

void TOrvaMainForm::LoginStateClick() {
    m_dragging = false;
    const LinkState state = m_telnet->State();
    if (state == LinkState::Closed) {
        SizeToTerminal();
        m_connection->ConnectToHost();
    } else if (state == LinkState::Connected) {
        m_connection->Disconnect();
    }
}

void TOrvaMainForm::LoginAsClick() {
    const QByteArray current = CurrentLoginConversation();
    const QString reply = HostText::toUnicode(SetupFile::LoginReply(current));
    QString name = reply;
    const QString prompt = QStringLiteral("Change login name from \"") + reply + QStringLiteral("\" to ..\n");
    if (!m_messages->inputBox(QStringLiteral("Login as .."), prompt, name)) {
        return;
    }
    SizeToTerminal();
    m_connection->ConnectToHost();
    // Set after the connect (which goes back to the saved copy): the new name serves this connection,
    // and once it has answered, the pipeline returns to the saved copy.
    if (m_pipeline) {
        m_pipeline->setLoginConversation(SetupFile::WithLoginReply(current, HostText::fromUnicode(name)));
    }
}

QByteArray TOrvaMainForm::CurrentLoginConversation() const {
    return m_pipeline ? m_pipeline->loginConversation() : m_settings.LoginConversation;
}

void TOrvaMainForm::LogontoNewsystem1Click() {
    QString host = HostText::toUnicode(m_connection->HostName());
    if (!m_messages->inputBox(QStringLiteral("Connect to new system"),
                              QStringLiteral("Address or Hostname of New System"), host)) {
        return;
    }
    m_connection->setHostName(HostText::fromUnicode(host));
    SizeToTerminal();
    m_connection->ConnectToHost();
}

void TOrvaMainForm::NoLinkLightClick() {
    if (!m_telnet->IsConnected()) {
        SizeToTerminal();
        m_connection->ConnectToHost();
    }
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

void TOrvaMainForm::ForecolourClick() {
    const QColor c = QColorDialog::getColor(bgrToQColor(m_terminal->ForeColor()), this, QString());
    if (c.isValid()) {
        m_terminal->SetForeColor(qColorToBgr(c));
    }
}

void TOrvaMainForm::backcolourClick() {
    const QColor c = QColorDialog::getColor(bgrToQColor(m_terminal->DefBackColor()), this, QString());
    if (c.isValid()) {
        m_terminal->SetDefBackColor(qColorToBgr(c));
    }
}

void TOrvaMainForm::ImageDisplayOptionToolBtnClick() {
    m_detachedImages = !m_detachedImages;
    toolButton(QStringLiteral("ImageDisplayOptionToolBtn"))->setChecked(m_detachedImages);
}

void TOrvaMainForm::SmartMouseClick() {
    m_smartMouse = !m_smartMouse;
    toolButton(QStringLiteral("SmartMouse"))->setChecked(m_smartMouse);
    m_terminal->setSmartMouseClicks(m_smartMouse);
}

void TOrvaMainForm::ResetPendraBtnClick() {
    if (m_pipeline) {
        m_pipeline->reset();
    }
    if (m_sinks) {
        m_sinks->ClearSendQueue();
        m_sinks->SetResultTransferActive(false);
        m_sinks->HideTransferPanel();
        m_sinks->SetBusyCursor(false);
    }
}

// ---- closing ------------------------------------------------------------------------------------

void TOrvaMainForm::CleanWorkFiles() {
    const QDir dir(LocalPath::toLocalPath(m_settings.ResultDirectory));
    const QDateTime now = QDateTime::currentDateTime();
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (MainWindowLogic::IsOldWorkFile(fi.fileName(), fi.lastModified(), now)) {
            QFile::remove(fi.absoluteFilePath());
        }
    }
    // Plain-text copies of the last report message and the last upload hold patient data.
    QFile::remove(dir.filePath(QStringLiteral("lastpendrastring.txt")));
    QFile::remove(dir.filePath(QStringLiteral("Datacopy.txt")));
}

void TOrvaMainForm::closeEvent(QCloseEvent *event) {
    CleanWorkFiles();
    const bool connected = m_telnet->IsConnected();
    m_connection->FormClose();
    // Disconnecting writes the registry; changes made while not connected are kept too.
    if (!connected) {
        WriteRegistrySettings();
    }
    event->accept();
}
