// Host output the terminal benchmarks feed: plain text lines, and a character-screen application
// repainting its fields (cursor addressing, reverse video, erase to end of line, optionally colours).
#pragma once

#include <QByteArray>

inline QByteArray plainLines() {
    QByteArray s;
    for (int i = 0; s.size() < (1 << 20); ++i) {
        s += "line " + QByteArray::number(i) + ": the quick brown fox jumps over the lazy dog 0123456789\r\n";
    }
    return s;
}

inline QByteArray screenRepaints(bool colours) {
    QByteArray s;
    for (int frame = 0; s.size() < (1 << 20); ++frame) {
        s += "\x1b[H\x1b[7m PATIENT REQUEST " + QByteArray::number(frame) + " \x1b[m\x1b[K";
        for (int row = 2; row <= 24; ++row) {
            s += "\x1b[" + QByteArray::number(row) + ";1H";
            if (colours) {
                s += "\x1b[3" + QByteArray::number(row % 8) + "m";
            }
            s += "Field " + QByteArray::number(row) + ": ";
            s += (row + frame) % 3 == 0 ? "\x1b[7mvalue " + QByteArray::number(frame * row) + "\x1b[m"
                                        : "value " + QByteArray::number(frame + row);
            s += "\x1b[K";
        }
        s += "\x1b[24;70H";
    }
    return s;
}
