// Destroy, move, clear, control, update and query on every control type, with the error replies
// of malformed and out-of-range requests.
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickLabel.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

using B = QByteArray;

B error(const B &component, const B &text) {
    return component +
           "\x03"
           "99\x03\x03" +
           text + "\x03";
}

// Every creatable type, once, in workspace "ws".
void createAll(Forms &f) {
    f.run(create("ed", 2, {{16, "click,enter"}, {17, "Name"}, {18, "abc"}}, 18));
    f.run(create("lbl", 3, {{17, "Caption"}}));
    f.run(create("memo", 4, {{18, "vert"}, {19, "n"}, {20, "y"}, {21, "one"}, {22, "two"}}, 22));
    f.run(create("rich", 5, {}));
    f.run(create("list", 6, {{18, "a"}, {19, "b"}}, 19));
    f.run(create("combo", 7, {{18, "a"}, {19, "b"}}, 19));
    f.run(create("img", 8, {}));
    f.run(create("btn", 10, {{17, "Go"}}));
    f.run(create("split", 11, {}));
    f.run(create("pnl", 12, {{17, "Panel"}}));
    f.run(create("radio", 13, {{17, "R"}, {18, "r"}, {19, "y"}}, 19));
    f.run(create("chk", 13, {{17, "C"}, {19, "y"}}, 19));
    f.run(create("web", 15, {}));
    f.run(create("grid", 16, {{17, "1,1"}, {22, "h1]h2"}, {23, "a]b"}}, 23));
    f.run(create("bev", 21, {}));
    f.run(create("res", 22, {}));
    f.run(create("pp", 23, {{17, "Print"}}));
    f.link.sends.clear();
}

TEST(Executors, ErrorReplies) {
    struct Case {
        const char *what;
        B request;
        QList<B> replies;
    };
    const QList<Case> cases = {
        {"no workspace object",
         on("nows.x", "3"),
         {error("Object Mover",
                "E013 - Error in Object Definition.  Workspace not specified or does not exist.")}},
        {"move of a missing object",
         on("ws.none", "3"),
         {error("Object Controler", "ERROR - Object ws.none not found."),
          error("Object Mover", "ERROR - Object ws.none not found.")}},
        {"control of a missing object",
         on("ws.none", "5.0"),
         {error("Object Controler", "ERROR - Object ws.none not found."),
          error("Object Controler", "ERROR - Object ws.none not found.")}},
        {"unknown control action",
         on("ws.ed", "5.9"),
         {error("Object Controller", "E012 - Control Action \"9\" is not known."),
          error("Object Controler", "E012 - Control Action \"9\" is not known.")}},
        {"focus on a hidden control",
         on("ws.hidden", "5.4"),
         {error("Object Controller",
                "E124 - Object Setfocus Error: \"Cannot focus a disabled or invisible window\""),
          error("Object Controler",
                "E124 - Object Setfocus Error: \"Cannot focus a disabled or invisible window\"")}},
        {"rename without a name",
         on("ws.ed", "5.5"),
         {error("Object Controller", "E125 - Object Rename Error: \"New name not specified.\""),
          error("Object Controler", "E125 - Object Rename Error: \"New name not specified.\"")}},
        {"rename to a name in use",
         on("ws.ed", "5.5", {{3, "btn"}}),
         {error("Object Controller", "E125 - Object Rename Error: \"A component named btn already exists.\""),
          error("Object Controler",
                "E125 - Object Rename Error: \"A component named btn already exists.\"")}},
        {"rename to nothing but punctuation",
         on("ws.ed", "5.5", {{3, "..."}}),
         {error("Object Controller", "E125 - Object Rename Error: \"'' is not a valid component name\""),
          error("Object Controler", "E125 - Object Rename Error: \"'' is not a valid component name\"")}},
        {"update of a web browser",
         on("ws.web", "6", {{17, "x"}}),
         {error("Object Updater", "Object Update for object type not implemented.")}},
        {"update of a bevel",
         on("ws.bev", "6", {{11, "box"}}),
         {error("Object Updater", "Object Update for object type not implemented.")}},
        {"update with a bad field",
         on("ws.lbl", "6", {{4, "x1"}}),
         {error("Object Updater",
                "E013 - Error in Object Definition at Left. 'x1' is not a valid integer value")}},
        {"destroy of a missing object",
         on("ws.none", "2"),
         {error("Object Destroyer", "ERROR - Object ws.none Not deleted.")}},
        {"clear of a missing object",
         on("ws.none", "4"),
         {error("Object Clearer", "ERROR - Object ws.none not found.")}},
        {"query of a missing object",
         on("ws.none", "7"),
         {error("Object Query", "ERROR - Object ws.none not found.")}},
    };
    for (const Case &c : cases) {
        Forms f;
        createAll(f);
        f.run(create("hidden", 10, {}));
        f.run(on("ws.hidden", "5.1"));
        f.link.sends.clear();
        f.run(c.request);
        EXPECT_EQ(f.link.messages(), c.replies) << c.what;
    }
    Forms none(false);
    none.run(on("ws.x", "7"));
    EXPECT_EQ(none.link.messages(), QList<B>{error("Object Query", "E011 - No Workspace defined.")});
}

