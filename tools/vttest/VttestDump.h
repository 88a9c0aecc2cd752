// Screen dumps of a byte stream after it is fed into the VT100 emulator or into libvterm, in one text
// format so that the two can be compared line by line: 24 rows, then the cursor.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

constexpr int kDumpRows = 24;
constexpr int kDumpCols = 80;

// Each row: 80 glyphs, a space, 80 attribute marks (bold 1, underline 2, blink 4, reverse 8 as one
// hex digit, "." for none), a space and the line attribute (S single, W double width, T/B double
// height top/bottom). Columns past 80 must be blank; any text there is appended so the row differs.
// The last line is "cursor ROW,COL". One dump per screen, the screens fed in order into one terminal.
QList<QStringList> DumpOrva(const QList<QByteArray> &screens);
QList<QStringList> DumpVterm(const QList<QByteArray> &screens);
