// The user's capture file: private from its first byte, every block on disk, a failed write ends the
// capture; and the capture button's questions in each order the user may answer them.
#include "app/capture/LocalCapture.h"
#include "common/testing/RecordingMessages.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(LocalCapture, FilesArePrivateAndHoldEveryBlock) {
    QTemporaryDir dir;
    for (const bool existing : {false, true}) {
        const QString path = dir.filePath(existing ? "old.txt" : "new.txt");
        if (existing) {
            writeFile(path, "earlier session");
            ::chmod(QFile::encodeName(path).constData(), 0644);
        }
        LocalCapture capture;
        ASSERT_TRUE(capture.start(path)) << capture.errorString().toStdString();
        EXPECT_EQ(modeOf(path), 0600u);
        EXPECT_EQ(contents(path), QByteArray());
        ASSERT_TRUE(capture.write(QByteArray("A\x1B[5iX", 6)));
        // Each block is on disk before the next arrives.
        EXPECT_EQ(contents(path), QByteArray("A\x1B[5iX"));
        ASSERT_TRUE(capture.write(QByteArray("\xFF\x9F\r\n", 4)));
        EXPECT_TRUE(capture.stop());
        EXPECT_FALSE(capture.isOn());
        EXPECT_EQ(contents(path), QByteArray("A\x1B[5iX\xFF\x9F\r\n"));
    }
}

TEST(LocalCapture, AFailedWriteEndsTheCapture) {
    QTemporaryDir dir;
    LocalCapture capture;
    ASSERT_TRUE(capture.start(dir.filePath("cap.txt")));
    ASSERT_TRUE(capture.write("first"));
    // A file size limit makes the next write fail as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = capture.write(QByteArray(64, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(capture.isOn());
    EXPECT_FALSE(capture.errorString().isEmpty());
    EXPECT_FALSE(capture.write("later"));
}

// The button's dialogue: the answers given in turn and what the capture is left doing.
TEST(LocalCapture, ButtonDialogue) {
    using A = UserMessages::Answer;
    const struct {
        const char *name;
        QStringList files;    // answers to the save dialog ("" cancels); "old" names a file that exists
        QList<A> replies;     // answers to the overwrite question
        const char *captured; // the file captured into, or "" for none
    } cases[] = {
        {"dialog cancelled", {}, {}, ""},
        {"new file gets .txt", {"cap"}, {}, "cap.txt"},
        {"new file with its own extension", {"cap.dat"}, {}, "cap.dat"},
        {"existing: overwrite", {"old.txt"}, {A::Yes}, "old.txt"},
        {"existing: choose again", {"old.txt", "other.txt"}, {A::No}, "other.txt"},
        {"existing: cancel", {"old.txt"}, {A::Cancel}, ""},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        writeFile(dir.filePath("old.txt"), "keep?");
        RecordingMessages messages;
        for (const QString &f : c.files) {
            messages.chosenFiles.append(dir.filePath(f));
        }
        messages.replies = c.replies;
        LocalCapture capture;
        capture.ButtonClick(messages);
        const QString expected = QString::fromLatin1(c.captured);
        EXPECT_EQ(capture.isOn(), !expected.isEmpty()) << c.name;
        if (!expected.isEmpty()) {
            EXPECT_EQ(capture.fileName(), dir.filePath(expected)) << c.name;
            EXPECT_EQ(contents(dir.filePath(expected)), QByteArray()) << c.name;
        }
        if (expected != "old.txt") {
            EXPECT_EQ(contents(dir.filePath("old.txt")), QByteArray("keep?")) << c.name;
        }
        EXPECT_EQ(messages.fileDialogs.value(0),
                  "save|File Capture||Text Files (*.txt);;Binary Data Files (*.dat);;Any (non-text) File (*)")
            << c.name;
        if (!c.replies.isEmpty()) {
            EXPECT_EQ(
                messages.asked.value(0),
                "File Capture Exists|File already exists.\r\nDo you want to overwrite the current file?");
        }
    }
}

TEST(LocalCapture, RunningCaptureStopsOnlyWhenTheUserSaysSo) {
    QTemporaryDir dir;
    LocalCapture capture;
    ASSERT_TRUE(capture.start(dir.filePath("cap.txt")));
    RecordingMessages messages;
    messages.replies = {UserMessages::Answer::No, UserMessages::Answer::Yes};
    capture.ButtonClick(messages);
    EXPECT_TRUE(capture.isOn());
    capture.ButtonClick(messages);
    EXPECT_FALSE(capture.isOn());
    EXPECT_EQ(messages.asked, QStringList(2, "Capture to File.|Do you want to stop file capture?"));
    EXPECT_TRUE(messages.fileDialogs.isEmpty());
}

TEST(LocalCapture, AFileThatCannotBeCreatedIsNamed) {
    QTemporaryDir dir;
    RecordingMessages messages;
    messages.chosenFiles = {dir.filePath("no/such/folder/cap.txt")};
    LocalCapture capture;
    capture.ButtonClick(messages);
    EXPECT_FALSE(capture.isOn());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(
        messages.shown.first().startsWith("File Capture|The capture file " + dir.filePath("no/such")));
}
