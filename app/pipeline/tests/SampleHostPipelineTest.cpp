// The sample host's in-band message steps sent over a real TCP connection, cut where the host
// chose, fed block by block into the pipeline as they arrive.
#include "app/pipeline/ReceivePipeline.h"
#include "app/pipeline/tests/RecordingSinks.h"
#include "testsupport/SampleHost.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Telnet commands out, data bytes (0xFF doubled on the wire) kept.
class TelnetStripper {
public:
    QByteArray feed(const QByteArray &in) {
        QByteArray out;
        for (char ch : in) {
            const auto b = static_cast<unsigned char>(ch);
            switch (m_state) {
            case Data:
                if (b == 255) {
                    m_state = Iac;
                } else {
                    out += ch;
                }
                break;
            case Iac:
                if (b == 255) {
                    out += ch;
                    m_state = Data;
                } else if (b >= 251 && b <= 254) {
                    m_state = Option;
                } else if (b == 250) {
                    m_state = Sub;
                } else {
                    m_state = Data;
                }
                break;
            case Option:
                m_state = Data;
                break;
            case Sub:
                m_state = b == 255 ? SubIac : Sub;
                break;
            case SubIac:
                m_state = b == 240 ? Data : Sub;
                break;
            }
        }
        return out;
    }

private:
    enum { Data, Iac, Option, Sub, SubIac } m_state = Data;
};

// Runs the sample host on `steps` and feeds what arrives, read by read, into a pipeline on `sinks`;
// returns the number of reads that carried data.
int runScript(const QJsonArray &steps, RecordingSinks &sinks) {
    QTemporaryDir dir;
    QFile script(dir.filePath("script.json"));
    if (!script.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "no script file";
        return 0;
    }
    script.write(QJsonDocument(steps).toJson());
    script.close();

    SampleHost host;
    if (!host.start({"--once", "--script", script.fileName()})) {
        ADD_FAILURE() << host.error().toStdString();
        return 0;
    }
    PipelineSettings settings;
    settings.CaptureDirectory = dir.filePath("capture");
    ReceivePipeline pipeline(sinks, settings);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(host.port()));
    if (!socket.waitForConnected(10000)) {
        ADD_FAILURE() << "no connection to the sample host";
        return 0;
    }
    TelnetStripper telnet;
    int blocks = 0;
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime()))) {
            break; // the host closed the connection after its script
        }
        const QByteArray data = telnet.feed(socket.readAll());
        if (!data.isEmpty()) {
            ++blocks;
            pipeline.process(data);
        }
    }
    host.waitForFinished(10000);
    return blocks;
}

TEST(SampleHost, InBandMessagesThroughThePipeline) {
    const QJsonArray steps{
        QJsonObject{{"handshake", "ack"}},
        QJsonObject{{"handshake", "bar"}},
        QJsonObject{{"send", "screen top "}},
        QJsonObject{{"frame", QJsonArray{"ws", "1", "x"}}, {"split", QJsonArray{2, 5}}},
        QJsonObject{{"send", "middle "}},
        QJsonObject{{"report", "KX_A~1 report\\r\\nbody"}, {"split", QJsonArray{1, 5, 22, 23}}},
        QJsonObject{{"print", "PRINT\\xffDATA"}, {"split", QJsonArray{1, 3, 7}}},
        QJsonObject{{"client_command", 5}, {"args", QJsonArray{"Cap", "Text"}}, {"split", QJsonArray{1}}},
        QJsonObject{{"send", "end"}},
        QJsonObject{{"close", true}},
    };
    RecordingSinks sinks;
    sinks.transferActive = true;
    const int blocks = runScript(steps, sinks);

    EXPECT_GT(blocks, 5) << "the host's pieces arrive as separate blocks";
    EXPECT_EQ(sinks.queuedSends, 1);
    EXPECT_FALSE(sinks.transferActive);
    EXPECT_EQ(sinks.panelHidden, 1);
    EXPECT_EQ(sinks.terminal, "screen top middle end");
    EXPECT_EQ(sinks.requests, QList<QByteArray>{"ws\x03"
                                                "1\x03x"});
    EXPECT_EQ(sinks.editor, QList<QByteArray>{"KX_A~1 report\r\nbody"});
    EXPECT_EQ(sinks.printed, "PRINT\xff"
                             "DATA");
    EXPECT_EQ(sinks.messages, QStringList{"0|Cap|Text"});
}

// The host destroys its form, draws the next screen and builds a form again: the screen shows
// whole whether the frames and the text come in one write or in pieces cut anywhere.
TEST(SampleHost, ScreenBetweenFramesIsShown) {
    const QString bytes = "\\x9fws1\\x032\\x9b\\x9ffrm1\\x032\\x9b"
                          "\\e[H\\e[2JHOST FORM REQUESTS\\r\\nKey: "
                          "\\x9fws1\\x031\\x033\\x9b";
    const QByteArray screen = "\x1B[H\x1B[2JHOST FORM REQUESTS\r\nKey: ";
    const QList<QByteArray> frames{"ws1\x03"
                                   "2",
                                   "frm1\x03"
                                   "2",
                                   "ws1\x03"
                                   "1\x03"
                                   "3"};
    for (const QJsonArray &split : {QJsonArray{}, QJsonArray{5, 12, 20, 50}, QJsonArray{11, 13}}) {
        RecordingSinks sinks;
        runScript({QJsonObject{{"send", bytes}, {"split", split}}, QJsonObject{{"close", true}}}, sinks);
        EXPECT_EQ(sinks.terminal, screen) << "split at " << QJsonDocument(split).toJson().toStdString();
        EXPECT_EQ(sinks.requests, frames);
    }
}

} // namespace
