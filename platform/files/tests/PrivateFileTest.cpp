// The one writer: private modes from the first byte (with a watcher running as another user),
// shared files that keep their mode, group and access list, links planted at a name, failed writes
// on a full disk that keep the old file, folders, streams and seeking.
#include "platform/files/PrivateFile.h"
#include "common/testing/FailingDisk.h"
#include "platform/files/SharedFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

int modeOf(const QString &path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

gid_t groupOf(const QString &path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_gid : gid_t(-1);
}

// The access list as getfacl prints it without the name header; empty when getfacl is missing.
QByteArray accessList(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), QStringLiteral("--numeric"),
                                        QStringLiteral("--absolute-names"), path});
    return p.waitForFinished(10000) && p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

bool setAccessList(const QStringList &arguments) {
    return QProcess::execute(QStringLiteral("setfacl"), arguments) == 0;
}

class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }
    Umask(const Umask &) = delete;
    Umask &operator=(const Umask &) = delete;

private:
    mode_t m_old;
};

// Names in a folder other than the ones expected: a failed write must leave no file behind.
QStringList others(const QString &folder, const QStringList &expected) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &e : expected)
        names.removeAll(e);
    return names;
}

} // namespace

TEST(PrivateFile, SavesReplacingTheOldFileWithModeOwnerOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("report.doc");
    ASSERT_TRUE(writeFile(path, "old report"));
    ::chmod(QFile::encodeName(path).constData(), 0644);
    const mode_t umaskBefore = ::umask(0); // whatever the umask, never more than the owner
    QString error;
    const bool saved = PrivateFile::save(path, "new report", &error);
    ::umask(umaskBefore);
    ASSERT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(readFile(path), "new report");
    EXPECT_EQ(modeOf(path), 0600);
    EXPECT_EQ(others(dir.path(), {"report.doc"}), QStringList());
}

TEST(PrivateFile, FoldersAreMadeOwnerOnlyAndExistingOnesKept) {
    QTemporaryDir dir;
    const QString shared = dir.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ::chmod(QFile::encodeName(shared).constData(), 0755);
    const mode_t umaskBefore = ::umask(0);
    const bool made = PrivateFile::makeFolder(shared + "/results/capture");
    const bool saved = PrivateFile::save(dir.filePath("new/deeper/x.txt"), "x");
    ::umask(umaskBefore);
    ASSERT_TRUE(made);
    ASSERT_TRUE(saved);
    EXPECT_EQ(modeOf(shared), 0755) << "a folder that was there keeps its mode";
    EXPECT_EQ(modeOf(shared + "/results"), 0700);
    EXPECT_EQ(modeOf(shared + "/results/capture"), 0700);
    EXPECT_EQ(modeOf(dir.filePath("new")), 0700);
    EXPECT_EQ(modeOf(dir.filePath("new/deeper")), 0700);
    ASSERT_TRUE(writeFile(dir.filePath("plain"), "file"));
    QString error;
    EXPECT_FALSE(PrivateFile::makeFolder(dir.filePath("plain/sub"), &error));
    EXPECT_TRUE(error.contains("plain/sub")) << error.toStdString();
    EXPECT_FALSE(PrivateFile::save(dir.filePath("plain/sub/x.txt"), "x"));
}

// A link planted at a work file's name (a result folder on a shared mount) must not lead the write
// to the file it points at, whichever way the file is written.
TEST(PrivateFile, PlantedLinkIsReplacedNotFollowed) {
    const struct {
        const char *name;
        PrivateFile::Placing placing;
        bool written;
    } cases[] = {
        {"whole file", PrivateFile::Placing::OnCommit, true},
        {"stream", PrivateFile::Placing::AtOpen, true},
        {"append", PrivateFile::Placing::Append, false},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString victim = dir.filePath("victim");
        const QString link = dir.filePath("lastpendrastring.txt");
        ASSERT_TRUE(writeFile(victim, "precious"));
        ASSERT_TRUE(QFile::link(victim, link));
        PrivateFile f(link, c.placing);
        const bool ok = f.open() && f.write("patient data") == 12 && f.commit();
        EXPECT_EQ(ok, c.written) << c.name;
        EXPECT_EQ(readFile(victim), "precious") << c.name;
        if (c.written) {
            EXPECT_FALSE(QFileInfo(link).isSymLink()) << c.name;
            EXPECT_EQ(readFile(link), "patient data") << c.name;
            EXPECT_EQ(modeOf(link), 0600) << c.name;
        } else {
            EXPECT_TRUE(QFileInfo(link).isSymLink()) << c.name;
            EXPECT_FALSE(f.errorString().isEmpty()) << c.name;
        }
    }
}

