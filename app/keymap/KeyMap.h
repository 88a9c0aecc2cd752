// The key map of the setup file (KEYMAP- and KEYMAP_EX- lines), its swap intercepts (COLOUR- and
// SWAP- lines), and what a key press does through it: send a text to the host, or drive the request
// images, the detached image window or the dictation window.
#pragma once

#include "common/SetupFile.h"
#include "common/SwapIntercepts.h"
#include "dictation/keys/TDictationKeyTarget.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One key-map line: a key press with exactly these modifiers sends the text or runs its action token.
struct TKeyMapEntry {
    int Key = 0;       // virtual-key code, 1 to 255
    int Modifiers = 0; // Shift 1, Alt 2, Ctrl 4
    QByteArray Text;   // decoded (DecodeKeyText)
    bool operator==(const TKeyMapEntry &) const = default;
};

// What a matched entry drives; the main window implements it.
class KeyMapActions {
public:
    virtual ~KeyMapActions() = default;
    // Bytes for the host. The link state is not tested: the link drops what it cannot send.
    virtual void SendKeyText(const QByteArray &bytes) = 0;
    // "{hot}": the images of the request number in the request box.
    virtual void ShowRequestImages() = 0;
    virtual void doImageKey(int code) = 0;
    virtual void DictationKey(TDictationKey key) = 0;
};

class KeyMap {
public:
    // Every action token a key-map text may be (compared without case); any other text is sent.
    // The settings form offers exactly these.
    static QList<QByteArray> ActionTokens();

    // The names of KEYMAP- lines (F1, UPARROW, KEYPADPLUS, ...). Until it is filled, no name is known.
    void FillKeyNameTable();
    bool KeyNameTableFilled() const { return !m_keyNames.isEmpty(); }

    // One KEYMAP- or KEYMAP_EX- line (key with blanks removed, value trimmed). A line that binds no key
    // is left out, and false returned with what is wrong in `problem` (naming the key, never the text).
    bool AddKeyMapEntry(const QByteArray &key, const QByteArray &value, QString *problem = nullptr);
    // One COLOUR- or SWAP- line.
    void AddSwapIntercept(const QByteArray &key, const QByteArray &value);
    // The key map and swap intercepts of a setup file, in place of the ones before; the problems of the
    // lines left out.
    QStringList Load(const TOrvaSettings &settings);

    // A key press (virtual-key code and shift state, mouse buttons 8, 16, 32 included): the first entry
    // with this key and exactly these modifiers acts, and 0 is returned; otherwise the key comes back.
    int MapKeyPress(int key, int shift, KeyMapActions &actions);
    // Whether an entry binds this key with exactly these modifiers (nothing is run).
    bool Binds(int key, int shift) const;
    // The index of the entry MapKeyPress examined last (for the report of a failed action).
    int LastExamined() const { return m_lastExamined; }

    const QList<TKeyMapEntry> &Entries() const { return m_entries; }
    const QList<TSwapIntercept> &SwapIntercepts() const { return m_swaps; }

private:
    struct KeyName {
        int Key = 0;
        int Modifiers = 0; // LTAB names Tab with Shift
    };
    std::optional<KeyName> keymapKey(const QByteArray &keyText, QString &problem) const;

    QHash<QByteArray, KeyName> m_keyNames;
    QList<TKeyMapEntry> m_entries;
    QList<TSwapIntercept> m_swaps;
    int m_lastExamined = -1;
};
