// The result-entry control's model: data blocks, limits, allowed characters, masks, the tab
// order, calculation rules and every host index that may point past the data.
#include "hostforms/forms/TKalvexResultModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Model = TKalvexResultModel;
const char FD = '\xFD';
const char FC = '\xFC';

QByteArray join(const QList<QByteArray> &parts, char sep) {
    QByteArray out;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        out += (i ? QByteArray(1, sep) : QByteArray()) + parts[i];
    }
    return out;
}

// row, column, width, allowed, mask, range width as a range line.
QByteArray rangeLine(int row, int column, int width, const QByteArray &allowed = {},
                     const QByteArray &mask = {}, int rangeWidth = 0) {
    return join({QByteArray::number(row),
                 QByteArray::number(column),
                 {},
                 QByteArray::number(width),
                 allowed,
                 mask,
                 {},
                 {},
                 rangeWidth ? QByteArray::number(rangeWidth) : QByteArray()},
                FC);
}

// A model with the given layout, range lines, order, rules and function keys (lines 3, 4, 5, 7, 9).
Model model(const QList<QByteArray> &layout, const QList<QByteArray> &ranges, const QList<QByteArray> &order,
            const QList<QByteArray> &rules = {}, const QList<QByteArray> &keys = {}) {
    Model m;
    m.SetLayout({"one", "two", join(layout, FD), join(ranges, FD), join(order, FD), "six", join(rules, FD),
                 "eight", join(keys, FD)});
    return m;
}

TEST(ResultModel, DataBlocks) {
    Model m;
    // 0x04 and 0x05 stand for 0xFD and 0xFC; blocks follow one another in one text.
    m.SetData("<LAYOUT_DATA>\nx\ny\nA @\x04"
              "B @\n1\x05"
              "3\x05\x05"
              "4\x04"
              "2\x05"
              "3\x05\x05"
              "4\n1\x04"
              "2\n<RANGE_DATA>\x05"
              "1\x05-\x05"
              "9\n<RESULT_DATA>5\x04"
              "7\n<FIELD_DATA>1;C @\n");
    ASSERT_EQ(m.fieldCount(), 2);
    EXPECT_EQ(m.layout(), (QList<QByteArray>{"A @", "C @"}));
    EXPECT_EQ(m.field(1).row, 1);
    EXPECT_EQ(m.field(1).column, 3);
    EXPECT_EQ(m.result(2), "7");
    EXPECT_EQ(m.rangeText(1), "1-9");
    EXPECT_EQ(m.fieldOrder(), (QList<int>{1, 2}));

    // A layout block with fewer lines than it should have: what is missing is empty.
    Model short_;
    short_.SetData("<LAYOUT_DATA>\nonly\n");
    EXPECT_EQ(short_.fieldCount(), 0);
    EXPECT_TRUE(short_.layout().isEmpty());
    EXPECT_EQ(short_.firstField(), 0);
    // A field line past the layout changes nothing.
    short_.SetField(7, "abc");
    short_.SetField(-1, "abc");
    EXPECT_TRUE(short_.layout().isEmpty());
}

TEST(ResultModel, ResultLinesOneOrTheSixth) {
    Model m = model({"@ @"}, {rangeLine(1, 1, 3), rangeLine(1, 3, 3)}, {"1", "2"});
    m.SetResult({"a\xFD"
                 "b"});
    EXPECT_EQ(m.result(1), "a");
    m.SetResult({"1", "", "2", "3", "4", "5", "x\xFDy"});
    EXPECT_EQ(m.result(1), "x"); // line 6 after dropping the empty line
    EXPECT_EQ(m.result(2), "y");
    m.SetResult({"1", "2"}); // no sixth line: empty results, no crash
    EXPECT_EQ(m.result(1), "");
    EXPECT_EQ(m.result(9), "");
}

