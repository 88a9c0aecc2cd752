// The grid panel and the result-entry control as widgets: fills and their end-of-update event,
// fixed rows and columns, proportional widths through resizes, the drawn result page against its
// golden image, editing in the host's order, printing to PDF and printing with no printer.
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "hostforms/forms/tests/HostFormsTestSupport.h"

#include <QApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using B = QByteArray;
const B FD("\x04");
const B FC("\x05");

TEST(GridPanel, AFillGrowsTheGridThenReportsItsEndOnce) {
    Forms f;
    std::map<int, B> fields{{16, "change"}};
    for (int i = 0; i < 8; ++i) {
        fields[22 + i] = "r" + B::number(i) + "]x";
    }
    f.run(create("grid", 16, fields, 29));
    auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->StringGrid()->rowCount(), 8);
    EXPECT_EQ(grid->cell(0, 3), "r3"); // fields 24 and 25 are rows here, not the hint and position
    ASSERT_EQ(f.link.messages().size(), 1);
    const B m = f.link.messages()[0];
    EXPECT_TRUE(m.startsWith("grid\x03"
                             "58\x03wsev\x03"))
        << m.constData();
    EXPECT_TRUE(m.endsWith(",8:0\x03r1\xFDx\xFD\xFD\xFD\xFD\x03r7\xFDx\xFD\xFD\xFD\xFD")) << m.constData();
    // An empty first row field is skipped; missing cells are empty.
    f.link.sends.clear();
    f.run(on("ws.grid", "6", {{22, ""}, {23, "only"}}, 23));
    EXPECT_EQ(grid->cell(0, 0), "r0");
    EXPECT_EQ(grid->cell(0, 1), "only");
    EXPECT_EQ(grid->cell(1, 1), "");
    EXPECT_EQ(f.link.messages().size(), 1);
}

TEST(GridPanel, FixedRowsAndColumnsAndTheirCells) {
    struct Case {
        B field18;
        int rows, columns, rowCount;
    };
    for (const Case &c : QList<Case>{{"2,1", 2, 1, 5}, {"abc,xyz", 1, 0, 5}, {"5,0", 5, 0, 6}}) {
        Forms f;
        f.run(create("grid", 16, {{18, c.field18}}, 18));
        auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
        EXPECT_EQ(grid->FixedRows(), c.rows) << c.field18.constData();
        EXPECT_EQ(grid->FixedCols(), c.columns) << c.field18.constData();
        EXPECT_EQ(grid->StringGrid()->rowCount(), c.rowCount) << c.field18.constData();
        QTableWidgetItem *corner = grid->StringGrid()->item(0, 0);
        ASSERT_NE(corner, nullptr);
        EXPECT_FALSE(corner->flags() & Qt::ItemIsEditable);
    }
}

