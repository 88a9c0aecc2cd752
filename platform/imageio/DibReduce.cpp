// Colour reduction of packed DIBs to 1, 4, 8 or 16 bits, with optional error-diffusion dither.
#include "platform/imageio/DibReduce.h"

#include "platform/imageio/DibConvert.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace orva::imageio {

namespace {

const std::array<QRgb, 16> kVga16 = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

int gray(QRgb c) {
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114 + 500) / 1000;
}

struct Target {
    QVector<QRgb> table;
    QHash<QRgb, int> exact;
    enum Kind { Exact, Gray, Cube, Search } kind = Search;
    int grayLevels = 0;

    int nearest(QRgb c) const {
        switch (kind) {
        case Exact:
            return exact.value(c & 0xFFFFFF, 0);
        case Gray: {
            const int g = gray(c);
            return std::clamp((g * (grayLevels - 1) + 127) / 255, 0, grayLevels - 1);
        }
        case Cube: {
            auto level = [](int v) { return (v * 5 + 127) / 255; };
            return level(qRed(c)) * 36 + level(qGreen(c)) * 6 + level(qBlue(c));
        }
        case Search:
            break;
        }
        int best = 0;
        long bestDist = -1;
        for (int i = 0; i < table.size(); ++i) {
            const long dr = qRed(c) - qRed(table[i]), dg = qGreen(c) - qGreen(table[i]),
                       db = qBlue(c) - qBlue(table[i]);
            const long d = dr * dr + dg * dg + db * db;
            if (bestDist < 0 || d < bestDist) {
                best = i;
                bestDist = d;
            }
        }
        return best;
    }
};

Target chooseTarget(const DibBlock &src, int bits) {
    Target t;
    const int max = 1 << bits;
    // Few distinct colours (the usual case for scans and palette pictures) map exactly.
    QHash<QRgb, int> seen;
    bool few = true;
    for (int y = 0; y < src.height() && few; ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = dibPixel(src, x, y) & 0xFFFFFF;
            if (seen.contains(c))
                continue;
            if (seen.size() == max) {
                few = false;
                break;
            }
            seen.insert(c, static_cast<int>(seen.size()));
        }
    if (few) {
        t.kind = Target::Exact;
        t.exact = seen;
        t.table.resize(seen.size());
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            t.table[it.value()] = it.key();
        if (t.table.isEmpty())
            t.table.append(qRgb(0, 0, 0));
        return t;
    }
    bool allGray = src.isGrayPalette();
    if (!allGray && src.bitCount() > 8) {
        allGray = true;
        for (int y = 0; y < src.height() && allGray; y += std::max(1, src.height() / 64))
            for (int x = 0; x < src.width(); ++x) {
                const QRgb c = dibPixel(src, x, y);
                if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c)) {
                    allGray = false;
                    break;
                }
            }
    }
    if (allGray || bits == 1) {
        t.kind = Target::Gray;
        t.grayLevels = max;
        for (int i = 0; i < max; ++i) {
            const int v = i * 255 / (max - 1);
            t.table.append(qRgb(v, v, v));
        }
        return t;
    }
    if (bits == 4) {
        t.table = QVector<QRgb>(kVga16.begin(), kVga16.end());
        return t;
    }
    t.kind = Target::Cube;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                t.table.append(qRgb(r * 51, g * 51, b * 51));
    return t;
}

} // namespace

DibBlock reduceDib(const DibBlock &src, int bits, int dither, const Progress &progress, bool *stopped) {
    if (stopped)
        *stopped = false;
    if (src.isNull() || bits >= src.bitCount() || (bits != 1 && bits != 4 && bits != 8 && bits != 16))
        return {};
    const int w = src.width();
    const int h = src.height();
    if (!progress.step(0)) {
        if (stopped)
            *stopped = true;
        return {};
    }
    if (bits == 16) {
        DibBlock out = DibBlock::create(w, h, 16);
        if (!out)
            return {};
        out.setResolution(src.xPelsPerMeter(), src.yPelsPerMeter());
        for (int y = 0; y < h; ++y) {
            std::uint8_t *row = out.scanLine(y);
            for (int x = 0; x < w; ++x) {
                const QRgb c = dibPixel(src, x, y);
                writeLe16(row + 2 * x, static_cast<std::uint16_t>(((qRed(c) >> 3) << 10) |
                                                                  ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)));
            }
        }
        return out;
    }
    const Target target = chooseTarget(src, bits);
    DibBlock out = DibBlock::create(w, h, bits, static_cast<int>(target.table.size()));
    if (!out)
        return {};
    out.setResolution(src.xPelsPerMeter(), src.yPelsPerMeter());
    out.setColorTable(target.table);
    const bool diffuse = dither != 0 && target.kind != Target::Exact;
    std::vector<int> err(diffuse ? static_cast<std::size_t>(w + 2) * 3 * 2 : 0, 0);
    const int band = std::max(1, h / 50);
    for (int y = 0; y < h; ++y) {
        int *cur = diffuse ? err.data() + static_cast<std::size_t>(y & 1) * (w + 2) * 3 : nullptr;
        int *next = diffuse ? err.data() + static_cast<std::size_t>((y + 1) & 1) * (w + 2) * 3 : nullptr;
        if (diffuse)
            std::fill(next, next + (w + 2) * 3, 0);
        for (int x = 0; x < w; ++x) {
            QRgb c = dibPixel(src, x, y);
            if (diffuse) {
                const int *e = cur + (x + 1) * 3;
                c = qRgb(std::clamp(qRed(c) + e[0] / 16, 0, 255), std::clamp(qGreen(c) + e[1] / 16, 0, 255),
                         std::clamp(qBlue(c) + e[2] / 16, 0, 255));
            }
            const int index = target.nearest(c);
            setDibIndex(out, x, y, index);
            if (!diffuse)
                continue;
            const QRgb got = target.table[index];
            const int d[3] = {qRed(c) - qRed(got), qGreen(c) - qGreen(got), qBlue(c) - qBlue(got)};
            for (int k = 0; k < 3; ++k) {
                cur[(x + 2) * 3 + k] += d[k] * 7;
                next[x * 3 + k] += d[k] * 3;
                next[(x + 1) * 3 + k] += d[k] * 5;
                next[(x + 2) * 3 + k] += d[k];
            }
        }
        if (y % band == 0 && !progress.step(y * 100 / h)) {
            if (stopped)
                *stopped = true;
            return {};
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
