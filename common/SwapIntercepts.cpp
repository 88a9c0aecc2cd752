// Swap intercept lines and their replacement in screen text.
#include "common/SwapIntercepts.h"

namespace {

// Decimal code lists of SWAP- lines: numbers 1-255 are bytes, 0 and larger ones give nothing,
// four or more digits are written back between question marks.
QByteArray swapCodes(const QByteArray &text) {
    QByteArray out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            ++j;
        }
        const QByteArray digits = text.mid(i, j - i);
        if (digits.size() >= 4) {
            out += '?' + digits + '?';
        } else {
            const int v = digits.toInt();
            if (v >= 1 && v <= 255) {
                out += char(v);
            }
        }
        i = j;
    }
    return out;
}

} // namespace

namespace SwapIntercepts {

TSwapIntercept parse(const QByteArray &key, const QByteArray &value) {
    const qsizetype colon = value.indexOf(':');
    QByteArray pattern = (colon < 0 ? value : value.left(colon)).trimmed();
    QByteArray replacement = (colon < 0 ? QByteArray() : value.mid(colon + 1)).trimmed();
    const qsizetype dash = key.indexOf('-');
    const QByteArray family = (dash < 0 ? key : key.left(dash)).toUpper();
    if (family == "COLOUR") {
        return {"\x1B[" + pattern + 'm', "\x1B[" + replacement + 'm'};
    }
    if (value.contains("//")) {
        const qsizetype slashes = pattern.indexOf("//");
        pattern = swapCodes(slashes < 0 ? QByteArray() : pattern.mid(slashes + 2));
        replacement = swapCodes(replacement);
    }
    return {pattern, replacement};
}

QByteArray apply(const QList<TSwapIntercept> &swaps, const QByteArray &text) {
    QByteArray out = text;
    for (const TSwapIntercept &s : swaps) {
        if (!s.Pattern.isEmpty() && out.contains(s.Pattern)) {
            out.replace(s.Pattern, s.Replacement);
        }
    }
    return out;
}

} // namespace SwapIntercepts
