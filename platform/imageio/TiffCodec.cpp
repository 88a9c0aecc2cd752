// TIFF on libtiff over memory: page count and attributes, page decoding at the file's own depth,
// and encoding one DIB as a single-page TIFF with a given compression and byte order.
#include "platform/imageio/TiffCodec.h"

#include "platform/imageio/Codecs.h"
#include "platform/imageio/DibConvert.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace orva::imageio {

namespace {

struct MemFile {
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    Bytes *out = nullptr;
    std::uint64_t pos = 0;
};

tmsize_t memRead(thandle_t h, void *buf, tmsize_t n) {
    auto *f = static_cast<MemFile *>(h);
    const std::size_t len = f->out ? f->out->size() : f->size;
    const std::uint8_t *base = f->out ? f->out->data() : f->data;
    if (n < 0 || f->pos >= len)
        return 0;
    const std::size_t take = std::min<std::uint64_t>(static_cast<std::uint64_t>(n), len - f->pos);
    std::memcpy(buf, base + f->pos, take);
    f->pos += take;
    return static_cast<tmsize_t>(take);
}

tmsize_t memWrite(thandle_t h, void *buf, tmsize_t n) {
    auto *f = static_cast<MemFile *>(h);
    if (!f->out || n < 0 || f->pos + static_cast<std::uint64_t>(n) > 0xFFFFFFF0ull)
        return -1;
    const std::uint64_t end = f->pos + static_cast<std::uint64_t>(n);
    if (end > f->out->size())
        f->out->resize(end);
    std::memcpy(f->out->data() + f->pos, buf, static_cast<std::size_t>(n));
    f->pos = end;
    return n;
}

toff_t memSeek(thandle_t h, toff_t off, int whence) {
    auto *f = static_cast<MemFile *>(h);
    const std::uint64_t len = f->out ? f->out->size() : f->size;
    std::uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? len : 0;
    f->pos = base + off;
    return f->pos;
}

int memClose(thandle_t) {
    return 0;
}
toff_t memSize(thandle_t h) {
    auto *f = static_cast<MemFile *>(h);
    return f->out ? f->out->size() : f->size;
}
int memMap(thandle_t, void **, toff_t *) {
    return 0;
}
void memUnmap(thandle_t, void *, toff_t) {}
int quietHandler(TIFF *, void *, const char *, const char *, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF *t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr openMem(MemFile &file, const char *mode) {
    TIFFOpenOptions *opts = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kMaxDibBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(opts, quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, quietHandler, nullptr);
    TIFF *t = TIFFClientOpenExt("memory", mode, &file, memRead, memWrite, memSeek, memClose, memSize, memMap,
                                memUnmap, opts);
    TIFFOpenOptionsFree(opts);
    return TiffPtr(t);
}

std::int16_t openPage(MemFile &file, int page, TiffPtr &tif, int *pages) {
    if (!file.data || file.size < 8)
        return ErrTooSmall;
    if (std::memcmp(file.data, "II", 2) != 0 && std::memcmp(file.data, "MM", 2) != 0)
        return ErrUnsupported;
    tif = openMem(file, "rm");
    if (!tif)
        return ErrCorrupt;
    const int count = TIFFNumberOfDirectories(tif.get());
    if (pages)
        *pages = count;
    if (page < 0 || page >= count || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(page)))
        return ErrPage;
    return kOk;
}

double dpiOf(TIFF *tif, ttag_t tag) {
    float v = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, tag, &v) || !(v > 0) || v > 1e6)
        return 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER)
        return v * 2.54;
    return unit == RESUNIT_INCH ? v : 0;
}

} // namespace

bool tiffCompressionValid(std::uint16_t compression, int bitCount) {
    switch (compression) {
    case TiffNone:
    case TiffLzw:
    case TiffDeflate:
    case TiffPackBits:
        return true;
    case TiffJpeg:
        return bitCount == 8 || bitCount == 24;
    case TiffCcittRle:
    case TiffFax3:
    case TiffFax4:
        return bitCount == 1;
    default:
        return false;
    }
}

