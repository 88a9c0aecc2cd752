// Swap intercepts: the COLOUR- and SWAP- lines of the setup file, byte patterns replaced in the text
// the host sends to the screen.
#pragma once

#include <QByteArray>
#include <QList>

// One COLOUR- or SWAP- line as a byte pattern and its replacement.
struct TSwapIntercept {
    QByteArray Pattern;
    QByteArray Replacement;
    bool operator==(const TSwapIntercept &) const = default;
};

namespace SwapIntercepts {
// Reads one line (key as written, e.g. "SWAP-1" or "COLOUR-2", and its value).
TSwapIntercept parse(const QByteArray &key, const QByteArray &value);
// Every intercept in order, each replacing left to right without rescanning its own output.
QByteArray apply(const QList<TSwapIntercept> &swaps, const QByteArray &text);
} // namespace SwapIntercepts
