// File helpers: file times, the directory listing text used to find a request's image files,
// masked sub-directory paths of image names and host item names made safe as file names.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace GDFileManip {

// Windows file attribute bits, emulated from the file system.
enum : int {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// 100 ns ticks since 1601-01-01 UTC to days since 1899-12-30, local time. The local offset is the
// one in force at that instant (a winter file stays in winter time when read in summer).
double FileTimeToLocalDateTime(std::uint64_t fileTime);
// The same with an explicit bias (minutes, UTC minus local, as Windows counts it).
double FileTimeToDateTime(std::uint64_t fileTime, int biasMinutes);
// Days since 1899-12-30 of a local date-time, and the file time of a UTC instant.
double DateTimeToDays(const QDateTime &local);
std::uint64_t DateTimeToFileTime(const QDateTime &instant);

// The date format of listings: the system's short date format with a four-digit year.
QString ListDateFormat();

// Lists entries matching "folder/mask" (mask with * and ?, compared without case; "*.*" is all).
// Column flags: 1 short name, 2 long name, 4 last write, 8 creation, 16 last access, 32 size,
// 64 attributes. Result: count, CR, then per entry its columns each followed by LF, then CR.
QByteArray ListDirectory(const QString &pathWithMask, int attributeFilter, int flags);

// Windows-style file mask match (case-insensitive; "*.*" matches names without a dot too).
bool MatchesMask(const QString &name, const QString &mask);

QByteArray BuildMaskedPath(const QByteArray &imageName, const QByteArray &mask);
QByteArray EscapeFileName(const QByteArray &itemName);

} // namespace GDFileManip