int effectiveTiffBits(const DibBlock &dib) {
    return dib.bitCount() == 16 || dib.bitCount() == 32 ? 24 : dib.bitCount();
}

std::int16_t tiffInfo(const std::uint8_t *data, std::size_t size, int page, TiffPageInfo &info) {
    MemFile file{data, size, nullptr, 0};
    TiffPtr tif;
    const std::int16_t code = openPage(file, page, tif, &info.pages);
    if (code != kOk)
        return code;
    std::uint32_t w = 0, h = 0;
    std::uint16_t bps = 1, spp = 1, comp = 1;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &comp);
    info.width = static_cast<int>(std::min<std::uint32_t>(w, INT32_MAX));
    info.height = static_cast<int>(std::min<std::uint32_t>(h, INT32_MAX));
    info.bitsPerPixel = static_cast<int>(std::min<std::int64_t>(std::int64_t{bps} * spp, INT32_MAX));
    info.compression = comp;
    info.xDpi = dpiOf(tif.get(), TIFFTAG_XRESOLUTION);
    info.yDpi = dpiOf(tif.get(), TIFFTAG_YRESOLUTION);
    return kOk;
}

namespace {

// The colour table of a page read as it is stored: gray levels (white first for white-is-zero) or
// the page's own colour map.
std::int16_t readTiffColourTable(TIFF *t, int bits, std::uint16_t photo, DibBlock &d) {
    const int n = 1 << bits;
    QVector<QRgb> table = grayTable(n);
    if (photo == PHOTOMETRIC_MINISWHITE)
        std::reverse(table.begin(), table.end());
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (photo == PHOTOMETRIC_PALETTE) {
        if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b))
            return ErrCorrupt;
        // Some writers store 8-bit values in the 16-bit map.
        bool eight = true;
        for (int i = 0; i < n; ++i)
            eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
        for (int i = 0; i < n; ++i)
            table[i] = eight ? qRgb(r[i], g[i], b[i]) : qRgb(r[i] >> 8, g[i] >> 8, b[i] >> 8);
    }
    d.setColorTable(table);
    return kOk;
}

// A page whose lines can be copied as they are stored (RGB turned to BGR).
std::int16_t readTiffLines(TIFF *t, std::uint32_t w, std::uint32_t h, std::uint16_t spp, bool rgb,
                           DibBlock &d, const Progress &progress) {
    const int band = std::max<int>(1, static_cast<int>(h / 20));
    const tmsize_t lineBytes = TIFFScanlineSize(t);
    if (lineBytes <= 0 || static_cast<std::uint64_t>(lineBytes) > d.rowBytes())
        return ErrCorrupt;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    for (std::uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(t, line.data(), y, 0) < 0)
            return ErrCorrupt;
        std::uint8_t *row = d.scanLine(static_cast<int>(y));
        if (rgb) {
            for (std::uint32_t x = 0; x < w; ++x) {
                row[3 * x] = line[spp * x + 2];
                row[3 * x + 1] = line[spp * x + 1];
                row[3 * x + 2] = line[spp * x];
            }
        } else {
            std::memcpy(row, line.data(), line.size());
        }
        if (y % band == 0 && !progress.step(static_cast<int>(y * 100ull / h)))
            return ErrStopped;
    }
    return kOk;
}

