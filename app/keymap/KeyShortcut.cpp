// Shortcut texts: names turned into Qt keys and read through the terminal's one key translation, so a
// text names exactly the code and modifiers a key press in the terminal produces.
#include "app/keymap/KeyShortcut.h"

#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/core/TVtTerminalEmulator.h"

#include <QKeySequence>

namespace KeyShortcut {

namespace {

struct NamedKey {
    const char *name; // upper case, without blanks
    Qt::Key key;
    bool keypad;
};

// The Windows names Qt does not read ("PgDn", "BkSp", the "Num" keypad names).
constexpr NamedKey kWindowsNames[] = {
    {"BKSP", Qt::Key_Backspace, false}, {"PGDN", Qt::Key_PageDown, false}, {"NUM0", Qt::Key_0, true},
    {"NUM1", Qt::Key_1, true},          {"NUM2", Qt::Key_2, true},         {"NUM3", Qt::Key_3, true},
    {"NUM4", Qt::Key_4, true},          {"NUM5", Qt::Key_5, true},         {"NUM6", Qt::Key_6, true},
    {"NUM7", Qt::Key_7, true},          {"NUM8", Qt::Key_8, true},         {"NUM9", Qt::Key_9, true},
    {"NUM*", Qt::Key_Asterisk, true},   {"NUM+", Qt::Key_Plus, true},      {"NUM-", Qt::Key_Minus, true},
    {"NUM/", Qt::Key_Slash, true},      {"NUMDEL", Qt::Key_Period, true},  {"NUMENTER", Qt::Key_Enter, true},
};

struct Modifier {
    const char *prefix; // upper case
    Qt::KeyboardModifier modifier;
};

constexpr Modifier kModifiers[] = {{"CTRL+", Qt::ControlModifier},
                                   {"SHIFT+", Qt::ShiftModifier},
                                   {"ALT+", Qt::AltModifier},
                                   {"NUM+", Qt::KeypadModifier}};

// Canonical names of the keys whose name is not their character or F-number.
struct KeyName {
    int key;
    const char *name;
};

constexpr KeyName kNames[] = {
    {0x08, "BkSp"},     {0x09, "Tab"},       {0x0C, "Clear"},   {0x0D, "Enter"},      {0x13, "Pause"},
    {0x14, "CapsLock"}, {0x1B, "Esc"},       {0x20, "SPACE"},   {0x21, "PgUp"},       {0x22, "PgDn"},
    {0x23, "End"},      {0x24, "Home"},      {0x25, "Left"},    {0x26, "Up"},         {0x27, "Right"},
    {0x28, "Down"},     {0x2B, "Num Enter"}, {0x2C, "Print"},   {0x2D, "Ins"},        {0x2E, "Del"},
    {0x2F, "Help"},     {0x5D, "Menu"},      {0x6A, "Num *"},   {0x6B, "Num +"},      {0x6D, "Num -"},
    {0x6E, "Num Del"},  {0x6F, "Num /"},     {0x90, "NumLock"}, {0x91, "ScrollLock"}, {0xBA, ";"},
    {0xBB, "="},        {0xBC, ","},         {0xBD, "-"},       {0xBE, "."},          {0xBF, "/"},
    {0xC0, "`"},        {0xDB, "["},         {0xDC, "\\"},      {0xDD, "]"},          {0xDE, "'"},
};

QByteArray withoutBlanks(const QByteArray &text) {
    QByteArray out;
    for (char c : text) {
        if (c != ' ' && c != '\t') {
            out += c;
        }
    }
    return out;
}

QByteArray keyName(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return QByteArray(1, char(key));
    }
    if (key >= 0x60 && key <= 0x69) {
        return "Num " + QByteArray::number(key - 0x60);
    }
    if (key >= 0x70 && key <= 0x87) {
        return 'F' + QByteArray::number(key - 0x70 + 1);
    }
    for (const KeyName &n : kNames) {
        if (n.key == key) {
            return n.name;
        }
    }
    return {};
}

} // namespace

std::optional<TKeyCombo> Parse(const QByteArray &text) {
    QByteArray rest = withoutBlanks(text);
    Qt::KeyboardModifiers modifiers;
    // A prefix is a modifier only when a key name follows it: "Num+" alone is the keypad's plus key.
    for (bool more = true; more;) {
        more = false;
        for (const Modifier &m : kModifiers) {
            const qsizetype length = qstrlen(m.prefix);
            if (rest.size() > length && rest.left(length).toUpper() == m.prefix) {
                modifiers |= m.modifier;
                rest = rest.mid(length);
                more = true;
            }
        }
    }
    if (rest.isEmpty()) {
        return std::nullopt;
    }
    int qtKey = 0;
    const QByteArray upper = rest.toUpper();
    for (const NamedKey &n : kWindowsNames) {
        if (upper == n.name) {
            qtKey = n.key;
            if (n.keypad) {
                modifiers |= Qt::KeypadModifier;
            }
        }
    }
    if (qtKey == 0) {
        const QKeySequence sequence =
            QKeySequence::fromString(QString::fromLatin1(rest), QKeySequence::PortableText);
        if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown ||
            sequence[0].keyboardModifiers().testFlag(Qt::MetaModifier)) {
            return std::nullopt;
        }
        qtKey = sequence[0].key();
        modifiers |= sequence[0].keyboardModifiers();
    }
    if (qtKey == Qt::Key_Backtab) {
        modifiers |= Qt::ShiftModifier; // the back-tab key always comes with Shift
    }
    const TVtKeyStroke stroke = TranslateKey(qtKey, modifiers, false, QString());
    if (stroke.Key == 0 || stroke.Modifier) {
        return std::nullopt;
    }
    return TKeyCombo{stroke.Key, stroke.Shift};
}

QByteArray Text(int key, int modifiers) {
    const QByteArray name = keyName(key);
    if (name.isEmpty()) {
        return {};
    }
    QByteArray out;
    if (modifiers & vssShift) {
        out += "Shift+";
    }
    if (modifiers & vssCtrl) {
        out += "Ctrl+";
    }
    if (modifiers & vssAlt) {
        out += "Alt+";
    }
    return out + name;
}

} // namespace KeyShortcut
