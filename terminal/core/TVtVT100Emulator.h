// VT100 emulator with VT52 mode: executes the parser's commands on the buffer, keeps the terminal
// modes, character sets and saved cursor, answers status requests and translates keys.
#pragma once

#include "terminal/core/TVtCharSetMapping.h"
#include "terminal/core/TVtKeyboardMapping.h"
#include "terminal/core/TVtTerminalEmulator.h"
#include "terminal/core/TVtVT100Parser.h"

#include <vector>

// A run of blinking cells on one row (columns in screen cells).
struct TVtBlinkRun {
    int Row;
    int FirstCol;
    int LastCol;
    bool operator==(const TVtBlinkRun &) const = default;
};

class TVtVT100Emulator : public TVtTerminalEmulator {
public:
    TVtVT100Emulator();

    void ProcessBlock(const char *bytes, int count) override;
    using TVtTerminalEmulator::ProcessBlock;
    void ClearAll() override;
    void KeyDown(int &key, int shift) override;
    void KeyPress(char &c) override;
    bool HasBlinkingText() const override { return !m_blinkRuns.empty(); }
    const std::vector<TVtBlinkRun> &BlinkRuns() const { return m_blinkRuns; }

    virtual void ExecuteCommand();
    virtual void SgrForeColor(int parameter);
    virtual void SgrBackColor(int parameter);

    TVtKeyboardMapping &KeyboardMapping() { return m_keys; }
    TVtCharSetMapping &CharSetMapping() { return m_charSets; }
    const TVtCharSetMapping &CharSetMapping() const { return m_charSets; }
    TVtVT100Parser &Parser() { return m_parser; }

    QByteArray Answerback;
    bool DisplayUpperASCII = false;

    // Modes, for the painter and for tests.
    bool AnsiMode() const { return m_ansi; }
    bool CursorKeyAppMode() const { return m_cursorKeysApp; }
    bool KeypadAppMode() const { return m_keypadApp; }
    bool AutoRepeat() const { return m_autoRepeat; }
    bool Columns132() const { return m_col132; }
    bool ReverseScreen() const { return m_reverseScreen; }
    bool G1Active() const { return m_g1Active; }
    uint8_t G0() const { return m_g0; }
    uint8_t G1() const { return m_g1; }

protected:
    void reply(const QByteArray &bytes);
    void rebuildBlinkList();
    void writeUpperByte(uint8_t b);
    void setMode(bool on);
    void rendition();
    void reset();
    void saveCursor();
    void restoreCursor();
    void sendKeyText(const QByteArray &text);

    TVtVT100Parser m_parser;
    TVtKeyboardMapping m_keys;
    TVtCharSetMapping m_charSets;
    std::vector<TVtBlinkRun> m_blinkRuns;

    bool m_ansi = true;
    bool m_cursorKeysApp = false;
    bool m_keypadApp = false;
    bool m_autoRepeat = true;
    bool m_col132 = false;
    bool m_smoothScroll = false;
    bool m_interlace = false;
    bool m_reverseScreen = false;
    bool m_g1Active = false;
    uint8_t m_g0 = vcsUSASCII;
    uint8_t m_g1 = vcsUSASCII;

    // The saved cursor; until a save it restores home with the buffer's default colours.
    struct SavedCursor {
        bool valid = false;
        uint8_t attrs = 0;
        uint32_t back = 0;
        uint8_t charSet = 0;
        int col = 1;
        uint32_t fore = 0;
        int row = 1;
    } m_saved;

private:
    struct Commands; // the handler of each parser command
};
