// The exception all imaging code raises for a failed image operation; the message is the user's text.
#pragma once

#include <QString>

#include <stdexcept>

namespace orva::imaging {

class ErrorInvalid : public std::runtime_error {
public:
    explicit ErrorInvalid(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A refused call of the imaging libraries: the reason goes to `error` when the caller wants it, and the
// call answers false.
inline bool failWith(QString *error, const QString &reason) {
    if (error)
        *error = reason;
    return false;
}

// The messages the imaging code raises ErrorInvalid with.
namespace ErrorInvalidText {
inline QString InputImageEmpty() {
    return QStringLiteral("Input image is empty");
}
inline QString InputFilenameNotValid() {
    return QStringLiteral("Input filename isn't valid");
}
inline QString CantAllocateMemory() {
    return QStringLiteral("Can't allocate memory");
}
inline QString StreamNilOrEmpty() {
    return QStringLiteral("Stream is nil or empty");
}
inline QString NoFileSize() {
    return QStringLiteral("Could not determine filesize. Error using Reset(F)");
}
inline QString NoFileInfo() {
    return QStringLiteral("Could not determine fileinfo. Error GetTiffInfo");
}
inline QString FormatNotSupported() {
    return QStringLiteral("This format is not supported by this application");
}
inline QString ParentWindowRequired() {
    return QStringLiteral("Parent Window Handle required");
}
inline QString CouldNotOpenFile() {
    return QStringLiteral("Could not open file!");
}
inline QString CouldNotCreateFile() {
    return QStringLiteral("Could not create file!");
}
inline QString DibNot8Or4Bit() {
    return QStringLiteral("Dib is not 8 or 4 bit");
}
} // namespace ErrorInvalidText

} // namespace orva::imaging
