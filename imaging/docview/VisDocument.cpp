// The document the viewer shows, apart from showing it.
#include "imaging/docview/VisDocument.h"

#include "common/FileWait.h"
#include "common/LocalPath.h"
#include "imaging/core/DllSP96.h"
#include "imaging/core/ErrorInvalid.h"
#include "imaging/docview/DocViewGeometry.h"
#include "platform/imageio/ImageIoLibrary.h"

#include <QFile>

#include <optional>

namespace orva::imaging {

using namespace DocViewGeometry;

namespace {

namespace lib = orva::imageio::lib;

// The bytes of the document read ahead on this thread, or null.
const orva::imageio::Bytes *readAhead(const QString &name) {
    return lib::ReadAhead::find(LocalPath::toLocalPath(name));
}

} // namespace

bool VisDocument::FileExists(const QString &name) {
    if (readAhead(name))
        return true;
    return FileWait::IsFile(LocalPath::toLocalPath(name));
}

bool InvertDib(DibBlock &dib, QString *error) {
    if (dib.bitCount() == 1) {
        InvertBits(dib.bits(), dib.imageBytes());
        return true;
    }
    return SpVisInvert(dib) || failWith(error, ErrorInvalidText::InputImageEmpty());
}

// ---- the source -----------------------------------------------------------------------------------

void VisDocument::SetFile(const QString &file) {
    m_fileName = file;
    m_fromStream = false;
    m_stream.clear();
}

void VisDocument::SetStream(const QByteArray &stream) {
    m_stream.assign(reinterpret_cast<const std::uint8_t *>(stream.constData()),
                    reinterpret_cast<const std::uint8_t *>(stream.constData()) + stream.size());
    m_fromStream = true;
    m_fileName = QStringLiteral("STREAM");
}

void VisDocument::SetScannedFile(const QString &file) {
    m_fileName = file;
    m_fromStream = false;
}

TTiffSource VisDocument::Source() {
    return m_fromStream ? TTiffSource::OfStream(m_stream) : TTiffSource::OfFile(m_fileName);
}

VisDocument::SourceMark VisDocument::SetWriteTarget(const QString &file) {
    SourceMark previous{m_fileName, m_stream, m_fromStream};
    if (file.compare(QLatin1String("STREAM"), Qt::CaseInsensitive) == 0) {
        m_fromStream = true;
        m_fileName = QStringLiteral("STREAM");
    } else {
        SetFile(file);
    }
    return previous;
}

void VisDocument::RestoreSource(const SourceMark &mark) {
    m_fileName = mark.FileName;
    m_fromStream = mark.FromStream;
    m_stream = mark.Stream;
}

bool VisDocument::RequireImage(QString *error) const {
    return HasImage() || failWith(error, ErrorInvalidText::InputImageEmpty());
}

bool VisDocument::RequireFile(QString *error) const {
    return FileExists(m_fileName) || failWith(error, ErrorInvalidText::InputFilenameNotValid());
}

bool VisDocument::RequireSource(QString *error) const {
    if (m_fromStream ? m_stream.empty() : !FileExists(m_fileName)) {
        return failWith(error, m_fromStream ? ErrorInvalidText::StreamNilOrEmpty()
                                            : ErrorInvalidText::InputFilenameNotValid());
    }
    return true;
}

// ---- pages ----------------------------------------------------------------------------------------

void VisDocument::SetTiffPage(int page) {
    m_previousTiffPage = m_tiffPage;
    m_tiffPage = page;
}

bool VisDocument::ReadPage(int page, int bits, DibBlock &dib, TProgressTarget *progress) {
    return m_fromStream ? ReadTIFFileDibStream(m_stream, bits, 0, page, dib, progress)
                        : ReadTIFFileDib(m_fileName, bits, 0, page, dib, progress);
}

// ---- information and tags -------------------------------------------------------------------------

bool VisDocument::ReadInfo(QString *error) {
    TTiffInfo info;
    qint64 size = 0;
    if (m_fromStream) {
        if (m_stream.empty()) {
            return failWith(error, ErrorInvalidText::StreamNilOrEmpty());
        }
        if (!DllGetInfoStream(m_stream, m_tiffPage, info)) {
            return failWith(error, ErrorInvalidText::NoFileInfo());
        }
        size = static_cast<qint64>(m_stream.size());
    } else {
        if (!RequireFile(error)) {
            return false;
        }
        if (const orva::imageio::Bytes *bytes = readAhead(m_fileName)) {
            size = static_cast<qint64>(bytes->size());
        } else {
            QFile f(LocalPath::toLocalPath(m_fileName));
            if (!f.open(QIODevice::ReadOnly)) {
                return failWith(error, ErrorInvalidText::NoFileSize());
            }
            size = f.size();
        }
        if (!DllGetInfo(m_fileName, m_tiffPage, info)) {
            return failWith(error, ErrorInvalidText::NoFileInfo());
        }
    }
    m_tiffPageCount = info.pages;
    m_info = TVisInfo();
    m_info.FileName = m_fromStream ? QString() : m_fileName;
    m_info.FromFile = !m_fromStream;
    m_info.Page = m_tiffPage;
    m_info.PageCount = info.pages;
    m_info.FileSize = size;
    m_info.FileType = QStringLiteral("TIFF");
    m_info.Attributes = info;
    return true;
}

void VisDocument::SetPictureInfo(const QString &file, const orva::imageio::lib::FileInfo &info) {
    m_info = TVisInfo();
    m_info.FileName = file;
    m_info.PageCount = 1;
    m_info.FileSize = info.size;
    m_info.FileType = info.type;
    m_info.Attributes.pages = 1;
    m_info.Attributes.width = info.width;
    m_info.Attributes.height = info.height;
    m_info.Attributes.bitsPerPixel = info.bitsPerPixel;
    m_info.Attributes.compression = info.compressionName;
}

bool VisDocument::ReadTags(QObject *sender, const TVisMesTag &onTag, QString *error) {
    return ReadTagRecords(Source(), m_tiffPage, m_tags, sender, onTag, error);
}

// ---- the picture ----------------------------------------------------------------------------------

void VisDocument::TakePage(DibBlock page) {
    m_image.SetDib(std::move(page));
    if (m_autoCorrectDib && m_image.BitCount() == 1) {
        TTagRead photometric;
        const bool read = m_fromStream ? ReadTagStream(m_stream, m_tiffPage, 262, photometric)
                                       : ReadTag(m_fileName, m_tiffPage, 262, photometric);
        if (read && photometric.value != 0) {
            InvertBits(m_image.Bits(), m_image.Dib()->imageBytes());
        }
    }
}

void VisDocument::SetPicture(DibBlock picture, bool keepCompression) {
    m_pictureBits = 0;
    if (!keepCompression) {
        m_pictureCompression = 0;
    }
    m_image.SetDib(std::move(picture));
}

void VisDocument::DropPicture() {
    SetPicture(DibBlock());
}

void VisDocument::KeepPageForm() {
    // The picture's own form is the page's, whatever depth it was read at for the screen.
    m_pictureBits = TiffStoredBits(m_info.Attributes.bitsPerPixel);
    m_pictureCompression = m_info.Attributes.compressionCode;
}

int VisDocument::PictureBits() const {
    return m_pictureBits > 0 ? m_pictureBits : TiffStoredBits(m_image.BitCount());
}

TTiffCode VisDocument::PictureCompression(int bits, TTiffCompression chosen) const {
    std::uint16_t code = m_pictureCompression;
    if (code == 6) {
        code = orva::imageio::TiffJpeg; // old-style JPEG is written new-style
    } else if (code == 32946) {
        code = orva::imageio::TiffDeflate;
    }
    if (code != 0 && orva::imageio::tiffCompressionValid(code, bits)) {
        return TTiffCode(code);
    }
    const std::uint16_t fallback = TiffCompressionCode(chosen);
    return TTiffCode(orva::imageio::tiffCompressionValid(fallback, bits)
                         ? fallback
                         : std::uint16_t{orva::imageio::TiffLzw});
}

DibBlock VisDocument::GetScaledDib(double percent, TScaleToGray mode, QString *error) const {
    if (!RequireImage(error)) {
        return {};
    }
    const DibBlock &dib = *m_image.Dib();
    const QSize size = DisplaySize(QSize(dib.width(), dib.height()), percent);
    DibBlock out;
    if (dib.bitCount() <= 2 && mode != S_Gray_None) {
        out = SpScaleToGray(dib, mode, size.width(), size.height());
    } else if (size == QSize(dib.width(), dib.height())) {
        out = dib.copy();
    } else if (dib.bitCount() == 1) {
        out = SpScaleToGray(dib, S_Gray_None, size.width(), size.height());
    } else {
        out = SpScaleDib(dib, size.width(), size.height(), dib.bitCount());
    }
    if (out) {
        // The resolution follows the scale, so the page keeps its size on paper.
        out.setResolution(static_cast<std::int32_t>(static_cast<std::int64_t>(dib.xPelsPerMeter()) *
                                                    out.width() / dib.width()),
                          static_cast<std::int32_t>(static_cast<std::int64_t>(dib.yPelsPerMeter()) *
                                                    out.height() / dib.height()));
    }
    return out;
}

bool VisDocument::SquarePixels(bool force, void *progressData) {
    const int x = XResolution();
    const int y = YResolution();
    const std::optional<QSize> square =
        AspectCorrectedSize(QSize(m_image.Width(), m_image.Height()), x, y, force);
    if (!square) {
        return false;
    }
    const DibBlock &dib = *m_image.Dib();
    DibBlock resampled =
        dib.bitCount() == 1
            ? SpScaleToGray(dib, S_Gray_None, square->width(), square->height(), progressData, SpProgress)
            : SpScaleDib(dib, square->width(), square->height(), dib.bitCount(), progressData, SpProgress);
    if (!resampled) {
        return false;
    }
    // The pixels are square now: both axes carry the finer resolution, so a later correction does
    // not stretch the page a second time.
    const std::int32_t ppm = DpiToPpm(std::max(x, y));
    resampled.setResolution(ppm, ppm);
    m_image.SetDib(std::move(resampled));
    return true;
}

bool VisDocument::InvertPicture(QString *error) {
    return RequireImage(error) && InvertDib(*m_image.Dib(), error);
}

// ---- resolution -----------------------------------------------------------------------------------

int VisDocument::XResolution() const {
    return HasImage() ? PpmToDpi(m_image.Dib()->xPelsPerMeter()) : m_xResolution;
}

int VisDocument::YResolution() const {
    return HasImage() ? PpmToDpi(m_image.Dib()->yPelsPerMeter()) : m_yResolution;
}

void VisDocument::SetXResolution(int dpi) {
    m_xResolution = dpi;
    if (HasImage()) {
        DibBlock &dib = *m_image.Dib();
        dib.setResolution(DpiToPpm(dpi), dib.yPelsPerMeter());
    }
}

void VisDocument::SetYResolution(int dpi) {
    m_yResolution = dpi;
    if (HasImage()) {
        DibBlock &dib = *m_image.Dib();
        dib.setResolution(dib.xPelsPerMeter(), DpiToPpm(dpi));
    }
}

} // namespace orva::imaging
