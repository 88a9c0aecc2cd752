// The key map: key names and modifiers of KEYMAP- lines, shortcut texts of KEYMAP_EX- lines both ways,
// malformed lines, and what a matched key press does.
#include "app/keymap/KeyMap.h"
#include "app/keymap/KeyShortcut.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

constexpr int S = 1;
constexpr int A = 2;
constexpr int C = 4;

struct Recorder : KeyMapActions {
    QList<QByteArray> log;
    void SendKeyText(const QByteArray &bytes) override { log.append("send:" + bytes); }
    void ShowRequestImages() override { log.append("hot"); }
    void doImageKey(int code) override { log.append("image:" + QByteArray::number(code)); }
    void DictationKey(TDictationKey key) override { log.append("audio:" + QByteArray::number(int(key))); }
};

KeyMap filled() {
    KeyMap map;
    map.FillKeyNameTable();
    return map;
}

// The entry one line makes, or nothing.
std::optional<TKeyMapEntry> entryOf(const QByteArray &key, const QByteArray &value,
                                    QString *problem = nullptr) {
    KeyMap map = filled();
    if (!map.AddKeyMapEntry(key, value, problem)) {
        return std::nullopt;
    }
    return map.Entries().value(0);
}

TEST(KeyMap, EveryKeyNameWithEveryModifierForm) {
    const struct {
        const char *name;
        int key;
        int implied;
    } names[] = {
        {"F1", 112, 0},         {"F2", 113, 0},          {"F3", 114, 0},         {"F4", 115, 0},
        {"F5", 116, 0},         {"F6", 117, 0},          {"F7", 118, 0},         {"F8", 119, 0},
        {"F9", 120, 0},         {"F10", 121, 0},         {"F11", 122, 0},        {"F12", 123, 0},
        {"UPARROW", 38, 0},     {"DNARROW", 40, 0},      {"LFARROW", 37, 0},     {"RTARROW", 39, 0},
        {"TAB", 9, 0},          {"LTAB", 9, S},          {"PGUP", 33, 0},        {"PGDN", 34, 0},
        {"HOME", 36, 0},        {"END", 35, 0},          {"DELETE", 46, 0},      {"INSERT", 45, 0},
        {"BACKSPACE", 8, 0},    {"KEYPADSLASH", 111, 0}, {"KEYPADSTAR", 106, 0}, {"KEYPADMINUS", 109, 0},
        {"KEYPADPLUS", 107, 0}, {"BREAK", 3, 0},         {"CTRL", 17, 0},        {"ALT", 18, 0},
        {"SHIFT", 16, 0},       {"LFTAB", 9, S},         {"uparrow", 38, 0},
    };
    const struct {
        const char *prefix;
        int modifiers;
    } prefixes[] = {
        {"", 0},
        {"S+", S},
        {"C+", C},
        {"A+", A},
        {"SC+", S | C},
        {"C+S+", S | C},
        {"CA+", C | A},
        {"S+C+A+", S | C | A},
        {"SHIFT+", S},
        {"CTRL+", C},
        {"ALT+", A},
        {"c+", C},
        {"ctrl+alt+", C | A},
    };
    for (const auto &n : names) {
        for (const auto &p : prefixes) {
            const QByteArray key = QByteArray("KEYMAP-") + p.prefix + n.name;
            const auto entry = entryOf(key, "x");
            ASSERT_TRUE(entry) << key.constData();
            EXPECT_EQ(entry->Key, n.key) << key.constData();
            EXPECT_EQ(entry->Modifiers, p.modifiers | n.implied) << key.constData();
        }
    }
}

TEST(KeyMap, KeyNumbersAndValues) {
    const struct {
        QByteArray key;
        QByteArray value;
        TKeyMapEntry want;
    } rows[] = {
        {"KEYMAP-C+F5", "{hot}", {116, C, "{hot}"}},       {"KEYMAP-#$120", "#$027[A", {120, 0, "\x1B[A"}},
        {"KEYMAP-S+#$9", "#$000", {9, S, "{null}"}},       {"keymap-F1", "#$027OP", {112, 0, "\x1BOP"}},
        {"KEYMAP_EX-Ctrl+Shift+A", "x", {65, C | S, "x"}}, {"keymap_ex-ctrl+shift+a", "x", {65, C | S, "x"}},
        {"KeyMap_Ex-Shift+Tab", "t", {9, S, "t"}},
    };
    for (const auto &r : rows) {
        const auto entry = entryOf(r.key, r.value);
        ASSERT_TRUE(entry) << r.key.constData();
        EXPECT_EQ(*entry, r.want) << r.key.constData();
    }
}

