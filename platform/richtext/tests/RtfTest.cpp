// RTF reader and writer: round trips, an independent reader (pandoc) as oracle, files written by
// other programs, and the checks that keep non-RTF files out.
#include "platform/richtext/TWpRtf.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace orva::richtext;

void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString collapse(QString s) {
    s.replace(QChar(0xA0), u' ');
    return s.simplified();
}

QByteArray fixture(const char *name) {
    QFile f(qEnvironmentVariable("ORVA_SOURCE_DIR") + "/platform/richtext/tests/data/" + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString pandocPlain(const QByteArray &rtf) {
    QProcess p;
    p.start("pandoc", {"-f", "rtf", "-t", "plain", "--wrap=none"});
    if (!p.waitForStarted(10000))
        return "<no pandoc>";
    p.write(rtf);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QTextCharFormat fmt(const QString &family, double pt) {
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(pt);
    return f;
}

int addField(TWpDocument &doc, QTextCursor &c, const QString &text, bool changeable, int data) {
    const int id = doc.newFieldId();
    doc.fieldTable()[id].changeable = changeable;
    doc.fieldTable()[id].data = data;
    QTextCharFormat f = fmt("Arial", 10);
    f.setProperty(FieldIdProperty, id);
    c.insertText(text, f);
    c.setCharFormat(fmt("Arial", 10));
    return id;
}

// A document with every feature the control writes.
void buildFullDocument(TWpDocument &doc) {
    doc.page = TWpPageSetup{11910, 16845, 0, 0, 0, 0};
    QTextCursor h(doc.header());
    h.insertText("Department of Pathology", fmt("Times New Roman", 14));
    QTextCursor f(doc.footer());
    f.insertText("Page footer", fmt("Arial", 8));

    QTextCursor c(doc.main());
    QTextCharFormat plain = fmt("Arial", 10);
    c.insertText("Plain ", plain);
    QTextCharFormat b = plain;
    b.setFontWeight(QFont::Bold);
    c.insertText("bold ", b);
    QTextCharFormat i = plain;
    i.setFontItalic(true);
    i.setFontUnderline(true);
    c.insertText("italic-under ", i);
    QTextCharFormat s = fmt("Courier New", 12);
    s.setFontStrikeOut(true);
    s.setForeground(QColor(255, 0, 0));
    c.insertText("struck red ", s);
    QTextCharFormat sup = plain;
    sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText("2", sup);
    QTextCharFormat sub = plain;
    sub.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    c.insertText("x", sub);
    c.insertText(QString(" caf\u00e9 \u20ac {braces} back\\slash") + QChar(0x2028) + "after break", plain);

    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setLeftMargin(twipsToUnits(1000));
    centred.setRightMargin(twipsToUnits(500));
    centred.setTextIndent(twipsToUnits(-300));
    centred.setTabPositions({QTextOption::Tab(twipsToUnits(1440), QTextOption::LeftTab)});
    c.insertBlock(centred, plain);
    c.insertText("Name:\t", plain);
    addField(doc, c, "Smith", false, 0);
    c.insertText(" and ", plain);
    addField(doc, c, " ", true, 20);

    c.insertBlock(QTextBlockFormat(), plain);
    QTextListFormat lf;
    lf.setStyle(QTextListFormat::ListUpperRoman);
    lf.setNumberPrefix("(");
    lf.setNumberSuffix(")");
    c.createList(lf);
    c.insertText("first item", plain);
    c.insertBlock();
    c.insertText("second item", plain);
    c.insertBlock(QTextBlockFormat(), plain);
    c.insertText("before table", plain);
    c.insertBlock(QTextBlockFormat(), plain);

    QTextTableFormat tf;
    tf.setBorder(0);
    tf.setBorderCollapse(true);
    tf.setCellSpacing(0);
    tf.setColumnWidthConstraints(
        {QTextLength(QTextLength::FixedLength, 200), QTextLength(QTextLength::FixedLength, 300)});
    QTextTable *t = c.insertTable(2, 2, tf);
    const char *cells[] = {"Stain", "Result", "H&E", "Positive"};
    for (int k = 0; k < 4; ++k) {
        QTextTableCell cell = t->cellAt(k / 2, k % 2);
        QTextTableCellFormat cf = cell.format().toTableCellFormat();
        cf.setTopBorder(k < 2 ? 2 : 1);
        cf.setBottomBorder(1);
        cell.setFormat(cf);
        QTextCursor cc = cell.firstCursorPosition();
        cc.insertText(cells[k], plain);
    }
    c.setPosition(t->lastPosition() + 1);
    c.insertText("after table", plain);

    doc.addPicture({0, "\\\\server\\share\\pic one.png", 2000, 3000, 64, 80, 1, 3, 20, 20, 20, 20});
    doc.addPicture({0, "/local/pic.jpg", 0, 0, 100, 100, 0, 0, 0, 0, 0, 0});
}

} // namespace

TEST(RtfRoundTrip, EveryFeatureGivesIdenticalBytesOnSecondWrite) {
    TWpDocument doc;
    buildFullDocument(doc);
    const QByteArray first = writeRtf(doc);

    TWpDocument back;
    ASSERT_TRUE(readRtf(first, back).ok);
    const QByteArray second = writeRtf(back);
    EXPECT_EQ(QString::fromLatin1(first), QString::fromLatin1(second));

    EXPECT_EQ(TWpDocument::plainText(back.main()), TWpDocument::plainText(doc.main()));
    EXPECT_EQ(TWpDocument::plainText(back.header()), "Department of Pathology");
    EXPECT_EQ(TWpDocument::plainText(back.footer()), "Page footer");
    EXPECT_EQ(back.page, (TWpPageSetup{11910, 16845, 0, 0, 0, 0}));
    ASSERT_EQ(back.pictures.size(), 2);
    EXPECT_EQ(back.pictures, doc.pictures);

    // Fields keep id order, text, changeable flag and data.
    const QList<int> ids = back.fieldOrder(back.main());
    ASSERT_EQ(ids, doc.fieldOrder(doc.main()));
    ASSERT_EQ(ids.size(), 2);
    int s, e;
    ASSERT_TRUE(back.fieldRange(back.main(), ids[0], s, e));
    EXPECT_EQ(TWpDocument::plainText(back.main(), s, e), "Smith");
    EXPECT_FALSE(back.fieldTable()[ids[0]].changeable);
    EXPECT_TRUE(back.fieldTable()[ids[1]].changeable);
    EXPECT_EQ(back.fieldTable()[ids[1]].data, 20);

    // Character, paragraph, list and table formats.
    const QTextBlock centred = back.main()->findBlock(TWpDocument::plainText(back.main()).indexOf("Name:"));
    EXPECT_EQ(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(unitsToTwips(centred.blockFormat().leftMargin()), 1000);
    EXPECT_EQ(unitsToTwips(centred.blockFormat().textIndent()), -300);
    const QTextBlock item =
        back.main()->findBlock(TWpDocument::plainText(back.main()).indexOf("second item"));
    ASSERT_NE(item.textList(), nullptr);
    EXPECT_EQ(item.textList()->itemText(item), "(II)");
    QTextCursor tc(back.main());
    tc.setPosition(TWpDocument::plainText(back.main()).indexOf("Positive"));
    QTextTable *t = tc.currentTable();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rows(), 2);
    EXPECT_EQ(t->columns(), 2);
    EXPECT_EQ(unitsToTwips(t->cellAt(0, 0).format().toTableCellFormat().topBorder()), 30);
}

TEST(RtfRoundTrip, TrailingEmptyParagraphsSurvive) {
    for (const QString &text : {QString("a"), QString("a\n"), QString("a\n\n"), QString("\n"), QString()}) {
        TWpDocument doc;
        QTextCursor(doc.main()).insertText(text);
        TWpDocument back;
        readRtf(writeRtf(doc), back);
        EXPECT_EQ(back.main()->blockCount(), doc.main()->blockCount()) << text.toStdString();
    }
}

// pandoc, an independent reader, sees the same main text as the control.
TEST(RtfOracle, PandocReadsTheSameText) {
    TWpDocument doc;
    buildFullDocument(doc);
    // pandoc marks strike-out, super- and subscript in its plain output; plain them here.
    QTextCursor all(doc.main());
    all.select(QTextCursor::Document);
    QTextCharFormat flat;
    flat.setFontStrikeOut(false);
    flat.setVerticalAlignment(QTextCharFormat::AlignNormal);
    all.mergeCharFormat(flat);
    const QString ours = TWpDocument::plainText(doc.main());
    const QString theirs = pandocPlain(writeRtf(doc));
    ASSERT_NE(theirs, "<no pandoc>");
    // Paragraphs, formats, line breaks and fields: everything before the list matches exactly.
    const QString head = ours.left(ours.indexOf("first item"));
    EXPECT_TRUE(collapse(theirs).startsWith(collapse(head))) << theirs.toStdString();
    // Lists and tables: each item and cell, in document order.
    qsizetype at = 0;
    for (const char *piece :
         {"first item", "second item", "before table", "Stain", "Result", "H&E", "Positive", "after table"}) {
        const qsizetype found = theirs.indexOf(piece, at);
        EXPECT_GE(found, 0) << piece;
        at = qMax(at, found);
    }
    EXPECT_FALSE(theirs.contains("Department of Pathology")) << "the header is not main text";
}

TEST(RtfForeign, PandocFileLoadsWithTextFormatsAndTable) {
    const QByteArray rtf = fixture("pandoc.rtf");
    ASSERT_FALSE(rtf.isEmpty());
    TWpDocument doc;
    ASSERT_TRUE(readRtf(rtf, doc).ok);
    const QString text = TWpDocument::plainText(doc.main());
    EXPECT_TRUE(collapse(text).startsWith("Report Hello world and bold text with code."))
        << text.toStdString();
    QTextCursor c(doc.main());
    c.setPosition(text.indexOf("world") + 1);
    EXPECT_TRUE(c.charFormat().fontItalic());
    c.setPosition(text.indexOf("bold") + 1);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    c.setPosition(text.indexOf("code") + 1);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), "Courier");
    c.setPosition(text.indexOf("140"));
    QTextTable *t = c.currentTable();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rows(), 3);
    EXPECT_EQ(t->columns(), 2);
    EXPECT_EQ(
        TWpDocument::plainText(doc.main(), t->cellAt(2, 1).firstPosition(), t->cellAt(2, 1).lastPosition()),
        "6.2");
    EXPECT_TRUE(text.endsWith("Final line.")) << text.toStdString();
}

