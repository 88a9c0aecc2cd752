// The reader of one opened HID device: a thread of its own waits for input reports and posts a
// copy of each to the user-interface thread, never waiting for it there, so stopping a reader
// from the user-interface thread (even from inside a report's handler) cannot deadlock.
#pragma once

#include <QByteArray>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TUsbHidDeviceReadThread {
public:
    // The report as the decoders expect it: the report-ID byte first (0 for a device without
    // numbered reports, whose reads Linux returns without it), then the data.
    using ReportHandler = std::function<void(const QByteArray &report)>;
    // errno of a failed read; deviceGone when the device has been removed (the thread has ended).
    using ErrorHandler = std::function<void(int error, bool deviceGone)>;

    // Takes the descriptor (non-blocking) in every case. Handlers run on the thread of the
    // application object. Returns nullptr and sets *error when no thread could be started.
    static std::unique_ptr<TUsbHidDeviceReadThread> Start(int fd, bool numberedReports, int sleepMs,
                                                          ReportHandler onReport, ErrorHandler onError,
                                                          int *error = nullptr);
    ~TUsbHidDeviceReadThread();
    TUsbHidDeviceReadThread(const TUsbHidDeviceReadThread &) = delete;
    TUsbHidDeviceReadThread &operator=(const TUsbHidDeviceReadThread &) = delete;

    // Ends the thread and waits for it; no handler runs afterwards, not even for reports
    // already posted. Idempotent.
    void Stop();
    // How long one wait lasts before the thread looks again, and the pause after a failed read.
    void SetSleepTime(int ms) { m_sleepMs = ms; }
    // False once the thread has ended by itself (device gone).
    bool Running() const { return !m_ended; }

    static bool IsDeviceGone(int error);
    // The report in the layout above, from the bytes one read returned.
    static QByteArray NormaliseReport(const char *bytes, qsizetype size, bool numberedReports);

private:
    struct Channel;
    TUsbHidDeviceReadThread(int fd, int wake, bool numbered, int sleepMs, std::shared_ptr<Channel> channel);
    void run();
    bool waitForWake(int ms); // true when told to stop
    void postReport(QByteArray report);
    void postError(int error, bool gone);

    int m_fd;
    int m_wake; // eventfd: written once to stop the thread
    bool m_numbered;
    std::atomic<int> m_sleepMs;
    std::atomic<bool> m_ended{false};
    std::shared_ptr<Channel> m_channel;
    std::thread m_thread;
};
