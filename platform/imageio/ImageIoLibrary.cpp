// The operations of our image-I/O library over the codecs, with whole-file reads and atomic writes.
#include "platform/imageio/ImageIoLibrary.h"

#include "platform/files/SharedFile.h"
#include "platform/imageio/Codecs.h"
#include "platform/imageio/DibReduce.h"
#include "platform/imageio/EpsDxf.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace orva::imageio::lib {

namespace {

constexpr qint64 kMaxFileBytes = 1ll << 30;

// The bits per pixel a palette or gray PNG stores (its header's bit depth); 0 for other PNGs. Such
// files of 2 bits decode to 8-bit bitmaps, but callers choose how deep to read from the file's own
// depth (a 2-bit file is read as 1 bit).
int pngStoredBits(const Bytes &data) {
    // Signature (8), IHDR length and type (8), width and height (8), then bit depth and colour type.
    if (data.size() < 26)
        return 0;
    const int depth = data[24];
    const int colourType = data[25];
    return colourType == 0 || colourType == 3 ? depth : 0;
}

using Decoder = std::int16_t (*)(const std::uint8_t *, std::size_t, DibBlock &);

std::int16_t finish(std::int16_t code, DibBlock &decoded, int bits, int dither, DibBlock &out,
                    const Progress &progress) {
    if (code != kOk)
        return code;
    if (bits != 0 && bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return ErrArgument;
    if (!applyWantedBits(decoded, bits, dither != 0))
        return ErrNoMemory;
    if (!progress.step(100))
        return ErrStopped;
    out = std::move(decoded);
    return kOk;
}

std::int16_t readWith(Decoder decoder, const QString &file, int bits, int dither, DibBlock &out,
                      const Progress &progress) {
    Bytes data;
    std::int16_t code = readWholeFile(file, data);
    if (code != kOk)
        return code;
    if (!progress.step(0))
        return ErrStopped;
    DibBlock decoded;
    code = decoder(data.data(), data.size(), decoded);
    return finish(code, decoded, bits, dither, out, progress);
}

// What a file was when it was read, to see whether another workstation wrote it meanwhile.
struct Stamp {
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    static Stamp of(const QString &file) {
        const QFileInfo info(file);
        return info.exists() ? Stamp{true, info.size(), info.lastModified()} : Stamp{};
    }
    bool operator==(const Stamp &o) const {
        return exists == o.exists && size == o.size && modified == o.modified;
    }
};

// Reads the file (a missing one as empty when allowed), changes it and writes it back in place;
// refused when the file changed on disk between the read and the write.
std::int16_t rewrite(const QString &file, bool mayBeMissing,
                     const std::function<std::int16_t(Bytes &)> &change, const Progress &progress = {}) {
    const Stamp before = Stamp::of(file);
    Bytes data;
    if (before.exists || !mayBeMissing) {
        const std::int16_t code = readWholeFile(file, data);
        if (code != kOk)
            return code;
    }
    const std::int16_t code = change(data);
    if (code != kOk)
        return code;
    return writeFileAtomic(file, data, progress, [&] { return Stamp::of(file) == before; });
}

} // namespace

namespace {
thread_local ReadAhead *t_readAhead = nullptr;
} // namespace

ReadAhead::ReadAhead(const QString &file, std::shared_ptr<const Bytes> data)
    : m_file(file), m_data(std::move(data)), m_outer(t_readAhead) {
    t_readAhead = this;
}

ReadAhead::~ReadAhead() {
    t_readAhead = m_outer;
}

const Bytes *ReadAhead::find(const QString &file) {
    for (const ReadAhead *r = t_readAhead; r; r = r->m_outer) {
        if (r->m_data && r->m_file == file)
            return r->m_data.get();
    }
    return nullptr;
}

std::int16_t readWholeFile(const QString &file, Bytes &out) {
    if (const Bytes *ahead = ReadAhead::find(file)) {
        out = *ahead;
        return kOk;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return ErrOpen;
    const qint64 size = f.size();
    if (size > kMaxFileBytes)
        return ErrTooLarge;
    try {
        out.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc &) {
        return ErrNoMemory;
    }
    if (size > 0 && f.read(reinterpret_cast<char *>(out.data()), size) != size)
        return ErrOpen;
    return kOk;
}

std::int16_t writeFileAtomic(const QString &file, const Bytes &data, const Progress &progress,
                             const std::function<bool()> &stillCurrent) {
    SharedFile f(file);
    if (!f.open())
        return ErrWrite;
    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t done = 0; done < data.size(); done += kChunk) {
        const std::size_t n = std::min(kChunk, data.size() - done);
        if (f.write(reinterpret_cast<const char *>(data.data() + done), static_cast<qint64>(n)) !=
            static_cast<qint64>(n))
            return ErrWrite;
        if (!progress.step(static_cast<int>(90 + 10 * (done + n) / data.size())))
            return ErrStopped;
    }
    if (stillCurrent && !stillCurrent())
        return ErrChanged;
    return f.commit() ? kOk : ErrWrite;
}

QString detectType(const Bytes &head, const QString &file) {
    const std::size_t n = head.size();
    const std::uint8_t *p = head.data();
    const QString ext = QFileInfo(file).suffix().toLower();
    if (n >= 2 && p[0] == 'B' && p[1] == 'M')
        return QStringLiteral("BMP");
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0)
        return QStringLiteral("PNG");
    if (n >= 3 && std::memcmp(p, "GIF", 3) == 0)
        return QStringLiteral("GIF");
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8)
        return QStringLiteral("JPEG");
    if (n >= 4 && (std::memcmp(p, "II*\0", 4) == 0 || std::memcmp(p, "MM\0*", 4) == 0))
        return QStringLiteral("TIFF");
    if (n >= 4 && (std::memcmp(p, "%!PS", 4) == 0 || std::memcmp(p, "\xC5\xD0\xD3\xC6", 4) == 0))
        return QStringLiteral("EPS");
    if (n >= 0x800 + 7 && std::memcmp(p + 0x800, "PCD_IPI", 7) == 0)
        return QStringLiteral("PCD");
    if (n >= 128 && p[0] == 10 && p[1] <= 5 && p[2] <= 1)
        return QStringLiteral("PCX");
    if (ext == QLatin1String("tga"))
        return QStringLiteral("TGA");
    if (ext == QLatin1String("dxf"))
        return QStringLiteral("DXF");
    return {};
}

