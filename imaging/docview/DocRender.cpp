// Display rendering of packed bitmaps.
#include "imaging/docview/DocRender.h"

#include "platform/imageio/DibConvert.h"

#include <algorithm>
#include <vector>

namespace orva::imaging {

using orva::imageio::DibBlock;

namespace {

// Colour of every palette index, opaque, padded to the depth's full table.
QVector<QRgb> opaqueTable(const DibBlock &dib) {
    QVector<QRgb> table = dib.colorTable();
    for (QRgb &c : table) {
        c |= 0xFF000000u;
    }
    const int full = 1 << std::min(dib.bitCount(), 8);
    while (table.size() < full) {
        table.append(qRgb(0, 0, 0));
    }
    return table;
}

// One row of the picture as RGB triples (x from `left`, `count` pixels); the depth is decided once a
// row, not once a pixel.
void rowRgb(const DibBlock &dib, const QVector<QRgb> &table, int y, int left, int count, std::uint8_t *out) {
    const std::uint8_t *in = dib.scanLine(y);
    const auto put = [](std::uint8_t *o, QRgb c) {
        o[0] = static_cast<std::uint8_t>(qRed(c));
        o[1] = static_cast<std::uint8_t>(qGreen(c));
        o[2] = static_cast<std::uint8_t>(qBlue(c));
    };
    switch (dib.bitCount()) {
    case 1:
        for (int i = 0; i < count; ++i) {
            const int x = left + i;
            put(out + 3 * i, table[(in[x >> 3] >> (7 - (x & 7))) & 1]);
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            const int x = left + i;
            put(out + 3 * i, table[(x & 1) ? in[x >> 1] & 0xF : in[x >> 1] >> 4]);
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i) {
            put(out + 3 * i, table[in[left + i]]);
        }
        break;
    case 16:
        for (int i = 0; i < count; ++i) {
            const int x = left + i;
            const int v = in[2 * x] | (in[2 * x + 1] << 8);
            put(out + 3 * i,
                qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31));
        }
        break;
    case 24:
        for (int i = 0; i < count; ++i) {
            const int x = left + i;
            put(out + 3 * i, qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]));
        }
        break;
    default:
        for (int i = 0; i < count; ++i) {
            const int x = left + i;
            put(out + 3 * i, qRgb(in[4 * x + 2], in[4 * x + 1], in[4 * x]));
        }
        break;
    }
}

// The source span [start, end) that output index i of n covers on an extent of `extent`.
int spanStart(int i, int extent, int n) {
    return static_cast<int>(static_cast<std::int64_t>(i) * extent / n);
}
int spanEnd(int i, int extent, int n) {
    return std::max(spanStart(i, extent, n) + 1,
                    static_cast<int>(static_cast<std::int64_t>(i + 1) * extent / n));
}

} // namespace

QImage DibPart(const DibBlock &dib, const QRect &part) {
    const QRect r = part.intersected(QRect(0, 0, dib.width(), dib.height()));
    if (dib.isNull() || r.isEmpty()) {
        return {};
    }
    const int bits = dib.bitCount();
    if (bits == 1 || bits == 4 || bits == 8) {
        QImage out(r.size(), bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
        if (out.isNull()) {
            return {};
        }
        out.setColorTable(opaqueTable(dib));
        for (int y = 0; y < r.height(); ++y) {
            const std::uint8_t *in = dib.scanLine(r.top() + y);
            uchar *line = out.scanLine(y);
            if (bits == 8) {
                std::copy_n(in + r.left(), r.width(), line);
            } else if (bits == 4) {
                for (int i = 0; i < r.width(); ++i) {
                    const int x = r.left() + i;
                    line[i] = static_cast<uchar>((x & 1) ? in[x >> 1] & 0xF : in[x >> 1] >> 4);
                }
            } else if ((r.left() & 7) == 0) {
                std::copy_n(in + (r.left() >> 3), (r.width() + 7) / 8, line);
            } else {
                std::fill_n(line, (r.width() + 7) / 8, 0);
                for (int i = 0; i < r.width(); ++i) {
                    const int x = r.left() + i;
                    if ((in[x >> 3] >> (7 - (x & 7))) & 1) {
                        line[i >> 3] = static_cast<uchar>(line[i >> 3] | (0x80 >> (i & 7)));
                    }
                }
            }
        }
        return out;
    }
    QImage out(r.size(), QImage::Format_RGB32);
    if (out.isNull()) {
        return {};
    }
    const QVector<QRgb> none;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(r.width()) * 3);
    for (int y = 0; y < r.height(); ++y) {
        rowRgb(dib, none, r.top() + y, r.left(), r.width(), rgb.data());
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int i = 0; i < r.width(); ++i) {
            line[i] = qRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        }
    }
    return out;
}

