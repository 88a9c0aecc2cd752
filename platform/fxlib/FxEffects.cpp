// The effects of the filters-and-effects dialog, merging and the in-place adjustments.
#include "platform/fxlib/FxEffects.h"

#include "platform/fxlib/FxWork.h"
#include "platform/imageio/DibConvert.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace orva::fxlib {

using namespace detail;

namespace {

constexpr double kPi = std::numbers::pi;

double radians(double degrees) {
    return degrees * kPi / 180.0;
}

// fn(x, y, out) for every pixel of the area, rows spread over threads.
template <typename Fn> bool eachPixel(const Plane &src, Plane &dst, Work &work, Fn fn) {
    const int w = src.width();
    return work.run(src.height(), 0, 100, [&](int y) {
        for (int x = 0; x < w; ++x)
            fn(x, y, dst.at(x, y));
    });
}

void copyPixel(const std::uint8_t *in, std::uint8_t *out) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
}

void setBgr(std::uint8_t *out, QRgb c) {
    out[0] = static_cast<std::uint8_t>(qBlue(c));
    out[1] = static_cast<std::uint8_t>(qGreen(c));
    out[2] = static_cast<std::uint8_t>(qRed(c));
}

void blend(std::uint8_t *out, const std::uint8_t *a, const std::uint8_t *b, double t) {
    for (int k = 0; k < 3; ++k)
        out[k] = clampByte(a[k] + (b[k] - a[k]) * t);
}

// Mirrors v back into [0, max] as often as needed.
double reflectInto(double v, double max) {
    if (max <= 0)
        return 0;
    const double period = 2 * max;
    double m = std::fmod(std::fabs(v), period);
    return m > max ? period - m : m;
}

bool copyArea(const Plane &src, Plane &dst) {
    dst.copyFrom(src);
    return true;
}

// Median of nine values by a fixed exchange network.
std::uint8_t median9(std::uint8_t *p) {
    auto sort2 = [](std::uint8_t &a, std::uint8_t &b) {
        if (a > b)
            std::swap(a, b);
    };
    sort2(p[1], p[2]);
    sort2(p[4], p[5]);
    sort2(p[7], p[8]);
    sort2(p[0], p[1]);
    sort2(p[3], p[4]);
    sort2(p[6], p[7]);
    sort2(p[1], p[2]);
    sort2(p[4], p[5]);
    sort2(p[7], p[8]);
    sort2(p[0], p[3]);
    sort2(p[5], p[8]);
    sort2(p[4], p[7]);
    sort2(p[3], p[6]);
    sort2(p[1], p[4]);
    sort2(p[2], p[5]);
    sort2(p[4], p[7]);
    sort2(p[4], p[2]);
    sort2(p[6], p[4]);
    sort2(p[4], p[2]);
    return p[4];
}

std::array<std::uint8_t, 768> identityTables() {
    std::array<std::uint8_t, 768> t{};
    for (int i = 0; i < 768; ++i)
        t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i & 0xFF);
    return t;
}

// Applies the three tables to a true-colour DIB in place.
void tablesInPlace(DibBlock &dib, const std::array<std::uint8_t, 768> &t) {
    const int bytes = dib.bitCount() / 8;
    const int w = dib.width();
    for (int y = 0; y < dib.height(); ++y) {
        std::uint8_t *row = dib.scanLine(y);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k)
                row[x * bytes + k] = t[static_cast<std::size_t>(256 * k + row[x * bytes + k])];
    }
}

} // namespace

DibBlock OilPainting(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int r = std::clamp(value, 0, 50);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (r == 0)
            return copyArea(src, dst);
        const int w = src.width(), h = src.height();
        constexpr int kBins = 32;
        std::vector<std::uint8_t> bin(static_cast<std::size_t>(w) * h);
        const bool binned = work.run(h, 0, 10, [&](int y) {
            for (int x = 0; x < w; ++x)
                bin[static_cast<std::size_t>(y) * w + x] =
                    static_cast<std::uint8_t>(grayOf(src.at(x, y)) >> 3);
        });
        return binned && work.run(h, 10, 100, [&](int y) {
            int count[kBins] = {};
            int sum[kBins][3] = {};
            const int y0 = std::max(0, y - r), y1 = std::min(h - 1, y + r);
            auto column = [&](int x, int d) {
                if (x < 0 || x >= w)
                    return;
                for (int yy = y0; yy <= y1; ++yy) {
                    const int b = bin[static_cast<std::size_t>(yy) * w + x];
                    const std::uint8_t *p = src.at(x, yy);
                    count[b] += d;
                    sum[b][0] += d * p[0];
                    sum[b][1] += d * p[1];
                    sum[b][2] += d * p[2];
                }
            };
            for (int x = 0; x <= r; ++x)
                column(x, 1);
            for (int x = 0; x < w; ++x) {
                int best = 0;
                for (int b = 1; b < kBins; ++b)
                    if (count[b] > count[best])
                        best = b;
                std::uint8_t *out = dst.at(x, y);
                for (int k = 0; k < 3; ++k)
                    out[k] = static_cast<std::uint8_t>((sum[best][k] + count[best] / 2) / count[best]);
                column(x + r + 1, 1);
                column(x - r, -1);
            }
        });
    });
}

DibBlock Blur(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int r = std::clamp(value, 1, 100);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return boxBlur(src, dst, r, r, work, 0, 100);
    });
}