TEST(Executors, EveryRequestOnEveryType) {
    Forms f;
    createAll(f);
    const QList<B> names = {"ed",  "lbl",   "memo", "rich", "list", "combo", "img", "btn", "split",
                            "pnl", "radio", "chk",  "web",  "grid", "bev",   "res", "pp",  "ws"};
    for (const B &name : names) {
        const B object = "ws." + name;
        const bool notImplemented = name == "web" || name == "bev";
        const QList<QPair<B, B>> requests = {
            {on(object, "3", {{4, "1"}, {5, "2"}, {6, "30"}, {7, "20"}}, 7), {}},
            {on(object, "6", {{9, "255"}, {24, "hint"}}, 24),
             notImplemented ? B("Object Update for object type not implemented.") : B()},
            {on(object, "7", {{4, "*"}, {9, "*"}, {12, "*"}, {16, "*"}, {17, "*"}, {19, "*"}}, 19), {}},
            {on(object, "5.1"), {}},
            {on(object, "5.0"), {}},
            {on(object, "5.3"), {}},
            {on(object, "5.2"), {}},
            {on(object, "4"), {}},
        };
        for (const auto &[request, result] : requests) {
            f.link.sends.clear();
            EXPECT_EQ(f.run(request), result)
                << name.constData() << " " << request.split('\x03').value(1).constData();
            if (request.split('\x03').value(1) == "7") {
                ASSERT_EQ(f.link.messages().size(), 1) << name.constData();
                EXPECT_TRUE(f.link.messages()[0].startsWith("ws." + name +
                                                            "\x03"
                                                            "92\x03\x03"
                                                            "1\x03"))
                    << f.link.messages()[0].constData();
            }
        }
    }
    // Every control reports its end; the workspace goes by its own name.
    for (const B &name : names) {
        f.link.sends.clear();
        EXPECT_EQ(f.run(on(name == "ws" ? name : "ws." + name, "2")), "") << name.constData();
        EXPECT_EQ(f.link.messages().size(), 1) << name.constData();
    }
    EXPECT_EQ(f.frm->WorkspaceList().count(), 0);
}

TEST(Executors, DestroyAControlOrTheWorkspace) {
    Forms f;
    f.run(create("b1", 10, {}));
    f.link.sends.clear();
    EXPECT_EQ(f.run(on("ws.b1", "2")), "");
    EXPECT_EQ(f.link.messages(), QList<B>{B("b1\x03"
                                            "90\x03wsev\x03"
                                            "10\x03")});
    EXPECT_EQ(f.find("ws.b1"), nullptr);
    EXPECT_NE(f.frm->WorkspaceList().FindWorkspace("ws"), nullptr);
    // The same name can be created again in the same block.
    EXPECT_EQ(f.run(create("b1", 10, {})), "");
    f.link.sends.clear();
    EXPECT_EQ(f.run(on("WS", "2")), "");
    EXPECT_EQ(f.link.messages(), QList<B>{B("ws\x03"
                                            "90\x03wsev\x03"
                                            "1\x03")});
    EXPECT_EQ(f.frm->WorkspaceList().count(), 0);
}

