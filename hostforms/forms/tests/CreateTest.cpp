// Creation by object type: every type with all its fields, with fields missing and with malformed
// fields; the error texts; the mended faults (overlapping fields, names, parents, dangling
// references, host-named files).
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/forms/TBevel.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickLabel.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TSplitterBar.h"
#include "hostforms/forms/WebBrowser.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

const QByteArray S("\x03", 1);

struct TypeCase {
    const char *what;
    int type;
    std::map<int, QByteArray> fields;
    std::function<void(QWidget *)> check;
};

TEST(Create, EachTypeWithAllItsFields) {
    const QByteArray font = "]]]14]]]]]]]fixed]]bold,italic]]]]courier";
    const QList<TypeCase> cases = {
        {"labeled edit",
         2,
         {{4, "100"},
          {5, "50"},
          {6, "120"},
          {7, "22"},
          {8, "1"},
          {9, "255"},
          {11, "above"},
          {12, font},
          {13, "single"},
          {17, "Caption"},
          {18, "text"},
          {19, "0"},
          {20, "y"},
          {21, "below"},
          {24, "hint"}},
         [](QWidget *w) {
             auto *e = as<TLabeledEdit>(w);
             ASSERT_NE(e, nullptr);
             EXPECT_EQ(e->text(), "text");
             EXPECT_EQ(e->maxLength(), 32767) << "0 is no limit";
             EXPECT_EQ(e->EditLabel()->text(), "Caption");
             EXPECT_EQ(e->LabelPosition(), TLabeledEdit::Below);
             EXPECT_TRUE(e->EditLabel()->wordWrap());
             EXPECT_EQ(e->geometry(), QRect(100, 50, 120, 22));
             EXPECT_EQ(e->palette().color(QPalette::Base), QColor(255, 0, 0));
             EXPECT_EQ(e->font().pointSize(), 14);
             EXPECT_TRUE(e->font().bold());
             EXPECT_TRUE(e->font().italic());
             EXPECT_TRUE(e->font().fixedPitch());
             EXPECT_EQ(e->toolTip(), "hint");
             EXPECT_EQ(e->EditLabel()->parentWidget(), e->parentWidget());
             EXPECT_GT(e->EditLabel()->y(), e->geometry().bottom());
         }},
        {"label",
         3,
         {{4, "5"},
          {5, "6"},
          {6, "70"},
          {7, "20"},
          {9, "16711680"},
          {11, "right"},
          {13, "bottom"},
          {17, "Label \xE9"},
          {24, "tip"},
          {25, "3]4]over"}},
         [](QWidget *w) {
             auto *l = as<TPickLabel>(w);
             ASSERT_NE(l, nullptr);
             EXPECT_EQ(l->text(), QString::fromUtf8("Label \xC3\xA9"));
             EXPECT_EQ(l->alignment(), Qt::AlignRight | Qt::AlignBottom);
             EXPECT_EQ(l->palette().color(QPalette::Window), QColor(0, 0, 255));
             EXPECT_TRUE(l->autoFillBackground());
             EXPECT_TRUE(l->Overlay.has);
             EXPECT_EQ(l->Overlay.pos, QPoint(3, 4));
             EXPECT_EQ(l->Overlay.text, "over");
             EXPECT_EQ(l->toolTip(), "tip");
         }},
        {"memo",
         4,
         {{6, "200"},
          {7, "100"},
          {18, "both"},
          {19, "yes"},
          {20, "no"},
          {21, "one"},
          {22, "two"},
          {23, "three"},
          {24, "four"},
          {25, "five"}},
         [](QWidget *w) {
             auto *m = as<QPlainTextEdit>(w);
             ASSERT_NE(m, nullptr);
             EXPECT_EQ(m->toPlainText(), "one\ntwo\nthree\nfour\nfive")
                 << "lines in fields 24 and 25 are lines";
             EXPECT_TRUE(m->isReadOnly());
             EXPECT_EQ(m->lineWrapMode(), QPlainTextEdit::NoWrap);
             EXPECT_EQ(m->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
             EXPECT_TRUE(m->toolTip().isEmpty());
         }},
        {"rich edit",
         5,
         {{18, "vert"}, {19, "n"}, {20, "y"}, {21, "rich"}, {22, "text"}},
         [](QWidget *w) {
             auto *r = as<QTextEdit>(w);
             ASSERT_NE(r, nullptr);
             EXPECT_EQ(r->toPlainText(), "rich\ntext");
             EXPECT_EQ(r->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
             EXPECT_EQ(r->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
             EXPECT_FALSE(r->isReadOnly());
         }},
        {"list box",
         6,
         {{17, "2"}, {18, "a"}, {19, "b"}, {20, "c"}, {21, "d"}, {22, "e"}, {23, "f"}, {24, "g"}, {25, "h"}},
         [](QWidget *w) {
             auto *l = as<QListWidget>(w);
             ASSERT_NE(l, nullptr);
             ASSERT_EQ(l->count(), 8) << "eight items do not fail the request";
             EXPECT_EQ(l->item(7)->text(), "h");
             EXPECT_EQ(l->currentRow(), 2);
             EXPECT_TRUE(l->toolTip().isEmpty()) << "the seventh item is not a hint";
         }},
        {"combo box",
         7,
         {{11, "left"}, {13, "dropdownlist"}, {17, "1"}, {18, "x"}, {19, "y"}},
         [](QWidget *w) {
             auto *c = as<QComboBox>(w);
             ASSERT_NE(c, nullptr);
             EXPECT_EQ(c->count(), 2);
             EXPECT_EQ(c->currentIndex(), 1);
             EXPECT_FALSE(c->isEditable());
         }},
        {"image",
         8,
         {{6, "40"}, {7, "30"}, {9, "y"}, {11, "left"}, {24, "pic"}, {25, "1]2]txt"}},
         [](QWidget *w) {
             auto *i = as<TPickImage>(w);
             ASSERT_NE(i, nullptr);
             EXPECT_TRUE(i->stretch());
             EXPECT_FALSE(i->picture().isNull()) << "text drawn on a canvas of the control's size";
             EXPECT_EQ(i->picture().size(), QSize(40, 30));
             EXPECT_FALSE(i->autoFillBackground()) << "colour unchanged";
         }},
        {"button",
         10,
         {{4, "1"}, {5, "2"}, {6, "80"}, {7, "25"}, {17, "&OK"}, {24, "press"}},
         [](QWidget *w) {
             auto *b = as<QPushButton>(w);
             ASSERT_NE(b, nullptr);
             EXPECT_EQ(b->text(), "&OK");
             EXPECT_EQ(b->toolTip(), "press");
             EXPECT_EQ(b->geometry(), QRect(1, 2, 80, 25));
         }},
        {"splitter",
         11,
         {{6, "5"}, {10, "top"}, {9, "65280"}},
         [](QWidget *w) {
             ASSERT_NE(as<TSplitterBar>(w), nullptr);
             EXPECT_EQ(AlignLayout::Engine::alignOf(w), HostProtocol::Align::Top);
             EXPECT_EQ(w->palette().color(QPalette::Window), QColor(0, 255, 0));
         }},
        {"panel",
         12,
         {{10, "none"}, {11, "centre"}, {13, "single"}, {17, "Panel"}, {24, "h"}},
         [](QWidget *w) {
             auto *p = as<TPickPanel>(w);
             ASSERT_NE(p, nullptr);
             EXPECT_EQ(p->caption(), "Panel");
             EXPECT_EQ(p->frameShape(), QFrame::Box);
             EXPECT_EQ(w->property("orvaTag").toInt(), 12);
         }},
        {"radio button",
         13,
         {{17, "Radio"}, {18, "R"}, {19, "y"}},
         [](QWidget *w) {
             auto *r = as<QRadioButton>(w);
             ASSERT_NE(r, nullptr);
             EXPECT_TRUE(r->isChecked());
             EXPECT_EQ(w->property("orvaTag").toInt(), 13);
         }},
        {"check box",
         13,
         {{17, "Check"}, {19, "n"}},
         [](QWidget *w) {
             auto *c = as<QCheckBox>(w);
             ASSERT_NE(c, nullptr);
             EXPECT_FALSE(c->isChecked());
             EXPECT_EQ(c->text(), "Check");
             EXPECT_EQ(w->property("orvaTag").toInt(), 14);
         }},
        {"web browser",
         15,
         {{17, "http://127.0.0.1:1/none"}},
         [](QWidget *w) {
             auto *b = as<TWebBrowserView>(w);
             ASSERT_NE(b, nullptr);
             EXPECT_EQ(b->LastUrl(), "http://127.0.0.1:1/none");
         }},
        {"grid panel placeholder",
         16,
         {{6, "90"}},
         [](QWidget *w) {
             EXPECT_EQ(w->property("orvaTag").toInt(), 16);
             EXPECT_EQ(w->width(), 90);
         }},
        {"bevel",
         21,
         {{11, "topline"}},
         [](QWidget *w) {
             ASSERT_NE(as<TBevel>(w), nullptr);
             EXPECT_EQ(as<TBevel>(w)->shape(), 2);
         }},
        {"result placeholder",
         22,
         {{10, "client"}},
         [](QWidget *w) {
             EXPECT_EQ(w->property("orvaTag").toInt(), 22);
             EXPECT_EQ(AlignLayout::Engine::alignOf(w), HostProtocol::Align::Client);
             EXPECT_EQ(w->geometry(), w->parentWidget()->rect());
         }},
        {"print panel",
         23,
         {{17, "Footer"}},
         [](QWidget *w) {
             auto *p = as<TPickPanel>(w);
             ASSERT_NE(p, nullptr);
             EXPECT_EQ(p->caption(), "Footer");
             EXPECT_FALSE(p->renderImage().isNull());
         }},
    };
    WebBrowser::forceStub(true);
    for (const TypeCase &c : cases) {
        SCOPED_TRACE(c.what);
        Forms f;
        int count = 16;
        for (const auto &[i, v] : c.fields) {
            count = std::max(count, i);
        }
        EXPECT_EQ(f.run(create("obj", c.type, c.fields, count)), QByteArray());
        EXPECT_TRUE(f.link.sends.isEmpty()) << f.link.sends.value(0).constData();
        QWidget *w = f.find("ws.obj");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), "obj");
        c.check(w);
        // Sixteen fields only: created with its defaults.
        EXPECT_EQ(f.run(create("bare", c.type, {})), QByteArray());
        EXPECT_NE(f.find("ws.bare"), nullptr);
    }
    WebBrowser::forceStub(false);
}

TEST(Create, MalformedFieldsGiveTheErrorNamingTheField) {
    struct Case {
        int field;
        QByteArray value;
        QByteArray name;
    };
    const QList<Case> cases = {{4, "abc", "Left"},      {5, "1.5", "Top"},
                               {6, "x", "Width"},       {7, "9z", "Height"},
                               {8, "--1", "Tab Order"}, {6, "99999999999999999999", "Width"}};
    for (int type : {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 15, 16, 21, 22, 23, 1, 17}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::to_string(type) + " " + c.value.toStdString());
            Forms f;
            const QByteArray reason = "E013 - Error in Object Definition at " + c.name + ". '" +
                                      c.value.toLower() + "' is not a valid integer value";
            EXPECT_EQ(f.run(create("obj", type, {{c.field, c.value}})), reason);
            ASSERT_EQ(f.link.messages().size(), 1);
            EXPECT_EQ(f.link.messages()[0], "Object Creator" + S + "99" + S + S + reason + S);
            EXPECT_EQ(f.find("ws.obj"), nullptr) << "nothing was created";
            EXPECT_EQ(f.frm->WorkspaceList().count(), 1);
        }
    }
}

