// An update changes only the fields it gives: every control type, updated one field at a time, keeps
// every property that field does not set (what the user typed above all).
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <set>

namespace {

using B = QByteArray;
using Snapshot = std::map<std::string, QString>;

QString str(const QRect &r) {
    return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// What the host and the user can see of a control, by name.
Snapshot snapshot(QWidget *w) {
    Snapshot s;
    s["geometry"] = str(w->geometry());
    s["taborder"] = w->property(PickProperties::kTabOrder).toString();
    const QPalette p = w->palette();
    s["colour"] = p.color(QPalette::Window).name() + p.color(QPalette::Base).name() +
                  QString::number(w->autoFillBackground());
    s["font"] = w->font().toString() + p.color(QPalette::Text).name();
    s["align"] = QString::number(int(AlignLayout::Engine::alignOf(w)));
    s["anchors"] = QString::number(AlignLayout::Engine::anchorsOf(w));
    s["events"] = w->property(PickProperties::kEvents).toString();
    s["hint"] = w->toolTip();
    s["parent"] = w->parentWidget() ? w->parentWidget()->objectName() : QString();
    s["visible"] = QString::number(w->isVisible()) + QString::number(w->isEnabled());
    if (auto *e = qobject_cast<TLabeledEdit *>(w)) {
        s["text"] = e->text();
        s["maxlength"] = QString::number(e->maxLength());
        s["caption"] = e->EditLabel()->text();
        s["labelposition"] = QString::number(e->LabelPosition());
        s["labelwrap"] = QString::number(e->EditLabel()->wordWrap());
        s["labellayout"] = QString::number(int(e->EditLabel()->alignment()));
        s["frame"] = QString::number(e->hasFrame());
    } else if (auto *l = qobject_cast<QLabel *>(w)) {
        s["caption"] = l->text();
        s["alignment"] = QString::number(int(l->alignment()));
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        s["text"] = m->toPlainText();
        s["readonly"] = QString::number(m->isReadOnly());
        s["wrap"] = QString::number(m->lineWrapMode());
        s["scrollbars"] =
            QString::number(m->horizontalScrollBarPolicy()) + QString::number(m->verticalScrollBarPolicy());
        s["alignment"] = QString::number(int(m->document()->defaultTextOption().alignment()));
    } else if (auto *r = qobject_cast<QTextEdit *>(w)) {
        s["text"] = r->toPlainText();
        s["readonly"] = QString::number(r->isReadOnly());
        s["wrap"] = QString::number(r->lineWrapMode());
        s["scrollbars"] =
            QString::number(r->horizontalScrollBarPolicy()) + QString::number(r->verticalScrollBarPolicy());
        s["alignment"] = QString::number(int(r->alignment()));
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) {
            items.append(list->item(i)->text());
        }
        s["items"] = items.join('|');
        s["index"] = QString::number(list->currentRow());
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        QStringList items;
        for (int i = 0; i < c->count(); ++i) {
            items.append(c->itemText(i));
        }
        s["items"] = items.join('|');
        s["index"] = QString::number(c->currentIndex()) + c->currentText();
        s["style"] = QString::number(c->isEditable());
    } else if (auto *img = qobject_cast<TPickImage *>(w)) {
        s["stretch"] = QString::number(img->stretch());
        s["picture"] = QString::number(img->picture().cacheKey());
    } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        s["caption"] = b->text();
        s["checked"] = QString::number(b->isChecked());
        s["alignment"] = QString::number(b->layoutDirection());
    } else if (auto *g = qobject_cast<TgdGridPanel *>(w)) {
        QTableWidget *t = g->StringGrid();
        s["factors"] = QString::fromLatin1(g->WidthFactors());
        s["fixed"] = QString("%1,%2").arg(g->FixedRows()).arg(g->FixedCols());
        s["readonly"] = QString::number(g->ReadOnly());
        s["rowselect"] = QString::number(t->selectionBehavior());
        s["sorted"] = QString::number(g->SortedColumn);
        s["frame"] = QString::number(g->frameShape());
        QStringList cells;
        for (int r = 0; r < t->rowCount(); ++r) {
            for (int c = 0; c < t->columnCount(); ++c) {
                cells.append(QString::fromLatin1(g->cell(c, r)));
            }
        }
        s["cells"] = QString("%1x%2 ").arg(t->columnCount()).arg(t->rowCount()) + cells.join('|');
    } else if (auto *res = qobject_cast<TkalvexResult *>(w)) {
        s["frame"] = QString::number(res->frameShape());
        s["header"] = res->Header() ? res->Header()->objectName() : QString();
        s["footer"] = res->Footer() ? res->Footer()->objectName() : QString();
        s["data"] =
            QString::number(int(res->EditState())) + QString::fromLatin1(res->model().results().join('|'));
    } else if (auto *p = qobject_cast<TPickPanel *>(w)) {
        s["caption"] = p->caption();
        s["frame"] = QString::number(p->frameShape());
    } else if (auto *sw = qobject_cast<TScrollWorkspace *>(w)) {
        s["frame"] = QString::number(sw->frameShape());
    } else if (auto *fw = qobject_cast<TFormWorkspace *>(w)) {
        s["caption"] = fw->windowTitle();
        s["style"] = QString::number(int(fw->windowFlags())) + str(QRect(QPoint(), fw->minimumSize())) +
                     str(QRect(QPoint(), fw->maximumSize()));
        s["overlay"] = fw->Overlay.text;
    }
    return s;
}