TEST(RtfForeign, WordProcessorStyleFileLoads) {
    TWpDocument doc;
    const TWpRtfLoadResult r = readRtf(fixture("wordstyle.rtf"), doc);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.page, (TWpPageSetup{11906, 16838, 1440, 1440, 1440, 1440}));
    EXPECT_EQ(TWpDocument::plainText(doc.header()), "Laboratory header");
    const QString text = TWpDocument::plainText(doc.main());
    EXPECT_TRUE(
        text.startsWith("Histology Report\rSpecimen: skin ellipse, red note, caf\u00e9 \u20ac100 under gone "
                        "H2O x2\rCentred line\r"))
        << text.toStdString();
    QTextCursor c(doc.main());
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), "Arial");
    EXPECT_EQ(c.charFormat().fontPointSize(), 16);
    c.setPosition(text.indexOf("red note") + 1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList().value(0), "Times New Roman");
    c.setPosition(text.indexOf("2O") + 1);
    EXPECT_EQ(c.charFormat().verticalAlignment(), QTextCharFormat::AlignSubScript);
    c.setPosition(text.indexOf("Positive") + 1);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    QTextTable *t = c.currentTable();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rows(), 2);
    EXPECT_EQ(t->columns(), 2);
    EXPECT_EQ(unitsToTwips(t->cellAt(0, 1).format().toTableCellFormat().topBorder()), 30);
    EXPECT_TRUE(text.endsWith("\rEnd of report.")) << text.toStdString();
}

