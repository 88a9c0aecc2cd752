// The imaging front end: the one road from the image controls to the image-I/O library.
#include "imaging/core/DLL96V1.h"

#include "common/FileWait.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/DibReduce.h"
#include "platform/settings/SettingsFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>
#include <optional>
#include <utility>

namespace orva::imaging {

namespace lib = orva::imageio::lib;
using orva::imageio::Progress;

namespace {

struct LibraryState {
    std::int16_t lastErrorCode = 0;
    QString lastErrorText;
    QString caption;
    bool twainBusy = false;
    std::function<QString(const QString &)> mapper;
    std::function<void(const char *)> observer;
    QStringList mciExtensions{QStringLiteral("WAV")};
    TScanSourceChooser chooser;
    QString scanSource;
    QString scanDirectory;
};

LibraryState &state() {
    static LibraryState s;
    return s;
}

void fail(std::int16_t code) {
    state().lastErrorCode = code;
    state().lastErrorText = orva::imageio::errorText(code);
}

QString mapped(const QString &file) {
    return state().mapper ? state().mapper(file) : file;
}

enum class Check { Go, Refused };

// The file check of the readers and page calls: it must open, and hold at least 30 bytes.
// Names are never cut short: a cut name could name another file.
Check checkFile(const QString &file, bool mustExist) {
    if (QFile::encodeName(file).size() >= PATH_MAX) {
        fail(orva::imageio::ErrNameTooLong);
        return Check::Refused;
    }
    if (!mustExist)
        return Check::Go;
    if (const orva::imageio::Bytes *ahead = orva::imageio::lib::ReadAhead::find(file)) {
        if (ahead->size() >= 30)
            return Check::Go;
        fail(orva::imageio::ErrTooSmall);
        return Check::Refused;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(orva::imageio::ErrOpen);
        return Check::Refused;
    }
    if (f.size() < 30) {
        fail(orva::imageio::ErrTooSmall);
        return Check::Refused;
    }
    return Check::Go;
}

Progress progressFor(TProgressTarget *control) {
    return Progress{VisProgress, control};
}

// One library call: caption, guard, result test, last error.
template <typename Call> std::int16_t called(const char *exportName, const QString &caption, Call &&call) {
    if (state().observer)
        state().observer(exportName);
    state().caption = caption;
    try {
        return call();
    } catch (const std::bad_alloc &) {
        return orva::imageio::ErrNoMemory;
    } catch (const std::exception &) {
        return orva::imageio::ErrInternal;
    }
}

template <typename Call>
bool guarded(const char *exportName, const QString &caption, bool atLeastZero, Call &&call) {
    const std::int16_t code = called(exportName, caption, std::forward<Call>(call));
    if (atLeastZero ? code >= 0 : code > 0)
        return true;
    fail(code);
    return false;
}

template <typename Call>
bool fileCall(const char *exportName, const QString &word, const QString &file, bool mustExist, Call &&call) {
    const QString local = mapped(file);
    if (checkFile(local, mustExist) == Check::Refused)
        return false;
    return guarded(exportName, word + file, false, [&] { return call(local); });
}

using DibReader = std::int16_t (*)(const QString &, int, int, DibBlock &, const Progress &);

bool readDib(const char *exportName, DibReader reader, const QString &file, int bits, int dither,
             DibBlock &out, TProgressTarget *control) {
    DibBlock result;
    const bool ok = fileCall(exportName, QStringLiteral("Reading "), file, true, [&](const QString &local) {
        return reader(local, bits, dither, result, progressFor(control));
    });
    if (ok)
        out = std::move(result);
    return ok;
}

template <typename Read>
bool readBitmap(Read &&read, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    DibBlock dib;
    if (!read(dib))
        return false;
    const bool ok = DibToBitmap(&dib, bits, dither, control, bitmap);
    FreeDib(dib);
    return ok;
}

std::uint16_t codeOf(TTiffCode c) {
    return c.code;
}

bool stringTags(const Bytes *block, const QString &file, int page, QObject *sender,
                const TVisMesTag &callback) {
    std::int16_t index = static_cast<std::int16_t>(page);
    auto each = [&](const orva::imageio::TiffTagValue &t) {
        bool cancel = false;
        bool readOnly = false;
        const QString name = TiffTagName(t.tag, &readOnly);
        if (callback)
            callback(sender, t.tag, t.length, t.number, t.text, name,
                     readOnly || t.kind == orva::imageio::TiffTagKind::Array ||
                         !orva::imageio::tiffTagWritable(t.tag),
                     index, t.type, t.count, cancel);
        return !cancel;
    };
    if (block)
        return guarded("returntagsstream", QStringLiteral("TAG Read = Stream"), false, [&] {
            return block->size() <= 1 ? orva::imageio::ErrTooSmall
                                      : lib::returntagsstream(*block, page, each);
        });
    return fileCall("returntags", QStringLiteral("TAG Read = "), file, true,
                    [&](const QString &local) { return lib::returntags(local, page, each); });
}

void fillTag(const orva::imageio::TiffTagValue &v, TTagRead &out) {
    out.length = v.length;
    out.value = v.number;
    out.text = v.text;
    out.fieldType = v.type;
    out.count = v.count;
    out.isText = v.kind == orva::imageio::TiffTagKind::Text;
    out.isArray = v.kind == orva::imageio::TiffTagKind::Array;
}

void fillInfo(const orva::imageio::TiffPageInfo &i, TTiffInfo &info) {
    info.pages = i.pages;
    info.width = i.width;
    info.height = i.height;
    info.bitsPerPixel = i.bitsPerPixel;
    info.compression = TiffCompressionName(static_cast<std::int16_t>(i.compression));
    info.compressionCode = i.compression;
}

} // namespace

std::int16_t LastErrorCode() {
    return state().lastErrorCode;
}
QString LastErrorText() {
    return state().lastErrorText;
}
QString LibraryCaption() {
    return state().caption;
}
void SetPathMapper(std::function<QString(const QString &)> mapper) {
    state().mapper = std::move(mapper);
}

QString MappedPath(const QString &file) {
    return mapped(file);
}
void SetLibraryCallObserver(std::function<void(const char *)> observer) {
    state().observer = std::move(observer);
}

std::int16_t VisProgress(std::int16_t percent, void *data) {
    auto *control = static_cast<TProgressTarget *>(data);
    if (!control)
        return 1;
    bool cancel = false;
    control->DoProgress(percent, state().caption.toLower(), cancel);
    return cancel ? 0 : 1;
}

bool ReadBMPFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("rdbmpfiledib", lib::rdbmpfiledib, file, bits, dither, out, control);
}
bool ReadPNGFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("rdpngfiledib", lib::rdpngfiledib, file, bits, dither, out, control);
}
bool ReadPCXFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("rdpcxfiledib", lib::rdpcxfiledib, file, bits, dither, out, control);
}
bool ReadGIFFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("rdgiffiledib", lib::rdgiffiledib, file, bits, dither, out, control);
}
bool ReadJPGFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    DibBlock result;
    const bool ok =
        fileCall("rdjpgfiledib", QStringLiteral("Reading "), file, true, [&](const QString &local) {
            return lib::rdjpgfiledib(local, bits, 1, dither, result, progressFor(control));
        });
    if (ok)
        out = std::move(result);
    return ok;
}
bool ReadTGAFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("readtgafiledib", lib::readtgafiledib, file, bits, dither, out, control);
}
bool ReadEPSFileDib(const QString &file, int bits, int dither, DibBlock &out, TProgressTarget *control) {
    return readDib("readepsfiledib", lib::readepsfiledib, file, bits, dither, out, control);
}
bool ReadPCDFileDib(const QString &file, int bits, int dither, TPCDMode mode, DibBlock &out,
                    TProgressTarget *control) {
    DibBlock result;
    const bool ok =
        fileCall("readpcdfiledib", QStringLiteral("Reading "), file, true, [&](const QString &local) {
            return lib::readpcdfiledib(local, bits, dither, static_cast<int>(mode), result,
                                       progressFor(control));
        });
    if (ok)
        out = std::move(result);
    return ok;
}
bool ReadTIFFileDib(const QString &file, int bits, int dither, int page, DibBlock &out,
                    TProgressTarget *control) {
    DibBlock result;
    const bool ok =
        fileCall("readtiffiledib", QStringLiteral("Reading "), file, true, [&](const QString &local) {
            return lib::readtiffiledib(local, bits, dither, page, result, progressFor(control));
        });
    if (ok)
        out = std::move(result);
    return ok;
}
bool ReadTIFFileDibStream(const Bytes &block, int bits, int dither, int page, DibBlock &out,
                          TProgressTarget *control) {
    DibBlock result;
    const bool ok = guarded("readtiffiledibstream", QStringLiteral("Reading Tiff Stream"), false, [&] {
        return lib::readtiffiledibstream(block, bits, dither, page, result, progressFor(control));
    });
    if (ok)
        out = std::move(result);
    return ok;
}
bool ReadDXFToDdb(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    QImage result;
    const bool ok =
        fileCall("readdxftoddb", QStringLiteral("Reading "), file, true, [&](const QString &local) {
            return lib::readdxftoddb(local, bits, dither, result, progressFor(control));
        });
    if (ok)
        bitmap = result;
    return ok;
}

