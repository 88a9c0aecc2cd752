// The terminal control offscreen: what lands in its backing image, scrolling, selection and copy,
// blinking, the caret, keys, capture, smart clicks and a flood of host text.
#include "common/HostText.h"
#include "common/WinColor.h"
#include "common/testing/FailingDisk.h"
#include "terminal/widget/TVtRowPainter.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0xFF0000;

// A terminal set up as the main window sets it up: VT100 emulator, white on blue, no lazy display.
struct Term {
    TVtTerminalEx t;
    TVtVT100EmulatorEx *emu;
    Term() {
        auto e = std::make_unique<TVtVT100EmulatorEx>();
        e->DisplayUpperASCII = true;
        e->HandleHookedKeys = true;
        emu = e.get();
        t.setEmulator(std::move(e));
        t.setUseLazyDisplay(false);
        t.setBorderStyle(TVtBorderStyle::bsNone);
        t.setScrollbackRows(500);
        t.setScrollback(true);
        t.setTerminalFont(QFont(QStringLiteral("Orva VT"), 12));
        t.SetDefForeColor(kWhite);
        t.SetDefBackColor(kBlue);
        t.resize(t.sizeHint() + QSize(t.verticalScrollBar()->sizeHint().width(), 0));
        t.show();
    }
    void write(const QByteArray &bytes) {
        t.WriteString(bytes);
        QCoreApplication::sendPostedEvents(&t);
    }
    QRect cell(int row, int col) const {
        return {(col - t.FirstVisibleCol()) * t.CellWidth(), (row - t.FirstVisibleRow()) * t.CellHeight(),
                t.CellWidth(), t.CellHeight()};
    }
    QColor pixel(QPoint p) const { return t.BackingImage().pixelColor(p); }
    bool cellHas(const QRect &r, const QColor &c) const {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (t.BackingImage().pixelColor(x, y) == c)
                    return true;
        return false;
    }
    bool cellOnly(const QRect &r, const QColor &c) const {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (t.BackingImage().pixelColor(x, y) != c)
                    return false;
        return true;
    }
    QPoint centre(int row, int col) const { return cell(row, col).center(); }
};

// An emulator that records its blocks, and can be told to fail.
class RecordingEmulator : public TVtTTYEmulator {
public:
    QList<QByteArray> blocks;
    bool failNext = false;
    void ProcessBlock(const char *bytes, int count) override {
        blocks.append(QByteArray(bytes, count));
        if (std::exchange(failNext, false))
            throw std::bad_alloc();
        TVtTTYEmulator::ProcessBlock(bytes, count);
    }
    using TVtTTYEmulator::ProcessBlock;
};

void press(QWidget *w, int key, Qt::KeyboardModifiers mods, const QString &text = {}, bool repeat = false) {
    QKeyEvent e(QEvent::KeyPress, key, mods, text, repeat);
    QCoreApplication::sendEvent(w, &e);
}
} // namespace

class TerminalWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void attributesRenderWithTheirColours();
    void colourChangesKeepTheText();
    void doubleWidthAndReverseScreen();
    void lineDrawingJoinsAcrossCells();
    void twoWritesMakeOneBlockAndAFailingBlockIsNotRepeated();
    void scrollbackScrollsTheView();
    void selectionCopiesAndFollowsScrolling();
    void copyShowsHostBytesAsShown();
    void dropsTakeTextOnly();
    void clickWithoutDragSelectsOneUnmarkedCell();
    void dragAboveTheAreaScrollsIntoTheHistory();
    void blinkFlipsOnTheTimer();
    void caretSitsOnTheCursorCell();
    void horizontalBarAppearsFor132Columns();
    void keysReachTheWindowAfterTheEmulator();
    void numLockActsAsPf1AndKeepsItsState();
    void chosenFamilyIsDrawnAndAMissingOneFallsBack();
    void captureWritesTheExactBytes();
    void smartClicksOnlyForALeftOneCellClick();
    void readInterfaceOutsideTheBuffer();
    void propertiesClamp();
    void hiddenTerminalStillPaints();
    void narrowTerminalPaintsOnlyWhatFits();
    void paintingOnlyChangedCellsMatchesAFullRepaint();
    void lazyDisplayPaintsFromTheTimer();
    void ttyPainterBrightensBold();
    void ttyPainterTakesTheControlsColours();
    void bottomHalfWithoutARowAbove();
    void floodKeepsTheEventLoopResponsive();
};