std::int16_t rdbmpfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress) {
    return readWith(decodeBmp, file, bits, dither, out, progress);
}
std::int16_t rdpngfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress) {
    return readWith(decodePng, file, bits, dither, out, progress);
}
std::int16_t rdpcxfiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress) {
    return readWith(decodePcx, file, bits, dither, out, progress);
}
std::int16_t rdgiffiledib(const QString &file, int bits, int dither, DibBlock &out,
                          const Progress &progress) {
    return readWith(decodeGif, file, bits, dither, out, progress);
}
std::int16_t rdjpgfiledib(const QString &file, int bits, int, int dither, DibBlock &out,
                          const Progress &progress) {
    return readWith(decodeJpeg, file, bits, dither, out, progress);
}
std::int16_t readtgafiledib(const QString &file, int bits, int dither, DibBlock &out,
                            const Progress &progress) {
    return readWith(decodeTga, file, bits, dither, out, progress);
}

std::int16_t readepsfiledib(const QString &file, int bits, int dither, DibBlock &out,
                            const Progress &progress) {
    if (!progress.step(0))
        return ErrStopped;
    DibBlock decoded;
    const std::int16_t code = renderEps(file, decoded);
    return finish(code, decoded, bits, dither, out, progress);
}

std::int16_t readpcdfiledib(const QString &file, int bits, int dither, int pcdMode, DibBlock &out,
                            const Progress &progress) {
    Bytes data;
    std::int16_t code = readWholeFile(file, data);
    if (code != kOk)
        return code;
    DibBlock decoded;
    code = decodePcd(data.data(), data.size(), pcdMode, decoded);
    return finish(code, decoded, bits, dither, out, progress);
}

std::int16_t readtiffiledib(const QString &file, int bits, int dither, int page, DibBlock &out,
                            const Progress &progress) {
    Bytes data;
    const std::int16_t code = readWholeFile(file, data);
    if (code != kOk)
        return code;
    return readtiffiledibstream(data, bits, dither, page, out, progress);
}

std::int16_t readtiffiledibstream(const Bytes &block, int bits, int dither, int page, DibBlock &out,
                                  const Progress &progress) {
    DibBlock decoded;
    const std::int16_t code = decodeTiff(block.data(), block.size(), page, decoded, progress);
    return finish(code, decoded, bits, dither, out, progress);
}