TEST(KeyMap, MalformedLinesAreLeftOutWithTheirKey) {
    const struct {
        QByteArray key;
        const char *why;
    } rows[] = {
        {"KEYMAP-X+F5", "\"X\" before \"+\""},
        {"KEYMAP-C+X+F5", "\"X\" before \"+\""},
        {"KEYMAP-C+", "key name \"\""},
        {"KEYMAP-NOSUCHKEY", "key name \"NOSUCHKEY\""},
        {"KEYMAP-#$300", "\"300\""},
        {"KEYMAP-#$0", "\"0\""},
        {"KEYMAP-#$", "\"\""},
        {"KEYMAP-#$1x", "\"1x\""},
        {"KEYMAP-#$-12", "\"-12\""},
        {"KEYMAP_EX-X+F5", "shortcut"},
        {"KEYMAP_EX-Meta+F5", "shortcut"},
        {"KEYMAP_EX-Ctrl+", "shortcut"},
        {"KEYMAP_EX-", "shortcut"},
        {"KEYMAP_EX-Ctrl", "shortcut"}, // a modifier key alone never reaches the key map
    };
    for (const auto &r : rows) {
        QString problem;
        EXPECT_FALSE(entryOf(r.key, "secret", &problem)) << r.key.constData();
        EXPECT_TRUE(problem.contains(QString::fromLatin1(r.key))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromLatin1(r.why))) << problem.toStdString();
        EXPECT_FALSE(problem.contains("secret")) << "the text is never named";
    }
}

TEST(KeyMap, NamesAreUnknownUntilTheTableIsFilled) {
    KeyMap map;
    EXPECT_FALSE(map.KeyNameTableFilled());
    EXPECT_FALSE(map.AddKeyMapEntry("KEYMAP-F1", "x"));
    EXPECT_TRUE(map.AddKeyMapEntry("KEYMAP-#$112", "x")) << "numbers need no table";
    map.FillKeyNameTable();
    EXPECT_TRUE(map.AddKeyMapEntry("KEYMAP-F1", "x"));
}

TEST(KeyMap, LoadReplacesAndStopsAtTheLimit) {
    TOrvaSettings settings;
    for (int i = 0; i < 60; ++i) {
        settings.KeyMapLines.append(
            TSetupPair{"KEYMAP-#$" + QByteArray::number(i + 1), "k" + QByteArray::number(i)});
    }
    settings.KeyMapLines.append(TSetupPair{"KEYMAP-X+F5", "bad"});
    settings.SwapLines = {{"COLOUR-1", "34:36"}};
    KeyMap map = filled();
    map.AddKeyMapEntry("KEYMAP-F1", "old");
    const QStringList problems = map.Load(settings);
    EXPECT_EQ(map.Entries().size(), TOrvaSettings::kMaxKeyMaps);
    EXPECT_EQ(map.Entries().first().Text, "k0");
    EXPECT_EQ(problems.size(), 11);
    EXPECT_EQ(map.SwapIntercepts(), (QList<TSwapIntercept>{{"\x1B[34m", "\x1B[36m"}}));
    map.Load(TOrvaSettings());
    EXPECT_TRUE(map.Entries().isEmpty());
    EXPECT_TRUE(map.SwapIntercepts().isEmpty());
}