TEST(Executors, MoveSetsGeometryAndAlign) {
    Forms f;
    f.run(create("b", 10, {{4, "5"}, {5, "6"}, {6, "70"}, {7, "20"}, {8, "3"}, {10, "top"}}));
    QWidget *b = f.find("ws.b");
    EXPECT_EQ(f.run(on("ws.b", "3", {{4, "10"}, {5, "11"}, {7, "30"}}, 7)), "");
    EXPECT_EQ(b->geometry(), QRect(10, 11, 0, 30)); // an empty width is 0, and Align none
    EXPECT_EQ(b->property("orvaTabOrder").toInt(), 3);
}

TEST(Executors, ClearEveryType) {
    Forms f;
    createAll(f);
    for (const char *name : {"ed", "lbl", "memo", "rich", "list", "combo", "img", "btn", "split", "pnl",
                             "radio", "chk", "web", "grid", "bev", "res", "pp"}) {
        EXPECT_EQ(f.run(on("ws." + B(name), "4")), "") << name;
    }
    EXPECT_TRUE(f.link.sends.isEmpty()) << "clearing reports no change";
    auto *ed = as<TLabeledEdit>(f.find("ws.ed"));
    EXPECT_EQ(ed->text(), "");
    QTest::keyClicks(ed, "abc"); // a cleared edit has no length limit
    EXPECT_EQ(ed->text(), "abc");
    EXPECT_EQ(as<QLabel>(f.find("ws.lbl"))->text(), "");
    EXPECT_EQ(as<QPlainTextEdit>(f.find("ws.memo"))->toPlainText(), "");
    EXPECT_EQ(as<QListWidget>(f.find("ws.list"))->count(), 0);
    EXPECT_EQ(as<QComboBox>(f.find("ws.combo"))->count(), 0);
    EXPECT_EQ(as<TPickPanel>(f.find("ws.pnl"))->caption(), "");
    EXPECT_FALSE(as<QRadioButton>(f.find("ws.radio"))->isChecked());
    EXPECT_FALSE(as<QCheckBox>(f.find("ws.chk"))->isChecked());
    EXPECT_EQ(as<QPushButton>(f.find("ws.btn"))->text(), "Go");
    auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
    EXPECT_EQ(grid->StringGrid()->rowCount(), 5);
    EXPECT_EQ(grid->WidthFactors(), "1,1,1,1,1");
}

TEST(Executors, ControlActions) {
    Forms f;
    createAll(f);
    f.run(on("ws.btn", "5.1"));
    EXPECT_TRUE(f.find("ws.btn")->isHidden());
    f.run(on("ws.btn", "5.0"));
    EXPECT_FALSE(f.find("ws.btn")->isHidden());
    f.run(on("ws.btn", "5.3"));
    EXPECT_FALSE(f.find("ws.btn")->isEnabled());
    f.run(on("ws.btn", "5.2"));
    EXPECT_TRUE(f.find("ws.btn")->isEnabled());
    EXPECT_EQ(f.run(on("ws.btn", "5.5", {{3, "New.Name-1"}})), "");
    EXPECT_EQ(f.find("ws.btn"), nullptr);
    ASSERT_NE(f.find("ws.newname1"), nullptr);
    EXPECT_TRUE(f.link.sends.isEmpty());
    // The new name keeps the host's case in what is reported; requests find it in any case.
    EXPECT_EQ(f.find("ws.NEWNAME1")->objectName(), "NewName1");
    EXPECT_EQ(f.run(on("ws.newname1", "6", {{16, "click"}})), "");
    QTest::mouseClick(f.find("ws.newname1"), Qt::LeftButton);
    EXPECT_EQ(f.link.messages(), QList<B>{B("NewName1\x03"
                                            "50\x03wsev\x03")});
    EXPECT_EQ(f.run(on("ws.newname1", "5.5", {{3, "NEWNAME1"}})), "") << "its own name in another case";
    EXPECT_EQ(f.run(on("ws.ed", "5.5", {{3, "newNAME1"}})),
              "E125 - Object Rename Error: \"A component named newname1 already exists.\"");
    EXPECT_EQ(f.run(on("ws", "5.5", {{3, "MySpace"}})), "");
    EXPECT_NE(f.find("myspace.newname1"), nullptr);
    f.link.sends.clear();
    f.run(on("MYSPACE.NEWNAME1", "7", {{4, "*"}}, 4));
    ASSERT_EQ(f.link.messages().size(), 1);
    EXPECT_TRUE(f.link.messages()[0].startsWith("MySpace.NEWNAME1\x03"
                                                "92"))
        << f.link.messages()[0].constData();
}

