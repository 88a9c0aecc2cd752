// Host markup read into a document and written back, line wrapping, the character map and tables.
#include "editor/report/HostMarkup.h"

#include <QFile>
#include <QTextBlock>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using orva::richtext::FieldIdProperty;
using orva::richtext::TWpDocument;

namespace {

struct Imported {
    TWpDocument doc;
    int placeholder = -1;
    int caret = -1;
};

std::unique_ptr<Imported> import(const QByteArray &markup, const QByteArray &font = "",
                                 const QByteArray &size = "") {
    auto r = std::make_unique<Imported>();
    QTextCursor c(r->doc.main());
    r->placeholder = ImportHostMarkup(r->doc, c, markup, font, size);
    r->caret = c.position();
    return r;
}

QTextCharFormat formatAt(QTextDocument *d, int pos) {
    QTextCursor c(d);
    c.setPosition(pos + 1);
    return c.charFormat();
}

TEST(ImportHostMarkup, StylesToggle) {
    auto r = import("a{b{c|d|_e_");
    QTextDocument *d = r->doc.main();
    EXPECT_EQ(d->toPlainText(), "abcde");
    EXPECT_EQ(formatAt(d, 0).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(d, 1).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(d, 2).fontWeight(), QFont::Normal);
    EXPECT_TRUE(formatAt(d, 3).fontItalic());
    EXPECT_FALSE(formatAt(d, 4).fontItalic());
    EXPECT_TRUE(formatAt(d, 4).fontUnderline());
}

TEST(ImportHostMarkup, ColourSizeAndFontMarks) {
    auto r = import("x\xa4"
                    "255\xa4y\xa4"
                    "16711680\xa4z\xa9"
                    "14\xa9w\xae"
                    "Arial\xaev");
    QTextDocument *d = r->doc.main();
    EXPECT_EQ(d->toPlainText(), "xyzwv");
    EXPECT_EQ(formatAt(d, 1).foreground().color(), QColor(255, 0, 0)); // Windows order: red
    EXPECT_EQ(formatAt(d, 2).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(formatAt(d, 3).fontPointSize(), 14);
    EXPECT_EQ(formatAt(d, 4).fontFamilies().toStringList().value(0), "Arial");
    EXPECT_EQ(formatAt(d, 0).fontFamilies().toStringList().value(0), "Courier New");
    EXPECT_EQ(formatAt(d, 0).fontPointSize(), 10);
}

TEST(ImportHostMarkup, EdgeCases) {
    const struct {
        QByteArray markup;
        QString text;
    } cases[] = {
        {"x\xa4"
         "255y",
         "x255y"}, // no closing byte: the mark is ignored
        {"p\xafq", "p^q"},
        {"a~b", "a\nb"},
        {"\xe9\x80", QString::fromUtf8("\xc3\xa9\xe2\x82\xac")}, // Windows-1252 text
        {"a\xa9junk\xa9"
         "b",
         "ab"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(import(c.markup)->doc.main()->toPlainText(), c.text) << c.markup.toHex().constData();
    EXPECT_EQ(import("a~b")->doc.main()->blockCount(), 2);
    EXPECT_EQ(formatAt(import("x", "Arial", "abc")->doc.main(), 0).fontPointSize(), 10);
    EXPECT_EQ(formatAt(import("a\xa9"
                              "99999\xa9"
                              "b")
                           ->doc.main(),
                       1)
                  .fontPointSize(),
              400);
    auto small = import(QByteArray(30, '[') + "x");
    EXPECT_EQ(formatAt(small->doc.main(), 0).fontPointSize(), 1);
    auto grow = import("ab]c");
    EXPECT_EQ(formatAt(grow->doc.main(), 0).fontPointSize(), 11); // the text before the mark too
}

TEST(ImportHostMarkup, Placeholder) {
    auto r = import("a`b");
    QTextDocument *d = r->doc.main();
    EXPECT_EQ(d->toPlainText(), "a b");
    EXPECT_EQ(r->placeholder, 1);
    EXPECT_EQ(r->caret, 1);
    const int id = formatAt(d, 1).intProperty(FieldIdProperty);
    ASSERT_GT(id, 0);
    EXPECT_EQ(r->doc.fieldTable().value(id).data, 20);
    EXPECT_TRUE(r->doc.fieldTable().value(id).changeable);
    EXPECT_EQ(formatAt(d, 2).intProperty(FieldIdProperty), 0);
    auto last = import("a`");
    EXPECT_EQ(last->doc.main()->toPlainText(), "a  ");
    EXPECT_EQ(import("none")->placeholder, -1);
}

TEST(ExportHostMarkup, RoundTrips) {
    const struct {
        QByteArray markup;
        QByteArray exported;
    } cases[] = {
        {"{abc{", "abc "}, // bold carries no mark back
        {"\xa4"
         "255\xa4"
         "abc",
         "{abc{ "}, // red text comes back between "{"
        {"|abc|", "|abc| "},
        {"_ab_c", "_ab_c "},
        {"a~b", "a \r\nb "},
        {"_a~_b", "_a_ \r\nb "},
        {"  x  ~~", "x "},
        {"\xbd \xa3 \xb1 \xb5 \xbc \xbe \xe9", "1/2 # +/- u 1/4 3/4 ? "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExportHostMarkup(import(c.markup)->doc), c.exported) << c.markup.toHex().constData();
    EXPECT_EQ(ExportHostMarkup(import("x")->doc, {"A1", "B2"}), "KX_AUDIOTYPED;A1;B2\r\nx ");
}

TEST(MapReturnChar, Table) {
    const struct {
        char32_t code;
        const char *expected;
    } cases[] = {{'\t', "\t"},  {'\r', "\r"},  {'a', "a"},    {0x7F, "\x7F"}, {0x01, "?"},   {0xA3, "#"},
                 {0xB1, "+/-"}, {0xB5, "u"},   {0xBC, "1/4"}, {0xBD, "1/2"},  {0xBE, "3/4"}, {0xE9, "?"},
                 {0x2022, "?"}, {0x2122, "?"}, {0x0152, "?"}, {0x1F600, "?"}};
    for (const auto &c : cases)
        EXPECT_EQ(MapReturnChar(c.code), c.expected) << unsigned(c.code);
}

TEST(WrapText, Lines) {
    const QByteArrayList words = WrapText(QByteArray(200, 'a'), 80).split('\n');
    ASSERT_EQ(words.size(), 3);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QByteArray line = words.at(i).trimmed();
        EXPECT_LE(line.size(), 80);
        EXPECT_EQ(line.endsWith('-'), i + 1 < words.size());
    }
    EXPECT_EQ(WrapText(QByteArray(100, '='), 80), QByteArray(80, '='));
    EXPECT_EQ(WrapText("ab " + QByteArray(90, '-'), 80), "ab \r\n" + QByteArray(80, '-'));
    // A word of exactly the width fits an empty line and is not cut.
    EXPECT_EQ(WrapText("x " + QByteArray(80, 'b'), 80), "x \r\n" + QByteArray(80, 'b'));
    EXPECT_EQ(WrapText("aa bb cc", 6), "aa bb \r\ncc ");
    EXPECT_EQ(WrapText("a\r\n\r\nb", 80), "a \r\n\r\nb ");
    EXPECT_EQ(WrapText("ab\r\nc", 1), "a\r\nb\r\nc");
    EXPECT_EQ(WrapText("", 80), "");
    // A word whose blank would pass the width goes to the next line; one whose blank just fits stays.
    EXPECT_EQ(WrapText("aa bbb", 6), "aa \r\nbbb ");
    EXPECT_EQ(WrapText("aa bb c", 6), "aa bb \r\nc ");
    EXPECT_EQ(WrapText(QByteArray(39, 'x') + ' ' + QByteArray(39, 'y') + " z", 80),
              QByteArray(39, 'x') + ' ' + QByteArray(39, 'y') + " \r\nz ");
    EXPECT_EQ(WrapText(QByteArray(39, 'x') + ' ' + QByteArray(40, 'y'), 80),
              QByteArray(39, 'x') + " \r\n" + QByteArray(40, 'y') + ' ');
}

// Greedy filling at every width: no line passes the width with its blanks, and no line could have
// taken the first word of the next.
TEST(WrapText, EveryLineIsFullButNotOverfull) {
    for (int width = 2; width <= 40; ++width) {
        QByteArray text;
        for (int i = 0; i < 60; ++i) {
            text += QByteArray(1 + (i * 7 + width) % std::min(9, width - 1), char('a' + i % 26)) + ' ';
        }
        const QByteArrayList lines = WrapText(text, width).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
            EXPECT_LE(line.size(), width) << width << ": " << line.constData();
            if (i + 1 < lines.size()) {
                const QByteArray next = lines[i + 1].left(lines[i + 1].indexOf(' '));
                EXPECT_GT(line.size() + next.size() + 1, width) << width << ": " << line.constData();
            }
        }
    }
}

void fillTable(QTextTable *t, const QStringList &texts) {
    for (int i = 0; i < texts.size(); ++i) {
        QTextCursor c = t->cellAt(i / t->columns(), i % t->columns()).firstCursorPosition();
        c.insertText(texts.at(i));
    }
}

QTextTable *borderedTable(QTextCursor &c, int rows, int columns, double border) {
    QTextTableFormat tf;
    tf.setColumnWidthConstraints(
        QList<QTextLength>(columns, QTextLength(QTextLength::PercentageLength, 100.0 / columns)));
    QTextTable *t = c.insertTable(rows, columns, tf);
    for (int r = 0; r < rows; ++r)
        for (int col = 0; col < columns; ++col) {
            QTextTableCellFormat f = t->cellAt(r, col).format().toTableCellFormat();
            f.setBorder(border);
            t->cellAt(r, col).setFormat(f);
        }
    return t;
}

QByteArray goldenDocumentExport() {
    TWpDocument doc;
    QTextCursor c(doc.main());
    ImportHostMarkup(doc, c,
                     "{Histology report{~_Macroscopic_~Two cores of \xa4"
                     "255\xa4liver\xa4"
                     "0\xa4 tissue.~",
                     "", "");
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(1);
    c.insertText("First point");
    c.createList(bullets);
    c.insertBlock();
    c.insertText("Second point");
    c.insertBlock();
    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListUpperRoman);
    numbers.setIndent(2);
    c.createList(numbers);
    c.insertText("Numbered one");
    c.insertBlock();
    c.insertText("Numbered two");
    c.insertBlock();
    c.setBlockFormat(QTextBlockFormat());
    QTextTable *t = borderedTable(c, 2, 3, 1.0);
    fillTable(t,
              {"Test", "Result", "Range", "ALT", "42 U/L which is a little above the usual range", "7-40"});
    c.movePosition(QTextCursor::End);
    c.insertText(QString::fromUtf8("Conclusion: steatosis \xe2\x80\xa2 grade \xc2\xbd, ") + QString(30, 'w') +
                 " " + QString(120, 'z'));
    return ExportHostMarkup(doc);
}

TEST(ExportHostMarkup, GoldenDocument) {
    const QByteArray actual = goldenDocumentExport();
    const QString path = qEnvironmentVariable("ORVA_SOURCE_DIR") + "/editor/report/tests/golden/export.txt";
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(actual);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(actual, f.readAll());
    for (const QByteArray &line : actual.split('\n'))
        EXPECT_LE(line.size(), 81);
}

TEST(ExportHostMarkup, TableOnAPageWithoutRoom) {
    TWpDocument doc;
    doc.page.width = 1000;
    doc.page.marginL = 600;
    doc.page.marginR = 600;
    QTextCursor c(doc.main());
    QTextTable *t = borderedTable(c, 2, 2, 0.0);
    fillTable(t, {"a", "b", "c", "d"});
    const QByteArray out = ExportHostMarkup(doc);
    EXPECT_TRUE(out.contains('a') && out.contains('d'));
    EXPECT_FALSE(out.contains('+')); // no borders: blanks
    c.movePosition(QTextCursor::End);
    QTextTable *thick = borderedTable(c, 1, 1, 3.0);
    fillTable(thick, {"x"});
    EXPECT_TRUE(ExportHostMarkup(doc).contains("#="));
}

} // namespace

namespace {

TEST(ExportHostMarkup, ProgressMovesEvery20Characters) {
    const struct {
        const char *name;
        std::function<void(TWpDocument &)> build;
        std::vector<int> reported;
    } cases[] = {
        {"shorter than a step", [](TWpDocument &d) { QTextCursor(d.main()).insertText("short"); }, {}},
        {"one long run",
         [](TWpDocument &d) { QTextCursor(d.main()).insertText(QString(65, 'a')); },
         {20, 40, 60}},
        {"paragraph ends count",
         [](TWpDocument &d) {
             QTextCursor c(d.main());
             for (int i = 0; i < 4; ++i) {
                 c.insertText(QString(9, 'b'));
                 c.insertBlock();
             }
         },
         {20, 40}},
        {"through a table",
         [](TWpDocument &d) {
             QTextCursor c(d.main());
             c.insertText("ab");
             c.insertBlock();
             fillTable(borderedTable(c, 2, 2, 1.0), {QString(30, 'x'), "y", "z", QString(30, 'w')});
             c.movePosition(QTextCursor::End);
             c.insertText(QString(25, 'c'));
         },
         {20, 40, 60, 80}},
    };
    for (const auto &c : cases) {
        TWpDocument doc;
        c.build(doc);
        std::vector<int> reported;
        int total = -1;
        const QByteArray quiet = ExportHostMarkup(doc);
        const QByteArray out = ExportHostMarkup(doc, {}, [&](int done, int all) {
            reported.push_back(done);
            total = all;
        });
        EXPECT_EQ(out, quiet) << c.name;
        EXPECT_EQ(reported, c.reported) << c.name;
        if (!reported.empty()) {
            EXPECT_EQ(total, doc.main()->characterCount() - 1) << c.name;
        }
    }
}

} // namespace