TEST(Create, CreatorRules) {
    struct Case {
        const char *what;
        bool workspace;
        QByteArray request;
        QByteArray result;
    };
    const QList<Case> cases = {
        {"no workspace", false, create("e", 2, {}), "E011 - No Workspace defined."},
        {"fifteen fields", true, create("e", 2, {}, 15),
         "E012 - Error in Object Definition.  Too few parameters in request."},
        {"type 9", true, create("x", 9, {}),
         "E020 - Object Creation Error. x was not created. Error Raised:"},
        {"type 14", true, create("x", 14, {}),
         "E020 - Object Creation Error. x was not created. Error Raised:"},
        {"type 19", true, create("x", 19, {}),
         "E020 - Object Creation Error. x was not created. Error Raised:"},
        {"negative type", true, create("x", -3, {}),
         "E020 - Object Creation Error. x was not created. Error Raised:"},
        {"dotted name", true, create("a.b", 2, {}),
         "E020 - Object Creation Error. a.b was not created. Error Raised:'a.b' is not a valid component "
         "name"},
        {"blank in name", true, create("two words", 2, {}),
         "E020 - Object Creation Error. two words was not created. Error Raised:'two words' is not a valid "
         "component name"},
        {"empty name", true, create("", 2, {}),
         "E020 - Object Creation Error.  was not created. Error Raised:'' is not a valid component name"},
        {"duplicate", true, create("ED1", 2, {}) + "\n" + create("ed1", 2, {}),
         "E020 - Object Creation Error. ed1 was not created. Error Raised:A component named ed1 already "
         "exists."},
        {"same as workspace", true, create("ws", 3, {}),
         "E020 - Object Creation Error. ws was not created. Error Raised:A component named ws already "
         "exists."},
        {"workspace twice", true, request({{1, "WS"}, {2, "1"}, {3, "1"}}, 16),
         "E020 - Object Creation Error. ws was not created. Error Raised:A component named ws already "
         "exists."},
        {"parent is a button", true, create("b", 10, {}) + "\n" + create("c", 3, {{14, "ws.b"}}),
         "E013 - Error in Object Definition.  Parent Object Error: Object b cannot contain controls."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Forms f(c.workspace);
        QByteArray result;
        for (const QByteArray &r : c.request.split('\n')) {
            result = f.run(r);
        }
        EXPECT_EQ(result, c.result);
        ASSERT_FALSE(f.link.messages().isEmpty());
        EXPECT_EQ(f.link.messages().last(), "Object Creator" + S + "99" + S + S + c.result + S);
    }
}

TEST(Create, WorkspaceChoiceAndParents) {
    Forms f;
    // Exactly one workspace: field 14 naming none still places the control there.
    EXPECT_EQ(f.run(create("e1", 2, {{14, ""}})), QByteArray());
    EXPECT_NE(f.find("ws.e1"), nullptr);
    // A second workspace: now field 14 must name one.
    f.run(request({{1, "WS2"}, {2, "1"}, {3, "1"}}, 16));
    EXPECT_EQ(f.run(create("e2", 2, {{14, "nowhere"}})),
              "E013 - Error in Object Definition.  Workspace not specified or does not exist.");
    // Controls inside a panel; a scroll-box workspace inside a form.
    EXPECT_EQ(f.run(create("p", 12, {{6, "300"}, {7, "200"}}, 16)), QByteArray());
    EXPECT_EQ(f.run(create("inner", 10, {{14, "ws.p"}})), QByteArray());
    EXPECT_EQ(f.find("ws.inner")->parentWidget(), f.find("ws.p"));
    EXPECT_EQ(
        f.run(request({{1, "FORM"}, {2, "1"}, {3, "17"}, {4, "-1"}, {5, "-1"}, {6, "300"}, {7, "200"}}, 16)),
        QByteArray());
    TWinPick *form = f.frm->WorkspaceList().FindWorkspace("form");
    ASSERT_NE(form, nullptr);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form->Container->pos(), area.topLeft()) << "-1 takes the work area";
    EXPECT_FALSE(form->Container->isVisible());
    EXPECT_EQ(f.run(request({{1, "SB"}, {2, "1"}, {3, "1"}, {14, "form"}}, 16)), QByteArray());
    TWinPick *sb = f.frm->WorkspaceList().FindWorkspace("sb");
    ASSERT_NE(sb, nullptr);
    EXPECT_EQ(sb->Container->parentWidget(), form->Container.data());
    // Scroll boxes without a parent workspace sit on the container.
    EXPECT_EQ(f.frm->WorkspaceList().FindWorkspace("ws")->Container->parentWidget(), f.frm->ClientArea());
    // Each new workspace is announced once.
    const QList<QByteArray> m = f.link.messages();
    EXPECT_TRUE(m.contains("form" + S + "91" + S + S + "17" + S));
    EXPECT_TRUE(m.contains("sb" + S + "91" + S + S + "1" + S));
}

