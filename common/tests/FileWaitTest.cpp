// Waiting for a file on a share that does not answer: the window goes on (its timers run, it shows
// the busy cursor), the wait ends at its deadline with one notice naming the file, Escape gives it
// up, and the keys typed meanwhile reach the window afterwards.
#include "common/FileWait.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("cannot open");
}

struct MessagesInstalled {
    explicit MessagesInstalled(UserMessages &m) { FileWait::SetMessages(&m); }
    ~MessagesInstalled() { FileWait::SetMessages(nullptr); }
};

} // namespace

TEST(FileWait, DeadFileEndsAtTheDeadlineWithOneNoticeWhileTheWindowTurns) {
    QTemporaryDir dir;
    const QString path = dir.filePath("request.tif");
    HungFile hung(path);
    ASSERT_TRUE(hung.made());
    RecordingMessages messages;
    const MessagesInstalled installed(messages);

    int ticks = 0;
    bool busyCursor = false;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        busyCursor =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    timer.start();

    QElapsedTimer clock;
    clock.start();
    FileWait::Outcome how = FileWait::Outcome::Answered;
    const auto read = FileWait::Watched(
        path, [path] { return readAll(path); }, 800, &how);
    const qint64 took = clock.elapsed();

    EXPECT_FALSE(read.has_value());
    EXPECT_EQ(how, FileWait::Outcome::NoAnswer);
    EXPECT_GE(took, 700);
    EXPECT_LT(took, 3000);
    // A 50 ms timer keeps time through the wait (after its first tenth of a second).
    EXPECT_GE(ticks, 11);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(messages.boxes.size(), 1);
    EXPECT_TRUE(messages.boxes[0].text.contains(path)) << messages.boxes[0].text.toStdString();

    // While its worker is still stuck, the same file is not waited for again nor told twice.
    clock.restart();
    EXPECT_FALSE(FileWait::Watched(
                     path, [path] { return readAll(path); }, 800, &how)
                     .has_value());
    EXPECT_EQ(how, FileWait::Outcome::NoAnswer);
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_FALSE(FileWait::Exists(path, 800));
    EXPECT_LT(clock.elapsed(), 200);
    EXPECT_EQ(messages.boxes.size(), 1);

    // Once the share answers, the file is read again as any other.
    hung.release();
    QElapsedTimer back;
    back.start();
    while (FileWait::detail::StillAbandoned(path) && back.elapsed() < 5000)
        QTest::qWait(10);
    EXPECT_FALSE(FileWait::detail::StillAbandoned(path));
}

TEST(FileWait, AnsweringFileIsReadAndNothingIsTold) {
    QTemporaryDir dir;
    const QString path = dir.filePath("message.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("text");
    f.close();
    RecordingMessages messages;
    const MessagesInstalled installed(messages);
    QElapsedTimer clock;
    clock.start();
    const auto read = FileWait::Watched(
        path, [path] { return readAll(path); }, 5000);
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "text");
    EXPECT_TRUE(FileWait::Exists(path));
    EXPECT_FALSE(FileWait::Exists(dir.filePath("gone.txt")));
    EXPECT_TRUE(messages.boxes.isEmpty());
}

TEST(FileWait, EscapeGivesUpTheWaitAndTypedKeysArriveAfterwards) {
    QTemporaryDir dir;
    const QString path = dir.filePath("dictation.wav");
    HungFile hung(path);
    ASSERT_TRUE(hung.made());
    RecordingMessages messages;
    const MessagesInstalled installed(messages);
    QLineEdit edit;
    edit.setObjectName(QStringLiteral("Typed"));
    edit.show();
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));

    QTimer::singleShot(100, &edit, [&] {
        QTest::keyClicks(&edit, QStringLiteral("ab"));
        QTest::mouseClick(&edit, Qt::LeftButton);
    });
    QTimer::singleShot(300, &edit, [&] { QTest::keyClick(&edit, Qt::Key_Escape); });
    QElapsedTimer clock;
    clock.start();
    FileWait::Outcome how = FileWait::Outcome::Answered;
    EXPECT_FALSE(FileWait::Watched(
                     path, [path] { return readAll(path); }, 10000, &how)
                     .has_value());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(how, FileWait::Outcome::Cancelled);
    EXPECT_TRUE(messages.boxes.isEmpty());
    // Held back during the wait, the keys reach the window once it is over.
    EXPECT_EQ(edit.text(), QString());
    QTest::qWait(50);
    EXPECT_EQ(edit.text(), QStringLiteral("ab"));
}
