// Scanning through SANE on a worker thread, stoppable from the calling thread.
#include "platform/imageio/SaneScanner.h"

#include "platform/imageio/Codecs.h"
#include "platform/imageio/DibReduce.h"

#include <QCoreApplication>
#include <QThread>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include <pthread.h>

namespace orva::imageio {

namespace {

// SANE is started once and kept for the life of the process: backends keep their state in their
// own globals, and unloading them between scans only loses it.
struct SaneSession {
    bool ok = false;
    SaneSession() {
        static const bool started = [] {
            SANE_Int version = 0;
            return sane_init(&version, nullptr) == SANE_STATUS_GOOD;
        }();
        ok = started;
    }
};

SANE_Word clampToConstraint(const SANE_Option_Descriptor *d, SANE_Word v) {
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range *r = d->constraint.range;
        v = std::clamp(v, r->min, r->max);
        if (r->quant > 0)
            v = r->min + (v - r->min) / r->quant * r->quant;
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word *list = d->constraint.word_list;
        SANE_Word best = list[0] > 0 ? list[1] : v;
        for (int i = 1; i <= list[0]; ++i)
            if (std::llabs(static_cast<long long>(list[i]) - v) <
                std::llabs(static_cast<long long>(best) - v))
                best = list[i];
        v = best;
    }
    return v;
}

class Device {
public:
    explicit Device(SANE_Handle h) : m_h(h) {}
    const SANE_Option_Descriptor *find(const char *name, SANE_Int &index) const {
        for (SANE_Int i = 1;; ++i) {
            const SANE_Option_Descriptor *d = sane_get_option_descriptor(m_h, i);
            if (!d)
                return nullptr;
            if (d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap) &&
                SANE_OPTION_IS_SETTABLE(d->cap)) {
                index = i;
                return d;
            }
        }
    }
    // Numbers are given as doubles and stored as SANE's integers or fixed-point values.
    void setNumber(const char *name, double value) {
        SANE_Int i = 0;
        const SANE_Option_Descriptor *d = find(name, i);
        if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size != sizeof(SANE_Word))
            return;
        SANE_Word v =
            d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : static_cast<SANE_Word>(std::lround(value));
        v = clampToConstraint(d, v);
        sane_control_option(m_h, i, SANE_ACTION_SET_VALUE, &v, nullptr);
    }
    // A -1000..1000 setting spread over the option's own range.
    void setScaled(const char *name, int value) {
        SANE_Int i = 0;
        const SANE_Option_Descriptor *d = find(name, i);
        if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE || d->size != sizeof(SANE_Word))
            return;
        const SANE_Range *r = d->constraint.range;
        const double t = (std::clamp(value, -1000, 1000) + 1000) / 2000.0;
        SANE_Word v =
            static_cast<SANE_Word>(std::lround(r->min + t * (static_cast<double>(r->max) - r->min)));
        v = clampToConstraint(d, v);
        sane_control_option(m_h, i, SANE_ACTION_SET_VALUE, &v, nullptr);
    }
    // Picks the first list entry containing one of the wanted words.
    void setChoice(const char *name, std::initializer_list<const char *> wanted) {
        SANE_Int i = 0;
        const SANE_Option_Descriptor *d = find(name, i);
        if (!d || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
            return;
        for (const char *w : wanted)
            for (const SANE_String_Const *s = d->constraint.string_list; *s; ++s)
                if (QString::fromUtf8(*s).contains(QLatin1String(w), Qt::CaseInsensitive)) {
                    std::vector<char> value(static_cast<std::size_t>(std::max<SANE_Int>(d->size, 1)), 0);
                    std::strncpy(value.data(), *s, value.size() - 1);
                    sane_control_option(m_h, i, SANE_ACTION_SET_VALUE, value.data(), nullptr);
                    return;
                }
    }

private:
    SANE_Handle m_h;
};

