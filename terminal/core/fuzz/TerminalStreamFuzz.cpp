// Feeds arbitrary host bytes through parser, emulator and buffer, in chunks, checking after each chunk
// that the cursor is on the screen and the region inside it.
#include "terminal/core/TVtVT100Emulator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
class FuzzHost : public TVtTerminalHost {
public:
    explicit FuzzHost(TVtTerminalEmulator &emulator) : m_emulator(emulator) {}
    void ColumnModeChanged(int columns) override { m_emulator.Buffer().tbSetColCount(columns); }
    bool HalfDuplex() const override { return true; }

private:
    TVtTerminalEmulator &m_emulator;
};

void check(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    static TVtVT100Emulator *emulator = [] {
        auto *e = new TVtVT100Emulator;
        e->Buffer().tbSetSVRowCount(60);
        return e;
    }();
    static FuzzHost host(*emulator);
    emulator->SetTerminal(&host);
    // A fresh screen per input keeps runs reproducible.
    emulator->ProcessBlock(QByteArray("\x18\x1b"
                                      "c"));
    emulator->DisplayUpperASCII = data[0] & 1;
    const size_t chunk = 1 + data[1];
    TVtTerminalBuffer &b = emulator->Buffer();
    for (size_t at = 2; at < size; at += chunk) {
        const size_t n = std::min(chunk, size - at);
        emulator->ProcessBlock(reinterpret_cast<const char *>(data + at), int(n));
        check(b.CursorScreenRow() >= 1 && b.CursorScreenRow() <= b.RowCount());
        check(b.GetCursorCol() >= 1 && b.GetCursorCol() <= b.ColCount());
        check(b.RegionTop() >= 1 && b.RegionTop() <= b.RegionBottom() && b.RegionBottom() <= b.RowCount());
    }
    int key = 0x26 | ((data[0] & 2) ? kVtKeyRepeat : 0);
    emulator->KeyDown(key, data[0] >> 5);
    for (int row : {b.RowCount() - b.SVRowCount() + 1, 1, b.RowCount()})
        check(b.GetRowText(row).size() == b.ColCount());
    TVtRect rect;
    while (b.GetInvalidRect(rect))
        check(rect.Top >= 1 - b.SVRowCount() && rect.Bottom <= b.RowCount());
    return 0;
}
