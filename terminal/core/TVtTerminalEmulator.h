// Emulator base and the plain-text emulator every terminal control falls back on.
#pragma once

#include "terminal/core/TVtTerminalBuffer.h"
#include "terminal/core/TVtTerminalHost.h"

#include <QByteArray>

// Shift-state bits given with a key.
enum : int {
    vssShift = 1,
    vssAlt = 2,
    vssCtrl = 4,
};

// Bit added to a key code while the key repeats.
constexpr int kVtKeyRepeat = 0x8000;

class TVtTerminalEmulator {
public:
    TVtTerminalEmulator();
    virtual ~TVtTerminalEmulator() = default;
    TVtTerminalEmulator(const TVtTerminalEmulator &) = delete;
    TVtTerminalEmulator &operator=(const TVtTerminalEmulator &) = delete;

    // The control this emulator serves (not owned); nullptr detaches.
    void SetTerminal(TVtTerminalHost *host) { m_host = host; }
    TVtTerminalHost *Terminal() const { return m_host; }
    TVtTerminalBuffer &Buffer() { return m_buffer; }
    const TVtTerminalBuffer &Buffer() const { return m_buffer; }

    // True when rectangles are queued, a full repaint is pending, or the cursor moved (clears that flag).
    virtual bool NeedsUpdate();
    virtual void ClearScreen() { m_buffer.EraseScreen(); }
    virtual void ClearAll() { m_buffer.ClearAll(); }
    // Echoes c as host output under half duplex, then hands it to the host link.
    virtual void SendChar(uint8_t c, bool echo);
    virtual bool HasBlinkingText() const { return false; }
    // key is set to 0 when the emulator handled the key.
    virtual void KeyDown(int &key, int shift) {
        (void)key;
        (void)shift;
    }
    virtual void KeyPress(char &c) { (void)c; }
    virtual void ProcessBlock(const char *bytes, int count) {
        (void)bytes;
        (void)count;
    }
    void ProcessBlock(const QByteArray &bytes) { ProcessBlock(bytes.constData(), int(bytes.size())); }

    // A full repaint was asked for; reading clears the request.
    bool TakeFullRepaint();
    bool FullRepaintPending() const { return m_fullRepaint; }
    QByteArray TelnetTermType;

protected:
    void requestFullRepaint();

    TVtTerminalBuffer m_buffer;
    TVtTerminalHost *m_host = nullptr;
    bool m_fullRepaint = false;
};

class TVtTTYEmulator : public TVtTerminalEmulator {
public:
    TVtTTYEmulator();
    void ProcessBlock(const char *bytes, int count) override;
    using TVtTerminalEmulator::ProcessBlock;
    void KeyPress(char &c) override;
};
