// The pixel routines of our image-effects engine that the image controls use.
#include "platform/fxlib/FxEngine.h"

#include "platform/imageio/DibConvert.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace orva::fxlib {

using namespace orva::imageio;

namespace {

constexpr std::array<std::uint32_t, 256> kBitCount = [] {
    std::array<std::uint32_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<std::uint32_t>(std::popcount(static_cast<unsigned>(i)));
    return t;
}();

int grayOf(QRgb c) {
    return (qRed(c) * 77 + qGreen(c) * 150 + qBlue(c) * 29) >> 8;
}

// Gray values of one top-down row, through a table for palette pictures.
class GrayRows {
public:
    explicit GrayRows(const DibBlock &dib) : m_dib(dib) {
        for (int i = 0; i < dib.numColors() && i < 256; ++i)
            m_lut[i] = static_cast<std::uint8_t>(grayOf(dib.color(i)));
    }
    void row(int y, std::uint8_t *out) const {
        const int w = m_dib.width();
        const std::uint8_t *in = m_dib.scanLine(y);
        switch (m_dib.bitCount()) {
        case 1:
            for (int x = 0; x < w; ++x)
                out[x] = m_lut[(in[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                out[x] = m_lut[(x & 1) ? in[x >> 1] & 0xF : in[x >> 1] >> 4];
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                out[x] = m_lut[in[x]];
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<std::uint8_t>(
                    (in[3 * x + 2] * 77 + in[3 * x + 1] * 150 + in[3 * x] * 29) >> 8);
            break;
        case 32:
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<std::uint8_t>(
                    (in[4 * x + 2] * 77 + in[4 * x + 1] * 150 + in[4 * x] * 29) >> 8);
            break;
        default:
            for (int x = 0; x < w; ++x)
                out[x] = static_cast<std::uint8_t>(grayOf(dibPixel(m_dib, x, y)));
        }
    }

private:
    const DibBlock &m_dib;
    std::array<std::uint8_t, 256> m_lut{};
};

// Source span [first, last) of destination index i when n source pixels map onto m.
inline int spanStart(int i, int n, int m) {
    return static_cast<int>(static_cast<std::int64_t>(i) * n / m);
}
inline int spanEnd(int i, int n, int m) {
    return std::max(spanStart(i, n, m) + 1, static_cast<int>((static_cast<std::int64_t>(i) + 1) * n / m));
}

inline int indexAt(const std::uint8_t *row, int x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

inline void setIndexAt(std::uint8_t *row, int x, int bits, int v) {
    switch (bits) {
    case 1: {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] =
            v ? static_cast<std::uint8_t>(row[x >> 3] | bit) : static_cast<std::uint8_t>(row[x >> 3] & ~bit);
        break;
    }
    case 4:
        row[x >> 1] = (x & 1) ? static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (v & 0xF))
                              : static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | ((v & 0xF) << 4));
        break;
    default:
        row[x] = static_cast<std::uint8_t>(v);
    }
}

// Row pointers, top row first.
std::vector<const std::uint8_t *> rowsOf(const DibBlock &dib) {
    std::vector<const std::uint8_t *> rows(static_cast<std::size_t>(dib.height()));
    for (int y = 0; y < dib.height(); ++y)
        rows[static_cast<std::size_t>(y)] = dib.scanLine(y);
    return rows;
}

bool tick(const Progress &progress, int y, int h) {
    const int band = std::max(1, h / 50);
    return y % band != 0 || progress.step(static_cast<int>(static_cast<std::int64_t>(y) * 100 / h));
}

// The output's resolution follows the scale, so that the picture keeps its size on paper.
void scaleResolution(DibBlock &out, const DibBlock &dib, int width, int height) {
    out.setResolution(
        static_cast<std::int32_t>(static_cast<std::int64_t>(dib.xPelsPerMeter()) * width / dib.width()),
        static_cast<std::int32_t>(static_cast<std::int64_t>(dib.yPelsPerMeter()) * height / dib.height()));
}

} // namespace

DibBlock ScaleDib(const DibBlock &dib, int width, int height, const Progress &progress) {
    const int bits = dib.bitCount();
    if (dib.isNull() || width <= 0 || height <= 0 || (bits != 24 && bits != 32))
        return {};
    const int sw = dib.width();
    const int sh = dib.height();
    const int px = bits / 8;
    DibBlock out = DibBlock::create(width, height, bits);
    if (!out || !progress.step(0))
        return {};
    scaleResolution(out, dib, width, height);
    const bool down = width <= sw && height <= sh;
    std::vector<std::uint32_t> acc(static_cast<std::size_t>(width) * px);
    for (int y = 0; y < height; ++y) {
        std::uint8_t *dst = out.scanLine(y);
        if (down) {
            std::fill(acc.begin(), acc.end(), 0);
            const int y0 = spanStart(y, sh, height), y1 = spanEnd(y, sh, height);
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint8_t *src = dib.scanLine(sy);
                for (int x = 0; x < width; ++x) {
                    const int x0 = spanStart(x, sw, width), x1 = spanEnd(x, sw, width);
                    for (int sx = x0; sx < x1; ++sx)
                        for (int k = 0; k < px; ++k)
                            acc[static_cast<std::size_t>(x) * px + k] += src[sx * px + k];
                }
            }
            for (int x = 0; x < width; ++x) {
                const std::uint32_t n =
                    static_cast<std::uint32_t>((spanEnd(x, sw, width) - spanStart(x, sw, width)) * (y1 - y0));
                for (int k = 0; k < px; ++k)
                    dst[x * px + k] =
                        static_cast<std::uint8_t>((acc[static_cast<std::size_t>(x) * px + k] + n / 2) / n);
            }
        } else {
            const double fy = std::clamp((y + 0.5) * sh / height - 0.5, 0.0, sh - 1.0);
            const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, sh - 1);
            const double wy = fy - y0;
            const std::uint8_t *r0 = dib.scanLine(y0);
            const std::uint8_t *r1 = dib.scanLine(y1);
            for (int x = 0; x < width; ++x) {
                const double fx = std::clamp((x + 0.5) * sw / width - 0.5, 0.0, sw - 1.0);
                const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, sw - 1);
                const double wx = fx - x0;
                for (int k = 0; k < px; ++k) {
                    const double top = r0[x0 * px + k] * (1 - wx) + r0[x1 * px + k] * wx;
                    const double bottom = r1[x0 * px + k] * (1 - wx) + r1[x1 * px + k] * wx;
                    dst[x * px + k] = static_cast<std::uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
                }
            }
        }
        if (!tick(progress, y, height))
            return {};
    }
    if (!progress.step(100))
        return {};
    return out;
}

