// What the settings form reads from and does to the main window.
#include "app/SettingsHost.h"

#include "app/ConnectionController.h"
#include "app/MainWindowUi.h"
#include "app/TOrvaMainForm.h"
#include "common/HostText.h"
#include "platform/hostlink/HostLink.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QLabel>

#include <utility>

SettingsHost::SettingsHost(TOrvaMainForm &window, const MainWindowUi &ui,
                           const ConnectionController &connection, const HostLink &link, WindowFields fields,
                           std::function<void()> applyFont)
    : m_window(window), m_ui(ui), m_connection(connection), m_link(link), m_fields(fields),
      m_applyFont(std::move(applyFont)) {}

QString SettingsHost::SetupFileName() const {
    return m_fields.setupFileName;
}

void SettingsHost::ChangeSetupFile(const QString &fileName) {
    m_fields.previousSetupFileName = std::exchange(m_fields.setupFileName, fileName);
}

bool SettingsHost::ReadSetupFile() {
    return m_window.ReadSetupFile();
}

SetupDocument::Colours SettingsHost::ColourTexts() const {
    return {m_ui.terminal->foreColorText(), m_ui.terminal->backColorText(), m_ui.terminal->boldColorText()};
}

QFont SettingsHost::TerminalFont() const {
    QFont font(m_fields.fontName);
    font.setPointSize(m_fields.fontSize);
    return font;
}

void SettingsHost::ApplyTerminalFont(const QFont &font) {
    m_fields.fontName = font.family();
    m_fields.fontSize = font.pointSize() > 0 ? font.pointSize() : m_fields.fontSize;
    m_applyFont();
    m_window.SizeToTerminal();
}

QString SettingsHost::HostCaption() const {
    const QString host = HostText::toUnicode(m_connection.HostName());
    return m_link.IsConnected() ? QStringLiteral("Connected to ") + host : host;
}

void SettingsHost::SetCaption(const QString &caption) {
    m_ui.imageLabel->setText(caption);
}
