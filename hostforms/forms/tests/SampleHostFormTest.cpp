// The sample host's form scripts sent through the telnet link and the receive pipeline: the
// container builds the scroll-box workspace with one control of every type, answers with the
// created events the host waits for, and is shown by the final control action; the result form
// is edited, its grid changed and the form closed, and the host receives exactly the events the
// protocol defines.
#include "app/pipeline/ReceivePipeline.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "platform/telnet/TTelnet.h"
#include "testsupport/SampleHost.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FormSinks : public PipelineSinks {
public:
    FormSinks(TWinpickFrm &frm, HostLink &link) : m_frm(frm), m_link(link) {}
    void WriteString(const QByteArray &text) override { screen += text; }
    QByteArray screen; // what reached the terminal
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
    EXPECT_EQ(ws->Tag, HostProtocol::PickType::ScrollWorkspace);
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
        const int tag = HostProtocol::typeNumber(ws->TagOf(w));
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

// A character typed with no key of its own (QTest's key clicks know only ASCII).
void typeChar(QWidget *w, QChar c) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
}

// The result form of menu choice 2, then the events the test causes, as the host must see them.
TEST(SampleHostForm, ResultEntryEventsReachTheHostExactly) {
    const QString source = SampleHost::sourceDir();
    QFile formFile(source + "/tools/samplehost/resultform.json");
    ASSERT_TRUE(formFile.open(QIODevice::ReadOnly));
    QJsonArray steps = QJsonDocument::fromJson(formFile.readAll()).array();
    ASSERT_GT(steps.size(), 3);
    auto expect = [&steps](const char *text) {
        steps.append(QJsonObject{{"expect", text}, {"timeout", 20}});
    };
    // Created with its rows: the end of the fill (the visible row count depends on the screen).
    expect(R"(,5:0\x03Hb\xFD152\xFD\xFD\x03Hct\xFD0.45\xFD\xFD)");
    // The calculated field the rules derived from the host's results.
    expect(R"(res1\x0358\x03resev\x035\x03337.777777777778)");
    // Field 1 changed, then the calculated field 5 (its rule divides field 1 by field 4).
    expect(R"(res1\x0358\x03resev\x031\x03165)");
    expect(R"(res1\x0358\x03resev\x035\x03366.666666666667)");
    // The comment took "A", y-acute (the host's value mark) and 0x9B (the frame end): encoded.
    expect(R"(res1\x0358\x03resev\x036\x03Ay?)");
    expect(R"(res1\x0394\x03resev\x03165\xFD11.2\xFD250\xFD0.45\xFD366.666666666667\xFDAy?\xFD\xFD)");
    // A grid cell typed into: column 1 of row 2, sorted column 0.
    expect(R"(grid1\x0358\x03resev\x031,2:0\x0399)");
    expect(R"(resform\x0370\x03resev\x03)");
    steps.append(QJsonObject{{"frame", QJsonArray{"resform", "2"}}});
    expect(R"(resform\x0390\x03resev\x0317\x03)");

    QTemporaryDir dir;
    const QString scriptPath = dir.filePath("script.json");
    QFile script(scriptPath);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QJsonDocument(steps).toJson());
    script.close();

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
    TWorkspaceList &list = frm.WorkspaceList();
    ASSERT_TRUE(waitFor(
        [&] {
            TWinPick *ws = list.FindWorkspace("resform");
            return ws && ws->Container->isVisible();
        },
        30000))
        << "the form and its show action";
    TWinPick *ws = list.FindWorkspace("resform");
    auto *result = qobject_cast<TkalvexResult *>(list.FindPickObject(ws, "resform.res1"));
    auto *grid = qobject_cast<TgdGridPanel *>(list.FindPickObject(ws, "resform.grid1"));
    ASSERT_NE(result, nullptr);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(result->EditState(), TKalvexResultModel::State::Edit);
    ASSERT_EQ(result->currentField(), 1);

    QPlainTextEdit *editor = result->FieldEditor();
    QTest::keyClick(editor, Qt::Key_BracketLeft); // clears the field
    QTest::keyClicks(editor, "16a5");             // "a" is not allowed in a numeric field
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(result->currentField(), 2);
    QTest::keyClick(editor, Qt::Key_F2); // jumps to the comment
    EXPECT_EQ(result->currentField(), 6);
    for (QChar c : QStringLiteral("A\u00FD\u203A")) {
        typeChar(editor, c);
    }
    QTest::keyClick(editor, Qt::Key_F10);

    QTableWidget *table = grid->StringGrid();
    table->setCurrentCell(2, 1);
    table->editItem(table->item(2, 1));
    QWidget *cellEditor = table->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(cellEditor, nullptr);
    QTest::keyClick(cellEditor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(cellEditor, "99");
    QTest::keyClick(cellEditor, Qt::Key_Return);
    // The view commits the cell once control is back in the event loop.
    ASSERT_TRUE(waitFor([&] { return grid->cell(1, 2) == "99"; }, 5000));

    if (const QString shot = qEnvironmentVariable("ORVA_RESULT_SCREENSHOT"); !shot.isEmpty()) {
        result->openField(3);
        ws->Container->grab().save(shot);
    }
    ws->Container->close(); // asks the host, which destroys the form
    EXPECT_TRUE(waitFor([&] { return list.FindWorkspace("resform") == nullptr; }, 20000));

    telnet.Close();
    host.waitForFinished(10000);
    QStringList found, missing;
    for (const QJsonObject &e : host.events("expect")) {
        (e.value("found").toBool() ? found : missing).append(e.value("text").toString());
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.join("\n").toStdString();
    EXPECT_EQ(found.size(), 9) << found.join("\n").toStdString();
}

// Menu choice 2 of the interactive sample host: the result form comes up, the host's keys query,
// clear and fill the grid, and "X" destroys the form and brings the menu back.
TEST(SampleHostForm, MenuChoiceTwoDrivesTheResultForm) {
    QTemporaryDir dir;
    SampleHost host;
    ASSERT_TRUE(host.start({"--once"})) << host.error().toStdString();
    TTelnet telnet;
    TWinpickFrm frm;
    frm.setLink(&telnet);
    FormSinks sinks(frm, telnet);
    PipelineSettings settings;
    settings.CaptureDirectory = dir.filePath("capture");
    ReceivePipeline pipeline(sinks, settings);
    QObject::connect(&telnet, &TTelnet::OnReceive, [&] { pipeline.process(telnet.Receive()); });
    telnet.Connect("127.0.0.1", host.port());
    ASSERT_TRUE(waitFor([&] { return sinks.screen.contains("login: "); }, 20000));
    telnet.Send("labuser\r");
    ASSERT_TRUE(waitFor([&] { return sinks.screen.contains("Choice: "); }, 20000));
    telnet.Send("2\r");
    TWorkspaceList &list = frm.WorkspaceList();
    ASSERT_TRUE(waitFor(
        [&] {
            TWinPick *ws = list.FindWorkspace("resform");
            return ws && ws->Container->isVisible();
        },
        20000));
    TWinPick *ws = list.FindWorkspace("resform");
    auto *grid = qobject_cast<TgdGridPanel *>(list.FindPickObject(ws, "resform.grid1"));
    ASSERT_NE(grid, nullptr);
    telnet.Send("Q");
    EXPECT_TRUE(waitFor([&] { return sinks.screen.contains("<- resform.grid1 | 92 |  | "); }, 20000))
        << "the query reply is listed";
    telnet.Send("C");
    EXPECT_TRUE(waitFor([&] { return grid->cell(0, 1).isEmpty(); }, 20000)) << "cleared";
    telnet.Send("G");
    EXPECT_TRUE(waitFor([&] { return grid->cell(0, 1) == "Run 1 row 1"; }, 20000)) << "filled";
    EXPECT_TRUE(waitFor([&] { return sinks.screen.contains("<- grid1 | 58 | resev | "); }, 20000))
        << "the end of the fill is listed";
    // "R" and "F": the report shows only the lines between the page's "!" and "*" marks, the
    // title above them and the comments below left out.
    auto *result = qobject_cast<TkalvexResult *>(list.FindPickObject(ws, "resform.res1"));
    ASSERT_NE(result, nullptr);
    using State = TKalvexResultModel::State;
    for (const auto &[key, state] : {std::pair{"R", State::Review}, std::pair{"F", State::Final}}) {
        telnet.Send(key);
        EXPECT_TRUE(waitFor([&, state = state] { return result->EditState() == state; }, 20000)) << key;
        EXPECT_EQ(result->model().shownLines(state), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8})) << key;
        const TKalvexResultImage::Metrics m = result->KxResult()->metrics();
        EXPECT_EQ(result->KxResult()->height(), 8 * m.lineHeight + 12) << key;
    }
    telnet.Send("X");
    EXPECT_TRUE(waitFor([&] { return list.FindWorkspace("resform") == nullptr; }, 20000));
    EXPECT_TRUE(waitFor([&] { return sinks.screen.count("Choice: ") >= 2; }, 20000)) << "back at the menu";
    telnet.Send("9\r");
    host.waitForFinished(10000);
}

} // namespace
