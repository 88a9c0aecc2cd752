// Own decoders for BMP (files and clipboard DIBs), PCX and TGA.
#include "platform/imageio/Codecs.h"

#include "platform/imageio/DibConvert.h"

#include <algorithm>
#include <cstring>

namespace orva::imageio {

QVector<QRgb> grayTable(int levels) {
    QVector<QRgb> t;
    for (int i = 0; i < levels; ++i) {
        const int v = levels > 1 ? i * 255 / (levels - 1) : 0;
        t.append(qRgb(v, v, v));
    }
    return t;
}

bool checkedPixels(std::int64_t width, std::int64_t height, int bits) {
    return dibImageBytes(width, height, bits).has_value();
}

std::int16_t checkPictureSize(std::int64_t width, std::int64_t height, int bits, std::size_t inputBytes) {
    // A fax-coded blank row takes one bit whatever its width; 32 KiB of picture for each byte of
    // input leaves room for rows 32,000 pixels wide, and the first MiB is always allowed.
    constexpr std::uint64_t kBytesPerInputByte = 32 * 1024;
    constexpr std::uint64_t kAlwaysAllowed = 1 << 20;
    const auto bytes = dibImageBytes(width, height, bits);
    if (!bytes)
        return ErrTooLarge;
    return *bytes <= kAlwaysAllowed + static_cast<std::uint64_t>(inputBytes) * kBytesPerInputByte
               ? kOk
               : ErrCorrupt;
}

std::int16_t decodeBmp(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 12)
        return ErrTooSmall;
    std::size_t base = 0;
    std::optional<std::size_t> bitsOffset;
    if (data[0] == 'B' && data[1] == 'M') {
        if (size < 14 + 12)
            return ErrCorrupt;
        base = 14;
        const std::uint32_t off = readLe32(data + 10);
        if (off < 14 || off > size)
            return ErrCorrupt;
        bitsOffset = off - 14;
    }
    const std::uint8_t *dib = data + base;
    const std::size_t n = size - base;
    const std::uint32_t hsize = readLe32(dib);
    if (hsize == 40) {
        DibBlock d = DibBlock::fromPacked(dib, n, nullptr, bitsOffset);
        if (!d)
            return ErrCorrupt;
        out = std::move(d);
        return kOk;
    }
    // Older (12-byte) and newer (108/124-byte) headers are rewritten to the 40-byte form.
    Bytes synth(40, 0);
    std::size_t tableAt = 0;
    std::size_t entry = 4;
    int colors = 0;
    int bits = 0;
    if (hsize == 12) {
        bits = readLe16(dib + 10);
        writeLe32(synth.data(), 40);
        writeLe32(synth.data() + 4, readLe16(dib + 4));
        writeLe32(synth.data() + 8, readLe16(dib + 6));
        writeLe16(synth.data() + 12, readLe16(dib + 8));
        writeLe16(synth.data() + 14, static_cast<std::uint16_t>(bits));
        tableAt = 12;
        entry = 3;
        colors = colorsForBitCount(bits);
    } else if (hsize == 52 || hsize == 56 || hsize == 108 || hsize == 124) {
        if (n < hsize)
            return ErrCorrupt;
        std::memcpy(synth.data(), dib, 40);
        writeLe32(synth.data(), 40);
        bits = readLe16(dib + 14);
        if (readLe32(dib + 16) == 3)
            synth.insert(synth.end(), dib + 40, dib + 52);
        tableAt = hsize;
        const std::uint32_t used = readLe32(dib + 32);
        colors = used ? static_cast<int>(std::min<std::uint32_t>(used, 257)) : colorsForBitCount(bits);
    } else {
        return ErrUnsupported;
    }
    if (colors > 256 || tableAt + entry * static_cast<std::size_t>(colors) > n)
        return ErrCorrupt;
    for (int i = 0; i < colors; ++i) {
        const std::uint8_t *e = dib + tableAt + entry * i;
        const std::uint8_t quad[4] = {e[0], e[1], e[2], 0};
        synth.insert(synth.end(), quad, quad + 4);
    }
    const std::size_t pixels = bitsOffset ? *bitsOffset : tableAt + entry * colors;
    if (pixels > n)
        return ErrCorrupt;
    const std::size_t tableEnd = synth.size();
    synth.insert(synth.end(), dib + pixels, dib + n);
    DibBlock d = DibBlock::fromPacked(synth.data(), synth.size(), nullptr, tableEnd);
    if (!d)
        return ErrCorrupt;
    out = std::move(d);
    return kOk;
}