bool ReadBMPFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadBMPFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadPNGFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadPNGFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadPCXFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadPCXFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadGIFFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadGIFFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadJPGFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadJPGFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadTGAFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadTGAFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadEPSFileBitmap(const QString &file, int bits, int dither, QImage &bitmap, TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadEPSFileDib(file, bits, dither, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadPCDFileBitmap(const QString &file, int bits, int dither, TPCDMode mode, QImage &bitmap,
                       TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadPCDFileDib(file, bits, dither, mode, d, control); }, bits,
                      dither, bitmap, control);
}
bool ReadTIFFileBitmap(const QString &file, int bits, int dither, int page, QImage &bitmap,
                       TProgressTarget *control) {
    return readBitmap([&](DibBlock &d) { return ReadTIFFileDib(file, bits, dither, page, d, control); }, bits,
                      dither, bitmap, control);
}

bool DllFileInfo(const QString &file, lib::FileInfo &info) {
    return guarded("fileinfo", QString(), false, [&] { return lib::fileinfo(mapped(file), info); });
}

bool DllGetInfo(const QString &file, int page, TTiffInfo &info) {
    orva::imageio::TiffPageInfo i;
    if (!guarded("getinfo", QString(), true, [&] { return lib::getinfo(mapped(file), page, i); }))
        return false;
    fillInfo(i, info);
    return true;
}

bool DllGetInfoStream(const Bytes &block, int page, TTiffInfo &info) {
    orva::imageio::TiffPageInfo i;
    if (!guarded("getinfostream", QString(), true, [&] { return lib::getinfostream(block, page, i); }))
        return false;
    fillInfo(i, info);
    return true;
}

void DllGetDXFInfo(const QString &file, lib::DxfInfo &info) {
    // The drawing's size is taken as it comes: a drawing that cannot be read has size 0 and is no error.
    info = {};
    called("getdxfinfo", QString(), [&] { return lib::getdxfinfo(mapped(file), info); });
}

