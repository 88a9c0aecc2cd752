// Key-text escapes and their readable form.
#include "common/KeyText.h"

#include <algorithm>

namespace KeyText {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Exactly three decimal digits naming a byte, else -1 (a sign or a blank is not a digit).
int byteOfDigits(const QByteArray &digits) {
    if (digits.size() != 3 || !isDigit(digits[0]) || !isDigit(digits[1]) || !isDigit(digits[2])) {
        return -1;
    }
    const int v = (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
    return v <= 255 ? v : -1;
}

QByteArray escaped(unsigned char byte) {
    QByteArray out("#$000");
    out[2] = char('0' + byte / 100);
    out[3] = char('0' + byte / 10 % 10);
    out[4] = char('0' + byte % 10);
    return out;
}

// The first occurrence of `from`, compared without regard to case when `anyCase`, becomes `to`.
QByteArray replaceFirst(const QByteArray &text, const QByteArray &from, const QByteArray &to, bool anyCase) {
    const qsizetype at = anyCase ? text.toLower().indexOf(from.toLower()) : text.indexOf(from);
    if (at < 0) {
        return text;
    }
    return text.left(at) + to + text.mid(at + from.size());
}

// What a <tag> of the readable form stands for.
QByteArray tagValue(const QByteArray &tag) {
    if (!tag.isEmpty() && std::all_of(tag.begin(), tag.end(), isDigit)) {
        // Only a byte has an escape; a larger number would be cut to another byte.
        const int v = tag.size() <= 3 ? tag.toInt() : 256;
        return v <= 255 ? escaped(static_cast<unsigned char>(v)) : QByteArray("?");
    }
    static const struct {
        const char *name;
        const char *value;
    } kTags[] = {{"NULL", "#$000"}, {"DEL", "#$008"}, {"TAB", "#$009"}, {"LF", "#$010"}, {"CR", "#$013"},
                 {"ESC", "#$027"},  {"CTRL", "C"},    {"SHIFT", "S"},   {"ALT", "A"}};
    const QByteArray upper = tag.toUpper();
    for (const auto &t : kTags) {
        if (upper == t.name) {
            return t.value;
        }
    }
    return {};
}

} // namespace

QByteArray DecodeKeyText(const QByteArray &text) {
    if (!text.contains("#$")) {
        return text;
    }
    if (text == "#$000") {
        return kNullToken;
    }
    QByteArray out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == '#' && i + 1 < text.size() && text[i + 1] == '$') {
            const QByteArray digits = text.mid(i + 2, 3);
            const int v = byteOfDigits(digits);
            out += v < 0 ? '?' : char(v);
            i += 2 + digits.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

QByteArray BytesToSend(const QByteArray &decoded) {
    return decoded.toLower() == kNullToken ? QByteArray(1, '\0') : decoded;
}

QByteArray swapasciiReadable(const QByteArray &keyText) {
    const QByteArray decoded = DecodeKeyText(keyText);
    QByteArray out;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const char c = decoded[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '#' && i + 1 < decoded.size() && decoded[i + 1] == '$') {
            // A "#$" of the text would read as an escape on the way back.
            out += "<35>";
            continue;
        }
        switch (byte) {
        case 0:
            out += "<NULL>";
            break;
        case 8:
            out += "<DEL>";
            break;
        case 9:
            out += "<TAB>";
            break;
        case 10:
            out += "<LF>";
            break;
        case 13:
            out += "<CR>";
            break;
        case 27:
            out += "<ESC>";
            break;
        case '<':
            // Written as a tag, so that the way back cannot mistake it for the start of one.
            out += "<60>";
            break;
        default:
            if (byte >= 32 && byte <= 126) {
                out += c;
            } else {
                out += '<' + QByteArray::number(byte) + '>';
            }
        }
    }
    out = replaceFirst(out, "C+", "Ctrl+", false);
    out = replaceFirst(out, "S+", "Shift+", false);
    return replaceFirst(out, "A+", "Alt+", false);
}

QByteArray swapreadableASCII(const QByteArray &readable) {
    QByteArray text = replaceFirst(readable, "Ctrl+", "<Ctrl>+", true);
    text = replaceFirst(text, "Shift+", "<Shift>+", true);
    text = replaceFirst(text, "Alt+", "<Alt>+", true);
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '<') {
            // A tag runs to the next ">" with no other "<" in between; otherwise the "<" is a character.
            qsizetype end = i + 1;
            while (end < text.size() && text[end] != '>' && text[end] != '<') {
                ++end;
            }
            if (end < text.size() && text[end] == '>') {
                out += tagValue(text.mid(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte >= 127) {
            out += escaped(byte);
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

} // namespace KeyText
