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

private:
    // Each part's object name is its member name without "m_" (lblVersion, memDynamic, ...).
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblBuild = nullptr;
    QPlainTextEdit *m_memAppNames = nullptr;
    QPlainTextEdit *m_memWarning = nullptr;
    QPlainTextEdit *m_memMaker = nullptr;
    QPlainTextEdit *m_memDynamic = nullptr;
    QPushButton *m_btnOk = nullptr;
};

namespace HelpAbout {

// Opens the about box modally with the opener's lines; the box frees itself when closed.
// The results editor and the main window both open it this way.
void Show(QWidget *parent, const QStringList &dynamicLines);

// The main window's lines: primary image server, primary host and the configuration file.
QStringList MainWindowLines(const QString &firstImageSource, const QString &hostName,
                            const QString &setupFileName);

} // namespace HelpAbout
