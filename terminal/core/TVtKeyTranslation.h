// Qt key events turned into what the terminal's key handling works with: Windows virtual-key codes,
// the shift-state bits and the character Windows would deliver for the key (if any).
#pragma once

#include <QString>
#include <Qt>

struct TVtKeyStroke {
    int Key = 0;           // virtual-key code after the keypad and repeat adjustments
    int Shift = 0;         // vssShift | vssAlt | vssCtrl
    bool Keypad = false;   // the key is on the numeric keypad
    bool Modifier = false; // Shift, Control or Alt alone
    int Char = -1;         // typed character 0..255, or -1 when the key types nothing
};

// The virtual-key code of a Qt key (0 when it has none). keypad: the event carried KeypadModifier.
int VirtualKeyOf(int qtKey, bool keypad);
int ShiftStateOf(Qt::KeyboardModifiers modifiers);
// With Num Lock off the keypad's navigation keys become VK_NUMPADx and keypad Enter VK_EXECUTE;
// a held key gets the repeat bit.
int AdjustKey(int virtualKey, bool keypad, bool autoRepeat);
// The character the key types under Windows rules: Delete and navigation keys type nothing, Ctrl+Enter
// gives LF, Ctrl+letter a control character, Alt combinations nothing.
int TypedChar(int qtKey, Qt::KeyboardModifiers modifiers, const QString &text);
TVtKeyStroke TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, bool autoRepeat, const QString &text);