// A device, a pipe or a folder at the name is refused, never replaced or written to.
TEST(PrivateFile, OnlyRegularFilesAreReplaced) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(dir.filePath("folder")));
    for (const PrivateFile::Placing placing :
         {PrivateFile::Placing::OnCommit, PrivateFile::Placing::AtOpen, PrivateFile::Placing::Append}) {
        for (const QString &path : {QStringLiteral("/dev/null"), fifo, dir.filePath("folder")}) {
            PrivateFile f(path, placing);
            EXPECT_FALSE(f.open()) << path.toStdString();
            EXPECT_TRUE(f.errorString().contains(path)) << f.errorString().toStdString();
        }
    }
    struct stat st;
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(others(dir.path(), {"pipe"}), QStringList());
}

// Writes past the file size limit fail as on a full disk: at once for a large write, only at the
// flush for one that sat in the buffer. Either way nothing counts as written and the old file stays.
TEST(PrivateFile, FailedWriteKeepsTheOldFile) {
    using Write = bool (*)(const QString &, const QByteArray &, QString *);
    const struct {
        const char *name;
        qsizetype size;
        Write write;
    } cases[] = {
        {"buffered", 12007, &PrivateFile::save},
        {"direct", 200000, &PrivateFile::save},
        {"shared", 16385, &SharedFile::save},
        {"appended entry", 9000, &SharedFile::append},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("12_P1.doc");
        ASSERT_TRUE(writeFile(path, "the stored report"));
        QString error;
        bool saved = true;
        {
            FileSizeLimit limit(8180);
            saved = c.write(path, QByteArray(c.size, 'r'), &error);
        }
        EXPECT_FALSE(saved) << c.name;
        EXPECT_TRUE(error.contains("12_P1.doc")) << c.name << ": " << error.toStdString();
        EXPECT_EQ(readFile(path), "the stored report") << c.name;
        EXPECT_EQ(others(dir.path(), {"12_P1.doc"}), QStringList()) << c.name;
    }
}

