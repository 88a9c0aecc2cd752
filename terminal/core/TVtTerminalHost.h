// What an emulator needs from the terminal control that shows it. The control implements this; tests
// and tools use fakes. Every call has a harmless default, so an emulator works without a control.
#pragma once

#include <QByteArray>

class TVtTerminalHost {
public:
    virtual ~TVtTerminalHost() = default;
    // Bytes the emulator sends: status replies and key sequences. In the product nothing is connected
    // behind the terminal, so its control drops them; tests observe them here.
    virtual void WriteToHost(const QByteArray &bytes) { (void)bytes; }
    virtual void Beep() {}
    // The Num Lock key was taken as a terminal key (PF1): its lock state, which the keyboard has
    // already turned over, is turned back.
    virtual void RestoreNumLock() {}
    // The host switched between 80 and 132 columns: the control sets its Columns (resizing the buffer).
    virtual void ColumnModeChanged(int columns) { (void)columns; }
    // Local echo of what the emulator sends.
    virtual bool HalfDuplex() const { return false; }
    // The buffer's cursor moved (row and column as the buffer reports them).
    virtual void CursorMoved(int row, int col) {
        (void)row;
        (void)col;
    }
    // The whole character area must be repainted (the reverse-screen mode changed).
    virtual void InvalidateAll() {}
    // First screen row shown by the control (history rows are 0 and below); blinking runs are
    // collected from there.
    virtual int FirstVisibleRow() const { return 1; }
};
