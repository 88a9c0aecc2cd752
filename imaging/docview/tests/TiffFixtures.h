// TIFF files for the viewer tests, written with libtiff itself (not our writer), so that every
// compression and every way of giving (or not giving) the resolution can be set up exactly.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

#include <tiffio.h>

#include <functional>
#include <optional>
#include <vector>

namespace orva::imaging::test {

struct TiffPage {
    QImage picture; // Format_Mono (white 1, black 0), Grayscale8 or RGB888
    std::uint16_t compression = COMPRESSION_NONE;
    std::optional<float> xDpi = 300;
    std::optional<float> yDpi = 300;
};

// Writes the pages as one file; false when libtiff refuses.
inline bool writeTiff(const QString &file, const std::vector<TiffPage> &pages) {
    TIFF *tif = TIFFOpen(QFile::encodeName(file).constData(), "w");
    if (!tif) {
        return false;
    }
    bool ok = true;
    for (const TiffPage &p : pages) {
        const QImage &img = p.picture;
        const bool mono = img.format() == QImage::Format_Mono;
        const bool gray = img.format() == QImage::Format_Grayscale8;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(img.width()));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(img.height()));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(mono ? 1 : 8));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(mono || gray ? 1 : 3));
        // A bilevel picture whose index 0 is the lighter colour is stored as white-is-zero.
        const bool whiteIsZero = mono && img.colorCount() == 2 && qGray(img.color(0)) > qGray(img.color(1));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                     static_cast<uint16_t>(whiteIsZero    ? PHOTOMETRIC_MINISWHITE
                                           : mono || gray ? PHOTOMETRIC_MINISBLACK
                                                          : PHOTOMETRIC_RGB));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
        TIFFSetField(tif, TIFFTAG_COMPRESSION, p.compression);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(img.height()));
        if (p.compression == COMPRESSION_JPEG) {
            TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
        }
        if (p.xDpi || p.yDpi) {
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(RESUNIT_INCH));
        }
        if (p.xDpi) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, *p.xDpi);
        }
        if (p.yDpi) {
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, *p.yDpi);
        }
        if (pages.size() > 1) {
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, static_cast<uint32_t>(FILETYPE_PAGE));
        }
        for (int y = 0; y < img.height() && ok; ++y) {
            ok = TIFFWriteScanline(tif, const_cast<uchar *>(img.constScanLine(y)), static_cast<uint32_t>(y),
                                   0) >= 0;
        }
        ok = ok && TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ok;
}

// A 1-bit page: white with a black square (x, y, side) and a black frame line at the top.
inline QImage formPage(int width, int height, QRect square) {
    QImage img(width, height, QImage::Format_Mono);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    img.fill(1);
    for (int y = square.top(); y <= square.bottom(); ++y) {
        for (int x = square.left(); x <= square.right(); ++x) {
            img.setPixel(x, y, 0);
        }
    }
    return img;
}

// A colour picture: left half red, right half blue, a green square at the top left.
inline QImage colourPage(int width, int height, int square) {
    QImage img(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            img.setPixelColor(x, y,
                              x < square && y < square ? Qt::green : (x < width / 2 ? Qt::red : Qt::blue));
        }
    }
    return img;
}

} // namespace orva::imaging::test
