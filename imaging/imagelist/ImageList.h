// A request number turned into the ordered list of its scanned image files: the image sources are
// looked at in order under the masked sub-directory, and the first source with files wins. Request
// numbers are checked before they reach a path, and a file belongs to a request only when its name
// carries the whole number (1234567 never lists the files of 12345678).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// One listed image file. The time is the file's last-write time as listed.
class TImageListRecord {
public:
    QString FileName;
    QString BaseName;
    QString Extension;
    QString NamePart;
    QString DocType;
    QString Scanner;
    QString Path;
    QString Created;

    QString FullName() const { return Path + FileName; }
    // The listing carries no scan date; reading it leaves Created as it is.
    QString ScannedText() const { return QStringLiteral("N/A"); }

    // A record with the name split filled (FileName, BaseName, Extension, NamePart, DocType, Scanner).
    static TImageListRecord FromFileName(const QString &fileName);
};

// One entry of an image list: its text, and its record (none for the no-image placeholder).
struct TImageListEntry {
    QString Text;
    std::shared_ptr<TImageListRecord> Record;
};
using TImageList = QList<TImageListEntry>;

// One file of a structured directory listing.
struct TListedFile {
    QString Name;
    QDateTime LastWrite;
};

namespace ImageList {

// Why a request number was refused (empty text when it is accepted).
QString RequestNumberProblem(const QByteArray &request);
inline bool IsValidRequestNumber(const QByteArray &request) {
    return RequestNumberProblem(request).isEmpty();
}
// The pieces of a comma-separated list of request numbers, blanks trimmed; empty and refused
// pieces are left out (each one traced with its reason).
QList<QByteArray> SplitRequestNumbers(const QByteArray &list);

// True when the file name belongs to the request: it starts with the number (case-insensitive) and
// the next character, if any, is not a letter or digit.
bool BelongsToRequest(const QString &fileName, const QByteArray &request);

// The files (not directories) of a local folder that belong to the request, ordered by name without
// case (then by exact name). `leftOut` counts the files that start with the number but belong to
// another request. An unreadable or missing folder gives nothing.
QList<TListedFile> ListRequestFiles(const QString &localFolder, const QByteArray &request,
                                    int *leftOut = nullptr);
// The same in a worker with a bound on the wait: a folder that does not answer in time lists as
// nothing (and is traced), so that a dead share cannot hang the window.
QList<TListedFile> ListRequestFilesBounded(const QString &localFolder, const QByteArray &request,
                                           int timeoutMs, int *leftOut = nullptr);

// The time text of a listing: short date with a four-digit year, a blank, "hh:mm".
QString ListTimeText(const QDateTime &lastWrite);

// The folder (as the setup file writes it, ending with "\") of a request under a source.
QString RequestFolder(const QString &source, const QByteArray &request, const QByteArray &mask);

struct TImageListSettings {
    QStringList ImageSources;
    QByteArray SubDirectoryMask;
    QString NoImageName;
    int TimeoutMs = 10000;
};

// Fills `list` with the request's files from the first source that has any, one record each; or
// with the one placeholder (source 0 + no-image name) when none has. `SourceUsed` is the source
// that served the list (source 0 when none did). An invalid request number lists nothing from any
// share: the placeholder is given and the reason traced.
void BuildImageList(TImageList &list, const QByteArray &request, QString &SourceUsed,
                    const TImageListSettings &settings);

} // namespace ImageList