void TerminalWidgetTest::attributesRenderWithTheirColours() {
    Term m;
    // Red on green, then reverse, underline, invisible, bold (bright red via the bold table).
    m.write("\x1b[31;42mR\x1b[0m \x1b[7mH\x1b[0m \x1b[4mU\x1b[0m \x1b[8mI\x1b[0m \x1b[1;31mB\x1b[0m");
    const QColor red = bgrToQColor(0x80), green = bgrToQColor(0x8000), white = bgrToQColor(kWhite),
                 blue = bgrToQColor(kBlue), brightRed = bgrToQColor(0x8080FF);
    struct Case {
        int col;
        QColor fill;
        QColor text;
    } cases[] = {{1, green, red}, {3, white, blue}, {5, blue, white}, {9, blue, brightRed}};
    for (const Case &c : cases) {
        const QRect r = m.cell(1, c.col);
        QCOMPARE(m.pixel(r.topLeft()), c.fill);
        QCOMPARE(m.pixel(r.bottomRight()), c.fill);
        QVERIFY2(m.cellHas(r, c.text), qPrintable(QString::number(c.col)));
    }
    // Underline two pixels above the bottom, across the whole cell.
    const QRect u = m.cell(1, 5);
    for (int x = u.left(); x <= u.right(); ++x)
        QCOMPARE(m.pixel(QPoint(x, u.bottom() - 1)), white);
    // Invisible: nothing but the fill, yet the character is still there to copy.
    QVERIFY(m.cellOnly(m.cell(1, 7), blue));
    QCOMPARE(m.t.GetRowText(1).at(6), 'I');
    // A selected reversed cell is drawn unreversed.
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 3));
    QTest::mouseMove(m.t.viewport(), m.centre(1, 4));
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 4));
    QCOMPARE(m.pixel(m.cell(1, 3).topLeft()), blue);
    QVERIFY(m.cellHas(m.cell(1, 3), white));
    QCOMPARE(m.t.GetAttrAt(1, 3) & 0x50, 0x50);
}

void TerminalWidgetTest::colourChangesKeepTheText() {
    Term m;
    m.write("line one\r\n\x1b[31mH");
    m.t.SetDefBackColor(0x00FF00);
    m.t.SetDefForeColor(0x0000FF);
    QCOMPARE(m.t.GetRowText(1).left(8), QByteArray("line one"));
    QCOMPARE(m.pixel(m.cell(1, 1).topLeft()), bgrToQColor(0x00FF00));
    QVERIFY(m.cellHas(m.cell(1, 1), bgrToQColor(0x0000FF)));
    QVERIFY(m.cellHas(m.cell(2, 1), bgrToQColor(0x80))); // a host colour stays
    QCOMPARE(m.t.Color(), 0x00FF00u);
    m.t.setTerminalFont(QFont(QStringLiteral("Orva VT"), 14));
    QCOMPARE(m.t.GetRowText(1).left(8), QByteArray("line one"));
}

void TerminalWidgetTest::doubleWidthAndReverseScreen() {
    Term m;
    m.write("\x1b#6HEL");
    const QColor white = bgrToQColor(kWhite), blue = bgrToQColor(kBlue);
    // H covers screen columns 1-2 with its glyph at the left; E starts at column 3.
    QVERIFY(m.cellHas(m.cell(1, 1), white));
    QVERIFY(m.cellHas(m.cell(1, 3), white));
    QVERIFY(m.cellHas(m.cell(1, 5), white));
    QVERIFY(m.cellOnly(m.cell(1, 7), blue));
    // Reverse screen: default cells are filled with the foreground colour, every row repainted.
    m.write("\x1b[?5h");
    QCOMPARE(m.pixel(m.cell(24, 80).center()), white);
    QCOMPARE(m.pixel(m.cell(10, 1).topLeft()), white);
}

void TerminalWidgetTest::lineDrawingJoinsAcrossCells() {
    // Box drawing through both character-set tables, with and without the graphics font.
    const struct {
        const char *table;
        bool ignoreGraphicsFont;
    } cases[] = {{"VTCharSet100", false}, {"VT100CharSet_LUCON", false}, {"VT100CharSet_LUCON", true}};
    for (const auto &c : cases) {
        Term m;
        m.emu->CharSetMapping().LoadFromRes(QString::fromLatin1(c.table));
        m.emu->IgnoreGraphicsFont = c.ignoreGraphicsFont;
        m.write("\x1b(0lqqk\r\nx  x\r\nmqqj\x1b(B\r\n\xc9\xcd\xbb");
        if (qEnvironmentVariableIsSet("ORVA_TERMINAL_DUMP"))
            m.t.BackingImage().save(
                QStringLiteral("/tmp/terminal-%1-%2.png").arg(c.table).arg(c.ignoreGraphicsFont));
        // A horizontal line: some pixel row of the cell is lit from its left to its right edge.
        const auto spans = [&](int row, int col) {
            const QRect r = m.cell(row, col);
            for (int y = r.top(); y <= r.bottom(); ++y)
                if (m.pixel(QPoint(r.left(), y)).red() > 128 && m.pixel(QPoint(r.right(), y)).red() > 128)
                    return true;
            return false;
        };
        QVERIFY2(spans(1, 2) && spans(3, 3), c.table);
        // CP437 double lines from host bytes 128-255.
        QVERIFY2(spans(4, 2), c.table);
        QVERIFY2(!spans(2, 2), c.table);
    }
}

