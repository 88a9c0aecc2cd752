// VT100/VT52 parser. Control characters act at once even inside a sequence, which then resumes;
// sequence length, argument count and numbers are bounded so that no host input can grow memory
// or wrap a count.
#include "terminal/core/TVtVT100Parser.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace {
constexpr uint8_t ESC = 0x1B;
} // namespace

int TVtVT100Parser::GetArgument(int index) const {
    return index >= 0 && index < m_argCount ? m_args[index] : 0;
}

QByteArray TVtVT100Parser::GetSequence() const {
    if (m_command == vcNone)
        return {};
    if (m_controlChar >= 0)
        return QByteArray(1, char(m_controlChar));
    return QByteArray(reinterpret_cast<const char *>(m_text), m_length);
}

void TVtVT100Parser::Clear() {
    m_length = 0;
    m_argCount = 0;
    m_command = vcNone;
    m_controlChar = -1;
}

bool TVtVT100Parser::append(uint8_t b) {
    if (m_length >= kMaxSequence)
        return false;
    m_text[m_length++] = b;
    return true;
}

bool TVtVT100Parser::pushArg(int value) {
    if (m_argCount >= kMaxArguments)
        return false;
    m_args[m_argCount++] = value;
    return true;
}

int TVtVT100Parser::command(int code, std::initializer_list<int> args) {
    m_overflow = false;
    m_state = Done;
    m_command = code;
    m_argCount = 0;
    for (int a : args)
        m_args[m_argCount++] = a;
    return vprCommand;
}

int TVtVT100Parser::ignore() {
    m_overflow = false;
    m_state = Done;
    m_command = vcNone;
    m_argCount = 0;
    return vprIgnore;
}

int TVtVT100Parser::ProcessChar(uint8_t b) {
    if (m_state == Done) {
        m_argCount = 0;
        m_length = 0;
        m_command = vcNone;
        m_controlChar = -1;
        m_state = Ground;
    } else if (m_state == Interrupted) {
        m_argCount = 0;
        m_command = vcNone;
        m_controlChar = -1;
        m_state = m_savedState;
    }
    if (b < 0x20)
        return control(b);

    switch (m_state) {
    case Ground:
        m_state = Done;
        m_command = vcPrint;
        m_text[0] = b;
        m_length = 1;
        return b > '~' ? vprUpperByte : vprPrintable;
    case Escape:
        append(b);
        return m_vt52 ? vt52Escape(b) : escape(b);
    case Csi:
        // An overlong sequence is swallowed up to its final byte and then ignored.
        if (!append(b))
            m_overflow = true;
        if (b < '@' || b > '~')
            return vprInProgress;
        return m_overflow ? ignore() : csi(b);
    case EscHash:
        switch (b) {
        case '3':
            return command(vcDoubleHeightLine, {0});
        case '4':
            return command(vcDoubleHeightLine, {1});
        case '5':
            return command(vcSingleWidthLine);
        case '6':
            return command(vcDoubleWidthLine);
        case '8':
            return command(vcScreenAlignment);
        default:
            return ignore();
        }
    case EscG0:
    case EscG1:
        return designate(b);
    case OtherDesignator:
        if (b < '0' || b > '~')
            return vprInProgress;
        return ignore();
    case Vt52Address:
        if (m_vt52Row == 0) {
            m_vt52Row = b - 31;
            return vprInProgress;
        }
        return command(vcCursorPosition, {m_vt52Row, b - 31});
    case Done:
    case Interrupted:
        break;
    }
    return ignore();
}

