// Fuzz target: a setup file's key-map and swap lines through the key map, and key texts through their
// escapes and readable form. A readable form read back must decode to the same bytes.
#include "app/keymap/KeyMap.h"
#include "common/KeyText.h"
#include "common/SetupFile.h"
#include "common/fuzz/OffscreenGuiApp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
class NoActions : public KeyMapActions {
public:
    void SendKeyText(const QByteArray &) override {}
    void ShowRequestImages() override {}
    void doImageKey(int) override {}
    void DictationKey(TDictationKey) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    ensureOffscreenGuiApp();
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    KeyMap map;
    map.FillKeyNameTable();
    map.Load(SetupFile::Parse(text, QStringLiteral("/nonexistent/")));
    NoActions actions;
    for (const TKeyMapEntry &entry : map.Entries()) {
        if (map.MapKeyPress(entry.Key, entry.Modifiers, actions) != 0) {
            std::abort(); // every entry's own key press must find an entry
        }
    }
    SwapIntercepts::apply(map.SwapIntercepts(), text);

    const QByteArray decoded = KeyText::DecodeKeyText(text);
    const QByteArray back =
        KeyText::DecodeKeyText(KeyText::swapreadableASCII(KeyText::swapasciiReadable(text)));
    // The modifier words of the readable form are the one place where the round trip may change text.
    // What is compared is what goes to the host: a raw NUL comes back as the null token, which sends
    // the same one byte.
    const bool modifierWords = KeyText::swapasciiReadable(text).toLower().contains("ctrl+") ||
                               KeyText::swapasciiReadable(text).toLower().contains("shift+") ||
                               KeyText::swapasciiReadable(text).toLower().contains("alt+");
    if (!modifierWords && KeyText::BytesToSend(back) != KeyText::BytesToSend(decoded)) {
        std::abort();
    }
    KeyText::swapreadableASCII(text);
    return 0;
}
