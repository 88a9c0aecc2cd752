// The grid panel's pure rules: width factors, widths, field 18 and the end-of-update data.
#include "hostforms/forms/GridPanelRules.h"
#include "hostforms/forms/TPickEvents.h"

#include <gtest/gtest.h>

namespace {

using namespace GridPanelRules;

TEST(GridRules, WidthFactorsAndWidths) {
    const Factors f = parseWidthFactors("2, 1 ,1");
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(columnWidths(normalised(f.factors), 101), (QList<int>{50, 25, 26}));
    const Factors bad = parseWidthFactors("1,x");
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.badItem, "x");
    const Factors zero = parseWidthFactors("0,0");
    ASSERT_TRUE(zero.ok);
    EXPECT_EQ(zero.sum, 0);
    EXPECT_EQ(columnWidths(normalised(zero.factors), 200), (QList<int>{0, 200}));
    // Negative factors read as 0; nothing is negative or wider than the grid.
    const Factors negative = parseWidthFactors("-1,2");
    EXPECT_EQ(columnWidths(normalised(negative.factors), 90), (QList<int>{0, 90}));
    EXPECT_EQ(columnWidths({0.5, 0.5}, -10), (QList<int>{0, 0}));
    EXPECT_EQ(columnWidths({}, 100), QList<int>{});
    EXPECT_EQ(parseWidthFactors("1.5,nan").ok, false);
    // Factors from widths before the grid was ever laid out: equal, never infinite.
    EXPECT_EQ(factorsFromWidths({10, 30}, 0), (QList<double>{0.5, 0.5}));
    EXPECT_EQ(factorsFromWidths({10, 30}, 40), (QList<double>{0.25, 0.75}));
}

TEST(GridRules, FixedRowsAndColumns) {
    struct Case {
        QByteArray field;
        int rows, columns;
    };
    for (const Case &c : QList<Case>{{"2,1", 2, 1},
                                     {"abc,xyz", 1, 0},
                                     {"5,0", 5, 0},
                                     {"-3,-1", 0, 0},
                                     {"999999999,99999", kMaxRows - 1, kMaxColumns - 1}}) {
        const Fixed f = readFixed(c.field);
        EXPECT_EQ(f.rows, c.rows) << c.field.constData();
        EXPECT_EQ(f.columns, c.columns) << c.field.constData();
    }
    EXPECT_EQ(grownCount(5, 5), 6);
    EXPECT_EQ(grownCount(2, 5), 5);
    EXPECT_EQ(rowCells("a]b", 3), (QList<QByteArray>{"a", "b", ""}));
    EXPECT_EQ(endUpdateData({"a", "b\x03"}, {"c"}).bytes(), QByteArray("a\xFD"
                                                                       "b?\xFD\x03"
                                                                       "c\xFD"));
}

TEST(EventHooks, WordsPerFamily) {
    using H = TPickEvents;
    using T = HostProtocol::PickType;
    struct Case {
        const char *what;
        T tag;
        QByteArray words;
        bool given;
        unsigned hooks;
    };
    const QList<Case> cases = {
        {"doubleclick is not click", T::LabeledEdit, ",doubleclick,", true, H::DoubleClick},
        {"click with its commas", T::LabeledEdit, ",click,enter,", true, H::Click | H::Enter},
        {"edit keydown needs its comma", T::LabeledEdit, ",keydowndefcol,", true, H::KeyDownDefaultColour},
        {"edit keydown", T::LabeledEdit, ",keydown,", true, H::KeyDown},
        {"memo keydown as a substring", T::Memo, ",keydowndefcol,", true,
         H::KeyDown | H::KeyDownDefaultColour},
        {"edit mousedown", T::LabeledEdit, ",mousedowndefcol,", true, H::MouseDownDefaultColour},
        {"button clicks whenever field 16 was given", T::Button, ",enter,", true, H::Click | H::Enter},
        {"button without field 16", T::Button, "", false, 0},
        {"label honours mouse and clicks only", T::Label, ",keypress,click,mouseup,", true,
         H::Click | H::MouseUp},
        {"rich edit: no click", T::RichEdit, ",click,change,", true, H::Change},
        {"check box: no double click", T::CheckBox, ",doubleclick,click,", true, H::Click},
        {"radio button double click", T::RadioButton, ",doubleclick,", true, H::DoubleClick},
        {"result events", T::ResultEntry, ",save,change,abort,keyup,", true, H::Save | H::Change | H::Abort},
        {"splitter none", T::Splitter, ",click,", true, 0},
        {"nothing asked", T::LabeledEdit, ",,", true, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(H::hooksFor(c.tag, c.words, c.given), c.hooks) << c.what;
    }
    EXPECT_EQ(H::hookWords(H::Enter | H::Click), "clickenter");
    EXPECT_EQ(H::hookWords(H::KeyDownDefaultColour | H::DoubleClick | H::KeyPress),
              "keypresskeydowndoubleclick");
}

} // namespace