TEST(KeyMap, MapKeyPressActions) {
    const struct {
        QByteArray text;
        QByteArray action;
    } rows[] = {
        {"{hot}", "hot"},
        {"{HOT}", "hot"},
        {"{null}", QByteArray("send:") + '\0'},
        {"#$000", QByteArray("send:") + '\0'},
        {"{nextpage}", "image:0"},
        {"{prevpage}", "image:2"},
        {"{scrollright}", "image:4"},
        {"{scrollleft}", "image:8"},
        {"{scrollup}", "image:16"},
        {"{scrolldown}", "image:32"},
        {"{zoomin}", "image:64"},
        {"{zoomout}", "image:128"},
        {"{ZoomReset}", "image:256"},
        {"{ffwd}", "audio:" + QByteArray::number(int(TDictationKey::Forward))},
        {"{rewind}", "audio:" + QByteArray::number(int(TDictationKey::Rewind))},
        {"{play/pause}", "audio:" + QByteArray::number(int(TDictationKey::PlayPause))},
        {"{stop}", "audio:" + QByteArray::number(int(TDictationKey::Stop))},
        {"{record}", "audio:" + QByteArray::number(int(TDictationKey::Record))},
        {"{quitaudio}", "audio:" + QByteArray::number(int(TDictationKey::Quit))},
        {"{loadaudio}", "audio:" + QByteArray::number(int(TDictationKey::Load))},
        {"{saveaudio}", "audio:" + QByteArray::number(int(TDictationKey::Transmit))},
        {"{hot} ", "send:{hot} "},
        {"#$027[A", "send:\x1B[A"},
    };
    for (const auto &r : rows) {
        KeyMap map = filled();
        ASSERT_TRUE(map.AddKeyMapEntry("KEYMAP-C+F5", r.text));
        Recorder actions;
        EXPECT_EQ(map.MapKeyPress(116, 0, actions), 116) << "F5 alone passes";
        EXPECT_EQ(map.MapKeyPress(116, C | 8, actions), 116) << "a held mouse button prevents a match";
        EXPECT_TRUE(actions.log.isEmpty());
        EXPECT_EQ(map.MapKeyPress(116, C, actions), 0);
        EXPECT_EQ(actions.log, QList<QByteArray>{r.action}) << r.text.constData();
    }
}

TEST(KeyMap, FirstOfTwoEntriesActs) {
    KeyMap map = filled();
    map.AddKeyMapEntry("KEYMAP-F2", "first");
    map.AddKeyMapEntry("KEYMAP_EX-F2", "second");
    Recorder actions;
    EXPECT_EQ(map.MapKeyPress(113, 0, actions), 0);
    EXPECT_EQ(actions.log, QList<QByteArray>{"send:first"});
    EXPECT_EQ(map.LastExamined(), 0);
}

TEST(DictationKeys, OnlyWhileTheWindowShows) {
    struct Window : TDictationKeyTarget {
        bool showing = false;
        QList<TDictationKey> keys;
        bool DictationWindowShowing() const override { return showing; }
        void DictationKey(TDictationKey key) override { keys.append(key); }
    } window;
    EXPECT_FALSE(RunDictationKey(window, TDictationKey::Record));
    window.showing = true;
    EXPECT_TRUE(RunDictationKey(window, TDictationKey::Record));
    EXPECT_EQ(window.keys, QList<TDictationKey>{TDictationKey::Record});
    TNoDictationWindow none;
    EXPECT_FALSE(RunDictationKey(none, TDictationKey::Stop));
}

TEST(ImageKeys, ActionsOnTheVisibleDetachedWindow) {
    struct Window : orva::imaging::TImageKeyTarget {
        bool visible = true;
        QStringList calls;
        bool ImageWindowVisible() const override { return visible; }
        void aPrevFileExecute() override { calls.append("previous"); }
        void aNextFileExecute() override { calls.append("next"); }
        void ScrollBy(int dx, int dy) override { calls.append(QString("scroll %1 %2").arg(dx).arg(dy)); }
        void ToolbarAction(orva::imaging::TVisTbBtn b) override {
            calls.append(QString("toolbar %1").arg(b));
        }
    };
    const struct {
        int code;
        const char *call;
    } cases[] = {
        {orva::imaging::ikPreviousFile, "previous"},    {orva::imaging::ikNextFile, "next"},
        {orva::imaging::ikScrollRight, "scroll -20 0"}, {orva::imaging::ikScrollLeft, "scroll 20 0"},
        {orva::imaging::ikScrollUp, "scroll 0 20"},     {orva::imaging::ikScrollDown, "scroll 0 -20"},
        {orva::imaging::ikZoomIn, "toolbar 5"},         {orva::imaging::ikZoomOut, "toolbar 6"},
        {orva::imaging::ikZoomReset, "toolbar 8"},
    };
    for (const auto &c : cases) {
        Window window;
        EXPECT_TRUE(RunImageKey(&window, c.code)) << c.code;
        EXPECT_EQ(window.calls, QStringList{c.call}) << c.code;
        window.visible = false;
        window.calls.clear();
        EXPECT_FALSE(RunImageKey(&window, c.code)) << c.code;
        EXPECT_TRUE(window.calls.isEmpty()) << c.code;
    }
    Window window;
    EXPECT_FALSE(RunImageKey(&window, 1));
    EXPECT_TRUE(window.calls.isEmpty());
    EXPECT_FALSE(RunImageKey(nullptr, orva::imaging::ikZoomIn));
}

