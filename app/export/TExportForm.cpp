// The export and import dialog's controls, wired to its transfer.
#include "app/export/TExportForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kCancel = QStringLiteral("&Cancel");
const QString kImport = QStringLiteral("&Import");
} // namespace

TExportForm::TExportForm(HostLink &link, UserMessages &messages, const QString &programDir, QWidget *parent)
    : QDialog(parent), m_messages(messages), m_programDir(programDir) {
    setObjectName(QStringLiteral("ExportForm"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    m_transfer = new ItemTransfer(link, messages, {}, this);
    m_transfer->setObjectName(QStringLiteral("ItemTransfer"));

    auto *windowsGroup = new QGroupBox(QStringLiteral("Windows File"), this);
    m_winFileLabel = new QLabel(windowsGroup);
    m_winFileLabel->setObjectName(QStringLiteral("WinFileLabel"));
    m_winFile = new QLineEdit(windowsGroup);
    m_winFile->setObjectName(QStringLiteral("WinFile"));
    m_winFile->installEventFilter(this);
    m_winFileLabel->setBuddy(m_winFile);
    m_openFileButton = new QPushButton(QStringLiteral(".."), windowsGroup);
    m_openFileButton->setObjectName(QStringLiteral("OpenFileButton"));
    m_progressBar = new QProgressBar(windowsGroup);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->hide();
    auto *w = new QGridLayout(windowsGroup);
    w->addWidget(m_winFileLabel, 0, 0, 1, 2);
    w->addWidget(m_winFile, 1, 0);
    w->addWidget(m_openFileButton, 1, 1);
    w->addWidget(m_progressBar, 2, 0, 1, 2);

    auto *d3Group = new QGroupBox(QStringLiteral("d3 Details"), this);
    m_d3File = new QLineEdit(d3Group);
    m_d3File->setObjectName(QStringLiteral("d3File"));
    m_d3Item = new QLineEdit(d3Group);
    m_d3Item->setObjectName(QStringLiteral("d3Item"));
    m_exportButton = new QPushButton(d3Group);
    m_exportButton->setObjectName(QStringLiteral("ExportButton"));
    m_lineEndings = new QCheckBox(QStringLiteral("Send Line Endings"), d3Group);
    m_lineEndings->setObjectName(QStringLiteral("linendingscheck"));
    m_lineEndings->setChecked(true);
    auto *d = new QGridLayout(d3Group);
    auto *fileLabel = new QLabel(QStringLiteral("File"), d3Group);
    fileLabel->setBuddy(m_d3File);
    auto *itemLabel = new QLabel(QStringLiteral("Item"), d3Group);
    itemLabel->setBuddy(m_d3Item);
    d->addWidget(fileLabel, 0, 0);
    d->addWidget(m_d3File, 0, 1);
    d->addWidget(itemLabel, 1, 0);
    d->addWidget(m_d3Item, 1, 1);
    d->addWidget(m_lineEndings, 2, 0, 1, 2);
    d->addWidget(m_exportButton, 3, 1, Qt::AlignRight);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(windowsGroup);
    layout->addWidget(d3Group);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_exportButton, &QPushButton::clicked, this, &TExportForm::ExportButtonClick);
    connect(m_openFileButton, &QPushButton::clicked, this, &TExportForm::OpenFileButtonClick);
    connect(m_transfer, &ItemTransfer::activeChanged, this, &TExportForm::transferActive);
    connect(m_transfer, &ItemTransfer::progress, this, [this](int value, int maximum) {
        m_progressBar->setRange(0, qMax(0, maximum));
        m_progressBar->setValue(value);
        m_progressBar->show();
    });
    connect(m_transfer, &ItemTransfer::progressHidden, m_progressBar, &QWidget::hide);
    connect(m_transfer, &ItemTransfer::hideRequested, this, &QWidget::hide);
    connect(m_transfer, &ItemTransfer::focusButton, m_exportButton, [this] { m_exportButton->setFocus(); });
}

void TExportForm::ShowExport() {
    showMode(false);
}

void TExportForm::ShowImport() {
    showMode(true);
}

void TExportForm::showMode(bool import) {
    if (m_transfer->Active()) {
        show();
        raise();
        return;
    }
    m_winFileLabel->setText(import ? QStringLiteral("Import to File") : QStringLiteral("File To Export"));
    m_exportButton->setText(import ? kImport : QStringLiteral("E&xport"));
    setWindowTitle(import ? QStringLiteral("Import d3 File to Windows")
                          : QStringLiteral("Export Windows File to d3"));
    m_lineEndings->setVisible(import);
    // The host writes the import's file itself: the path goes to it exactly as typed here.
    m_winFile->setToolTip(
        import ? QStringLiteral("The path as the host sees it; it is sent to the host unchanged.")
               : QString());
    m_progressBar->hide();
    show();
    raise();
    activateWindow();
}

void TExportForm::transferActive(bool active) {
    if (active) {
        m_buttonCaption = m_exportButton->text();
        m_exportButton->setText(kCancel);
    } else if (!m_buttonCaption.isEmpty()) {
        m_exportButton->setText(m_buttonCaption);
    }
}

void TExportForm::ExportButtonClick() {
    if (m_exportButton->text() == kCancel) {
        m_transfer->Cancel();
        return;
    }
    for (QLineEdit *edit : {m_winFile, m_d3File, m_d3Item}) {
        if (edit->text().trimmed().isEmpty()) {
            edit->setFocus();
            return;
        }
    }
    ItemTransfer::Request request;
    request.Import = m_exportButton->text() == kImport;
    request.WinFile = m_winFile->text();
    request.D3File = m_d3File->text();
    request.D3Item = m_d3Item->text();
    request.SendLineEndings = m_lineEndings->isChecked();
    m_transfer->Start(request);
}

void TExportForm::OpenFileButtonClick() {
    const QString file = m_messages.openFileName(QStringLiteral("File to Export"), m_programDir,
                                                 QStringLiteral("Any File (*)"));
    if (!file.isEmpty()) {
        m_winFile->setText(file);
    }
}

void TExportForm::reject() {
    m_transfer->Close();
    QDialog::reject();
}

bool TExportForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_winFile && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_winFile->text().isEmpty()) {
                m_openFileButton->setFocus();
            } else {
                m_d3File->setFocus();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
