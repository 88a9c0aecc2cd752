// The main window's emulator: VT100 with configurable colour tables and bold colours, and keys handed
// back to the window's own key handling.
#pragma once

#include "terminal/core/TVtVT100Emulator.h"

#include <array>
#include <cstdint>

using TVtColorTable = std::array<uint32_t, 8>;

class TVtVT100EmulatorEx : public TVtVT100Emulator {
public:
    TVtVT100EmulatorEx();

    static const TVtColorTable &DefaultColors();
    static TVtColorTable BoldDefaults();
    // Each of red, green and blue raised by 128, at most 255.
    static uint32_t BoldOf(uint32_t color);
    // "Black=$0; Red=$80; ..." (upper-case hex without leading zeros, every entry ending "; ").
    static QByteArray ColorTableText(const TVtColorTable &table);
    // Stores every valid "Name=value" entry; returns how many were stored.
    static int ParseColorText(const QByteArray &text, TVtColorTable &table);

    QByteArray ForeColorsStr() const { return ColorTableText(m_fore); }
    QByteArray BackColorsStr() const { return ColorTableText(m_back); }
    QByteArray BoldColorsStr() const { return ColorTableText(m_bold); }
    // A text without one valid entry resets the table to its defaults.
    void SetForeColorsStr(const QByteArray &text);
    void SetBackColorsStr(const QByteArray &text);
    void SetBoldColorsStr(const QByteArray &text);
    uint32_t PendingBoldColor() const { return m_pendingBold; }

    // The window's key maps send what the host gets, so unless the window marks a key as handled it
    // goes on to the window even when the key map translated it. Nothing sets KeyHandled today; setting
    // it whenever the map translated a key would make arrows and PF keys vanish, since the emulator's
    // own output goes nowhere.
    bool HandleHookedKeys = false;
    bool KeyHandled = false;
    bool IgnoreGraphicsFont = false;

    void SetCursorKeyAppMode(bool on) { m_cursorKeysApp = on; }
    void SetKeypadAppMode(bool on) { m_keypadApp = on; }
    void SetAnsiMode(bool on);

    void KeyDown(int &key, int shift) override;
    void ExecuteCommand() override;
    void SgrForeColor(int parameter) override;
    void SgrBackColor(int parameter) override;

private:
    TVtColorTable m_fore;
    TVtColorTable m_back;
    TVtColorTable m_bold;
    uint32_t m_pendingBold;
};