TEST(PrivateFile, FullDiskKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("results");
    ASSERT_TRUE(QDir().mkdir(mountPoint));
    SmallDisk disk(mountPoint, "32k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    const QString path = mountPoint + "/12_P1.doc";
    ASSERT_TRUE(PrivateFile::save(path, QByteArray(4000, 'o')));
    ASSERT_TRUE(writeFile(mountPoint + "/other", QByteArray(24576, 'x')));
    QString error;
    EXPECT_FALSE(PrivateFile::save(path, QByteArray(12007, 'n'), &error));
    EXPECT_TRUE(error.contains("No space left")) << error.toStdString();
    EXPECT_EQ(readFile(path), QByteArray(4000, 'o'));
    EXPECT_EQ(others(mountPoint, {"12_P1.doc", "other"}), QStringList());
}

TEST(PrivateFile, StreamsAppendAndSeek) {
    QTemporaryDir dir;
    // A stream is in place, private and empty as soon as it is open, and grows as it is written.
    const QString capture = dir.filePath("cap/cap.txt");
    PrivateFile stream(capture, PrivateFile::Placing::AtOpen);
    ASSERT_TRUE(stream.open());
    EXPECT_EQ(modeOf(capture), 0600);
    EXPECT_EQ(QFileInfo(capture).size(), 0);
    stream.write("line 1\r\n");
    ASSERT_TRUE(stream.flush());
    EXPECT_EQ(readFile(capture), "line 1\r\n");
    stream.write("line 2\r\n");
    ASSERT_TRUE(stream.commit());
    EXPECT_EQ(readFile(capture), "line 1\r\nline 2\r\n");

    PrivateFile more(capture, PrivateFile::Placing::Append);
    ASSERT_TRUE(more.open());
    more.write("line 3\r\n");
    ASSERT_TRUE(more.commit());
    EXPECT_EQ(readFile(capture), "line 1\r\nline 2\r\nline 3\r\n");

    // A header patched after the data, as a wave file's sizes are.
    const QString wave = dir.filePath("AudioData.wav");
    PrivateFile file(wave);
    ASSERT_TRUE(file.open());
    file.write("SIZE=????;");
    file.write(QByteArray(100000, 'd'));
    EXPECT_EQ(file.pos(), 100010);
    EXPECT_EQ(file.size(), 100010);
    ASSERT_TRUE(file.seek(5));
    file.write("0100");
    ASSERT_TRUE(file.seek(file.size()));
    file.write("end");
    EXPECT_FALSE(QFile::exists(wave)) << "not in place before the commit";
    ASSERT_TRUE(file.commit());
    const QByteArray written = readFile(wave);
    EXPECT_EQ(written.left(10), "SIZE=0100;");
    EXPECT_EQ(written.size(), 100013);
    EXPECT_TRUE(written.endsWith("dend"));

    // Dropped without a commit: nothing is put in place and nothing is left behind.
    {
        PrivateFile dropped(dir.filePath("dropped.doc"));
        ASSERT_TRUE(dropped.open());
        dropped.write("half a report");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("dropped.doc")));
    EXPECT_EQ(others(dir.path(), {"AudioData.wav"}), QStringList());
}

