// Multi-page TIFF work of the document viewer: pages, tags and scan file names.
#include "imaging/core/TiffPages.h"

#include "common/LocalPath.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/imageio/DibReduce.h"

#include <QFileInfo>

#include <algorithm>

namespace orva::imaging {

namespace {

bool haveSource(const TTiffSource &source, QString *error) {
    if (source.IsStream())
        return !source.Stream->empty() || failWith(error, ErrorInvalidText::StreamNilOrEmpty());
    if (source.File.isEmpty() || !QFileInfo::exists(LocalPath::toLocalPath(source.File)))
        return failWith(error, ErrorInvalidText::InputFilenameNotValid());
    return true;
}

bool pageCountOf(const TTiffSource &source, int &count) {
    TTiffInfo info;
    const bool ok =
        source.IsStream() ? DllGetInfoStream(*source.Stream, 0, info) : DllGetInfo(source.File, 0, info);
    count = ok ? info.pages : 0;
    return ok;
}

bool annotationFileExists(const TAnnoPages &anno) {
    return anno.Window && !anno.File.isEmpty() && QFileInfo::exists(LocalPath::toLocalPath(anno.File));
}

} // namespace

std::optional<int> TiffPageCount(const TTiffSource &source, QString *error) {
    if (!haveSource(source, error))
        return std::nullopt;
    int count = 0;
    pageCountOf(source, count);
    return count;
}

int TiffWriteBits(TTiffCompression compression, TSaveResolution writeRes, int deviceDepth) {
    if (TiffCompressionCode(compression) <= 4)
        return 1;
    return SaveBitDepth(QStringLiteral("tif"), writeRes, deviceDepth);
}

int TiffStoredBits(int bitsPerPixel) {
    if (bitsPerPixel <= 1)
        return 1;
    if (bitsPerPixel <= 4)
        return 4;
    return bitsPerPixel <= 8 ? 8 : 24;
}

DibBlock DibForTiff(const DibBlock &image, int bits, QString *error) {
    if (image.isNull()) {
        failWith(error, ErrorInvalidText::InputImageEmpty());
        return {};
    }
    DibBlock copy = DllCopyDib(image);
    if (!copy || !orva::imageio::applyWantedBits(copy, bits, true)) {
        failWith(error, ErrorInvalidText::CantAllocateMemory());
        return {};
    }
    return copy;
}

bool DeleteTiffPage(const TTiffSource &source, int page, const TAnnoPages &anno, int &showPage,
                    int &pageCount, QString *error) {
    if (!haveSource(source, error))
        return false;
    // The page goes first: when the library refuses, the annotation file still matches the pages.
    const bool ok =
        source.IsStream() ? DeleteTIFFPageStream(*source.Stream, page) : DeleteTIFFPage(source.File, page);
    if (!ok)
        return false;
    if (!source.IsStream() && annotationFileExists(anno))
        AnnoRemovePage(anno.Window, page, anno.File);
    if (anno.Window)
        AnnoClear(anno.Window);
    pageCountOf(source, pageCount);
    showPage = std::clamp(page, 0, std::max(0, pageCount - 1));
    return true;
}

bool ReplaceTiffPage(const TTiffSource &source, int page, const DibBlock &image, TTiffCode compression,
                     int bits, TProgressTarget *control, QString *error) {
    if (!haveSource(source, error))
        return false;
    const DibBlock written = DibForTiff(image, bits, error);
    if (written.isNull())
        return false;
    return source.IsStream()
               ? WriteTIFFileDibPageReplaceStream(*source.Stream, compression, page, written, 0, control)
               : WriteTIFFileDibPageReplace(source.File, compression, page, written, 0, control);
}

bool SaveTiffPage(const TTiffSource &source, const DibBlock &image, TTifSaveOpt option, int insertAt,
                  TTiffCode compression, int bits, const TAnnoPages &anno, int &pageCount,
                  TProgressTarget *control, QString *error) {
    const DibBlock written = DibForTiff(image, bits, error);
    if (written.isNull())
        return false;
    bool ok = false;
    if (option == tiffInsert) {
        int count = 0;
        const bool exists = source.IsStream() ? !source.Stream->empty()
                                              : QFileInfo::exists(LocalPath::toLocalPath(source.File));
        if (exists && !pageCountOf(source, count))
            return false;
        const int at = std::clamp(insertAt, 0, count);
        ok = source.IsStream()
                 ? WriteTIFFileDibPageStream(*source.Stream, compression, at, written, 0, control)
                 : WriteTIFFileDibPage(source.File, compression, at, written, 0, control);
        if (ok && !source.IsStream() && annotationFileExists(anno))
            AnnoInsertPage(anno.Window, at, anno.File);
        if (ok && anno.Window)
            AnnoClear(anno.Window);
    } else {
        ok = source.IsStream()
                 ? WriteTIFFileDibStream(*source.Stream, compression, option, written, 0, control)
                 : WriteTIFFileDib(source.File, compression, option, written, 0, control);
    }
    if (ok)
        pageCountOf(source, pageCount);
    return ok;
}

bool PackTiffSource(const TTiffSource &source, TProgressTarget *control, QString *error) {
    if (!haveSource(source, error))
        return false;
    return source.IsStream() ? PackTIFFStream(*source.Stream, control) : PackTIFF(source.File, control);
}

std::int64_t TTiffTagRecord::Minimum() const {
    switch (FieldType) {
    case 6:
        return -128;
    case 8:
        return -32768;
    case 9:
    case 10:
        return -2147483648LL;
    default:
        return 0;
    }
}

std::int64_t TTiffTagRecord::Maximum() const {
    switch (FieldType) {
    case 1:
        return 255;
    case 6:
        return 127;
    case 3:
        return 65535;
    case 8:
        return 32767;
    default:
        return 2147483647LL;
    }
}

std::int64_t TagMinimum(const TTiffTagRecord &r) {
    switch (r.Tag) {
    case 280: // MINIMUMVALUE and MAXIMUMVALUE hold sample values, whatever their type
    case 281:
        return 0;
    case 255: // FILETYPE
    case 263: // THRESHHOLDING
    case 274: // ORIENTATION
    case 290: // GRAYRESPONSEUNITS
    case 296: // RESOLUTIONUNIT
    case 300: // COLORRESPONSEUNIT
        return 1;
    default:
        return r.Minimum();
    }
}

std::int64_t TagMaximum(const TTiffTagRecord &r) {
    switch (r.Tag) {
    case 280:
    case 281:
        return 65535;
    case 255:
    case 263:
    case 296:
        return 3;
    case 274:
        return 8;
    case 290:
    case 300:
        return 5;
    default:
        return r.Maximum();
    }
}

TTagNumberText NormalizeTagNumber(const QString &text, const TTiffTagRecord &record) {
    QString shown = text;
    if (shown.isEmpty())
        shown = QStringLiteral("0");
    else if (shown == QLatin1String("-"))
        shown = QStringLiteral("-1");
    bool integer = false;
    // Whole numbers of any length: a long run of digits is out of range, not "no integer".
    QString digits = shown;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')))
        digits.remove(0, 1);
    integer = !digits.isEmpty() &&
              std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    std::int64_t value = 0;
    if (integer) {
        const bool negative = shown.startsWith(QLatin1Char('-'));
        for (QChar c : digits) {
            value = value * 10 + (c.unicode() - u'0');
            if (value > (1LL << 40))
                break;
        }
        if (negative)
            value = -value;
    }
    const std::int64_t bounded = std::clamp(value, TagMinimum(record), TagMaximum(record));
    if (bounded != value)
        shown = QString::number(bounded);
    return {static_cast<std::int32_t>(bounded), shown};
}

bool TagTextAcceptable(const QString &text, const TTiffTagRecord &record) {
    if (text.size() > std::max(0, static_cast<int>(record.Length) - 1))
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 1 && c.unicode() < 128; });
}

