// TIFF on libtiff over memory: page count and attributes, page decoding at the file's own depth,
// and encoding one DIB as a single-page TIFF with a given compression and byte order.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

namespace orva::imageio {

enum TiffCompressionCode : std::uint16_t {
    TiffNone = 1,
    TiffCcittRle = 2,
    TiffFax3 = 3,
    TiffFax4 = 4,
    TiffLzw = 5,
    TiffJpeg = 7,
    TiffDeflate = 8,
    TiffPackBits = 32773,
};

struct TiffPageInfo {
    int pages = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::uint16_t compression = 0;
    double xDpi = 0;
    double yDpi = 0;
};

std::int16_t tiffInfo(const std::uint8_t *data, std::size_t size, int page, TiffPageInfo &info);
std::int16_t decodeTiff(const std::uint8_t *data, std::size_t size, int page, DibBlock &out,
                        const Progress &progress = {});
// bigEndian selects "MM" files, so a page can be linked into an existing file of that order.
std::int16_t encodeTiffPage(const DibBlock &dib, std::uint16_t compression, bool bigEndian, Bytes &out,
                            const Progress &progress = {});
// Whether this compression may be written at this depth (the fax codes are for 1 bit only, JPEG
// for 8 and 24 bits).
bool tiffCompressionValid(std::uint16_t compression, int bitCount);
// The depth a picture is written at: 16 and 32 bits go out as 24.
int effectiveTiffBits(const DibBlock &dib);

} // namespace orva::imageio