void configure(SANE_Handle h, const ScanSettings &s) {
    Device dev(h);
    switch (s.pixelType) {
    case 1:
        // Without a line-art mode, gray at one bit: the device keeps the mode of its last scan
        // otherwise, and a colour mode cannot give one bit.
        dev.setChoice(SANE_NAME_SCAN_MODE, {"Lineart", "Binary", "Halftone", "Gray", "Grey"});
        break;
    case 2:
    case 3:
        dev.setChoice(SANE_NAME_SCAN_MODE, {"Gray", "Grey"});
        break;
    case 4:
    case 8:
        dev.setChoice(SANE_NAME_SCAN_MODE, {"Color", "Colour"});
        break;
    default:
        break;
    }
    // Devices without a line-art mode scan gray at one bit, or gray that is reduced afterwards.
    dev.setNumber(SANE_NAME_BIT_DEPTH, s.pixelType == 1 ? 1 : 8);
    dev.setNumber(SANE_NAME_SCAN_RESOLUTION, std::clamp(s.dpi, 30, 3600));
    if (s.useAdf)
        dev.setChoice(SANE_NAME_SCAN_SOURCE, {"ADF", "Automatic Document Feeder", "Feeder"});
    if (s.width > 0 && s.height > 0) {
        dev.setNumber(SANE_NAME_SCAN_TL_X, s.left * 25.4);
        dev.setNumber(SANE_NAME_SCAN_TL_Y, s.top * 25.4);
        dev.setNumber(SANE_NAME_SCAN_BR_X, (s.left + s.width) * 25.4);
        dev.setNumber(SANE_NAME_SCAN_BR_Y, (s.top + s.height) * 25.4);
    }
    if (s.brightness != 0)
        dev.setScaled(SANE_NAME_BRIGHTNESS, s.brightness);
    if (s.contrast != 0)
        dev.setScaled(SANE_NAME_CONTRAST, s.contrast);
}

// The shared state between the scanning worker and the waiting caller.
struct Exchange {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<DibBlock> pages;
    std::atomic<int> percent{0};
    std::atomic<bool> cancel{false};
    bool finished = false;
    std::int16_t result = kOk;
};

std::int16_t readFrame(SANE_Handle h, Exchange &ex, int dpi, DibBlock &out) {
    SANE_Parameters p;
    if (sane_get_parameters(h, &p) != SANE_STATUS_GOOD)
        return ErrCorrupt;
    const bool gray = p.format == SANE_FRAME_GRAY;
    if ((!gray && p.format != SANE_FRAME_RGB) || (p.depth != 1 && p.depth != 8 && p.depth != 16) ||
        (!gray && p.depth == 1) || p.pixels_per_line <= 0 || p.bytes_per_line <= 0)
        return ErrUnsupported;
    const int bits = gray ? (p.depth == 1 ? 1 : 8) : 24;
    const std::size_t line = static_cast<std::size_t>(p.bytes_per_line);
    if (line < (static_cast<std::size_t>(p.pixels_per_line) * (gray ? 1 : 3) * p.depth + 7) / 8)
        return ErrCorrupt;
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> buffer(64 * 1024);
    const std::uint64_t expected = p.lines > 0 ? static_cast<std::uint64_t>(p.lines) * line : 0;
    for (;;) {
        SANE_Int len = 0;
        const SANE_Status st = sane_read(h, buffer.data(), static_cast<SANE_Int>(buffer.size()), &len);
        if (st == SANE_STATUS_EOF)
            break;
        if (st == SANE_STATUS_CANCELLED)
            return ErrStopped;
        if (st != SANE_STATUS_GOOD)
            return ErrCorrupt;
        if (raw.size() + static_cast<std::size_t>(len) > kMaxDibBytes)
            return ErrTooLarge;
        raw.insert(raw.end(), buffer.data(), buffer.data() + len);
        if (expected)
            ex.percent = static_cast<int>(std::min<std::uint64_t>(99, raw.size() * 100 / expected));
        // A stop is acted on only once the page's data has begun to arrive. Backends read on a
        // thread of their own that sane_cancel ends asynchronously; ended while it is still starting
        // (allocating its buffers), it dies holding the heap's lock and every thread of the process
        // then waits for ever.
        if (ex.cancel && !raw.empty()) {
            sane_cancel(h);
            return ErrStopped;
        }
    }
    const std::size_t lines = raw.size() / line;
    if (lines == 0 || !checkedPixels(p.pixels_per_line, static_cast<std::int64_t>(lines), bits))
        return ErrCorrupt;
    DibBlock dib = DibBlock::create(p.pixels_per_line, static_cast<std::int32_t>(lines), bits);
    if (!dib)
        return ErrNoMemory;
    const std::int32_t ppm = static_cast<std::int32_t>(std::lround(dpi / 0.0254));
    dib.setResolution(ppm, ppm);
    if (bits == 1) {
        // SANE lineart: a set bit is black.
        dib.setColor(0, qRgb(255, 255, 255));
        dib.setColor(1, qRgb(0, 0, 0));
    } else if (bits == 8) {
        dib.setColorTable(grayTable(256));
    }
    const int step = p.depth == 16 ? 2 : 1;
    const int hi = p.depth == 16 && QSysInfo::ByteOrder == QSysInfo::LittleEndian ? 1 : 0;
    for (std::size_t y = 0; y < lines; ++y) {
        const std::uint8_t *in = raw.data() + y * line;
        std::uint8_t *row = dib.scanLine(static_cast<int>(y));
        if (bits == 1) {
            std::memcpy(row, in, static_cast<std::size_t>((p.pixels_per_line + 7) / 8));
        } else if (bits == 8) {
            for (int x = 0; x < p.pixels_per_line; ++x)
                row[x] = in[x * step + hi];
        } else {
            for (int x = 0; x < p.pixels_per_line; ++x)
                for (int k = 0; k < 3; ++k)
                    row[3 * x + 2 - k] = in[(3 * x + k) * step + hi];
        }
    }
    out = std::move(dib);
    return kOk;
}

