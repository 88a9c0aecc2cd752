// Depth conversions between packed DIBs and the bridge to QImage for display.
#include "platform/imageio/DibConvert.h"

#include <cstring>

namespace orva::imageio {

int dibIndex(const DibBlock &dib, int x, int y) {
    const std::uint8_t *row = dib.scanLine(y);
    switch (dib.bitCount()) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4;
    case 8:
        return row[x];
    default:
        return 0;
    }
}

void setDibIndex(DibBlock &dib, int x, int y, int index) {
    std::uint8_t *row = dib.scanLine(y);
    switch (dib.bitCount()) {
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = index ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        std::uint8_t &b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (index & 0xF))
                    : static_cast<std::uint8_t>((b & 0x0F) | ((index & 0xF) << 4));
        break;
    }
    case 8:
        row[x] = static_cast<std::uint8_t>(index);
        break;
    default:
        break;
    }
}

QRgb dibPixel(const DibBlock &dib, int x, int y) {
    const std::uint8_t *row = dib.scanLine(y);
    switch (dib.bitCount()) {
    case 1:
    case 4:
    case 8:
        return dib.color(dibIndex(dib, x, y));
    case 16: {
        const std::uint16_t v = readLe16(row + 2 * x);
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return qRgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    case 24:
        return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 32:
        return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default:
        return 0;
    }
}

DibBlock convertDib(const DibBlock &src, int toBits) {
    const int from = src.bitCount();
    const bool ok = (from == 1 && (toBits == 4 || toBits == 8 || toBits == 24)) ||
                    (from == 4 && (toBits == 8 || toBits == 24)) ||
                    ((from == 8 || from == 16 || from == 32) && toBits == 24);
    if (src.isNull() || !ok)
        return {};
    DibBlock out = DibBlock::create(src.width(), src.height(), toBits);
    if (!out)
        return {};
    out.setResolution(src.xPelsPerMeter(), src.yPelsPerMeter());
    const int w = src.width();
    const int h = src.height();
    // Row by row with the colour table looked up once: a scanned page read at 24 bits goes through
    // here, and per-pixel access would cost most of a second.
    const auto indexAt = [from](const std::uint8_t *row, int x) -> int {
        if (from == 1)
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        if (from == 4)
            return (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4;
        return row[x];
    };
    if (toBits <= 8) {
        for (int i = 0; i < src.numColors(); ++i)
            out.setColor(i, src.color(i));
        for (int y = 0; y < h; ++y) {
            const std::uint8_t *in = src.scanLine(y);
            std::uint8_t *row = out.scanLine(y);
            for (int x = 0; x < w; ++x) {
                const int index = indexAt(in, x);
                if (toBits == 8)
                    row[x] = static_cast<std::uint8_t>(index);
                else if (x & 1)
                    row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (index & 0xF));
                else
                    row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | ((index & 0xF) << 4));
            }
        }
        return out;
    }
    std::uint8_t table[256][3] = {};
    if (from <= 8)
        for (int i = 0; i < (1 << from); ++i) {
            const QRgb c = src.color(i);
            table[i][0] = static_cast<std::uint8_t>(qBlue(c));
            table[i][1] = static_cast<std::uint8_t>(qGreen(c));
            table[i][2] = static_cast<std::uint8_t>(qRed(c));
        }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *in = src.scanLine(y);
        std::uint8_t *row = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            std::uint8_t *o = row + 3 * x;
            if (from <= 8) {
                const std::uint8_t *c = table[indexAt(in, x)];
                o[0] = c[0];
                o[1] = c[1];
                o[2] = c[2];
            } else if (from == 16) {
                const std::uint16_t v = readLe16(in + 2 * x);
                const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                o[0] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
                o[1] = static_cast<std::uint8_t>((g << 3) | (g >> 2));
                o[2] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
            } else {
                o[0] = in[4 * x];
                o[1] = in[4 * x + 1];
                o[2] = in[4 * x + 2];
            }
        }
    }
    return out;
}

