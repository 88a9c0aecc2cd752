// A FIFO stands in for a file on a hung share: opening it to read blocks until a writer comes.
// A watchdog releases any reader still blocked after a bound and records that it had to, so that
// code that blocks fails its test instead of hanging it; readers left in a worker are released at
// the end, and the end waits until those workers are gone (a worker still ending while the program
// exits would tear down its thread's Qt data after Qt itself).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class HungFile {
public:
    explicit HungFile(const QString &path) : m_path(QFile::encodeName(path)), m_threadsBefore(threadCount()) {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
    }
    ~HungFile() {
        finished();
        release();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (threadCount() > m_threadsBefore && std::chrono::steady_clock::now() < until) {
            release();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    HungFile(const HungFile &) = delete;
    HungFile &operator=(const HungFile &) = delete;

    bool made() const { return m_made; }

    // From now on, a reader blocked longer than `ms` is released and the block recorded.
    void watch(int ms) {
        m_watchdog = std::thread([this, ms] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_done; }))
                return;
            m_blocked = true;
            while (!m_done) {
                release();
                m_cv.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_done; });
            }
        });
    }
    // The code under test has returned.
    void finished() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        if (m_watchdog.joinable())
            m_watchdog.join();
    }
    // True when the watchdog had to release a reader: the caller blocked on the file.
    bool blocked() const { return m_blocked; }

    // Lets every reader blocked in its open go on (to an empty file).
    void release() const {
        const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }

private:
    static qsizetype threadCount() {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    }

    QByteArray m_path;
    qsizetype m_threadsBefore = 0;
    bool m_made = false;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    bool m_blocked = false;
    std::thread m_watchdog;
};