void TerminalWidgetTest::twoWritesMakeOneBlockAndAFailingBlockIsNotRepeated() {
    TVtTerminalEx t;
    RecordingEmulator emu;
    t.SetEmulator(&emu);
    t.WriteString("A");
    t.WriteString("\x1b[2J");
    QCoreApplication::sendPostedEvents(&t);
    QCOMPARE(emu.blocks, QList<QByteArray>{QByteArray("A\x1b[2J")});
    emu.failNext = true;
    t.WriteString("lost");
    QCoreApplication::sendPostedEvents(&t);
    t.WriteString("B");
    QCoreApplication::sendPostedEvents(&t);
    QCOMPARE(emu.blocks.size(), 3);
    QCOMPARE(emu.blocks.last(), QByteArray("B"));
    t.SetEmulator(nullptr);
}

void TerminalWidgetTest::scrollbackScrollsTheView() {
    Term m;
    QByteArray text;
    for (int i = 1; i <= 40; ++i)
        text += "line " + QByteArray::number(i) + "\r\n";
    m.write(text);
    QVERIFY(m.t.GetRowText(1).startsWith("line 18"));
    QVERIFY(m.t.GetRowText(-16).startsWith("line 1 "));
    QScrollBar *v = m.t.verticalScrollBar();
    QVERIFY(v->isVisible());
    QCOMPARE(v->minimum(), 24 - 500);
    const QImage before = m.t.BackingImage().copy();
    v->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(m.t.FirstVisibleRow(), 1 - 24);
    QVERIFY(m.t.BackingImage() != before);
    // The top row now shows history row -23 (line 1 is at -16, so row -23 is blank and -16 holds text).
    QVERIFY(m.cellOnly(m.cell(-23, 1), bgrToQColor(kBlue)));
    QVERIFY(m.cellHas(m.cell(-16, 1), bgrToQColor(kWhite)));
    m.t.ScrollToRow(1);
    QCOMPARE(m.t.BackingImage(), before);
    // With the window shorter than the screen and scroll-back off, the view stays on the screen.
    m.t.ScrollToRow(-10);
    m.t.resize(m.t.width(), m.t.height() - 3 * m.t.CellHeight());
    m.t.setScrollback(false);
    QCOMPARE(m.t.FirstVisibleRow(), 1);
    QCOMPARE(m.t.verticalScrollBar()->minimum(), 0);
}

void TerminalWidgetTest::selectionCopiesAndFollowsScrolling() {
    Term m;
    m.write("first row\r\nsecond row\r\nthird");
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 7));
    QTest::mouseMove(m.t.viewport(), m.centre(3, 3));
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, m.centre(3, 3));
    const QByteArray expected =
        "row" + QByteArray(71, ' ') + "\r\nsecond row" + QByteArray(70, ' ') + "\r\nthi\r\n";
    QCOMPARE(m.t.GetSelectedText(), expected);
    press(&m.t, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("C"));
    QVERIFY(QGuiApplication::clipboard()->text() != QString::fromLatin1(expected));
    press(&m.t, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(expected));
    // Scrolling moves the selection with its text; the marks never stay on the screen rows.
    m.write("\x1b[24;1H\r\n\r\n");
    QCOMPARE(m.t.GetSelectedText(), expected);
    QCOMPARE(m.t.Selection().StartCell().Row, -1);
    QVERIFY(!(m.t.GetAttrAt(1, 7) & 0x40));
    QVERIFY(m.t.GetAttrAt(-1, 7) & 0x40);
    // Escape while dragging cancels.
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(5, 1));
    QTest::mouseMove(m.t.viewport(), m.centre(5, 5));
    press(&m.t, Qt::Key_Escape, {}, QStringLiteral("\x1b"));
    QVERIFY(!m.t.Selection().Present());
    QCOMPARE(m.t.GetSelectedText(), QByteArray());
}

void TerminalWidgetTest::clickWithoutDragSelectsOneUnmarkedCell() {
    Term m;
    m.write("X");
    QTest::mouseClick(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 1));
    QCOMPARE(m.t.GetSelectedText(), QByteArray("X\r\n"));
    QCOMPARE(m.t.GetAttrAt(1, 1) & 0x40, 0);
    // A press on the area's far edge stays in the last cell.
    QTest::mouseClick(m.t.viewport(), Qt::LeftButton, {},
                      QPoint(m.t.BackingImage().width(), m.t.BackingImage().height()));
    QCOMPARE(m.t.Selection().StartCell(), (TVtCellPos{24, 80}));
    QCOMPARE(m.t.GetSelectedText(), QByteArray(" \r\n"));
}

