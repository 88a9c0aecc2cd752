// Shortcut texts of KEYMAP_EX- lines, such as "Ctrl+Shift+A" or "Shift+Num 8": read in the Windows
// naming that older setup files carry and in Qt's naming, and written in one canonical form.
#pragma once

#include <QByteArray>
#include <optional>

namespace KeyShortcut {

// A virtual-key code and its modifiers (Shift 1, Alt 2, Ctrl 4), as a key press reaches the key map.
struct TKeyCombo {
    int Key = 0;
    int Modifiers = 0;
    bool operator==(const TKeyCombo &) const = default;
};

// Modifier names ("Ctrl+", "Shift+", "Alt+", Qt's keypad "Num+"), in any order and case, then one key
// name; blanks are ignored (the setup file removes them from keys). Nothing when the text names no key
// or carries a modifier the key map cannot match (Meta).
std::optional<TKeyCombo> Parse(const QByteArray &text);

// The canonical text: "Shift+", "Ctrl+", "Alt+" as set, then the key's name ("Num 8", "PgDn", "F5",
// "A"). Empty when the key has no name.
QByteArray Text(int key, int modifiers);

} // namespace KeyShortcut