// Any other page, through libtiff's RGBA reader.
std::int16_t readTiffRgba(TIFF *t, std::uint32_t w, std::uint32_t h, DibBlock &d) {
    char message[1024] = {0};
    if (!TIFFRGBAImageOK(t, message))
        return ErrUnsupported;
    std::vector<std::uint32_t> raster;
    try {
        raster.resize(static_cast<std::size_t>(w) * h);
    } catch (const std::bad_alloc &) {
        return ErrNoMemory;
    }
    if (!TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 0))
        return ErrCorrupt;
    for (std::uint32_t y = 0; y < h; ++y) {
        std::uint8_t *row = d.scanLine(static_cast<int>(y));
        const std::uint32_t *px = raster.data() + static_cast<std::size_t>(y) * w;
        for (std::uint32_t x = 0; x < w; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(TIFFGetB(px[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(TIFFGetG(px[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(TIFFGetR(px[x]));
        }
    }
    return kOk;
}

} // namespace

std::int16_t decodeTiff(const std::uint8_t *data, std::size_t size, int page, DibBlock &out,
                        const Progress &progress) {
    MemFile file{data, size, nullptr, 0};
    TiffPtr tif;
    std::int16_t code = openPage(file, page, tif, nullptr);
    if (code != kOk)
        return code;
    TIFF *t = tif.get();
    std::uint32_t w = 0, h = 0;
    std::uint16_t bps = 1, spp = 1, photo = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG, comp = 1;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &comp);
    if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photo))
        photo = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    if (w == 0 || h == 0 || w > INT32_MAX || h > INT32_MAX)
        return ErrCorrupt;
    const bool single =
        spp == 1 && (bps == 1 || bps == 4 || bps == 8) &&
        (photo == PHOTOMETRIC_MINISWHITE || photo == PHOTOMETRIC_MINISBLACK || photo == PHOTOMETRIC_PALETTE);
    // A fourth sample (alpha or unspecified) is dropped: transparency is not shown.
    const bool rgb = (spp == 3 || spp == 4) && bps == 8 && photo == PHOTOMETRIC_RGB;
    const bool direct =
        !TIFFIsTiled(t) && planar == PLANARCONFIG_CONTIG && comp != COMPRESSION_OJPEG && (single || rgb);
    const int bits = direct && single ? bps : 24;
    if (!direct && !checkedPixels(w, h, 32))
        return ErrTooLarge;
    if (const std::int16_t sized = checkPictureSize(w, h, bits, size); sized != kOk)
        return sized;
    DibBlock d = DibBlock::create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), bits);
    if (!d)
        return ErrNoMemory;
    const double xdpi = dpiOf(t, TIFFTAG_XRESOLUTION);
    const double ydpi = dpiOf(t, TIFFTAG_YRESOLUTION);
    d.setResolution(static_cast<std::int32_t>(xdpi / 0.0254 + 0.5),
                    static_cast<std::int32_t>(ydpi / 0.0254 + 0.5));
    if (!progress.step(0))
        return ErrStopped;
    if (direct) {
        if (bits <= 8) {
            if (const std::int16_t read = readTiffColourTable(t, bits, photo, d); read != kOk)
                return read;
        }
        if (const std::int16_t read = readTiffLines(t, w, h, spp, rgb, d, progress); read != kOk)
            return read;
    } else if (const std::int16_t read = readTiffRgba(t, w, h, d); read != kOk) {
        return read;
    }
    progress.step(100);
    out = std::move(d);
    return kOk;
}

