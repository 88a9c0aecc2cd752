// The about box: product names, version and build from the version resource, and lines the opener
// adds about the current configuration.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmHelpAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelpAbout(QWidget *parent = nullptr);

    // Adds one line to the opener's part of the box (`memDynamic`).
    void addDynamicLine(const QString &line);
    QStringList DynamicLines() const;

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblBuild = nullptr;
    QPlainTextEdit *memAppNames = nullptr;
    QPlainTextEdit *memWarning = nullptr;
    QPlainTextEdit *memMaker = nullptr;
    QPlainTextEdit *memDynamic = nullptr;
    QPushButton *btnOk = nullptr;
};

namespace HelpAbout {

// Opens the about box modally with the opener's lines; the box frees itself when closed.
// The results editor and the main window both open it this way.
void Show(QWidget *parent, const QStringList &dynamicLines);

// The main window's lines: primary image server, primary host and the configuration file.
QStringList MainWindowLines(const QString &firstImageSource, const QString &hostName,
                            const QString &setupFileName);

} // namespace HelpAbout