struct Control {
    const char *name;
    // The create request (in workspace "ws", or a form of its own).
    B create;
    // Field -> the properties an update of that field alone may change, beyond the common ones. The
    // fields from 18 (list items), 21 (memo lines) or 22 (grid rows) on are content to their end,
    // the hint's and the position text's fields included.
    std::map<int, std::set<std::string>> sets;
    // Field -> the value sent for it, where the common sample does not suit this type.
    std::map<int, B> values;
};

// The values sent for each field, and what each sets on any control.
const std::map<int, B> kSample = {
    {4, "7"},
    {5, "9"},
    {6, "123"},
    {7, "45"},
    {8, "3"},
    {9, "255"},
    {10, "top"},
    {11, "right"},
    {12, "]]]14"},
    {13, "single"},
    {15, "left,top"},
    {16, "click"},
    {17, "Caption"},
    {18, "eighteen"},
    {19, "19"},
    {20, "y"},
    {21, "twentyone"},
    {22, "twentytwo"},
    {23, "twentythree"},
    {24, "the hint"},
    {25, "1]2]overlay"},
};
const std::map<int, std::set<std::string>> kCommon = {
    {4, {"geometry"}}, {5, {"geometry"}},           {6, {"geometry"}}, {7, {"geometry"}}, {8, {"taborder"}},
    {9, {"colour"}},   {10, {"align", "geometry"}}, {12, {"font"}},    {15, {"anchors"}}, {16, {"events"}},
    {24, {"hint"}},
};

const B kResultData = "<LAYOUT_DATA>\n-\n-\nA @\x04"
                      "B @\n1\x05"
                      "3\x05\x05"
                      "5\x04"
                      "2\x05"
                      "3\x05\x05"
                      "5\n1\x04"
                      "2\n<RESULT_DATA>7\x04"
                      "8";

using Sets = std::map<int, std::set<std::string>>;

// `sets` with every field from `first` to 25 setting `keys` (lists, lines and rows run to the end).
Sets contentFrom(int first, const std::set<std::string> &keys, Sets sets) {
    for (int i = first; i <= 25; ++i) {
        sets[i].insert(keys.begin(), keys.end());
    }
    return sets;
}

