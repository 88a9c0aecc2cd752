// The working copy, the threaded row runner and the shared blur of the effect routines.
#include "platform/fxlib/FxWork.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

namespace orva::fxlib::detail {

Plane::Plane(int width, int height)
    : m_w(width), m_h(height), m_px(static_cast<std::size_t>(width) * height * 3),
      m_rows(static_cast<std::size_t>(height)) {
    for (int y = 0; y < height; ++y)
        m_rows[static_cast<std::size_t>(y)] = m_px.data() + static_cast<std::size_t>(y) * width * 3;
}

Plane Plane::view(DibBlock &dib, const QRect &area) {
    Plane p;
    p.m_w = area.width();
    p.m_h = area.height();
    p.m_rows.resize(static_cast<std::size_t>(area.height()));
    for (int y = 0; y < area.height(); ++y)
        p.m_rows[static_cast<std::size_t>(y)] =
            dib.scanLine(area.top() + y) + static_cast<std::size_t>(area.left()) * 3;
    return p;
}

Plane Plane::view(const DibBlock &dib, const QRect &area) {
    // Only ever read through a const plane.
    return view(const_cast<DibBlock &>(dib), area);
}

Plane Plane::from(const DibBlock &dib, const QRect &area) {
    Plane p(area.width(), area.height());
    const int bytes = dib.bitCount() / 8;
    for (int y = 0; y < area.height(); ++y) {
        const std::uint8_t *in = dib.scanLine(area.top() + y) + static_cast<std::size_t>(area.left()) * bytes;
        std::uint8_t *out = p.row(y);
        if (bytes == 3) {
            std::memcpy(out, in, static_cast<std::size_t>(area.width()) * 3);
            continue;
        }
        for (int x = 0; x < area.width(); ++x)
            std::memcpy(out + 3 * x, in + 4 * x, 3);
    }
    return p;
}

void Plane::storeInto(DibBlock &dib, const QRect &area) const {
    const int bytes = dib.bitCount() / 8;
    for (int y = 0; y < m_h; ++y) {
        std::uint8_t *out = dib.scanLine(area.top() + y) + static_cast<std::size_t>(area.left()) * bytes;
        const std::uint8_t *in = row(y);
        if (bytes == 3) {
            std::memcpy(out, in, static_cast<std::size_t>(m_w) * 3);
            continue;
        }
        for (int x = 0; x < m_w; ++x)
            std::memcpy(out + 4 * x, in + 3 * x, 3);
    }
}

Plane Plane::copy() const {
    Plane p(m_w, m_h);
    p.copyFrom(*this);
    return p;
}

void Plane::copyFrom(const Plane &other) {
    for (int y = 0; y < m_h && y < other.m_h; ++y)
        std::memcpy(row(y), other.row(y), static_cast<std::size_t>(std::min(m_w, other.m_w)) * 3);
}

void Plane::sample(double x, double y, std::uint8_t *out) const {
    // Coordinates that are not numbers (a centre pixel under a singular mapping) read the corner.
    const double fx = std::isfinite(x) ? std::clamp(x, 0.0, m_w - 1.0) : 0.0;
    const double fy = std::isfinite(y) ? std::clamp(y, 0.0, m_h - 1.0) : 0.0;
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, m_w - 1), y1 = std::min(y0 + 1, m_h - 1);
    const double wx = fx - x0, wy = fy - y0;
    const std::uint8_t *a = at(x0, y0), *b = at(x1, y0), *c = at(x0, y1), *d = at(x1, y1);
    for (int k = 0; k < 3; ++k) {
        const double top = a[k] + (b[k] - a[k]) * wx;
        const double bottom = c[k] + (d[k] - c[k]) * wx;
        out[k] = static_cast<std::uint8_t>(top + (bottom - top) * wy + 0.5);
    }
}

bool Work::step(int percent) {
    if (m_stopped)
        return false;
    m_lastPercent = percent;
    if (!m_progress.step(percent))
        m_stopped = true;
    return !m_stopped;
}

