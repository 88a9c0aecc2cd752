// File helpers on QDir/QFileInfo. Entries are listed in name order (case-insensitive) so that
// listings are the same on every run; the file system's own order is arbitrary here.
#include "common/GDFileManip.h"

#include "common/HostText.h"
#include "common/LocalPath.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace GDFileManip {

namespace {
constexpr double kTicksPerDay = 864000000000.0;
constexpr double kDaysFrom1601To1899 = 109205.0;
constexpr qint64 kSecondsFrom1601To1970 = 11644473600LL;

QDateTime fileTimeToUtc(std::uint64_t fileTime) {
    const qint64 ms = static_cast<qint64>(fileTime / 10000) - kSecondsFrom1601To1970 * 1000;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

int attributesOf(const QFileInfo &fi) {
    int attr = 0;
    if (fi.isDir()) {
        attr |= faDirectory;
    } else {
        attr |= faArchive;
    }
    if (!fi.isWritable()) {
        attr |= faReadOnly;
    }
    if (fi.fileName().startsWith(QLatin1Char('.'))) {
        attr |= faHidden;
    }
    return attr;
}

QByteArray timeColumn(const QDateTime &t) {
    if (!t.isValid()) {
        return {};
    }
    return HostText::fromUnicode(t.toLocalTime().toString(ListDateFormat() + QStringLiteral(" hh:mm")));
}
} // namespace

double FileTimeToDateTime(std::uint64_t fileTime, int biasMinutes) {
    return static_cast<double>(fileTime) / kTicksPerDay - kDaysFrom1601To1899 - biasMinutes / 1440.0;
}

double FileTimeToLocalDateTime(std::uint64_t fileTime) {
    const QDateTime utc = fileTimeToUtc(fileTime);
    const int offsetSeconds = utc.toLocalTime().offsetFromUtc();
    return FileTimeToDateTime(fileTime, -offsetSeconds / 60);
}

double DateTimeToDays(const QDateTime &local) {
    static const QDate epoch(1899, 12, 30);
    const QDateTime l = local.toLocalTime();
    return static_cast<double>(epoch.daysTo(l.date())) + l.time().msecsSinceStartOfDay() / 86400000.0;
}

std::uint64_t DateTimeToFileTime(const QDateTime &instant) {
    const qint64 ms = instant.toMSecsSinceEpoch() + kSecondsFrom1601To1970 * 1000;
    return static_cast<std::uint64_t>(ms) * 10000;
}

QString ListDateFormat() {
    QString fmt = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!fmt.contains(QStringLiteral("yyyy"))) {
        const qsizetype at = fmt.indexOf(QStringLiteral("yy"));
        if (at >= 0) {
            fmt.replace(at, 2, QStringLiteral("yyyy"));
        }
    }
    return fmt;
}

bool MatchesMask(const QString &name, const QString &mask) {
    if (mask.isEmpty() || mask == QLatin1String("*") || mask == QLatin1String("*.*")) {
        return true;
    }
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(
                                    mask, QRegularExpression::UnanchoredWildcardConversion),
                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression anchored(QRegularExpression::anchoredPattern(re.pattern()), re.patternOptions());
    if (anchored.match(name).hasMatch()) {
        return true;
    }
    // "name.*" also matches a name without any extension, as Windows does.
    if (mask.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.'))) {
        return MatchesMask(name, mask.chopped(2));
    }
    return false;
}

QByteArray ListDirectory(const QString &pathWithMask, int attributeFilter, int flags) {
    const QString local = LocalPath::toLocalPath(pathWithMask);
    const qsizetype slash = local.lastIndexOf(QLatin1Char('/'));
    const QString folder =
        slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : local.left(slash));
    const QString mask = local.mid(slash + 1);

    QDir dir(folder);
    QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const int c = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.fileName() < b.fileName();
    });

    QByteArray body;
    int count = 0;
    for (const QFileInfo &fi : entries) {
        if (!MatchesMask(fi.fileName(), mask)) {
            continue;
        }
        const int attr = attributesOf(fi);
        const bool accepted = attributeFilter == 0 ? !(attr & (faDirectory | faVolumeID))
                                                   : (attributeFilter == faAnyFile ||
                                                      (attr & attributeFilter) == attributeFilter);
        if (!accepted) {
            continue;
        }
        ++count;
        const QByteArray name = HostText::fromUnicode(fi.fileName());
        // No short (8.3) names exist here: the short-name column carries the long name.
        if (flags & 1) {
            body += name + '\n';
        }
        if (flags & 2) {
            body += name + '\n';
        }
        if (flags & 4) {
            body += timeColumn(fi.lastModified()) + '\n';
        }
        if (flags & 8) {
            QDateTime born = fi.birthTime();
            body += timeColumn(born.isValid() ? born : fi.metadataChangeTime()) + '\n';
        }
        if (flags & 16) {
            body += timeColumn(fi.lastRead()) + '\n';
        }
        if (flags & 32) {
            body += QByteArray::number(static_cast<quint32>(fi.size() & 0xFFFFFFFFu)) + '\n';
        }
        if (flags & 64) {
            body += QByteArray::number(attr) + '\n';
        }
        body += '\r';
    }
    if (count == 0) {
        return QByteArrayLiteral("0\r");
    }
    return QByteArray::number(count) + '\r' + body;
}

QByteArray BuildMaskedPath(const QByteArray &imageName, const QByteArray &mask) {
    QByteArray out;
    for (qsizetype i = 0; i < mask.size() && i < imageName.size(); ++i) {
        if (mask[i] == '*') {
            out += imageName[i];
        }
    }
    return out + '\\' + imageName;
}

QByteArray EscapeFileName(const QByteArray &itemName) {
    static const struct {
        const char *from;
        const char *to;
    } table[] = {{"\\", "%5C"}, {"/", "%2F"}, {":", "%3A"}, {"*", "%2A"}, {"?", "%3F"},
                 {"\"", "%22"}, {"<", "%3C"}, {">", "%3E"}, {"|", "%7C"}};
    QByteArray out = itemName;
    for (const auto &e : table) {
        out.replace(e.from, e.to);
    }
    return out;
}

} // namespace GDFileManip