bool ReadTagRecords(const TTiffSource &source, int page, TTiffTagList &tags, QObject *sender,
                    const TVisMesTag &onTag, QString *error) {
    tags.clear();
    if (source.IsStream() && source.Stream->size() <= 1)
        return false;
    if (!source.IsStream() && !QFileInfo::exists(LocalPath::toLocalPath(source.File)))
        return failWith(error, ErrorInvalidText::InputFilenameNotValid());
    const TVisMesTag each = [&](QObject *s, std::uint16_t tag, std::int16_t length, std::int32_t value,
                                const QByteArray &text, const QString &name, bool readOnly, std::int16_t p,
                                std::uint16_t type, std::uint32_t count, bool &cancel) {
        TTiffTagRecord r;
        r.Tag = tag;
        r.Length = static_cast<std::uint16_t>(length);
        r.Value = value;
        r.Text = text;
        r.Name = name;
        r.ReadOnly = readOnly || !TiffTagWritable(tag, type, count);
        r.Page = static_cast<std::uint16_t>(p);
        r.FieldType = type;
        r.Count = count;
        tags.append(r);
        if (onTag)
            onTag(s, tag, length, value, text, name, r.ReadOnly, p, type, count, cancel);
    };
    return source.IsStream() ? ReturnTagsStream(*source.Stream, page, sender, each)
                             : ReturnTags(source.File, page, sender, each);
}

bool WriteModifiedTags(const TTiffSource &source, int page, TTiffTagList &tags, bool &resolutionChanged,
                       QString *error) {
    resolutionChanged = false;
    std::vector<orva::imageio::TiffTagWrite> writes;
    for (const TTiffTagRecord &r : tags) {
        if (!r.Modified || r.ReadOnly)
            continue;
        writes.push_back({r.Tag, r.IsText(), r.Value, r.Text});
        resolutionChanged = resolutionChanged || r.Tag == 282 || r.Tag == 283;
    }
    if (writes.empty())
        return true;
    const bool ok =
        haveSource(source, error) && (source.IsStream() ? WriteTagsStream(*source.Stream, page, writes)
                                                        : WriteTags(source.File, page, writes));
    if (!ok) {
        resolutionChanged = false;
        return false;
    }
    for (TTiffTagRecord &r : tags)
        r.Modified = false;
    return true;
}

QString ScanFileNameFor(const QString &name, int number, TScanSaveOpt option, const QString &scanDirectory) {
    const QString given = name.isEmpty() ? QStringLiteral("SCAN.TIF") : name;
    const qsizetype cut = std::max(given.lastIndexOf(QLatin1Char('\\')), given.lastIndexOf(QLatin1Char('/')));
    const QString directory = given.left(cut + 1);
    QString file = given.mid(cut + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? file.mid(dot) : QStringLiteral(".TIF");
    QString part = dot >= 0 ? file.left(dot) : file;
    if (option == sSinglePage)
        part += QStringLiteral("0000000");
    part = part.left(4);
    part.remove(QLatin1Char('.'));
    if (option == sSinglePage)
        part += QStringLiteral("%1").arg(std::clamp(number, 0, 9999), 4, 10, QLatin1Char('0'));
    file = (part + (extension == QLatin1String(".") ? QStringLiteral(".TIF") : extension)).toUpper();
    if (directory.isEmpty() || directory.compare(QLatin1String("C:\\"), Qt::CaseInsensitive) == 0) {
        QString dir = LocalPath::toLocalPath(scanDirectory);
        if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
            dir += QLatin1Char('/');
        return dir + file;
    }
    return LocalPath::toLocalPath(directory + file);
}

} // namespace orva::imaging
