// Emulator base behaviour and the TTY emulator.
#include "terminal/core/TVtTerminalEmulator.h"

TVtTerminalEmulator::TVtTerminalEmulator() {
    m_buffer.OnCursorMoved = [this](int row, int col) {
        if (m_host)
            m_host->CursorMoved(row, col);
    };
}

bool TVtTerminalEmulator::NeedsUpdate() {
    if (m_buffer.HasDisplayChanged() || m_fullRepaint)
        return true;
    return m_buffer.HasCursorMoved();
}

void TVtTerminalEmulator::SendChar(uint8_t c, bool echo) {
    if (!m_host)
        return;
    if (echo && m_host->HalfDuplex()) {
        const char byte = char(c);
        ProcessBlock(&byte, 1);
    }
    m_host->WriteToHost(QByteArray(1, char(c)));
}

bool TVtTerminalEmulator::TakeFullRepaint() {
    const bool pending = m_fullRepaint;
    m_fullRepaint = false;
    return pending;
}

void TVtTerminalEmulator::requestFullRepaint() {
    m_fullRepaint = true;
    if (m_host)
        m_host->InvalidateAll();
}

TVtTTYEmulator::TVtTTYEmulator() {
    TelnetTermType = "dumb";
}

void TVtTTYEmulator::ProcessBlock(const char *bytes, int count) {
    for (int i = 0; i < count; ++i) {
        const uint8_t b = uint8_t(bytes[i]);
        if (b >= 0x20) {
            m_buffer.WriteChar(b);
            continue;
        }
        switch (b) {
        case 0x07:
            if (m_host)
                m_host->Beep();
            break;
        case 0x08:
            m_buffer.Backspace();
            break;
        case 0x09:
            m_buffer.HorizontalTab();
            break;
        case 0x0A:
            m_buffer.LineFeed();
            break;
        case 0x0D:
            m_buffer.CarriageReturn();
            break;
        default:
            break;
        }
    }
}

void TVtTTYEmulator::KeyPress(char &c) {
    SendChar(c == 0x08 ? 0x7F : uint8_t(c), true);
}
