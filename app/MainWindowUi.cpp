// The main window's widgets, laid out as the window's shapes expect them.
#include "app/MainWindowUi.h"

#include "terminal/widget/TVtTerminalEx.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

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

void MainWindowUi::setupUi(QWidget *window) {
    buildMenuBar(window);
    buildTerminalArea(window);
    buildToolBar();
}

QToolButton *MainWindowUi::toolButton(const QString &objectName) const {
    return toolBar1->findChild<QToolButton *>(objectName);
}

// The window drags itself by the menu bar and its two captions, and takes clicks on the red light.
void MainWindowUi::buildMenuBar(QWidget *window) {
    menuPanel = new QFrame(window);
    menuPanel->setObjectName(QStringLiteral("MenuPanel"));
    menuPanel->setFrameShape(QFrame::Panel);
    menuPanel->setFrameShadow(QFrame::Raised);
    menuPanel->installEventFilter(window);

    reqNum = new QLineEdit(menuPanel);
    reqNum->setObjectName(QStringLiteral("ReqNum"));
    formButton = new QPushButton(QStringLiteral("Form"), menuPanel);
    formButton->setObjectName(QStringLiteral("FormButton"));
    exitButton = new QPushButton(QStringLiteral("Exit!"), menuPanel);
    exitButton->setObjectName(QStringLiteral("ExitButton"));
    orvaLabel = new QLabel(QStringLiteral("Orva"), menuPanel);
    orvaLabel->setObjectName(QStringLiteral("OrvaLabel"));
    QFont bold = orvaLabel->font();
    bold.setBold(true);
    orvaLabel->setFont(bold);
    orvaLabel->installEventFilter(window);
    imageLabel = new QLabel(QStringLiteral("Imaging System"), menuPanel);
    imageLabel->setObjectName(QStringLiteral("ImageLabel"));
    imageLabel->installEventFilter(window);
    linkLight = new QLabel(menuPanel);
    linkLight->setObjectName(QStringLiteral("LinkLight"));
    linkLight->setPixmap(lightPixmap(Qt::green));
    noLinkLight = new QLabel(menuPanel);
    noLinkLight->setObjectName(QStringLiteral("NoLinkLight"));
    noLinkLight->setPixmap(lightPixmap(Qt::red));
    noLinkLight->setToolTip(QStringLiteral("Click here to log on!"));
    noLinkLight->installEventFilter(window);
    linkLight->hide();
    minimiseSpeed = new QToolButton(menuPanel);
    minimiseSpeed->setObjectName(QStringLiteral("MinimiseSpeed"));
    minimiseSpeed->setText(QStringLiteral("_"));
    closeSpeed = new QToolButton(menuPanel);
    closeSpeed->setObjectName(QStringLiteral("CloseSpeed"));
    closeSpeed->setText(QStringLiteral("X"));
    closeSpeed->setToolTip(QStringLiteral("Close Orva"));
    // One row high in the menu bar; the arrow keys and the wheel move through the request's files.
    imageNameListBox = new QListWidget(menuPanel);
    imageNameListBox->setObjectName(QStringLiteral("ImageNameListBox"));
    imageNameListBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imageNameListBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imageNameListBox->setUniformItemSizes(true);
    imageNameListBox->hide();
}

