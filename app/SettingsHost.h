// What the settings form reads from and does to the main window: the setup file's name and reading
// it again, the terminal's colours and font, and the caption over the image area.
#pragma once

#include "app/settingsform/TTextAttForm.h"

#include <functional>

class ConnectionController;
class HostLink;
class TOrvaMainForm;
struct MainWindowUi;

class SettingsHost : public TextAttHost {
public:
    // The window's own fields that the form changes; the window outlives this.
    struct WindowFields {
        QString &setupFileName;
        QString &previousSetupFileName;
        QString &fontName;
        int &fontSize;
    };
    // `applyFont` puts the window's font fields on the terminal.
    SettingsHost(TOrvaMainForm &window, const MainWindowUi &ui, const ConnectionController &connection,
                 const HostLink &link, WindowFields fields, std::function<void()> applyFont);

    QString SetupFileName() const override;
    void ChangeSetupFile(const QString &fileName) override;
    bool ReadSetupFile() override;
    SetupDocument::Colours ColourTexts() const override;
    QFont TerminalFont() const override;
    void ApplyTerminalFont(const QFont &font) override;
    QString HostCaption() const override;
    void SetCaption(const QString &caption) override;

private:
    TOrvaMainForm &m_window;
    const MainWindowUi &m_ui;
    const ConnectionController &m_connection;
    const HostLink &m_link;
    WindowFields m_fields;
    std::function<void()> m_applyFont;
};
