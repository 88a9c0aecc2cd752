// An EPS conversion ends within its deadline, however Ghostscript behaves, and leaves no process
// behind. A shell script stands in for Ghostscript.
#include "platform/imageio/EpsDxf.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

using namespace orva::imageio;

namespace {

QString script(const QTemporaryDir &dir, const char *name, const QByteArray &body) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\necho $$ > \"$0.pid\"\n" + body) < 0)
        return {};
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

bool processAlive(const QString &pidFile) {
    QFile f(pidFile);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const pid_t pid = pid_t(f.readAll().trimmed().toInt());
    return pid > 0 && ::kill(pid, 0) == 0;
}

} // namespace

TEST(EpsConversion, EndsAtItsDeadline) {
    QTemporaryDir dir;
    const QString eps = dir.filePath("picture.eps");
    QFile f(eps);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
    f.close();
    const struct {
        const char *name;
        QByteArray body;
        std::int16_t result;
    } cases[] = {
        // A byte now and then never lets a wait for output run out.
        {"trickles", "while true; do printf x; sleep 0.2; done\n", ErrCorrupt},
        {"silent", "exec sleep 60\n", ErrCorrupt},
        {"closes its output and stays", "exec >&- 2>&-\nexec sleep 60\n", ErrCorrupt},
        {"floods its error output", "while true; do echo error message >&2; done\n", ErrCorrupt},
        {"fails", "echo not a bitmap\nexit 1\n", ErrCorrupt},
    };
    setGhostscriptDeadline(1000);
    for (const auto &c : cases) {
        const QString gs = script(dir, c.name, c.body);
        ASSERT_FALSE(gs.isEmpty()) << c.name;
        setGhostscriptProgram(gs);
        QElapsedTimer timer;
        timer.start();
        DibBlock out;
        EXPECT_EQ(renderEps(eps, out), c.result) << c.name;
        EXPECT_LT(timer.elapsed(), 8000) << c.name;
        EXPECT_TRUE(out.isNull()) << c.name;
        EXPECT_FALSE(processAlive(gs + ".pid")) << c.name << ": Ghostscript left running";
    }
    setGhostscriptProgram({});
    setGhostscriptDeadline(kGhostscriptDeadlineMs);
}