void worker(QString device, ScanSettings settings, Exchange &ex) {
    // A backend's reader that writes into the pipe a cancel has just closed would end the whole
    // program with SIGPIPE. Blocked here, and in the backend's threads, which start from this one
    // and inherit the mask, the write fails with EPIPE instead.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    std::int16_t result = kOk;
    {
        SaneSession session;
        SANE_Handle h = nullptr;
        if (!session.ok) {
            result = ErrNoScanner;
        } else {
            QByteArray name = device.toUtf8();
            if (name.isEmpty()) {
                const SANE_Device **list = nullptr;
                if (sane_get_devices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list && list[0])
                    name = list[0]->name;
            }
            if (name.isEmpty() || sane_open(name.constData(), &h) != SANE_STATUS_GOOD)
                result = ErrNoScanner;
        }
        if (h) {
            configure(h, settings);
            for (int page = 0; result == kOk && (settings.pages <= 0 || page < settings.pages); ++page) {
                // After a stop no further sheet is fed.
                if (ex.cancel) {
                    result = ErrStopped;
                    break;
                }
                const SANE_Status st = sane_start(h);
                if (st == SANE_STATUS_NO_DOCS && page > 0)
                    break;
                if (st != SANE_STATUS_GOOD) {
                    result = st == SANE_STATUS_NO_DOCS ? ErrNoScanner : ErrCorrupt;
                    break;
                }
                DibBlock dib;
                result = readFrame(h, ex, settings.dpi, dib);
                if (result == kOk) {
                    const int wanted = settings.pixelType == 1   ? 1
                                       : settings.pixelType == 3 ? 4
                                       : settings.pixelType == 8 ? 8
                                                                 : 0;
                    if (wanted && dib.bitCount() > wanted) {
                        DibBlock reduced = reduceDib(dib, wanted, 1);
                        if (reduced)
                            dib = std::move(reduced);
                    }
                    std::lock_guard lock(ex.mutex);
                    ex.pages.push_back(std::move(dib));
                    ex.changed.notify_all();
                }
                if (!settings.useAdf)
                    break;
            }
            sane_cancel(h);
            sane_close(h);
        }
    }
    std::lock_guard lock(ex.mutex);
    ex.result = result;
    ex.finished = true;
    ex.changed.notify_all();
}

// Only the window thread runs the event loop; a scan from a worker just waits.
void letEventsThrough() {
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
}

} // namespace

QStringList scanDevices() {
    QStringList names;
    SaneSession session;
    const SANE_Device **list = nullptr;
    if (session.ok && sane_get_devices(&list, SANE_FALSE) == SANE_STATUS_GOOD && list)
        for (int i = 0; list[i]; ++i)
            names.append(QString::fromUtf8(list[i]->name));
    return names;
}

std::int16_t scanPages(const QString &device, const ScanSettings &settings,
                       const std::function<bool(DibBlock &&page)> &onPage, const Progress &progress) {
    if (!progress.step(0))
        return ErrStopped;
    Exchange ex;
    std::thread thread(worker, device, settings, std::ref(ex));
    bool stopped = false;
    for (;;) {
        std::unique_lock lock(ex.mutex);
        ex.changed.wait_for(lock, std::chrono::milliseconds(50),
                            [&] { return ex.finished || !ex.pages.empty(); });
        std::deque<DibBlock> ready;
        ready.swap(ex.pages);
        const bool finished = ex.finished;
        lock.unlock();
        for (DibBlock &page : ready) {
            if (!stopped && onPage && !onPage(std::move(page))) {
                stopped = true;
                ex.cancel = true;
            }
            // Each page is painted, and a Cancel or a closed window seen, before the next page is
            // handed over, even when the scanner delivered several at once.
            letEventsThrough();
        }
        if (finished)
            break;
        if (!stopped && !progress.step(ex.percent)) {
            stopped = true;
            ex.cancel = true;
        }
        letEventsThrough();
    }
    thread.join();
    if (stopped)
        return ErrStopped;
    if (ex.result == kOk)
        progress.step(100);
    return ex.result;
}

} // namespace orva::imageio