void TerminalWidgetTest::dragAboveTheAreaScrollsIntoTheHistory() {
    Term m;
    m.write("top\r\n");
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(2, 5));
    QTest::mouseMove(m.t.viewport(), QPoint(m.centre(1, 2).x(), -5));
    QCOMPARE(m.t.FirstVisibleRow(), 1);
    m.t.TimerTick();
    m.t.TimerTick();
    QCOMPARE(m.t.FirstVisibleRow(), -1);
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, QPoint(m.centre(1, 2).x(), -5));
    QCOMPARE(m.t.Selection().StartCell(), (TVtCellPos{-1, 2}));
    QCOMPARE(m.t.Selection().EndCell(), (TVtCellPos{2, 5}));
    m.t.TimerTick(); // no longer dragging: the view stays
    QCOMPARE(m.t.FirstVisibleRow(), -1);
}

void TerminalWidgetTest::blinkFlipsOnTheTimer() {
    Term m;
    m.write("\x1b[5mB\x1b[0m");
    const QRect r = m.cell(1, 1);
    QVERIFY(m.cellHas(r, bgrToQColor(kWhite)));
    const bool phase = m.t.BlinkPhase();
    for (int i = 0; i < 5; ++i)
        m.t.TimerTick();
    QCOMPARE(m.t.BlinkPhase(), phase);
    m.t.TimerTick();
    QCOMPARE(m.t.BlinkPhase(), !phase);
    QVERIFY(m.cellOnly(r, bgrToQColor(kBlue)));
    for (int i = 0; i < 6; ++i)
        m.t.TimerTick();
    QVERIFY(m.cellHas(r, bgrToQColor(kWhite)));
    // A blink time of 0 or less stops blinking.
    m.t.setBlinkTime(-5);
    for (int i = 0; i < 20; ++i)
        m.t.TimerTick();
    QCOMPARE(m.t.BlinkPhase(), phase);
}

void TerminalWidgetTest::caretSitsOnTheCursorCell() {
    Term m;
    m.t.setFocus();
    m.write("\x1b[5;10r\x1b[?6h\x1b[2;3H");
    const int cw = m.t.CellWidth(), ch = m.t.CellHeight();
    QCOMPARE(m.t.CaretRect(), QRect(2 * cw, 5 * ch, cw, ch));
    QCOMPARE(m.t.inputMethodQuery(Qt::ImCursorRectangle).toRect(), m.t.CaretRect());
    m.t.ScrollToRow(-2);
    QCOMPARE(m.t.CaretRect(), QRect(2 * cw, 8 * ch, cw, ch));
    m.t.setCursorType(TVtCursorType::ctUnderline);
    QCOMPARE(m.t.CaretRect(), QRect(2 * cw, 9 * ch - 2, cw, 2));
}

void TerminalWidgetTest::horizontalBarAppearsFor132Columns() {
    Term m;
    QVERIFY(!m.t.horizontalScrollBar()->isVisible());
    m.write("\x1b[?3h");
    QCOMPARE(m.t.Columns(), 132);
    QVERIFY(m.t.Layout().HorzWanted);
    QVERIFY(m.t.horizontalScrollBar()->isVisible());
    m.t.ScrollToCol(200);
    QCOMPARE(m.t.FirstVisibleCol(), 132 - m.t.Layout().WholeCols + 1);
    m.t.setColumns(1000);
    QCOMPARE(m.t.Columns(), 132);
}

