// Main-window calculations: setup path, window size, desktop clamp, host ports and work-file ages.
#include "app/MainWindowLogic.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace MainWindowLogic;

TEST(MainWindowLogic, SetupFileLocation) {
    QTemporaryDir user;
    EXPECT_EQ(SetupFilePath({"orva"}, "/opt/orva/", user.path()), "/opt/orva/orva.inf");
    EXPECT_EQ(SetupFilePath({"orva", "lab.inf"}, "/opt/orva/", user.path()), "/opt/orva/lab.inf");
    EXPECT_EQ(SetupFilePath({"orva", "/home/u/lab.inf"}, "/opt/orva/", user.path()), "/home/u/lab.inf");
    EXPECT_EQ(SetupFilePath({"orva", "C:\\orva\\lab.inf"}, "/opt/orva/", user.path()), "C:\\orva\\lab.inf");
    EXPECT_EQ(SetupFilePath({"orva", "sub\\lab.inf"}, "/opt/orva/", user.path()), "sub\\lab.inf");
    // Nothing beside the program: the user's own copy is used when it exists.
    QDir(user.path()).mkpath("orva");
    QFile f(user.path() + "/orva/orva.inf");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(SetupFilePath({"orva"}, "/nonexistent/", user.path()), user.path() + "/orva/orva.inf");
}

TEST(MainWindowLogic, WindowAroundTheTerminal) {
    EXPECT_EQ(TerminalWindowSize(80, 24, true, 9, 18, 30, 34), QSize(746, 514));
    EXPECT_EQ(TerminalWindowSize(80, 24, false, 9, 18, 30, 34), QSize(737, 514));
}

TEST(MainWindowLogic, PlaceIsKeptOnTheDesktop) {
    const QRect desk(0, 0, 1920, 1080);
    EXPECT_EQ(ClampToDesktop({100, 50}, {746, 514}, desk), QPoint(100, 50));
    EXPECT_EQ(ClampToDesktop({1800, 50}, {746, 514}, desk), QPoint(1920 - 746, 50));
    EXPECT_EQ(ClampToDesktop({100, 1000}, {746, 514}, desk), QPoint(100, 1080 - 514));
    EXPECT_EQ(ClampToDesktop({-300, -20}, {746, 514}, desk), QPoint(0, 0));
    EXPECT_EQ(ClampToDesktop({500, 0}, {2500, 514}, desk), QPoint(0, 0)); // wider than the desktop
}

TEST(MainWindowLogic, HostSettingPorts) {
    struct Case {
        const char *setting;
        int current;
        const char *host;
        int port;
    } cases[] = {{"h:2323", 23, "h", 2323},
                 {"h2", 2323, "h2", 2323},
                 {"h3:", 2323, "h3", 2323},
                 {"h4:abc", 2323, "h4", 23},
                 {"h5 : 99 ", 23, "h5", 99},
                 {"h6:70000", 2323, "h6", 23},
                 // IPv6: the address's own colons are no port.
                 {"[::1]:2323", 23, "::1", 2323},
                 {"[::1]", 2323, "::1", 2323},
                 {"[::1]:", 99, "::1", 99},
                 {"::1", 2323, "::1", 2323},
                 {"fe80::1:23", 99, "fe80::1:23", 99}};
    for (const Case &c : cases) {
        const HostAndPort hp = ParseHostSetting(c.setting, c.current);
        EXPECT_EQ(hp.host, c.host) << c.setting;
        EXPECT_EQ(hp.port, c.port) << c.setting;
    }
}

TEST(MainWindowLogic, OldWorkFiles) {
    const QDateTime now(QDate(2026, 6, 10), QTime(12, 0));
    struct Case {
        const char *name;
        int hoursOld;
        bool old;
    } cases[] = {
        {"Recover.a.txc", 8 * 24, true},       {"recover.b c.txc", 8 * 24, true},
        {"Recover.a.txc", 6 * 24, false},      {"LastReport.x.txc", 25, true},
        {"LastReport.x.txc", 23, false},       {"AudioData.0102.wav", 8 * 24, true},
        {"audiodata.0102.wav", 6 * 24, false}, {"x.txt", 100 * 24, false},
        {"Recover.a.doc", 30 * 24, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IsOldWorkFile(c.name, now.addSecs(-3600LL * c.hoursOld), now), c.old)
            << c.name << " " << c.hoursOld;
    }
}

// At close: old work files go, recent ones and the user's own stay, and the plain-text copies of the
// last report message and upload go whatever their age.
TEST(MainWindowLogic, CleanWorkFilesAtClose) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char *name;
        int hoursOld;
        bool kept;
    } files[] = {
        {"Recover.a.txc", 8 * 24, false}, {"LastReport.x.txc", 2, true}, {"lastpendrastring.txt", 0, false},
        {"Datacopy.txt", 0, false},       {"notes.txt", 30 * 24, true},
    };
    for (const auto &f : files) {
        QFile file(dir.filePath(QString::fromLatin1(f.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Written out first, so that the close does not touch the time set after.
        ASSERT_TRUE(file.write("x") == 1 && file.flush());
        ASSERT_TRUE(file.setFileTime(now.addSecs(-3600LL * f.hoursOld), QFileDevice::FileModificationTime));
    }
    CleanWorkFiles(dir.path(), now);
    for (const auto &f : files) {
        EXPECT_EQ(QFile::exists(dir.filePath(QString::fromLatin1(f.name))), f.kept) << f.name;
    }
}