// Another local user watches a shared result folder and opens every file the moment it appears.
// Created owner-only, none of them can be read, not even in the moment before a mode change.
TEST(PrivateFile, WatcherAsAnotherUserReadsNothing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "running a watcher as another user needs root";
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QByteArray folder = QFile::encodeName(dir.path());
    int ready[2], result[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(result), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only system calls from here on: this is a copy of a threaded process.
        ::close(ready[0]);
        ::close(result[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        if (watch < 0 || ::inotify_add_watch(watch, folder.constData(), IN_CREATE | IN_MOVED_TO) < 0)
            ::_exit(3);
        (void)!::write(ready[1], "r", 1);
        int opened = 0;
        alignas(inotify_event) char events[8192];
        for (;;) {
            const ssize_t n = ::read(watch, events, sizeof events);
            if (n <= 0)
                break;
            bool done = false;
            for (ssize_t at = 0; at < n;) {
                const auto *e = reinterpret_cast<const inotify_event *>(events + at);
                at += ssize_t(sizeof(inotify_event) + e->len);
                if (e->len == 0)
                    continue;
                if (std::strcmp(e->name, "stop") == 0) {
                    done = true;
                    continue;
                }
                char path[4096];
                std::snprintf(path, sizeof path, "%s/%s", folder.constData(), e->name);
                const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
                if (fd >= 0) {
                    ++opened;
                    ::close(fd);
                }
            }
            if (done)
                break;
        }
        (void)!::write(result[1], &opened, sizeof opened);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(result[1]);
    pollfd wait{ready[0], POLLIN, 0};
    ASSERT_EQ(::poll(&wait, 1, 10000), 1) << "the watcher did not start";
    const mode_t umaskBefore = ::umask(022);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(PrivateFile::save(dir.filePath("report.doc"), "report " + QByteArray::number(i)));
    ::umask(umaskBefore);
    ASSERT_TRUE(writeFile(dir.filePath("stop"), ""));
    int opened = -1;
    pollfd done{result[0], POLLIN, 0};
    ASSERT_EQ(::poll(&done, 1, 30000), 1) << "the watcher did not finish";
    ASSERT_EQ(::read(result[0], &opened, sizeof opened), ssize_t(sizeof opened));
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(result[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "watcher status " << status;
    EXPECT_EQ(opened, 0) << "files another user could open";
}

// A shared file (a template, a list, a page on the image share) replaced by one user stays as
// usable to the others as it was; a new one gets the mode any program would give it there.
TEST(SharedFile, ReplacedFileKeepsModeAndGroupNewFileTakesTheFolders) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("share");
    ASSERT_TRUE(QDir().mkdir(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0775);
    const QString tpl = folder + "/FBC.tpl";
    ASSERT_TRUE(writeFile(tpl, "old template"));
    ::chmod(QFile::encodeName(tpl).constData(), 0644);
    const gid_t group = ::geteuid() == 0 ? 4321 : groupOf(tpl);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(tpl).constData(), uid_t(-1), group), 0);
    }
    const QString link = folder + "/linked.ant";
    const QString victim = dir.filePath("victim");
    ASSERT_TRUE(writeFile(victim, "precious"));
    ASSERT_TRUE(QFile::link(victim, link));
    {
        Umask mask(002);
        ASSERT_TRUE(SharedFile::save(tpl, "new template"));
        ASSERT_TRUE(SharedFile::save(folder + "/scan0001.ant", "marks"));
        ASSERT_TRUE(SharedFile::save(link, "marks"));
        ASSERT_TRUE(SharedFile::makeFolder(folder + "/2024/scans"));
        EXPECT_FALSE(SharedFile::save(folder + "/2023/scans/x.tif", "page")) << "no folder is made unasked";
        SharedFile log(folder + "/event.log", PrivateFile::Placing::Append);
        ASSERT_TRUE(log.open());
        log.write("line\r\n");
        ASSERT_TRUE(log.commit());
    }
    EXPECT_EQ(readFile(tpl), "new template");
    EXPECT_EQ(modeOf(tpl), 0644);
    EXPECT_EQ(groupOf(tpl), group);
    EXPECT_EQ(modeOf(folder + "/scan0001.ant"), 0664) << "group-readable under umask 002";
    EXPECT_EQ(modeOf(folder + "/event.log"), 0664);
    EXPECT_EQ(modeOf(folder + "/2024"), 0775);
    EXPECT_EQ(modeOf(folder + "/2024/scans"), 0775);
    EXPECT_EQ(modeOf(folder), 0775);
    EXPECT_FALSE(QFileInfo(link).isSymLink()) << "a link at the name is replaced, not written through";
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(others(folder, {"FBC.tpl", "scan0001.ant", "linked.ant", "event.log"}), QStringList());
}

// Folders whose access is given by access lists: a replaced file keeps its own list, a new one takes
// the folder's default list, and a private work file stays private even there.
TEST(SharedFile, AccessListsAreKeptAndDefaultsApplied) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("share");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString tpl = folder + "/FBC.tpl";
    ASSERT_TRUE(writeFile(tpl, "old"));
    ::chmod(QFile::encodeName(tpl).constData(), 0640);
    if (!setAccessList({"-m", "u:65534:rw", tpl}) ||
        !setAccessList({"-d", "-m", "u::rwx,g::rwx,o::r,u:65534:rw", folder}))
        GTEST_SKIP() << "access lists cannot be set here (setfacl missing or not supported)";
    const QByteArray before = accessList(tpl);
    ASSERT_TRUE(before.contains("user:65534:rw-")) << before.constData();
    Umask mask(077); // a default access list takes the place of the umask
    ASSERT_TRUE(SharedFile::save(tpl, "new"));
    ASSERT_TRUE(SharedFile::save(folder + "/new.ant", "marks"));
    ASSERT_TRUE(PrivateFile::save(folder + "/12_P1.doc", "report"));
    EXPECT_EQ(accessList(tpl), before);
    const QByteArray fresh = accessList(folder + "/new.ant");
    EXPECT_TRUE(fresh.contains("user:65534:rw-")) << fresh.constData();
    EXPECT_EQ(modeOf(folder + "/new.ant") & 0004, 0004) << fresh.constData();
    EXPECT_EQ(modeOf(folder + "/12_P1.doc") & 0077, 0);
    const QByteArray work = accessList(folder + "/12_P1.doc");
    EXPECT_TRUE(work.contains("mask::---") || !work.contains("user:65534")) << work.constData();
}
