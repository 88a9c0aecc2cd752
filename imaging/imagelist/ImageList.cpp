// Image list: request-number checks, the membership rule, the structured listing and the list.
#include "imaging/imagelist/ImageList.h"

#include "common/FileWait.h"
#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr int kMaxRequestLength = 32;

bool isAsciiAlnum(QChar c) {
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}
} // namespace

TImageListRecord TImageListRecord::FromFileName(const QString &fileName) {
    TImageListRecord r;
    r.FileName = fileName;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    r.BaseName = dot < 0 ? fileName : fileName.left(dot);
    r.Extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    const qsizetype tilde = r.BaseName.indexOf(QLatin1Char('~'));
    if (tilde < 0) {
        r.NamePart = r.BaseName;
    } else {
        r.NamePart = r.BaseName.left(tilde);
        r.DocType = r.BaseName.mid(tilde + 1, 1);
        r.Scanner = r.BaseName.mid(tilde + 2);
    }
    return r;
}

namespace ImageList {

QString RequestNumberProblem(const QByteArray &request) {
    if (request.isEmpty()) {
        return QStringLiteral("empty request number");
    }
    if (request.size() > kMaxRequestLength) {
        return QStringLiteral("request number longer than %1 characters").arg(kMaxRequestLength);
    }
    for (const char c : request) {
        const bool ok =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
        if (!ok) {
            if (c == '*' || c == '?' || c == '[' || c == ']') {
                return QStringLiteral("wildcard in request number");
            }
            if (c == '/' || c == '\\' || c == ':') {
                return QStringLiteral("path separator in request number");
            }
            if (c == '.') {
                return QStringLiteral("dot in request number");
            }
            return QStringLiteral("character 0x%1 not allowed in a request number")
                .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
        }
    }
    return {};
}

QList<QByteArray> SplitRequestNumbers(const QByteArray &list) {
    QList<QByteArray> out;
    for (const QByteArray &raw : list.split(',')) {
        const QByteArray piece = raw.trimmed();
        const QString problem = RequestNumberProblem(piece);
        if (!problem.isEmpty()) {
            ORVA_TRACE(QStringLiteral("request number refused"), problem);
            continue;
        }
        out.append(piece);
    }
    return out;
}

bool BelongsToRequest(const QString &fileName, const QByteArray &request) {
    if (request.isEmpty() || fileName.size() < request.size()) {
        return false;
    }
    for (qsizetype i = 0; i < request.size(); ++i) {
        if (fileName.at(i).toLower() != QChar(QLatin1Char(request.at(i))).toLower()) {
            return false;
        }
    }
    return fileName.size() == request.size() || !isAsciiAlnum(fileName.at(request.size()));
}

QList<TListedFile> ListRequestFiles(const QString &localFolder, const QByteArray &request, int *leftOut) {
    QList<TListedFile> files;
    int others = 0;
    QDirIterator it(localFolder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        // A picture's annotations are kept beside it; they are no picture of the request.
        if (name.endsWith(QLatin1String(".ant"), Qt::CaseInsensitive)) {
            continue;
        }
        if (BelongsToRequest(name, request)) {
            files.append({name, it.fileInfo().lastModified()});
        } else if (name.startsWith(QString::fromLatin1(request), Qt::CaseInsensitive)) {
            ++others;
        }
    }
    std::sort(files.begin(), files.end(), [](const TListedFile &a, const TListedFile &b) {
        const int c = a.Name.compare(b.Name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
    if (others > 0) {
        ORVA_TRACE(QStringLiteral("files of other requests left out"), others);
    }
    if (leftOut) {
        *leftOut = others;
    }
    return files;
}

QList<TListedFile> ListRequestFilesBounded(const QString &localFolder, const QByteArray &request,
                                           int timeoutMs, int *leftOut) {
    struct Listing {
        QList<TListedFile> files;
        int leftOut = 0;
    };
    const std::optional<Listing> listing = FileWait::Bounded(
        [localFolder, request] {
            Listing l;
            l.files = ListRequestFiles(localFolder, request, &l.leftOut);
            return l;
        },
        timeoutMs);
    if (!listing) {
        FileWait::TraceNoAnswer(QStringLiteral("image folder"), localFolder);
        return {};
    }
    if (leftOut) {
        *leftOut = listing->leftOut;
    }
    return listing->files;
}

QString ListTimeText(const QDateTime &lastWrite) {
    if (!lastWrite.isValid()) {
        return {};
    }
    return lastWrite.toLocalTime().toString(GDFileManip::ListDateFormat() + QStringLiteral(" hh:mm"));
}

QString RequestFolder(const QString &source, const QByteArray &request, const QByteArray &mask) {
    const QString full = source + HostText::toUnicode(GDFileManip::BuildMaskedPath(request, mask));
    const qsizetype cut = std::max(full.lastIndexOf(QLatin1Char('\\')), full.lastIndexOf(QLatin1Char('/')));
    return full.left(cut + 1);
}

void BuildImageList(TImageList &list, const QByteArray &request, QString &SourceUsed,
                    const TImageListSettings &settings) {
    list.clear();
    const QString first = settings.ImageSources.value(0);
    SourceUsed = first;
    const QString problem = RequestNumberProblem(request);
    if (!problem.isEmpty()) {
        ORVA_TRACE(QStringLiteral("request number refused"), problem);
    } else {
        for (const QString &source : settings.ImageSources) {
            const QString folder = RequestFolder(source, request, settings.SubDirectoryMask);
            const QList<TListedFile> files =
                ListRequestFilesBounded(LocalPath::toLocalPath(folder), request, settings.TimeoutMs);
            if (files.isEmpty()) {
                continue;
            }
            SourceUsed = source;
            for (const TListedFile &f : files) {
                auto record = std::make_shared<TImageListRecord>(TImageListRecord::FromFileName(f.Name));
                record->Path = folder;
                record->Created = ListTimeText(f.LastWrite);
                list.append({f.Name, std::move(record)});
            }
            return;
        }
    }
    list.append({first + settings.NoImageName, nullptr});
}

} // namespace ImageList