namespace {

// Pixels inside the circle on the area's shorter side come from where `from` sends them (offsets
// from the centre, given the offset and the distance as a share of the radius); the rest stay.
template <typename Map> bool withinCircle(const Plane &src, Plane &dst, Work &work, Map from) {
    const double cx = src.width() / 2.0, cy = src.height() / 2.0;
    const double radius = std::min(cx, cy);
    return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        const double d = std::hypot(dx, dy);
        if (d >= radius || d == 0) {
            copyPixel(src.at(x, y), out);
            return;
        }
        const auto [sx, sy] = from(dx, dy, d / radius);
        src.sample(cx + sx - 0.5, cy + sy - 0.5, out);
    });
}

} // namespace

DibBlock PinchHole(const DibBlock &dib, const QRect &area, double value, const Progress &progress) {
    if (!std::isfinite(value))
        return {};
    const double amount = std::clamp(-value, -20.0, 20.0) / 10.0;
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (amount == 0)
            return copyArea(src, dst);
        return withinCircle(src, dst, work, [&](double dx, double dy, double share) {
            const double f = std::pow(std::sin(kPi / 2 * share), amount);
            return std::pair{dx * f, dy * f};
        });
    });
}

DibBlock Whirl(const DibBlock &dib, const QRect &area, double value, const Progress &progress) {
    if (!std::isfinite(value))
        return {};
    const double turn = radians(std::clamp(value, -36000.0, 36000.0));
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (turn == 0)
            return copyArea(src, dst);
        return withinCircle(src, dst, work, [&](double dx, double dy, double share) {
            const double a = turn * (1 - share) * (1 - share);
            const double c = std::cos(a), s = std::sin(a);
            return std::pair{dx * c - dy * s, dx * s + dy * c};
        });
    });
}

DibBlock Engrave(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int depth = std::clamp(value, 1, 10);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const int g = grayOf(src.at(x, y));
            const int n = grayOf(src.clamped(x - 1, y - 1));
            out[0] = out[1] = out[2] = clampByte(128 + (g - n) * depth);
        });
    });
}

DibBlock Wave(const DibBlock &dib, const QRect &area, const WaveOptions &options, const Progress &progress) {
    if (!std::isfinite(options.amplitude) || !std::isfinite(options.phase))
        return {};
    const double amplitude = std::clamp(options.amplitude, 0.0, 20000.0) / 10.0;
    const int length = std::clamp(options.length, 0, 100000);
    const double phase = radians(std::fmod(options.phase / 10.0, 360.0));
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (amplitude == 0 || length == 0)
            return copyArea(src, dst);
        const int w = src.width(), h = src.height();
        std::vector<double> shift(static_cast<std::size_t>(w));
        for (int x = 0; x < w; ++x)
            shift[static_cast<std::size_t>(x)] = amplitude * std::sin(2 * kPi * x / length + phase);
        static const std::uint8_t white[3] = {255, 255, 255};
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            double sy = y + shift[static_cast<std::size_t>(x)];
            if (options.reflect) {
                sy = reflectInto(sy, h - 1);
            } else if (!options.smear && (sy < -0.5 || sy > h - 0.5)) {
                copyPixel(white, out);
                return;
            }
            src.sample(x, sy, out);
        });
    });
}

namespace {

// 4096 draws of a near-normal distribution (spread 0.5), so that a pixel needs one random number.
const std::array<float, 4096> &normalTable() {
    static const std::array<float, 4096> table = [] {
        std::array<float, 4096> t{};
        RowRandom rnd(0x6A55, 0);
        for (float &v : t)
            v = static_cast<float>((rnd.symmetric() + rnd.symmetric() + rnd.symmetric() + rnd.symmetric()) /
                                   1.1547 / 2);
        return t;
    }();
    return table;
}

} // namespace

DibBlock Noise(const DibBlock &dib, const QRect &area, bool gauss, bool gray, int red, int green, int blue,
               const Progress &progress) {
    const double amount[3] = {double(std::clamp(blue, 0, 255)), double(std::clamp(green, 0, 255)),
                              double(std::clamp(red, 0, 255))};
    const std::array<float, 4096> &normal = normalTable();
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width();
        return work.run(src.height(), 0, 100, [&](int y) {
            RowRandom rnd(0x4E01, y);
            for (int x = 0; x < w; ++x) {
                // Four 16-bit draws out of one number: one per channel and one shared by all three.
                const std::uint64_t r = rnd.next();
                auto draw = [&](int k) {
                    const unsigned bits = static_cast<unsigned>(r >> (16 * k)) & 0xFFFF;
                    return gauss ? double(normal[bits >> 4]) : bits / 32767.5 - 1.0;
                };
                const double shared = draw(3);
                const std::uint8_t *in = src.at(x, y);
                std::uint8_t *out = dst.at(x, y);
                for (int k = 0; k < 3; ++k)
                    out[k] = clampByte(in[k] + (gray ? shared : draw(k)) * amount[k]);
            }
        });
    });
}

DibBlock Enhance(const DibBlock &dib, const QRect &area, int brightness, int contrast, int gammaRed,
                 int gammaGreen, int gammaBlue, const Progress &progress) {
    const int b = std::clamp(brightness, -255, 255);
    const int c = std::clamp(contrast, -255, 255);
    const double factor = 259.0 * (c + 255) / (255.0 * (259 - c));
    const int gammas[3] = {std::clamp(gammaBlue, 1, 255), std::clamp(gammaGreen, 1, 255),
                           std::clamp(gammaRed, 1, 255)};
    std::array<std::uint8_t, 768> tables{};
    for (int k = 0; k < 3; ++k) {
        const double gamma = gammas[k] / 10.0;
        for (int v = 0; v < 256; ++v) {
            double out = std::clamp(factor * (v - 128) + 128 + b, 0.0, 255.0);
            if (gammas[k] != 10)
                out = 255.0 * std::pow(out / 255.0, 1.0 / gamma);
            tables[static_cast<std::size_t>(256 * k + v)] = clampByte(out);
        }
    }
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return applyTables(src, dst, tables.data(), work);
    });
}