namespace {

// How an indexed page's values read: white-is-zero or black-is-zero gray, or a colour map. Fax pages
// of a black-is-zero table are to be written inverted (`invert`).
std::int16_t setIndexedPhotometric(TIFF *t, const QVector<QRgb> &table, int bits, std::uint16_t compression,
                                   bool &invert) {
    const bool jpeg = compression == TiffJpeg;
    const int n = 1 << bits;
    QVector<QRgb> padded = table;
    padded.resize(n);
    QVector<QRgb> gray = grayTable(n);
    QVector<QRgb> reversed = gray;
    std::reverse(reversed.begin(), reversed.end());
    auto same = [&](const QVector<QRgb> &a) {
        for (int i = 0; i < n; ++i)
            if ((padded[i] & 0xFFFFFF) != (a[i] & 0xFFFFFF))
                return false;
        return table.size() >= n;
    };
    const bool fax = compression == TiffCcittRle || compression == TiffFax3 || compression == TiffFax4;
    if (same(reversed)) {
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else if (same(gray)) {
        // Fax pages are written white-is-zero as fax readers expect; the bits are inverted to match.
        invert = fax;
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, fax ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
    } else {
        // A JPEG page holds gray levels, not indexes into a table.
        if (fax || jpeg)
            return ErrCompression;
        std::vector<std::uint16_t> r(n), g(n), b(n);
        for (int i = 0; i < n; ++i) {
            r[i] = static_cast<std::uint16_t>(qRed(padded[i]) * 257);
            g[i] = static_cast<std::uint16_t>(qGreen(padded[i]) * 257);
            b[i] = static_cast<std::uint16_t>(qBlue(padded[i]) * 257);
        }
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    return kOk;
}

void setTiffResolution(TIFF *t, const DibBlock &dib) {
    if (dib.xPelsPerMeter() > 0 && dib.yPelsPerMeter() > 0) {
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION,
                     static_cast<float>(std::round(dib.xPelsPerMeter() * 0.0254 * 100) / 100));
        TIFFSetField(t, TIFFTAG_YRESOLUTION,
                     static_cast<float>(std::round(dib.yPelsPerMeter() * 0.0254 * 100) / 100));
    }
}

// The picture's lines, BGR turned to RGB and inverted where asked.
std::int16_t writeTiffLines(TIFF *t, const DibBlock &dib, bool invert, const Progress &progress) {
    const std::uint32_t w = static_cast<std::uint32_t>(dib.width());
    const std::uint32_t h = static_cast<std::uint32_t>(dib.height());
    const int bits = dib.bitCount();
    const std::size_t lineBytes = (static_cast<std::size_t>(w) * bits + 7) / 8;
    std::vector<std::uint8_t> line(lineBytes + 4);
    const int band = std::max<int>(1, static_cast<int>(h / 20));
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t *row = dib.scanLine(static_cast<int>(y));
        if (bits == 24) {
            for (std::uint32_t x = 0; x < w; ++x) {
                line[3 * x] = row[3 * x + 2];
                line[3 * x + 1] = row[3 * x + 1];
                line[3 * x + 2] = row[3 * x];
            }
        } else {
            std::memcpy(line.data(), row, lineBytes);
            if (invert)
                for (std::size_t i = 0; i < lineBytes; ++i)
                    line[i] = static_cast<std::uint8_t>(~line[i]);
        }
        if (TIFFWriteScanline(t, line.data(), y, 0) < 0)
            return ErrCompression;
        if (y % band == 0 && !progress.step(static_cast<int>(y * 90ull / h)))
            return ErrStopped;
    }
    return kOk;
}

} // namespace

std::int16_t encodeTiffPage(const DibBlock &source, std::uint16_t compression, bool bigEndian, Bytes &out,
                            const Progress &progress) {
    if (source.isNull())
        return ErrArgument;
    DibBlock promoted;
    const DibBlock *dib = &source;
    if (source.bitCount() == 16 || source.bitCount() == 32) {
        promoted = convertDib(source, 24);
        if (!promoted)
            return ErrNoMemory;
        dib = &promoted;
    }
    const int bits = dib->bitCount();
    if (!tiffCompressionValid(compression, bits))
        return ErrCompression;
    Bytes buffer;
    MemFile file{nullptr, 0, &buffer, 0};
    TiffPtr tif = openMem(file, bigEndian ? "wb" : "wl");
    if (!tif)
        return ErrInternal;
    TIFF *t = tif.get();
    const std::uint32_t w = static_cast<std::uint32_t>(dib->width());
    const std::uint32_t h = static_cast<std::uint32_t>(dib->height());
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    const QVector<QRgb> table = dib->colorTable();
    bool invert = false;
    const bool jpeg = compression == TiffJpeg;
    if (jpeg)
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 90);
    if (bits == 24) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        // Colour JPEG is stored as YCbCr, as readers expect; libtiff converts the RGB lines.
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, jpeg ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB);
        if (jpeg)
            TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        if (const std::int16_t set = setIndexedPhotometric(t, table, bits, compression, invert); set != kOk)
            return set;
        if (compression == TiffFax4 || compression == TiffFax3)
            TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    }
    setTiffResolution(t, *dib);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP,
                 compression == TiffFax4 || compression == TiffFax3 || compression == TiffCcittRle
                     ? h
                     : TIFFDefaultStripSize(t, 0));
    if (const std::int16_t written = writeTiffLines(t, *dib, invert, progress); written != kOk)
        return written;
    if (!TIFFWriteDirectory(t))
        return ErrWrite;
    tif.reset();
    out = std::move(buffer);
    return kOk;
}

} // namespace orva::imageio