TEST(Create, DestroyedParentsLeaveNoDanglingReferences) {
    Forms f;
    f.run(create("p", 12, {}));
    f.run(create("kid", 2, {{14, "ws.p"}}));
    f.run(request({{1, "FORM"}, {2, "1"}, {3, "17"}}, 16));
    f.run(request({{1, "SB"}, {2, "1"}, {3, "1"}, {14, "form"}}, 16));
    ASSERT_NE(f.find("ws.kid"), nullptr);
    delete f.find("ws.p");
    EXPECT_EQ(f.find("ws.kid"), nullptr);
    EXPECT_EQ(f.find("ws.p"), nullptr);
    EXPECT_EQ(f.run(create("kid", 2, {})), QByteArray()) << "the name is free again";
    TWorkspaceList &l = f.frm->WorkspaceList();
    delete l.FindWorkspace("form")->Container.data();
    EXPECT_EQ(l.FindWorkspace("sb"), nullptr);
    EXPECT_EQ(l.FindWorkspace("form"), nullptr);
    EXPECT_EQ(l.count(), 1);
    EXPECT_EQ(l.FindPickObject(nullptr, "x.y"), nullptr);
    // Destroying an object unregisters it at once and frees it later.
    EXPECT_TRUE(l.DestroyPickObject(l.FindWorkspace("ws"), "ws.kid"));
    EXPECT_EQ(f.find("ws.kid"), nullptr);
    EXPECT_EQ(f.link.messages().last(), "kid" + S + "90" + S + "wsev" + S + "2" + S);
}

