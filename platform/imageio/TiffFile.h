// Page and tag edits of whole TIFF files held in memory. Pages are relinked by copying each kept
// page's directory, out-of-line values and strips unchanged into a fresh file, so the pixels of
// the pages not touched stay byte for byte what they were. What a page points at (its Exif, GPS
// and sub-image directories, old-style JPEG streams and tables) is copied along with it; what
// cannot be moved safely makes the edit fail with the file unchanged.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QByteArray>

#include <functional>

namespace orva::imageio {

enum class TiffTagKind { Number, Text, Array };

struct TiffTagValue {
    std::uint16_t tag = 0;
    std::uint16_t type = 0; // TIFF field type (1 BYTE, 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, ...)
    std::uint32_t count = 0;
    std::int16_t length = 0; // data length in bytes, capped to 16 bits
    std::int32_t number = 0; // numbers, and rationals rounded
    QByteArray text;         // ASCII values without the closing NUL
    TiffTagKind kind = TiffTagKind::Number;
};

int tiffPageCount(const Bytes &file);
// Appends when page equals the page count; insert and replace use the file's byte order.
std::int16_t tiffInsertPage(Bytes &file, int page, const DibBlock &dib, std::uint16_t compression,
                            const Progress &progress = {});
std::int16_t tiffAppendPage(Bytes &file, const DibBlock &dib, std::uint16_t compression,
                            const Progress &progress = {});
// The page that takes another's place inherits what describes the page rather than its pixels
// (dates, names, Exif, GPS and sub-images among them). With kKeepCompression it is written with
// the old page's compression where this depth allows, else losslessly.
constexpr std::uint16_t kKeepCompression = 0;
std::int16_t tiffReplacePage(Bytes &file, int page, const DibBlock &dib, std::uint16_t compression,
                             const Progress &progress = {});
std::int16_t tiffDeletePage(Bytes &file, int page);
std::int16_t tiffPack(Bytes &file, const Progress &progress = {});

std::int16_t tiffReadTag(const Bytes &file, int page, std::uint16_t tag, TiffTagValue &value);
std::int16_t tiffListTags(const Bytes &file, int page, std::vector<TiffTagValue> &tags);
// One tag write: a number in the tag's own field type (refused when it does not fit that type, or
// the tag is text or holds several values) or text to an ASCII tag. Tags that describe the pixel
// layout or decoding are refused. A tag the page lacks is added with the type its kind always has.
struct TiffTagWrite {
    std::uint16_t tag = 0;
    bool isText = false;
    std::int32_t number = 0;
    QByteArray text;
};
std::int16_t tiffWriteTags(Bytes &file, int page, const std::vector<TiffTagWrite> &writes);
std::int16_t tiffWriteTag(Bytes &file, int page, std::uint16_t tag, std::int32_t value);
std::int16_t tiffWriteTagString(Bytes &file, int page, std::uint16_t tag, const QByteArray &text);
// False for the tags no write may change (pixel layout, strips, decoding).
bool tiffTagWritable(std::uint16_t tag);

} // namespace orva::imageio