TEST(ResultModel, LimitsAndValues) {
    Model m = model({"@ @ @"},
                    {rangeLine(1, 1, 5), rangeLine(1, 10, 5, {}, "r(%5)"), rangeLine(1, 20, 5, {}, "l(#5)")},
                    {"1", "2", "3"});
    m.SetRange(QByteArray("\xFC"
                          "1\xFC-\xFC"
                          "10"));
    struct Case {
        QByteArray value;
        bool red;
    };
    for (const Case &c :
         QList<Case>{{"12.5", true}, {"10", false}, {"0.5", true}, {"abc", false}, {"", false}}) {
        m.SetResult({c.value});
        EXPECT_EQ(m.outOfRange(1), c.red) << c.value.constData();
    }
    m.SetResult({"_1{2|345678\xFD"
                 "12\xFD"
                 "12"});
    EXPECT_EQ(m.displayValue(1), "12345"); // marks removed before the width cut
    EXPECT_EQ(m.displayValue(2), "00012");
    EXPECT_EQ(m.displayValue(3), "12   ");
    EXPECT_EQ(m.editValue(1), "12345678");
}

TEST(ResultModel, AllowedCharacters) {
    struct Case {
        QByteArray allowed;
        char typed;
        bool accepted;
    };
    const QList<Case> cases = {{"09", 'a', false}, {"09", '5', true},   {"AZ", 'a', true},
                               {"AZ", '1', false}, {"09", '.', true},   {"09", '%', true},
                               {"09", '(', true},  {"09", '\'', true},  {"", 'x', true},
                               {"0", 'x', true},   {"09A", 'A', false}, {"09\x08", '\x08', true}};
    for (const Case &c : cases) {
        Model m = model({"@"}, {rangeLine(1, 1, 5, c.allowed)}, {"1"});
        EXPECT_EQ(m.accepts(1, c.typed), c.accepted) << c.allowed.constData() << " " << c.typed;
    }
}

TEST(ResultModel, TabOrderWraps) {
    Model m = model({"@ @ @"}, {rangeLine(1, 1, 1), rangeLine(1, 3, 1), rangeLine(1, 5, 1)}, {"2", "3", "1"});
    EXPECT_EQ(m.firstField(), 2);
    EXPECT_EQ(m.previousField(2), 1); // Shift+Tab on the first of the order: the last
    EXPECT_EQ(m.nextField(1), 2);     // Tab on the last: the first
    EXPECT_EQ(m.nextField(3), 1);
    EXPECT_EQ(m.nextField(9), 2); // not in the order: the first
}

TEST(ResultModel, CalculationRules) {
    const QByteArray divide = join({"1", "2", "2"}, FC);
    Model m = model({"@ @ @"}, {rangeLine(1, 1, 8), rangeLine(1, 10, 8), rangeLine(1, 20, 8)},
                    {"1", "2", "3"}, {{}, {}, divide});
    m.SetResult({"10\xFD"
                 "0\xFD"});
    EXPECT_EQ(m.result(3), ""); // divisor 0: skipped
    EXPECT_EQ(m.Commit(2, {"4"}), (QList<Model::Change>{{2, "4"}, {3, "2.5"}}));
    EXPECT_EQ(m.Commit(1, {"abc"}), (QList<Model::Change>{{1, "abc"}})); // not a number: skipped
    EXPECT_EQ(m.result(3), "2.5");
    EXPECT_EQ(m.Commit(1, {"abc"}), QList<Model::Change>{}); // nothing changed, nothing reported

    struct Case {
        QByteArray op;
        QByteArray a, b, result;
    };
    const QList<Case> ops = {{"1", "3", "4", "12"}, {"3", "0.1", "0.2", "0.3"},
                             {"4", "1", "3", "-2"}, {"5", "50", "3", "1.5"},
                             {"7", "16", "", "4"},  {"7", "-4", "", ""},
                             {"6", "1", "1", ""},   {"2", "1", "3", "0.333333333333333"}};
    for (const Case &c : ops) {
        Model r = model({"@ @ @"}, {rangeLine(1, 1, 20), rangeLine(1, 10, 20), rangeLine(1, 20, 20)}, {"1"},
                        {{}, {}, join({"1", c.op, "2"}, FC)});
        r.SetResult({c.a + FD + c.b + FD});
        EXPECT_EQ(r.result(3), c.result) << c.op.constData() << " " << c.a.constData();
    }
}