TEST(Create, LabeledEditRules) {
    struct Case {
        const char *what;
        std::map<int, QByteArray> fields;
        int count;
        int maxLength;
        QPoint pos;
    };
    const QList<Case> cases = {
        {"empty field 18", {{18, ""}}, 18, 40, {0, 0}},
        {"text sets length", {{18, "abcd"}}, 18, 4, {0, 0}},
        {"no field 18", {}, 16, 32767, {0, 0}},
        {"MaxLength", {{19, "12"}}, 19, 12, {0, 0}},
        {"placement above", {{4, "10"}, {5, "10"}, {11, "above"}, {17, "L"}, {22, "y"}}, 22, 40, {10, -1}},
        {"placement off", {{4, "10"}, {5, "10"}, {17, "L"}, {22, "n"}}, 22, 40, {10, 10}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Forms f;
        ASSERT_EQ(f.run(create("e", 2, c.fields, c.count)), QByteArray());
        auto *e = as<TLabeledEdit>(f.find("ws.e"));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->maxLength(), c.maxLength);
        if (c.pos.y() >= 0) {
            EXPECT_EQ(e->pos(), c.pos);
        } else {
            EXPECT_EQ(e->y(), 10 + e->EditLabel()->height() + 4);
            EXPECT_EQ(e->EditLabel()->geometry().bottom() + 1 + e->LabelSpacing, e->y());
        }
    }
}