// Scrolled by the user to the last row and column, the header row and column are still drawn at
// the viewport's top and left, level with the cells they head; the cursor never lands beneath them.
TEST(GridPanel, FixedRowsAndColumnsStayInViewWhileTheRestScrolls) {
    Forms f;
    std::map<int, B> fields{{6, "240"}, {7, "120"}, {17, "1,1,1,1,1,1"}, {18, "1,1"}};
    for (int i = 0; i < 20; ++i) {
        fields[22 + i] = i == 0 ? B("Test]A]B]C]D]E") : "row" + B::number(i) + "]1]2]3]4]5";
    }
    f.run(create("grid", 16, fields, 41));
    auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
    ASSERT_NE(grid, nullptr);
    f.frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.frm.get()));
    auto *t = grid->findChild<QTableWidget *>(QStringLiteral("Grid"));
    auto *top = t->findChild<QTableView *>(QStringLiteral("FixedRows"));
    auto *left = t->findChild<QTableView *>(QStringLiteral("FixedColumns"));
    auto *corner = t->findChild<QTableView *>(QStringLiteral("FixedCorner"));
    ASSERT_TRUE(top && left && corner);
    // Proportional widths keep a grid within its panel; wider columns stand for one whose factors no
    // longer match its columns.
    for (int c = 0; c < t->columnCount(); ++c) {
        t->setColumnWidth(c, 70);
    }
    QCoreApplication::processEvents();
    t->setFocus();
    QTest::keyClick(t, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(t->currentRow(), 19);
    ASSERT_EQ(t->currentColumn(), 5);
    EXPECT_GT(t->verticalScrollBar()->value(), 0);
    EXPECT_GT(t->horizontalScrollBar()->value(), 0);
    // Cells of the grid and of its overlays, where they lie in the grid's viewport.
    auto shown = [&](QTableView *v, int row, int column) {
        const QRect r = v->visualRect(v->model()->index(row, column));
        return r.translated(v->viewport()->mapTo(t, QPoint()) - t->viewport()->pos());
    };
    const QRect view = t->viewport()->rect();
    const QRect last = shown(t, 19, 5);
    EXPECT_TRUE(view.contains(last)) << "the last cell shows";
    EXPECT_FALSE(view.contains(shown(t, 0, 0))) << "the grid itself scrolled";
    for (QTableView *v : {top, left, corner}) {
        EXPECT_TRUE(v->isVisible()) << v->objectName().toStdString();
    }
    const QRect header = shown(top, 0, 5), rowHead = shown(left, 19, 0), cornerCell = shown(corner, 0, 0);
    EXPECT_EQ(cornerCell.topLeft(), QPoint(0, 0));
    EXPECT_EQ(header.top(), 0);
    EXPECT_EQ(header.left(), last.left()) << "the header heads the last column";
    EXPECT_EQ(rowHead.left(), 0);
    EXPECT_EQ(rowHead.top(), last.top()) << "the row's head is level with it";
    EXPECT_TRUE(view.contains(header) && view.contains(rowHead));
    EXPECT_GE(last.top(), header.bottom());
    EXPECT_GE(last.left(), rowHead.right());

    // Back to the start: the first cell that scrolls, shown below and beside the headers.
    QTest::keyClick(t, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(t, Qt::Key_Up);
    QTest::keyClick(t, Qt::Key_Left);
    EXPECT_EQ(t->currentRow(), 1);
    EXPECT_EQ(t->currentColumn(), 1);
    const QRect first = shown(t, 1, 1);
    EXPECT_GE(first.top(), shown(top, 0, 1).bottom());
    EXPECT_GE(first.left(), shown(left, 1, 0).right());
    // A click on a header leaves the cursor where it was.
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, shown(top, 0, 3).center());
    EXPECT_EQ(t->currentRow(), 1);
    EXPECT_EQ(t->currentColumn(), 1);
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, shown(t, 2, 2).center());
    EXPECT_EQ(t->currentRow(), 2);
    EXPECT_EQ(t->currentColumn(), 2);
}

TEST(GridPanel, WidthsStayProportionalThroughResizes) {
    Forms f;
    f.run(create("grid", 16, {{6, "300"}, {7, "100"}, {17, "2, 1 ,1"}}, 17));
    auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
    QTableWidget *t = grid->StringGrid();
    ASSERT_EQ(t->columnCount(), 3);
    for (int width : {300, 101, 57, 640, 0, 3}) {
        grid->resize(width, 100);
        const int available = std::max(0, t->viewport()->width() - 3 * (t->showGrid() ? 1 : 0));
        const int w0 = t->columnWidth(0), w1 = t->columnWidth(1), w2 = t->columnWidth(2);
        EXPECT_EQ(w0 + w1 + w2, available) << width;
        EXPECT_EQ(w0, available / 2) << width;
        EXPECT_EQ(w1, available / 4) << width;
    }
    // A bad item: the former text stays and the top-left cell says why.
    grid->SetWidthFactors("1,x");
    EXPECT_EQ(grid->WidthFactors(), "2, 1 ,1");
    EXPECT_EQ(grid->cell(0, 0), "Buggered \"x\"");
    // Zero factors: two columns, the last takes everything.
    grid->resize(200, 100);
    grid->SetWidthFactors("0,0");
    EXPECT_EQ(t->columnCount(), 2);
    EXPECT_EQ(t->columnWidth(0), 0);
    EXPECT_GT(t->columnWidth(1), 0);
    EXPECT_EQ(grid->WidthFactors(), "2, 1 ,1");
    // A grid never laid out, and one without columns.
    TgdGridPanel unshown;
    unshown.SetWidthFactors("1,2,3");
    unshown.SetWidthFactors("");
    unshown.StringGrid()->setColumnCount(0);
    unshown.UpdateColumnWidths();
    EXPECT_EQ(unshown.StringGrid()->columnCount(), 0);
}

TEST(GridPanel, PaintingSetsNoWidths) {
    Forms f;
    f.frm->show();
    f.run(create("grid", 16, {{6, "300"}, {7, "100"}, {17, "1,2"}}, 17));
    auto *grid = as<TgdGridPanel>(f.find("ws.grid"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.frm.get()));
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    grid->StringGrid()->viewport()->installEventFilter(&counter);
    grid->StringGrid()->viewport()->repaint();
    const int afterOne = counter.paints;
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, afterOne) << "a paint led to another";
}

