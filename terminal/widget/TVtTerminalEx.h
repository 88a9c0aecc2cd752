// The main window's terminal control: publishes its emulator and reports smart mouse clicks (a click
// on a number yields that number); also the colour and font calls the main window makes.
#pragma once

#include "terminal/widget/TVtCustomTerminal.h"
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include <memory>

class TVtTerminalEx : public TVtCustomTerminal {
    Q_OBJECT
public:
    explicit TVtTerminalEx(QWidget *parent = nullptr);
    ~TVtTerminalEx() override;

    // The emulator in use; nullptr while the private TTY emulator serves.
    TVtTerminalEmulator *Emulator() const { return UsesPrivateEmulator() ? nullptr : CurrentEmulator(); }
    // The extended emulator when that is the one in use.
    TVtVT100EmulatorEx *EmulatorEx() const { return dynamic_cast<TVtVT100EmulatorEx *>(Emulator()); }
    // The control keeps the emulator it is given (so the emulator outlives every paint).
    void setEmulator(std::unique_ptr<TVtTerminalEmulator> emulator);

    bool SmartMouseClicks() const { return m_smartMouse; }
    void setSmartMouseClicks(bool on) { m_smartMouse = on; }

    // Colours of the emulator's buffer ($00BBGGRR). The default back colour is also the margin colour.
    uint32_t DefForeColor() const;
    uint32_t DefBackColor() const;
    void SetDefForeColor(uint32_t color);
    void SetDefBackColor(uint32_t color);
    uint32_t ForeColor() const;
    void SetForeColor(uint32_t color);

    // The extended emulator's colour tables as text ("Black=$0; Red=$80; ...").
    void setColorTexts(const QByteArray &fore, const QByteArray &back, const QByteArray &bold);
    QByteArray foreColorText() const;
    QByteArray backColorText() const;
    QByteArray boldColorText() const;

signals:
    // A left click on one cell: the digits around it (empty when the cell holds no digit).
    void smartMouseClick(int button, int shift, const QByteArray &text);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void repaintChanged();

    std::unique_ptr<TVtTerminalEmulator> m_owned;
    bool m_smartMouse = false;
    bool m_leftPress = false;
};
