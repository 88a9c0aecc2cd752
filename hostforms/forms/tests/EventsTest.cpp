// Events sent to the host: the hooks field 16 installs, in the order and with the bytes the
// protocol defines, through the one encoder; nothing while host data is applied.
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickEvents.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using B = QByteArray;

// A message from its fields.
B m(const QList<B> &fields) {
    return fields.join('\x03');
}

void typeChar(QWidget *w, QChar c, Qt::KeyboardModifiers mods = Qt::NoModifier, int key = Qt::Key_unknown) {
    QKeyEvent press(QEvent::KeyPress, key, mods, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, QString(c));
    QApplication::sendEvent(w, &release);
}

// The workspace shown and active, so that focus moves as it would for a user.
void activate(Forms &f) {
    f.frm->show();
    f.frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.frm.get()));
}

TEST(Events, NothingAskedNothingSent) {
    Forms f;
    f.run(create("ed", 2, {{18, "x"}}, 18));
    f.run(create("btn", 10, {}));
    auto *ed = as<TLabeledEdit>(f.find("ws.ed"));
    ASSERT_NE(ed, nullptr);
    QTest::keyClicks(ed, "abc");
    QTest::mouseClick(ed, Qt::LeftButton);
    QTest::mouseClick(as<QPushButton>(f.find("ws.btn")), Qt::LeftButton);
    EXPECT_TRUE(f.link.sends.isEmpty());
    EXPECT_EQ(TPickEvents::of(ed)->hooks(), 0u);
}

TEST(Events, KeysOfALabeledEditInOrder) {
    Forms f;
    f.run(create("ed", 2, {{16, "keydown,keyup,keypress,change"}, {18, ""}}, 18));
    EXPECT_TRUE(f.link.sends.isEmpty()) << "no change event while the text is set by the host";
    auto *ed = as<TLabeledEdit>(f.find("ws.ed"));
    QTest::keyClick(ed, Qt::Key_A);
    EXPECT_EQ(f.link.messages(),
              (QList<B>{m({"ed", "52", "wsev", "65", "", "", "65"}), m({"ed", "51", "wsev", "a", ""}),
                        m({"ed", "58", "wsev", "a"}), m({"ed", "53", "wsev", "65", "", "a", "65"})}));
    // Shift is a key of its own, reported down before the letter.
    f.link.sends.clear();
    QTest::keyClick(ed, Qt::Key_B, Qt::ShiftModifier);
    EXPECT_EQ(f.link.messages().value(0), m({"ed", "52", "wsev", "16", "shift,", "a", "16"}));
    EXPECT_EQ(f.link.messages().value(1), m({"ed", "52", "wsev", "66", "shift,", "a", "66"}));
    // Ctrl+C types 0x03; the value marks and frame bytes the user types are encoded.
    f.link.sends.clear();
    typeChar(ed, QChar(3), Qt::ControlModifier, Qt::Key_C);
    EXPECT_EQ(f.link.messages().value(1), m({"ed", "51", "wsev", "?", "ab"}));
    f.link.sends.clear();
    typeChar(ed, QChar(0xFD));
    typeChar(ed, QChar(0x203A)); // 0x9B in Windows-1252
    EXPECT_EQ(f.link.messages(),
              (QList<B>{m({"ed", "51", "wsev", "y", "ab"}), m({"ed", "58", "wsev", "aby"}),
                        m({"ed", "51", "wsev", "?", "aby"}), m({"ed", "58", "wsev", "aby?"})}));
}

TEST(Events, KeyCodesAreVirtualKeys) {
    Forms f;
    f.run(create("m", 4, {{16, "keyup,"}}));
    QWidget *m = f.find("ws.m");
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        B code;
    };
    for (const Case &c : QList<Case>{{Qt::Key_Return, {}, "13"},
                                     {Qt::Key_Enter, Qt::KeypadModifier, "13"},
                                     {Qt::Key_F1, {}, "112"},
                                     {Qt::Key_BracketLeft, {}, "219"}}) {
        f.link.sends.clear();
        QTest::keyRelease(m, Qt::Key(c.key), c.mods);
        ASSERT_EQ(f.link.messages().size(), 1);
        EXPECT_EQ(f.link.messages()[0], "m\x03"
                                        "53\x03wsev\x03" +
                                            c.code + "\x03\x03\x03" + c.code);
    }
}

