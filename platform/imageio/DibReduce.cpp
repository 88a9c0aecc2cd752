// Colour reduction of packed DIBs to 1, 4, 8 or 16 bits: exact tables when the colours fit, gray
// levels for gray pictures, median cut otherwise; nearest colour, ordered or error-diffusion dither.
#include "platform/imageio/DibReduce.h"

#include "platform/imageio/DibConvert.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace orva::imageio {

namespace {

int gray(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114 + 500) / 1000;
}

struct Target {
    QVector<QRgb> table;
    QHash<QRgb, int> exact;
    enum Kind { Exact, Gray, Lut } kind = Lut;
    int grayLevels = 0;
    std::vector<std::uint8_t> lut; // 15-bit colour to nearest table index

    int nearest(QRgb c) const {
        switch (kind) {
        case Exact:
            return exact.value(c & 0xFFFFFF, 0);
        case Gray:
            return std::clamp((gray(c) * (grayLevels - 1) + 127) / 255, 0, grayLevels - 1);
        case Lut:
            break;
        }
        return lut[((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)];
    }

    void buildLut() {
        lut.resize(32768);
        for (int i = 0; i < 32768; ++i) {
            const int r = ((i >> 10) << 3) | 4, g = (((i >> 5) & 31) << 3) | 4, b = ((i & 31) << 3) | 4;
            int best = 0;
            long bestDist = -1;
            for (int k = 0; k < table.size(); ++k) {
                const long dr = r - qRed(table[k]), dg = g - qGreen(table[k]), db = b - qBlue(table[k]);
                const long d = dr * dr + dg * dg + db * db;
                if (bestDist < 0 || d < bestDist) {
                    best = k;
                    bestDist = d;
                }
            }
            lut[i] = static_cast<std::uint8_t>(best);
        }
    }
};

struct Bin {
    std::uint16_t colour; // 5-5-5
    std::uint32_t count;
    int channel(int c) const { return (colour >> (10 - 5 * c)) & 31; }
};

QVector<QRgb> medianCut(std::vector<Bin> bins, int maxColors) {
    struct Box {
        std::size_t begin, end;
    };
    std::vector<Box> boxes{{0, bins.size()}};
    while (static_cast<int>(boxes.size()) < maxColors) {
        int pick = -1, axis = 0, bestSpan = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            for (int c = 0; c < 3; ++c) {
                int lo = 31, hi = 0;
                for (std::size_t k = boxes[i].begin; k < boxes[i].end; ++k) {
                    lo = std::min(lo, bins[k].channel(c));
                    hi = std::max(hi, bins[k].channel(c));
                }
                if (hi - lo > bestSpan) {
                    bestSpan = hi - lo;
                    pick = static_cast<int>(i);
                    axis = c;
                }
            }
        }
        if (pick < 0)
            break;
        Box box = boxes[pick];
        std::sort(bins.begin() + static_cast<long>(box.begin), bins.begin() + static_cast<long>(box.end),
                  [axis](const Bin &a, const Bin &b) { return a.channel(axis) < b.channel(axis); });
        std::uint64_t total = 0;
        for (std::size_t k = box.begin; k < box.end; ++k)
            total += bins[k].count;
        std::uint64_t run = 0;
        std::size_t cut = box.begin + 1;
        for (std::size_t k = box.begin; k < box.end - 1; ++k) {
            run += bins[k].count;
            cut = k + 1;
            if (run * 2 >= total)
                break;
        }
        boxes[pick] = {box.begin, cut};
        boxes.push_back({cut, box.end});
    }
    QVector<QRgb> table;
    for (const Box &box : boxes) {
        std::uint64_t n = 0, r = 0, g = 0, b = 0;
        for (std::size_t k = box.begin; k < box.end; ++k) {
            n += bins[k].count;
            r += static_cast<std::uint64_t>(bins[k].channel(0) * 8 + 4) * bins[k].count;
            g += static_cast<std::uint64_t>(bins[k].channel(1) * 8 + 4) * bins[k].count;
            b += static_cast<std::uint64_t>(bins[k].channel(2) * 8 + 4) * bins[k].count;
        }
        if (n)
            table.append(qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)));
    }
    if (table.isEmpty())
        table.append(qRgb(0, 0, 0));
    return table;
}

Target grayTarget(int levels) {
    Target t;
    t.kind = Target::Gray;
    t.grayLevels = levels;
    for (int i = 0; i < levels; ++i) {
        const int v = i * 255 / (levels - 1);
        t.table.append(qRgb(v, v, v));
    }
    return t;
}

Target chooseTarget(const DibBlock &src, int maxColors) {
    Target t;
    QHash<QRgb, int> seen;
    bool few = true;
    std::vector<std::uint32_t> histogram(32768, 0);
    bool allGray = true;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = dibPixel(src, x, y) & 0xFFFFFF;
            ++histogram[((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)];
            allGray = allGray && qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
            if (!few || seen.contains(c))
                continue;
            if (seen.size() == maxColors)
                few = false;
            else
                seen.insert(c, static_cast<int>(seen.size()));
        }
    if (few) {
        t.kind = Target::Exact;
        t.exact = seen;
        t.table.resize(std::max<qsizetype>(1, seen.size()));
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            t.table[it.value()] = it.key();
        return t;
    }
    if (allGray || maxColors == 2)
        return grayTarget(maxColors);
    std::vector<Bin> bins;
    for (int i = 0; i < 32768; ++i)
        if (histogram[i])
            bins.push_back({static_cast<std::uint16_t>(i), histogram[i]});
    t.table = medianCut(std::move(bins), maxColors);
    t.buildLut();
    return t;
}

