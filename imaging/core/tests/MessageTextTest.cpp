// Message text files: the two formats with their defaults, and the stepping of scrolling and
// credit texts.
#include "imaging/core/MessageText.h"
#include "common/WinColor.h"
#include "imaging/core/DLL96V1.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orva::imaging;

namespace {

struct Scm {
    TMessageFont font;
    int speed = 7;
    QString message = QStringLiteral("before");
    std::uint32_t back = 99;
    bool parsed = false;
    QString why;
};

Scm parseScm(const QByteArray &text) {
    Scm s;
    s.font.Height = -40;
    s.font.Name = QStringLiteral("Before");
    s.font.Underline = true;
    s.parsed = ParseScrollingMessage(text, s.font, s.speed, s.message, s.back, &s.why);
    return s;
}

} // namespace

TEST(ScrollingMessage, FieldsDefaultsAndUnchangedValues) {
    const Scm full = parseScm("/fc|255/fh|-20/fn|Arial/fs|/ft|1100/bc|0/sp|2/sm|Hello/eo|");
    EXPECT_EQ(full.font.Color, 255u);
    EXPECT_EQ(full.font.TextColor(), QColor(255, 0, 0)) << "Windows colour 255 is red";
    EXPECT_EQ(full.font.Height, -20) << "an empty size leaves the height";
    EXPECT_EQ(full.font.Name, QStringLiteral("Arial"));
    EXPECT_TRUE(full.font.Bold);
    EXPECT_TRUE(full.font.Italic);
    EXPECT_FALSE(full.font.Underline);
    EXPECT_FALSE(full.font.StrikeOut);
    EXPECT_EQ(full.back, 0u);
    EXPECT_EQ(full.speed, 2);
    EXPECT_EQ(full.message, QStringLiteral("Hello"));

    const Scm open = parseScm("/fc|255/fh|-20/fn|Arial/fs|/ft|1100/bc|0/sp|2/sm|Hello");
    EXPECT_EQ(open.message, QStringLiteral(" Invallid message format ! ")) << "no closing tag";
    EXPECT_EQ(open.speed, 2) << "the other fields still count";

    const Scm none = parseScm("nothing here");
    EXPECT_EQ(none.font.Color, 255u);
    EXPECT_EQ(none.font.Height, -13);
    EXPECT_EQ(none.font.Name, QStringLiteral("SYSTEM"));
    EXPECT_TRUE(none.font.Underline) << "a missing style leaves the style";
    EXPECT_EQ(none.back, 128u);
    EXPECT_EQ(none.font.TextColor(), QColor(255, 0, 0));
    EXPECT_EQ(bgrToQColor(none.back), QColor(128, 0, 0)) << "128 is dark red";
    EXPECT_EQ(none.speed, 1);

    const Scm sized = parseScm("/fc|/fh|-20/fn|/fs|12/ft|01/bc|/sp|/sm|/eo|");
    EXPECT_EQ(sized.font.Height, -16) << "12 points at 96 pixels per inch";
    EXPECT_EQ(sized.font.Name, QStringLiteral("Before"));
    EXPECT_FALSE(sized.font.Bold);
    EXPECT_TRUE(sized.font.Italic);
    EXPECT_FALSE(sized.font.Underline) << "style characters beyond the field are not 1";
    EXPECT_EQ(sized.speed, 7);
    EXPECT_EQ(sized.message, QStringLiteral("before"));

    const Scm latin = parseScm("/sm|Caf\xe9 \x80/eo|");
    EXPECT_EQ(latin.message, QString::fromUtf8("Caf\u00e9 \u20ac")) << "bytes read as Windows-1252";

    EXPECT_TRUE(full.parsed);
    const Scm red = parseScm("/fc|red/fh|");
    EXPECT_FALSE(red.parsed);
    EXPECT_EQ(red.why, QStringLiteral("'red' is not a valid integer value"));
    const Scm big = parseScm("/sp|99999999999/sm|");
    EXPECT_FALSE(big.parsed);
    EXPECT_EQ(big.why, QStringLiteral("'99999999999' is not a valid integer value"));
    const Scm huge = parseScm("/sm|" + QByteArray(100000, 'x') + "/eo|");
    EXPECT_EQ(huge.message.size(), kMaxMessageChars);
}

TEST(CreditMessage, FontLinesAndCredits) {
    struct Case {
        const char *why;
        QByteArray text;
        QStringList lines;
    } cases[] = {
        {"exactly eight lines", "Title\r\n65280\r\n-18\r\nDejaVu Sans\r\n\r\n1010\r\n16711680\r\n3", {}},
        {"credits after line 8, LF and CR mixed",
         "Title\n65280\n-18\nDejaVu Sans\n\n1010\n16711680\n3\nThanks\rTo\r\n\r\nAll\n",
         {"Thanks", "To", "", "All"}},
    };
    for (const auto &c : cases) {
        TMessageFont font;
        int speed = 0;
        std::uint32_t back = 0;
        QStringList lines{"old"};
        EXPECT_TRUE(ParseCreditMessage(c.text, font, speed, lines, back)) << c.why;
        EXPECT_EQ(font.Color, 65280u) << c.why;
        EXPECT_EQ(font.Height, -18) << c.why;
        EXPECT_EQ(font.Name, QStringLiteral("DejaVu Sans")) << c.why;
        EXPECT_TRUE(font.Bold && !font.Italic && font.Underline && !font.StrikeOut) << c.why;
        EXPECT_EQ(back, 16711680u) << c.why;
        EXPECT_EQ(speed, 3) << c.why;
        EXPECT_EQ(lines, c.lines) << c.why;
    }
    TMessageFont font;
    int speed = 0;
    std::uint32_t back = 0;
    QStringList lines;
    QString why;
    EXPECT_FALSE(ParseCreditMessage("t\nx12\n", font, speed, lines, back, &why));
    EXPECT_EQ(why, QStringLiteral("'x12' is not a valid integer value"));
}