bool WriteTIFFileDib(const QString &file, TTiffCode compression, TTifSaveOpt option, const DibBlock &dib,
                     std::int16_t further, TProgressTarget *control) {
    return fileCall("writetiffiledib", QStringLiteral("Writing "), file, false, [&](const QString &local) {
        return lib::writetiffiledib(local, codeOf(compression), option == tiffAppend ? 1 : 0, dib, further,
                                    progressFor(control));
    });
}
bool WriteTIFFileDibPage(const QString &file, TTiffCode compression, int page, const DibBlock &dib,
                         std::int16_t further, TProgressTarget *control) {
    return fileCall("writetiffiledibpage", QStringLiteral("Inserting "), file, false,
                    [&](const QString &local) {
                        return lib::writetiffiledibpage(local, codeOf(compression), page, dib, further,
                                                        progressFor(control));
                    });
}
bool WriteTIFFileDibPageReplace(const QString &file, TTiffCode compression, int page, const DibBlock &dib,
                                std::int16_t further, TProgressTarget *control) {
    return fileCall("writetiffiledibpagereplace", QStringLiteral("Updating "), file, true,
                    [&](const QString &local) {
                        return lib::writetiffiledibpagereplace(local, codeOf(compression), page, dib, further,
                                                               progressFor(control));
                    });
}
bool DeleteTIFFPage(const QString &file, int page) {
    return fileCall("deletepage", QString(), file, true,
                    [&](const QString &local) { return lib::deletepage(local, page); });
}
bool PackTIFF(const QString &file, TProgressTarget *control) {
    return fileCall("packtiff", QStringLiteral("Packing "), file, true,
                    [&](const QString &local) { return lib::packtiff(local, progressFor(control)); });
}
bool WriteTIFFileDibStream(Bytes &block, TTiffCode compression, TTifSaveOpt option, const DibBlock &dib,
                           std::int16_t further, TProgressTarget *control) {
    return guarded("writetiffiledibstream", QStringLiteral("Writing Tiff Stream"), false, [&] {
        return lib::writetiffiledibstream(block, codeOf(compression), option == tiffAppend ? 1 : 0, dib,
                                          further, progressFor(control));
    });
}
bool WriteTIFFileDibPageReplaceStream(Bytes &block, TTiffCode compression, int page, const DibBlock &dib,
                                      std::int16_t further, TProgressTarget *control) {
    return guarded("writetiffiledibpagereplacestream", QStringLiteral("Updating Tiff Stream"), false, [&] {
        return lib::writetiffiledibpagereplacestream(block, codeOf(compression), page, dib, further,
                                                     progressFor(control));
    });
}
bool WriteTIFFileDibPageStream(Bytes &block, TTiffCode compression, int page, const DibBlock &dib,
                               std::int16_t further, TProgressTarget *control) {
    return guarded("writetiffiledibpagestream", QStringLiteral("Inserting Tiff Stream"), false, [&] {
        return lib::writetiffiledibpagestream(block, codeOf(compression), page, dib, further,
                                              progressFor(control));
    });
}
bool DeleteTIFFPageStream(Bytes &block, int page) {
    return guarded("deletepagestream", QString(), false, [&] { return lib::deletepagestream(block, page); });
}
bool PackTIFFStream(Bytes &block, TProgressTarget *control) {
    return guarded("packtiffstream", QStringLiteral("Packing Tiff Stream"), false,
                   [&] { return lib::packtiffstream(block, progressFor(control)); });
}

bool ReadTag(const QString &file, int page, std::uint16_t tag, TTagRead &out) {
    orva::imageio::TiffTagValue v;
    if (!fileCall("readtag", QStringLiteral("TAG Read = "), file, true,
                  [&](const QString &local) { return lib::readtag(local, page, tag, v); }))
        return false;
    fillTag(v, out);
    return true;
}
bool ReadTagStream(const Bytes &block, int page, std::uint16_t tag, TTagRead &out) {
    orva::imageio::TiffTagValue v;
    if (!guarded("readtagstream", QStringLiteral("TAG Read = Stream"), false,
                 [&] { return lib::readtagstream(block, page, tag, v); }))
        return false;
    fillTag(v, out);
    return true;
}
bool ReturnTags(const QString &file, int page, QObject *sender, const TVisMesTag &callback) {
    return stringTags(nullptr, file, page, sender, callback);
}
bool ReturnTagsStream(const Bytes &block, int page, QObject *sender, const TVisMesTag &callback) {
    return stringTags(&block, QString(), page, sender, callback);
}
bool WriteTag(const QString &file, int page, std::uint16_t tag, std::int32_t value) {
    return fileCall("writetag", QStringLiteral("TAG Write = "), file, true,
                    [&](const QString &local) { return lib::writetag(local, page, tag, value); });
}
bool WriteTagStream(Bytes &block, int page, std::uint16_t tag, std::int32_t value) {
    return guarded("writetagstream", QStringLiteral("TAG Write = Stream"), false,
                   [&] { return lib::writetagstream(block, page, tag, value); });
}
bool WriteTagString(const QString &file, int page, std::uint16_t tag, const QByteArray &text) {
    return fileCall("writetagstring", QStringLiteral("TAG Write = "), file, true,
                    [&](const QString &local) { return lib::writetagstring(local, page, tag, text); });
}
bool WriteTagStringStream(Bytes &block, int page, std::uint16_t tag, const QByteArray &text) {
    return guarded("writetagstringstream", QStringLiteral("TAG Write = Stream"), false,
                   [&] { return lib::writetagstringstream(block, page, tag, text); });
}
bool WriteTags(const QString &file, int page, const std::vector<orva::imageio::TiffTagWrite> &writes) {
    return fileCall("writetags", QStringLiteral("TAG Write = "), file, true,
                    [&](const QString &local) { return lib::writetags(local, page, writes); });
}
bool WriteTagsStream(Bytes &block, int page, const std::vector<orva::imageio::TiffTagWrite> &writes) {
    return guarded("writetagsstream", QStringLiteral("TAG Write = Stream"), false,
                   [&] { return lib::writetagsstream(block, page, writes); });
}
bool TiffTagWritable(std::uint16_t tag, std::uint16_t fieldType, std::uint32_t count) {
    bool readOnly = true;
    const QString name = TiffTagName(tag, &readOnly);
    const bool known = name != QLatin1String("Unknown");
    const bool single = fieldType == 2 || count == 1;
    const bool numberType = fieldType >= 1 && fieldType <= 10 && fieldType != 7;
    return known && !readOnly && single && numberType && orva::imageio::tiffTagWritable(tag);
}

