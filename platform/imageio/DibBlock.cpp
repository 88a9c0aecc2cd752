// Packed DIB layout, checked size arithmetic and the validating import of foreign DIBs.
#include "platform/imageio/DibBlock.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orva::imageio {

std::uint16_t readLe16(const std::uint8_t *p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t readLe32(const std::uint8_t *p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void writeLe16(std::uint8_t *p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void writeLe32(std::uint8_t *p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::optional<std::uint64_t> dibRowBytes(std::int64_t width, int bitCount) {
    if (width <= 0 || bitCount <= 0 || bitCount > 32 || width > (1ll << 30))
        return std::nullopt;
    const std::uint64_t row = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (row > kMaxDibBytes)
        return std::nullopt;
    return row;
}

std::optional<std::uint64_t> dibImageBytes(std::int64_t width, std::int64_t height, int bitCount) {
    const auto row = dibRowBytes(width, bitCount);
    if (!row || height <= 0 || height > (1ll << 30))
        return std::nullopt;
    const std::uint64_t total = *row * static_cast<std::uint64_t>(height);
    if (total > kMaxDibBytes)
        return std::nullopt;
    return total;
}

int colorsForBitCount(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

namespace {

bool knownDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

int tableColors(const std::uint8_t *h) {
    const std::uint32_t used = readLe32(h + 32);
    const int bits = readLe16(h + 14);
    if (used != 0)
        return used > 256 ? -1 : static_cast<int>(used);
    return bits == 16 || bits == 24 || bits == 32 ? 0 : (bits < 31 ? (1 << bits) : -1);
}

void setWhy(QString *why, const QString &text) {
    if (why)
        *why = text;
}

// Expands BI_RLE8 / BI_RLE4 data into the uncompressed rows of out (bottom-up as stored).
bool decodeRle(const std::uint8_t *src, std::size_t n, DibBlock &out, bool four) {
    const int w = out.width();
    const int h = out.height();
    const std::size_t stride = out.rowBytes();
    std::uint8_t *bits = out.bits();
    int x = 0;
    int y = 0; // buffer row, bottom-up as stored
    auto put = [&](int index) {
        if (x >= w || y >= h)
            return;
        std::uint8_t *row = bits + stride * static_cast<std::size_t>(y);
        if (four) {
            const int shift = (x & 1) ? 0 : 4;
            row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(0xF << shift)) | ((index & 0xF) << shift));
        } else {
            row[x] = static_cast<std::uint8_t>(index);
        }
        ++x;
    };
    std::size_t i = 0;
    while (i + 1 < n) {
        const int count = src[i];
        const int value = src[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? ((k & 1) ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (i + 1 >= n)
                return false;
            x += src[i];
            y += src[i + 1];
            i += 2;
        } else {
            const int literal = value;
            const std::size_t bytes = four ? (static_cast<std::size_t>(literal) + 1) / 2 : literal;
            if (i + bytes > n)
                return false;
            for (int k = 0; k < literal; ++k)
                put(four ? ((k & 1) ? src[i + k / 2] & 0xF : src[i + k / 2] >> 4) : src[i + k]);
            i += bytes + (bytes & 1);
        }
        if (y > h)
            return true;
    }
    return true;
}

int maskShift(std::uint32_t mask) {
    return mask ? std::countr_zero(mask) : 0;
}
int maskWidth(std::uint32_t mask) {
    return mask ? std::popcount(mask) : 0;
}
std::uint8_t scaleChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (!mask)
        return 0;
    const std::uint32_t v = (pixel & mask) >> maskShift(mask);
    const int width = maskWidth(mask);
    if (width >= 8)
        return static_cast<std::uint8_t>(v >> (width - 8));
    const std::uint32_t max = (1u << width) - 1;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

} // namespace

DibBlock DibBlock::create(std::int32_t width, std::int32_t height, int bitCount, int colors) {
    if (!knownDepth(bitCount))
        return {};
    const auto image = dibImageBytes(width, height, bitCount);
    if (!image)
        return {};
    if (colors < 0 || (colors == 0 && bitCount <= 8))
        colors = colorsForBitCount(bitCount);
    if (colors > 256)
        return {};
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(kInfoHeaderSize + 4 * static_cast<std::size_t>(colors) + *image, 0);
    } catch (const std::bad_alloc &) {
        return {};
    }
    std::uint8_t *h = bytes.data();
    writeLe32(h, kInfoHeaderSize);
    writeLe32(h + 4, static_cast<std::uint32_t>(width));
    writeLe32(h + 8, static_cast<std::uint32_t>(height));
    writeLe16(h + 12, 1);
    writeLe16(h + 14, static_cast<std::uint16_t>(bitCount));
    writeLe32(h + 20, static_cast<std::uint32_t>(*image));
    writeLe32(h + 24, kDefaultPixelsPerMetre);
    writeLe32(h + 28, kDefaultPixelsPerMetre);
    writeLe32(h + 32, static_cast<std::uint32_t>(colors));
    writeLe32(h + 36, static_cast<std::uint32_t>(colors));
    return DibBlock(std::move(bytes));
}

QString checkPackedDib(const std::uint8_t *data, std::size_t size) {
    if (!data || size < static_cast<std::size_t>(kInfoHeaderSize))
        return QStringLiteral("bitmap header is truncated");
    if (readLe32(data) != kInfoHeaderSize)
        return QStringLiteral("unsupported bitmap header size");
    const std::int32_t width = static_cast<std::int32_t>(readLe32(data + 4));
    const std::int32_t height = static_cast<std::int32_t>(readLe32(data + 8));
    const int bits = readLe16(data + 14);
    if (readLe16(data + 12) != 1)
        return QStringLiteral("bitmap planes must be 1");
    if (!knownDepth(bits))
        return QStringLiteral("unsupported bit depth");
    if (tableColors(data) < 0)
        return QStringLiteral("colour table too large");
    if (height == INT32_MIN ||
        !dibImageBytes(width, height < 0 ? -static_cast<std::int64_t>(height) : height, bits))
        return QStringLiteral("bitmap size out of range");
    const std::uint32_t comp = readLe32(data + 16);
    if (comp > 3 || (comp == 1 && bits != 8) || (comp == 2 && bits != 4) ||
        (comp == 3 && bits != 16 && bits != 32))
        return QStringLiteral("unsupported bitmap compression");
    if ((comp == 1 || comp == 2) && height < 0)
        return QStringLiteral("run-length bitmaps cannot be top-down");
    return {};
}

DibBlock DibBlock::fromPacked(const std::uint8_t *data, std::size_t size, QString *why,
                              std::optional<std::size_t> bitsOffset) {
    const QString bad = checkPackedDib(data, size);
    if (!bad.isEmpty()) {
        setWhy(why, bad);
        return {};
    }
    const std::int32_t width = static_cast<std::int32_t>(readLe32(data + 4));
    const std::int32_t rawHeight = static_cast<std::int32_t>(readLe32(data + 8));
    const bool topDown = rawHeight < 0;
    const std::int32_t height = topDown ? -rawHeight : rawHeight;
    const int bits = readLe16(data + 14);
    const std::uint32_t comp = readLe32(data + 16);
    const int colors = tableColors(data);
    std::size_t pos = kInfoHeaderSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (comp == 3) {
        if (size < pos + 12) {
            setWhy(why, QStringLiteral("bit-field masks are truncated"));
            return {};
        }
        for (int i = 0; i < 3; ++i)
            masks[i] = readLe32(data + pos + 4 * i);
        pos += 12;
    }
    const std::size_t tableBytes = 4 * static_cast<std::size_t>(colors);
    if (size < pos + tableBytes) {
        setWhy(why, QStringLiteral("colour table is truncated"));
        return {};
    }
    const std::uint8_t *table = data + pos;
    const std::size_t start = bitsOffset ? *bitsOffset : pos + tableBytes;
    if (start > size) {
        setWhy(why, QStringLiteral("pixel data offset out of range"));
        return {};
    }
    const std::uint8_t *src = data + start;
    const std::size_t avail = size - start;

    // Run-length data may skip, but a few bytes claiming a giant picture are not a real bitmap.
    if ((comp == 1 || comp == 2) &&
        static_cast<std::uint64_t>(width) * height > static_cast<std::uint64_t>(avail) * 4096) {
        setWhy(why, QStringLiteral("run-length data too short for the bitmap size"));
        return {};
    }
    // Uncompressed pixels must all be there; found out only after making the picture, a few bytes
    // claiming a giant one would cost its memory first.
    const std::uint64_t srcRow = *dibRowBytes(width, bits);
    if (comp != 1 && comp != 2 && srcRow * static_cast<std::uint64_t>(height) > avail) {
        setWhy(why, QStringLiteral("pixel data is truncated"));
        return {};
    }
    const int outBits = comp == 3 ? 24 : bits;
    DibBlock out = create(width, height, outBits, outBits <= 8 ? colors : 0);
    if (!out) {
        setWhy(why, QStringLiteral("not enough memory for the bitmap"));
        return {};
    }
    if (outBits <= 8)
        std::memcpy(out.data() + kInfoHeaderSize, table, tableBytes);
    out.setResolution(static_cast<std::int32_t>(readLe32(data + 24)),
                      static_cast<std::int32_t>(readLe32(data + 28)));
    for (int i = 0; i < out.numColors(); ++i)
        out.data()[kInfoHeaderSize + 4 * i + 3] = 0;

    if (comp == 1 || comp == 2) {
        if (!decodeRle(src, avail, out, comp == 2)) {
            setWhy(why, QStringLiteral("run-length data is corrupt"));
            return {};
        }
        return out;
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *in = src + srcRow * static_cast<std::uint64_t>(topDown ? height - 1 - y : y);
        std::uint8_t *dst = out.bits() + out.rowBytes() * static_cast<std::size_t>(y);
        if (comp != 3) {
            std::memcpy(dst, in, srcRow);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t px = bits == 16 ? readLe16(in + 2 * x) : readLe32(in + 4 * x);
            dst[3 * x] = scaleChannel(px, masks[2]);
            dst[3 * x + 1] = scaleChannel(px, masks[1]);
            dst[3 * x + 2] = scaleChannel(px, masks[0]);
        }
    }
    return out;
}

DibBlock DibBlock::adopt(std::vector<std::uint8_t> bytes, QString *why) {
    const QString bad = checkPackedDib(bytes.data(), bytes.size());
    if (!bad.isEmpty() || readLe32(bytes.data() + 16) != 0 ||
        static_cast<std::int32_t>(readLe32(bytes.data() + 8)) < 0) {
        setWhy(why, bad.isEmpty() ? QStringLiteral("bitmap must be uncompressed and bottom-up") : bad);
        return {};
    }
    DibBlock block(std::move(bytes));
    if (block.size() < static_cast<std::size_t>(block.headerSize()) + block.imageBytes()) {
        setWhy(why, QStringLiteral("pixel data is truncated"));
        return {};
    }
    return block;
}

std::int32_t DibBlock::width() const {
    return isNull() ? 0 : static_cast<std::int32_t>(readLe32(data() + 4));
}
std::int32_t DibBlock::height() const {
    return isNull() ? 0 : static_cast<std::int32_t>(readLe32(data() + 8));
}
int DibBlock::bitCount() const {
    return isNull() ? 0 : readLe16(data() + 14);
}
std::uint32_t DibBlock::compression() const {
    return isNull() ? 0 : readLe32(data() + 16);
}
int DibBlock::numColors() const {
    return isNull() ? 0 : std::max(0, tableColors(data()));
}
std::size_t DibBlock::rowBytes() const {
    return isNull() ? 0 : static_cast<std::size_t>(dibRowBytes(width(), bitCount()).value_or(0));
}
std::int32_t DibBlock::xPelsPerMeter() const {
    return isNull() ? 0 : static_cast<std::int32_t>(readLe32(data() + 24));
}
std::int32_t DibBlock::yPelsPerMeter() const {
    return isNull() ? 0 : static_cast<std::int32_t>(readLe32(data() + 28));
}
void DibBlock::setResolution(std::int32_t xPpm, std::int32_t yPpm) {
    if (isNull())
        return;
    writeLe32(data() + 24, static_cast<std::uint32_t>(xPpm));
    writeLe32(data() + 28, static_cast<std::uint32_t>(yPpm));
}

QRgb DibBlock::color(int index) const {
    if (index < 0 || index >= numColors())
        return qRgb(0, 0, 0);
    const std::uint8_t *e = data() + kInfoHeaderSize + 4 * index;
    return qRgb(e[2], e[1], e[0]);
}

void DibBlock::setColor(int index, QRgb rgb) {
    if (index < 0 || index >= numColors())
        return;
    std::uint8_t *e = data() + kInfoHeaderSize + 4 * index;
    e[0] = static_cast<std::uint8_t>(qBlue(rgb));
    e[1] = static_cast<std::uint8_t>(qGreen(rgb));
    e[2] = static_cast<std::uint8_t>(qRed(rgb));
    e[3] = 0;
}

QVector<QRgb> DibBlock::colorTable() const {
    QVector<QRgb> table;
    for (int i = 0; i < numColors(); ++i)
        table.append(color(i));
    return table;
}

void DibBlock::setColorTable(const QVector<QRgb> &colors) {
    for (int i = 0; i < numColors() && i < colors.size(); ++i)
        setColor(i, colors[i]);
}

bool DibBlock::isGrayPalette() const {
    const int n = numColors();
    if (n == 0 || bitCount() > 8)
        return false;
    for (int i = 0; i < n; ++i) {
        const QRgb c = color(i);
        if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
            return false;
    }
    return true;
}

DibBlock DibBlock::copy() const {
    if (isNull())
        return {};
    try {
        return DibBlock(m_bytes);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

} // namespace orva::imageio