namespace {

// A scaled copy at the source's depth, nearest pixel; used to make pixels square.
DibBlock scaledCopy(const DibBlock &dib, int width, int height, const Progress &progress) {
    const int sw = dib.width();
    const int sh = dib.height();
    DibBlock out = DibBlock::create(width, height, dib.bitCount(), dib.numColors());
    if (!out || !progress.step(0))
        return {};
    out.setColorTable(dib.colorTable());
    scaleResolution(out, dib, width, height);
    const int bytes = dib.bitCount() / 8;
    for (int y = 0; y < height; ++y) {
        const int sy = std::min(sh - 1, static_cast<int>(static_cast<std::int64_t>(y) * sh / height));
        const std::uint8_t *src = dib.scanLine(sy);
        std::uint8_t *dst = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int sx = std::min(sw - 1, static_cast<int>(static_cast<std::int64_t>(x) * sw / width));
            if (bytes >= 2)
                std::memcpy(dst + x * bytes, src + sx * bytes, static_cast<std::size_t>(bytes));
            else
                setDibIndex(out, x, y, dibIndex(dib, sx, sy));
        }
        if (!tick(progress, y, height))
            return {};
    }
    return progress.step(100) ? std::move(out) : DibBlock();
}

// Each output pixel the mean gray of the source pixels it covers; false when progress asks to stop.
bool averageGray(const DibBlock &dib, int width, int height, std::vector<std::uint8_t> &gray,
                 const Progress &progress) {
    const int sw = dib.width();
    const int sh = dib.height();
    GrayRows rows(dib);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(sw));
    std::vector<std::uint32_t> acc(static_cast<std::size_t>(width));
    std::vector<int> x0(static_cast<std::size_t>(width)), x1(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        x0[x] = spanStart(x, sw, width);
        x1[x] = spanEnd(x, sw, width);
    }
    const bool mono = dib.bitCount() == 1;
    const std::size_t rowBytes = dib.rowBytes();
    std::vector<std::uint32_t> prefix(rowBytes + 1, 0);
    const std::uint32_t lut0 = static_cast<std::uint32_t>(grayOf(dib.color(0)));
    const std::uint32_t lut1 = static_cast<std::uint32_t>(grayOf(dib.color(1)));
    for (int y = 0; y < height; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        const int y0 = spanStart(y, sh, height), y1 = spanEnd(y, sh, height);
        if (mono) {
            // 1-bit rows: count the set pixels of each span from per-byte prefix counts.
            for (int sy = y0; sy < y1; ++sy) {
                const std::uint8_t *bitsRow = dib.scanLine(sy);
                for (std::size_t b = 0; b < rowBytes; ++b)
                    prefix[b + 1] = prefix[b] + kBitCount[bitsRow[b]];
                auto onesBefore = [&](int p) {
                    const int b = p >> 3, r = p & 7;
                    return prefix[b] + (r ? kBitCount[bitsRow[b] >> (8 - r)] : 0u);
                };
                for (int x = 0; x < width; ++x)
                    acc[x] += onesBefore(x1[x]) - onesBefore(x0[x]);
            }
            for (int x = 0; x < width; ++x) {
                const std::uint32_t n = static_cast<std::uint32_t>((x1[x] - x0[x]) * (y1 - y0));
                const std::uint32_t sum = acc[x] * lut1 + (n - acc[x]) * lut0;
                gray[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>((sum + n / 2) / n);
            }
        } else {
            for (int sy = y0; sy < y1; ++sy) {
                rows.row(sy, line.data());
                for (int x = 0; x < width; ++x) {
                    std::uint32_t sum = 0;
                    for (int sx = x0[x]; sx < x1[x]; ++sx)
                        sum += line[sx];
                    acc[x] += sum;
                }
            }
            for (int x = 0; x < width; ++x) {
                const std::uint32_t n = static_cast<std::uint32_t>((x1[x] - x0[x]) * (y1 - y0));
                gray[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint8_t>((acc[x] + n / 2) / n);
            }
        }
        if (!tick(progress, y, height))
            return false;
    }
    return true;
}

// A 3 x 3 blur weighted towards the centre, over the pixels inside the picture.
void smoothGray(std::vector<std::uint8_t> &gray, int width, int height) {
    const std::vector<std::uint8_t> src = gray;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int sum = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int yy = y + dy, xx = x + dx;
                    if (yy < 0 || yy >= height || xx < 0 || xx >= width)
                        continue;
                    const int weight = (dx == 0 ? 2 : 1) * (dy == 0 ? 2 : 1);
                    sum += src[static_cast<std::size_t>(yy) * width + xx] * weight;
                    n += weight;
                }
            gray[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>((sum + n / 2) / n);
        }
}