int TVtVT100Parser::control(uint8_t b) {
    if (b == ESC) {
        m_overflow = false;
        m_length = 0;
        append(b);
        m_argCount = 0;
        m_command = vcNone;
        m_state = Escape;
        return vprInProgress;
    }
    m_savedState = m_state;
    m_state = Interrupted;
    m_argCount = 0;
    auto fire = [&](int code, std::initializer_list<int> args = {}) {
        m_command = code;
        for (int a : args)
            m_args[m_argCount++] = a;
        m_controlChar = b;
        return vprCommand;
    };
    switch (b) {
    case 0x05:
        return fire(vcEnquiry);
    case 0x07:
        return fire(vcBell);
    case 0x08:
        return fire(vcBackspace);
    case 0x09:
        return fire(vcHorizontalTab, {1});
    case 0x0A:
        return fire(vcLineFeed);
    case 0x0B:
        return fire(vcVerticalTab, {1});
    case 0x0C:
        return fire(vcEraseInDisplay, {2});
    case 0x0D:
        return fire(vcCarriageReturn);
    case 0x0E:
        return fire(vcShiftOut);
    case 0x0F:
        return fire(vcShiftIn);
    default:
        m_command = vcNone;
        return vprIgnore;
    }
}

int TVtVT100Parser::escape(uint8_t b) {
    switch (b) {
    case '#':
        m_state = EscHash;
        return vprInProgress;
    case '(':
        m_state = EscG0;
        return vprInProgress;
    case ')':
        m_state = EscG1;
        return vprInProgress;
    case '*':
    case '+':
    case '-':
    case '.':
    case '/':
        m_state = OtherDesignator;
        return vprInProgress;
    case '[':
        m_state = Csi;
        return vprInProgress;
    case '1':
    case '2':
        return command(vcNone);
    case '7':
        return command(vcSaveCursor);
    case '8':
        return command(vcRestoreCursor);
    case '=':
        return command(vcSetMode, {-2, 999});
    case '>':
        return command(vcResetMode, {-2, 999});
    case 'D':
        return command(vcIndex);
    case 'E':
        return command(vcNextLine);
    case 'H':
        return command(vcSetTabStop);
    case 'M':
        return command(vcReverseIndex);
    case 'Z':
        return command(vcIdentify, {0});
    case 'c':
        return command(vcReset);
    default:
        return ignore();
    }
}

int TVtVT100Parser::vt52Escape(uint8_t b) {
    switch (b) {
    case '<':
        m_vt52 = false;
        return command(vcSetMode, {-2, 2});
    case '=':
        return command(vcSetMode, {-2, 999});
    case '>':
        return command(vcResetMode, {-2, 999});
    case 'A':
    case 'B':
    case 'C':
    case 'D':
        return command(vcCursorUp + (b - 'A'), {1});
    case 'F':
        return command(vcShiftOut);
    case 'G':
        return command(vcShiftIn);
    case 'H':
        return command(vcCursorPosition, {1, 1});
    case 'I':
        return command(vcReverseIndex);
    case 'J':
        return command(vcEraseInDisplay, {0});
    case 'K':
        return command(vcEraseInLine, {0});
    case 'Y':
        m_state = Vt52Address;
        m_vt52Row = 0;
        m_command = vcCursorPosition;
        return vprInProgress;
    case 'Z':
        return command(vcIdentify, {52});
    default:
        return ignore();
    }
}

int TVtVT100Parser::designate(uint8_t b) {
    if (!append(b))
        m_overflow = true;
    if (b < '0' || b > '~')
        return vprInProgress;
    if (m_overflow || m_length != 3)
        return ignore();
    const int g = m_state == EscG0 ? 0 : 1;
    int set;
    switch (b) {
    case '0':
        set = 0;
        break;
    case '1':
        set = 1;
        break;
    case '2':
        set = 2;
        break;
    case 'A':
        set = 65;
        break;
    case 'B':
        set = 66;
        break;
    default:
        return ignore();
    }
    return command(vcDesignate, {g, set});
}

bool TVtVT100Parser::normalise(int min, int max, int def) {
    if (m_argCount > max)
        return false;
    while (m_argCount < min)
        m_args[m_argCount++] = def;
    for (int i = 0; i < m_argCount; ++i)
        if (m_args[i] == -1)
            m_args[i] = def;
    return true;
}

