// The one place where host bytes become shown text and typed text becomes host bytes:
// Windows-1252 both ways, through a fixed table (independent of the codecs Qt was built with).
#pragma once

#include <QByteArray>
#include <QString>

namespace HostText {

// The Unicode character of one Windows-1252 byte; the five undefined bytes give U+FFFD.
char16_t cp1252ToUnicode(unsigned char byte);
QString toUnicode(const QByteArray &bytes);
// Characters outside Windows-1252 become '?'.
QByteArray fromUnicode(const QString &text);

} // namespace HostText