bool Work::run(int count, int from, int to, const std::function<void(int)> &fn) {
    if (m_stopped)
        return false;
    const auto percentAt = [&](int done) {
        return from + static_cast<int>(static_cast<std::int64_t>(to - from) * done / std::max(1, count));
    };
    const int threads = static_cast<int>(std::min(8u, std::max(1u, std::thread::hardware_concurrency())));
    if (!m_parallel || count < 16 || threads == 1) {
        for (int i = 0; i < count; ++i) {
            fn(i);
            const int p = percentAt(i + 1);
            if (p != m_lastPercent && !step(p))
                return false;
        }
        return true;
    }
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::condition_variable finished;
    std::exception_ptr error;
    auto worker = [&] {
        try {
            for (int i = next.fetch_add(1); i < count && !stop.load(std::memory_order_relaxed);
                 i = next.fetch_add(1)) {
                fn(i);
                if (done.fetch_add(1) + 1 == count) {
                    const std::lock_guard<std::mutex> g(lock);
                    finished.notify_one();
                }
            }
        } catch (...) {
            const std::lock_guard<std::mutex> g(lock);
            if (!error)
                error = std::current_exception();
            stop = true;
            finished.notify_one();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    {
        std::unique_lock<std::mutex> g(lock);
        while (done.load() < count && !stop.load()) {
            finished.wait_for(g, std::chrono::milliseconds(25));
            if (done.load() >= count || stop.load())
                break;
            g.unlock();
            // The callback may pump the caller's events; it runs here, on the calling thread.
            if (!step(percentAt(done.load())))
                stop = true;
            g.lock();
        }
    }
    for (std::thread &t : pool)
        t.join();
    if (error)
        std::rethrow_exception(error);
    if (m_stopped)
        return false;
    return step(percentAt(count));
}

DibBlock areaEffect(const DibBlock &dib, const QRect &area, const Progress &progress,
                    const std::function<bool(const Plane &src, Plane &dst, Work &work)> &fn) {
    if (!isTrueColour(dib))
        return {};
    const QRect a = clipArea(dib, area);
    if (a.isEmpty())
        return {};
    Work work(progress, static_cast<std::int64_t>(a.width()) * a.height());
    if (!work.step(0))
        return {};
    DibBlock out = dib.copy();
    if (!out)
        return {};
    if (dib.bitCount() == 24) {
        // Read from the source's rows, write into the copy's: no working copies of the page.
        const Plane src = Plane::view(dib, a);
        Plane dst = Plane::view(out, a);
        if (!fn(src, dst, work) || !work.step(100))
            return {};
        return out;
    }
    const Plane src = Plane::from(dib, a);
    Plane dst(a.width(), a.height());
    if (!fn(src, dst, work) || !work.step(100))
        return {};
    dst.storeInto(out, a);
    return out;
}

bool boxBlur(const Plane &src, Plane &dst, int rx, int ry, Work &work, int from, int to) {
    const int w = src.width(), h = src.height();
    rx = std::clamp(rx, 0, w);
    ry = std::clamp(ry, 0, h);
    Plane tmp(w, h);
    const int nx = 2 * rx + 1;
    const int mid = (from + to) / 2;
    const bool across = work.run(h, from, mid, [&](int y) {
        const std::uint8_t *in = src.row(y);
        std::uint8_t *out = tmp.row(y);
        int sum[3] = {0, 0, 0};
        auto px = [&](int x) { return in + 3 * std::clamp(x, 0, w - 1); };
        for (int k = -rx; k <= rx; ++k)
            for (int c = 0; c < 3; ++c)
                sum[c] += px(k)[c];
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c) {
                out[3 * x + c] = static_cast<std::uint8_t>((sum[c] + nx / 2) / nx);
                sum[c] += px(x + rx + 1)[c] - px(x - rx)[c];
            }
        }
    });
    if (!across)
        return false;
    constexpr int kStrip = 64;
    const int strips = (w + kStrip - 1) / kStrip;
    const int ny = 2 * ry + 1;
    return work.run(strips, mid, to, [&](int s) {
        const int x0 = s * kStrip, x1 = std::min(w, x0 + kStrip);
        const int span = (x1 - x0) * 3;
        std::vector<int> sum(static_cast<std::size_t>(span), 0);
        auto row = [&](int y) { return tmp.row(std::clamp(y, 0, h - 1)) + 3 * x0; };
        for (int k = -ry; k <= ry; ++k) {
            const std::uint8_t *r = row(k);
            for (int i = 0; i < span; ++i)
                sum[static_cast<std::size_t>(i)] += r[i];
        }
        for (int y = 0; y < h; ++y) {
            std::uint8_t *out = dst.row(y) + 3 * x0;
            const std::uint8_t *add = row(y + ry + 1);
            const std::uint8_t *drop = row(y - ry);
            for (int i = 0; i < span; ++i) {
                int &v = sum[static_cast<std::size_t>(i)];
                out[i] = static_cast<std::uint8_t>((v + ny / 2) / ny);
                v += add[i] - drop[i];
            }
        }
    });
}

bool applyTables(const Plane &src, Plane &dst, const std::uint8_t *tables, Work &work) {
    const int w = src.width();
    return work.run(src.height(), 0, 100, [&](int y) {
        const std::uint8_t *in = src.row(y);
        std::uint8_t *out = dst.row(y);
        for (int x = 0; x < w; ++x) {
            out[3 * x] = tables[in[3 * x]];
            out[3 * x + 1] = tables[256 + in[3 * x + 1]];
            out[3 * x + 2] = tables[512 + in[3 * x + 2]];
        }
    });
}

} // namespace orva::fxlib::detail