void TerminalWidgetTest::keysReachTheWindowAfterTheEmulator() {
    Term m;
    QSignalSpy keys(&m.t, &TVtCustomTerminal::keyDown);
    QSignalSpy typed(&m.t, &TVtCustomTerminal::typed);
    press(&m.t, Qt::Key_Up, {});
    press(&m.t, Qt::Key_Up, Qt::KeypadModifier);
    press(&m.t, Qt::Key_Up, {}, {}, true);
    press(&m.t, Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"));
    QCOMPARE(keys.size(), 4);
    QCOMPARE(keys[0][0].toInt(), 0x26);
    QCOMPARE(keys[1][0].toInt(), 0x68);
    QCOMPARE(keys[2][0].toInt(), 0x8026);
    QCOMPARE(keys[3][0].toInt(), 0x2B);
    QCOMPARE(typed.size(), 1);
    press(&m.t, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));
    press(&m.t, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\r"));
    press(&m.t, Qt::Key_Delete, {}, QStringLiteral("\x7f"));
    press(&m.t, Qt::Key_Shift, Qt::ShiftModifier);
    press(&m.t, Qt::Key_Tab, {}, QStringLiteral("\t"));
    QCOMPARE(typed.size(), 4);
    QCOMPARE(typed[1][0].toByteArray(), QByteArray("\x01"));
    QCOMPARE(typed[2][0].toByteArray(), QByteArray("\n"));
    QCOMPARE(typed[3][0].toByteArray(), QByteArray("\t"));
}

void TerminalWidgetTest::numLockActsAsPf1AndKeepsItsState() {
    Term m;
    int toggles = 0;
    m.t.ToggleNumLock = [&toggles] { ++toggles; };
    press(&m.t, Qt::Key_NumLock, {});
    QCOMPARE(toggles, 1);
    press(&m.t, Qt::Key_NumLock, {});
    QCOMPARE(toggles, 2);
    press(&m.t, Qt::Key_F1, {});
    QCOMPARE(toggles, 2); // PF1 on its own key leaves Num Lock alone
}

void TerminalWidgetTest::chosenFamilyIsDrawnAndAMissingOneFallsBack() {
    if (!QFontDatabase::families().contains(QStringLiteral("Liberation Mono")))
        QSKIP("Liberation Mono is not installed");
    // The same text in a family of its own, in the fallback face, and in a family that is not installed.
    const auto draw = [](const QString &family) {
        Term m;
        m.t.setTerminalFont(QFont(family, 12));
        m.write("Hello, gjq 0O1lI");
        const QRect row(m.cell(1, 1).topLeft(), m.cell(1, 16).bottomRight());
        return std::make_pair(m.t.terminalFont().family(), m.t.BackingImage().copy(row));
    };
    const auto [liberation, liberationImage] = draw(QStringLiteral("Liberation Mono"));
    const auto [dejavu, dejavuImage] = draw(QStringLiteral("DejaVu Sans Mono"));
    const auto [missing, missingImage] = draw(QStringLiteral("Orva VT"));
    QCOMPARE(liberation, QStringLiteral("Liberation Mono"));
    QCOMPARE(dejavu, QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(missing, TerminalFontFamily());
    QVERIFY(liberationImage != dejavuImage);
    QCOMPARE(missingImage, dejavuImage);
}

void TerminalWidgetTest::captureWritesTheExactBytes() {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("cap.bin"));
    {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old contents");
    }
    Term m;
    m.t.setCaptureFile(name);
    m.t.setCapture(TVtCaptureMode::cmOn);
    const QByteArray bytes("A\x1b[1m\0B", 7);
    m.write(bytes);
    m.t.setCapture(TVtCaptureMode::cmAppend); // already on: nothing reopened
    m.write("C");
    m.t.setCapture(TVtCaptureMode::cmOff);
    m.t.setCapture(TVtCaptureMode::cmAppend);
    QCOMPARE(m.t.Capture(), TVtCaptureMode::cmOn);
    m.write("D");
    m.t.setCapture(TVtCaptureMode::cmOff);
    QFile f(name);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes + "CD");
    // The capture holds the session: it is the owner's alone.
    QCOMPARE(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    // A capture that cannot be written (a full disk) stops instead of failing every block; a
    // device is never taken for a capture file.
    m.t.setCapture(TVtCaptureMode::cmOn);
    {
        FileSizeLimit limit(4);
        m.write("EFGHIJ");
    }
    QCOMPARE(m.t.Capture(), TVtCaptureMode::cmOff);
    m.t.setCaptureFile(QStringLiteral("/dev/full"));
    m.t.setCapture(TVtCaptureMode::cmOn);
    QCOMPARE(m.t.Capture(), TVtCaptureMode::cmOff);
    m.write("K");
    QVERIFY(m.t.GetRowText(1).startsWith("ABCDEFGHIJK"));
}

void TerminalWidgetTest::smartClicksOnlyForALeftOneCellClick() {
    Term m;
    m.t.setSmartMouseClicks(true);
    m.write("  123 \r\n");
    QSignalSpy clicks(&m.t, &TVtTerminalEx::smartMouseClick);
    QTest::mouseClick(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 4));
    QTest::mouseClick(m.t.viewport(), Qt::RightButton, {}, m.centre(1, 4));
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 4));
    QTest::mouseMove(m.t.viewport(), m.centre(2, 4));
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, m.centre(2, 4));
    QTest::mouseClick(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 6));
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks[0][2].toByteArray(), QByteArray("123"));
    QCOMPARE(clicks[1][2].toByteArray(), QByteArray());
}

void TerminalWidgetTest::readInterfaceOutsideTheBuffer() {
    Term m;
    QCOMPARE(m.t.GetRowText(25), QByteArray());
    QCOMPARE(m.t.GetRowText(-600), QByteArray());
    QCOMPARE(m.t.GetRowText(-475).size(), 80);
    QCOMPARE(m.t.GetAttrAt(1, 0), 0);
    QCOMPARE(m.t.GetAttrAt(1, 81), 0);
    QCOMPARE(m.t.GetSelectedText(), QByteArray());
}