TEST(ResultModel, ACycleOfRulesRunsEachRuleOncePerCommit) {
    // Field 2 = field 1 + field 3, field 3 = field 2 + field 1: each stored result is a change the
    // other rule uses.
    Model m = model({"@ @ @"}, {rangeLine(1, 1, 20), rangeLine(1, 10, 20), rangeLine(1, 20, 20)}, {"1"},
                    {{}, join({"1", "3", "3"}, FC), join({"2", "3", "1"}, FC)});
    m.SetResult({"0\xFD"
                 "0\xFD"
                 "0"});
    const QList<Model::Change> changes = m.Commit(1, {"1"});
    EXPECT_EQ(changes, (QList<Model::Change>{{1, "1"}, {2, "1"}, {3, "2"}}));
    // A rule on its own result.
    Model self =
        model({"@ @"}, {rangeLine(1, 1, 20), rangeLine(1, 10, 20)}, {"1"}, {{}, join({"2", "3", "1"}, FC)});
    self.SetResult({"1\xFD"
                    "1"});
    EXPECT_EQ(self.Commit(1, {"2"}).size(), 2);
}

TEST(ResultModel, HostIndexesPastTheDataAreSkipped) {
    // Order entries, rule operands and result fields, jump targets and function keys that name
    // nothing there is.
    Model m = model({"@"}, {rangeLine(1, 1, 5)}, {"1", "7", "x"},
                    {join({"1", "3", "9"}, FC), join({"8", "3", "1"}, FC), join({"1", "3", "1"}, FC)},
                    {"jump 1", QByteArray("jump 9\xFC"), "jump", "nothing"});
    m.SetResult({"4"});
    EXPECT_EQ(m.Commit(1, {"5"}), (QList<Model::Change>{{1, "5"}}));
    EXPECT_EQ(m.Commit(7, {"5"}), QList<Model::Change>{});
    EXPECT_EQ(m.Commit(-1, {"5"}), QList<Model::Change>{});
    EXPECT_EQ(m.jumpTarget(1), 1);
    EXPECT_EQ(m.jumpTarget(2), std::nullopt);
    EXPECT_EQ(m.jumpTarget(3), std::nullopt);
    EXPECT_EQ(m.jumpTarget(4), std::nullopt);
    EXPECT_EQ(m.jumpTarget(9), std::nullopt);
    EXPECT_FALSE(m.field(7).valid);
    EXPECT_EQ(m.displayValue(7), "");
    EXPECT_EQ(m.nextField(1), 7); // the view opens only valid fields
    EXPECT_EQ(m.hitTest(100, 100, 0, 500), 0);
    EXPECT_EQ(m.hitTest(100, 100, 10, 48), 0);
}

TEST(ResultModel, HitTestAndShownLines) {
    Model m = model({"Title", "@", "Value @ end"}, {rangeLine(2, 1, 5), rangeLine(3, 7, 5)}, {"1", "2"});
    // Page 80 columns of 8 pixels: 640 + 48, lines of 10.
    EXPECT_EQ(m.hitTest(24 + 8 * 7, 6 + 25, 10, 688), 2);
    EXPECT_EQ(m.hitTest(24 + 2, 6 + 15, 10, 688), 1);
    EXPECT_EQ(m.hitTest(24 + 8 * 40, 6 + 25, 10, 688), 0);
    m.SetResult({QByteArray(" \xFD"
                            "5")});
    // The blank one-field line is left out in final and review, drawn in edit.
    EXPECT_EQ(m.shownLines(Model::State::Edit), (QList<int>{0, 1, 2}));
    EXPECT_EQ(m.shownLines(Model::State::Final), (QList<int>{0, 2}));
    EXPECT_EQ(m.shownLines(Model::State::Review), (QList<int>{0, 2}));
    const Model::LayoutLine l = m.parseLine(2);
    EXPECT_EQ(l.fields, QList<int>{2});
    ASSERT_EQ(l.runs.size(), 2);
    EXPECT_EQ(l.runs[1].column, 8);
    EXPECT_EQ(l.runs[1].text, "end");
}

