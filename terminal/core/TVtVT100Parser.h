// VT100/VT52 escape-sequence parser: a byte-at-a-time state machine that survives block splits.
#pragma once

#include "terminal/core/TVtTerminalParser.h"

#include <optional>

// Command codes produced by the parser.
enum TVtCommand : int {
    vcNone = 0,
    vcPrint = 1,
    vcCursorPosition = 2,
    vcCursorUp = 3,
    vcCursorDown = 4,
    vcCursorForward = 5,
    vcCursorBackward = 6,
    vcSetMode = 13,
    vcRendition = 16,
    vcSaveCursor = 17,
    vcRestoreCursor = 18,
    vcStatusReport = 19,
    vcHorizontalTab = 34,
    vcVerticalTab = 40,
    vcIdentify = 41,
    vcDeleteChars = 43,
    vcDeleteLines = 45,
    vcEraseChars = 49,
    vcEraseInDisplay = 50,
    vcEraseInLine = 52,
    vcSetTabStop = 65,
    vcInsertChars = 66,
    vcInsertLines = 67,
    vcNextLine = 76,
    vcReverseIndex = 88,
    vcReset = 89,
    vcResetMode = 90,
    vcTabClear = 106,
    vcRequestParameters = 126,
    vcScrollRegion = 113,
    vcEnquiry = 114,
    vcBell = 115,
    vcBackspace = 116,
    vcLineFeed = 117,
    vcCarriageReturn = 118,
    vcShiftOut = 119,
    vcShiftIn = 120,
    vcIndex = 121,
    vcScreenAlignment = 122,
    vcDoubleHeightLine = 123,
    vcDoubleWidthLine = 124,
    vcLoadLeds = 125,
    vcSingleWidthLine = 127,
    vcConfidenceTest = 128,
    vcDesignate = 129,
};

class TVtVT100Parser : public TVtTerminalParser {
public:
    // Longest sequence kept; anything longer is abandoned (a corrupt stream must not grow memory).
    static constexpr int kMaxSequence = 256;
    static constexpr int kMaxArguments = 64;

    int GetArgument(int index) const override;
    QByteArray GetSequence() const override;
    int ProcessChar(uint8_t b) override;
    bool IsVT52() const override { return m_vt52; }
    void Clear() override;

    int ArgumentCount() const { return m_argCount; }
    // True when the next printable byte would be reported as a plain character.
    bool InGround() const { return m_state == Ground || m_state == Done; }
    // Ground-state fast path for a printable byte; equivalent to ProcessChar for such bytes.
    void AcceptPrintable() {
        m_state = Done;
        m_command = vcPrint;
        m_argCount = 0;
        m_length = 0;
        m_controlChar = -1;
    }
    void SetVT52(bool on) { m_vt52 = on; }

private:
    enum State {
        Ground,
        Escape,
        Csi,
        EscHash,
        EscG0,
        EscG1,
        OtherDesignator,
        Done,
        Interrupted,
        Vt52Address,
    };

    int control(uint8_t b);
    int escape(uint8_t b);
    int vt52Escape(uint8_t b);
    int csi(uint8_t final);
    // The numbers between CSI and the final byte into the argument list (a "?" first becomes -2);
    // false when they do not form one.
    bool readCsiArgs(bool &privateMarker);
    // The commands that take one number; no result for the other final bytes.
    std::optional<int> singleArgCsi(uint8_t final);
    // The commands that keep their whole argument list.
    int multiArgCsi(uint8_t final);
    int designate(uint8_t b);
    int command(int code, std::initializer_list<int> args = {});
    int ignore();
    bool append(uint8_t b);
    bool pushArg(int value);
    bool normalise(int min, int max, int def);

    State m_state = Ground;
    State m_savedState = Ground;
    bool m_vt52 = false;
    bool m_overflow = false;
    int m_vt52Row = 0;
    int m_controlChar = -1; // set while the last command came from a control character
    uint8_t m_text[kMaxSequence];
    int m_length = 0;
    int m_args[kMaxArguments];
    int m_argCount = 0;
};
