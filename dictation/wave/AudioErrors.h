// The fixed texts the audio code fails with: those of the conversion, the wave streams and their
// data windows, and of the result codes that the audio layer returns. A call that fails answers
// false and puts one of them in its `error`.
#pragma once

#include <QString>

namespace AudioText {
inline const QString InvalidFileFormat = QStringLiteral("Invalid file format.");
inline const QString WritePastEnd = QStringLiteral("Write past end of sub stream.");
inline const QString ConversionNotPossible = QStringLiteral("Conversion not possible.");
inline const QString WhileActive = QStringLiteral("Cannot perform this action while active.");
inline const QString WhileNotActive = QStringLiteral("Cannot perform this action while not active.");
inline const QString BufferTooSmall = QStringLiteral("The wave format buffer is too small.");
inline const QString BufferOverrun =
    QStringLiteral("This wave format cannot be assigned because it would cause a buffer overrun");
inline const QString ConversionCancelled = QStringLiteral("The conversion was cancelled.");
// An audio work file that could not be written, and why.
inline QString NotWritten(const QString &file, const QString &why) {
    return QStringLiteral("The audio file %1 could not be written.\r\n%2").arg(file, why);
}
} // namespace AudioText

// The text of an audio compression result code ("Bad device ID.", ...).
QString AcmResultText(int code);

// The prefix (plus CR LF when not empty) and the code's text.
QString AcmResultMessage(int code, const QString &prefix = {});

// False, with `message` in `error` when given: the end of every failed call of the audio code.
bool AudioFailed(QString *error, const QString &message);
