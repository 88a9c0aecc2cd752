// Two ways for a test to make file writes fail as a full disk does. FileSizeLimit lowers this
// process's file size limit, so that any write past it fails (EFBIG) wherever the file is; it needs
// no privilege, so every run covers a failing write. SmallDisk mounts a small tmpfs, the real
// thing, where the test runs as root (as in CI); elsewhere it says why it could not.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        // Past the limit the kernel also sends SIGXFSZ, which would end the test.
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

class SmallDisk {
public:
    // Mounts a tmpfs of `size` (as mount's "size=" takes it, "32k") on the existing folder `at`.
    SmallDisk(const QString &at, const QByteArray &size) : m_at(QFile::encodeName(at)) {
        const QByteArray options = "size=" + size + ",mode=0755";
        if (::mount("tmpfs", m_at.constData(), "tmpfs", 0, options.constData()) == 0)
            m_mounted = true;
        else
            m_reason = QStringLiteral("a tmpfs could not be mounted (%1); mounting needs root")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_at.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString reason() const { return m_reason; }

private:
    QByteArray m_at;
    bool m_mounted = false;
    QString m_reason;
};
