// The program quits while a file worker is stuck on a share that does not answer: it ends within
// a few seconds, with its own exit code and no sanitizer report, and leaves the share alone.
#include "common/testing/HungFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileWaitExit, QuitWithAWorkerStuckOnAHungFileEndsPromptlyAndCleanly) {
    QTemporaryDir dir;
    HungFile hung(dir.filePath("request.tif"));
    ASSERT_TRUE(hung.made());
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    probe.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    probe.start(QStringLiteral(ORVA_FILE_WAIT_EXIT_PROBE), {dir.filePath("request.tif")});
    ASSERT_TRUE(probe.waitForStarted(5000));
    const bool ended = probe.waitForFinished(10000);
    const qint64 took = clock.elapsed();
    if (!ended) {
        probe.kill();
        probe.waitForFinished(2000);
    }
    ASSERT_TRUE(ended) << "still running after 10 s";
    EXPECT_LT(took, 5000);
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    const QByteArray errors = probe.readAllStandardError();
    for (const char *report : {"Sanitizer", "runtime error", "Segmentation", "Aborted"})
        EXPECT_FALSE(errors.contains(report)) << errors.toStdString();
}
