// Decoders of the single-image formats: each takes the whole file in memory, validates every
// header field and size before allocating, and answers a result code (kOk or a failure code).
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <cstddef>
#include <cstdint>

namespace orva::imageio {

// BMP files ("BM" header) and bare packed DIBs as found on the clipboard.
std::int16_t decodeBmp(const std::uint8_t *data, std::size_t size, DibBlock &out);
std::int16_t decodePng(const std::uint8_t *data, std::size_t size, DibBlock &out);
std::int16_t decodeJpeg(const std::uint8_t *data, std::size_t size, DibBlock &out);
std::int16_t decodeGif(const std::uint8_t *data, std::size_t size, DibBlock &out);
std::int16_t decodePcx(const std::uint8_t *data, std::size_t size, DibBlock &out);
std::int16_t decodeTga(const std::uint8_t *data, std::size_t size, DibBlock &out);
// Kodak Photo CD: the base images at 192x128 (BASE16), 384x256 (BASE4) or 768x512 (BASE).
std::int16_t decodePcd(const std::uint8_t *data, std::size_t size, int mode, DibBlock &out);

// Helpers shared by the decoders.
QVector<QRgb> grayTable(int levels);
bool checkedPixels(std::int64_t width, std::int64_t height, int bits);
// Whether a picture of this size may be made from inputBytes of encoded data: kOk, ErrTooLarge past
// the size cap, or ErrCorrupt when the data cannot hold it. A few bytes that claim a giant picture
// would otherwise cost that picture's memory and the time to clear it before the decoder finds the
// data missing. The ratio allows for the best any of the formats compresses (blank fax-coded pages).
std::int16_t checkPictureSize(std::int64_t width, std::int64_t height, int bits, std::size_t inputBytes);

} // namespace orva::imageio
