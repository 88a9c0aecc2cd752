// Reader thread: poll() on the device and an eventfd, copies of each report posted to the
// application object's thread behind a channel that Stop() closes.
#include "platform/hid/TUsbHidDeviceReadThread.h"

#include "platform/hid/HidBackend.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {

// hidraw never returns more than this in one read (the kernel's report buffer size).
constexpr qsizetype kMaxReport = 16384;

// Deliveries run from the event loop, which an exception must never reach.
template <typename Call> void deliver(Call &&call) {
    try {
        call();
    } catch (const std::exception &failure) {
        qCWarning(orvaHid) << "HID report handler failed:" << failure.what();
    } catch (...) {
        qCWarning(orvaHid) << "HID report handler failed";
    }
}

} // namespace

// Shared by the thread's posted deliveries and the owner; only the user-interface thread reads
// `open` (in a delivery) or clears it (in Stop), so it needs no lock.
struct TUsbHidDeviceReadThread::Channel {
    ReportHandler onReport;
    ErrorHandler onError;
    bool open = true;
};

std::unique_ptr<TUsbHidDeviceReadThread> TUsbHidDeviceReadThread::Start(int fd, bool numberedReports,
                                                                        int sleepMs, ReportHandler onReport,
                                                                        ErrorHandler onError, int *error) {
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        if (error)
            *error = errno;
        ::close(fd);
        return nullptr;
    }
    auto channel = std::make_shared<Channel>();
    channel->onReport = std::move(onReport);
    channel->onError = std::move(onError);
    std::unique_ptr<TUsbHidDeviceReadThread> reader(
        new TUsbHidDeviceReadThread(fd, wake, numberedReports, sleepMs, std::move(channel)));
    try {
        reader->m_thread = std::thread([raw = reader.get()] { raw->run(); });
    } catch (const std::system_error &failure) {
        if (error)
            *error = failure.code().value();
        return nullptr; // the destructor closes both descriptors
    }
    return reader;
}

TUsbHidDeviceReadThread::TUsbHidDeviceReadThread(int fd, int wake, bool numbered, int sleepMs,
                                                 std::shared_ptr<Channel> channel)
    : m_fd(fd), m_wake(wake), m_numbered(numbered), m_sleepMs(sleepMs), m_channel(std::move(channel)) {}

TUsbHidDeviceReadThread::~TUsbHidDeviceReadThread() {
    Stop();
    ::close(m_fd);
    ::close(m_wake);
}

void TUsbHidDeviceReadThread::Stop() {
    m_channel->open = false;
    if (!m_thread.joinable())
        return;
    const quint64 one = 1;
    // An eventfd write of 1 cannot fail short of the counter overflowing, which one write cannot do.
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    m_thread.join();
}

bool TUsbHidDeviceReadThread::IsDeviceGone(int error) {
    switch (error) {
    case ENODEV:
    case ENXIO:
    case EIO:
    case ESHUTDOWN:
    case EPIPE:
    case EBADF:
        return true;
    default:
        return false;
    }
}

QByteArray TUsbHidDeviceReadThread::NormaliseReport(const char *bytes, qsizetype size, bool numberedReports) {
    if (numberedReports)
        return QByteArray(bytes, size);
    QByteArray report(size + 1, Qt::Uninitialized);
    report[0] = '\0';
    std::copy(bytes, bytes + size, report.begin() + 1);
    return report;
}

bool TUsbHidDeviceReadThread::waitForWake(int ms) {
    pollfd wake{m_wake, POLLIN, 0};
    return ::poll(&wake, 1, ms) > 0;
}

void TUsbHidDeviceReadThread::run() {
    QByteArray buffer(kMaxReport, Qt::Uninitialized);
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, m_sleepMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            postError(errno, false);
            if (waitForWake(m_sleepMs))
                break;
            continue;
        }
        if (fds[1].revents)
            break;
        if (ready == 0)
            continue; // nothing within the sleep time: wait again
        if (!(fds[0].revents & POLLIN)) {
            // Hang-up or error without data: hidraw says so once its device is removed.
            postError(ENODEV, true);
            break;
        }
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got > 0) {
            postReport(NormaliseReport(buffer.constData(), got, m_numbered));
            continue;
        }
        const int error = got == 0 ? ENODEV : errno;
        if (error == EINTR || error == EAGAIN)
            continue;
        if (IsDeviceGone(error)) {
            postError(error, true);
            break;
        }
        // Not gone but failing: say so and pause, rather than flooding the user-interface thread.
        postError(error, false);
        if (waitForWake(m_sleepMs))
            break;
    }
    m_ended = true;
}

void TUsbHidDeviceReadThread::postReport(QByteArray report) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [channel = m_channel, report = std::move(report)] {
            if (channel->open && channel->onReport)
                deliver([&] { channel->onReport(report); });
        },
        Qt::QueuedConnection);
}

void TUsbHidDeviceReadThread::postError(int error, bool gone) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [channel = m_channel, error, gone] {
            if (channel->open && channel->onError)
                deliver([&] { channel->onError(error, gone); });
        },
        Qt::QueuedConnection);
}