TEST(Executors, UpdateAppliesOnlyTheGivenFieldsWithoutEvents) {
    Forms f;
    createAll(f);
    f.run(create("ed2", 2, {{16, "change"}}));
    f.link.sends.clear();
    EXPECT_EQ(f.run(on("ws.ed2", "6", {{18, "typed by the host"}}, 18)), "");
    EXPECT_EQ(f.run(on("ws.lbl", "6", {{17, "New"}}, 17)), "");
    EXPECT_EQ(f.run(on("ws.memo", "6.1", {{21, "three"}}, 21)), "");
    EXPECT_EQ(f.run(on("ws.list", "6.2", {{18, "first"}}, 18)), "");
    EXPECT_EQ(f.run(on("ws.chk", "6", {{19, "n"}}, 19)), "");
    EXPECT_EQ(f.run(on("ws.split", "6", {{9, "255"}})), "");
    EXPECT_EQ(f.run(on("ws.ws", "6", {{9, "255"}})), "");
    EXPECT_EQ(f.run(on("ws.ed2", "6", {{16, "click"}})), "");
    EXPECT_TRUE(f.link.sends.isEmpty()) << f.link.messages().value(0).constData();
    EXPECT_EQ(as<TLabeledEdit>(f.find("ws.ed2"))->text(), "typed by the host");
    EXPECT_EQ(as<QLabel>(f.find("ws.lbl"))->text(), "New");
    EXPECT_EQ(as<QPlainTextEdit>(f.find("ws.memo"))->toPlainText(), "one\ntwo\nthree");
    EXPECT_EQ(as<QListWidget>(f.find("ws.list"))->item(0)->text(), "first");
    EXPECT_FALSE(as<QCheckBox>(f.find("ws.chk"))->isChecked());
    // The hooks follow the update: click now, change no more.
    QTest::keyClicks(f.find("ws.ed2"), "x");
    QTest::mouseClick(f.find("ws.ed2"), Qt::LeftButton);
    EXPECT_EQ(f.link.messages(), QList<B>{B("ed2\x03"
                                            "50\x03wsev\x03typed by the host")});
}