// The gray values into the output's rows: one byte each, or two 4-bit levels to a byte.
void storeGray(DibBlock &out, const std::vector<std::uint8_t> &gray, int width, int height, int bits) {
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *g = gray.data() + static_cast<std::size_t>(y) * width;
        if (bits == 8) {
            std::memcpy(out.scanLine(y), g, static_cast<std::size_t>(width));
            continue;
        }
        std::uint8_t *row = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int level = (g[x] * 15 + 127) / 255;
            row[x >> 1] = (x & 1) ? static_cast<std::uint8_t>(row[x >> 1] | level)
                                  : static_cast<std::uint8_t>(level << 4);
        }
    }
}

} // namespace

DibBlock ScaleToGray(const DibBlock &dib, int levels, bool smooth, int width, int height,
                     const Progress &progress) {
    if (dib.isNull() || width <= 0 || height <= 0 || dib.compression() != 0)
        return {};
    if (levels == 0)
        return scaledCopy(dib, width, height, progress);
    if (levels != 16 && levels != 256)
        return {};
    const int bits = levels == 16 ? 4 : 8;
    DibBlock out = DibBlock::create(width, height, bits);
    if (!out || !progress.step(0))
        return {};
    for (int i = 0; i < levels; ++i) {
        const int v = i * 255 / (levels - 1);
        out.setColor(i, qRgb(v, v, v));
    }
    scaleResolution(out, dib, width, height);
    std::vector<std::uint8_t> gray(static_cast<std::size_t>(width) * height);
    if (!averageGray(dib, width, height, gray, progress))
        return {};
    if (smooth)
        smoothGray(gray, width, height);
    storeGray(out, gray, width, height, bits);
    return progress.step(100) ? std::move(out) : DibBlock();
}

