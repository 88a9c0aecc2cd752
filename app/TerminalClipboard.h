// The terminal's clipboard texts: what a paste sends to the host, and a copied selection as it goes
// on the clipboard.
#pragma once

#include <QByteArray>
#include <QString>

namespace TerminalClipboard {

// Clipboard text as the Windows clipboard held it: Windows-1252 ("?" for a character it lacks),
// every line end (LF, CR, CR LF) as CR LF, nothing else changed.
QByteArray PasteBytes(const QString &text);
// A copied selection without its final line end.
QString CopiedText(QString text);

} // namespace TerminalClipboard