std::int16_t decodePcx(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 128)
        return ErrTooSmall;
    if (data[0] != 10 || data[2] > 1)
        return ErrUnsupported;
    const int bpp = data[3];
    const int w = readLe16(data + 8) - readLe16(data + 4) + 1;
    const int h = readLe16(data + 10) - readLe16(data + 6) + 1;
    const int planes = data[65];
    const int bpl = readLe16(data + 66);
    if (w <= 0 || h <= 0 || bpl <= 0 ||
        static_cast<std::int64_t>(bpl) * 8 < static_cast<std::int64_t>(w) * bpp)
        return ErrCorrupt;
    int outBits = 0;
    if (bpp == 1 && planes == 1)
        outBits = 1;
    else if ((bpp == 1 && planes == 4) || (bpp == 4 && planes == 1))
        outBits = 4;
    else if (bpp == 8 && planes == 1)
        outBits = 8;
    else if (bpp == 8 && planes == 3)
        outBits = 24;
    else
        return ErrUnsupported;
    if (!checkedPixels(bpl, static_cast<std::int64_t>(h) * planes, 8))
        return ErrTooLarge;
    if (const std::int16_t sized = checkPictureSize(w, h, outBits, size); sized != kOk)
        return sized;
    DibBlock d = DibBlock::create(w, h, outBits);
    if (!d)
        return ErrNoMemory;
    const int hdpi = readLe16(data + 12);
    const int vdpi = readLe16(data + 14);
    if (hdpi > 0 && vdpi > 0)
        d.setResolution(static_cast<std::int32_t>(hdpi / 0.0254 + 0.5),
                        static_cast<std::int32_t>(vdpi / 0.0254 + 0.5));
    if (outBits == 1) {
        d.setColor(0, qRgb(0, 0, 0));
        d.setColor(1, qRgb(255, 255, 255));
    } else if (outBits == 4) {
        for (int i = 0; i < 16; ++i)
            d.setColor(i, qRgb(data[16 + 3 * i], data[17 + 3 * i], data[18 + 3 * i]));
    } else if (outBits == 8) {
        if (size >= 128 + 769 && data[size - 769] == 0x0C) {
            const std::uint8_t *p = data + size - 768;
            for (int i = 0; i < 256; ++i)
                d.setColor(i, qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
        } else {
            d.setColorTable(grayTable(256));
        }
    }
    const std::size_t lineBytes = static_cast<std::size_t>(bpl) * planes;
    std::vector<std::uint8_t> line(lineBytes);
    std::size_t pos = 128;
    const bool rle = data[2] == 1;
    for (int y = 0; y < h; ++y) {
        std::size_t filled = 0;
        while (filled < lineBytes) {
            if (pos >= size)
                return ErrCorrupt;
            std::uint8_t b = data[pos++];
            std::size_t count = 1;
            if (rle && (b & 0xC0) == 0xC0) {
                count = b & 0x3F;
                if (pos >= size)
                    return ErrCorrupt;
                b = data[pos++];
            }
            count = std::min(count, lineBytes - filled);
            std::memset(line.data() + filled, b, count);
            filled += count;
        }
        std::uint8_t *row = d.scanLine(y);
        if (outBits == 1 || (outBits == 8 && planes == 1)) {
            std::memcpy(row, line.data(), std::min<std::size_t>(d.rowBytes(), bpl));
        } else if (outBits == 24) {
            for (int x = 0; x < w; ++x) {
                row[3 * x] = line[2 * bpl + x];
                row[3 * x + 1] = line[bpl + x];
                row[3 * x + 2] = line[x];
            }
        } else if (bpp == 4) {
            std::memcpy(row, line.data(), std::min<std::size_t>(d.rowBytes(), bpl));
        } else {
            for (int x = 0; x < w; ++x) {
                int index = 0;
                for (int p = 0; p < 4; ++p)
                    index |= ((line[p * bpl + x / 8] >> (7 - (x & 7))) & 1) << p;
                setDibIndex(d, x, y, index);
            }
        }
    }
    out = std::move(d);
    return kOk;
}