DibBlock Motion(const DibBlock &dib, const QRect &area, int value, int angle, int kind,
                const Progress &progress) {
    const int v = std::clamp(value, 1, 500);
    const double direction = radians(std::clamp(angle, -3600, 3600));
    constexpr int kMaxSamples = 32;
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const double cx = src.width() / 2.0, cy = src.height() / 2.0;
        const double span = radians(std::clamp(angle * v / 100.0, -360.0, 360.0));
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const double px = x, py = y;
            int n = 1;
            std::array<std::pair<double, double>, kMaxSamples> at;
            switch (kind) {
            case 3: {
                n = std::clamp(v + 1, 2, kMaxSamples);
                const double dx = std::cos(direction), dy = -std::sin(direction);
                for (int i = 0; i < n; ++i) {
                    const double t = -v / 2.0 + v * double(i) / (n - 1);
                    at[static_cast<std::size_t>(i)] = {px + dx * t, py + dy * t};
                }
                break;
            }
            case 2: {
                const double r = std::hypot(px - cx, py - cy);
                n = std::clamp(static_cast<int>(r * std::fabs(span)) + 1, 1, kMaxSamples);
                for (int i = 0; i < n; ++i) {
                    const double a = n == 1 ? 0 : -span / 2 + span * i / (n - 1);
                    const double c = std::cos(a), s = std::sin(a);
                    at[static_cast<std::size_t>(i)] = {cx + (px - cx) * c - (py - cy) * s,
                                                       cy + (px - cx) * s + (py - cy) * c};
                }
                break;
            }
            default: {
                const double s = v / 500.0;
                const double len = std::hypot(cx - px, cy - py) * s;
                n = std::clamp(static_cast<int>(len) + 1, 1, kMaxSamples);
                for (int i = 0; i < n; ++i) {
                    const double t = n == 1 ? 0 : s * i / (n - 1);
                    at[static_cast<std::size_t>(i)] = {px + (cx - px) * t, py + (cy - py) * t};
                }
            }
            }
            int sum[3] = {0, 0, 0};
            for (int i = 0; i < n; ++i) {
                const auto [sx, sy] = at[static_cast<std::size_t>(i)];
                if (n > 8) {
                    // Many samples blur enough on their own: the nearest pixel will do.
                    const std::uint8_t *p =
                        src.clamped(static_cast<int>(std::lround(sx)), static_cast<int>(std::lround(sy)));
                    for (int k = 0; k < 3; ++k)
                        sum[k] += p[k];
                    continue;
                }
                std::uint8_t p[3];
                src.sample(sx, sy, p);
                for (int k = 0; k < 3; ++k)
                    sum[k] += p[k];
            }
            for (int k = 0; k < 3; ++k)
                out[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
        });
    });
}

DibBlock GrayArea(const DibBlock &dib, const QRect &area, const Progress &progress) {
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            out[0] = out[1] = out[2] = static_cast<std::uint8_t>(grayOf(src.at(x, y)));
        });
    });
}

DibBlock Bled(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int v = std::clamp(value, -255, 255);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (v == 0)
            return copyArea(src, dst);
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const std::uint8_t *p = src.at(x, y);
            for (int k = 0; k < 3; ++k) {
                int m = p[k];
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int n = src.clamped(x + dx, y + dy)[k];
                        m = v > 0 ? std::max(m, n) : std::min(m, n);
                    }
                out[k] = static_cast<std::uint8_t>(p[k] + (m - p[k]) * std::abs(v) / 255);
            }
        });
    });
}

DibBlock Edge(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int strength = std::clamp(value, 1, 100);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            for (int k = 0; k < 3; ++k) {
                auto p = [&](int dx, int dy) { return int(src.clamped(x + dx, y + dy)[k]); };
                const int gx = p(1, -1) + 2 * p(1, 0) + p(1, 1) - p(-1, -1) - 2 * p(-1, 0) - p(-1, 1);
                const int gy = p(-1, 1) + 2 * p(0, 1) + p(1, 1) - p(-1, -1) - 2 * p(0, -1) - p(1, -1);
                out[k] = clampByte((std::abs(gx) + std::abs(gy)) * strength / 8);
            }
        });
    });
}

DibBlock Better(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int v = std::clamp(value, -9, 9);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (v == 0)
            return copyArea(src, dst);
        Plane soft(src.width(), src.height());
        if (!boxBlur(src, soft, 1, 1, work, 0, 50))
            return false;
        const int w = src.width();
        return work.run(src.height(), 50, 100, [&](int y) {
            const std::uint8_t *p = src.row(y);
            const std::uint8_t *b = soft.row(y);
            std::uint8_t *out = dst.row(y);
            for (int i = 0; i < 3 * w; ++i)
                out[i] = v > 0 ? clampByte(p[i] + (p[i] - b[i]) * v / 3)
                               : static_cast<std::uint8_t>(p[i] + (b[i] - p[i]) * -v / 9);
        });
    });
}

DibBlock RecToPolar(const DibBlock &dib, const QRect &area, int value, int angle, bool inverse,
                    bool backwards, const Progress &progress) {
    const double twist = radians(std::clamp(value, -3600, 3600));
    const double turn = radians(std::clamp(angle, -3600, 3600));
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        const double cx = w / 2.0, cy = h / 2.0;
        const double maxR = std::max(1e-9, std::hypot(cx, cy));
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            if (!inverse) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                const double r = std::hypot(dx, dy) / maxR;
                double theta = std::atan2(dy, dx) + turn + twist * r;
                if (backwards)
                    theta = -theta;
                theta = std::fmod(theta, 2 * kPi);
                if (theta < 0)
                    theta += 2 * kPi;
                src.sample(theta / (2 * kPi) * w - 0.5, r * h - 0.5, out);
                return;
            }
            const double r = (y + 0.5) / h * maxR;
            double theta = (x + 0.5) / w * 2 * kPi;
            if (backwards)
                theta = -theta;
            theta -= turn + twist * (r / maxR);
            src.sample(cx + r * std::cos(theta) - 0.5, cy + r * std::sin(theta) - 0.5, out);
        });
    });
}