DibBlock ConvertDib1To4(const DibBlock &src) {
    return src.bitCount() == 1 ? convertDib(src, 4) : DibBlock();
}
DibBlock ConvertDib1To8(const DibBlock &src) {
    return src.bitCount() == 1 ? convertDib(src, 8) : DibBlock();
}
DibBlock ConvertDib1To24(const DibBlock &src) {
    return src.bitCount() == 1 ? convertDib(src, 24) : DibBlock();
}
DibBlock ConvertDib4To8(const DibBlock &src) {
    return src.bitCount() == 4 ? convertDib(src, 8) : DibBlock();
}
DibBlock ConvertDib4To24(const DibBlock &src) {
    return src.bitCount() == 4 ? convertDib(src, 24) : DibBlock();
}
DibBlock ConvertDib8To24(const DibBlock &src) {
    return src.bitCount() == 8 ? convertDib(src, 24) : DibBlock();
}
DibBlock ConvertDib16To24(const DibBlock &src) {
    return src.bitCount() == 16 ? convertDib(src, 24) : DibBlock();
}
DibBlock ConvertDib32To24(const DibBlock &src) {
    return src.bitCount() == 32 ? convertDib(src, 24) : DibBlock();
}
DibBlock DllCopyDib(const DibBlock &src) {
    return src.copy();
}

QImage dibToQImage(const DibBlock &dib) {
    if (dib.isNull() || dib.compression() != 0)
        return {};
    const int w = dib.width();
    const int h = dib.height();
    const int bits = dib.bitCount();
    QImage::Format format = QImage::Format_RGB32;
    if (bits == 1)
        format = QImage::Format_Mono;
    else if (bits == 4 || bits == 8)
        format = QImage::Format_Indexed8;
    else if (bits == 24)
        format = QImage::Format_RGB888;
    QImage image(w, h, format);
    if (image.isNull())
        return {};
    if (bits <= 8) {
        QVector<QRgb> table = dib.colorTable();
        for (QRgb &c : table)
            c |= 0xFF000000u;
        // Pixels may index past a short table; pad so they show black instead of failing.
        while (table.size() < (1 << bits))
            table.append(qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *in = dib.scanLine(y);
        uchar *out = image.scanLine(y);
        switch (bits) {
        case 1:
            std::memcpy(out, in, static_cast<std::size_t>((w + 7) / 8));
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                out[x] = (x & 1) ? in[x >> 1] & 0xF : in[x >> 1] >> 4;
            break;
        case 8:
            std::memcpy(out, in, static_cast<std::size_t>(w));
            break;
        case 24:
            for (int x = 0; x < w; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
            break;
        default: {
            auto *px = reinterpret_cast<QRgb *>(out);
            for (int x = 0; x < w; ++x)
                px[x] = dibPixel(dib, x, y);
        }
        }
    }
    const int xppm = dib.xPelsPerMeter();
    const int yppm = dib.yPelsPerMeter();
    if (xppm > 0 && yppm > 0) {
        image.setDotsPerMeterX(xppm);
        image.setDotsPerMeterY(yppm);
    }
    return image;
}

DibBlock qimageToDib(const QImage &source) {
    if (source.isNull())
        return {};
    QImage image = source;
    int bits = 24;
    if (image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(QImage::Format_Mono);
    if (image.format() == QImage::Format_Mono)
        bits = 1;
    else if (image.format() == QImage::Format_Indexed8)
        bits = 8;
    else
        image = image.convertToFormat(QImage::Format_RGB888);
    const int colors = bits <= 8 ? std::max<int>(1, static_cast<int>(image.colorCount())) : 0;
    DibBlock dib = DibBlock::create(image.width(), image.height(), bits, bits <= 8 ? colors : 0);
    if (!dib)
        return {};
    if (bits <= 8)
        dib.setColorTable(image.colorTable());
    if (image.dotsPerMeterX() > 0)
        dib.setResolution(image.dotsPerMeterX(), image.dotsPerMeterY());
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar *in = image.constScanLine(y);
        std::uint8_t *out = dib.scanLine(y);
        if (bits == 1) {
            std::memcpy(out, in, static_cast<std::size_t>((w + 7) / 8));
        } else if (bits == 8) {
            std::memcpy(out, in, static_cast<std::size_t>(w));
        } else {
            for (int x = 0; x < w; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
        }
    }
    return dib;
}

} // namespace orva::imageio