void MainWindowUi::buildTerminalArea(QWidget *window) {
    vtPanel = new QWidget(window);
    vtPanel->setObjectName(QStringLiteral("VTpanel"));
    auto *v = new QVBoxLayout(vtPanel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    toolBar1 = new QToolBar(vtPanel);
    toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    v->addWidget(toolBar1);
    terminal = new TVtTerminalEx(vtPanel);
    terminal->setObjectName(QStringLiteral("VtTerminal1"));
    terminal->setUseLazyDisplay(false);
    terminal->setBorderStyle(TVtBorderStyle::bsNone);
    terminal->setActive(false);
    terminal->setCaptureFile(QStringLiteral("TALVERN.CAP"));
    auto emulator = std::make_unique<TVtVT100EmulatorEx>();
    emulator->TelnetTermType = "vt400";
    emulator->DisplayUpperASCII = true;
    emulator->HandleHookedKeys = true;
    terminal->setEmulator(std::move(emulator));
    terminal->setColorTexts("Black=$0; Red=$80; Green=$8000; Yellow=$8080; Blue=$800000; Magenta=$800080; "
                            "Cyan=$808000; White=$C0C0C0; ",
                            "Black=$0; Red=$80; Green=$8000; Yellow=$8080; Blue=$800000; Magenta=$800080; "
                            "Cyan=$808000; White=$C0C0C0; ",
                            "Black=$808080; Red=$8080FF; Green=$80FF80; Yellow=$80FFFF; Blue=$FF8080; "
                            "Magenta=$FF80FF; Cyan=$FFFF80; "
                            "White=$FFFFFF; ");
    terminal->setScrollbackRows(500);
    terminal->setScrollback(true);
    v->addWidget(terminal, 1);
    transferPanel = new QFrame(vtPanel);
    transferPanel->setObjectName(QStringLiteral("TransferPanel"));
    auto *t = new QVBoxLayout(transferPanel);
    t->addWidget(new QLabel(QStringLiteral("Document Transfer"), transferPanel));
    docProgressBar = new QProgressBar(transferPanel);
    docProgressBar->setObjectName(QStringLiteral("DocProgressBar"));
    t->addWidget(docProgressBar);
    transferPanel->hide();
    v->addWidget(transferPanel);
    docProgressBar->setRange(0, 1000);
}

QToolButton *MainWindowUi::addToolButton(const QString &name, const QString &hint, const QString &glyph) {
    auto *button = new QToolButton(toolBar1);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(glyph);
    toolBar1->addWidget(button);
    return button;
}

void MainWindowUi::buildToolBar() {
    const struct {
        const char *name;
        const char *hint;
        const char *glyph;
    } buttons[] = {
        {"Fontupbutton", "Increase font size", "A+"},
        {"FontDownbutton", "Reduce font size", "A-"},
        {"Forecolour", "Foreground Colour", "Fg"},
        {"backcolour", "Background Colour", "Bg"},
        {nullptr, nullptr, nullptr},
        {"Advancedbutton", "Change Font, Key maps and Swaps", "Set"},
        {"FileCapturebutton", "Save data to file", "Cap"},
        {"PrintTextButton", "Print Screen", "Prn"},
        {"ToolButton5", "Export File to d3", "Exp"},
        {"ToolButton6", "Import File From d3", "Imp"},
        {"WPEditButton", "WP Editor Templates", "WP"},
        {"SHowAudioBtn", "Audio Playback", "Aud"},
        {"ImageDisplayOptionToolBtn", "Display images in a separate Window", "Win"},
        {"SmartMouse", "Navigate with Mouse Clicks", "Ms"},
        {"ResetPendraBtn", "Reset Pendra or Audio Session", "Rst"},
        {"ToolButton11", "", "Frm"},
    };
    for (const auto &b : buttons) {
        if (!b.name) {
            toolBar1->addSeparator();
            continue;
        }
        addToolButton(QString::fromLatin1(b.name), QString::fromLatin1(b.hint), QString::fromLatin1(b.glyph));
    }
    for (const char *name : {"FileCapturebutton", "ImageDisplayOptionToolBtn", "SmartMouse"}) {
        toolButton(QString::fromLatin1(name))->setCheckable(true);
    }
    // Hidden: a tool-bar widget is hidden through its action.
    QToolButton *forms = toolButton(QStringLiteral("ToolButton11"));
    for (QAction *a : toolBar1->actions()) {
        if (toolBar1->widgetForAction(a) == forms) {
            a->setVisible(false);
        }
    }
}
