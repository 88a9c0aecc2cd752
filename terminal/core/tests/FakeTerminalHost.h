// A terminal stand-in that records what the emulator sends and applies column changes the way the
// control does (the buffer keeps its text, drops the host region and homes the cursor).
#pragma once

#include "terminal/core/TVtTerminalEmulator.h"

#include <vector>

class FakeTerminalHost : public TVtTerminalHost {
public:
    explicit FakeTerminalHost(TVtTerminalEmulator &emulator) : m_emulator(emulator) {
        emulator.SetTerminal(this);
    }
    void WriteToHost(const QByteArray &bytes) override { sent += bytes; }
    void Beep() override { ++beeps; }
    void ColumnModeChanged(int columns) override {
        columnChanges.push_back(columns);
        m_emulator.Buffer().tbSetColCount(columns);
    }
    bool HalfDuplex() const override { return halfDuplex; }
    void InvalidateAll() override { ++fullRepaints; }
    void RestoreNumLock() override { ++numLockRestores; }

    QByteArray sent;
    int beeps = 0;
    int fullRepaints = 0;
    int numLockRestores = 0;
    bool halfDuplex = false;
    std::vector<int> columnChanges;

private:
    TVtTerminalEmulator &m_emulator;
};