std::vector<Control> controls() {
    const Sets memo = contentFrom(
        21, {"text"}, {{11, {"alignment"}}, {18, {"scrollbars"}}, {19, {"readonly"}}, {20, {"wrap"}}});
    return {
        {"ed",
         create("ed", 2, {{16, "change"}, {17, "Label"}, {18, "typed"}}, 18),
         {{10, {"labellayout"}},
          {11, {"labelposition"}},
          {13, {"frame"}},
          {17, {"caption"}},
          {18, {"text", "maxlength"}},
          {19, {"maxlength", "labelwrap", "labelposition"}}, // the length also sets the label's default place
          {20, {"labelwrap"}},
          {21, {"labelposition"}},
          {22, {"geometry", "labellayout"}}},
         {{21, "above"}}},
        {"lbl",
         create("lbl", 3, {{17, "Text"}}),
         {{11, {"alignment"}}, {13, {"alignment"}}, {17, {"caption"}}},
         {}},
        {"memo",
         create("memo", 4, {{18, "vert"}, {19, "n"}, {20, "y"}, {21, "one"}, {22, "two"}}, 22),
         memo,
         {{18, "both"}, {20, "n"}}},
        {"rich", create("rich", 5, {{21, "rich text"}}, 21), memo, {{18, "both"}, {20, "n"}}},
        {"list",
         create("list", 6, {{17, "1"}, {18, "a"}, {19, "b"}}, 19),
         contentFrom(18, {"items", "index"}, {{17, {"index"}}}),
         {{17, "0"}}},
        {"combo",
         create("combo", 7, {{17, "1"}, {18, "a"}, {19, "b"}}, 19),
         contentFrom(18, {"items", "index"}, {{11, {"style"}}, {17, {"index"}}}),
         {{17, "0"}, {13, "dropdownlist"}}},
        {"img", create("img", 8, {{6, "40"}, {7, "30"}}), {{11, {"stretch"}}, {25, {"picture"}}}, {{9, "y"}}},
        {"btn", create("btn", 10, {{17, "Go"}}), {{17, {"caption"}}}, {}},
        {"pnl", create("pnl", 12, {{17, "Panel"}}), {{10, {"frame"}}, {17, {"caption"}}}, {}},
        {"chk",
         create("chk", 13, {{17, "Check"}, {19, "y"}}, 19),
         {{11, {"alignment"}}, {17, {"caption"}}, {19, {"checked"}}},
         {{19, "n"}}},
        {"radio",
         create("radio", 13, {{17, "Radio"}, {18, "r"}, {19, "y"}}, 19),
         {{11, {"alignment"}}, {17, {"caption"}}, {19, {"checked"}}},
         {{19, "n"}}},
        {"grid",
         create("grid", 16, {{17, "1,1"}, {18, "1,0"}, {21, "1"}, {22, "h1]h2"}, {23, "a]b"}}, 23),
         contentFrom(22, {"cells"},
                     {{8, {"frame"}},
                      {17, {"factors", "cells"}},
                      {18, {"fixed", "cells"}},
                      {19, {"readonly"}},
                      {20, {"rowselect"}},
                      {21, {"sorted"}}}),
         {{17, "2,1,1"}, {18, "2,1"}, {21, "0"}}},
        {"res",
         create("res", 22, {{20, "3"}, {22, kResultData}}, 22),
         {{10, {"frame"}}, {11, {"frame"}}, {18, {"header"}}, {19, {"footer"}}, {22, {"data"}}},
         {{18, "pp"},
          {19, "pp"},
          {22, "<RESULT_DATA>9\x04"
               "8"}}},
        {"pp", create("pp", 23, {{17, "Print"}}), {{10, {"frame"}}, {17, {"caption"}}}, {}},
    };
}