namespace {

// A TGA file's pixels in file order, from plain or run-length packets; false when the data ends.
class TgaPixelReader {
public:
    TgaPixelReader(const std::uint8_t *data, std::size_t size, std::size_t pos, bool rle, int pixBytes)
        : m_data(data), m_size(size), m_pos(pos), m_rle(rle), m_pixBytes(pixBytes) {}

    bool next(std::uint8_t *px) {
        if (!m_rle)
            return copy(px);
        if (m_runLeft == 0) {
            if (m_pos >= m_size)
                return false;
            const int head = m_data[m_pos++];
            m_runLeft = (head & 0x7F) + 1;
            m_runIsRepeat = head & 0x80;
            if (m_runIsRepeat && !copy(m_packet))
                return false;
        }
        --m_runLeft;
        if (m_runIsRepeat) {
            std::memcpy(px, m_packet, m_pixBytes);
            return true;
        }
        return copy(px);
    }

private:
    bool copy(std::uint8_t *px) {
        if (m_pos + m_pixBytes > m_size)
            return false;
        std::memcpy(px, m_data + m_pos, m_pixBytes);
        m_pos += m_pixBytes;
        return true;
    }

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos;
    bool m_rle;
    int m_pixBytes;
    std::uint8_t m_packet[4] = {0, 0, 0, 0};
    int m_runLeft = 0;
    bool m_runIsRepeat = false;
};

// The colour map's entries (15/16-bit or 24/32-bit), read from `pos`, which moves past them.
std::int16_t readTgaColourMap(const std::uint8_t *data, std::size_t size, std::size_t &pos, int cmapFirst,
                              int cmapLen, int cmapBits, QVector<QRgb> &table) {
    const int entryBytes = (cmapBits + 7) / 8;
    if (entryBytes < 2 || entryBytes > 4 || cmapFirst + cmapLen > 256 + cmapFirst)
        return ErrUnsupported;
    if (pos + static_cast<std::size_t>(cmapLen) * entryBytes > size)
        return ErrCorrupt;
    for (int i = 0; i < cmapLen; ++i) {
        const std::uint8_t *e = data + pos + static_cast<std::size_t>(i) * entryBytes;
        if (entryBytes == 2) {
            const int v = readLe16(e);
            table.append(qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31));
        } else {
            table.append(qRgb(e[2], e[1], e[0]));
        }
    }
    pos += static_cast<std::size_t>(cmapLen) * entryBytes;
    return kOk;
}

// One file pixel into an output row: an index, a 5-5-5 colour widened to 8 bits a channel, or BGR.
void storeTgaPixel(std::uint8_t *row, int x, const std::uint8_t *px, int outBits, int pixBytes) {
    if (outBits == 8) {
        row[x] = px[0];
    } else if (pixBytes == 2) {
        const int v = px[0] | (px[1] << 8);
        row[3 * x] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
        row[3 * x + 1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 255 / 31);
        row[3 * x + 2] = static_cast<std::uint8_t>(((v >> 10) & 31) * 255 / 31);
    } else {
        std::memcpy(row + 3 * x, px, 3);
    }
}

} // namespace