TEST(RtfForeign, ListsKeepTheirNumberingKind) {
    TWpDocument doc;
    ASSERT_TRUE(readRtf(fixture("wordlists.rtf"), doc).ok);
    const QString text = TWpDocument::plainText(doc.main());
    EXPECT_EQ(text, "Findings:\rFirst finding\rSub point\rSecond finding\rA bullet\rNo table entry\rDone.");
    const struct {
        const char *item;
        QTextListFormat::Style style;
        int indent;
        const char *number;
    } cases[] = {
        {"First finding", QTextListFormat::ListDecimal, 1, "1."},
        {"Sub point", QTextListFormat::ListLowerAlpha, 2, "a."},
        {"Second finding", QTextListFormat::ListDecimal, 1, "2."},
        {"A bullet", QTextListFormat::ListDisc, 1, ""},
        {"No table entry", QTextListFormat::ListDecimal, 1, "1."},
    };
    for (const auto &tc : cases) {
        const QTextBlock b = doc.main()->findBlock(text.indexOf(tc.item));
        ASSERT_NE(b.textList(), nullptr) << tc.item;
        EXPECT_EQ(b.textList()->format().style(), tc.style) << tc.item;
        EXPECT_EQ(b.textList()->format().indent(), tc.indent) << tc.item;
        if (*tc.number) {
            EXPECT_EQ(b.textList()->itemText(b), tc.number) << tc.item;
        }
    }
    EXPECT_EQ(doc.main()->findBlock(text.indexOf("Done")).textList(), nullptr);
}

