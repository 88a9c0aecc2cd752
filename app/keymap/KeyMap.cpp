// Key-map lines, their lookup on a key press, and the action tokens.
#include "app/keymap/KeyMap.h"

#include "app/keymap/KeyShortcut.h"
#include "common/HostText.h"
#include "common/KeyText.h"
#include "terminal/core/TVtTerminalEmulator.h"

#include <algorithm>

namespace {

struct Token {
    const char *text;
    int code;
};

constexpr Token kImageTokens[] = {
    // The page tokens are crossed over: {nextpage} goes back a file and {prevpage} forward.
    {"{nextpage}", orva::imaging::ikPreviousFile},   {"{prevpage}", orva::imaging::ikNextFile},
    {"{scrollright}", orva::imaging::ikScrollRight}, {"{scrollleft}", orva::imaging::ikScrollLeft},
    {"{scrollup}", orva::imaging::ikScrollUp},       {"{scrolldown}", orva::imaging::ikScrollDown},
    {"{zoomin}", orva::imaging::ikZoomIn},           {"{zoomout}", orva::imaging::ikZoomOut},
    {"{zoomreset}", orva::imaging::ikZoomReset},
};

constexpr struct {
    const char *text;
    TDictationKey key;
} kDictationTokens[] = {
    {"{ffwd}", TDictationKey::Forward},         {"{rewind}", TDictationKey::Rewind},
    {"{play/pause}", TDictationKey::PlayPause}, {"{stop}", TDictationKey::Stop},
    {"{record}", TDictationKey::Record},        {"{quitaudio}", TDictationKey::Quit},
    {"{loadaudio}", TDictationKey::Load},       {"{saveaudio}", TDictationKey::Transmit},
};

QString shown(const QByteArray &bytes) {
    return HostText::toUnicode(bytes);
}

// A key number of one to three digits naming a key code, else nothing.
std::optional<int> keyNumber(const QByteArray &digits) {
    if (digits.isEmpty() || digits.size() > 3) {
        return std::nullopt;
    }
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    const int v = digits.toInt();
    return v >= 1 && v <= 255 ? std::optional<int>(v) : std::nullopt;
}

void run(const TKeyMapEntry &entry, KeyMapActions &actions) {
    const QByteArray token = entry.Text.toLower();
    if (token == "{hot}") {
        actions.ShowRequestImages();
        return;
    }
    for (const Token &t : kImageTokens) {
        if (token == t.text) {
            actions.doImageKey(t.code);
            return;
        }
    }
    for (const auto &t : kDictationTokens) {
        if (token == t.text) {
            actions.DictationKey(t.key);
            return;
        }
    }
    actions.SendKeyText(KeyText::BytesToSend(entry.Text));
}

} // namespace

QList<QByteArray> KeyMap::ActionTokens() {
    QList<QByteArray> tokens{"{HOT}", "{NULL}"};
    for (const Token &t : kImageTokens) {
        tokens.append(t.text);
    }
    for (const auto &t : kDictationTokens) {
        tokens.append(t.text);
    }
    return tokens;
}

void KeyMap::FillKeyNameTable() {
    m_keyNames.clear();
    for (int n = 1; n <= 12; ++n) {
        m_keyNames.insert('F' + QByteArray::number(n), {111 + n, 0});
    }
    const struct {
        const char *name;
        KeyName key;
    } names[] = {
        {"UPARROW", {38, 0}},
        {"DNARROW", {40, 0}},
        {"LFARROW", {37, 0}},
        {"RTARROW", {39, 0}},
        {"TAB", {9, 0}},
        {"PGUP", {33, 0}},
        {"PGDN", {34, 0}},
        {"HOME", {36, 0}},
        {"END", {35, 0}},
        {"DELETE", {46, 0}},
        {"INSERT", {45, 0}},
        {"BACKSPACE", {8, 0}},
        {"KEYPADSLASH", {111, 0}},
        {"KEYPADSTAR", {106, 0}},
        {"KEYPADMINUS", {109, 0}},
        {"KEYPADPLUS", {107, 0}},
        {"BREAK", {3, 0}},
        {"CTRL", {17, 0}},
        {"ALT", {18, 0}},
        {"SHIFT", {16, 0}},
        // The left tab is the back-tab key, Tab with Shift; "LF TAB" is how the setup template writes it.
        {"LTAB", {9, vssShift}},
        {"LFTAB", {9, vssShift}},
    };
    for (const auto &n : names) {
        m_keyNames.insert(n.name, n.key);
    }
}