DibBlock DllCopyDib(const DibBlock &dib) {
    return orva::imageio::DllCopyDib(dib);
}
DibBlock ConvertDib1To4(const DibBlock &dib) {
    return orva::imageio::ConvertDib1To4(dib);
}
DibBlock ConvertDib1To8(const DibBlock &dib) {
    return orva::imageio::ConvertDib1To8(dib);
}
DibBlock ConvertDib1To24(const DibBlock &dib) {
    return orva::imageio::ConvertDib1To24(dib);
}
DibBlock ConvertDib4To8(const DibBlock &dib) {
    return orva::imageio::ConvertDib4To8(dib);
}
DibBlock ConvertDib4To24(const DibBlock &dib) {
    return orva::imageio::ConvertDib4To24(dib);
}
DibBlock ConvertDib8To24(const DibBlock &dib) {
    return orva::imageio::ConvertDib8To24(dib);
}
DibBlock ConvertDib16To24(const DibBlock &dib) {
    return orva::imageio::ConvertDib16To24(dib);
}
DibBlock ConvertDib32To24(const DibBlock &dib) {
    return orva::imageio::ConvertDib32To24(dib);
}

void SetMciExtensions(const QStringList &extensions) {
    state().mciExtensions.clear();
    for (const QString &e : extensions)
        state().mciExtensions.append(e.toUpper());
}

bool IsMciExtension(const QString &ext) {
    return state().mciExtensions.contains(ext.toUpper());
}

QString MediaFilterText() {
    static const char *const kMedia[] = {"WAV", "MID", "RMI", "AVI", "MOV"};
    static const char *const kPairs[] = {"|Wave Sound    (WAV) |*.WAV", "|Midi Sound    (MID) |*.MID",
                                         "|RMI Sound    (RMI) |*.RMI", "|Video for Windows    (AVI) |*.AVI",
                                         "|Apple Quicktime Video    (MOV) |*.MOV"};
    QString text =
        QStringLiteral("All Supported Media Formats|*.BMP;*.CMS;*.GIF;*.JPG;*.PCX;*.PNG;*.SCM;*.TIF;*.PCD;"
                       "*.EMF;*.WMF;*.TGA;");
    for (const char *m : kMedia)
        if (IsMciExtension(QLatin1String(m)))
            text += QStringLiteral("*.%1;").arg(QLatin1String(m));
    text += QStringLiteral(
        "|Windows Bitmap    (BMP) |*.BMP|Credit Message    (CMS) |*.CMS|Compuserve Gif    (GIF) |*.GIF"
        "|Jpeg    (JPG) |*.JPG|PaintShop Pro    (PCX) |*.PCX|Portable Graphics    (PNG) |*.PNG"
        "|Scrolling Message    (SCM) |*.SCM|Tagged Image    (TIF) |*.TIF"
        "|Kodak Photo CD    (PCD) |*.PCD|Windows Metafile    (WMF) |*.WMF"
        "|Enhanced Metafile    (EMF) |*.EMF|Targe Image    (TGA) |*.TGA");
    for (int i = 0; i < 5; ++i)
        if (IsMciExtension(QLatin1String(kMedia[i])))
            text += QLatin1String(kPairs[i]);
    return text;
}

int DeviceColorDepth(int deviceBitsPerPixel) {
    if (deviceBitsPerPixel <= 4)
        return 4;
    return deviceBitsPerPixel < 16 ? 8 : 24;
}

int SaveBitDepth(const QString &extension, TSaveResolution r, int deviceDepth) {
    const QString ext = extension.toLower();
    if (ext == QLatin1String("jpg"))
        return r == sJpegGray || r == sMonoChrome ? 1 : 24;
    if (ext == QLatin1String("tga"))
        return std::max(8, r == sColorTrue ? 24 : r == sAutoMatic ? deviceDepth : 8);
    if (ext == QLatin1String("dic"))
        return std::max(8, r == sAutoMatic ? deviceDepth : 8);
    if (ext == QLatin1String("gif")) {
        switch (r) {
        case sColorVga:
            return 0;
        case sMonoChrome:
            return 1;
        case sColor16:
            return 4;
        case sAutoMatic:
            return std::min(8, deviceDepth);
        default:
            return 8;
        }
    }
    switch (r) {
    case sColorVga:
        return 0;
    case sMonoChrome:
        return 1;
    case sColor16:
        return 4;
    case sColor256:
        return 8;
    case sColorTrue:
        return 24;
    case sJpegGray:
        return 8;
    case sAutoMatic:
        return deviceDepth;
    }
    return 0;
}