DibBlock Curl(const DibBlock &dib, const QRect &area, const std::array<bool, CurlFlagCount> &flags,
              QRgb background, QRgb foreground, int shading, const Progress &progress) {
    const bool right = !flags[CurlLeftTop] && (flags[CurlRightTop] || flags[CurlRightBottom]);
    const bool bottom =
        !flags[CurlLeftTop] && !flags[CurlRightTop] && (flags[CurlLeftBottom] || flags[CurlRightBottom]);
    const bool vertical = flags[CurlVertical] && !flags[CurlHorizontal];
    std::uint8_t uncovered[3], back[3];
    setBgr(uncovered, flags[CurlBackForeground] && !flags[CurlBackBackground] ? foreground : background);
    setBgr(back, flags[CurlUseBackground] && !flags[CurlUseForeground] ? background : foreground);
    const double seeThrough = std::clamp(shading, 0, 4) * 0.15;
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        const double sx = std::max(1.0, (vertical ? 0.3 : 0.5) * w);
        const double sy = std::max(1.0, (vertical ? 0.5 : 0.3) * h);
        const double nlen = std::hypot(1 / sx, 1 / sy);
        const double nx = 1 / sx / nlen, ny = 1 / sy / nlen;
        const double maxDist = 1 / nlen;
        const double shadow = std::max(2.0, 0.03 * std::min(w, h));
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const double u = (right ? w - 1 - x : x) + 0.5;
            const double v = (bottom ? h - 1 - y : y) + 0.5;
            const double k = u / sx + v / sy;
            const std::uint8_t *p = src.at(x, y);
            if (k < 1) {
                copyPixel(uncovered, out);
                return;
            }
            const double dist = (k - 1) * maxDist;
            const double ru = u - 2 * dist * nx, rv = v - 2 * dist * ny;
            if (ru >= 0 && rv >= 0) {
                // The back of the page: lit most at its outer edge, darker into the fold.
                const double light = 0.55 + 0.45 * std::clamp(1 - dist / maxDist, 0.0, 1.0);
                std::uint8_t lit[3];
                for (int c = 0; c < 3; ++c)
                    lit[c] = clampByte(back[c] * light);
                if (flags[CurlKeepImage])
                    blend(out, lit, p, seeThrough);
                else
                    copyPixel(lit, out);
                return;
            }
            copyPixel(p, out);
            if (!flags[CurlShade] || ru < -shadow || rv < -shadow)
                return;
            const double t = std::min(ru < 0 ? -ru / shadow : 1.0, rv < 0 ? -rv / shadow : 1.0);
            for (int c = 0; c < 3; ++c)
                out[c] = clampByte(p[c] * (0.6 + 0.4 * t));
        });
    });
}

namespace {

// The tiles of a mosaic: one centre a cell of the grid, moved at random unless the tiles are squares.
class MosaicTiles {
public:
    // The tile of a pixel, its distance to the tile's border, and its offset from the centre.
    struct Near {
        int cell;
        double edge;
        double dx, dy;
    };

    MosaicTiles(int w, int h, double tile, double jitter)
        : m_tile(tile), m_cols(static_cast<int>(w / tile) + 2), m_rows(static_cast<int>(h / tile) + 2),
          m_centres(static_cast<std::size_t>(m_cols) * m_rows) {
        for (int j = 0; j < m_rows; ++j) {
            RowRandom rnd(0x4D05, j);
            for (int i = 0; i < m_cols; ++i) {
                const double jx = rnd.symmetric() * jitter, jy = rnd.symmetric() * jitter;
                m_centres[static_cast<std::size_t>(j) * m_cols + i] = {(i + 0.5) * tile + jx,
                                                                       (j + 0.5) * tile + jy};
            }
        }
    }

    int cols() const { return m_cols; }
    int rows() const { return m_rows; }
    std::size_t count() const { return m_centres.size(); }
    std::pair<double, double> centre(int i, int j) const {
        return m_centres[static_cast<std::size_t>(j) * m_cols + i];
    }

