// The main window's request images without widgets: reading a request number from the host screen,
// the list box entries of a request, the choice of the file to show and the counter text.
#pragma once

#include "common/SetupFile.h"
#include "imaging/imagelist/ImageList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace RequestImages {

// The terminal seen by the capture-set watcher: the row count and a row's bytes (rows from 1).
struct TScreenRows {
    int Rows = 0;
    std::function<QByteArray(int row)> RowText;
};

// The first capture set whose marker occurs in its piece of the screen gives the text after the
// marker (leading blanks skipped) up to the next blank. Sets whose row lies outside the screen are
// passed over; column and length are clamped to the row. Nothing found: no value.
std::optional<QByteArray> CaptureRequestNumber(const QList<TCaptureSet> &sets, const TScreenRows &screen);

// The list box entries of a request (name, LF, time), ordered by name without case, from the first
// source with files; with none, the no-image name alone. `currentSource` becomes the source used.
QStringList RequestEntries(const QByteArray &request, const ImageList::TImageListSettings &settings,
                           QString &currentSource);

enum class FileAccess { Readable, Denied, Missing };
using TAccessProbe = std::function<FileAccess(const QString &path)>;
// Probes a path as the setup file writes it (mapped to the local file system).
// It runs in a worker: a file on a share that does not answer within the bound is Missing.
FileAccess ProbeFile(const QString &path);
FileAccess ProbeFileBounded(const QString &path, int timeoutMs);

struct TShownImage {
    QString Path;
    QString DateText;
};

struct TShowSettings {
    QString CurrentSource;
    QString FirstSource;
    QByteArray Mask;
    QString NoImageName;
    QString SecureImageName;
};

// The file shown for a list entry. A file that exists but cannot be read is shown as the secure
// image (when one is set); a file that has gone away is not mistaken for a protected one.
TShownImage ChooseImage(const QString &entry, const TShowSettings &settings, const TAccessProbe &probe);

// "2/3   " + date for two or more images, else the date alone.
QString ViewCounterText(int index, int count, const QString &dateText);

} // namespace RequestImages
