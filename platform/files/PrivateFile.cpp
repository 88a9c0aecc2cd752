// Private work files on POSIX calls: mkostemp creates a file 0600 with O_EXCL, so never through a
// link; O_NOFOLLOW guards the one open of an existing name (appending); and rename replaces a
// link planted at the name rather than writing through it.
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 64 * 1024;

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all of `data` at the descriptor's position; false with errno set when it cannot.
bool writeAll(int fd, const char *data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool isFolder(const QByteArray &path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder's entry goes to disk too, so that a rename survives a crash; a file system that
// cannot do that for folders still has the file itself on disk.
void syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

PrivateFile::PrivateFile(QString path, Placing placing) : m_path(std::move(path)), m_placing(placing) {}

PrivateFile::~PrivateFile() {
    if (!isOpen())
        return;
    if (m_placing == Placing::OnCommit)
        cancel();
    else
        commit();
}

bool PrivateFile::makeFolder(const QString &folder, QString *error) {
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    QString at = clean.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (const QString &part : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += part;
        const QByteArray name = QFile::encodeName(at);
        // An existing folder is left as it is: it may be shared on purpose.
        if (::mkdir(name.constData(), 0700) != 0 && !isFolder(name)) {
            const QString why = errno == EEXIST ? QStringLiteral("%1 is not a folder.").arg(at)
                                                : QStringLiteral("%1: %2").arg(at, reason(errno));
            if (error)
                *error = QStringLiteral("The folder %1 could not be made: %2").arg(clean, why);
            return false;
        }
        at += QLatin1Char('/');
    }
    return true;
}

bool PrivateFile::save(const QString &path, const QByteArray &data, QString *error) {
    PrivateFile file(path);
    const bool ok = file.open() && file.write(data) == data.size() && file.commit();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancel();
    }
    return ok;
}

bool PrivateFile::open(OpenMode mode) {
    if (isOpen() || (mode & ReadOnly) || !(mode & WriteOnly)) {
        setErrorString(QStringLiteral("%1 can only be opened once, for writing.").arg(m_path));
        return false;
    }
    m_failed = false;
    m_buffer.clear();
    m_bufferAt = 0;
    const QFileInfo info(m_path);
    QString error;
    if (!makeFolder(info.absolutePath(), &error)) {
        m_failed = true;
        setErrorString(error);
        return false;
    }
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    // A device or a pipe at the name is neither replaced nor written to; a link is replaced.
    struct stat st;
    if (::lstat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        m_failed = true;
        setErrorString(QStringLiteral("%1 could not be written: it is not a regular file.").arg(m_path));
        return false;
    }
    if (m_placing == Placing::Append) {
        m_fd = ::open(target.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return fail(QStringLiteral("open"), errno);
        m_bufferAt = ::lseek(m_fd, 0, SEEK_END);
    } else {
        QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                            QStringLiteral(".XXXXXX"));
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd < 0)
            return fail(QStringLiteral("create"), errno);
        if (m_placing == Placing::AtOpen && ::rename(name.constData(), target.constData()) != 0) {
            const int e = errno;
            closeHandle();
            ::unlink(name.constData());
            return fail(QStringLiteral("create"), e);
        }
        if (m_placing == Placing::OnCommit)
            m_temporary = name;
    }
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 PrivateFile::writeData(const char *data, qint64 size) {
    if (m_fd < 0 || m_failed)
        return -1;
    if (m_buffer.isEmpty() && size >= kBufferSize) {
        if (!writeAll(m_fd, data, size)) {
            fail(QStringLiteral("write"), errno);
            return -1;
        }
        m_bufferAt += size;
        return size;
    }
    m_buffer.append(data, size);
    if (m_buffer.size() >= kBufferSize && !writeBuffer())
        return -1;
    return size;
}

qint64 PrivateFile::readData(char *, qint64) {
    return -1;
}

bool PrivateFile::writeBuffer() {
    if (m_failed)
        return false;
    if (m_buffer.isEmpty())
        return true;
    if (!writeAll(m_fd, m_buffer.constData(), m_buffer.size()))
        return fail(QStringLiteral("write"), errno);
    m_bufferAt += m_buffer.size();
    m_buffer.clear();
    return true;
}

bool PrivateFile::flush() {
    return m_fd >= 0 && writeBuffer();
}

bool PrivateFile::seek(qint64 pos) {
    if (m_fd < 0 || m_placing == Placing::Append || !writeBuffer())
        return false;
    if (::lseek(m_fd, pos, SEEK_SET) < 0)
        return fail(QStringLiteral("seek"), errno);
    m_bufferAt = pos;
    return QIODevice::seek(pos);
}

qint64 PrivateFile::size() const {
    struct stat st;
    const qint64 written = m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : 0;
    return qMax(written, m_bufferAt + m_buffer.size());
}

bool PrivateFile::commit() {
    if (m_fd < 0) {
        if (!m_failed)
            setErrorString(QStringLiteral("%1 is not open.").arg(m_path));
        return false;
    }
    bool ok = writeBuffer();
    if (ok && ::fsync(m_fd) != 0 && errno != EINVAL)
        ok = fail(QStringLiteral("flush to disk"), errno);
    const int fd = m_fd;
    m_fd = -1;
    // A file system may report a failed write only here (NFS, a full quota).
    if (::close(fd) != 0 && ok)
        ok = fail(QStringLiteral("close"), errno);
    if (m_placing == Placing::OnCommit) {
        const QFileInfo info(m_path);
        if (ok &&
            ::rename(m_temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0)
            ok = fail(QStringLiteral("rename"), errno);
        if (ok)
            syncFolder(info.absolutePath());
        else
            ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    m_buffer.clear();
    QIODevice::close();
    return ok;
}

void PrivateFile::cancel() {
    closeHandle();
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

void PrivateFile::close() {
    if (isOpen())
        commit();
}

void PrivateFile::closeHandle() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool PrivateFile::fail(const QString &what, int error) {
    m_failed = true;
    setErrorString(QStringLiteral("%1 could not be written (%2): %3").arg(m_path, what, reason(error)));
    return false;
}