    Near nearest(int x, int y, bool withEdge) const {
        const double px = x + 0.5, py = y + 0.5;
        const int ci = static_cast<int>(px / m_tile), cj = static_cast<int>(py / m_tile);
        std::pair<double, double> c[9];
        double d[9];
        int id[9];
        int n = 0, best = 0;
        for (int j = std::max(0, cj - 1); j <= std::min(m_rows - 1, cj + 1); ++j)
            for (int i = std::max(0, ci - 1); i <= std::min(m_cols - 1, ci + 1); ++i) {
                c[n] = centre(i, j);
                id[n] = j * m_cols + i;
                d[n] = (px - c[n].first) * (px - c[n].first) + (py - c[n].second) * (py - c[n].second);
                if (d[n] < d[best])
                    best = n;
                ++n;
            }
        double edge = 1e300;
        for (int k = 0; withEdge && k < n; ++k) {
            if (k == best)
                continue;
            const double gx = c[k].first - c[best].first, gy = c[k].second - c[best].second;
            const double gap = std::sqrt(gx * gx + gy * gy);
            if (gap > 0)
                edge = std::min(edge, (d[k] - d[best]) / (2 * gap));
        }
        return Near{id[best], edge, px - c[best].first, py - c[best].second};
    }

private:
    double m_tile;
    int m_cols;
    int m_rows;
    std::vector<std::pair<double, double>> m_centres;
};

using TileColours = std::vector<std::array<std::int64_t, 4>>;

// The colour of every tile: the average of its pixels, summed in bands; false when stopped.
bool averageTileColours(const MosaicTiles &tiles, const Plane &src, Work &work, TileColours &colour) {
    const int w = src.width(), h = src.height();
    const std::size_t cells = tiles.count();
    constexpr int kBands = 16;
    std::vector<TileColours> part(kBands);
    const bool summed = work.run(kBands, 0, 40, [&](int b) {
        auto &acc = part[static_cast<std::size_t>(b)];
        acc.assign(cells, {0, 0, 0, 0});
        for (int y = h * b / kBands; y < h * (b + 1) / kBands; ++y)
            for (int x = 0; x < w; ++x) {
                auto &a = acc[static_cast<std::size_t>(tiles.nearest(x, y, false).cell)];
                const std::uint8_t *p = src.at(x, y);
                a[0] += p[0];
                a[1] += p[1];
                a[2] += p[2];
                ++a[3];
            }
    });
    if (!summed)
        return false;
    for (const auto &acc : part)
        for (std::size_t i = 0; i < cells; ++i)
            for (int k = 0; k < 4; ++k)
                colour[i][static_cast<std::size_t>(k)] += acc[i][static_cast<std::size_t>(k)];
    for (auto &a : colour)
        if (a[3] > 0)
            for (int k = 0; k < 3; ++k)
                a[static_cast<std::size_t>(k)] = (a[static_cast<std::size_t>(k)] + a[3] / 2) / a[3];
    return true;
}

// The colour of every tile taken from the pixel at its centre.
void centreTileColours(const MosaicTiles &tiles, const Plane &src, TileColours &colour) {
    for (int j = 0; j < tiles.rows(); ++j)
        for (int i = 0; i < tiles.cols(); ++i) {
            const auto c = tiles.centre(i, j);
            const std::uint8_t *p = src.clamped(static_cast<int>(c.first), static_cast<int>(c.second));
            colour[static_cast<std::size_t>(j) * tiles.cols() + i] = {p[0], p[1], p[2], 1};
        }
}

} // namespace

DibBlock Mosaic(const DibBlock &dib, const QRect &area, const MosaicOptions &o, const Progress &progress) {
    const double tile = std::max(2.0, std::clamp(o.size, 1, 10000) / 10.0);
    const double jitter = o.squares ? 0.0 : std::clamp(o.random, 0, 5) * 0.1 * tile;
    const double grout = tile * std::clamp(o.space, 0, 100) / 200.0;
    const double light = radians(std::clamp(o.light, -360, 360));
    std::uint8_t groutColour[3], litColour[3];
    setBgr(groutColour, o.background);
    setBgr(litColour, o.foreground);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        const double bevel = std::clamp(std::clamp(o.height, 1, 1000) / 10.0, 1.0, tile / 2);
        const MosaicTiles tiles(w, h, tile, jitter);
        TileColours colour(tiles.count(), {0, 0, 0, 0});
        if (o.smooth) {
            if (!averageTileColours(tiles, src, work, colour))
                return false;
        } else {
            centreTileColours(tiles, src, colour);
        }
        const double lx = std::cos(light), ly = -std::sin(light);
        return work.run(h, o.smooth ? 40 : 0, 100, [&](int y) {
            for (int x = 0; x < w; ++x) {
                const MosaicTiles::Near n = tiles.nearest(x, y, true);
                const auto &c = colour[static_cast<std::size_t>(n.cell)];
                std::uint8_t base[3] = {static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]),
                                        static_cast<std::uint8_t>(c[2])};
                std::uint8_t *out = dst.at(x, y);
                if (n.edge < grout) {
                    copyPixel(groutColour, out);
                    continue;
                }
                const double into = n.edge - grout;
                if (into < bevel) {
                    const double len = std::max(1e-9, std::hypot(n.dx, n.dy));
                    const double facing = (n.dx * lx + n.dy * ly) / len * (1 - into / bevel);
                    if (facing > 0) {
                        blend(out, base, litColour, facing * 0.6);
                    } else {
                        for (int k = 0; k < 3; ++k)
                            out[k] = clampByte(base[k] * (1 + facing * 0.5));
                    }
                } else {
                    copyPixel(base, out);
                }
                if (o.antiAlias && grout > 0 && into < 1)
                    blend(out, groutColour, out, into);
            }
        });
    });
}

DibBlock PixelFix(const DibBlock &dib, const QRect &area, int value, const Progress &progress) {
    const int threshold = std::clamp(value, 0, 100) * 255 / 100;
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const std::uint8_t *p = src.at(x, y);
            for (int k = 0; k < 3; ++k) {
                std::uint8_t n[9];
                int i = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        n[i++] = src.clamped(x + dx, y + dy)[k];
                const std::uint8_t m = median9(n);
                out[k] = std::abs(p[k] - m) > threshold ? m : p[k];
            }
        });
    });
}