TEST(UpdateFields, EachFieldAloneChangesOnlyWhatItSets) {
    for (const Control &c : controls()) {
        for (const auto &[field, sample] : kSample) {
            SCOPED_TRACE(std::string(c.name) + " field " + std::to_string(field));
            Forms f;
            f.run(create("pp", 23, {{17, "Print"}}));
            if (B(c.name) != "pp") {
                ASSERT_EQ(f.run(c.create), "");
            }
            QWidget *w = f.find("ws." + B(c.name));
            ASSERT_NE(w, nullptr);
            // What the user typed or picked is what an update must keep.
            if (auto *e = qobject_cast<TLabeledEdit *>(w)) {
                QTest::keyClicks(e, " by the user");
            } else if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
                m->appendPlainText("by the user");
            } else if (auto *g = qobject_cast<TgdGridPanel *>(w)) {
                g->StringGrid()->item(1, 1)->setText("by the user");
            } else if (auto *b = qobject_cast<QCheckBox *>(w)) {
                b->setChecked(false);
            }
            const Snapshot before = snapshot(w);
            const B value = c.values.count(field) ? c.values.at(field) : sample;
            f.run(on("ws." + B(c.name), "6", {{field, value}}, field));
            const Snapshot after = snapshot(w);
            std::set<std::string> allowed;
            if (kCommon.count(field)) {
                allowed = kCommon.at(field);
            }
            if (c.sets.count(field)) {
                allowed.insert(c.sets.at(field).begin(), c.sets.at(field).end());
            }
            for (const auto &[key, was] : before) {
                if (!allowed.count(key)) {
                    EXPECT_EQ(after.at(key), was) << key;
                }
            }
        }
    }
}

TEST(UpdateFields, FormWorkspaceFieldsAlone) {
    const std::map<int, std::set<std::string>> sets = {
        {4, {"geometry"}}, {5, {"geometry"}}, {6, {"geometry"}}, {7, {"geometry"}},
        {9, {"colour"}},   {11, {"style"}},   {12, {"font"}},    {16, {"events"}},
        {17, {"caption"}}, {24, {"hint"}},    {25, {"overlay"}},
    };
    for (const auto &[field, sample] : kSample) {
        SCOPED_TRACE("field " + std::to_string(field));
        Forms f(false);
        ASSERT_EQ(f.run(request({{1, "fw"}, {2, "1"}, {3, "17"}, {6, "300"}, {7, "200"}, {17, "Title"}}, 17)),
                  "");
        QWidget *w = f.find("fw");
        ASSERT_NE(w, nullptr);
        const Snapshot before = snapshot(w);
        f.run(on("fw", "6", {{field, sample}}, field));
        const Snapshot after = snapshot(w);
        for (const auto &[key, was] : before) {
            if (!sets.count(field) || !sets.at(field).count(key)) {
                EXPECT_EQ(after.at(key), was) << key;
            }
        }
    }
}

TEST(UpdateFields, StyleWordsApplyWithTheFieldsThatCarryThem) {
    Forms f;
    f.run(create("pnl", 12, {{13, "single"}}));
    f.run(create("combo", 7, {{13, "dropdownlist"}}));
    f.run(create("img", 8, {{9, "y"}}));
    auto *panel = as<TPickPanel>(f.find("ws.pnl"));
    auto *combo = as<QComboBox>(f.find("ws.combo"));
    auto *img = as<TPickImage>(f.find("ws.img"));
    // Field 13 alone names the style; nothing changes until the field that applies it is given.
    EXPECT_EQ(panel->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(combo->isEditable()) << "a new combo box is a drop-down";
    EXPECT_FALSE(img->stretch());
    f.run(on("ws.pnl", "6", {{10, "none"}, {13, "single"}}, 13));
    f.run(on("ws.combo", "6", {{11, "left"}, {13, "dropdownlist"}}, 13));
    f.run(on("ws.img", "6", {{9, "y"}, {11, "left"}}, 11));
    EXPECT_EQ(panel->frameShape(), QFrame::Box);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_TRUE(img->stretch());

    // A memo's alignment holds for the lines loaded after it; a labeled edit's label takes its layout.
    f.run(create("memo", 4, {{11, "centre"}, {21, "one"}}, 21));
    auto *memo = as<QPlainTextEdit>(f.find("ws.memo"));
    EXPECT_EQ(memo->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
    f.run(create("ed", 2, {{10, "none"}, {13, "bottom"}, {17, "Label"}}, 17));
    EXPECT_EQ(as<TLabeledEdit>(f.find("ws.ed"))->EditLabel()->alignment() & Qt::AlignVertical_Mask,
              Qt::AlignBottom);
}

} // namespace
