// The parser interface an emulator drives: bytes in, printable characters or commands out.
#pragma once

#include <QByteArray>
#include <cstdint>

// ProcessChar results.
enum TVtParseResult : int {
    vprIgnore = 0,
    vprPrintable = 1, // " " to "~"
    vprUpperByte = 2, // DEL and 128..255
    vprInProgress = 3,
    vprCommand = 4,
};

class TVtTerminalParser {
public:
    virtual ~TVtTerminalParser() = default;
    virtual int GetArgument(int index) const {
        (void)index;
        return 0;
    }
    virtual QByteArray GetSequence() const { return {}; }
    virtual int ProcessChar(uint8_t b) {
        (void)b;
        return vprIgnore;
    }
    virtual bool IsVT52() const { return false; }
    virtual void Clear() {}
    int Command() const { return m_command; }

protected:
    int m_command = 0;
};