DibBlock AutoContrast(const DibBlock &dib, const QRect &area, const Progress &progress) {
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        using Histogram = std::array<std::array<std::uint64_t, 256>, 3>;
        const int w = src.width(), h = src.height();
        constexpr int kBands = 16;
        std::vector<Histogram> part(kBands, Histogram{});
        const bool counted = work.run(kBands, 0, 50, [&](int b) {
            Histogram &hb = part[static_cast<std::size_t>(b)];
            for (int y = h * b / kBands; y < h * (b + 1) / kBands; ++y) {
                const std::uint8_t *p = src.row(y);
                for (int x = 0; x < w; ++x) {
                    ++hb[0][p[3 * x]];
                    ++hb[1][p[3 * x + 1]];
                    ++hb[2][p[3 * x + 2]];
                }
            }
        });
        if (!counted)
            return false;
        Histogram hist{};
        for (const Histogram &hb : part)
            for (std::size_t k = 0; k < 3; ++k)
                for (std::size_t v = 0; v < 256; ++v)
                    hist[k][v] += hb[k][v];
        // The levels below the lowest and above the highest half percent are clipped away.
        const std::uint64_t cut = static_cast<std::uint64_t>(w) * h / 200;
        std::array<std::uint8_t, 768> tables = identityTables();
        for (int k = 0; k < 3; ++k) {
            const auto &hk = hist[static_cast<std::size_t>(k)];
            int low = 0, high = 255;
            for (std::uint64_t n = 0; low < 255 && (n += hk[static_cast<std::size_t>(low)]) <= cut;)
                ++low;
            for (std::uint64_t n = 0; high > 0 && (n += hk[static_cast<std::size_t>(high)]) <= cut;)
                --high;
            if (high <= low)
                continue;
            for (int v = 0; v < 256; ++v)
                tables[static_cast<std::size_t>(256 * k + v)] = clampByte((v - low) * 255 / (high - low));
        }
        return applyTables(src, dst, tables.data(), work);
    });
}

DibBlock Jiggle(const DibBlock &dib, const QRect &area, int period, int amplitude, int shape,
                const Progress &progress) {
    const double wavelength = 4.0 * std::clamp(period, 1, 100);
    const double reach = std::clamp(amplitude, 1, 360) / 4.0;
    auto wave = [&](double t) {
        if (shape == 1) {
            const double f = t - std::floor(t);
            return 4 * std::fabs(f - 0.5) - 1;
        }
        return std::sin(2 * kPi * t);
    };
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            src.sample(x + reach * wave(y / wavelength), y + reach * wave(x / wavelength), out);
        });
    });
}

DibBlock Spray(const DibBlock &dib, const QRect &area, int value, int random, const Progress &progress) {
    const int reach = std::clamp(value, 0, 100);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (reach == 0)
            return copyArea(src, dst);
        const int w = src.width();
        return work.run(src.height(), 0, 100, [&](int y) {
            RowRandom rnd(static_cast<std::uint64_t>(random), y);
            for (int x = 0; x < w; ++x) {
                const int dx = rnd.spread(reach), dy = rnd.spread(reach);
                copyPixel(src.clamped(x + dx, y + dy), dst.at(x, y));
            }
        });
    });
}

DibBlock FadeDib(const DibBlock &dib, const QRect &area, int edge, int red, int green, int blue,
                 const Progress &progress) {
    const int e = std::clamp(edge, 1, 1000);
    const std::uint8_t colour[3] = {clampByte(blue), clampByte(green), clampByte(red)};
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        return work.run(h, 0, 100, [&](int y) {
            std::memcpy(dst.row(y), src.row(y), static_cast<std::size_t>(w) * 3);
            const int dy = std::min(y, h - 1 - y);
            // Only the pixels within the edge of a side are faded; a row far from the top and bottom
            // has them at its two ends.
            for (int x = 0; x < w; ++x) {
                if (dy >= e && x == e && w - e > x)
                    x = w - e;
                const int d = std::min({x, w - 1 - x, dy});
                if (d < e)
                    blend(dst.at(x, y), src.at(x, y), colour, double(e - d) / e);
            }
        });
    });
}

DibBlock ThresholdDib(const DibBlock &dib, const QRect &area, int value, bool antiAlias,
                      const Progress &progress) {
    const int level = std::clamp(value, 0, 256);
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const int g = grayOf(src.at(x, y));
            out[0] = out[1] = out[2] = antiAlias ? clampByte((g - level) * 16 + 128)
                                                 : static_cast<std::uint8_t>(g >= level ? 255 : 0);
        });
    });
}

DibBlock Warp(const DibBlock &dib, const WarpOptions &o, const Progress &progress,
              const std::function<bool(const DibBlock &)> &frame) {
    const int steps = std::clamp(o.steps, 1, 200);
    const double stride = std::clamp(o.displacement, 1, 200) / 10.0 * std::clamp(o.scale, 1, 200) / 20.0;
    const double turn = radians(std::clamp(o.rotation, -3600, 3600));
    const QRect whole(0, 0, dib.width(), dib.height());
    return areaEffect(dib, whole, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        // The flow of every pixel, kept as two bytes around 128 so that the blur can smooth it.
        Plane flow(w, h);
        const int share = 20 / (o.convolve ? 2 : 1);
        const bool made = work.run(h, 0, share, [&](int y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t *p = src.at(x, y);
                const int mx = std::max({p[0], p[1], p[2]}), mn = std::min({p[0], p[1], p[2]});
                double angle = grayOf(p) / 255.0 * 2 * kPi;
                if (o.hue && mx != mn) {
                    const double d = mx - mn;
                    double hue = mx == p[2]   ? (p[1] - p[0]) / d
                                 : mx == p[1] ? 2 + (p[0] - p[2]) / d
                                              : 4 + (p[2] - p[1]) / d;
                    angle = hue / 6 * 2 * kPi;
                }
                const double strength = o.saturation ? (mx == 0 ? 0.0 : double(mx - mn) / mx) : 1.0;
                std::uint8_t *f = flow.at(x, y);
                f[0] = clampByte(128 + 127 * strength * std::cos(angle + turn));
                f[1] = clampByte(128 + 127 * strength * std::sin(angle + turn));
                f[2] = 0;
            }
        });
        if (!made)
            return false;
        if (o.convolve) {
            Plane smooth(w, h);
            if (!boxBlur(flow, smooth, 2, 2, work, share, 2 * share))
                return false;
            flow = std::move(smooth);
        }
        Plane current = src.copy();
        Plane next(w, h);
        for (int s = 0; s < steps; ++s) {
            const int from = 20 + 80 * s / steps, to = 20 + 80 * (s + 1) / steps;
            const bool moved = work.run(h, from, to, [&](int y) {
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t *f = flow.at(x, y);
                    const double fx = (f[0] - 128) / 127.0, fy = (f[1] - 128) / 127.0;
                    current.sample(x - fx * stride, y - fy * stride, next.at(x, y));
                }
            });
            if (!moved)
                return false;
            std::swap(current, next);
            if (frame && s + 1 < steps) {
                DibBlock shown = dib.copy();
                current.storeInto(shown, whole);
                if (!frame(shown))
                    return false;
            }
        }
        dst.copyFrom(current);
        return true;
    });
}