// A small result form: two numeric fields, a calculated one and a free-text comment. With
// `window`, the line above the values begins with "!" and the ratio's line with "*", so review and
// final show only those lines, and the comment (below the window) is kept from them.
B resultData(bool window) {
    const B layout = "|RESULT| page" + FD + FD + "Value one   @        ~" + FD + "Value two   @        ~" +
                     FD + "Ratio       @" + FD + "@";
    auto range = [](int row, int column, int width, const B &allowed, int rangeWidth) {
        return B::number(row) + FC + B::number(column) + FC + FC + B::number(width) + FC + allowed + FC + FC +
               FC + FC + (rangeWidth ? B::number(rangeWidth) : B());
    };
    const B ranges = range(3, 13, 6, "09", 8) + FD + range(4, 13, 6, "09", 8) + FD + range(5, 13, 8, "", 0) +
                     FD + "6" + FC + "1" + FC + FC + "80" + FC + FC + "l(#80)";
    const B rules = FD + FD + "1" + FC + "2" + FC + "2" + FD;
    const B data = B("<LAYOUT_DATA>\nR\nv\n") + layout + "\n" + ranges + "\n2" + FD + "1" + FD + "4\n-\n" +
                   rules + "\n-\njump 4\n<RANGE_DATA>" + FC + "1" + FC + "-" + FC + "10" + FD + FC + "1" +
                   FC + "-" + FC + "10" + "\n<RESULT_DATA>12.5" + FD + "5" + FD + FD;
    return window ? data + "Kept from the report" + "\n<FIELD_DATA>1;!  Values" +
                        "\n<FIELD_DATA>4;*Ratio       @"
                  : data + "\n";
}

struct ResultForm : Forms {
    TkalvexResult *result = nullptr;
    QList<B> created; // what the host received while the form was made
    explicit ResultForm(const B &state = "1", const B &print = {}, const B &hooks = "save,change,abort",
                        bool window = false) {
        frm->show();
        run(create("hdr", 23, {{6, "400"}, {7, "30"}, {17, "HEADER OF THE REPORT"}}));
        run(create("ftr", 23, {{5, "300"}, {6, "400"}, {7, "30"}, {17, "FOOTER OF THE REPORT"}}));
        std::map<int, B> fields{{5, "40"},   {6, "560"},  {7, "200"},  {16, hooks},
                                {18, "hdr"}, {19, "ftr"}, {20, state}, {21, print}};
        int i = 22;
        for (const B &line : resultData(window).split('\n')) {
            fields[i++] = line;
        }
        run(create("res", 22, fields, i - 1));
        result = as<TkalvexResult>(find("ws.res"));
        created = link.messages();
        link.sends.clear();
    }
};

// The page of each display state against its golden image: edit shows every line with the fields
// boxed and the editor open on the first field of the order; review and final leave out the blank
// comment line, and with marks show only the window between them.
TEST(ResultEntry, EachStateMatchesItsGoldenPage) {
    QApplication::setCursorFlashTime(0); // a steady caret in the edit page
    const struct {
        B state;
        bool window;
        const char *golden;
    } rows[] = {
        {"3", false, "result_page.png"},       {"2", false, "result_page.png"},
        {"1", false, "result_page_edit.png"},  {"3", true, "result_page_window.png"},
        {"2", true, "result_page_window.png"}, {"1", true, "result_page_edit_marks.png"},
    };
    const bool regenerate = qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.golden);
        ResultForm f(row.state, {}, "save,change,abort", row.window);
        ASSERT_NE(f.result, nullptr);
        const QFontInfo face(f.result->KxResult()->font());
        ASSERT_EQ(face.family(), "Liberation Mono")
            << "\"Courier New\" must resolve to Liberation Mono (fonts-liberation2); fontconfig gave "
            << face.family().toStdString();
        const QImage page = f.result->KxResult()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString golden =
            qEnvironmentVariable("ORVA_SOURCE_DIR") + "/hostforms/forms/tests/golden/" + row.golden;
        if (regenerate) {
            ASSERT_TRUE(page.save(golden));
        }
        const QImage want = QImage(golden).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(want.isNull()) << "missing " << golden.toStdString()
                                    << " (ORVA_REGENERATE_GOLDEN=1 writes it from this run)";
        EXPECT_EQ(page, want) << "differs from " << golden.toStdString();
    }
}

TEST(ResultEntry, OutOfRangeValuesAreRed) {
    ResultForm f("3");
    const QImage page = f.result->KxResult()->grab().toImage();
    auto redIn = [&page](const QRect &r) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(redIn(f.result->KxResult()->fieldRect(1, 1))) << "12.5 is above 10";
    EXPECT_FALSE(redIn(f.result->KxResult()->fieldRect(2, 1))) << "5 is within 1 to 10";
}

