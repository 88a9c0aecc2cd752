// The peer fixture: the sample host answers on the port it wrote; a peer that ends or stays silent
// is reported as such instead of as a port.
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

TEST(SampleHostFixture, ServesOnTheWrittenPortAndLogsTheConnection) {
    SampleHost host;
    ASSERT_TRUE(host.start({"--once"})) << host.error().toStdString();
    EXPECT_EQ(host.address(), "127.0.0.1:" + QByteArray::number(host.port()));
    {
        QTcpSocket socket;
        socket.connectToHost("127.0.0.1", quint16(host.port()));
        ASSERT_TRUE(socket.waitForConnected(10000)) << socket.errorString().toStdString();
        ASSERT_TRUE(socket.waitForReadyRead(10000)) << "the host opens with its option negotiation";
    }
    // The host logs before it ends, so its end makes both events final.
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_EQ(host.events("connect").size(), 1);
    EXPECT_EQ(host.events("disconnect").size(), 1);
    EXPECT_GE(host.events().size(), 2);
}

TEST(SampleHostFixture, StopEndsTheHostByItsProcessId) {
    SampleHost host;
    ASSERT_TRUE(host.start()) << host.error().toStdString();
    const qint64 pid = host.pid();
    ASSERT_GT(pid, 0);
    host.stop();
    EXPECT_TRUE(host.waitForFinished(0));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/%1").arg(pid))) << "the child is ended and reaped";
}

TEST(SampleHostFixture, PeersThatGiveNoPortAreReportedWithTheReason) {
    struct Case {
        const char *what;
        QByteArray script;
        int waitMs;
        const char *reason;
    };
    const Case cases[] = {
        {"ends at once", "import sys\nsys.exit(3)\n", 60000, "ended (exit code 3)"},
        {"never listens", "import time\ntime.sleep(120)\n", 300, "wrote no port within 300 ms"},
        {"writes no number", "import sys, time\nopen(sys.argv[1], 'w').write('x')\ntime.sleep(120)\n", 60000,
         "no port number"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PeerProcess peer;
        const QString script = peer.path("peer.py");
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(c.script), c.script.size());
        file.close();
        EXPECT_FALSE(peer.startScript(script, {peer.portFile()}, c.waitMs));
        EXPECT_EQ(peer.port(), 0);
        EXPECT_TRUE(peer.error().contains(c.reason)) << peer.error().toStdString();
    }
}

} // namespace
