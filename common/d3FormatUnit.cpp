// Host conversion masks. Any mask or value that cannot be applied leaves the value unchanged.
#include "common/d3FormatUnit.h"

#include "common/GDStringManip.h"
#include "common/HostText.h"

#include <QLocale>
#include <charconv>
#include <optional>

namespace d3FormatUnit {

namespace {

std::optional<int> wholeNumber(const QByteArray &text) {
    int v = 0;
    const char *end = text.constData() + text.size();
    auto [p, ec] = std::from_chars(text.constData(), end, v);
    if (text.isEmpty() || ec != std::errc() || p != end) {
        return std::nullopt;
    }
    return v;
}

// Strict decimal: optional sign, digits, optional fraction. No exponent, no locale.
std::optional<double> decimalNumber(const QByteArray &text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    qsizetype i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

QByteArray padded(const QByteArray &text, int width, bool left, char fill) {
    if (text.size() >= width) {
        return text;
    }
    const QByteArray pad(width - text.size(), fill);
    return left ? text + pad : pad + text;
}

QByteArray applyOption(QByteArray text, char option) {
    const bool minus = text.contains('-');
    switch (option) {
    case 'c':
        return text + (minus ? "CR" : "  ");
    case 'd':
        return text + (minus ? "  " : "DB");
    case 'n':
        return text.replace('-', ' ');
    case 'm':
        if (minus) {
            text.replace('-', ' ');
            text += '-';
        }
        return text;
    case 'e':
        return '<' + text + '>';
    default:
        return text;
    }
}

} // namespace

QByteArray FormatD3Mask(const QByteArray &mask, const QByteArray &value) {
    if (value.isEmpty()) {
        return value;
    }
    const QByteArray trimmedMask = mask.trimmed();
    const QByteArray code = GDStringManip::TextBefore(trimmedMask, "(").toLower();
    const QByteArray inner = GDStringManip::TextBetween(trimmedMask, "(", ")").trimmed();
    if (code.isEmpty() || inner.isEmpty() || !trimmedMask.contains('(')) {
        return value;
    }

    const char fillCode = inner[0];
    char fill = 0;
    switch (fillCode) {
    case '%':
        fill = '0';
        break;
    case '#':
        fill = ' ';
        break;
    case '*':
        fill = '*';
        break;
    default:
        return value;
    }
    const std::optional<int> width = wholeNumber(inner.mid(1).trimmed());
    if (!width || *width < 0 || *width > kMaxMaskWidth) {
        return value;
    }

    bool left = false;
    switch (code[0]) {
    case 'l':
        left = true;
        break;
    case 'r':
    case 'd':
        break;
    default:
        return value;
    }

    int decimals = -1;
    int divisor = 1;
    bool money = false;
    QByteArray options;
    for (qsizetype i = 1; i < code.size(); ++i) {
        const char c = code[i];
        if (c >= '0' && c <= '9') {
            if (i == 1) {
                decimals = c - '0';
            } else if (i == 2) {
                // The host's scaling digit: kept as the system has always applied it (digit x 10).
                divisor = (c - '0') * 10;
            }
        } else if (c == '$') {
            money = true;
        } else if (c == 'c' || c == 'd' || c == 'n' || c == 'm' || c == 'e') {
            options += c;
        }
    }

    QByteArray text;
    if (decimals >= 0 || money) {
        const std::optional<double> number = decimalNumber(value.trimmed());
        if (!number || divisor == 0) {
            return value;
        }
        const double scaled = *number / divisor;
        QByteArray formatted;
        if (money) {
            formatted = HostText::fromUnicode(
                QLocale::system().toCurrencyString(scaled, QString(), decimals >= 0 ? decimals : 2));
        } else {
            formatted = QByteArray::number(scaled, 'f', decimals);
        }
        text = padded(formatted, *width, left, ' ');
    } else if (left) {
        text = (value + QByteArray(*width, fill)).left(*width);
    } else {
        text = (QByteArray(*width, fill) + value).right(*width);
    }

    for (char option : options) {
        text = applyOption(text, option);
    }
    return text;
}

} // namespace d3FormatUnit
