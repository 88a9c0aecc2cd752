// Merge fields: numbers name a line of the tag list, other contents a value of the report.
#include "editor/wpform/MergeFields.h"

#include <charconv>
#include <optional>

namespace {

std::optional<qint64> tagIndex(const QByteArray &content) {
    QByteArray digits = content;
    digits.replace(' ', QByteArray());
    if (digits.isEmpty())
        return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    qint64 n = 0;
    const auto r = std::from_chars(digits.constData(), digits.constData() + digits.size(), n);
    // A number too large for any list is simply outside it.
    return r.ec == std::errc() ? n : std::numeric_limits<qint64>::max();
}

QByteArray addressLine(int code, const TReportRecord &r) {
    const bool line2 = !r.GetValue("patadd2").isEmpty();
    switch (code) {
    case 6:
        return r.GetValue("PatAdd1");
    case 7:
        return line2 ? r.GetValue("patadd2") : r.GetValue("Patadd3") + ' ' + r.GetValue("patpc");
    case 8:
        return line2 ? r.GetValue("Patadd3") : QByteArray();
    default:
        return line2 ? r.GetValue("patpc") : QByteArray();
    }
}

QByteArray orBlank(const QByteArray &text) {
    return text.isEmpty() ? QByteArray(" ") : text;
}

} // namespace

MergeFieldValue MergeFieldValueFor(const QByteArray &content, bool mainText, const TReportRecord &record,
                                   const QByteArrayList &tags) {
    if (const std::optional<qint64> n = tagIndex(content)) {
        if (*n >= tags.size())
            return {"???", false, false};
        const QByteArray &line = tags.at(qsizetype(*n));
        const QByteArray code = line.left(line.indexOf('|')).trimmed();
        bool numeric = false;
        const int c = code.toInt(&numeric);
        // A field keeps at least one character, or it could not be found again.
        if (numeric && c >= 6 && c <= 9)
            return {orBlank(addressLine(c, record)), false, false};
        return {orBlank(record.GetValueByCode(code)), false, false};
    }
    const QByteArray name = content.trimmed();
    if (name.isEmpty())
        return {" ", mainText, false};
    if (!mainText)
        return {orBlank(record.GetValue(name)), false, false};
    if (name.startsWith('U') || name.startsWith('u'))
        return {orBlank(name.mid(1)), true, true};
    return {orBlank(record.GetValue(name)), true, false};
}
