// Windows-1252 conversion table and the encoder of user text.
#include "common/HostText.h"

#include <array>

namespace HostText {

namespace {
// 0x80..0x9F; everything else is the byte's own Latin-1 code point.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                            0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
} // namespace

char16_t cp1252ToUnicode(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : char16_t(byte);
}

QString toUnicode(const QByteArray &bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        out += QChar(cp1252ToUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

QByteArray fromUnicode(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == u && u != 0xFFFD) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        }
        out += b;
    }
    return out;
}

QByteArray userText(const QByteArray &text) {
    QByteArray out = text;
    for (char &c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == kFrameStart || c == kFrameEnd) {
            c = kReplacementByte;
        } else if (c == kValueMark) {
            c = 'y';
        } else if (c == kSubValueMark) {
            c = 'u';
        }
    }
    return out;
}

} // namespace HostText
