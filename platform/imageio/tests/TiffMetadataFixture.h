// A scanned form as a camera or a scanning station writes it, built with libtiff itself: a colour
// JPEG page and a G4 page, each with an Exif and a GPS directory and a reduced copy in a
// sub-directory; and what libtiff reads back of a page, to tell whether an edit kept them.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <tiffio.h>

#include <cstdint>
#include <vector>

namespace orva::imageio::test {

struct FormPage {
    bool colour = true; // colour JPEG, else 1-bit G4
    const char *taken = "2026:01:02 03:04:05";
};

// The pages in order; false when libtiff refuses.
inline bool writeFormWithMetadata(const QString &file, const std::vector<FormPage> &pages) {
    TIFF *t = TIFFOpen(QFile::encodeName(file).constData(), "w");
    if (!t)
        return false;
    bool ok = true;
    for (const FormPage &p : pages) {
        std::uint64_t exif = 0;
        std::uint64_t gps = 0;
        ok = ok && TIFFCreateEXIFDirectory(t) == 0;
        ok = ok && TIFFSetField(t, EXIFTAG_DATETIMEORIGINAL, p.taken);
        ok = ok && TIFFWriteCustomDirectory(t, &exif);
        // Writing a custom directory leaves its values allocated; free them before the next one.
        TIFFFreeDirectory(t);
        ok = ok && TIFFCreateGPSDirectory(t) == 0;
        ok = ok && TIFFSetField(t, GPSTAG_LATITUDEREF, "N");
        ok = ok && TIFFWriteCustomDirectory(t, &gps);
        TIFFFreeDirectory(t);
        ok = ok && TIFFCreateDirectory(t) == 0;
        const std::uint32_t w = p.colour ? 48 : 64;
        const std::uint32_t h = p.colour ? 32 : 40;
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, static_cast<std::uint32_t>(FILETYPE_PAGE));
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, static_cast<std::uint16_t>(PLANARCONFIG_CONTIG));
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, static_cast<std::uint16_t>(RESUNIT_INCH));
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 200.0f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 200.0f);
        TIFFSetField(t, TIFFTAG_ARTIST, "Reception desk");
        if (p.colour) {
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(8));
            TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(3));
            TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(COMPRESSION_JPEG));
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(PHOTOMETRIC_YCBCR));
            TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(16));
        } else {
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(1));
            TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(1));
            TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(COMPRESSION_CCITTFAX4));
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(PHOTOMETRIC_MINISWHITE));
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
        }
        TIFFSetField(t, TIFFTAG_EXIFIFD, exif);
        TIFFSetField(t, TIFFTAG_GPSIFD, gps);
        std::uint64_t sub[1] = {0};
        TIFFSetField(t, TIFFTAG_SUBIFD, static_cast<std::uint16_t>(1), sub);
        std::vector<std::uint8_t> line(w * 3, 0);
        for (std::uint32_t y = 0; y < h && ok; ++y) {
            if (p.colour) {
                // Left half red, right half blue.
                for (std::uint32_t x = 0; x < w; ++x) {
                    line[3 * x] = x < w / 2 ? 255 : 0;
                    line[3 * x + 1] = 0;
                    line[3 * x + 2] = x < w / 2 ? 0 : 255;
                }
            } else {
                // White (0 in white-is-zero) with a black square at 8..23.
                std::fill(line.begin(), line.end(), 0);
                if (y >= 8 && y < 24)
                    line[1] = 0xFF;
            }
            ok = TIFFWriteScanline(t, line.data(), y, 0) >= 0;
        }
        ok = ok && TIFFWriteDirectory(t);
        // The reduced copy: 4 x 2 gray levels.
        TIFFSetField(t, TIFFTAG_SUBFILETYPE, static_cast<std::uint32_t>(FILETYPE_REDUCEDIMAGE));
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(4));
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(2));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(8));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(1));
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, static_cast<std::uint16_t>(PHOTOMETRIC_MINISBLACK));
        TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(COMPRESSION_NONE));
        std::uint8_t row[4] = {10, 20, 30, 40};
        ok = ok && TIFFWriteScanline(t, row, 0, 0) >= 0;
        row[0] = 90;
        ok = ok && TIFFWriteScanline(t, row, 1, 0) >= 0;
        ok = ok && TIFFWriteDirectory(t);
    }
    TIFFClose(t);
    return ok;
}

// What libtiff reads of one page.
struct PageFacts {
    bool read = false;
    std::uint16_t compression = 0;
    std::uint16_t photometric = 0;
    int bits = 0; // bits per sample x samples
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    QByteArray artist;
    QByteArray taken;       // Exif DateTimeOriginal
    QByteArray latitudeRef; // GPS
    QByteArray reducedCopy; // the sub-directory's 8 gray levels
};

inline PageFacts pageFacts(const QString &file, int page) {
    PageFacts f;
    TIFF *t = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!t)
        return f;
    if (!TIFFSetDirectory(t, static_cast<tdir_t>(page))) {
        TIFFClose(t);
        return f;
    }
    f.read = true;
    std::uint16_t bps = 1, spp = 1;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    f.bits = bps * spp;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &f.compression);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &f.photometric);
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &f.width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &f.height);
    char *text = nullptr;
    if (TIFFGetField(t, TIFFTAG_ARTIST, &text))
        f.artist = text;
    std::uint64_t exif = 0, gps = 0;
    const bool hasExif = TIFFGetField(t, TIFFTAG_EXIFIFD, &exif);
    const bool hasGps = TIFFGetField(t, TIFFTAG_GPSIFD, &gps);
    std::uint16_t subCount = 0;
    std::uint64_t *subs = nullptr;
    std::uint64_t sub = 0;
    if (TIFFGetField(t, TIFFTAG_SUBIFD, &subCount, &subs) && subCount > 0)
        sub = subs[0];
    if (hasExif && TIFFReadEXIFDirectory(t, exif) && TIFFGetField(t, EXIFTAG_DATETIMEORIGINAL, &text))
        f.taken = text;
    if (hasGps && TIFFReadGPSDirectory(t, gps) && TIFFGetField(t, GPSTAG_LATITUDEREF, &text))
        f.latitudeRef = text;
    if (sub != 0 && TIFFSetSubDirectory(t, sub)) {
        std::uint8_t row[4];
        for (std::uint32_t y = 0; y < 2; ++y)
            if (TIFFReadScanline(t, row, y, 0) >= 0)
                f.reducedCopy.append(reinterpret_cast<const char *>(row), 4);
    }
    TIFFClose(t);
    return f;
}

} // namespace orva::imageio::test
