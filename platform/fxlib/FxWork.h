// What the effect routines share inside the engine: a top-down 8-bit BGR working copy of an area,
// a row runner that spreads work over threads while progress is reported on the calling thread,
// sampling helpers and a per-row random generator.
#pragma once

#include "platform/imageio/DibBlock.h"
#include "platform/imageio/ImageIoTypes.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace orva::fxlib::detail {

using orva::imageio::DibBlock;
using orva::imageio::Progress;

// An area of a 24- or 32-bit picture as 3 bytes (B, G, R) per pixel, rows top-down: either pixels of
// its own, or a view straight onto the rows of a 24-bit DIB (no copy in or out).
class Plane {
public:
    Plane() = default;
    Plane(int width, int height);
    Plane(Plane &&) noexcept = default;
    Plane &operator=(Plane &&) noexcept = default;
    Plane(const Plane &) = delete;
    Plane &operator=(const Plane &) = delete;

    // The area (inside the picture) of a 24-bit DIB, looked at in place.
    static Plane view(const DibBlock &dib, const QRect &area);
    static Plane view(DibBlock &dib, const QRect &area);
    // The area copied out of a 24- or 32-bit DIB.
    static Plane from(const DibBlock &dib, const QRect &area);
    // Writes the plane into the DIB at the area's place; bytes outside the area are not touched
    // (and neither is the fourth byte of 32-bit pixels).
    void storeInto(DibBlock &dib, const QRect &area) const;
    // A plane of its own with the same pixels; and the pixels of another plane of the same size.
    Plane copy() const;
    void copyFrom(const Plane &other);

    int width() const { return m_w; }
    int height() const { return m_h; }
    std::uint8_t *row(int y) { return m_rows[static_cast<std::size_t>(y)]; }
    const std::uint8_t *row(int y) const { return m_rows[static_cast<std::size_t>(y)]; }
    std::uint8_t *at(int x, int y) { return row(y) + 3 * x; }
    const std::uint8_t *at(int x, int y) const { return row(y) + 3 * x; }
    // The pixel nearest to (x, y), coordinates held inside the plane.
    const std::uint8_t *clamped(int x, int y) const {
        return at(std::clamp(x, 0, m_w - 1), std::clamp(y, 0, m_h - 1));
    }
    // Bilinear sample with coordinates held inside the plane.
    void sample(double x, double y, std::uint8_t *out) const;

private:
    int m_w = 0;
    int m_h = 0;
    std::vector<std::uint8_t> m_px;
    std::vector<std::uint8_t *> m_rows;
};

inline std::uint8_t clampByte(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}
inline std::uint8_t clampByte(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}
inline int grayOf(const std::uint8_t *bgr) {
    return (bgr[2] * 77 + bgr[1] * 150 + bgr[0] * 29) >> 8;
}

// Runs work item by item on up to eight threads; the calling thread waits and reports progress.
// A stop asked through progress ends the run early and makes every later call fail.
class Work {
public:
    // Threads pay only on large pictures; small ones (previews, tests) run on the calling thread.
    static constexpr std::int64_t kParallelPixels = 1 << 18;

    explicit Work(const Progress &progress, std::int64_t pixels = kParallelPixels)
        : m_progress(progress), m_parallel(pixels >= kParallelPixels) {}
    // fn(i) for every i in [0, count); progress runs from `from` to `to` percent. False when stopped.
    bool run(int count, int from, int to, const std::function<void(int)> &fn);
    bool step(int percent);
    bool stopped() const { return m_stopped; }

private:
    Progress m_progress;
    bool m_parallel;
    int m_lastPercent = -1;
    bool m_stopped = false;
};

// A small, fast, deterministic generator; seeded per row so that threads give the same picture.
class RowRandom {
public:
    RowRandom(std::uint64_t seed, int row)
        : m_s(seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(row)) {
        next();
        next();
    }
    std::uint64_t next() {
        std::uint64_t z = (m_s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [-1, 1].
    double symmetric() { return static_cast<double>(next() >> 11) * (2.0 / 9007199254740992.0) - 1.0; }
    // Uniform integer in [-n, n].
    int spread(int n) {
        return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(2 * n + 1)) - n;
    }

private:
    std::uint64_t m_s;
};

// A 24- or 32-bit uncompressed picture the routines can work on.
inline bool isTrueColour(const DibBlock &dib) {
    return !dib.isNull() && dib.compression() == 0 && (dib.bitCount() == 24 || dib.bitCount() == 32);
}

// The area clipped to the picture; empty when nothing is left.
inline QRect clipArea(const DibBlock &dib, const QRect &area) {
    return area.intersected(QRect(0, 0, dib.width(), dib.height()));
}

// Copies the area out, lets fn fill a plane of the same size, and returns the picture with the
// area replaced. fn returns false when stopped; the result is then null.
DibBlock areaEffect(const DibBlock &dib, const QRect &area, const Progress &progress,
                    const std::function<bool(const Plane &src, Plane &dst, Work &work)> &fn);

// Separable box blur with edge pixels repeated; rx, ry are the radii.
bool boxBlur(const Plane &src, Plane &dst, int rx, int ry, Work &work, int from, int to);

// Applies one table per channel (B, G, R) to every pixel.
bool applyTables(const Plane &src, Plane &dst, const std::uint8_t *tables, Work &work);

} // namespace orva::fxlib::detail