TEST(MessageFiles, ReadersAnswerFalseForAMissingFileAndClearTheCredits) {
    QTemporaryDir dir;
    TMessageFont font;
    int speed = 4;
    QString message = QStringLiteral("kept");
    std::uint32_t back = 5;
    QStringList lines{"old"};
    EXPECT_FALSE(ReadScrollingMessageFile(dir.filePath("none.scm"), font, speed, message, back));
    EXPECT_EQ(message, QStringLiteral("kept"));
    EXPECT_FALSE(ReadCreditMessageFile(dir.filePath("none.cms"), font, speed, lines, back));
    EXPECT_TRUE(lines.isEmpty());
    QFile f(dir.filePath("m.scm"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("/sp|0/sm|Hi/eo|");
    f.close();
    EXPECT_TRUE(ReadScrollingMessageFile(f.fileName(), font, speed, message, back));
    EXPECT_EQ(message, QStringLiteral("Hi"));
    EXPECT_EQ(speed, 0);
    // A number field that is no decimal is refused with its reason.
    QFile bad(dir.filePath("bad.cms"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("t\nx12\n");
    bad.close();
    QString error;
    EXPECT_FALSE(ReadCreditMessageFile(bad.fileName(), font, speed, lines, back, &error));
    EXPECT_EQ(error, QStringLiteral("'x12' is not a valid integer value"));
}

TEST(MessageSteps, GateMovesEverySpeedPlusOneth) {
    struct Case {
        int speed;
        std::vector<int> moves; // which of the first nine messages move the text
    } cases[] = {
        {2, {3, 6, 9}}, {0, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, {-1, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, {4, {5}}};
    for (const auto &c : cases) {
        TStepGate gate;
        std::vector<int> moved;
        for (int i = 1; i <= 9; ++i)
            if (gate.Step(c.speed))
                moved.push_back(i);
        EXPECT_EQ(moved, c.moves) << "speed " << c.speed;
    }
}

TEST(MessageSteps, ScrollingTextWrapsOnceItsRightEdgeIsBelowZero) {
    TScrollingText t;
    t.Start(200, 101, QSize(300, 20));
    EXPECT_EQ(t.Left(), 200);
    EXPECT_EQ(t.Right(), 500);
    EXPECT_EQ(t.Top(), 40) << "(101 - 20) / 2 toward zero";
    for (int i = 0; i < 500; ++i)
        t.Step();
    EXPECT_EQ(t.Right(), 0);
    EXPECT_EQ(t.Left(), -300);
    t.Step();
    EXPECT_EQ(t.Left(), 200) << "the 501st step re-enters from the right";
    EXPECT_EQ(t.Right(), 500);
}

TEST(MessageSteps, CreditLinesArePaddedWidenedAndRollUp) {
    struct Pad {
        QString line, padded;
    } pads[] = {
        {"Thanks", "  Thanks "}, {" x ", " x "}, {" lead", " lead "}, {"trail ", "  trail "}, {"  ", "  "}};
    for (const auto &p : pads)
        EXPECT_EQ(TCreditText::PaddedLine(p.line), p.padded) << p.line.toStdString();
    EXPECT_EQ(TCreditText::WidenedWidth(90, 9), 90 + 90 / 7);
    EXPECT_EQ(TCreditText::WidenedWidth(40, 2), 40) << "a line of two blanks does not divide by zero";
    EXPECT_EQ(TCreditText::WidenedWidth(20, 1), 20);

    TCreditText credit;
    const auto measure = [](const QString &s) { return QSize(10 * static_cast<int>(s.size()), 12); };
    credit.Start(300, 100, {"Thanks", "", "  "}, measure);
    EXPECT_EQ(credit.Shown(), QStringLiteral("  Thanks "));
    EXPECT_EQ(credit.BitmapSize(), QSize(90 + 90 / 7, 17));
    EXPECT_EQ(credit.Left(), (300 - (90 + 90 / 7)) / 2);
    EXPECT_EQ(credit.Top(), 100);
    EXPECT_EQ(credit.Bottom(), 112);
    int steps = 0;
    while (!credit.Step() && steps < 1000)
        ++steps;
    EXPECT_EQ(steps, 100 + 12 + 5 + 1)
        << "the line rises until its top is above -h - 5, then one step on the empty line";
    EXPECT_EQ(credit.Index(), 2) << "the empty line builds nothing, the next one does";
    EXPECT_EQ(credit.Shown(), QStringLiteral("  "));
    EXPECT_EQ(credit.BitmapSize().width(), 20);

    TCreditText empty;
    empty.Start(300, 100, {}, measure);
    for (int i = 0; i < 6; ++i)
        empty.Step();
    EXPECT_EQ(empty.Top(), 100) << "with no lines the text starts again from the bottom";
}