// Table shapes: the table is built from all its rows at once, so each way a row can differ from
// the others is checked on the cells it leaves.
TEST(RtfReader, TableShapes) {
    const QByteArray two = R"(\trowd\clbrdrl\brdrw30\cellx1000\cellx2000 )";
    const QByteArray three = R"(\trowd\cellx1000\cellx2000\cellx3000 )";
    const struct {
        const char *name;
        QByteArray rtf;
        int rows, columns;
        QStringList cells; // row by row, "|" after each cell
        QString after;     // the text after the table
    } cases[] = {
        {"rows",
         "{\\rtf1 " + two + R"(\intbl a\cell b\cell\row\intbl c\cell d\cell\row\pard end})",
         2,
         2,
         {"a|b|", "c|d|"},
         "end"},
        {"wider row widens the table",
         "{\\rtf1 " + two + R"(\intbl a\cell b\cell\row)" + three +
             R"(\intbl c\cell d\cell e\cell\row\pard end})",
         2,
         3,
         {"a|b||", "c|d|e|"},
         "end"},
        {"extra cells merge into the last",
         "{\\rtf1 " + two + R"(\intbl a\cell b\cell c\cell\row\pard end})",
         1,
         2,
         {"a|bc|"},
         "end"},
        {"paragraphs in a cell",
         "{\\rtf1 " + two + R"(\intbl x\par y\cell z\cell\row\pard end})",
         1,
         2,
         {"x\ry|z|"},
         "end"},
        {"file ends inside the table", "{\\rtf1 " + two + R"(\intbl a\cell b)", 1, 2, {"a|b|"}, ""},
        {"row without its \row",
         "{\\rtf1 " + two + R"(\intbl a\cell b\cell\pard end})",
         1,
         2,
         {"a|b|"},
         "end"},
    };
    for (const auto &tc : cases) {
        TWpDocument doc;
        ASSERT_TRUE(readRtf(tc.rtf, doc).ok) << tc.name;
        QTextTable *t = nullptr;
        for (QTextFrame *f : doc.main()->rootFrame()->childFrames())
            t = t ? t : qobject_cast<QTextTable *>(f);
        ASSERT_NE(t, nullptr) << tc.name;
        EXPECT_EQ(t->rows(), tc.rows) << tc.name;
        EXPECT_EQ(t->columns(), tc.columns) << tc.name;
        QStringList cells;
        for (int r = 0; r < t->rows(); ++r) {
            QString row;
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCell cell = t->cellAt(r, c);
                row += TWpDocument::plainText(doc.main(), cell.firstPosition(), cell.lastPosition()) + '|';
            }
            cells.append(row);
        }
        EXPECT_EQ(cells, tc.cells) << tc.name;
        const QString text = TWpDocument::plainText(doc.main());
        EXPECT_EQ(text.mid(t->lastPosition() + 1), tc.after) << tc.name;
        // The first row's definitions give the column borders; each row keeps its own.
        EXPECT_EQ(unitsToTwips(t->cellAt(0, 0).format().toTableCellFormat().leftBorder()), 30) << tc.name;
        EXPECT_EQ(unitsToTwips(t->cellAt(0, 1).format().toTableCellFormat().leftBorder()), 0) << tc.name;
    }
}

TEST(RtfReader, TableInsertedAtTheCursor) {
    TWpDocument doc;
    QTextCursor c(doc.main());
    c.insertText("AB");
    c.setPosition(1);
    readRtf(R"({\rtf1\trowd\cellx1000\cellx2000\intbl 1\cell 2\cell\row\pard x})", doc, &c);
    const QString text = TWpDocument::plainText(doc.main());
    EXPECT_TRUE(text.startsWith("A")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("xB")) << text.toStdString();
    QTextCursor in(doc.main());
    in.setPosition(text.indexOf('2'));
    ASSERT_NE(in.currentTable(), nullptr);
    EXPECT_EQ(in.currentTable()->cellAt(in).column(), 1);
}