DibBlock HToneImage(const DibBlock &dib, int cellSize, int shape, double angle, const Progress &progress) {
    if (!std::isfinite(angle))
        return {};
    const double cell = std::clamp(cellSize, 1, 100);
    const double a = radians(std::fmod(angle, 360.0));
    const double c = std::cos(a), s = std::sin(a);
    const QRect whole(0, 0, dib.width(), dib.height());
    return areaEffect(dib, whole, progress, [&](const Plane &src, Plane &dst, Work &work) {
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const double u = (x * c + y * s) / cell, v = (-x * s + y * c) / cell;
            const double fu = u - std::floor(u) - 0.5, fv = v - std::floor(v) - 0.5;
            const double dark = 1 - grayOf(src.at(x, y)) / 255.0;
            double spot;
            switch (shape) {
            case 1:
                spot = kPi * (fu * fu + 2.25 * fv * fv) / 1.5;
                break;
            case 2:
                spot = 4 * std::max(fu * fu, fv * fv);
                break;
            case 3:
                spot = 2 * (std::fabs(fu) + std::fabs(fv)) * (std::fabs(fu) + std::fabs(fv));
                break;
            case 4:
                spot = 2 * std::fabs(fv);
                break;
            case 5:
                spot = 1 - (1 - 2 * std::fabs(fu)) * (1 - 2 * std::fabs(fv));
                break;
            default:
                spot = kPi * (fu * fu + fv * fv);
            }
            out[0] = out[1] = out[2] = spot < dark ? 0 : 255;
        });
    });
}

DibBlock TileDib(const DibBlock &dib, const Progress &progress) {
    const QRect whole(0, 0, dib.width(), dib.height());
    return areaEffect(dib, whole, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            // The picture in the middle, its copy shifted by half a tile at the seams.
            // 1 in the middle, 0 on the edges, where only the shifted copy shows.
            const double wx = w > 1 ? std::min(1.0, std::min(x, w - 1 - x) / ((w - 1) / 2.0)) : 1.0;
            const double wy = h > 1 ? std::min(1.0, std::min(y, h - 1 - y) / ((h - 1) / 2.0)) : 1.0;
            const double own = wx * wy, shifted = std::max(1 - wx, 1 - wy);
            blend(out, src.at(x, y), src.at((x + w / 2) % w, (y + h / 2) % h), shifted / (own + shifted));
        });
    });
}

DibBlock ExtrudeDib(const DibBlock &dib, bool levels, int value, const Progress &progress) {
    const int block = 2 + 2 * std::clamp(value, 1, 50);
    const QRect whole(0, 0, dib.width(), dib.height());
    return areaEffect(dib, whole, progress, [&](const Plane &src, Plane &dst, Work &work) {
        const int w = src.width(), h = src.height();
        return work.run((h + block - 1) / block, 0, 100, [&](int by) {
            const int y0 = by * block, y1 = std::min(h, y0 + block);
            for (int x0 = 0; x0 < w; x0 += block) {
                const int x1 = std::min(w, x0 + block);
                int sum[3] = {0, 0, 0};
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x)
                        for (int k = 0; k < 3; ++k)
                            sum[k] += src.at(x, y)[k];
                const int n = (x1 - x0) * (y1 - y0);
                std::uint8_t base[3];
                for (int k = 0; k < 3; ++k)
                    base[k] = static_cast<std::uint8_t>((sum[k] + n / 2) / n);
                const double depth = levels ? grayOf(base) / 255.0 : 1.0;
                for (int y = y0; y < y1; ++y)
                    for (int x = x0; x < x1; ++x) {
                        const double nu = (x - x0 + 0.5) / (x1 - x0), nv = (y - y0 + 0.5) / (y1 - y0);
                        double face = 1.0;
                        if (std::fabs(nu - 0.5) >= 0.25 || std::fabs(nv - 0.5) >= 0.25) {
                            if (nv < nu && nv < 1 - nu)
                                face = 1 + 0.35 * depth;
                            else if (nv > nu && nv > 1 - nu)
                                face = 1 - 0.4 * depth;
                            else if (nu < nv)
                                face = 1 + 0.15 * depth;
                            else
                                face = 1 - 0.25 * depth;
                        }
                        std::uint8_t *out = dst.at(x, y);
                        for (int k = 0; k < 3; ++k)
                            out[k] = clampByte(base[k] * face);
                    }
            }
        });
    });
}