// Host text that looks like markup is shown as it is: rendered, an <img> would load a local file.
TEST(Create, HostTextIsNeverRichText) {
    const QByteArray markup = "<img src=\"/etc/hostname\"><b>bold</b>";
    struct Case {
        const char *what;
        int type;
        int count;
    };
    for (const Case &c : {Case{"label", 3, 25}, Case{"labeled edit", 2, 24}}) {
        SCOPED_TRACE(c.what);
        Forms f;
        ASSERT_EQ(f.run(create("c", c.type, {{17, markup}, {24, markup}}, c.count)), QByteArray());
        QWidget *w = f.find("ws.c");
        ASSERT_NE(w, nullptr);
        const QLabel *label = c.type == 3 ? as<QLabel>(w) : as<TLabeledEdit>(w)->EditLabel();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromLatin1(markup));
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        QTextDocument tip;
        tip.setHtml(w->toolTip());
        EXPECT_EQ(tip.toPlainText(), QString::fromLatin1(markup)) << w->toolTip().toStdString();
    }
}

TEST(Create, HostNamedFiles) {
    QTemporaryDir dir;
    const QString text = dir.filePath("memo.txt");
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("from file\n");
    t.close();
    const QString rtf = dir.filePath("report.rtf");
    QFile r(rtf);
    ASSERT_TRUE(r.open(QIODevice::WriteOnly));
    r.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain {\\b bold}\\par}");
    r.close();
    const QString big = dir.filePath("big.txt");
    QFile b(big);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.resize(2048);
    b.close();
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath("pic.png")));
    HostFiles::Policy p;
    p.MaxSize = 1024;
    HostFiles::setPolicy(p);
    qputenv("ORVA_PICS", dir.path().toLocal8Bit());

    struct Case {
        const char *what;
        int type;
        QByteArray value;
        QByteArray error; // object error text, empty for none
        std::function<void(QWidget *)> check;
    };
    const QList<Case> cases = {
        {"memo loads",
         4,
         text.toLocal8Bit(),
         {},
         [](QWidget *w) { EXPECT_EQ(as<QPlainTextEdit>(w)->toPlainText(), "from file\n"); }},
        {"rich edit shows an RTF file formatted",
         5,
         rtf.toLocal8Bit(),
         {},
         [](QWidget *w) {
             QTextCursor c(as<QTextEdit>(w)->document());
             EXPECT_EQ(as<QTextEdit>(w)->toPlainText().trimmed(), "plain bold");
             c.setPosition(8);
             EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
             c.setPosition(3);
             EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
         }},
        {"rich edit shows another file as text",
         5,
         text.toLocal8Bit(),
         {},
         [](QWidget *w) { EXPECT_EQ(as<QTextEdit>(w)->toPlainText(), "from file\n"); }},
        {"memo missing", 4, (dir.path() + "/none.txt").toLocal8Bit(),
         "File " + (dir.path() + "/none.txt").toLocal8Bit() + " does not exist.", nullptr},
        {"memo fifo", 4, fifo.toLocal8Bit(), "File " + fifo.toLocal8Bit() + " is not a regular file.",
         nullptr},
        {"memo too big", 5, big.toLocal8Bit(), "File " + big.toLocal8Bit() + " is too large.", nullptr},
        {"memo device", 4, "/dev/zero", "File /dev/zero is not a regular file.", nullptr},
        {"memo plain value",
         4,
         "just text",
         {},
         [](QWidget *w) { EXPECT_TRUE(as<QPlainTextEdit>(w)->toPlainText().isEmpty()); }},
        {"image from a variable",
         8,
         "%ORVA_PICS%/pic.png",
         {},
         [](QWidget *w) { EXPECT_EQ(as<TPickImage>(w)->picture().size(), QSize(8, 6)); }},
        {"image variable unset",
         8,
         "%ORVA_UNSET_VAR%/pic.png",
         {},
         [](QWidget *w) { EXPECT_TRUE(as<TPickImage>(w)->picture().isNull()); }},
        {"image not a picture",
         8,
         text.toLocal8Bit(),
         {},
         [](QWidget *w) { EXPECT_TRUE(as<TPickImage>(w)->picture().isNull()); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Forms f;
        EXPECT_EQ(f.run(create("o", c.type, {{17, c.value}}, 17)), QByteArray());
        if (c.error.isEmpty()) {
            EXPECT_TRUE(f.link.sends.isEmpty());
        } else {
            EXPECT_EQ(f.link.messages(), QList<QByteArray>{"o" + S + "99" + S + "wsev" + S + c.error + S});
        }
        if (c.check) {
            c.check(f.find("ws.o"));
        }
    }
    HostFiles::setPolicy({});
}

TEST(Create, FontSourceCopiesAnotherControlsFont) {
    Forms f;
    f.run(create("l1", 3, {{12, "]]]20]]]]]]]]]]]]]serif"}}));
    f.run(create("l2", 3, {{12, "ws.l1"}}));
    EXPECT_EQ(f.find("ws.l2")->font().pointSize(), 20);
    EXPECT_EQ(f.find("ws.l2")->font(), f.find("ws.l1")->font());
}

TEST(Create, AlignedControlsShareTheClientArea) {
    Forms f;
    f.run(create("top", 12, {{7, "30"}, {10, "top"}}));
    f.run(create("left", 12, {{6, "100"}, {10, "left"}}));
    f.run(create("split", 11, {{6, "4"}, {10, "left"}}));
    f.run(create("body", 12, {{10, "client"}}));
    QWidget *body = f.find("ws.body");
    const QSize client = body->parentWidget()->size();
    EXPECT_EQ(f.find("ws.top")->geometry(), QRect(0, 0, client.width(), 30));
    EXPECT_EQ(f.find("ws.left")->geometry(), QRect(0, 30, 100, client.height() - 30));
    EXPECT_EQ(body->geometry(), QRect(104, 30, client.width() - 104, client.height() - 30));
    // Dragging the bar widens the panel aligned before it, and the client area gives way.
    auto *bar = as<TSplitterBar>(f.find("ws.split"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->target(), f.find("ws.left"));
    bar->dragBy(20);
    EXPECT_EQ(f.find("ws.left")->width(), 120);
    EXPECT_EQ(body->x(), 124);
}

TEST(Create, AFamilySetterRefusesAWidgetOfAnotherClass) {
    // Every family is reached through a checked cast: a Tag that does not match the widget is an
    // error text, never a cast to the wrong class.
    Forms f;
    f.run(create("btn", 10, {{17, "Go"}}));
    TWorkspaceList &l = f.frm->WorkspaceList();
    TWinPick *ws = l.FindWorkspace("ws");
    TPickControl def;
    ASSERT_TRUE(
        PickControl::ParsePickControl(
            {{}, "btn", "6", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "text", "line"}, def)
            .isEmpty());
    for (HostProtocol::PickType wrong :
         {HostProtocol::PickType::LabeledEdit, HostProtocol::PickType::Memo,
          HostProtocol::PickType::GridPanel, HostProtocol::PickType::ResultEntry,
          HostProtocol::PickType::FormWorkspace}) {
        SCOPED_TRACE(HostProtocol::typeNumber(wrong));
        EXPECT_EQ(l.ApplyDefinition(ws, f.find("ws.btn"), wrong, def, nullptr),
                  "Object btn is not a control of type " +
                      QByteArray::number(HostProtocol::typeNumber(wrong)));
    }
}

TEST(Create, RichEditLinesAreOneRichTextStream) {
    Forms f;
    f.run(create("rich", 5, {{21, "{\\rtf1\\ansi {\\b Bold}"}, {22, " plain\\par second}"}}, 22));
    auto *r = as<QTextEdit>(f.find("ws.rich"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->toPlainText(), "Bold plain\nsecond");
    QTextCursor c(r->document());
    c.movePosition(QTextCursor::Right);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    // Text that is no rich-text stream is shown as it is; blank lines change nothing.
    f.run(on("ws.rich", "6", {{21, "just text"}}, 21));
    EXPECT_EQ(r->toPlainText(), "just text");
    f.run(on("ws.rich", "6", {{21, " "}, {22, "\xFD"}}, 22));
    EXPECT_EQ(r->toPlainText(), "just text");
}

TEST(Create, FormBorderStylesGiveToolWindowsAndFixedSizes) {
    struct Case {
        const char *word;
        bool tool;
        bool fixed;
    };
    const Case cases[] = {
        {"single", false, true},    {"sizeable", false, false},   {"dialog", false, true},
        {"toolwindow", true, true}, {"sizetoolwin", true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word);
        Forms f;
        ASSERT_EQ(
            f.run(request(
                {{1, "FORM"}, {2, "1"}, {3, "17"}, {6, "300"}, {7, "200"}, {11, "left"}, {13, c.word}}, 16)),
            QByteArray());
        TWinPick *form = f.frm->WorkspaceList().FindWorkspace("form");
        ASSERT_NE(form, nullptr);
        QWidget *window = form->Container.data();
        EXPECT_EQ((window->windowFlags() & Qt::WindowType_Mask) == Qt::Tool, c.tool);
        EXPECT_EQ(window->minimumSize() == window->maximumSize(), c.fixed);
    }
}

} // namespace