TEST(KeyShortcut, WindowsAndQtNamesAgree) {
    const struct {
        const char *text;
        int key;
        int modifiers;
    } rows[] = {
        {"Ctrl+Shift+A", 65, C | S},
        {"Shift+Ctrl+A", 65, C | S},
        {"F5", 116, 0},
        {"Alt+F12", 123, A},
        {"Shift+Tab", 9, S},
        {"Backtab", 9, S},
        {"Shift+Backtab", 9, S},
        {"BkSp", 8, 0},
        {"Backspace", 8, 0},
        {"PgDn", 34, 0},
        {"PgDown", 34, 0},
        {"PgUp", 33, 0},
        {"Ins", 45, 0},
        {"Del", 46, 0},
        {"Delete", 46, 0},
        {"Esc", 27, 0},
        {"Enter", 13, 0},
        {"Return", 13, 0},
        {"SPACE", 32, 0},
        {"Space", 32, 0},
        {"Up", 38, 0},
        {"Down", 40, 0},
        {"Left", 37, 0},
        {"Right", 39, 0},
        {"Home", 36, 0},
        {"End", 35, 0},
        {"Num 8", 104, 0},
        {"Num8", 104, 0},
        {"Num+8", 104, 0},
        {"Num 0", 96, 0},
        {"Num *", 106, 0},
        {"Num+*", 106, 0},
        {"Num +", 107, 0},
        {"Ctrl+Num +", 107, C},
        {"Num -", 109, 0},
        {"Num /", 111, 0},
        {"Num Del", 110, 0},
        {"Num Enter", 43, 0},
        {"Num+Enter", 43, 0},
        {"1", 49, 0},
        {"Ctrl++", 0xBB, C},
        {";", 0xBA, 0},
        {"ctrl+shift+a", 65, C | S},
    };
    for (const auto &r : rows) {
        const auto combo = KeyShortcut::Parse(r.text);
        ASSERT_TRUE(combo) << r.text;
        EXPECT_EQ(*combo, (KeyShortcut::TKeyCombo{r.key, r.modifiers})) << r.text;
    }
}

TEST(KeyShortcut, CanonicalTextReadsBack) {
    int named = 0;
    for (int key = 1; key < 256; ++key) {
        for (int modifiers = 0; modifiers < 8; ++modifiers) {
            const QByteArray text = KeyShortcut::Text(key, modifiers);
            if (text.isEmpty()) {
                continue;
            }
            ++named;
            const auto combo = KeyShortcut::Parse(text);
            ASSERT_TRUE(combo) << text.constData();
            EXPECT_EQ(*combo, (KeyShortcut::TKeyCombo{key, modifiers})) << text.constData();
        }
    }
    EXPECT_GT(named, 8 * 100) << "letters, digits, F-keys, keypad and navigation keys all have names";
    EXPECT_EQ(KeyShortcut::Text(65, C | S), "Shift+Ctrl+A");
    EXPECT_EQ(KeyShortcut::Text(104, A), "Alt+Num 8");
    EXPECT_EQ(KeyShortcut::Text(32, 0), "SPACE");
    EXPECT_EQ(KeyShortcut::Text(17, 0), "") << "modifier keys have no shortcut text";
}

} // namespace

int main(int argc, char **argv) {
    // Qt's key names are read without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
