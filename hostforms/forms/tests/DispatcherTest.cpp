// The container's dispatcher: error replies, special names, menu tree, reset, lifecycle messages,
// re-entrancy and teardown.
#include "hostforms/forms/TBevel.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickLabel.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TSplitterBar.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QByteArray S("\x03", 1);

class RecordingExecutors : public TRequestExecutors {
public:
    QList<QByteArray> calls;
    std::function<void()> duringControl;
    QByteArray ExecuteControl(const TObjectRequest &r, TWorkspaceList &) override {
        calls.append("control:" + r.ObjectName);
        if (duringControl) {
            duringControl();
        }
        return {};
    }
    QByteArray ExecuteDestroy(const TObjectRequest &r, TWorkspaceList &) override {
        calls.append("destroy:" + r.ObjectName);
        return {};
    }
};

struct Container {
    FakeHostLink link;
    std::unique_ptr<TWinpickFrm> frm = std::make_unique<TWinpickFrm>();
    RecordingExecutors *exec = new RecordingExecutors;
    Container() {
        frm->setLink(&link);
        frm->setExecutors(std::unique_ptr<TRequestExecutors>(exec));
    }
    QByteArray run(const QByteArray &text) { return frm->ExecuteRequest(text); }
};

TEST(Dispatcher, ErrorRepliesOfTheCommandParserAndCreator) {
    struct Case {
        const char *what;
        QByteArray request;
        QByteArray frame;
    };
    const QList<Case> cases = {
        {"empty", "",
         "\x9F"
         "Command Parser\x03"
         "99\x03\x03"
         "E001-Empty Object Request\x03\x9B"},
        {"type 9", request({{1, "ws"}, {2, "9"}}),
         "\x9F"
         "Command Parser\x03"
         "99\x03\x03"
         "E003 - Request Type \"9\" is unknown.\x03\x9B"},
        {"type 0", request({{1, "ws"}, {2, "0"}}),
         "\x9F"
         "Command Parser\x03"
         "99\x03\x03"
         "E003 - Request Type \"0\" is unknown.\x03\x9B"},
        {"type not a number", request({{1, "ws"}, {2, "x1"}}),
         "\x9F"
         "Command Parser\x03"
         "99\x03\x03"
         "E002 - Request Type \"x1\" should be an number value.\x03\x9B"},
        {"object type abc", request({{1, "ws"}, {2, "1"}, {3, "abc"}}),
         "\x9F"
         "Object Creator\x03"
         "99\x03\x03"
         "E010 - Object Error.  Object Type \"abc\" is unknown\x03\x9B"},
        {"explorer", request({{1, "winpick.explorer"}, {2, "5"}}),
         "\x9F"
         "winpick.explorer\x03"
         "99\x03\x03"
         "OK\x03\x9B"},
        {"huge type", request({{1, "ws"}, {2, "999999999"}}),
         "\x9F"
         "Command Parser\x03"
         "99\x03\x03"
         "E003 - Request Type \"999999999\" is unknown.\x03\x9B"},
    };
    for (const Case &c : cases) {
        Container k;
        k.run(c.request);
        ASSERT_EQ(k.link.sends.size(), 1) << c.what;
        EXPECT_EQ(k.link.sends[0], c.frame) << c.what;
        EXPECT_TRUE(k.exec->calls.isEmpty()) << c.what;
        EXPECT_FALSE(k.frm->isVisible()) << c.what;
    }
}