// Review and final show the part of the page between the lowest "!" and the lowest "*", set by a
// layout line or by the line of a field whose value carries the mark; edit shows it all.
TEST(ResultModel, ReviewWindowBetweenTheMarks) {
    Model m = model(
        {"Title", "Before @", "!Panel", "A @", "B @", "*", "After @ and @"},
        {rangeLine(2, 8, 3), rangeLine(4, 3, 3), rangeLine(5, 3, 3), rangeLine(7, 7, 3), rangeLine(7, 13, 3)},
        {"1", "2", "3", "4", "5"});
    auto results = [&m](const QList<QByteArray> &values) { m.SetResult({join(values, FD)}); };
    results({"1", "2", " ", "4", "5"});
    EXPECT_EQ(m.shownLines(Model::State::Edit), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(m.shownLines(Model::State::Review), (QList<int>{2, 3, 5})) << "the blank B left out";
    EXPECT_EQ(m.shownLines(Model::State::Final), (QList<int>{2, 3, 5}));
    EXPECT_EQ(m.shownLines(Model::State::Print), (QList<int>{0, 1, 2, 3, 4, 5, 6}));

    // A value's mark counts at its field's line; a mark above the layout's changes nothing.
    results({"!1", "2", "3", "4", "*5"});
    EXPECT_EQ(m.shownLines(Model::State::Review), (QList<int>{2, 3, 4, 5, 6}));
    results({"1", "!2", "3", "4", "5"});
    EXPECT_EQ(m.shownLines(Model::State::Review), (QList<int>{3, 4, 5}));

    // A "*" above the start runs the window to the end; no marks show the whole page.
    Model upside = model({"*", "x @", "!y @", "z @"},
                         {rangeLine(2, 3, 2), rangeLine(3, 4, 2), rangeLine(4, 3, 2)}, {"1"});
    upside.SetResult({QByteArray("1\xFD"
                                 "2\xFD"
                                 "3")});
    EXPECT_EQ(upside.shownLines(Model::State::Final), (QList<int>{2, 3}));
    upside.SetField(0, "-");
    upside.SetField(2, "y @");
    EXPECT_EQ(upside.shownLines(Model::State::Final), (QList<int>{0, 1, 2, 3}));

    EXPECT_EQ(m.lineOfField(1), 1);
    EXPECT_EQ(m.lineOfField(4), 6);
    EXPECT_EQ(m.lineOfField(5), 6);
    EXPECT_EQ(m.lineOfField(6), -1);
    EXPECT_EQ(m.lineOfField(0), -1);
    EXPECT_EQ(Model().lineOfField(1), -1);
}

TEST(ResultModel, FileLines) {
    QTemporaryDir dir;
    QFile f(dir.filePath("layout.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("one\r\ntwo\n\nfour\n");
    f.close();
    QByteArray error;
    EXPECT_EQ(Model::fileLines(QFile::encodeName(f.fileName()), &error),
              (QList<QByteArray>{"one", "two", "", "four"}));
    EXPECT_FALSE(Model::fileLines(QFile::encodeName(dir.filePath("none.txt")), &error));
    EXPECT_TRUE(error.endsWith("does not exist.")) << error.constData();
    error.clear();
    EXPECT_FALSE(Model::fileLines(QFile::encodeName(dir.path()), &error)) << "a folder is no file";
    EXPECT_FALSE(error.isEmpty());
}

TEST(ResultModel, FreeTextWrapsAtAGap) {
    QList<QByteArray> lines = {QByteArray(70, 'a') + " bbbbbbbbb", ""};
    ASSERT_TRUE(Model::wrapLine(lines, 0, 2));
    EXPECT_EQ(lines, (QList<QByteArray>{QByteArray(70, 'a') + " ", "bbbbbbbbb"}));
    QList<QByteArray> full = {QByteArray(80, 'a'), ""};
    EXPECT_FALSE(Model::wrapLine(full, 0, 2)); // no place to cut
    QList<QByteArray> last = {"a b", "c d"};
    EXPECT_FALSE(Model::wrapLine(last, 1, 2)); // the last line of the field
    EXPECT_FALSE(Model::wrapLine(last, 0, 2)); // no free line below: nothing falls off
}

} // namespace
