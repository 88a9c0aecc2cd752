// The one place where host bytes become shown text and typed text becomes host bytes:
// Windows-1252 both ways, through a fixed table (independent of the codecs Qt was built with),
// and the one encoder that makes text the user typed safe inside a message to the host.
#pragma once

#include <QByteArray>
#include <QString>

namespace HostText {

// The Unicode character of one Windows-1252 byte; the five undefined bytes give U+FFFD.
char16_t cp1252ToUnicode(unsigned char byte);
QString toUnicode(const QByteArray &bytes);
// Characters outside Windows-1252 become '?'.
QByteArray fromUnicode(const QString &text);

// The host's value marks (y-acute and u-umlaut in Windows-1252) and the frame bytes of host-form
// messages: bytes that text from the user must never carry into a message.
constexpr char kValueMark = '\xFD';
constexpr char kSubValueMark = '\xFC';
constexpr char kFrameStart = '\x9F';
constexpr char kFrameEnd = '\x9B';
// What a byte of user text becomes when it would break a frame, a field or a list.
constexpr char kReplacementByte = '?';

// Text that came from the user (typed, pasted, picked): the frame bytes, the field separator 0x03
// and every other C0 control become kReplacementByte, and the value marks become plain "y" and "u".
// Every sender of user text (host forms, the editor, the dictation window) goes through this.
QByteArray userText(const QByteArray &text);

} // namespace HostText
