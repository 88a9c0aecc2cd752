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

} // namespace orva::imaging
