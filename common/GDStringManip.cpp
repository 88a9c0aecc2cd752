// Byte-string helpers. Every search is bounded by the text's size; an empty marker counts as
// "not found" so that callers looping on a marker cannot spin.
#include "common/GDStringManip.h"

namespace GDStringManip {

QByteArray RemoveChar(const QByteArray &text, char c) {
    QByteArray out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch != c) {
            out += ch;
        }
    }
    return out;
}

QByteArray RemoveChars(const QByteArray &text, const QByteArray &set) {
    QByteArray out;
    out.reserve(text.size());
    for (char ch : text) {
        if (!set.contains(ch)) {
            out += ch;
        }
    }
    return out;
}

QByteArray TextBefore(const QByteArray &text, const QByteArray &marker) {
    const qsizetype at = marker.isEmpty() ? -1 : text.indexOf(marker);
    return at < 0 ? text : text.left(at);
}

QByteArray TextAfter(const QByteArray &text, const QByteArray &marker) {
    const qsizetype at = marker.isEmpty() ? -1 : text.indexOf(marker);
    return at < 0 ? QByteArray() : text.mid(at + marker.size());
}

QByteArray TextBetween(const QByteArray &text, const QByteArray &a, const QByteArray &b) {
    return TextBefore(TextAfter(text, a), b);
}

int CountOccurrences(const QByteArray &text, const QByteArray &marker) {
    if (marker.isEmpty()) {
        return 0;
    }
    int count = 0;
    for (qsizetype at = text.indexOf(marker); at >= 0; at = text.indexOf(marker, at + marker.size())) {
        ++count;
    }
    return count;
}

QByteArray ReplaceText(const QByteArray &text, const QByteArray &pattern, const QByteArray &replacement) {
    if (text.isEmpty() || pattern.isEmpty()) {
        return text;
    }
    QByteArray out;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern, from)) {
        out += text.mid(from, at - from);
        out += replacement;
        from = at + pattern.size();
    }
    out += text.mid(from);
    return out;
}

QByteArray ExtractField(const QByteArray &text, char delimiter, int n) {
    if (n < 1 || text.isEmpty() || delimiter == '\0') {
        return {};
    }
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype at = text.indexOf(delimiter, start);
        if (at < 0) {
            return {};
        }
        start = at + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

} // namespace GDStringManip
