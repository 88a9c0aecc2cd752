// Main window: start-up order, settings, the connect timer, link states and window shapes.
#include "app/TOrvaMainForm.h"

#include "app/DialogMessages.h"
#include "app/MainFormSinks.h"
#include "app/MainWindowLogic.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"
#include "common/WinColor.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
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
constexpr int kConnectWaitTicks = 30;
constexpr int kMaxFontSize = 30;
constexpr int kMinFontSizeToShrink = 8;

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
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_arguments(arguments),
      m_messages(messages ? std::move(messages) : std::make_unique<DialogMessages>(this)) {
    setWindowTitle(QStringLiteral("OrvaVT"));
    m_telnet = link ? link : new TTelnet(this);
    m_telnet->setParent(this);
    m_telnet->setTermType("vt400");
    m_sendQueue = std::make_unique<HostSendQueue>(*m_telnet);

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &TOrvaMainForm::Timer1Timer);
    m_rowseekTimer = new QTimer(this);
    m_rowseekTimer->setInterval(1000);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenuBar();
    buildTerminalArea();
    m_viewPanel = new QWidget(this);
    m_viewPanel->setObjectName(QStringLiteral("ViewPanel"));
    m_viewPanel->hide();
    layout->addWidget(m_menuPanel);
    layout->addWidget(m_vtPanel, 1);
    layout->addWidget(m_viewPanel, 1);
    buildPopupMenu();
    buildImageArea();

    connect(m_telnet, &HostLink::OnState, this, &TOrvaMainForm::Telnet1State);
    connect(m_telnet, &HostLink::OnError, this, &TOrvaMainForm::Telnet1Error);
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

TOrvaMainForm::~TOrvaMainForm() {
    // The image area's filter serves this object: it goes before the children are torn down.
    delete m_imageKeyFilter;
    // The pipeline refers to the sinks, the sinks to the form's children: end them first.
    m_pipeline.reset();
    m_sinks.reset();
    // The editor uses the queue and the messages below; it goes before them.
    delete m_wpForm;
}

