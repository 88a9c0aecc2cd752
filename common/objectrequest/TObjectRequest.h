// One object request as the host sends it between the frame bytes: fields separated by 0x03,
// field 1 the object name, field 2 the request type ("N" or "N.d"), the rest per request.
#pragma once

#include <QByteArray>
#include <QList>

class TObjectRequest {
public:
    static constexpr char kFieldSeparator = '\x03';

    // Splits the request text. Returns "OK", or the E002 text when field 2 is not a number
    // ("N" or "N.d" with decimal digits only); parsing stops at that field.
    QByteArray Parse(const QByteArray &text);

    // Field i counted from 1 as the host numbers them; empty beyond the last field.
    QByteArray field(int i) const;
    int fieldCount() const { return int(m_fields.size()); }
    // Entry k of a client command (entry 0 is the command code, that is field 3).
    QByteArray commandEntry(int k) const { return field(k + 3); }
    // Fields 3 onward, in order.
    QList<QByteArray> Fields() const { return m_fields.mid(qMin<qsizetype>(2, m_fields.size())); }

    QByteArray ObjectName;
    int RequestType = -1;
    int SubAction = 0;

    static QByteArray E002Text(const QByteArray &typeField);

private:
    QList<QByteArray> m_fields; // all fields, field 1 at index 0
};

namespace ObjectRequestNumber {

// A strict "digits[.digits]" reading, independent of the locale: the whole part and the first
// decimal digit rounded by the second one. False for anything else (signs, blanks, exponents, hex,
// "nan", a comma, a whole part over nine digits).
bool parseType(const QByteArray &text, int &type, int &subAction);

// A whole number of at most nine decimal digits, nothing else.
bool parseWhole(const QByteArray &text, int &value);

} // namespace ObjectRequestNumber
