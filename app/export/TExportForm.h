// The export and import dialog: the file on this computer, the host file and item, a progress bar
// and one button that starts and cancels. The dialogue itself is an ItemTransfer.
#pragma once

#include "app/export/ItemTransfer.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class TExportForm : public QDialog {
    Q_OBJECT
public:
    // `programDir` is where the file dialog starts.
    TExportForm(HostLink &link, UserMessages &messages, const QString &programDir, QWidget *parent = nullptr);

    ItemTransfer &Transfer() { return *m_transfer; }
    void setCodes(const ItemTransfer::Codes &codes) { m_transfer->setCodes(codes); }

    // ToolButton5 and ToolButton6: the form set up for an export or an import, and shown.
    void ShowExport();
    void ShowImport();

    void ExportButtonClick();
    void OpenFileButtonClick();

    // Closing the form (its close button or Escape) takes a running transfer's host back to its prompt.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMode(bool import);
    void transferActive(bool active);

    UserMessages &m_messages;
    QString m_programDir;
    ItemTransfer *m_transfer = nullptr;
    QString m_buttonCaption;
    QLabel *m_winFileLabel = nullptr;
    QLineEdit *m_winFile = nullptr;
    QPushButton *m_openFileButton = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLineEdit *m_d3File = nullptr;
    QLineEdit *m_d3Item = nullptr;
    QPushButton *m_exportButton = nullptr;
    QCheckBox *m_lineEndings = nullptr;
};