void TerminalWidgetTest::propertiesClamp() {
    TVtTerminalEx t;
    const struct { int in, out; } blink[] = {{100, 250}, {-5, 0}, {251, 251}, {0, 0}, {1, 250}};
    for (auto c : blink) {
        t.setBlinkTime(c.in);
        QCOMPARE(t.BlinkTime(), c.out);
    }
    t.setLazyByteDelay(2000);
    QCOMPARE(t.LazyByteDelay(), 200);
    t.setLazyByteDelay(1024);
    QCOMPARE(t.LazyByteDelay(), 1024);
    t.setLazyTimeDelay(1001);
    QCOMPARE(t.LazyTimeDelay(), 100);
    t.setScrollbackRows(0);
    QCOMPARE(t.ScrollbackRows(), 200);
    QCOMPARE(t.CaptureFile(), QStringLiteral("TALVERN.CAP"));
    QCOMPARE(TVtCustomTerminal::Version(), QStringLiteral("v1.15"));
    QVERIFY(!t.IsMasterTerminal());
    QVERIFY(t.Emulator() == nullptr);
    t.setColumns(300);
    QCOMPARE(t.Columns(), 255);
}

void TerminalWidgetTest::hiddenTerminalStillPaints() {
    Term m;
    m.t.hide();
    m.write("\x1b[3;5HH");
    QVERIFY(m.cellHas(m.cell(3, 5), bgrToQColor(kWhite)));
    TVtRect rect;
    QVERIFY(!m.emu->Buffer().GetInvalidRect(rect)); // nothing left queued for a later paint
}

void TerminalWidgetTest::narrowTerminalPaintsOnlyWhatFits() {
    // A window collapsed to its menu bar leaves the terminal far narrower than its text.
    Term m;
    // Runs that start just right of the image's edge must draw nothing.
    for (const int width : {1, 7, m.t.CellWidth() * 2 - 2, m.t.CellWidth() * 3 + 2}) {
        m.t.resize(width, m.t.CellHeight() * 2);
        m.write("\x1b[1;1HAB\x1b[7mCD\x1b[mEF\x1b[7mGH\x1b[mIJKLMNOPQRSTUVWXYZ\x1b[1;70Hend");
        QVERIFY(m.t.BackingImage().width() <= qMax(width, 1));
    }
    m.t.resize(m.t.sizeHint());
    m.write("\x1b[2;1HX");
    QVERIFY(m.cellHas(m.cell(2, 1), bgrToQColor(kWhite)));
}

void TerminalWidgetTest::paintingOnlyChangedCellsMatchesAFullRepaint() {
    Term m;
    const QByteArray steps[] = {
        "\x1b[H\x1b[2J\x1b[7m TITLE \x1b[m\r\nline one\r\nline two",
        "\x1b[H\x1b[7m TITLE \x1b[m", // the same again: nothing new to copy
        "\x1b[2;6H\x1b[1;31mONE\x1b[m",
        "\x1b(0lqqk\x1b(B\r\n",
        "\x1b#6wide row\r\n",
        QByteArray(3000, 'x') + "\r\n",
        "\x1b[10;1H\x1b[4munder\x1b[m\x1b[?5h",
        "\x1b[?5l\x1b[3;1Hend",
    };
    for (const QByteArray &step : steps) {
        m.write(step);
        m.t.TimerTick();
        const QImage incremental = m.t.BackingImage().copy();
        m.t.RepaintAll();
        QVERIFY2(incremental == m.t.BackingImage(), step.left(40).toHex().constData());
    }
    const auto sameAsFullRepaint = [&m](const char *what) {
        const QImage incremental = m.t.BackingImage().copy();
        m.t.RepaintAll();
        QVERIFY2(incremental == m.t.BackingImage(), what);
    };
    // Blinking text off and on again, the view scrolled into the history and back.
    m.write("\x1b[12;1H\x1b[5mblink\x1b[m plain");
    int flips = 0;
    for (bool phase = m.t.BlinkPhase(); flips < 2 || !m.t.BlinkPhase(); m.t.TimerTick()) {
        flips += m.t.BlinkPhase() != phase ? 1 : 0;
        phase = m.t.BlinkPhase();
    }
    sameAsFullRepaint("blinking text off and on again");
    m.write(QByteArray(200, 'y') + "\r\n");
    m.t.ScrollToRow(-5);
    sameAsFullRepaint("scrolled into the history");
    m.t.ScrollToRow(1);
    m.write("\x1b[1;1Hafter scroll");
    sameAsFullRepaint("scrolled back");
    // A screen written again over itself copies nothing.
    m.write("\x1b[1;1H\x1b[7m TITLE \x1b[m");
    const qint64 before = m.t.Painter().CellsCopied();
    m.write("\x1b[1;1H\x1b[7m TITLE \x1b[m");
    QCOMPARE(m.t.Painter().CellsCopied(), before);
    // Selecting and clearing a selection repaints through the same record.
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(2, 1));
    QTest::mouseMove(m.t.viewport(), m.centre(3, 4));
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, m.centre(3, 4));
    m.t.ClearSelection();
    const QImage incremental = m.t.BackingImage().copy();
    m.t.RepaintAll();
    QCOMPARE(incremental, m.t.BackingImage());
}