std::int16_t readdxftoddb(const QString &file, int bits, int, QImage &out, const Progress &progress) {
    if (!progress.step(0))
        return ErrStopped;
    QImage image;
    const std::int16_t code = renderDxf(file, image);
    if (code != kOk)
        return code;
    if (bits == 1)
        image = image.convertToFormat(QImage::Format_Mono);
    else if (bits == 4 || bits == 8)
        image = image.convertToFormat(QImage::Format_Indexed8);
    progress.step(100);
    out = image;
    return kOk;
}

std::int16_t fileinfo(const QString &file, FileInfo &info) {
    Bytes data;
    std::int16_t code = readWholeFile(file, data);
    if (code != kOk)
        return code;
    info = FileInfo();
    info.size = static_cast<qint64>(data.size());
    info.type = detectType(data, file);
    info.compressionName = QStringLiteral("NONE");
    if (info.type == QLatin1String("TIFF")) {
        TiffPageInfo page;
        code = tiffInfo(data.data(), data.size(), 0, page);
        if (code != kOk)
            return code;
        info.width = page.width;
        info.height = page.height;
        info.bitsPerPixel = page.bitsPerPixel;
        info.xDpi = static_cast<int>(page.xDpi + 0.5);
        info.yDpi = static_cast<int>(page.yDpi + 0.5);
        switch (page.compression) {
        case 1:
            break;
        case 2:
            info.compressionName = QStringLiteral("CCITT3");
            break;
        case 3:
            info.compressionName = QStringLiteral("FAXCCITT3");
            break;
        case 4:
            info.compressionName = QStringLiteral("FAXCCITT4");
            break;
        case 5:
            info.compressionName = QStringLiteral("LZW");
            break;
        case 32773:
            info.compressionName = QStringLiteral("PACKBITS");
            break;
        default:
            info.compressionName = QStringLiteral("UNKNOWN");
        }
        return kOk;
    }
    DibBlock dib;
    if (info.type == QLatin1String("BMP"))
        code = decodeBmp(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("PNG"))
        code = decodePng(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("GIF"))
        code = decodeGif(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("JPEG"))
        code = decodeJpeg(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("PCX"))
        code = decodePcx(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("TGA"))
        code = decodeTga(data.data(), data.size(), dib);
    else if (info.type == QLatin1String("PCD"))
        code = decodePcd(data.data(), data.size(), 0, dib);
    else
        return info.type.isEmpty() ? ErrUnsupported : kOk;
    if (code != kOk)
        return code;
    info.width = dib.width();
    info.height = dib.height();
    info.bitsPerPixel = dib.bitCount();
    if (info.type == QLatin1String("PNG")) {
        const int stored = pngStoredBits(data);
        if (stored > 0 && stored < info.bitsPerPixel)
            info.bitsPerPixel = stored;
    }
    info.xDpi = static_cast<int>(dib.xPelsPerMeter() * 0.0254 + 0.5);
    info.yDpi = static_cast<int>(dib.yPelsPerMeter() * 0.0254 + 0.5);
    if (info.type == QLatin1String("JPEG"))
        info.compressionName = QStringLiteral("JPEG");
    return kOk;
}

std::int16_t getinfo(const QString &file, int page, TiffPageInfo &info) {
    Bytes data;
    const std::int16_t code = readWholeFile(file, data);
    if (code != kOk)
        return code;
    return getinfostream(data, page, info);
}

std::int16_t getinfostream(const Bytes &block, int page, TiffPageInfo &info) {
    info = TiffPageInfo();
    const std::int16_t code = tiffInfo(block.data(), block.size(), page, info);
    return code == kOk ? 0 : code;
}

std::int16_t getdxfinfo(const QString &file, DxfInfo &info) {
    return dxfExtents(file, info.minX, info.minY, info.maxX, info.maxY);
}

std::int16_t writetiffiledib(const QString &file, std::uint16_t compression, int append, const DibBlock &dib,
                             std::int16_t further, const Progress &progress) {
    if (!append) {
        // A new file (or one written over whole): nothing of the old one is read.
        Bytes data;
        const std::int16_t code = writetiffiledibstream(data, compression, 0, dib, further, progress);
        return code == kOk ? writeFileAtomic(file, data, progress) : code;
    }
    return rewrite(
        file, true,
        [&](Bytes &data) { return writetiffiledibstream(data, compression, 1, dib, further, progress); },
        progress);
}