std::optional<KeyMap::KeyName> KeyMap::keymapKey(const QByteArray &keyText, QString &problem) const {
    QByteArray rest = keyText;
    int modifiers = 0;
    for (qsizetype plus = rest.indexOf('+'); plus >= 0; plus = rest.indexOf('+')) {
        const QByteArray part = rest.left(plus).toUpper();
        const int found = (part.contains('S') ? vssShift : 0) | (part.contains('C') ? vssCtrl : 0) |
                          (part.contains('A') ? vssAlt : 0);
        if (found == 0) {
            problem =
                QStringLiteral("the part \"%1\" before \"+\" names none of S, C and A").arg(shown(part));
            return std::nullopt;
        }
        modifiers |= found;
        rest = rest.mid(plus + 1);
    }
    if (const qsizetype marker = rest.indexOf("#$"); marker >= 0) {
        const QByteArray digits = rest.mid(marker + 2);
        const std::optional<int> key = keyNumber(digits);
        if (!key) {
            problem = QStringLiteral("the key number \"%1\" is not a code from 1 to 255").arg(shown(digits));
            return std::nullopt;
        }
        return KeyName{*key, modifiers};
    }
    const auto name = m_keyNames.constFind(rest.toUpper());
    if (name == m_keyNames.constEnd()) {
        problem = QStringLiteral("the key name \"%1\" is not known").arg(shown(rest));
        return std::nullopt;
    }
    return KeyName{name->Key, modifiers | name->Modifiers};
}

bool KeyMap::AddKeyMapEntry(const QByteArray &key, const QByteArray &value, QString *problem) {
    QString why;
    std::optional<KeyName> bound;
    const qsizetype dash = key.indexOf('-');
    if (m_entries.size() >= TOrvaSettings::kMaxKeyMaps) {
        why = QStringLiteral("the key map holds %1 entries already").arg(TOrvaSettings::kMaxKeyMaps);
    } else if (dash < 0) {
        why = QStringLiteral("no \"-\" before the key");
    } else if (key.toUpper().contains("KEYMAP_EX-")) {
        if (const auto combo = KeyShortcut::Parse(key.mid(dash + 1))) {
            bound = KeyName{combo->Key, combo->Modifiers};
        } else {
            why = QStringLiteral("the shortcut \"%1\" names no key").arg(shown(key.mid(dash + 1)));
        }
    } else {
        bound = keymapKey(key.mid(dash + 1), why);
    }
    if (!bound) {
        if (problem) {
            *problem = QStringLiteral("key map line \"%1\" left out: %2").arg(shown(key), why);
        }
        return false;
    }
    m_entries.append({bound->Key, bound->Modifiers, KeyText::DecodeKeyText(value)});
    return true;
}

void KeyMap::AddSwapIntercept(const QByteArray &key, const QByteArray &value) {
    m_swaps.append(SwapIntercepts::parse(key, value));
}

QStringList KeyMap::Load(const TOrvaSettings &settings) {
    m_entries.clear();
    m_swaps.clear();
    QStringList problems;
    for (const TSetupPair &line : settings.KeyMapLines) {
        QString problem;
        if (!AddKeyMapEntry(line.Key, line.Value, &problem)) {
            problems.append(problem);
        }
    }
    for (const TSetupPair &line : settings.SwapLines) {
        AddSwapIntercept(line.Key, line.Value);
    }
    return problems;
}

bool KeyMap::Binds(int key, int shift) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [key, shift](const TKeyMapEntry &e) { return e.Key == key && e.Modifiers == shift; });
}

int KeyMap::MapKeyPress(int key, int shift, KeyMapActions &actions) {
    m_lastExamined = -1;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        m_lastExamined = int(i);
        // A copy: the action may read the setup file again and replace the map.
        const TKeyMapEntry entry = m_entries[i];
        if (entry.Key == key && entry.Modifiers == shift) {
            run(entry, actions);
            return 0;
        }
    }
    return key;
}