void TerminalWidgetTest::lazyDisplayPaintsFromTheTimer() {
    Term m;
    m.t.setUseLazyDisplay(true);
    const int paints = m.t.ImagePaintCount();
    m.write("H");
    QCOMPARE(m.t.ImagePaintCount(), paints);
    m.t.TimerTick(); // 100 ms is not beyond the 100 ms delay
    QCOMPARE(m.t.ImagePaintCount(), paints);
    m.t.TimerTick();
    QCOMPARE(m.t.ImagePaintCount(), paints + 1);
    QVERIFY(m.cellHas(m.cell(1, 1), bgrToQColor(kWhite)));
    // Enough bytes force the paint on the next tick.
    m.t.setLazyByteDelay(10);
    m.write(QByteArray(20, 'H'));
    m.t.TimerTick();
    QCOMPARE(m.t.ImagePaintCount(), paints + 2);
}

void TerminalWidgetTest::ttyPainterBrightensBold() {
    TVtTerminalEx t;
    t.setUseLazyDisplay(false);
    t.resize(t.sizeHint());
    TVtTerminalBuffer &b = t.CurrentEmulator()->Buffer();
    b.SetForeColor(0x000080);
    b.SetCharAttrs(vtaBold);
    t.WriteString("H");
    QCoreApplication::sendPostedEvents(&t);
    const QRect r(0, 0, t.CellWidth(), t.CellHeight());
    bool bright = false;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            bright = bright || t.BackingImage().pixelColor(x, y) == bgrToQColor(0x8080FF);
    QVERIFY(bright);
}

// Without a VT100 emulator the colours come from the control: the margin colour becomes the
// background and the font colour the text, for what is on screen and what comes next.
void TerminalWidgetTest::ttyPainterTakesTheControlsColours() {
    TVtTerminalEx t;
    t.setUseLazyDisplay(false);
    t.resize(t.sizeHint());
    t.WriteString("AB");
    QCoreApplication::sendPostedEvents(&t);
    const TVtTerminalBuffer &b = t.CurrentEmulator()->Buffer();
    QCOMPARE(b.GetDefBackColor(), 0u);
    constexpr uint32_t kNavy = 0x800000, kYellow = 0x00FFFF;
    t.setColor(kNavy);
    t.setFontColor(kYellow);
    QCOMPARE(b.GetDefBackColor(), kNavy);
    QCOMPARE(b.GetDefForeColor(), kYellow);
    const QRect blank(5 * t.CellWidth(), 0, t.CellWidth(), t.CellHeight());
    QCOMPARE(t.BackingImage().pixelColor(blank.center()), bgrToQColor(kNavy));
    t.WriteString("C");
    QCoreApplication::sendPostedEvents(&t);
    bool yellow = false;
    for (int y = 0; y < t.CellHeight(); ++y)
        for (int x = 2 * t.CellWidth(); x < 3 * t.CellWidth(); ++x)
            yellow = yellow || t.BackingImage().pixelColor(x, y) == bgrToQColor(kYellow);
    QVERIFY(yellow);
}

void TerminalWidgetTest::bottomHalfWithoutARowAbove() {
    // With no history the first screen row is the buffer's first row: a bottom half there shows itself.
    TVtTerminalEx t;
    t.setEmulator(std::make_unique<TVtVT100EmulatorEx>());
    t.setScrollbackRows(24);
    t.setUseLazyDisplay(false);
    t.resize(t.sizeHint());
    t.WriteString("\x1b#4HH\r\n\x1b#3HH");
    QCoreApplication::sendPostedEvents(&t);
    QCOMPARE(t.GetRowText(1).left(2), QByteArray("HH"));
    bool text = false;
    for (int y = 0; y < t.CellHeight(); ++y)
        for (int x = 0; x < 2 * t.CellWidth(); ++x)
            text = text || t.BackingImage().pixelColor(x, y).red() > 0x80;
    QVERIFY(text);
}