TEST(Dispatcher, FormNamesAreMatchedExactly) {
    Container k;
    QWidget main;
    k.frm->setMainWindow(&main);
    k.run(request({{1, "WINPICKFORM"}, {2, "5.0"}}));
    EXPECT_TRUE(k.frm->isVisible());
    EXPECT_EQ(k.exec->calls, QList<QByteArray>{"control:WINPICKFORM"}) << "the object executor runs as well";
    k.run(request({{1, "WINPICKFORM"}, {2, "5.1"}}));
    EXPECT_FALSE(k.frm->isVisible());
    k.run(request({{1, "winpickform"}, {2, "5.0"}}));
    EXPECT_FALSE(k.frm->isVisible()) << "lower case names a workspace, not the container";
    EXPECT_EQ(k.exec->calls.last(), "control:winpickform");

    k.run(request({{1, "ORVAMAINFORM"}, {2, "5.0"}}));
    EXPECT_TRUE(main.isVisible());
    k.run(request({{1, "ORVAMAINFORM"}, {2, "5.3"}}));
    EXPECT_FALSE(main.isEnabled());
    k.link.sends.clear();
    k.run(request({{1, "ORVAMAINFORM"}, {2, "5.4"}}));
    ASSERT_EQ(k.link.sends.size(), 1);
    EXPECT_TRUE(k.link.sends[0].startsWith("\x9F"
                                           "Object Controller\x03"
                                           "99\x03\x03"
                                           "E124 - Object Setfocus Error: \""));
    // The link drops: the main window the host disabled and hid is usable again.
    k.run(request({{1, "WINPICKFORMCONTAINER"}, {2, "5.1"}}));
    EXPECT_FALSE(main.isVisible());
    k.frm->LinkStateChanged(LinkState::Closed);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.isEnabled());
}

TEST(Dispatcher, MenuTreeFollowsIndentation) {
    Container k;
    k.run(request({{1, "m"},
                   {2, "8"},
                   {3, "a"},
                   {4, "\tb"},
                   {5, "\t\tc"},
                   {6, "d\x80"},
                   {7, "\t\t\t\tdeep"},
                   {8, " e"}}));
    QTreeWidget *t = k.frm->TreeView1();
    ASSERT_EQ(t->topLevelItemCount(), 2);
    QTreeWidgetItem *a = t->topLevelItem(0);
    EXPECT_EQ(a->text(0), "a");
    ASSERT_EQ(a->childCount(), 1);
    EXPECT_EQ(a->child(0)->text(0), "b");
    ASSERT_EQ(a->child(0)->childCount(), 1);
    EXPECT_EQ(a->child(0)->child(0)->text(0), "c");
    QTreeWidgetItem *d = t->topLevelItem(1);
    EXPECT_EQ(d->text(0), QString::fromUtf8("d\xE2\x82\xAC")) << "host text is Windows-1252";
    ASSERT_EQ(d->childCount(), 2) << "a line far deeper than its predecessor hangs on the deepest node";
    EXPECT_EQ(d->child(0)->text(0), "deep");
    EXPECT_EQ(d->child(1)->text(0), "e") << "leading blanks count as levels";
    EXPECT_TRUE(k.link.sends.isEmpty());

    k.run(request({{1, "m"}, {2, "8"}, {3, "x MENU-HTM"}, {4, "z"}}));
    EXPECT_EQ(t->topLevelItemCount(), 2) << "a MENU-HTM tree changes nothing";
}

TEST(Dispatcher, ResetWorkspacesSendsOneDestroyedEventPerScrollBox) {
    Container k;
    k.run(request({{1, "WS1"}, {2, "1"}, {3, "1"}, {18, "evws"}}));
    k.run(request({{1, "ed1"}, {2, "1"}, {3, "2"}, {14, "ws1"}}, 16));
    k.run(request({{1, "lbl"}, {2, "1"}, {3, "3"}, {14, "ws1"}}, 16));
    ASSERT_EQ(k.link.messages(), QList<QByteArray>{"ws1" + S + "91" + S + "evws" + S + "1" + S});
    k.link.sends.clear();
    k.frm->ResetWorkspaces1()->trigger();
    EXPECT_EQ(k.link.messages(), QList<QByteArray>{"ws1" + S + "90" + S + "evws" + S + "1" + S});
    EXPECT_EQ(k.frm->WorkspaceList().count(), 0);
    k.link.sends.clear();
    k.run(request({{1, "ed2"}, {2, "1"}, {3, "2"}, {14, "ws1"}}, 16));
    ASSERT_EQ(k.link.messages().size(), 1);
    EXPECT_EQ(k.link.messages()[0], "Object Creator" + S + "99" + S + S + "E011 - No Workspace defined." + S);
    flushDeletes();
}

