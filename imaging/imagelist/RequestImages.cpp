// Request images of the main window: capture sets, list entries, the shown file and the counter.
#include "imaging/imagelist/RequestImages.h"

#include "common/FileWait.h"
#include "common/GDFileManip.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/Trace.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace RequestImages {

std::optional<QByteArray> CaptureRequestNumber(const QList<TCaptureSet> &sets, const TScreenRows &screen) {
    for (const TCaptureSet &set : sets) {
        if (set.Row < 1 || set.Row > screen.Rows || set.Marker.isEmpty() || !screen.RowText) {
            continue;
        }
        const QByteArray row = screen.RowText(set.Row);
        const qsizetype from = std::clamp<qsizetype>(set.Column - 1, 0, row.size());
        const qsizetype length = std::clamp<qsizetype>(set.Length, 0, row.size() - from);
        const QByteArray piece = row.mid(from, length);
        const qsizetype at = piece.indexOf(set.Marker);
        if (at < 0) {
            continue;
        }
        qsizetype start = at + set.Marker.size();
        // Host screens put a blank between the marker and the number.
        while (start < piece.size() && piece.at(start) == ' ') {
            ++start;
        }
        qsizetype end = piece.indexOf(' ', start);
        if (end < 0) {
            end = piece.size();
        }
        return piece.mid(start, end - start);
    }
    return std::nullopt;
}

QStringList RequestEntries(const QByteArray &request, const ImageList::TImageListSettings &settings,
                           QString &currentSource) {
    TImageList list;
    ImageList::BuildImageList(list, request, currentSource, settings);
    QStringList entries;
    for (const TImageListEntry &e : list) {
        if (e.Record) {
            entries.append(e.Record->FileName + QLatin1Char('\n') + e.Record->Created);
        }
    }
    if (entries.isEmpty()) {
        entries.append(settings.NoImageName);
    }
    return entries;
}

FileAccess ProbeFile(const QString &path) {
    return ProbeFileBounded(path, FileWait::kDefaultMs);
}

FileAccess ProbeFileBounded(const QString &path, int timeoutMs) {
    const QString local = LocalPath::toLocalPath(path);
    // Watched: the window goes on meanwhile, and a file that does not answer is told once; the
    // picture's own load that follows does not wait for it a second time.
    const std::optional<FileAccess> access = FileWait::Watched(
        local,
        [local] {
            if (!QFileInfo::exists(local)) {
                return FileAccess::Missing;
            }
            QFile f(local);
            return f.open(QIODevice::ReadOnly) ? FileAccess::Readable : FileAccess::Denied;
        },
        timeoutMs);
    if (!access) {
        // A share that does not answer has nothing to show now.
        FileWait::TraceNoAnswer(QStringLiteral("image file"), local);
        return FileAccess::Missing;
    }
    return *access;
}

TShownImage ChooseImage(const QString &entry, const TShowSettings &settings, const TAccessProbe &probe) {
    TShownImage shown;
    const qsizetype lf = entry.indexOf(QLatin1Char('\n'));
    const QString name = lf < 0 ? entry : entry.left(lf);
    shown.DateText = lf < 0 ? QString() : entry.mid(lf + 1).trimmed();
    const QString secure =
        settings.SecureImageName.isEmpty() ? QString() : settings.FirstSource + settings.SecureImageName;
    const bool hasDirectory = name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/'));
    if (hasDirectory) {
        shown.Path = name;
    } else if (name == settings.NoImageName) {
        shown.Path = settings.FirstSource + settings.NoImageName;
        return shown;
    } else {
        shown.Path =
            settings.CurrentSource +
            HostText::toUnicode(GDFileManip::BuildMaskedPath(HostText::fromUnicode(name), settings.Mask));
    }
    if (!secure.isEmpty() && probe && probe(shown.Path) == FileAccess::Denied) {
        shown.Path = secure;
    }
    return shown;
}

QString ViewCounterText(int index, int count, const QString &dateText) {
    if (count >= 2) {
        return QString::number(index + 1) + QLatin1Char('/') + QString::number(count) +
               QStringLiteral("   ") + dateText;
    }
    return dateText;
}

} // namespace RequestImages