namespace {

// Exact quarter turns of the whole picture at any depth.
DibBlock quarterTurn(const DibBlock &dib, int quarters, const Progress &progress) {
    const int w = dib.width(), h = dib.height(), bits = dib.bitCount();
    const bool swap = quarters % 2 == 1;
    DibBlock out = DibBlock::create(swap ? h : w, swap ? w : h, bits, bits <= 8 ? dib.numColors() : 0);
    if (!out)
        return {};
    if (bits <= 8)
        out.setColorTable(dib.colorTable());
    out.setResolution(swap ? dib.yPelsPerMeter() : dib.xPelsPerMeter(),
                      swap ? dib.xPelsPerMeter() : dib.yPelsPerMeter());
    const int ow = out.width(), oh = out.height();
    const int bytes = bits / 8;
    const auto src = rowsOf(dib);
    for (int y = 0; y < oh; ++y) {
        std::uint8_t *dst = out.scanLine(y);
        for (int x = 0; x < ow; ++x) {
            // Counter-clockwise: output (x, y) comes from source (w-1-y, x) for one quarter.
            int sx = x, sy = y;
            switch (quarters) {
            case 1:
                sx = w - 1 - y;
                sy = x;
                break;
            case 2:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 3:
                sx = y;
                sy = h - 1 - x;
                break;
            default:
                break;
            }
            if (bits <= 8)
                setIndexAt(dst, x, bits, indexAt(src[static_cast<std::size_t>(sy)], sx, bits));
            else
                std::memcpy(dst + x * bytes, src[static_cast<std::size_t>(sy)] + sx * bytes,
                            static_cast<std::size_t>(bytes));
        }
        if (!tick(progress, y, oh))
            return {};
    }
    return out;
}

int nearestIndex(const DibBlock &dib, QRgb c) {
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < dib.numColors(); ++i) {
        const QRgb p = dib.color(i);
        const long dr = qRed(c) - qRed(p), dg = qGreen(c) - qGreen(p), db = qBlue(c) - qBlue(p);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDist < 0 || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

} // namespace

DibBlock VisRotate(const DibBlock &dib, double angle, const QRect &area, QRgb fill,
                   const Progress &progress) {
    if (dib.isNull() || dib.compression() != 0 || !std::isfinite(angle))
        return {};
    const QRect whole(0, 0, dib.width(), dib.height());
    const QRect a = area.intersected(whole);
    if (a.isEmpty())
        return {};
    if (!progress.step(0))
        return {};
    double turns = std::fmod(angle, 360.0);
    if (turns < 0)
        turns += 360.0;
    const double quarters = turns / 90.0;
    if (a == whole && std::fabs(quarters - std::round(quarters)) < 1e-9) {
        DibBlock out = quarterTurn(dib, static_cast<int>(std::lround(quarters)) % 4, progress);
        return out && progress.step(100) ? std::move(out) : DibBlock();
    }
    DibBlock out = dib.copy();
    if (!out)
        return {};
    const int bits = dib.bitCount();
    const double rad = angle * std::numbers::pi / 180.0;
    const double c = std::cos(rad), s = std::sin(rad);
    const double cx = a.left() + a.width() / 2.0, cy = a.top() + a.height() / 2.0;
    const int fillIndex = bits <= 8 ? nearestIndex(dib, fill) : 0;
    const int bytes = bits / 8;
    const auto src = rowsOf(dib);
    for (int y = a.top(); y <= a.bottom(); ++y) {
        std::uint8_t *dst = out.scanLine(y);
        for (int x = a.left(); x <= a.right(); ++x) {
            // Inverse mapping; screen y grows downwards, so counter-clockwise flips the sine's sign.
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double sxf = c * dx - s * dy + cx - 0.5;
            const double syf = s * dx + c * dy + cy - 0.5;
            const bool inside = sxf > a.left() - 0.5 && sxf < a.right() + 0.5 && syf > a.top() - 0.5 &&
                                syf < a.bottom() + 0.5;
            if (bits <= 8) {
                const int sx = static_cast<int>(std::lround(sxf)), sy = static_cast<int>(std::lround(syf));
                setIndexAt(dst, x, bits,
                           inside && a.contains(sx, sy) ? indexAt(src[static_cast<std::size_t>(sy)], sx, bits)
                                                        : fillIndex);
                continue;
            }
            if (!inside) {
                if (bits == 16) {
                    writeLe16(dst + 2 * x,
                              static_cast<std::uint16_t>(((qRed(fill) >> 3) << 10) |
                                                         ((qGreen(fill) >> 3) << 5) | (qBlue(fill) >> 3)));
                } else {
                    dst[x * bytes] = static_cast<std::uint8_t>(qBlue(fill));
                    dst[x * bytes + 1] = static_cast<std::uint8_t>(qGreen(fill));
                    dst[x * bytes + 2] = static_cast<std::uint8_t>(qRed(fill));
                }
                continue;
            }
            if (bits == 16) {
                const int sx = std::clamp(static_cast<int>(std::lround(sxf)), a.left(), a.right());
                const int sy = std::clamp(static_cast<int>(std::lround(syf)), a.top(), a.bottom());
                std::memcpy(dst + 2 * x, src[static_cast<std::size_t>(sy)] + 2 * sx, 2);
                continue;
            }
            const double fx = std::clamp(sxf, double(a.left()), double(a.right()));
            const double fy = std::clamp(syf, double(a.top()), double(a.bottom()));
            const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
            const int x1 = std::min(x0 + 1, a.right()), y1 = std::min(y0 + 1, a.bottom());
            const double wx = fx - x0, wy = fy - y0;
            const std::uint8_t *r0 = src[static_cast<std::size_t>(y0)],
                               *r1 = src[static_cast<std::size_t>(y1)];
            for (int k = 0; k < bytes; ++k) {
                const double top = r0[x0 * bytes + k] * (1 - wx) + r0[x1 * bytes + k] * wx;
                const double bottom = r1[x0 * bytes + k] * (1 - wx) + r1[x1 * bytes + k] * wx;
                dst[x * bytes + k] = static_cast<std::uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
            }
        }
        if (!tick(progress, y - a.top(), a.height()))
            return {};
    }
    return progress.step(100) ? std::move(out) : DibBlock();
}

bool VisInvert(DibBlock &dib) {
    if (dib.isNull() || dib.compression() != 0)
        return false;
    const int bits = dib.bitCount();
    if (bits <= 8) {
        for (int i = 0; i < dib.numColors(); ++i)
            dib.setColor(i, dib.color(i) ^ 0x00FFFFFF);
        return true;
    }
    const int w = dib.width();
    for (int y = 0; y < dib.height(); ++y) {
        std::uint8_t *row = dib.scanLine(y);
        if (bits == 16) {
            for (int x = 0; x < w; ++x)
                writeLe16(row + 2 * x, static_cast<std::uint16_t>(readLe16(row + 2 * x) ^ 0x7FFF));
        } else if (bits == 24) {
            for (int i = 0; i < 3 * w; ++i)
                row[i] = static_cast<std::uint8_t>(~row[i]);
        } else {
            for (int x = 0; x < w; ++x)
                for (int k = 0; k < 3; ++k)
                    row[4 * x + k] = static_cast<std::uint8_t>(~row[4 * x + k]);
        }
    }
    return true;
}

int autoThreshold(const DibBlock &dib) {
    std::array<std::uint64_t, 256> hist{};
    GrayRows rows(dib);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(dib.width()));
    const int step = std::max(1, dib.height() / 512);
    for (int y = 0; y < dib.height(); y += step) {
        rows.row(y, line.data());
        for (std::uint8_t g : line)
            ++hist[g];
    }
    std::uint64_t total = 0;
    double sum = 0;
    for (int i = 0; i < 256; ++i) {
        total += hist[i];
        sum += static_cast<double>(i) * hist[i];
    }
    double sumB = 0, best = -1;
    std::uint64_t wB = 0;
    int threshold = 128;
    for (int t = 0; t < 256; ++t) {
        wB += hist[t];
        if (wB == 0)
            continue;
        const std::uint64_t wF = total - wB;
        if (wF == 0)
            break;
        sumB += static_cast<double>(t) * hist[t];
        const double mB = sumB / wB, mF = (sum - sumB) / wF;
        const double between = static_cast<double>(wB) * wF * (mB - mF) * (mB - mF);
        if (between > best) {
            best = between;
            threshold = t + 1;
        }
    }
    return threshold;
}