bool TOrvaMainForm::LoginAnswered() const {
    return m_pipeline && m_pipeline->loginAnswered();
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
    m_sendQueue->onTransferLost = [this] {
        m_transferPanel->hide();
        QTimer::singleShot(0, this, [this] {
            m_messages->error(QStringLiteral("Save Data"),
                              QStringLiteral("The link to the host was lost while the report was being sent. "
                                             "Please Re-save when the link is back."));
            if (m_wpForm) {
                m_wpForm->ReportChanged = true;
            }
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
    m_mainBarPopUp->addAction(QStringLiteral("&Default Source"), this, &TOrvaMainForm::DefaultSourceClick);
    m_mainBarPopUp->addAction(QStringLiteral("&New Source"), this, &TOrvaMainForm::NewSourceClick);
    m_resetImagePosition = m_mainBarPopUp->addAction(QStringLiteral("&Reset Image Position"), this,
                                                     &TOrvaMainForm::ResetImagePosition1Click);
    m_mainBarPopUp->addSeparator();
    m_loginState =
        m_mainBarPopUp->addAction(QStringLiteral("&Logout"), this, &TOrvaMainForm::LoginStateClick);
    m_loginAs =
        m_mainBarPopUp->addAction(QStringLiteral("Login as &New user"), this, &TOrvaMainForm::LoginAsClick);
    m_logonNewSystem = m_mainBarPopUp->addAction(QStringLiteral("Log onto new S&ystem"), this,
                                                 &TOrvaMainForm::LogontoNewsystem1Click);
    m_mainBarPopUp->addSeparator();
    m_mainBarPopUp->addAction(QStringLiteral("&Modify Settings"), this,
                              [this] { traceUnbuilt(QStringLiteral("Advanced1")); });
    m_mainBarPopUp->addAction(QStringLiteral("&About"), this,
                              [this] { traceUnbuilt(QStringLiteral("About1")); });
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
    m_startPending = true;
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

void TOrvaMainForm::FormShow() {
    if (m_startPending) {
        m_timer1->start();
    }
}

void TOrvaMainForm::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    FormShow();
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
    DefaultSourceClick();
    m_hostName = m_settings.HostName;
    m_hostPort = m_settings.HostPort;

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

void TOrvaMainForm::ConnectToHost() {
    if (m_hostName.isEmpty()) {
        traceUnbuilt(QStringLiteral("Advancedbutton"));
        return;
    }
    const MainWindowLogic::HostAndPort hp = MainWindowLogic::ParseHostSetting(m_hostName, m_hostPort);
    m_hostPort = hp.port;
    m_hostName = hp.host;
    if (m_telnet->IsConnected()) {
        Disconnect();
    }
    m_connectWait = -1;
    m_connectCaption = QStringLiteral(" - Attempting: ") + HostText::toUnicode(m_hostName);
    m_timer1->start();
    if (m_pipeline) {
        m_pipeline->connectionStarted();
    }
    m_terminal->ClearAll();
    m_telnet->setWindowSize(m_terminal->Columns(), m_terminal->Rows());
    m_telnet->Connect(HostText::toUnicode(m_hostName), m_hostPort);
}

void TOrvaMainForm::Disconnect() {
    showLinkLight(false);
    m_telnet->Close();
    WriteRegistrySettings();
}

void TOrvaMainForm::reportTimerFailure(const QString &step, const QString &what) {
    // Stop the timer while the box is up, or every tick would stack another box.
    const bool wasActive = m_timer1->isActive();
    m_timer1->stop();
    m_messages->error(QStringLiteral("Error condition detected"),
                      QLatin1Char('"') + what + QStringLiteral("\" ") + step);
    if (wasActive) {
        m_timer1->start();
    }
}

void TOrvaMainForm::Timer1Timer() {
    QString step;
    try {
        if (m_startPending) {
            SizeToTerminal();
            m_startPending = false;
            if (!m_hostName.isEmpty()) {
                ConnectToHost();
            } else {
                m_timer1->stop();
                CollapseToMenuBar();
            }
            return;
        }
        ++m_connectWait;
        if (m_connectWait < kConnectWaitTicks) {
            m_imageLabel->setText(m_connectCaption + QStringLiteral("..") +
                                  QString::number(kConnectWaitTicks - m_connectWait) +
                                  QStringLiteral(" sec(s)"));
            return;
        }
        step = QStringLiteral("Error Condition encountered in the Timer1. Telnet1.state <> tcpconnected");
        if (!m_telnet->IsConnected()) {
            CollapseToMenuBar();
            m_telnet->Abort();
            showLinkLight(false);
        }
        m_timer1->stop();
    } catch (const std::exception &e) {
        reportTimerFailure(step, QString::fromLocal8Bit(e.what()));
    }
}

void TOrvaMainForm::showLinkLight(bool up) {
    m_linkLight->setVisible(up);
    m_noLinkLight->setVisible(!up);
}

void TOrvaMainForm::Telnet1State(LinkState state) {
    const QString setupName = QFileInfo(m_setupFileName).fileName();
    if (state == LinkState::Closed) {
        m_sendQueue->LinkDropped();
        showLinkLight(false);
        CollapseToMenuBar();
        m_imageLabel->setText(QStringLiteral("Image Retrieval System (") + setupName + QLatin1Char(')'));
        // A refused or dropped link ends the countdown; otherwise the caption would go on counting.
        if (!m_startPending) {
            m_timer1->stop();
        }
    } else if (state == LinkState::Connected) {
        const QString host = HostText::toUnicode(m_hostName);
        if (!m_settings.ImageSources.value(0).isEmpty()) {
            m_imageLabel->setText(QStringLiteral("Imaging System on ") + host + QStringLiteral(" (") +
                                  setupName + QLatin1Char(')'));
        } else {
            m_imageLabel->setText(QStringLiteral("Connected to ") + host + QStringLiteral(" (") + setupName +
                                  QLatin1Char(')'));
        }
        showLinkLight(true);
        m_timer1->stop();
        m_timer1->setInterval(1000);
    }
}

void TOrvaMainForm::Telnet1Error(int, const QString &description) {
    m_terminal->WriteString(QByteArrayLiteral("Error: \r\n") + HostText::fromUnicode(description));
}

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

TWPForm *TOrvaMainForm::WPForm() const {
    return m_wpForm;
}

void TOrvaMainForm::showeditor(const QByteArray &reportMessage) {
    m_lastReportMessage = reportMessage;
    if (!m_wpForm) {
        const EditorFolders folders{m_settings.TemplateDirectory, m_settings.AbbreviationDirectory,
                                    m_settings.ResultDirectory, m_programDir};
        m_wpForm = new TWPForm(folders, m_sendQueue.get(), *m_messages, this);
        m_wpForm->setWindowFlag(Qt::Window);
    }
    m_wpForm->ReceivedReportText = reportMessage;
    m_wpForm->LoadReport();
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
    m_imageNameListBox->clear();
    m_vtPanel->show();
    placeWindow(place, size);
    LayoutMenuBar();
}

void TOrvaMainForm::CollapseToMenuBar() {
    const QRect area = workArea();
    m_viewPanel->hide();
    m_imageNameListBox->clear();
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
    if (watched != m_menuPanel && watched != m_orvaLabel && watched != m_imageLabel) {
        return QWidget::eventFilter(watched, event);
    }
    auto *mouse = dynamic_cast<QMouseEvent *>(event);
    if (!mouse) {
        return QWidget::eventFilter(watched, event);
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
    return QWidget::eventFilter(watched, event);
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
        ConnectToHost();
    } else if (state == LinkState::Connected) {
        Disconnect();
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
    ConnectToHost();
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
    QString host = HostText::toUnicode(m_hostName);
    if (!m_messages->inputBox(QStringLiteral("Connect to new system"),
                              QStringLiteral("Address or Hostname of New System"), host)) {
        return;
    }
    m_hostName = HostText::fromUnicode(host);
    SizeToTerminal();
    ConnectToHost();
}

void TOrvaMainForm::NoLinkLightClick() {
    if (!m_telnet->IsConnected()) {
        SizeToTerminal();
        ConnectToHost();
    }
}

void TOrvaMainForm::MinimiseSpeedClick() {
    showMinimized();
}

void TOrvaMainForm::CloseSpeedClick() {
    Disconnect();
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
    const LinkState state = m_telnet->State();
    if (state == LinkState::Connected) {
        Disconnect();
    } else {
        if (state == LinkState::Connecting) {
            m_timer1->stop();
            m_telnet->Abort();
        }
        // Changes made while not connected are kept too, whichever way the window was closed.
        WriteRegistrySettings();
    }
    event->accept();
}
