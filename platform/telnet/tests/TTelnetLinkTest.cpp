// The link against real peers on 127.0.0.1: the sample host and the system's telnet daemon, each
// started here as a child process and stopped by its process id.
#include "platform/telnet/TTelnet.h"
#include "testsupport/SampleHost.h"

#include <QFile>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWaitMs = 15000;

// Starts the sample host for one connection; extra arguments select its mode.
std::unique_ptr<SampleHost> startSampleHost(const QStringList &mode) {
    auto host = std::make_unique<SampleHost>();
    host->start(QStringList{"--once"} + mode);
    return host;
}

// Collects everything the link delivers, as the receive pipeline does.
struct Collector {
    explicit Collector(TTelnet &link) {
        QObject::connect(&link, &TTelnet::OnReceive, [this, &link] {
            ++receiveEvents;
            const QByteArray bytes = link.Receive();
            if (bytes.isEmpty())
                emptyReceives++;
            data += bytes;
        });
        QObject::connect(&link, &TTelnet::OnState,
                         [this](LinkState state) { log << QString::number(int(state)); });
        QObject::connect(&link, &TTelnet::OnError,
                         [this](int, const QString &text) { log << "error:" + text; });
    }
    QByteArray data;
    QStringList log;
    int receiveEvents = 0;
    int emptyReceives = 0;
};

} // namespace

class TTelnetLinkTest : public QObject {
    Q_OBJECT

private slots:
    void sendWhileClosedIsDropped() {
        QTest::failOnWarning(QRegularExpression(".*"));
        TTelnet link;
        QSignalSpy sent(&link, &TTelnet::OnSend);
        link.Send("\xFF\xF4");
        link.Close();
        link.Abort();
        QCOMPARE(link.State(), LinkState::Closed);
        QCOMPARE(link.BytesPending(), 0);
        QCOMPARE(link.Receive(), QByteArray());
        QCOMPARE(sent.count(), 0);
    }

    void refusedPortReportsErrorThenClosed() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();