double tdeskew(const DibBlock &dib, const DeskewOptions &options, bool *ok, const Progress &progress) {
    if (ok)
        *ok = false;
    if (dib.isNull() || dib.compression() != 0 || !progress.step(0))
        return 0;
    const int sub = std::clamp(options.subsampling, 1, 64);
    const int threshold = options.grayValue > 0 ? options.grayValue : autoThreshold(dib);
    // Ink pixels, sampled so that the search stays fast on whole pages.
    std::vector<std::pair<float, float>> ink;
    GrayRows rows(dib);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(dib.width()));
    for (int y = 0; y < dib.height(); y += sub) {
        rows.row(y, line.data());
        for (int x = 0; x < dib.width(); x += sub)
            if (line[x] < threshold)
                ink.emplace_back(static_cast<float>(x), static_cast<float>(y));
    }
    if (ink.size() < 16)
        return 0;
    const std::size_t cap = 400000;
    if (ink.size() > cap) {
        const std::size_t stride = (ink.size() + cap - 1) / cap;
        std::vector<std::pair<float, float>> kept;
        for (std::size_t i = 0; i < ink.size(); i += stride)
            kept.push_back(ink[i]);
        ink.swap(kept);
    }
    const double bin = std::max(1.0, options.lineResolution) / 4.0 * sub;
    const double diagonal = std::hypot(dib.width(), dib.height());
    const int bins = static_cast<int>(2 * diagonal / bin) + 4;
    std::vector<std::uint32_t> profile(static_cast<std::size_t>(bins));
    auto score = [&](double degrees) {
        const double rad = degrees * std::numbers::pi / 180.0;
        const double c = std::cos(rad), s = std::sin(rad);
        std::fill(profile.begin(), profile.end(), 0);
        // A line skewed counter-clockwise by the angle is level after turning it back: y' = y c + x s.
        for (const auto &[x, y] : ink) {
            const int b = static_cast<int>((y * c + x * s + diagonal) / bin);
            if (b >= 0 && b < bins)
                ++profile[static_cast<std::size_t>(b)];
        }
        double sum = 0;
        for (std::uint32_t v : profile)
            sum += static_cast<double>(v) * v;
        return sum;
    };
    const double half = std::clamp(options.range / 2.0, 0.5, 45.0);
    const double finest = std::clamp(options.angleResolution, 0.01, 1.0);
    double step = std::min(0.5, half / 4);
    double best = 0, bestScore = -1;
    int done = 0;
    const int coarse = static_cast<int>(2 * half / step) + 1;
    for (int i = 0; i < coarse; ++i) {
        const double a = -half + i * step;
        const double sc = score(a);
        if (sc > bestScore) {
            bestScore = sc;
            best = a;
        }
        if (++done % 16 == 0 && !progress.step(done * 80 / coarse))
            return 0;
    }
    while (step > finest) {
        step /= 2;
        const double centre = best;
        for (double a : {centre - step, centre + step}) {
            const double sc = score(a);
            if (sc > bestScore) {
                bestScore = sc;
                best = a;
            }
        }
    }
    if (!progress.step(100))
        return 0;
    if (ok)
        *ok = true;
    return std::round(best / finest) * finest;
}

