// The browser control created by a request navigates to the host's value: a page served on
// 127.0.0.1 is loaded and drawn.
#include "hostforms/forms/WebBrowser.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

template <class Pred> bool waitFor(Pred done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

TEST(WebBrowser, NavigatesToThePageTheHostNames) {
    QTemporaryDir dir;
    QFile page(dir.filePath("index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body style=\"margin:0;background:#ff0000\"><p>orva</p></body></html>");
    page.close();
    QProcess server;
    server.setWorkingDirectory(dir.path());
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start("python3", {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1"});
    ASSERT_TRUE(server.waitForStarted(10000));
    QByteArray out;
    QRegularExpression portText("port (\\d+)");
    ASSERT_TRUE(waitFor(
        [&] {
            out += server.readAll();
            return portText.match(QString::fromLatin1(out)).hasMatch();
        },
        20000))
        << out.constData();
    const QByteArray url =
        "http://127.0.0.1:" + portText.match(QString::fromLatin1(out)).captured(1).toLatin1() + "/index.html";

    FakeHostLink link;
    auto owned = std::make_unique<TWinpickFrm>();
    TWinpickFrm &frm = *owned;
    frm.setLink(&link);
    frm.resize(400, 300);
    frm.ExecuteRequest(request({{1, "ws"}, {2, "1"}, {3, "1"}, {10, "client"}}, 16));
    EXPECT_EQ(
        frm.ExecuteRequest(request({{1, "web"}, {2, "1"}, {3, "15"}, {6, "200"}, {7, "150"}, {17, url}})),
        QByteArray());
    frm.show();
    TWorkspaceList &l = frm.WorkspaceList();
    auto *view = dynamic_cast<TWebBrowserView *>(l.FindPickObject(l.FindWorkspace("ws"), "ws.web"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Engine(), "webengine");
    EXPECT_EQ(view->LastUrl(), url);
    bool finished = false, ok = false;
    QObject::connect(view, &TWebBrowserView::loadFinished, [&](bool result) {
        finished = true;
        ok = result;
    });
    ASSERT_TRUE(waitFor([&] { return finished; }, 30000)) << "the page never finished loading";
    EXPECT_TRUE(ok);
    // The first grab after the load can still be blank: wait for the drawn page.
    EXPECT_TRUE(waitFor(
        [&] {
            const QImage shot = view->grab().toImage();
            return !shot.isNull() &&
                   shot.pixelColor(shot.width() / 2, shot.height() - 10) == QColor(255, 0, 0);
        },
        20000));
    server.kill();
    server.waitForFinished(5000);
    owned.reset();
    flushDeletes();
}

} // namespace