int ReadBitDepth(TLoadResolution r, int deviceDepth) {
    switch (r) {
    case lColorVga:
        return 0;
    case lMonoChrome:
        return 1;
    case lColor16:
        return 4;
    case lColor256:
        return 8;
    case lColorTrue:
        return 24;
    case lAutoMatic:
        return deviceDepth;
    }
    return 0;
}

std::uint16_t TiffCompressionCode(TTiffCompression c) {
    switch (c) {
    case sNONE:
        return 1;
    case sCCITT:
        return 2;
    case sFAXCCITT3:
        return 3;
    case sFAXCCITT4:
        return 4;
    case sLZW:
        return 5;
    case sPACKBITS:
        return 32773;
    }
    return 1;
}

QString TiffCompressionName(std::int16_t code) {
    // The code arrives as a signed 16-bit value: 32773 is -32763.
    switch (static_cast<std::uint16_t>(code)) {
    case 1:
        return QStringLiteral("NONE");
    case 2:
        return QStringLiteral("CCITT3");
    case 3:
        return QStringLiteral("FAXCCITT3");
    case 4:
        return QStringLiteral("FAXCCITT4");
    case 5:
        return QStringLiteral("LZW");
    case 32773:
        return QStringLiteral("PACKBITS");
    default:
        return QStringLiteral("UNKNOWN");
    }
}

QString TiffTagName(std::uint16_t tag, bool *readOnly) {
    struct Name {
        std::uint16_t tag;
        const char *name;
        bool readOnly;
    };
    static const Name kNames[] = {
        {254, "NEWSUBFILETYPE", true},
        {255, "FILETYPE", false},
        {256, "IMAGEWIDTH", true},
        {257, "IMAGELENGTH", true},
        {258, "BITSPERSAMPLE", true},
        {259, "COMPRESSION", true},
        {262, "PHOTOMETRICINTERPRETATION", true},
        {263, "THRESHHOLDING", false},
        {264, "CELLWIDTH", false},
        {265, "CELLLENGTH", false},
        {266, "FILLORDER", true},
        {269, "DOCUMENTNAME", false},
        {270, "IMAGEDESCRIPTION", false},
        {271, "MAKE", false},
        {272, "MODEL", false},
        {273, "STRIPOFFSETS", true},
        {274, "ORIENTATION", false},
        {277, "SAMPLESPERPIXEL", true},
        {278, "ROWSPERSTRIP", true},
        {279, "STRIPBYTECOUNTS", true},
        {280, "MINIMUMVALUE", false},
        {281, "MAXIMUMVALUE", false},
        {282, "XRESOLUTION", false},
        {283, "YRESOLUTION", false},
        {284, "PLANARCONFIG", false},
        {285, "PAGENAME", true},
        {286, "XPOSITION", false},
        {287, "YPOSITION", false},
        {288, "FREEOFFSETS", true},
        {289, "FREEBYTECOUNTS", true},
        {290, "GRAYRESPONSEUNITS", false},
        {291, "GRAYSCALERRESPONSE", false},
        {292, "GROUP3OPTIONS", true},
        {293, "GROUP4OPTIONS", true},
        {296, "RESOLUTIONUNIT", false},
        {297, "PAGENUMBER", false},
        {300, "COLORRESPONSEUNIT", false},
        {301, "COLORRESPONSECURVES", false},
        {305, "SOFTWARE", false},
        {306, "DATETIME", false},
        {315, "ARTIST", false},
        {316, "HOSTCOMPUTER", false},
        {317, "PREDICTOR", false},
        {320, "COLORMAP", true},
        {322, "TILEWIDTH", true},
        {323, "TILELENGTH", true},
        {324, "TILEOFFSETS", true},
        {325, "TILEBYTECOUNTS", true},
        {327, "CLEANFAXDATA", true},
        {33432, "COPYRIGHT", false},
    };
    for (const Name &n : kNames)
        if (n.tag == tag) {
            if (readOnly)
                *readOnly = n.readOnly;
            return QLatin1String(n.name);
        }
    if (readOnly)
        *readOnly = false;
    return QStringLiteral("Unknown");
}

QString FileNameWithoutExt(const QString &path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    QString name = path.mid(cut + 1).left(64);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}

void FreeDib(DibBlock &dib) {
    dib = DibBlock();
}

bool DibToBitmap(const DibBlock *dib, int bits, int dither, TProgressTarget *control, QImage &bitmap) {
    if (!dib || dib->isNull())
        return false;
    const DibBlock *source = dib;
    DibBlock converted;
    if (bits != 0 && bits != dib->bitCount()) {
        // The reduction makes a new DIB and leaves the caller's alone.
        converted = bits > dib->bitCount()
                        ? orva::imageio::convertDib(*dib, bits)
                        : orva::imageio::reduceDib(*dib, bits, dither, progressFor(control));
        if (!converted) {
            fail(orva::imageio::ErrArgument);
            return false;
        }
        source = &converted;
    }
    QImage image = orva::imageio::dibToQImage(*source);
    if (image.isNull()) {
        fail(orva::imageio::ErrNoMemory);
        return false;
    }
    bitmap = image;
    return true;
}

bool DibHandleToBitmap(const std::uint8_t *block, std::size_t size, QImage &bitmap) {
    QString why;
    DibBlock dib = DibBlock::fromPacked(block, size, &why);
    if (!dib) {
        fail(orva::imageio::ErrCorrupt);
        return false;
    }
    return DibToBitmap(&dib, 0, 0, nullptr, bitmap);
}

DibBlock GraphicToDib(const QImage *graphic, QString *error) {
    if (!graphic || graphic->isNull()) {
        failWith(error, ErrorInvalidText::InputImageEmpty());
        return {};
    }
    DibBlock dib = orva::imageio::qimageToDib(*graphic);
    if (!dib)
        failWith(error, ErrorInvalidText::CantAllocateMemory());
    return dib;
}

