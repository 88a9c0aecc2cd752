// The exceptions of the audio code and their fixed texts: the EACMError family of the conversion
// and wave streams, ESubStreamError of the data windows, and the texts of the result codes that
// the audio layer returns.
#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

class EAudioError : public std::exception {
public:
    explicit EAudioError(const QString &message) : m_message(message), m_what(message.toUtf8()) {}
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};

class EACMError : public EAudioError {
public:
    using EAudioError::EAudioError;
};
class EACMCodecError : public EACMError {
public:
    using EACMError::EACMError;
};
class EACMConversionError : public EACMError {
public:
    using EACMError::EACMError;
};
class EACMAudioStreamError : public EACMError {
public:
    using EACMError::EACMError;
};
class EACMAudioReadError : public EACMAudioStreamError {
public:
    using EACMAudioStreamError::EACMAudioStreamError;
};
class ESubStreamError : public EAudioError {
public:
    using EAudioError::EAudioError;
};

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

// Nothing for 0; otherwise raises E with the prefix (plus CR LF when not empty) and the code's text.
template <class E = EACMError> void CheckAcmResult(int code, const QString &prefix = {}) {
    if (code == 0)
        return;
    throw E((prefix.isEmpty() ? QString() : prefix + QStringLiteral("\r\n")) + AcmResultText(code));
}
