// Key texts of the setup file (key-map values, the login reply): "#$nnn" escapes for bytes that cannot
// be written in the file, and the readable form with <ESC>, <CR>, <200> that the settings form shows.
#pragma once

#include <QByteArray>

namespace KeyText {

// The action token a lone "#$000" becomes (it sends one NUL byte).
inline const QByteArray kNullToken = QByteArrayLiteral("{null}");

// "#$" and three decimal digits up to 255 become that byte; any other three characters after "#$"
// (or fewer at the end) become "?". Decoded bytes are never read again as part of a marker. The text
// exactly "#$000" becomes kNullToken.
QByteArray DecodeKeyText(const QByteArray &text);

// The bytes a decoded text sends to the host: kNullToken (any case) is one NUL byte, anything else
// goes as it is.
QByteArray BytesToSend(const QByteArray &decoded);

// The readable form of a key text: decoded, then control and 8-bit bytes as <NULL>, <DEL> (byte 8),
// <TAB>, <LF>, <CR>, <ESC> or <decimal>; then the first "C+", "S+" and "A+" become "Ctrl+", "Shift+",
// "Alt+".
QByteArray swapasciiReadable(const QByteArray &keyText);

// Back from the readable form to a key text: named and numbered tags become "#$nnn" escapes (or the
// modifier letters C, S, A), unknown tags are dropped, a "<" without its ">" stays as written, and
// control and 8-bit bytes outside tags are escaped.
QByteArray swapreadableASCII(const QByteArray &readable);

} // namespace KeyText