std::int16_t decodeTga(const std::uint8_t *data, std::size_t size, DibBlock &out) {
    if (!data || size < 18)
        return ErrTooSmall;
    const int idLen = data[0];
    const int cmapType = data[1];
    const int type = data[2];
    const int cmapFirst = readLe16(data + 3);
    const int cmapLen = readLe16(data + 5);
    const int cmapBits = data[7];
    const int w = readLe16(data + 12);
    const int h = readLe16(data + 14);
    const int depth = data[16];
    const int desc = data[17];
    const bool rle = type >= 9;
    const int base = rle ? type - 8 : type;
    if (cmapType > 1 || (base != 1 && base != 2 && base != 3))
        return ErrUnsupported;
    if (w <= 0 || h <= 0)
        return ErrCorrupt;
    if ((base == 1 && depth != 8) || (base == 3 && depth != 8) ||
        (base == 2 && depth != 15 && depth != 16 && depth != 24 && depth != 32))
        return ErrUnsupported;
    const int outBits = base == 2 ? 24 : 8;
    if (const std::int16_t sized = checkPictureSize(w, h, outBits, size); sized != kOk)
        return sized;
    std::size_t pos = 18 + static_cast<std::size_t>(idLen);
    QVector<QRgb> table;
    if (cmapType == 1) {
        if (const std::int16_t read = readTgaColourMap(data, size, pos, cmapFirst, cmapLen, cmapBits, table);
            read != kOk)
            return read;
    }
    if (base == 1 && (table.isEmpty() || cmapFirst + table.size() > 256))
        return ErrCorrupt;
    DibBlock d = DibBlock::create(w, h, outBits);
    if (!d)
        return ErrNoMemory;
    if (base == 1) {
        QVector<QRgb> full(256, qRgb(0, 0, 0));
        for (int i = 0; i < table.size(); ++i)
            full[cmapFirst + i] = table[i];
        d.setColorTable(full);
    } else if (base == 3) {
        d.setColorTable(grayTable(256));
    }
    const int pixBytes = (depth + 7) / 8;
    const bool topOrigin = desc & 0x20;
    const bool rightToLeft = desc & 0x10;
    TgaPixelReader pixels(data, size, pos, rle, pixBytes);
    for (int y = 0; y < h; ++y) {
        std::uint8_t *row = d.scanLine(topOrigin ? y : h - 1 - y);
        for (int i = 0; i < w; ++i) {
            std::uint8_t px[4] = {0, 0, 0, 0};
            if (!pixels.next(px))
                return ErrCorrupt;
            storeTgaPixel(row, rightToLeft ? w - 1 - i : i, px, outBits, pixBytes);
        }
    }
    out = std::move(d);
    return kOk;
}

std::int16_t decodePcd(const std::uint8_t *data, std::size_t size, int mode, DibBlock &out) {
    // Base images are stored uncompressed: luma rows in pairs followed by one row each of the two
    // subsampled chroma planes, at sector offsets fixed by the format.
    static const struct {
        int w, h;
        std::size_t offset;
    } kBase[3] = {{192, 128, 0x2000}, {384, 256, 0xB800}, {768, 512, 0x30000}};
    if (mode < 0 || mode > 2)
        return ErrArgument;
    if (!data || size < 0x800 + 8)
        return ErrTooSmall;
    if (std::memcmp(data + 0x800, "PCD_IPI", 7) != 0)
        return ErrUnsupported;
    const auto &b = kBase[mode];
    const std::size_t need = b.offset + static_cast<std::size_t>(b.w) * b.h * 3 / 2;
    if (size < need)
        return ErrCorrupt;
    DibBlock d = DibBlock::create(b.w, b.h, 24);
    if (!d)
        return ErrNoMemory;
    const std::uint8_t *p = data + b.offset;
    for (int y = 0; y < b.h; y += 2) {
        const std::uint8_t *l0 = p;
        const std::uint8_t *l1 = p + b.w;
        const std::uint8_t *c1 = p + 2 * b.w;
        const std::uint8_t *c2 = c1 + b.w / 2;
        for (int k = 0; k < 2; ++k) {
            const std::uint8_t *luma = k ? l1 : l0;
            std::uint8_t *row = d.scanLine(y + k);
            for (int x = 0; x < b.w; ++x) {
                const double L = 1.3584 * luma[x];
                const double C1 = 2.2179 * (c1[x / 2] - 156);
                const double C2 = 1.8215 * (c2[x / 2] - 137);
                auto clamp = [](double v) {
                    return static_cast<std::uint8_t>(std::clamp(v * 255.0 / 346.0, 0.0, 255.0));
                };
                row[3 * x + 2] = clamp(L + C2);
                row[3 * x + 1] = clamp(L - 0.194 * C1 - 0.509 * C2);
                row[3 * x] = clamp(L + C1);
            }
        }
        p += static_cast<std::size_t>(b.w) * 3;
    }
    out = std::move(d);
    return kOk;
}

} // namespace orva::imageio