std::int16_t writetiffiledibpage(const QString &file, std::uint16_t compression, int page,
                                 const DibBlock &dib, std::int16_t, const Progress &progress) {
    return rewrite(
        file, true, [&](Bytes &data) { return tiffInsertPage(data, page, dib, compression, progress); },
        progress);
}

std::int16_t writetiffiledibpagereplace(const QString &file, std::uint16_t compression, int page,
                                        const DibBlock &dib, std::int16_t further, const Progress &progress) {
    return rewrite(
        file, false,
        [&](Bytes &data) {
            return writetiffiledibpagereplacestream(data, compression, page, dib, further, progress);
        },
        progress);
}

std::int16_t deletepage(const QString &file, int page) {
    return rewrite(file, false, [&](Bytes &data) { return tiffDeletePage(data, page); });
}

std::int16_t packtiff(const QString &file, const Progress &progress) {
    return rewrite(
        file, false, [&](Bytes &data) { return tiffPack(data, progress); }, progress);
}

std::int16_t writetiffiledibstream(Bytes &block, std::uint16_t compression, int append, const DibBlock &dib,
                                   std::int16_t, const Progress &progress) {
    Bytes result = append ? block : Bytes();
    const std::int16_t code = tiffAppendPage(result, dib, compression, progress);
    if (code == kOk)
        block = std::move(result);
    return code;
}

std::int16_t writetiffiledibpagereplacestream(Bytes &block, std::uint16_t compression, int page,
                                              const DibBlock &dib, std::int16_t, const Progress &progress) {
    return tiffReplacePage(block, page, dib, compression, progress);
}

std::int16_t writetiffiledibpagestream(Bytes &block, std::uint16_t compression, int page, const DibBlock &dib,
                                       std::int16_t, const Progress &progress) {
    return tiffInsertPage(block, page, dib, compression, progress);
}

std::int16_t deletepagestream(Bytes &block, int page) {
    return tiffDeletePage(block, page);
}
std::int16_t packtiffstream(Bytes &block, const Progress &progress) {
    return tiffPack(block, progress);
}

std::int16_t readtag(const QString &file, int page, std::uint16_t tag, TiffTagValue &value) {
    Bytes data;
    const std::int16_t code = readWholeFile(file, data);
    return code == kOk ? readtagstream(data, page, tag, value) : code;
}

std::int16_t returntags(const QString &file, int page, const TagCallback &callback) {
    Bytes data;
    const std::int16_t code = readWholeFile(file, data);
    return code == kOk ? returntagsstream(data, page, callback) : code;
}

std::int16_t writetag(const QString &file, int page, std::uint16_t tag, std::int32_t value) {
    return rewrite(file, false, [&](Bytes &data) { return writetagstream(data, page, tag, value); });
}

std::int16_t writetagstring(const QString &file, int page, std::uint16_t tag, const QByteArray &text) {
    return rewrite(file, false, [&](Bytes &data) { return writetagstringstream(data, page, tag, text); });
}

std::int16_t readtagstream(const Bytes &block, int page, std::uint16_t tag, TiffTagValue &value) {
    if (block.size() <= 1)
        return ErrTooSmall;
    return tiffReadTag(block, page, tag, value);
}

std::int16_t returntagsstream(const Bytes &block, int page, const TagCallback &callback) {
    if (block.size() <= 1)
        return ErrTooSmall;
    std::vector<TiffTagValue> tags;
    const std::int16_t code = tiffListTags(block, page, tags);
    if (code != kOk)
        return code;
    for (const auto &t : tags)
        if (callback && !callback(t))
            break;
    return kOk;
}

std::int16_t writetagstream(Bytes &block, int page, std::uint16_t tag, std::int32_t value) {
    if (block.size() <= 1)
        return ErrTooSmall;
    return tiffWriteTag(block, page, tag, value);
}

std::int16_t writetagstringstream(Bytes &block, int page, std::uint16_t tag, const QByteArray &text) {
    if (block.size() <= 1)
        return ErrTooSmall;
    return tiffWriteTagString(block, page, tag, text);
}

std::int16_t writetags(const QString &file, int page, const std::vector<TiffTagWrite> &writes) {
    return rewrite(file, false, [&](Bytes &data) { return writetagsstream(data, page, writes); });
}

std::int16_t writetagsstream(Bytes &block, int page, const std::vector<TiffTagWrite> &writes) {
    if (block.size() <= 1)
        return ErrTooSmall;
    return tiffWriteTags(block, page, writes);
}

} // namespace orva::imageio::lib
