// The writer on POSIX calls: the file written is always a new name made with O_EXCL, so never
// through a link; O_NOFOLLOW guards the one open of an existing name (appending); and rename
// replaces a link planted at the name rather than writing through it.
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// Where the folder has a default access list the kernel applies it to a new file in place of the
// umask; the mode asked for then only limits it, so a private file stays private there too.
mode_t newFileMode(bool shared) {
    return shared ? 0666 : 0600;
}

constexpr const char *kAccessList = "system.posix_acl_access";

// The file written in place of `old` takes over its group, access list and mode. A file system
// that cannot keep them (a share mounted without ownership) writes the file as it would any new one.
void takeOver(int fd, const QByteArray &old, const struct stat &st) {
    (void)!::fchown(fd, uid_t(-1), st.st_gid);
    QByteArray list(256, Qt::Uninitialized);
    ssize_t n = ::getxattr(old.constData(), kAccessList, list.data(), size_t(list.size()));
    if (n < 0 && errno == ERANGE) {
        n = ::getxattr(old.constData(), kAccessList, nullptr, 0);
        list.resize(qMax<ssize_t>(n, 0));
        n = n > 0 ? ::getxattr(old.constData(), kAccessList, list.data(), size_t(list.size())) : n;
    }
    if (n > 0)
        (void)!::fsetxattr(fd, kAccessList, list.constData(), size_t(n), 0);
    else
        (void)!::fremovexattr(fd, kAccessList); // one the folder's default list gave the new name
    (void)!::fchmod(fd, st.st_mode & 07777);
}

} // namespace

PrivateFile::PrivateFile(QString path, Placing placing) : m_path(std::move(path)), m_placing(placing) {}

PrivateFile::PrivateFile(QString path, Placing placing, Access access)
    : m_path(std::move(path)), m_placing(placing), m_access(access) {}

PrivateFile::~PrivateFile() {
    if (!isOpen())
        return;
    if (m_placing == Placing::OnCommit)
        cancel();
    else
        commit();
}

bool PrivateFile::makeFolder(const QString &folder, QString *error) {
    return makeFolder(folder, error, Access::Private);
}

bool PrivateFile::makeFolder(const QString &folder, QString *error, Access access) {
    const mode_t mode = access == Access::Shared ? 0777 : 0700;
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    QString at = clean.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (const QString &part : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at += part;
        const QByteArray name = QFile::encodeName(at);
        // An existing folder is left as it is: it may be shared on purpose.
        if (::mkdir(name.constData(), mode) != 0 && !isFolder(name)) {
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
    return save(path, data, error, Access::Private);
}

bool PrivateFile::save(const QString &path, const QByteArray &data, QString *error, Access access) {
    PrivateFile file(path, Placing::OnCommit, access);
    const bool ok = file.open() && file.write(data) == data.size() && file.commit();
    if (!ok) {
        if (error)
            *error = file.errorString();
        file.cancel();
    }
    return ok;
}

bool PrivateFile::append(const QString &path, const QByteArray &data, QString *error) {
    return append(path, data, error, Access::Private);
}

bool PrivateFile::append(const QString &path, const QByteArray &data, QString *error, Access access) {
    PrivateFile file(path, Placing::Append, access);
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 start = file.m_bufferAt;
    bool ok = file.write(data) == data.size() && file.writeBuffer();
    if (ok && ::fsync(file.m_fd) != 0 && errno != EINVAL)
        ok = file.fail(QStringLiteral("flush to disk"), errno);
    if (!ok)
        (void)!::ftruncate(file.m_fd, start); // a part of the entry would corrupt the log
    ok = file.commit() && ok;
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

PrivateFile::Reserved PrivateFile::reserve(const QString &path, QString *error) {
    return reserve(path, error, Access::Private);
}

PrivateFile::Reserved PrivateFile::reserve(const QString &path, QString *error, Access access) {
    const QFileInfo info(path);
    if (access == Access::Private && !makeFolder(info.absolutePath(), error))
        return Reserved::Failed;
    const int fd =
        ::open(QFile::encodeName(info.absoluteFilePath()).constData(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, newFileMode(access == Access::Shared));
    if (fd < 0) {
        const int e = errno;
        if (e == EEXIST)
            return Reserved::Taken;
        if (error)
            *error = QStringLiteral("%1 could not be written (create): %2").arg(path, reason(e));
        return Reserved::Failed;
    }
    ::close(fd);
    return Reserved::Made;
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
    if (m_access == Access::Private && !makeFolder(info.absolutePath(), &error)) {
        m_failed = true;
        setErrorString(error);
        return false;
    }
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    // A device or a pipe at the name is neither replaced nor written to; a link is replaced.
    struct stat st;
    const bool exists = ::lstat(target.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        m_failed = true;
        setErrorString(QStringLiteral("%1 could not be written: it is not a regular file.").arg(m_path));
        return false;
    }
    const bool shared = m_access == Access::Shared;
    if (m_placing == Placing::Append) {
        m_fd = ::open(target.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                      newFileMode(shared));
        if (m_fd < 0)
            return fail(QStringLiteral("open"), errno);
        m_bufferAt = ::lseek(m_fd, 0, SEEK_END);
        return QIODevice::open(WriteOnly | Unbuffered);
    }
    const bool replacing = exists && S_ISREG(st.st_mode);
    if (!openTemporary(info.absolutePath(), info.fileName(), newFileMode(shared && !replacing)))
        return false;
    if (shared && replacing)
        takeOver(m_fd, target, st);
    if (m_placing == Placing::AtOpen && ::rename(m_temporary.constData(), target.constData()) != 0) {
        const int e = errno;
        cancel();
        return fail(QStringLiteral("create"), e);
    }
    if (m_placing == Placing::AtOpen)
        m_temporary.clear();
    return QIODevice::open(WriteOnly | Unbuffered);
}

// A new name beside the file's, made exclusively: never an existing file or a link.
bool PrivateFile::openTemporary(const QString &folder, const QString &name, unsigned mode) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/.") + name) + '.';
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        m_fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            m_temporary = temporary;
            return true;
        }
        if (errno != EEXIST)
            return fail(QStringLiteral("create"), errno);
    }
    return fail(QStringLiteral("create"), EEXIST);
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