TEST(ResultEntry, EditingFollowsTheHostsOrder) {
    ResultForm f("1");
    ASSERT_EQ(f.result->EditState(), TKalvexResultModel::State::Edit);
    EXPECT_EQ(f.result->currentField(), 2);
    QPlainTextEdit *editor = f.result->FieldEditor();
    QTest::keyClick(editor, Qt::Key_Backtab);
    EXPECT_EQ(f.result->currentField(), 4); // the last of the order
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(f.result->currentField(), 2);
    QTest::keyClick(editor, Qt::Key_BracketRight); // clears
    QTest::keyClicks(editor, "4x");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(f.result->currentField(), 1);
    EXPECT_EQ(f.link.messages(), (QList<B>{B("res\x03"
                                             "58\x03wsev\x03"
                                             "2\x03"
                                             "4"),
                                           B("res\x03"
                                             "58\x03wsev\x03"
                                             "3\x03"
                                             "3.125")}));
    f.link.sends.clear();
    QTest::keyClick(editor, Qt::Key_F1);
    EXPECT_EQ(f.result->currentField(), 4);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(f.link.messages(), QList<B>{B("res\x03"
                                            "95\x03wsev\x03")});
    // A click on a field opens it.
    const QRect r = f.result->KxResult()->fieldRect(1, 1);
    QTest::mouseClick(f.result->KxResult(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(f.result->currentField(), 1);
}

// The ratio (field 3 = field 1 / field 2) the rules derive from the host's results reaches the
// host at once, at creation and at each update that changes it, and keeps doing so once the user
// has typed; a form that hooks no change tells nothing.
TEST(ResultEntry, RecalculatedValuesReachTheHostAtOnce) {
    auto change = [](const B &field, const B &value) {
        return B("res\x03"
                 "58\x03wsev\x03") +
               field + "\x03" + value;
    };
    ResultForm f("1");
    EXPECT_EQ(f.created, QList<B>{change("3", "2.5")});
    f.run(on("ws.res", "6",
             {{22, "<RESULT_DATA>20\x04"
                   "5\x04\x04"}},
             22));
    EXPECT_EQ(f.link.messages(), QList<B>{change("3", "4")});
    f.link.sends.clear();
    f.run(on("ws.res", "6",
             {{20, "3"},
              {22, "<RESULT_DATA>20\x04"
                   "5\x04"
                   "4\x04"}},
             22));
    EXPECT_TRUE(f.link.sends.isEmpty()) << "the host already holds the ratio";
    EXPECT_EQ(f.result->EditState(), TKalvexResultModel::State::Review);

    f.run(on("ws.res", "6",
             {{20, "1"},
              {22, "<RESULT_DATA>20\x04"
                   "5\x04"
                   "4\x04"}},
             22));
    ASSERT_TRUE(f.link.sends.isEmpty());
    ASSERT_EQ(f.result->currentField(), 2);
    QPlainTextEdit *editor = f.result->FieldEditor();
    QTest::keyClick(editor, Qt::Key_BracketLeft);
    QTest::keyClicks(editor, "8");
    QTest::keyClick(editor, Qt::Key_F10);
    EXPECT_EQ(f.link.messages(), (QList<B>{change("2", "8"), change("3", "2.5"),
                                           B("res\x03"
                                             "94\x03wsev\x03"
                                             "20\xFD"
                                             "8\xFD"
                                             "2.5\xFD")}));

    ResultForm quiet("1", {}, "save,abort");
    EXPECT_TRUE(quiet.created.isEmpty());
    quiet.run(on("ws.res", "6",
                 {{22, "<RESULT_DATA>20\x04"
                       "5\x04\x04"}},
                 22));
    EXPECT_TRUE(quiet.link.sends.isEmpty());
}

// The page fed from files: a layout, its ranges and results, each a file of lines; the ratio the
// results give reaches the host, and a file that cannot be read changes nothing.
TEST(ResultEntry, LoadsLayoutRangeAndResultFromFiles) {
    ResultForm f("3");
    QTemporaryDir dir;
    auto write = [&dir](const char *name, const B &text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return QFile::encodeName(file.fileName());
    };
    const B fd("\xFD"), fc("\xFC");
    const B layout =
        write("layout.txt", "R\r\nv\r\nA @" + fd + "B @" + fd + "C @\r\n1" + fc + "3" + fc + fc + "4" + fd +
                                "2" + fc + "3" + fc + fc + "4" + fd + "3" + fc + "3" + fc + fc + "6\r\n1" +
                                fd + "2\r\n-\r\n" + fd + fd + "1" + fc + "3" + fc + "2\r\n");
    const B ranges =
        write("range.txt", fc + "1" + fc + "-" + fc + "\n9" + fd + fc + "1" + fc + "-" + fc + "9\n");
    const B results = write("result.txt", "7" + fd + "8" + fd + "\n");
    EXPECT_EQ(f.result->LoadLayout(layout), B());
    EXPECT_EQ(f.result->LoadRange(ranges), B());
    EXPECT_EQ(f.result->LoadResult(results), B());
    EXPECT_EQ(f.result->model().layout(), (QList<B>{"A @", "B @", "C @"}));
    EXPECT_EQ(f.result->model().rangeText(2), "1-9");
    EXPECT_EQ(f.result->model().result(3), "15");
    EXPECT_EQ(f.link.messages(), QList<B>{B("res\x03"
                                            "58\x03wsev\x03"
                                            "3\x03"
                                            "15")});
    EXPECT_TRUE(f.result->KxResult()->isVisible());

    const B missing = QFile::encodeName(dir.filePath("none.txt"));
    EXPECT_TRUE(f.result->LoadLayout(missing).endsWith("does not exist."));
    EXPECT_FALSE(f.result->LoadResult(QFile::encodeName(dir.path())).isEmpty());
    EXPECT_EQ(f.result->model().layout().size(), 3);
    EXPECT_EQ(f.result->model().result(1), "7");
}

// F10 saves and ESC abandons, each told to the host only when its own word is hooked.
TEST(ResultEntry, SaveAndAbortFollowTheirOwnHooks) {
    const struct {
        B hooks;
        QList<B> prefixes; // of the messages F10 then ESC send
    } rows[] = {
        {"save",
         {"res\x03"
          "94\x03wsev\x03"}},
        {"abort",
         {"res\x03"
          "95\x03wsev\x03"}},
        {"change", {}},
        {"abort,save",
         {"res\x03"
          "94\x03wsev\x03",
          "res\x03"
          "95\x03wsev\x03"}},
    };
    for (const auto &row : rows) {
        ResultForm f("1", {}, row.hooks);
        ASSERT_NE(f.result, nullptr);
        QTest::keyClick(f.result->FieldEditor(), Qt::Key_F10);
        QTest::keyClick(f.result->FieldEditor(), Qt::Key_Escape);
        const QList<B> sent = f.link.messages();
        ASSERT_EQ(sent.size(), row.prefixes.size()) << row.hooks.constData();
        for (qsizetype i = 0; i < sent.size(); ++i) {
            EXPECT_TRUE(sent[i].startsWith(row.prefixes[i]))
                << row.hooks.constData() << ": " << sent[i].toHex(' ').constData();
        }
    }
}

TEST(ResultEntry, PrintsHeaderPageAndFooterInOrder) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath("result.pdf");
    TkalvexResult::setPrinterSource([pdf](const B &) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdf);
        return p;
    });
    ResultForm f("4", "20;nosuchprinter");
    TkalvexResult::setPrinterSource(nullptr);
    EXPECT_TRUE(f.link.sends.isEmpty()) << f.link.messages().value(0).constData();
    EXPECT_EQ(f.result->PrintScale(), 20);
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const B out = text.readAllStandardOutput();
    if (qEnvironmentVariableIsSet("ORVA_KEEP_PDF")) {
        QFile::copy(pdf, qEnvironmentVariable("ORVA_KEEP_PDF"));
    }
    const qsizetype header = out.indexOf("HEADER OF THE REPORT");
    const qsizetype body = out.indexOf("Value one");
    const qsizetype footer = out.indexOf("FOOTER OF THE REPORT");
    EXPECT_GE(header, 0) << out.constData();
    EXPECT_GT(body, header) << out.constData();
    EXPECT_GT(footer, body) << out.constData();
}

TEST(ResultEntry, PrintingWithNoPrinterIsAnError) {
    TkalvexResult::setPrinterSource([](const B &) { return std::unique_ptr<QPrinter>(); });
    ResultForm f("1");
    f.link.sends.clear();
    f.run(on("ws.res", "6", {{20, "4"}, {22, "<RESULT_DATA>1"}}, 22));
    TkalvexResult::setPrinterSource(nullptr);
    EXPECT_EQ(f.link.messages(), QList<B>{B("Object Updater\x03"
                                            "99\x03\x03UpdateKXResult No printer is available.\x03")});
}

} // namespace