DibBlock MergeDib(const DibBlock &target, const DibBlock &overlay, int left, int top,
                  std::optional<QRgb> key) {
    if (!isTrueColour(target) || !isTrueColour(overlay))
        return {};
    const QRect placed = QRect(0, 0, target.width(), target.height())
                             .intersected(QRect(left, top, overlay.width(), overlay.height()));
    DibBlock out = target.copy();
    if (!out || placed.isEmpty())
        return out;
    const int tb = target.bitCount() / 8, ob = overlay.bitCount() / 8;
    std::uint8_t keyBgr[3] = {0, 0, 0};
    if (key)
        setBgr(keyBgr, *key);
    for (int y = placed.top(); y <= placed.bottom(); ++y) {
        std::uint8_t *dst = out.scanLine(y);
        const std::uint8_t *src = overlay.scanLine(y - top);
        for (int x = placed.left(); x <= placed.right(); ++x) {
            const std::uint8_t *p = src + static_cast<std::size_t>(x - left) * ob;
            if (key && std::memcmp(p, keyBgr, 3) == 0)
                continue;
            std::memcpy(dst + static_cast<std::size_t>(x) * tb, p, 3);
        }
    }
    return out;
}

bool VisMirror(DibBlock &dib, bool vertical, bool horizontal) {
    if (dib.isNull() || dib.compression() != 0)
        return false;
    const int w = dib.width(), h = dib.height(), bits = dib.bitCount();
    const std::size_t stride = dib.rowBytes();
    if (vertical) {
        std::vector<std::uint8_t> swap(stride);
        for (int y = 0; y < h / 2; ++y) {
            std::memcpy(swap.data(), dib.scanLine(y), stride);
            std::memcpy(dib.scanLine(y), dib.scanLine(h - 1 - y), stride);
            std::memcpy(dib.scanLine(h - 1 - y), swap.data(), stride);
        }
    }
    if (!horizontal)
        return true;
    if (bits >= 8) {
        const int bytes = bits / 8;
        for (int y = 0; y < h; ++y) {
            std::uint8_t *row = dib.scanLine(y);
            for (int x = 0; x < w / 2; ++x)
                std::swap_ranges(row + x * bytes, row + (x + 1) * bytes, row + (w - 1 - x) * bytes);
        }
        return true;
    }
    // Pixels smaller than a byte: only the picture's own pixels turn, not the row's padding.
    std::vector<int> index(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            index[static_cast<std::size_t>(x)] = orva::imageio::dibIndex(dib, x, y);
        for (int x = 0; x < w; ++x)
            orva::imageio::setDibIndex(dib, x, y, index[static_cast<std::size_t>(w - 1 - x)]);
    }
    return true;
}

bool VisBrightness(DibBlock &dib, int amount) {
    if (!isTrueColour(dib))
        return false;
    const int a = std::clamp(amount, -255, 255);
    std::array<std::uint8_t, 768> t{};
    for (int i = 0; i < 768; ++i)
        t[static_cast<std::size_t>(i)] = clampByte((i & 0xFF) + a);
    tablesInPlace(dib, t);
    return true;
}

bool VisGamma(DibBlock &dib, int value) {
    if (!isTrueColour(dib))
        return false;
    const int g = std::clamp(value, 10, 50);
    std::array<std::uint8_t, 768> t = identityTables();
    if (g != 10)
        for (int i = 0; i < 768; ++i)
            t[static_cast<std::size_t>(i)] = clampByte(255.0 * std::pow((i & 0xFF) / 255.0, 10.0 / g));
    tablesInPlace(dib, t);
    return true;
}

DibBlock visHueAndSaturation(const DibBlock &dib, const QRect &area, const HueChannels &ch, int hue,
                             int saturation, int lightness, const Progress &progress) {
    const double dh = std::clamp(hue, -360, 360);
    const double ds = std::clamp(saturation, -100, 100) / 100.0;
    const double dl = std::clamp(lightness, -100, 100) / 100.0;
    const bool chosen[6] = {ch.red, ch.yellow, ch.green, ch.cyan, ch.blue, ch.magenta};
    const bool all = ch.red && ch.yellow && ch.green && ch.cyan && ch.blue && ch.magenta;
    return areaEffect(dib, area, progress, [&](const Plane &src, Plane &dst, Work &work) {
        if (dh == 0 && ds == 0 && dl == 0)
            return copyArea(src, dst);
        return eachPixel(src, dst, work, [&](int x, int y, std::uint8_t *out) {
            const std::uint8_t *p = src.at(x, y);
            const double r = p[2] / 255.0, g = p[1] / 255.0, b = p[0] / 255.0;
            const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
            double l = (mx + mn) / 2, s = 0, h = 0;
            const double d = mx - mn;
            if (d > 0) {
                s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
                h = mx == r ? (g - b) / d : mx == g ? 2 + (b - r) / d : 4 + (r - g) / d;
                h = std::fmod(h * 60 + 360, 360);
            }
            const int sector = static_cast<int>(std::floor((h + 30) / 60)) % 6;
            if (d > 0 ? !chosen[sector] : !all) {
                copyPixel(p, out);
                return;
            }
            h = std::fmod(h + dh + 720, 360);
            s = std::clamp(s * (1 + ds), 0.0, 1.0);
            l = dl > 0 ? l + (1 - l) * dl : l + l * dl;
            const double q = l < 0.5 ? l * (1 + s) : l + s - l * s, pp = 2 * l - q;
            auto channel = [&](double t) {
                t = t < 0 ? t + 1 : t > 1 ? t - 1 : t;
                if (t < 1.0 / 6)
                    return pp + (q - pp) * 6 * t;
                if (t < 0.5)
                    return q;
                if (t < 2.0 / 3)
                    return pp + (q - pp) * (2.0 / 3 - t) * 6;
                return pp;
            };
            const double hn = h / 360;
            out[2] = clampByte(channel(hn + 1.0 / 3) * 255);
            out[1] = clampByte(channel(hn) * 255);
            out[0] = clampByte(channel(hn - 1.0 / 3) * 255);
        });
    });
}

} // namespace orva::fxlib
