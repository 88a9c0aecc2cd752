// Key translation tables.
#include "terminal/core/TVtKeyTranslation.h"

#include "common/HostText.h"
#include "terminal/core/TVtTerminalEmulator.h"

namespace {
enum : int {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_EXECUTE = 0x2B,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60,
    VK_DECIMAL = 0x6E,
};

struct KeyEntry {
    int qt;
    int vk;
};

// Keys whose code does not follow from the character they carry (US layout for the symbols).
constexpr KeyEntry kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU},     {Qt::Key_Pause, 0x13},         {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, VK_ESCAPE},  {Qt::Key_Space, 0x20},         {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},  {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},      {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},      {Qt::Key_Print, 0x2C},         {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},  {Qt::Key_Help, 0x2F},          {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},         {Qt::Key_NumLock, 0x90},       {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},         {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},         {Qt::Key_Comma, 0xBC},         {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},        {Qt::Key_Underscore, 0xBD},    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},      {Qt::Key_Slash, 0xBF},         {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},    {Qt::Key_AsciiTilde, 0xC0},    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},    {Qt::Key_Backslash, 0xDC},     {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},     {Qt::Key_Exclam, 0x31},        {Qt::Key_At, 0x32},
    {Qt::Key_NumberSign, 0x33},   {Qt::Key_Dollar, 0x34},        {Qt::Key_Percent, 0x35},
    {Qt::Key_AsciiCircum, 0x36},  {Qt::Key_Ampersand, 0x37},     {Qt::Key_Asterisk, 0x38},
    {Qt::Key_ParenLeft, 0x39},    {Qt::Key_ParenRight, 0x30},
};

constexpr KeyEntry kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},  {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// Keypad navigation keys (Num Lock off) and the digit they share a key with.
constexpr KeyEntry kNumLockOff[] = {
    {VK_CLEAR, VK_NUMPAD0 + 5}, {VK_PRIOR, VK_NUMPAD0 + 9}, {VK_NEXT, VK_NUMPAD0 + 3},
    {VK_END, VK_NUMPAD0 + 1},   {VK_HOME, VK_NUMPAD0 + 7},  {VK_LEFT, VK_NUMPAD0 + 4},
    {VK_UP, VK_NUMPAD0 + 8},    {VK_RIGHT, VK_NUMPAD0 + 6}, {VK_DOWN, VK_NUMPAD0 + 2},
    {VK_INSERT, VK_NUMPAD0},    {VK_DELETE, VK_DECIMAL},
};

bool isNavigation(int vk) {
    for (const KeyEntry &e : kNumLockOff)
        if (e.qt == vk)
            return true;
    return false;
}
} // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        for (const KeyEntry &e : kKeypadKeys)
            if (e.qt == qtKey)
                return e.vk;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same codes as the characters
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    for (const KeyEntry &e : kKeys)
        if (e.qt == qtKey)
            return e.vk;
    return 0;
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= vssShift;
    if (modifiers & Qt::AltModifier)
        shift |= vssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= vssCtrl;
    return shift;
}

int AdjustKey(int virtualKey, bool keypad, bool autoRepeat) {
    int key = virtualKey;
    if (keypad) {
        for (const KeyEntry &e : kNumLockOff)
            if (e.qt == key) {
                key = e.vk;
                break;
            }
        if (key == VK_RETURN)
            key = VK_EXECUTE;
    }
    if (autoRepeat && key != 0)
        key |= kVtKeyRepeat;
    return key;
}

int TypedChar(int qtKey, Qt::KeyboardModifiers modifiers, const QString &text) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const bool keypad = modifiers & Qt::KeypadModifier;
    const int vk = VirtualKeyOf(qtKey, keypad);
    if (alt && !ctrl)
        return -1; // a system key: Windows delivers no character
    switch (vk) {
    case VK_BACK:
        return 0x08;
    case VK_TAB:
        return ctrl ? -1 : 0x09;
    case VK_RETURN:
        return ctrl ? 0x0A : 0x0D;
    case VK_ESCAPE:
        return 0x1B;
    case VK_DELETE:
        return -1;
    default:
        break;
    }
    if (isNavigation(vk) || (vk >= 0x70 && vk <= 0x87))
        return -1;
    if (ctrl && !alt) {
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
            return qtKey - Qt::Key_A + 1;
        switch (qtKey) {
        case Qt::Key_BracketLeft:
            return 0x1B;
        case Qt::Key_Backslash:
            return 0x1C;
        case Qt::Key_BracketRight:
            return 0x1D;
        case Qt::Key_AsciiCircum:
            return 0x1E;
        case Qt::Key_Underscore:
            return 0x1F;
        case Qt::Key_At:
            return 0x00;
        case Qt::Key_Space:
            return 0x20;
        default:
            return -1;
        }
    }
    if (text.isEmpty())
        return -1;
    const QByteArray bytes = HostText::fromUnicode(text.left(1));
    if (bytes.size() != 1 || (uint8_t(bytes[0]) < 0x20 && vk == 0))
        return -1;
    return uint8_t(bytes[0]);
}

TVtKeyStroke TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, const QString &text) {
    TVtKeyStroke stroke;
    stroke.Keypad = modifiers & Qt::KeypadModifier;
    const int vk = VirtualKeyOf(qtKey, stroke.Keypad);
    stroke.Modifier = vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
    stroke.Shift = ShiftStateOf(modifiers);
    stroke.Key = AdjustKey(vk, stroke.Keypad, autoRepeat);
    stroke.Char = stroke.Modifier ? -1 : TypedChar(qtKey, modifiers, text);
    return stroke;
}