QImage ReduceForDisplay(const DibBlock &dib, QSize size, TStretchMode mode) {
    const int sw = dib.width();
    const int sh = dib.height();
    if (dib.isNull() || size.isEmpty() || size.width() > sw || size.height() > sh) {
        return {};
    }
    const int w = size.width();
    const int h = size.height();
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull()) {
        return {};
    }
    const QVector<QRgb> table = dib.bitCount() <= 8 ? opaqueTable(dib) : QVector<QRgb>();
    std::vector<int> x0(static_cast<std::size_t>(w)), x1(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
        x0[static_cast<std::size_t>(x)] = spanStart(x, sw, w);
        x1[static_cast<std::size_t>(x)] = spanEnd(x, sw, w);
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(sw) * 3);
    std::vector<std::uint32_t> acc(static_cast<std::size_t>(w) * 3);
    const std::uint32_t start = mode == BlackOnWhite ? 255u : 0u;
    const bool bgr = dib.bitCount() == 24;
    const int r = bgr ? 2 : 0;
    const int b = bgr ? 0 : 2;
    for (int y = 0; y < h; ++y) {
        std::fill(acc.begin(), acc.end(), start);
        const int y0 = spanStart(y, sh, h);
        const int y1 = spanEnd(y, sh, h);
        for (int sy = y0; sy < y1; ++sy) {
            // 24-bit rows are read in place (blue first); the channels are put right at the end.
            const std::uint8_t *pixels = dib.scanLine(sy);
            if (!bgr) {
                rowRgb(dib, table, sy, 0, sw, row.data());
                pixels = row.data();
            }
            for (int x = 0; x < w; ++x) {
                std::uint32_t *a = &acc[static_cast<std::size_t>(x) * 3];
                const std::uint8_t *p =
                    pixels + static_cast<std::size_t>(x0[static_cast<std::size_t>(x)]) * 3;
                const std::uint8_t *end =
                    pixels + static_cast<std::size_t>(x1[static_cast<std::size_t>(x)]) * 3;
                switch (mode) {
                case ColorOnColor:
                    for (; p != end; p += 3) {
                        a[0] += p[0];
                        a[1] += p[1];
                        a[2] += p[2];
                    }
                    break;
                case BlackOnWhite:
                    for (; p != end; p += 3) {
                        a[0] = std::min<std::uint32_t>(a[0], p[0]);
                        a[1] = std::min<std::uint32_t>(a[1], p[1]);
                        a[2] = std::min<std::uint32_t>(a[2], p[2]);
                    }
                    break;
                case WhiteOnBlack:
                    for (; p != end; p += 3) {
                        a[0] = std::max<std::uint32_t>(a[0], p[0]);
                        a[1] = std::max<std::uint32_t>(a[1], p[1]);
                        a[2] = std::max<std::uint32_t>(a[2], p[2]);
                    }
                    break;
                }
            }
        }
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t *a = &acc[static_cast<std::size_t>(x) * 3];
            if (mode == ColorOnColor) {
                const auto n = static_cast<std::uint32_t>(
                    (x1[static_cast<std::size_t>(x)] - x0[static_cast<std::size_t>(x)]) * (y1 - y0));
                line[x] = qRgb(static_cast<int>((a[r] + n / 2) / n), static_cast<int>((a[1] + n / 2) / n),
                               static_cast<int>((a[b] + n / 2) / n));
            } else {
                line[x] = qRgb(static_cast<int>(a[r]), static_cast<int>(a[1]), static_cast<int>(a[b]));
            }
        }
    }
    return out;
}

} // namespace orva::imaging