DibBlock GraphicToDibDepth(const QImage &graphic, int bits, int dither, TProgressTarget *control,
                           QString *error) {
    DibBlock dib = GraphicToDib(&graphic, error);
    if (!dib || bits == 0 || bits == dib.bitCount())
        return dib;
    return bits > dib.bitCount() ? orva::imageio::convertDib(dib, bits)
                                 : orva::imageio::reduceDib(dib, bits, dither, progressFor(control));
}

bool LoadResourceBitmap(const QString &name, QImage &bitmap) {
    QImage image(QStringLiteral(":/") + name);
    if (image.isNull())
        return false;
    if (image.format() == QImage::Format_Indexed8) {
        QVector<QRgb> table = image.colorTable();
        for (QRgb &c : table)
            c |= 0xFF000000u;
        image.setColorTable(table);
    }
    bitmap = image;
    return true;
}

QString AnnotationIniPath() {
    return SettingsFolder::File(QStringLiteral("vis_anno.ini"),
                                {QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)});
}

TStretchMode SetBlitStretchMode(int bits, TBlitMode mode) {
    if (bits != 1)
        return ColorOnColor;
    switch (mode) {
    case sDark:
        return BlackOnWhite;
    case sLightest:
        return WhiteOnBlack;
    case sLight:
        break;
    }
    return ColorOnColor;
}

QString AnnotationFileName(const QString &annoFileName, const QString &pictureName) {
    if (!annoFileName.isEmpty())
        return annoFileName;
    if (pictureName.isEmpty())
        return {};
    return pictureName + QStringLiteral(".ant");
}