TEST(Dispatcher, AFormWorkspaceReportsItsEndOnce) {
    // By "Reset Workspaces" and by request type 2, a form is reported as a scroll box is, its
    // controls not one by one.
    for (const bool reset : {true, false}) {
        Container k;
        k.frm->setExecutors(nullptr);
        k.run(request({{1, "F1"}, {2, "1"}, {3, "17"}, {18, "evf"}}));
        k.run(request({{1, "b1"}, {2, "1"}, {3, "10"}, {14, "f1"}}, 16));
        k.link.sends.clear();
        if (reset) {
            k.frm->ResetWorkspaces1()->trigger();
        } else {
            EXPECT_EQ(k.run(request({{1, "f1"}, {2, "2"}})), "");
        }
        EXPECT_EQ(k.link.messages(), QList<QByteArray>{"f1" + S + "90" + S + "evf" + S + "17" + S}) << reset;
        EXPECT_EQ(k.frm->WorkspaceList().count(), 0);
        flushDeletes();
    }
}

TEST(Dispatcher, FormCloseQueryIsSentAndTheFormStays) {
    Container k;
    k.run(request({{1, "F1"}, {2, "1"}, {3, "17"}, {18, "evf"}}));
    TWinPick *ws = k.frm->WorkspaceList().FindWorkspace("f1");
    ASSERT_NE(ws, nullptr);
    EXPECT_FALSE(ws->Container->isVisible()) << "forms are created hidden";
    EXPECT_FALSE(ws->Container->testAttribute(Qt::WA_QuitOnClose));
    ws->Container->show();
    k.link.sends.clear();
    EXPECT_FALSE(ws->Container->close());
    EXPECT_TRUE(ws->Container->isVisible());
    EXPECT_EQ(k.link.messages(), QList<QByteArray>{"f1" + S + "70" + S + "evf" + S});
}

TEST(Dispatcher, NothingIsSentWhileTheLinkIsDown) {
    Container k;
    k.link.state = LinkState::Closed;
    EXPECT_EQ(k.run(""), "E001-Empty Object Request");
    k.run(request({{1, "WS1"}, {2, "1"}, {3, "1"}}, 16));
    EXPECT_TRUE(k.link.sends.isEmpty());
    EXPECT_EQ(k.frm->WorkspaceList().count(), 1);
}

TEST(Dispatcher, ARequestArrivingDuringAnotherWaitsForIt) {
    Container k;
    QList<int> seen;
    k.exec->duringControl = [&] {
        if (seen.isEmpty()) {
            seen.append(k.frm->WorkspaceList().count());
            // A nested event loop delivers a request that would free the workspace in use.
            k.run(request({{1, "ws1"}, {2, "2"}}));
            seen.append(int(k.exec->calls.size()));
        }
    };
    k.run(request({{1, "WS1"}, {2, "1"}, {3, "1"}}, 16));
    k.run(request({{1, "ws1"}, {2, "5"}}));
    EXPECT_EQ(seen, (QList<int>{1, 1})) << "the nested request waited";
    EXPECT_EQ(k.exec->calls, (QList<QByteArray>{"control:ws1", "destroy:ws1"}));
}

TEST(Dispatcher, TeardownSendsNothingThroughTheLink) {
    Container k;
    k.run(request({{1, "WS1"}, {2, "1"}, {3, "1"}}, 16));
    k.link.sends.clear();
    k.frm.reset();
    EXPECT_TRUE(k.link.sends.isEmpty());
    EXPECT_EQ(CurrentWinpickFrm(), nullptr);
    flushDeletes();
}

} // namespace
