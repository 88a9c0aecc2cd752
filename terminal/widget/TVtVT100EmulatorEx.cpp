// Colour tables, bold colours and hooked keys.
#include "terminal/widget/TVtVT100EmulatorEx.h"

#include <algorithm>

namespace {
constexpr const char *kColorNames[8] = {"Black", "Red",     "Green", "Yellow",
                                        "Blue",  "Magenta", "Cyan",  "White"};
constexpr TVtColorTable kDefaults = {0x000000, 0x000080, 0x008000, 0x008080,
                                     0x800000, 0x800080, 0x808000, 0xC0C0C0};

bool keptInColorText(char c) {
    static const QByteArray kept =
        QByteArrayLiteral(";=$0123456789ABCDEFabcdeflkrdgnbtoywumhiLKRDGNBTOYWUMHI");
    return kept.contains(c);
}

bool parseValue(const QByteArray &value, uint32_t &out) {
    if (value.isEmpty())
        return false;
    bool ok = false;
    qulonglong v = 0;
    if (value.startsWith('$')) {
        if (value.size() < 2 || value.size() > 9)
            return false;
        v = value.mid(1).toULongLong(&ok, 16);
    } else {
        v = value.toULongLong(&ok, 10);
        ok = ok && v <= 0x7FFFFFFFu;
    }
    if (!ok)
        return false;
    out = uint32_t(v);
    return true;
}
} // namespace

TVtVT100EmulatorEx::TVtVT100EmulatorEx()
    : m_fore(kDefaults), m_back(kDefaults), m_bold(BoldDefaults()),
      m_pendingBold(BoldOf(m_buffer.GetDefForeColor())) {}

const TVtColorTable &TVtVT100EmulatorEx::DefaultColors() {
    return kDefaults;
}

uint32_t TVtVT100EmulatorEx::BoldOf(uint32_t color) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= std::min<uint32_t>(((color >> shift) & 0xFF) + 128, 255) << shift;
    return out;
}

TVtColorTable TVtVT100EmulatorEx::BoldDefaults() {
    TVtColorTable t;
    for (int i = 0; i < 8; ++i)
        t[std::size_t(i)] = BoldOf(kDefaults[std::size_t(i)]);
    return t;
}

QByteArray TVtVT100EmulatorEx::ColorTableText(const TVtColorTable &table) {
    QByteArray text;
    for (int i = 0; i < 8; ++i)
        text += QByteArray(kColorNames[i]) + "=$" + QByteArray::number(table[std::size_t(i)], 16).toUpper() +
                "; ";
    return text;
}

int TVtVT100EmulatorEx::ParseColorText(const QByteArray &text, TVtColorTable &table) {
    QByteArray filtered;
    for (char c : text) {
        if (c == '\r')
            filtered += ';';
        else if (keptInColorText(c))
            filtered += char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    filtered += ';';
    int stored = 0;
    for (const QByteArray &entry : filtered.split(';')) {
        const qsizetype eq = entry.indexOf('=');
        if (eq < 0)
            continue;
        uint32_t value = 0;
        if (!parseValue(entry.mid(eq + 1), value))
            continue;
        const QByteArray name = entry.left(eq);
        for (int i = 0; i < 8; ++i) {
            if (name == QByteArray(kColorNames[i]).toUpper()) {
                table[std::size_t(i)] = value;
                ++stored;
                break;
            }
        }
    }
    return stored;
}

void TVtVT100EmulatorEx::SetForeColorsStr(const QByteArray &text) {
    if (ParseColorText(text, m_fore) == 0)
        m_fore = kDefaults;
}

void TVtVT100EmulatorEx::SetBackColorsStr(const QByteArray &text) {
    if (ParseColorText(text, m_back) == 0)
        m_back = kDefaults;
}

void TVtVT100EmulatorEx::SetBoldColorsStr(const QByteArray &text) {
    if (ParseColorText(text, m_bold) == 0)
        m_bold = BoldDefaults();
}

void TVtVT100EmulatorEx::SetAnsiMode(bool on) {
    m_ansi = on;
    m_parser.SetVT52(!on);
}

void TVtVT100EmulatorEx::KeyDown(int &key, int shift) {
    const int remembered = key;
    KeyHandled = false;
    TVtVT100Emulator::KeyDown(key, shift);
    if (!KeyHandled && HandleHookedKeys)
        key = remembered;
    KeyHandled = false;
}

void TVtVT100EmulatorEx::ExecuteCommand() {
    TVtVT100Emulator::ExecuteCommand();
    const int command = m_parser.Command();
    if (command == vcReset) {
        m_pendingBold = BoldOf(m_buffer.GetDefForeColor());
        return;
    }
    if (command != vcRendition)
        return;
    // A reset rendition after the last colour also resets the bold colour, so "0" then "1" is not the
    // bright version of a colour that was cleared.
    int lastReset = -1;
    int lastColor = -1;
    for (int i = 0; i < m_parser.ArgumentCount(); ++i) {
        const int p = m_parser.GetArgument(i);
        if (p == 0)
            lastReset = i;
        else if (p >= 30 && p <= 37)
            lastColor = i;
    }
    if (lastReset > lastColor)
        m_pendingBold = BoldOf(m_buffer.GetDefForeColor());
    if (m_buffer.GetCharAttrs() & vtaBold)
        m_buffer.SetForeColor(m_pendingBold);
}

void TVtVT100EmulatorEx::SgrForeColor(int parameter) {
    if (parameter < 30 || parameter > 37)
        return;
    m_buffer.SetForeColor(m_fore[std::size_t(parameter - 30)]);
    m_pendingBold = m_bold[std::size_t(parameter - 30)];
}

void TVtVT100EmulatorEx::SgrBackColor(int parameter) {
    if (parameter >= 40 && parameter <= 47)
        m_buffer.SetBackColor(m_back[std::size_t(parameter - 40)]);
}