QString OlderAnnotationFileName(const QString &annoFileName, const QString &pictureName) {
    if (!annoFileName.isEmpty() || pictureName.isEmpty())
        return {};
    const qsizetype cut =
        std::max(pictureName.lastIndexOf(QLatin1Char('/')), pictureName.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = pictureName.lastIndexOf(QLatin1Char('.'));
    const QString older = (dot > cut + 1 ? pictureName.left(dot) : pictureName) + QStringLiteral(".ant");
    return older == AnnotationFileName(annoFileName, pictureName) ? QString() : older;
}

QString AnnotationFileToRead(const QString &annoFileName, const QString &pictureName) {
    const QString own = AnnotationFileName(annoFileName, pictureName);
    const QString older = OlderAnnotationFileName(annoFileName, pictureName);
    if (!older.isEmpty() && !FileWait::Exists(mapped(own)) && FileWait::Exists(mapped(older)))
        return older;
    return own;
}

QString AnnotationFileToWrite(const QString &annoFileName, const QString &pictureName) {
    const QString own = AnnotationFileName(annoFileName, pictureName);
    const QString older = OlderAnnotationFileName(annoFileName, pictureName);
    if (older.isEmpty())
        return own;
    const bool adopted = guarded("AdoptAnnotation", QString(), false, [&] {
        return orva::imageio::anno::AdoptAnnotationFile(mapped(older), mapped(own));
    });
    return adopted ? own : older;
}

int AnnoMouseMessage(QEvent::Type type, Qt::MouseButton button) {
    namespace a = orva::imageio::anno;
    switch (type) {
    case QEvent::MouseMove:
        return a::kMouseMove;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return button == Qt::RightButton ? a::kRightDown : a::kLeftDown;
    case QEvent::MouseButtonRelease:
        return button == Qt::RightButton ? a::kRightUp : a::kLeftUp;
    default:
        return 0;
    }
}

orva::imageio::anno::Callbacks
AnnotationCallbacks(const TAnnotationEvents *events, std::function<void(QObject *)> afterDone,
                    std::function<void(QObject *, bool, std::int32_t)> afterClick,
                    std::function<QString(QObject *, const QString &)> askText) {
    orva::imageio::anno::Callbacks cb;
    auto control = [](void *data) { return static_cast<QObject *>(data); };
    cb.customDraw = [=](void *data, QPainter &p, const QString &name, int x, int y, int xx, int yy) {
        if (!data || !events->OnCustomAnnotationDraw)
            return 0;
        events->OnCustomAnnotationDraw(control(data), p, name, x, y, xx, yy);
        return 1;
    };
    cb.hardDraw = [=](void *data, QImage *bitmap, const QString &name, int x, int y, int xx, int yy) {
        if (!data || !events->OnCustomAnnotationHardDraw)
            return 0;
        events->OnCustomAnnotationHardDraw(control(data), bitmap, name, x, y, xx, yy);
        return 1;
    };
    cb.beforeDraw = [=](void *data, std::int32_t pass, std::int16_t &flag, const QString &name) {
        if (!data)
            return 0;
        if (events->OnBeforeAnnotationDraw) {
            bool canDraw = flag == 1;
            events->OnBeforeAnnotationDraw(control(data), pass, canDraw, name);
            flag = canDraw ? 1 : 0;
        }
        return 1;
    };
    cb.afterDraw = [=](void *data, const QString &name) {
        if (!data)
            return 0;
        if (events->OnAfterAnnotationDraw)
            events->OnAfterAnnotationDraw(control(data), name);
        return 1;
    };
    cb.done = [=](void *data) {
        if (!data)
            return 0;
        if (events->OnAnnoDone)
            events->OnAnnoDone(control(data));
        if (afterDone)
            afterDone(control(data));
        return 1;
    };
    cb.click = [=](void *data, bool selecting, std::int32_t object) {
        if (!data)
            return;
        if (events->OnAnnoClick)
            events->OnAnnoClick(control(data), object, selecting);
        if (afterClick)
            afterClick(control(data), selecting, object);
    };
    cb.askText = [=](void *data, const QString &current) {
        return data && askText ? askText(control(data), current) : QString();
    };
    return cb;
}

void AnnoInit(const void *window, void *control) {
    orva::imageio::anno::InitAnnotation(window, control, AnnotationIniPath());
}
void AnnoInit(const void *window, void *control, const orva::imageio::anno::Callbacks &callbacks) {
    orva::imageio::anno::InitAnnotation(window, control, AnnotationIniPath(), callbacks);
}
void AnnoDestroy(const void *window) {
    orva::imageio::anno::DestroyAnnotation(window);
}
void AnnoDraw(const void *window, int originX, int originY, int offsetX, int offsetY, int scrollBarWidth,
              double zoom) {
    orva::imageio::anno::DrawAnnotation(window, originX, originY, offsetX, offsetY, scrollBarWidth, zoom);
}
void AnnoDraw(const void *window, QPainter &painter, int originX, int originY, int offsetX, int offsetY,
              int scrollBarWidth, double zoom) {
    orva::imageio::anno::DrawAnnotation(window, painter, originX, originY, offsetX, offsetY, scrollBarWidth,
                                        zoom);
}
void AnnoDrawWhole(const void *window, QPainter &painter, int originX, int originY, double zoom) {
    orva::imageio::anno::DrawAnnotationWholeDC(window, painter, originX, originY, zoom);
}
void AnnoMouseMon(const void *window, int message, const QPoint &point) {
    orva::imageio::anno::MouseMon(window, message, 0, orva::imageio::anno::PackPoint(point.x(), point.y()));
}
void AnnoMenuMsg(const void *window, int command) {
    orva::imageio::anno::MenuMsg(window, command);
}
QList<orva::imageio::anno::MenuItem> AnnoMenuItems(const void *window) {
    return orva::imageio::anno::AnnotationMenu(window);
}
void AnnoRubberBandOff(const void *window) {
    orva::imageio::anno::RubberBandOFF(window);
}
void AnnoClear(const void *window) {
    orva::imageio::anno::ClearAnnotation(window);
}
bool AnnoLoad(const void *window, int page, const QString &file) {
    return guarded("LoadAnnotation", QString(), false,
                   [&] { return orva::imageio::anno::LoadAnnotation(window, page, mapped(file)); });
}
bool AnnoSave(const void *window, int page, const QString &file) {
    return guarded("SaveAnnotation", QString(), false,
                   [&] { return orva::imageio::anno::SaveAnnotation(window, page, mapped(file)); });
}
QByteArray AnnoStreamSave(const void *window, int page) {
    return orva::imageio::anno::StreamSaveAnnotation(window, page);
}
bool AnnoStreamLoad(const void *window, int page, const QByteArray &text) {
    return guarded("StreamLoadAnnotation", QString(), false,
                   [&] { return orva::imageio::anno::StreamLoadAnnotation(window, page, text); });
}
bool AnnoRemovePage(const void *window, int page, const QString &file) {
    return guarded("RemoveAnnotation", QString(), false,
                   [&] { return orva::imageio::anno::RemoveAnnotation(window, page, mapped(file)); });
}
bool AnnoInsertPage(const void *window, int page, const QString &file) {
    return guarded("InsertAnnotation", QString(), false,
                   [&] { return orva::imageio::anno::InsertAnnotation(window, page, mapped(file)); });
}
bool AnnoLeave(const void *window, bool autoSave, int page, const QString &file) {
    const bool ok = !autoSave || file.isEmpty() || AnnoSave(window, page, file);
    AnnoClear(window);
    return ok;
}
bool AnnoEnter(const void *window, bool autoLoad, int page, const QString &file) {
    // An annotation file on a share that does not answer is left for now, as a missing one is.
    if (!autoLoad || file.isEmpty())
        return true;
    if (!lib::ReadAhead::find(mapped(file)) && !FileWait::Exists(mapped(file)))
        return true;
    return AnnoLoad(window, page, file);
}
bool AnnoIsAnnotation(const void *window) {
    return orva::imageio::anno::IsAnnotation(window);
}
int AnnotationCount(const void *window) {
    return orva::imageio::anno::AnnotationCount(window);
}

namespace {

// A message text file is a few lines; anything much larger is not one.
constexpr qint64 kMaxMessageFileBytes = 1 << 20;

enum class MessageRead { Read, Missing, CannotOpen, TooLarge };

MessageRead readMessageBytes(const QString &local, QByteArray &text) {
    QFile f(local);
    if (!f.exists())
        return MessageRead::Missing;
    if (!f.open(QIODevice::ReadOnly))
        return MessageRead::CannotOpen;
    if (f.size() > kMaxMessageFileBytes)
        return MessageRead::TooLarge;
    text = f.read(kMaxMessageFileBytes);
    return MessageRead::Read;
}

// The text may sit on a share: it is read in a worker (unless the picture's load has read it
// already), and one that does not answer is taken as missing. False for a missing file, and with
// the reason in `error` for one that cannot be read.
bool readMessageFile(const QString &file, QByteArray &text, QString *error) {
    const QString local = mapped(file);
    MessageRead how = MessageRead::Missing;
    if (const orva::imageio::Bytes *ahead = orva::imageio::lib::ReadAhead::find(local)) {
        how = qint64(ahead->size()) > kMaxMessageFileBytes ? MessageRead::TooLarge : MessageRead::Read;
        if (how == MessageRead::Read)
            text = QByteArray(reinterpret_cast<const char *>(ahead->data()), qsizetype(ahead->size()));
    } else {
        struct Answer {
            MessageRead how = MessageRead::Missing;
            QByteArray text;
        };
        const std::optional<Answer> answer = FileWait::Watched(local, [local] {
            Answer a;
            a.how = readMessageBytes(local, a.text);
            return a;
        });
        if (!answer)
            return false;
        how = answer->how;
        text = answer->text;
    }
    switch (how) {
    case MessageRead::Missing:
        return false;
    case MessageRead::CannotOpen:
        return failWith(error, orva::imageio::errorText(orva::imageio::ErrOpen));
    case MessageRead::TooLarge:
        return failWith(error, orva::imageio::errorText(orva::imageio::ErrTooLarge));
    case MessageRead::Read:
        break;
    }
    return true;
}

} // namespace

template <typename Parse> bool readMessage(const QString &file, QString *error, Parse &&parse) {
    QByteArray text;
    return readMessageFile(file, text, error) && parse(text);
}

bool ReadScrollingMessageFile(const QString &file, TMessageFont &font, int &speed, QString &message,
                              std::uint32_t &backColor, QString *error) {
    return readMessage(file, error, [&](const QByteArray &text) {
        return ParseScrollingMessage(text, font, speed, message, backColor, error);
    });
}

bool ReadCreditMessageFile(const QString &file, TMessageFont &font, int &speed, QStringList &lines,
                           std::uint32_t &backColor, QString *error) {
    lines.clear();
    return readMessage(file, error, [&](const QByteArray &text) {
        return ParseCreditMessage(text, font, speed, lines, backColor, error);
    });
}

void SetScanSourceChooser(TScanSourceChooser chooser) {
    state().chooser = std::move(chooser);
}
void SetScanDirectory(const QString &directory) {
    state().scanDirectory = directory;
}
QString ScanDirectory() {
    return state().scanDirectory;
}
QString ScanSource() {
    return state().scanSource;
}
bool TwainBusy() {
    return state().twainBusy;
}

namespace {

// Set for the whole of a scanning call, also when it fails; a call while set is refused.
class BusyScope {
public:
    BusyScope() : m_entered(!state().twainBusy) {
        if (m_entered)
            state().twainBusy = true;
        else
            fail(orva::imageio::ErrBusy);
    }
    ~BusyScope() {
        if (m_entered)
            state().twainBusy = false;
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
    bool entered() const { return m_entered; }

private:
    bool m_entered;
};

std::int16_t applyBits(DibBlock &dib, int bits, int dither) {
    return orva::imageio::applyWantedBits(dib, bits, dither != 0) ? orva::imageio::kOk
                                                                  : orva::imageio::ErrArgument;
}

int pixelTypeFor(int bits) {
    switch (bits) {
    case 1:
        return 1;
    case 4:
        return 3;
    case 8:
        return 2;
    case 24:
        return 4;
    default:
        return 0;
    }
}

} // namespace

bool SelectTwainSource(QObject *) {
    BusyScope busy;
    if (!busy.entered())
        return false;
    return guarded("selectsource", QString(), true, [&] {
        const QStringList devices = orva::imageio::scanDevices();
        if (devices.isEmpty())
            return orva::imageio::ErrNoScanner;
        const QString chosen = state().chooser ? state().chooser(devices) : devices.first();
        if (chosen.isEmpty())
            return orva::imageio::ErrStopped;
        state().scanSource = chosen;
        return std::int16_t{0};
    });
}

bool AcquireDibImage(int bits, int dither, DibBlock &out, TProgressTarget *control) {
    BusyScope busy;
    if (!busy.entered())
        return false;
    DibBlock page;
    const bool ok = guarded("aquiredibimage", QStringLiteral("Aquiring Image "), true, [&] {
        orva::imageio::ScanSettings settings;
        settings.pixelType = pixelTypeFor(bits);
        const std::int16_t code = orva::imageio::scanPages(
            state().scanSource, settings,
            [&](DibBlock &&p) {
                page = std::move(p);
                return true;
            },
            progressFor(control));
        return code == orva::imageio::kOk ? applyBits(page, bits, dither) : code;
    });
    if (ok)
        out = std::move(page);
    return ok;
}

bool TwainMultiPage(const orva::imageio::ScanSettings &settings, int bits, const TScanPageCallback &perPage,
                    QImage *bitmap, TProgressTarget *control) {
    BusyScope busy;
    if (!busy.entered())
        return false;
    DibBlock single;
    return guarded("twain_nu_dib", QStringLiteral("Aquiring Image "), true, [&] {
        std::int16_t pageCode = orva::imageio::kOk;
        // Without a page callback only one page is taken, into the caller's bitmap.
        orva::imageio::ScanSettings wanted = settings;
        if (!perPage)
            wanted.pages = 1;
        const std::int16_t code = orva::imageio::scanPages(
            state().scanSource, wanted,
            [&](DibBlock &&p) {
                pageCode = applyBits(p, bits, 1);
                if (pageCode != orva::imageio::kOk)
                    return false;
                if (perPage)
                    return perPage(std::move(p));
                single = std::move(p);
                return true;
            },
            progressFor(control));
        if (pageCode != orva::imageio::kOk)
            return pageCode;
        if (code != orva::imageio::kOk || perPage)
            return code == orva::imageio::kOk ? std::int16_t{0} : code;
        QImage image;
        if (single.isNull() || !bitmap || !DibToBitmap(&single, 0, 0, control, image))
            return orva::imageio::ErrArgument;
        *bitmap = image;
        FreeDib(single);
        return std::int16_t{0};
    });
}

} // namespace orva::imaging
