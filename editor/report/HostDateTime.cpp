// Host date-time texts.
#include "editor/report/HostDateTime.h"

#include <cmath>

namespace {

constexpr int kSecondsPerDay = 86400;
// Far beyond any real date; keeps the day within range of an integer.
constexpr double kLargestDateTime = 1e9;

// Decimal digits with an optional sign and nothing else; false for anything other.
bool parseNumber(const QByteArray &text, int &value) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    value = int(negative ? -v : v);
    return true;
}

} // namespace

double HostDateTimeToDateTime(const QByteArray &text) {
    int day = 0;
    int second = 0;
    if (!parseNumber(text.mid(0, 5), day) || !parseNumber(text.mid(5, 5), second))
        return kNoHostDateTime;
    return double(day) + kHostDayOffset + double(second) / kSecondsPerDay;
}

QByteArray DateTimeToHostDateTime(double dateTime) {
    // A value before 30 December 1899 counts its time of day from the start of its day, as the
    // program's date-time values always have.
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > kLargestDateTime)
        return {};
    double whole = std::trunc(dateTime);
    long long second = std::llround(std::fabs(dateTime - whole) * kSecondsPerDay);
    if (second >= kSecondsPerDay) {
        second = 0;
        whole += 1;
    }
    const long long day = (long long)whole - kHostDayOffset;
    QByteArray out = QByteArray::number(std::llabs(day)).rightJustified(5, '0');
    if (day < 0)
        out.prepend('-');
    return out + QByteArray::number(second).rightJustified(5, '0');
}
