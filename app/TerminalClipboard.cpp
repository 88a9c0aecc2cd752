// Clipboard text conversions of the terminal's copy and paste.
#include "app/TerminalClipboard.h"

#include "common/HostText.h"

namespace TerminalClipboard {

QByteArray PasteBytes(const QString &text) {
    QString windows;
    windows.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            windows += QStringLiteral("\r\n");
        } else if (c == QLatin1Char('\n')) {
            windows += QStringLiteral("\r\n");
        } else {
            windows += c;
        }
    }
    return HostText::fromUnicode(windows);
}

QString CopiedText(QString text) {
    if (text.endsWith(QStringLiteral("\r\n"))) {
        text.chop(2);
    }
    return text;
}

} // namespace TerminalClipboard