TEST(Events, MouseWordsAndPlaces) {
    Forms f;
    f.run(create("ed", 2, {{4, "10"}, {5, "10"}, {16, "mousedown,mouseup,click"}}));
    f.run(create("memo", 4, {{16, "mousedown"}}));
    QWidget *ed = f.find("ws.ed");
    QTest::mousePress(ed, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(5, 6));
    QTest::mouseRelease(ed, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(5, 6));
    EXPECT_EQ(f.link.messages(), (QList<B>{m({"ed", "56", "wsev", "left", "shift,ctrl,left,", "5", "6", ""}),
                                           m({"ed", "50", "wsev", ""}),
                                           m({"ed", "57", "wsev", "left", "shift,ctrl,", "5", "6", ""})}));
    // A memo's mouse events come from its viewport; the place is in the memo's own terms.
    f.link.sends.clear();
    auto *memo = as<QPlainTextEdit>(f.find("ws.memo"));
    QTest::mousePress(memo->viewport(), Qt::MiddleButton, {}, QPoint(7, 8));
    QTest::mouseRelease(memo->viewport(), Qt::MiddleButton, {}, QPoint(7, 8));
    const QPoint at = memo->viewport()->mapTo(memo, QPoint(7, 8));
    EXPECT_NE(at, QPoint(7, 8));
    EXPECT_EQ(f.link.messages(), QList<B>{m({"memo", "56", "wsev", "middle", "middle,", B::number(at.x()),
                                             B::number(at.y()), ""})});
}

TEST(Events, ValuesOfListsCombosAndButtons) {
    Forms f;
    f.run(create("list", 6, {{16, "click"}, {18, "a"}, {19, "b"}}, 19));
    f.run(create("combo", 7, {{13, "dropdown"}, {18, "a"}, {19, "b"}}, 19));
    f.run(create("chk", 13, {{16, "click"}, {17, "Check"}, {18, "c"}}, 18));
    f.run(create("btn", 10, {{16, "enter"}}));
    auto *list = as<QListWidget>(f.find("ws.list"));
    EXPECT_EQ(TPickEvents::valueText(list, HostProtocol::PickType::ListBox).bytes(), "");
    list->item(1)->setSelected(true);
    EXPECT_EQ(TPickEvents::valueText(list, HostProtocol::PickType::ListBox).bytes(), "b\xFD");
    auto *combo = as<QComboBox>(f.find("ws.combo"));
    combo->setEditText("zzz");
    EXPECT_EQ(TPickEvents::valueText(combo, HostProtocol::PickType::ComboBox).bytes(), "zzz\x03-1");
    combo->setCurrentIndex(1);
    EXPECT_EQ(TPickEvents::valueText(combo, HostProtocol::PickType::ComboBox).bytes(), "b\x03"
                                                                                       "1");
    f.link.sends.clear();
    QTest::mouseClick(as<QAbstractButton>(f.find("ws.chk")), Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(as<QPushButton>(f.find("ws.btn")), Qt::LeftButton);
    EXPECT_EQ(f.link.messages(), (QList<B>{B("chk\x03"
                                             "50\x03wsev\x03"
                                             "1"),
                                           B("btn\x03"
                                             "50\x03wsev\x03")}));
}

TEST(Events, EnterMovesToTheNextTabStopThenReportsTheKey) {
    Forms f;
    for (int i = 1; i <= 3; ++i) {
        f.run(create(
            "ed" + B::number(i), 2,
            {{4, "100"}, {5, B::number(30 * i)}, {8, B::number(i)}, {16, "keydown,enter,exit"}, {18, "v"}},
            18));
    }
    activate(f);
    QWidget *ed1 = f.find("ws.ed1");
    QWidget *ed3 = f.find("ws.ed3");
    ed3->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ed3->hasFocus(); }, 2000));
    f.link.sends.clear();
    QTest::keyClick(ed3, Qt::Key_Return);
    EXPECT_TRUE(ed1->hasFocus());
    EXPECT_EQ(f.link.messages(), (QList<B>{m({"ed3", "54", "wsev", "v"}), m({"ed1", "55"}),
                                           m({"ed3", "52", "wsev", "13", "", "v", "13"})}));
}

TEST(Events, CloseQueryKeepsTheFormOpen) {
    Forms f;
    f.run(request({{1, "frm"}, {2, "1"}, {3, "17"}, {18, "fev"}}, 18));
    f.run(on("frm", "5.0"));
    f.link.sends.clear();
    QWidget *form = f.frm->WorkspaceList().FindWorkspace("frm")->Container;
    ASSERT_TRUE(form->isVisible());
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(f.link.messages(), QList<B>{B("frm\x03"
                                            "70\x03"
                                            "fev\x03")});
}

TEST(Events, DestroyingAParentWhileItsChildHasAPendingEvent) {
    Forms f;
    f.run(create("pnl", 12, {{6, "200"}, {7, "100"}}));
    f.run(create("btn", 10, {{14, "ws.pnl"}, {16, "click,mousedown"}}));
    QWidget *btn = f.find("ws.btn");
    ASSERT_EQ(btn->parentWidget(), f.find("ws.pnl"));
    QCoreApplication::postEvent(btn, new QMouseEvent(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2),
                                                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    f.link.sends.clear();
    EXPECT_EQ(f.run(on("ws.pnl", "2")), "");
    QCoreApplication::processEvents();
    flushDeletes();
    EXPECT_EQ(f.link.messages(), QList<B>{B("pnl\x03"
                                            "90\x03wsev\x03"
                                            "12\x03")});
    EXPECT_EQ(f.find("ws.btn"), nullptr);
}

} // namespace