DibBlock CropAutoDib(const DibBlock &dib, int tolerance, const Progress &progress) {
    if (dib.isNull() || dib.compression() != 0 || !progress.step(0))
        return {};
    const int w = dib.width(), h = dib.height();
    const int tol = std::clamp(tolerance > 0 ? tolerance : 48, 0, 255);
    GrayRows rows(dib);
    std::vector<std::uint8_t> gray(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        rows.row(y, gray.data() + static_cast<std::size_t>(y) * w);
    auto at = [&](int x, int y) { return gray[static_cast<std::size_t>(y) * w + x]; };
    // The border colour: the darkest corner, as scanner lids and platens show dark or uniform.
    const int corners[4] = {at(0, 0), at(w - 1, 0), at(0, h - 1), at(w - 1, h - 1)};
    const int border = *std::min_element(corners, corners + 4);
    auto isBorder = [&](int v) { return std::abs(v - border) <= tol; };
    // A line belongs to the border while at most 2% of it differs from the border colour.
    auto rowIsBorder = [&](int y, int x0, int x1) {
        int off = 0;
        for (int x = x0; x < x1; ++x)
            off += !isBorder(at(x, y));
        return off * 50 <= (x1 - x0);
    };
    auto colIsBorder = [&](int x, int y0, int y1) {
        int off = 0;
        for (int y = y0; y < y1; ++y)
            off += !isBorder(at(x, y));
        return off * 50 <= (y1 - y0);
    };
    int top = 0, bottom = h, left = 0, right = w;
    while (top < bottom && rowIsBorder(top, 0, w))
        ++top;
    while (bottom > top && rowIsBorder(bottom - 1, 0, w))
        --bottom;
    while (left < right && colIsBorder(left, top, bottom))
        ++left;
    while (right > left && colIsBorder(right - 1, top, bottom))
        --right;
    if (top >= bottom || left >= right || !progress.step(50))
        return {};
    const int bits = dib.bitCount();
    DibBlock out = DibBlock::create(right - left, bottom - top, bits, bits <= 8 ? dib.numColors() : 0);
    if (!out)
        return {};
    if (bits <= 8)
        out.setColorTable(dib.colorTable());
    out.setResolution(dib.xPelsPerMeter(), dib.yPelsPerMeter());
    for (int y = top; y < bottom; ++y) {
        if (bits >= 8) {
            const int bytes = bits / 8;
            std::memcpy(out.scanLine(y - top), dib.scanLine(y) + left * bytes,
                        static_cast<std::size_t>(right - left) * bytes);
            continue;
        }
        const std::uint8_t *in = dib.scanLine(y);
        std::uint8_t *dst = out.scanLine(y - top);
        for (int x = left; x < right; ++x)
            setIndexAt(dst, x - left, bits, indexAt(in, x, bits));
    }
    return progress.step(100) ? std::move(out) : DibBlock();
}

} // namespace orva::fxlib
