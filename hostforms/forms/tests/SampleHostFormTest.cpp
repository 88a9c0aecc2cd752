// The sample host's form script sent through the telnet link and the receive pipeline: the
// container builds the scroll-box workspace with one control of every type, answers with the
// created events the host waits for, and is shown by the final control action.
#include "app/pipeline/ReceivePipeline.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "platform/telnet/TTelnet.h"
#include "testsupport/SampleHost.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FormSinks : public PipelineSinks {
public:
    FormSinks(TWinpickFrm &frm, HostLink &link) : m_frm(frm), m_link(link) {}
    void WriteString(const QByteArray &) override {}
    HostLink *Link() override { return &m_link; }
    void ExecuteRequest(const QByteArray &text) override { m_frm.ExecuteRequest(text); }

private:
    TWinpickFrm &m_frm;
    HostLink &m_link;
};

template <class Pred> bool waitFor(Pred done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return done();
}

TEST(SampleHostForm, ScriptBuildsTheWorkspaceThroughTheLink) {
    const QString scriptPath = SampleHost::sourceDir() + "/tools/samplehost/hostform.json";
    QFile scriptFile(scriptPath);
    ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly));
    const QJsonArray steps = QJsonDocument::fromJson(scriptFile.readAll()).array();
    ASSERT_GT(steps.size(), 10);

    QTemporaryDir dir;
    SampleHost host;
    ASSERT_TRUE(host.start({"--once", "--script", scriptPath})) << host.error().toStdString();

    TTelnet telnet;
    TWinpickFrm frm;
    frm.setLink(&telnet);
    FormSinks sinks(frm, telnet);
    PipelineSettings settings;
    settings.CaptureDirectory = dir.filePath("capture");
    ReceivePipeline pipeline(sinks, settings);
    QObject::connect(&telnet, &TTelnet::OnReceive, [&] { pipeline.process(telnet.Receive()); });
    telnet.Connect("127.0.0.1", host.port());
    ASSERT_TRUE(waitFor([&] { return frm.isVisible(); }, 30000)) << "control action 5.0 on WINPICKFORM";

    TWorkspaceList &list = frm.WorkspaceList();
    TWinPick *ws = list.FindWorkspace("ws1");
    ASSERT_NE(ws, nullptr);
    EXPECT_EQ(ws->Tag, 1);
    EXPECT_EQ(ws->Container->parentWidget(), frm.ClientArea());
    EXPECT_EQ(ws->Name, "formws");
    TWinPick *form = list.FindWorkspace("frm1");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->Container->isVisible()) << "form workspaces wait for their show action";

    int controls = 0;
    for (const QJsonValue &v : steps) {
        const QJsonArray f = v.toObject().value("frame").toArray();
        if (f.size() < 16) {
            continue;
        }
        const QByteArray name = f[0].toString().toLatin1().toLower();
        const int type = f[2].toString().toInt();
        if (type == 1 || type == 17) {
            continue;
        }
        SCOPED_TRACE(name.toStdString());
        ++controls;
        QWidget *w = list.FindPickObject(ws, "ws1." + name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName().toLatin1(), name);
        const int tag = ws->TagOf(w);
        EXPECT_EQ(tag == 14 ? 13 : tag, type);
        EXPECT_TRUE(w->isVisible());
        const QByteArray align = f[9].toString().toLatin1();
        if (align.isEmpty()) {
            EXPECT_EQ(w->geometry(), QRect(f[3].toString().toInt(), f[4].toString().toInt(),
                                           f[5].toString().toInt(), f[6].toString().toInt()));
        } else {
            EXPECT_EQ(AlignLayout::Engine::alignOf(w), *HostProtocol::readAlign(align));
            EXPECT_EQ(w->width(), f[5].toString().toInt());
        }
    }
    EXPECT_EQ(controls, 17);
    EXPECT_EQ(ws->Objects().size(), controls);

    const QString shot = qEnvironmentVariable("ORVA_HOSTFORM_SCREENSHOT");
    if (!shot.isEmpty()) {
        frm.resize(720, 520);
        waitFor([] { return false; }, 500);
        frm.grab().save(shot);
    }
    telnet.Close();
    host.waitForFinished(10000);
    int expects = 0;
    for (const QJsonObject &e : host.events("expect")) {
        EXPECT_TRUE(e.value("found").toBool()) << QJsonDocument(e).toJson().constData();
        ++expects;
    }
    EXPECT_EQ(expects, 2) << "the host saw both created events";
}

} // namespace