void TerminalWidgetTest::floodKeepsTheEventLoopResponsive() {
    Term m;
    // 20 MB of mixed host output (menus, colours, scrolling) written 4 KiB per event-loop turn.
    QByteArray pattern;
    for (int i = 0; pattern.size() < 64 * 1024; ++i) {
        pattern += "\x1b[" + QByteArray::number(i % 24 + 1) + ";1H\x1b[3" + QByteArray::number(i % 8) + "m";
        pattern +=
            "Request " + QByteArray::number(i) + " \x1b[7m result \x1b[0m the quick brown fox\x1b[K\r\n";
        if (i % 50 == 0)
            pattern += "\x1b[2J\x1b[H";
    }
#ifdef ORVA_SANITIZED_BUILD
    const qsizetype total = 2 * 1024 * 1024; // the unoptimised checked build paints far slower
#else
    const qsizetype total = 20 * 1024 * 1024;
#endif
    QByteArray stream;
    while (stream.size() < total)
        stream += pattern;
    stream.truncate(total);

    const int paintsBefore = m.t.ImagePaintCount();
    qsizetype offset = 0;
    QTimer feeder;
    feeder.setInterval(0);
    connect(&feeder, &QTimer::timeout, &m.t, [&] {
        m.t.WriteString(stream.mid(offset, 4096));
        offset += 4096;
        if (offset >= stream.size())
            feeder.stop();
    });
    // Other work gets its turn between blocks: a ticker that is always due runs after every block the
    // terminal takes in. Counted in blocks, not milliseconds, so a busy machine does not change it;
    // what one block costs is measured by the benchmarks.
    int ticks = 0;
    int paintsAtTick = paintsBefore;
    int mostPaintsBetweenTicks = 0;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, &m.t, [&] {
        ++ticks;
        mostPaintsBetweenTicks = std::max(mostPaintsBetweenTicks, m.t.ImagePaintCount() - paintsAtTick);
        paintsAtTick = m.t.ImagePaintCount();
    });
    ticker.start();
    feeder.start();
    QTRY_VERIFY_WITH_TIMEOUT(!feeder.isActive(), 600000);
    QCoreApplication::sendPostedEvents(&m.t);
    const int blocks = int((total + 4095) / 4096);
    QVERIFY(m.t.ImagePaintCount() - paintsBefore >= blocks);
    QVERIFY2(m.t.ScreenPaintCount() < blocks / 2, qPrintable(QString::number(m.t.ScreenPaintCount())));
    ticker.stop();
    // One block's paint, and at most one blink of the cursor or text besides it.
    QVERIFY2(mostPaintsBetweenTicks <= 2, qPrintable(QString::number(mostPaintsBetweenTicks)));
    QVERIFY2(ticks >= blocks, qPrintable(QStringLiteral("%1 ticks for %2 blocks").arg(ticks).arg(blocks)));

    TVtVT100EmulatorEx core;
    core.DisplayUpperASCII = true;
    core.Buffer().tbSetSVRowCount(500);
    core.Buffer().SetDefForeColor(kWhite);
    core.Buffer().SetDefBackColor(kBlue);
    core.Buffer().SetForeColor(kWhite);
    core.Buffer().SetBackColor(kBlue);
    core.ProcessBlock(stream);
    for (int row = 1; row <= 24; ++row)
        QCOMPARE(m.t.GetRowText(row), core.Buffer().GetRowText(row));
}

// The clipboard gets the selection as the screen shows it (Windows-1252), so that a copy pasted back
// gives the host the same bytes.
void TerminalWidgetTest::copyShowsHostBytesAsShown() {
    Term m;
    m.write("caf\xe9 \xa3 5\xb0");
    QTest::mousePress(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 1));
    QTest::mouseMove(m.t.viewport(), m.centre(1, 8));
    QTest::mouseRelease(m.t.viewport(), Qt::LeftButton, {}, m.centre(1, 8));
    QCOMPARE(m.t.GetSelectedText(), QByteArray("caf\xe9 \xa3 5\r\n"));
    m.t.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(u"caf\u00e9 \u00a3 5\r\n"));
    QCOMPARE(HostText::fromUnicode(QGuiApplication::clipboard()->text()), m.t.GetSelectedText());
}

void TerminalWidgetTest::dropsTakeTextOnly() {
    Term m;
    QSignalSpy dropped(&m.t, &TVtCustomTerminal::textDropped);
    const auto drop = [&m](QMimeData *data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m.t.viewport(), &enter);
        QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m.t.viewport(), &dropEvent);
        return enter.isAccepted();
    };
    QMimeData text;
    text.setText(QStringLiteral("LIST F\n"));
    QVERIFY(drop(&text));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().toString(), QStringLiteral("LIST F\n"));
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/report.txt"))});
    file.setText(QStringLiteral("/tmp/report.txt"));
    QVERIFY(!drop(&file));
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));
    QVERIFY(!drop(&image));
    QCOMPARE(dropped.count(), 1);
}

QTEST_MAIN(TerminalWidgetTest)
#include "TerminalWidgetTest.moc"