const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

} // namespace

DibBlock reduceDibColors(const DibBlock &src, int bits, int maxColors, int method, const Progress &progress,
                         bool *stopped) {
    if (stopped)
        *stopped = false;
    // The same depth is a reduction too for a palette picture: 255 of an 8-bit picture's colours.
    if (src.isNull() || bits > src.bitCount() || (bits == src.bitCount() && bits > 8) ||
        (bits != 1 && bits != 4 && bits != 8))
        return {};
    maxColors = std::clamp(maxColors, 2, 1 << bits);
    const int w = src.width();
    const int h = src.height();
    auto stop = [&] {
        if (stopped)
            *stopped = true;
        return DibBlock();
    };
    if (!progress.step(0))
        return stop();
    const Target target = method == kGrayScaleDither ? grayTarget(maxColors) : chooseTarget(src, maxColors);
    DibBlock out = DibBlock::create(w, h, bits, static_cast<int>(target.table.size()));
    if (!out)
        return {};
    out.setResolution(src.xPelsPerMeter(), src.yPelsPerMeter());
    out.setColorTable(target.table);
    const bool diffuse = (method == kBurkesDither || method == kFloydDither) && target.kind != Target::Exact;
    const bool ordered = method == kBayerDither && target.kind != Target::Exact;
    // Error rows: current and the next two (Burkes spreads over two rows, Floyd-Steinberg one).
    const std::size_t stride = static_cast<std::size_t>(w + 4) * 3;
    std::vector<int> err(diffuse ? stride * 3 : 0, 0);
    const int band = std::max(1, h / 50);
    const int spread = std::max(1, 256 / maxColors);
    for (int y = 0; y < h; ++y) {
        int *cur = diffuse ? err.data() + stride * static_cast<std::size_t>(y % 3) : nullptr;
        int *next = diffuse ? err.data() + stride * static_cast<std::size_t>((y + 1) % 3) : nullptr;
        if (diffuse)
            std::fill(err.data() + stride * static_cast<std::size_t>((y + 2) % 3),
                      err.data() + stride * static_cast<std::size_t>((y + 2) % 3) + stride, 0);
        for (int x = 0; x < w; ++x) {
            QRgb c = dibPixel(src, x, y);
            int add[3] = {0, 0, 0};
            if (diffuse) {
                const int *e = cur + (x + 2) * 3;
                for (int k = 0; k < 3; ++k)
                    add[k] = e[k] / (method == kFloydDither ? 16 : 32);
            } else if (ordered) {
                const int d = (kBayer[y & 3][x & 3] - 8) * spread / 16;
                add[0] = add[1] = add[2] = d;
            }
            c = qRgb(std::clamp(qRed(c) + add[0], 0, 255), std::clamp(qGreen(c) + add[1], 0, 255),
                     std::clamp(qBlue(c) + add[2], 0, 255));
            const int index = target.nearest(c);
            setDibIndex(out, x, y, index);
            if (!diffuse)
                continue;
            const QRgb got = target.table[index];
            const int d[3] = {qRed(c) - qRed(got), qGreen(c) - qGreen(got), qBlue(c) - qBlue(got)};
            for (int k = 0; k < 3; ++k) {
                if (method == kFloydDither) {
                    cur[(x + 3) * 3 + k] += d[k] * 7;
                    next[(x + 1) * 3 + k] += d[k] * 3;
                    next[(x + 2) * 3 + k] += d[k] * 5;
                    next[(x + 3) * 3 + k] += d[k];
                } else {
                    cur[(x + 3) * 3 + k] += d[k] * 8;
                    cur[(x + 4) * 3 + k] += d[k] * 4;
                    next[x * 3 + k] += d[k] * 2;
                    next[(x + 1) * 3 + k] += d[k] * 4;
                    next[(x + 2) * 3 + k] += d[k] * 8;
                    next[(x + 3) * 3 + k] += d[k] * 4;
                    next[(x + 4) * 3 + k] += d[k] * 2;
                }
            }
        }
        if (y % band == 0 && !progress.step(y * 100 / h))
            return stop();
    }
    if (!progress.step(100))
        return stop();
    return out;
}

DibBlock reduceDib(const DibBlock &src, int bits, int dither, const Progress &progress, bool *stopped) {
    if (stopped)
        *stopped = false;
    if (src.isNull() || bits >= src.bitCount())
        return {};
    if (bits != 16)
        return reduceDibColors(src, bits, 1 << bits, dither ? kFloydDither : kNearestColour, progress,
                               stopped);
    if (!progress.step(0)) {
        if (stopped)
            *stopped = true;
        return {};
    }
    DibBlock out = DibBlock::create(src.width(), src.height(), 16);
    if (!out)
        return {};
    out.setResolution(src.xPelsPerMeter(), src.yPelsPerMeter());
    for (int y = 0; y < src.height(); ++y) {
        std::uint8_t *row = out.scanLine(y);
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = dibPixel(src, x, y);
            writeLe16(row + 2 * x, static_cast<std::uint16_t>(((qRed(c) >> 3) << 10) |
                                                              ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)));
        }
    }
    progress.step(100);
    return out;
}

bool applyWantedBits(DibBlock &dib, int bits, bool dither) {
    if (bits == 0 || bits == dib.bitCount())
        return true;
    DibBlock out = convertDib(dib, bits);
    if (!out)
        out = reduceDib(dib, bits, dither ? 1 : 0);
    if (!out)
        return false;
    dib = std::move(out);
    return true;
}

} // namespace orva::imageio