        TTelnet link;
        Collector seen(link);
        link.Connect("127.0.0.1", port);
        QTRY_VERIFY_WITH_TIMEOUT(seen.log.contains("0"), kWaitMs);
        QCOMPARE(seen.log.size(), 3);
        QCOMPARE(seen.log.at(0), "1");
        QVERIFY2(seen.log.at(1).startsWith("error:"), qPrintable(seen.log.join(' ')));
        QCOMPARE(seen.log.at(2), "0");
        QCOMPARE(link.State(), LinkState::Closed);
        link.Send("dropped");
        QCOMPARE(link.BytesPending(), 0);
    }

    void invalidPortReportsErrorThenClosed() {
        TTelnet link;
        Collector seen(link);
        link.Connect("127.0.0.1", 70000);
        QCOMPARE(seen.log.size(), 2);
        QVERIFY(seen.log.at(0).startsWith("error:"));
        QCOMPARE(seen.log.at(1), "0");
        QCOMPARE(link.State(), LinkState::Closed);
    }

    void commandsStayOffTheDataPath() {
        // An in-process host, so the test sees every byte on the wire.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        TTelnet link;
        Collector seen(link);
        link.Connect("127.0.0.1", server.serverPort());
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), kWaitMs);
        std::unique_ptr<QTcpSocket> host(server.nextPendingConnection());
        QTRY_COMPARE_WITH_TIMEOUT(link.State(), LinkState::Connected, kWaitMs);
        QByteArray wire;
        auto readWire = [&] { return wire += host->readAll(); };

        host->write("\xFF\xFD\x18"); // DO TTYPE: answered, not passed on
        QTRY_COMPARE_WITH_TIMEOUT(readWire().toHex(' '), QByteArray("ff fb 18"), kWaitMs);
        QCOMPARE(seen.receiveEvents, 0);
        QCOMPARE(link.BytesAvailable(), 0);

        host->write("\xFF\xFF\x9F\x41");
        QTRY_COMPARE_WITH_TIMEOUT(seen.data.toHex(' '), QByteArray("ff 9f 41"), kWaitMs);

        wire.clear();
        link.Send("\xFF\xF4");
        link.Send(QByteArray(1, '\0'));
        link.Send("\r\n", 1);
        QTRY_COMPARE_WITH_TIMEOUT(readWire().toHex(' '), QByteArray("ff ff f4 00 0d"), kWaitMs);
    }

    void negotiatesWithTheSampleHost() {
        auto host = startSampleHost({});
        const int port = host->port();
        QVERIFY2(port > 0, qPrintable(host->error()));

        TTelnet link;
        Collector seen(link);
        link.setWindowSize(100, 30);
        link.Connect("127.0.0.1", port);
        QCOMPARE(link.State(), LinkState::Connecting); // Qt's own number for "connecting" is 2
        QCOMPARE(seen.log.value(0), "1");
        QTRY_COMPARE_WITH_TIMEOUT(link.State(), LinkState::Connected, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(seen.data.contains("login: "), kWaitMs);
        QVERIFY(!seen.data.contains('\xFF'));
        QCOMPARE(seen.emptyReceives, 0);

        QTRY_VERIFY_WITH_TIMEOUT(!host->events("ttype").isEmpty(), kWaitMs);
        QCOMPARE(host->events("ttype").first().value("value").toString(), "vt400");
        QTRY_VERIFY_WITH_TIMEOUT(!host->events("naws").isEmpty(), kWaitMs);
        QCOMPARE(host->events("naws").last().value("width").toInt(), 100);
        QCOMPARE(host->events("naws").last().value("height").toInt(), 30);

        // A resize while connected reaches the host at once.
        link.setWindowSize(132, 24);
        QTRY_COMPARE_WITH_TIMEOUT(host->events("naws").last().value("width").toInt(), 132, kWaitMs);

        link.Close();
        QTRY_COMPARE_WITH_TIMEOUT(seen.log.last(), "0", kWaitMs);
        QCOMPARE(link.State(), LinkState::Closed);
        QVERIFY2(!seen.log.join(' ').contains("error"), qPrintable(seen.log.join(' ')));
    }

    void bytesComeBackUnchangedThroughTheEchoHost() {
        auto host = startSampleHost({"--echo"});
        const int port = host->port();
        QVERIFY2(port > 0, qPrintable(host->error()));

        TTelnet link;
        Collector seen(link);
        QSignalSpy drained(&link, &TTelnet::OnSend);
        link.Connect("127.0.0.1", port);
        QTRY_COMPARE_WITH_TIMEOUT(link.State(), LinkState::Connected, kWaitMs);

        const QByteArray bytes("\xFF\x00\x9F\x9B\xFC\xFD\xFF\xFF\xF4\r\n\r\x00 end", 17);
        drained.clear();
        link.Send(bytes);
        link.Send("ABCDEF", 3);
        const QByteArray expected = bytes + "ABC";
        QTRY_COMPARE_WITH_TIMEOUT(seen.data.size(), expected.size(), kWaitMs);
        QCOMPARE(seen.data.toHex(' '), expected.toHex(' '));
        QVERIFY(drained.count() >= 1);
        QCOMPARE(link.BytesPending(), 0);

        // The host decoded the same bytes from the wire: no 0xFF was taken as a command. (The host
        // logs what it read after echoing it, so its log may lag the echo.)
        const auto atHost = [&] {
            QByteArray bytesAtHost;
            for (const auto &event : host->events("data"))
                bytesAtHost += QByteArray::fromHex(event.value("hex").toString().toLatin1());
            return bytesAtHost.toHex(' ');
        };
        QTRY_COMPARE_WITH_TIMEOUT(atHost(), expected.toHex(' '), kWaitMs);
    }

    void hostClosingIsAStateChangeNotAnError() {
        QTemporaryDir logDir;
        QFile script(logDir.filePath("script.json"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(R"([{"send": "bye\\r\\n"}, {"close": true}])");
        script.close();
        auto host = startSampleHost({"--script", script.fileName()});
        const int port = host->port();
        QVERIFY2(port > 0, qPrintable(host->error()));

        TTelnet link;
        Collector seen(link);
        link.Connect("127.0.0.1", port);
        QTRY_COMPARE_WITH_TIMEOUT(seen.log.value(seen.log.size() - 1), "0", kWaitMs);
        QVERIFY(seen.data.endsWith("bye\r\n"));
        // Qt passes through its closing state ("other") on the way.
        QCOMPARE(seen.log, QStringList({"1", "2", "3", "0"}));
    }

    void negotiatesWithTheSystemTelnetDaemon() {
        const QString daemon = "/usr/sbin/telnetd";
        if (!QFile::exists(daemon))
            QSKIP("inetutils-telnetd is not installed");
        PeerProcess listener;
        QVERIFY2(listener.startScript(PeerProcess::sourceDir() + "/platform/telnet/tests/oneshot_telnetd.py",
                                      {listener.portFile()}),
                 qPrintable(listener.error()));
        const int port = listener.port();

        TTelnet link;
        Collector seen(link);
        link.Connect("127.0.0.1", port);
        QTRY_VERIFY_WITH_TIMEOUT(seen.data.contains("login:"), 30000);
        QCOMPARE(link.State(), LinkState::Connected);
        QVERIFY(!seen.data.contains('\xFF'));
        link.Close();
        QTRY_COMPARE_WITH_TIMEOUT(link.State(), LinkState::Closed, kWaitMs);
    }
};

QTEST_GUILESS_MAIN(TTelnetLinkTest)
#include "TTelnetLinkTest.moc"
