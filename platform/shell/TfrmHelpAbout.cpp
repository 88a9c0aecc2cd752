// The about box.
#include "platform/shell/TfrmHelpAbout.h"
#include "platform/modal/ModalDialog.h"

#include "platform/shell/TZebVersionInfo.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

namespace {

QPlainTextEdit *fixedMemo(QWidget *parent, const QString &objectName, const QString &text) {
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(objectName);
    memo->setReadOnly(true);
    memo->setPlainText(text);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return memo;
}

QFrame *bevel(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TfrmHelpAbout::TfrmHelpAbout(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHelpAbout"));
    setWindowTitle(QStringLiteral("About Orva/Pendra"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    lblTitle = new QLabel(QStringLiteral("Orva / Pendra"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(QStringLiteral("Version: "), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblBuild = new QLabel(QStringLiteral("Build: "), this);
    lblBuild->setObjectName(QStringLiteral("lblBuild"));

    const TZebVersionInfo ZebVersionInfo;
    if (ZebVersionInfo.HasInformation()) {
        lblVersion->setText(QStringLiteral("Version: ") +
                            ZebVersionInfo.StringValue(QStringLiteral("ProductVersion")));
        lblBuild->setText(QStringLiteral("Build: ") +
                          ZebVersionInfo.StringValue(QStringLiteral("FileVersion")));
    }

    memAppNames = fixedMemo(this, QStringLiteral("memAppNames"),
                            QStringLiteral("Orva: Teminal Emulation and Scanned Request Viewer.\n"
                                           "Pendra: Graphical Results Editor/Viewer."));
    memWarning = fixedMemo(
        this, QStringLiteral("memWarning"),
        QStringLiteral("Warning: this program is protected by copyright law. Unauthorised reproduction or "
                       "distribution of this program, or any part of it, may result in civil and criminal "
                       "penalties. Reports and images shown by it are confidential patient records."));
    memMaker =
        fixedMemo(this, QStringLiteral("memMaker"),
                  QStringLiteral("Tessel laboratory systems. Orva is built with Qt, libtelnet, libtiff and "
                                 "libgsm, each under its own licence."));
    memDynamic = fixedMemo(this, QStringLiteral("memDynamic"), QString());
    memDynamic->clear();
    memDynamic->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addWidget(lblBuild);
    layout->addWidget(bevel(this));
    layout->addWidget(memAppNames);
    layout->addWidget(bevel(this));
    layout->addWidget(memWarning);
    layout->addWidget(memMaker);
    layout->addWidget(bevel(this));
    layout->addWidget(memDynamic);
    layout->addWidget(buttons);
    resize(460, 520);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TfrmHelpAbout::addDynamicLine(const QString &line) {
    memDynamic->appendPlainText(line);
}

QStringList TfrmHelpAbout::DynamicLines() const {
    const QString text = memDynamic->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

namespace HelpAbout {

void Show(QWidget *parent, const QStringList &dynamicLines) {
    auto box = std::make_unique<TfrmHelpAbout>(parent);
    for (const QString &line : dynamicLines) {
        box->addDynamicLine(line);
    }
    RunModalDialog(box, QDialog::Rejected);
}

QStringList MainWindowLines(const QString &firstImageSource, const QString &hostName,
                            const QString &setupFileName) {
    return {QStringLiteral("Primary Image Server : ") +
                (firstImageSource.isEmpty() ? QStringLiteral("<not assigned>") : firstImageSource),
            QStringLiteral("Primary Host: ") + hostName,
            QStringLiteral("Configuration File: ") + setupFileName};
}

} // namespace HelpAbout