// Found by fuzzing: a list paragraph formatted again when a table starts left the list empty,
// and the document deleted it under the reader.
TEST(RtfReader, ListEmptiedByATableIsNotUsedAfterwards) {
    TWpDocument doc;
    ASSERT_TRUE(readRtf(fixture("list-reformat.rtf"), doc).ok);
    const QString text = TWpDocument::plainText(doc.main());
    EXPECT_TRUE(text.contains("First finding")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Final line.")) << text.toStdString();
}

TEST(RtfReader, DecodesEscapesAndSkipsUnknown) {
    const struct {
        const char *rtf;
        const char16_t *text;
    } cases[] = {
        {R"({\rtf1 caf\'e9 \'80 \'93q\'94})", u"caf\u00e9 \u20ac \u201cq\u201d"},
        {R"({\rtf1\uc1 a\u8364?b\u-3913?c})", u"a\u20acb\uF0B7c"},
        {R"({\rtf1\uc2 a\u8364\'3f\'3fb})", u"a\u20acb"},
        {R"({\rtf1 a{\*\unknowndest secret}b{\unknownword c}d})", u"abcd"},
        {R"({\rtf1 a\{b\}c\\d\tab e\~f})", u"a{b}c\\d\te\u00a0f"},
        {R"({\rtf1 a{\field{\*\fldinst PAGE}{\fldrslt 7}}b})", u"a7b"},
        {R"({\rtf1 a\line b\par c})", u"a\vb\rc"},
        {R"({\rtf1 a\bin3 {}}b})", u"ab"},
        {R"({\rtf1 {{{{{{deep}}}}}} text)", u"deep text"},
    };
    for (const auto &tc : cases) {
        TWpDocument doc;
        ASSERT_TRUE(readRtf(tc.rtf, doc).ok) << tc.rtf;
        EXPECT_EQ(TWpDocument::plainText(doc.main()), QString::fromUtf16(tc.text)) << tc.rtf;
    }
}

TEST(RtfReader, FindsTheFormatFromTheContent) {
    const struct {
        QByteArray head;
        TWpFileKind kind;
    } cases[] = {
        {"{\\rtf1\\ansi x}", TWpFileKind::Rtf},
        {"\xEF\xBB\xBF\r\n  {\\rtf1 x}", TWpFileKind::Rtf},
        {QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), TWpFileKind::BinaryWordProcessor},
        {"PK\x03\x04zip", TWpFileKind::Other},
        {"plain text", TWpFileKind::Other},
        {"", TWpFileKind::Other},
        {"{\\rt", TWpFileKind::Other},
    };
    for (const auto &tc : cases) {
        EXPECT_EQ(detectFileKind(tc.head), tc.kind) << tc.head.toStdString();
        TWpDocument doc;
        EXPECT_EQ(readRtf(tc.head, doc).ok, tc.kind == TWpFileKind::Rtf);
    }
}

TEST(RtfReader, InsertModeKeepsHeaderAndRenumbersClashingFields) {
    TWpDocument source;
    QTextCursor sc(source.main());
    addField(source, sc, "one", false, 5);
    QTextCursor(source.header()).insertText("other header");
    const QByteArray rtf = writeRtf(source);

    TWpDocument doc;
    QTextCursor(doc.header()).insertText("kept header");
    QTextCursor c(doc.main());
    const int existing = addField(doc, c, "mine", true, 0);
    ASSERT_EQ(existing, 1);
    c.insertText(" ");
    readRtf(rtf, doc, &c);
    EXPECT_EQ(TWpDocument::plainText(doc.header()), "kept header");
    EXPECT_EQ(TWpDocument::plainText(doc.main()), "mine one");
    const QList<int> ids = doc.fieldOrder(doc.main());
    ASSERT_EQ(ids.size(), 2);
    EXPECT_EQ(ids[0], 1);
    EXPECT_NE(ids[1], 1);
    EXPECT_FALSE(doc.fieldTable()[ids[1]].changeable);
    EXPECT_EQ(doc.fieldTable()[ids[1]].data, 5);

    // Replace mode keeps ids, but two fields of one file never share an id.
    TWpDocument replaced;
    QByteArray twice = rtf;
    twice.insert(twice.lastIndexOf('}'), "{{\\*\\wpfield\\wpfid1\\wpfchg1}{two}}");
    readRtf(twice, replaced);
    const QList<int> rids = replaced.fieldOrder(replaced.main());
    ASSERT_EQ(rids.size(), 2);
    EXPECT_EQ(rids[0], 1);
    EXPECT_NE(rids[1], 1);
}

TEST(RtfReader, ScansPicturesWithoutLoading) {
    TWpDocument doc;
    buildFullDocument(doc);
    const QList<TWpPicture> pics = scanRtfPictures(writeRtf(doc));
    ASSERT_EQ(pics.size(), 2);
    EXPECT_EQ(pics[0].path, "\\\\server\\share\\pic one.png");
    EXPECT_EQ(pics[0].scaleX, 64);
    EXPECT_EQ(pics[0].textFlow, 3);
    EXPECT_TRUE(scanRtfPictures("not rtf").isEmpty());
}