int TVtVT100Parser::csi(uint8_t final) {
    static const char kConformance[] = "\x1b[61\"p";
    if (m_length == 6 && std::memcmp(m_text, kConformance, 6) == 0)
        return command(vcReset);

    bool privateMarker = false;
    if (!readCsiArgs(privateMarker))
        return ignore();
    // A private marker only belongs to mode settings; elsewhere it would become a row of -2.
    if (privateMarker && final != 'h' && final != 'l')
        return ignore();
    if (const std::optional<int> result = singleArgCsi(final))
        return *result;
    return multiArgCsi(final);
}

bool TVtVT100Parser::readCsiArgs(bool &privateMarker) {
    m_argCount = 0;
    int i = 2;
    privateMarker = false;
    if (m_length > 2 && m_text[2] == '?') {
        pushArg(-2);
        privateMarker = true;
        i = 3;
    }
    int start = i;
    for (; i < m_length; ++i) {
        const uint8_t c = m_text[i];
        if (c >= '0' && c <= '9')
            continue;
        if (c == ';' || (c >= ' ' && c <= '/') || (c >= '@' && c <= '~')) {
            int value = -1;
            if (i > start) {
                const char *first = reinterpret_cast<const char *>(m_text + start);
                const char *last = reinterpret_cast<const char *>(m_text + i);
                const auto [end, ec] = std::from_chars(first, last, value);
                if (ec != std::errc() || end != last)
                    return false;
            }
            if (!pushArg(value))
                return false;
            if (c != ';')
                break;
            start = i + 1;
            continue;
        }
        return false;
    }
    return true;
}

std::optional<int> TVtVT100Parser::singleArgCsi(uint8_t final) {
    int code;
    switch (final) {
    case '@':
        code = vcInsertChars;
        break;
    case 'A':
    case 'B':
    case 'C':
    case 'D':
        code = vcCursorUp + (final - 'A');
        break;
    case 'H':
    case 'f':
        return normalise(2, 2, 1) ? command(vcCursorPosition, {m_args[0], m_args[1]}) : ignore();
    case 'J':
        return normalise(1, 1, 0) ? command(vcEraseInDisplay, {m_args[0]}) : ignore();
    case 'K':
        return normalise(1, 1, 0) ? command(vcEraseInLine, {m_args[0]}) : ignore();
    case 'L':
        code = vcInsertLines;
        break;
    case 'M':
        code = vcDeleteLines;
        break;
    case 'P':
        code = vcDeleteChars;
        break;
    case 'X':
        code = vcEraseChars;
        break;
    case 'c':
        return normalise(1, 1, 0) ? command(vcIdentify, {m_args[0]}) : ignore();
    case 'g':
        return normalise(1, 1, 0) ? command(vcTabClear, {m_args[0]}) : ignore();
    default:
        return std::nullopt;
    }
    return normalise(1, 1, 1) ? command(code, {m_args[0]}) : ignore();
}

int TVtVT100Parser::multiArgCsi(uint8_t final) {
    // Multi-argument commands keep their argument list in place.
    auto keep = [&](int c) {
        m_state = Done;
        m_command = c;
        return vprCommand;
    };
    auto many = [&](int c, int min, int max, int def) {
        return normalise(min, max, def) ? keep(c) : ignore();
    };
    switch (final) {
    case 'h':
        return keep(vcSetMode);
    case 'l':
        if (m_argCount == 2 && m_args[0] == -2 && m_args[1] == 2)
            m_vt52 = true;
        return keep(vcResetMode);
    case 'm':
        return many(vcRendition, 1, 30000, 0);
    case 'n':
        return many(vcStatusReport, 1, 1, -1);
    case 'q':
        return many(vcLoadLeds, 1, 30000, 0);
    case 'r':
        return keep(vcScrollRegion);
    case 's':
        return keep(vcSaveCursor);
    case 'u':
        return keep(vcRestoreCursor);
    case 'x':
        return many(vcRequestParameters, 1, 1, -1);
    case 'y':
        return keep(vcConfidenceTest);
    default:
        return ignore();
    }
}
