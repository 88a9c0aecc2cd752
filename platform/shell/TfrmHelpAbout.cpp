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
    m_lblTitle = new QLabel(QStringLiteral("Orva / Pendra"), this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblVersion = new QLabel(QStringLiteral("Version: "), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblBuild = new QLabel(QStringLiteral("Build: "), this);
    m_lblBuild->setObjectName(QStringLiteral("lblBuild"));

    const TZebVersionInfo ZebVersionInfo;
    if (ZebVersionInfo.HasInformation()) {
        m_lblVersion->setText(QStringLiteral("Version: ") +
                              ZebVersionInfo.StringValue(QStringLiteral("ProductVersion")));
        m_lblBuild->setText(QStringLiteral("Build: ") +
                            ZebVersionInfo.StringValue(QStringLiteral("FileVersion")));
    }

    m_memAppNames = fixedMemo(this, QStringLiteral("memAppNames"),
                              QStringLiteral("Orva: Teminal Emulation and Scanned Request Viewer.\n"
                                             "Pendra: Graphical Results Editor/Viewer."));
    m_memWarning = fixedMemo(
        this, QStringLiteral("memWarning"),
        QStringLiteral("Warning: this program is protected by copyright law. Unauthorised reproduction or "
                       "distribution of this program, or any part of it, may result in civil and criminal "
                       "penalties. Reports and images shown by it are confidential patient records."));
    m_memMaker =
        fixedMemo(this, QStringLiteral("memMaker"),
                  QStringLiteral("Tessel laboratory systems. Orva is built with Qt, libtelnet, libtiff and "
                                 "libgsm, each under its own licence."));
    m_memDynamic = fixedMemo(this, QStringLiteral("memDynamic"), QString());
    m_memDynamic->clear();
    m_memDynamic->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *buttons = new QDialogButtonBox(this);
    m_btnOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    layout->addWidget(m_lblTitle);
    layout->addWidget(m_lblVersion);
    layout->addWidget(m_lblBuild);
    layout->addWidget(bevel(this));
    layout->addWidget(m_memAppNames);
    layout->addWidget(bevel(this));
    layout->addWidget(m_memWarning);
    layout->addWidget(m_memMaker);
    layout->addWidget(bevel(this));
    layout->addWidget(m_memDynamic);
    layout->addWidget(buttons);
    resize(460, 520);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TfrmHelpAbout::addDynamicLine(const QString &line) {
    m_memDynamic->appendPlainText(line);
}

QStringList TfrmHelpAbout::DynamicLines() const {
    const QString text = m_memDynamic->toPlainText();
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