TEST(Executors, QueryReplies) {
    Forms f;
    createAll(f);
    f.run(on("ws.ed", "3", {{4, "1"}, {5, "2"}, {6, "3"}, {7, "4"}}, 7));
    f.link.sends.clear();
    f.run(on("ws.ed", "7", {{4, "*"}, {6, "*"}, {16, "*"}, {17, "*"}, {18, "*"}, {19, "*"}, {21, "*"}}, 21));
    B want = "ws.ed\x03"
             "92\x03\x03"
             "1\x03\x03"
             "3\x03";
    for (int i = 7; i <= 25; ++i) {
        const B v = i == 16   ? "clickenter"
                    : i == 17 ? "Name"
                    : i == 18 ? "abc"
                    : i == 19 ? "3"
                    : i == 21 ? "left"
                              : "";
        want += v + "\x03";
    }
    want += "\x03";
    EXPECT_EQ(f.link.messages(), QList<B>{want});

    f.link.sends.clear();
    f.run(on("ws.memo", "7", {{18, "*"}, {19, "*"}, {20, "*"}, {21, "*"}}, 21));
    ASSERT_EQ(f.link.messages().size(), 1);
    EXPECT_TRUE(f.link.messages()[0].contains("\x03vertical\x03no\x03yes\x03one\x03two\x03"))
        << f.link.messages()[0].constData();
    // Field 17 of a memo or rich edit is its whole text, line breaks as value marks.
    as<QPlainTextEdit>(f.find("ws.memo"))->appendPlainText("th\u00FDree");
    as<QTextEdit>(f.find("ws.rich"))->setPlainText("a\nb");
    f.link.sends.clear();
    f.run(on("ws.memo", "7", {{17, "*"}}, 17));
    f.run(on("ws.rich", "7", {{17, "*"}}, 17));
    ASSERT_EQ(f.link.messages().size(), 2);
    EXPECT_EQ(f.link.messages()[0].split('\x03').value(16), "one\xFDtwo\xFDthyree");
    EXPECT_EQ(f.link.messages()[1].split('\x03').value(16), "a\xFD"
                                                            "b");

    f.link.sends.clear();
    f.run(on("ws.grid", "7", {{17, "*"}, {18, "*"}, {22, "*"}}, 22));
    ASSERT_EQ(f.link.messages().size(), 1);
    EXPECT_TRUE(f.link.messages()[0].contains("\x03"
                                              "1,1\x03"
                                              "1,0\x03\x03\x03\x03h1\x03h2\x03"))
        << f.link.messages()[0].constData();

    f.link.sends.clear();
    f.run(on("ws.chk", "7", {{9, "*"}, {14, "x"}, {15, "x"}, {19, "*"}}, 19));
    ASSERT_EQ(f.link.messages().size(), 1);
    EXPECT_TRUE(f.link.messages()[0].contains("\x03ws\x03left,top,\x03")) << f.link.messages()[0].constData();
    EXPECT_TRUE(f.link.messages()[0].contains("\x03yes\x03")) << f.link.messages()[0].constData();

    // The font written by a query reads back as the same font.
    f.run(create("big", 3, {{12, "]]]14]]]]]]]fixed]]bold,italic]]]]DejaVu Sans Mono"}}));
    f.link.sends.clear();
    f.run(on("ws.big", "7", {{12, "*"}}, 12));
    ASSERT_EQ(f.link.messages().size(), 1);
    const B font = f.link.messages()[0].split('\x03').value(2 + 12 - 3);
    EXPECT_TRUE(font.startsWith("]]]14]")) << font.constData();
    // Fields 1 to 16 are read lower-cased, the font's name among them.
    EXPECT_TRUE(font.endsWith("]fixed]]bold,italic,]]]]dejavu sans mono")) << font.constData();
    f.run(create("copy", 3, {{12, font}}));
    EXPECT_EQ(QFontInfo(f.find("ws.copy")->font()).pixelSize(),
              QFontInfo(f.find("ws.big")->font()).pixelSize());
    EXPECT_TRUE(f.find("ws.copy")->font().bold());
}

TEST(Executors, ScreenCursorAndQuery) {
    Forms f;
    f.run(on("screen", "6", {{8, "-11"}}, 8));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    f.run(on("SCREEN", "6", {{8, "3"}}, 8)); // positive: unchanged
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    f.link.sends.clear();
    f.run(on("screen", "7", {{8, "*"}, {9, "*"}}, 9));
    ASSERT_EQ(f.link.messages().size(), 1);
    EXPECT_TRUE(f.link.messages()[0].startsWith("screen\x03"
                                                "92\x03\x03\x03\x03\x03\x03-11\x03"));
    f.run(on("screen", "6", {{8, "0"}}, 8));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // A host that leaves the busy cursor and goes: the cursor comes back.
    f.run(on("screen", "6", {{8, "-11"}}, 8));
    f.frm->LinkStateChanged(LinkState::Closed);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
