// The link against real peers on 127.0.0.1: the sample host and the system's telnet daemon, each
// started here as a child process and stopped by its process id.
#include "platform/telnet/TTelnet.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWaitMs = 15000;

QString sourceDir() {
    return qEnvironmentVariable("ORVA_SOURCE_DIR");
}

// A peer process that writes its port to a file once it listens.
class Peer {
public:
    explicit Peer(const QStringList &arguments) {
        m_portFile = m_dir.filePath("port");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start("python3", QStringList(arguments) << m_portFile);
    }
    ~Peer() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate(); // SIGTERM to this child's process id only
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    int port() {
        if (!QTest::qWaitFor([&] { return QFile::exists(m_portFile); }, kWaitMs))
            return 0;
        QFile file(m_portFile);
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        return file.readAll().trimmed().toInt();
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_portFile;
    QProcess m_process;
};

// Starts the sample host with its JSON event log; extra arguments select its mode.
std::unique_ptr<Peer> startSampleHost(const QTemporaryDir &logDir, const QStringList &mode) {
    QStringList args{sourceDir() + "/tools/samplehost/samplehost.py", "0", "--once", "--log",
                     logDir.filePath("host.log")};
    args << mode << "--port-file";
    return std::make_unique<Peer>(args);
}

QList<QJsonObject> hostEvents(const QString &logPath, const QString &kind) {
    QList<QJsonObject> events;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("event").toString() == kind)
            events << event;
    }
    return events;
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
    void initTestCase() { QVERIFY2(!sourceDir().isEmpty(), "ORVA_SOURCE_DIR is not set"); }

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
        QTemporaryDir logDir;
        auto host = startSampleHost(logDir, {});
        const int port = host->port();
        QVERIFY(port > 0);

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

        const QString log = logDir.filePath("host.log");
        QTRY_VERIFY_WITH_TIMEOUT(!hostEvents(log, "ttype").isEmpty(), kWaitMs);
        QCOMPARE(hostEvents(log, "ttype").first().value("value").toString(), "vt400");
        QTRY_VERIFY_WITH_TIMEOUT(!hostEvents(log, "naws").isEmpty(), kWaitMs);
        QCOMPARE(hostEvents(log, "naws").last().value("width").toInt(), 100);
        QCOMPARE(hostEvents(log, "naws").last().value("height").toInt(), 30);

        // A resize while connected reaches the host at once.
        link.setWindowSize(132, 24);
        QTRY_COMPARE_WITH_TIMEOUT(hostEvents(log, "naws").last().value("width").toInt(), 132, kWaitMs);

        link.Close();
        QTRY_COMPARE_WITH_TIMEOUT(seen.log.last(), "0", kWaitMs);
        QCOMPARE(link.State(), LinkState::Closed);
        QVERIFY2(!seen.log.join(' ').contains("error"), qPrintable(seen.log.join(' ')));
    }

    void bytesComeBackUnchangedThroughTheEchoHost() {
        QTemporaryDir logDir;
        auto host = startSampleHost(logDir, {"--echo"});
        const int port = host->port();
        QVERIFY(port > 0);

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

        // The host decoded the same bytes from the wire: no 0xFF was taken as a command.
        QByteArray atHost;
        for (const auto &event : hostEvents(logDir.filePath("host.log"), "data"))
            atHost += QByteArray::fromHex(event.value("hex").toString().toLatin1());
        QCOMPARE(atHost.toHex(' '), expected.toHex(' '));
    }

    void hostClosingIsAStateChangeNotAnError() {
        QTemporaryDir logDir;
        QFile script(logDir.filePath("script.json"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(R"([{"send": "bye\\r\\n"}, {"close": true}])");
        script.close();
        auto host = startSampleHost(logDir, {"--script", script.fileName()});
        const int port = host->port();
        QVERIFY(port > 0);

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
        Peer listener({sourceDir() + "/platform/telnet/tests/oneshot_telnetd.py"});
        const int port = listener.port();
        QVERIFY(port > 0);

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
