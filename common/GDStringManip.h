// Text cutting and replacing on byte strings (host text), shared by every subsystem.
// Positions are 1-based; an empty marker never matches.
#pragma once

#include <QByteArray>

namespace GDStringManip {

QByteArray RemoveChar(const QByteArray &text, char c);
QByteArray RemoveChars(const QByteArray &text, const QByteArray &set);
QByteArray TextBefore(const QByteArray &text, const QByteArray &marker);
QByteArray TextAfter(const QByteArray &text, const QByteArray &marker);
QByteArray TextBetween(const QByteArray &text, const QByteArray &a, const QByteArray &b);
int CountOccurrences(const QByteArray &text, const QByteArray &marker);
QByteArray ReplaceText(const QByteArray &text, const QByteArray &pattern, const QByteArray &replacement);
QByteArray ExtractField(const QByteArray &text, char delimiter, int n);

} // namespace GDStringManip
