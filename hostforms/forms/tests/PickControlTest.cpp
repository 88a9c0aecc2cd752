// Reading definitions, font definitions, colour numbers, variables in values and placement.
#include "hostforms/forms/PickControl.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

QList<QByteArray> fields(std::initializer_list<std::pair<int, QByteArray>> given, int count = 16) {
    QList<QByteArray> f(count + 1);
    for (const auto &[i, v] : given) {
        if (i >= f.size()) {
            f.resize(i + 1);
        }
        f[i] = v;
    }
    return f;
}

TEST(ParsePickControl, ErrorsNameTheFieldAndStopReading) {
    struct Case {
        int field;
        QByteArray value;
        QByteArray error;
    };
    const QList<Case> cases = {
        {4, "abc", "E013 - Error in Object Definition at Left. 'abc' is not a valid integer value"},
        {5, " 1 2", "E013 - Error in Object Definition at Top. '1 2' is not a valid integer value"},
        {6, "0x10", "E013 - Error in Object Definition at Width. '0x10' is not a valid integer value"},
        {7, "1e3", "E013 - Error in Object Definition at Height. '1e3' is not a valid integer value"},
        {8, "+", "E013 - Error in Object Definition at Tab Order. '+' is not a valid integer value"},
        {4, "", ""},
        {4, "-20", ""},
        {6, "99999999999", ""},
    };
    for (const Case &c : cases) {
        TPickControl d;
        EXPECT_EQ(PickControl::ParsePickControl(fields({{c.field, c.value}, {10, "client"}}), d), c.error)
            << c.value.constData();
        if (c.error.isEmpty()) {
            EXPECT_EQ(d.Align, HostProtocol::Align::Client);
        } else {
            EXPECT_EQ(d.Align, HostProtocol::Align::None) << "reading stopped at the failing field";
        }
    }
    TPickControl d;
    PickControl::ParsePickControl(fields({{6, "99999999999"}}), d);
    EXPECT_EQ(d.Width, 32767) << "geometry is clamped";
}

TEST(ParsePickControl, FieldsAndMask) {
    TPickControl d;
    const QList<QByteArray> f = fields({{1, " ED1 "},
                                        {9, "abcY"},
                                        {11, "Centre"},
                                        {12, "WS.Lbl"},
                                        {13, "Bold Italic"},
                                        {14, " WS.P "},
                                        {15, "Top,Right"},
                                        {16, "Click,KeyUp"},
                                        {17, " Keep "},
                                        {24, "hint"},
                                        {25, "10]20]x]y"}},
                                       26);
    ASSERT_EQ(PickControl::ParsePickControl(f, d), QByteArray());
    EXPECT_EQ(d.field(1), "ed1");
    EXPECT_EQ(d.Colour, -1);
    EXPECT_TRUE(d.ParentColourFlag) << "compared after lower-casing";
    EXPECT_EQ(d.Alignment, 2);
    EXPECT_EQ(d.Layout, 1);
    EXPECT_EQ(d.FontSource, "ws.lbl");
    EXPECT_TRUE(d.Bold && d.Italic && !d.Underline);
    EXPECT_EQ(d.Parent, "ws.p");
    EXPECT_EQ(d.Anchors, unsigned(HostProtocol::AnchorTop | HostProtocol::AnchorRight));
    EXPECT_EQ(d.Events, ",click,keyup,");
    EXPECT_EQ(d.Value, " Keep ");
    EXPECT_EQ(d.TextOut, "hint");
    EXPECT_TRUE(d.HasPosition);
    EXPECT_EQ(d.PositionX, 10);
    EXPECT_EQ(d.PositionY, 20);
    EXPECT_EQ(d.PositionText, "x]y");
    const uint32_t expected = (1u << 1) | (1u << 9) | (1u << 11) | (1u << 12) | (1u << 13) | (1u << 14) |
                              (1u << 15) | (1u << 16) | (1u << 17) | (1u << 24) | (1u << 25);
    EXPECT_EQ(d.PresenceMask, expected);
}

TEST(ParsePickControl, PositionTextNeverFailsTheRequest) {
    const QList<QByteArray> texts = {"item 8", "a]b]c", "1]x]t", "]]", "5", "1]2"};
    for (const QByteArray &t : texts) {
        TPickControl d;
        EXPECT_EQ(PickControl::ParsePickControl(fields({{25, t}}, 25), d), QByteArray()) << t.constData();
        EXPECT_EQ(d.HasPosition, t == "1]2") << t.constData();
    }
}

TEST(FontDefinition, BothSeparatorsGiveTheSameFont) {
    QByteArray a = "]]]12]]]]]]]fixed]]bold,underline]]]]arial";
    QByteArray b = a;
    b.replace(']', '\xFD');
    QFont fa, fb;
    std::optional<QColor> ca, cb;
    TPickControl da, db;
    ASSERT_EQ(PickControl::ParseFontDefinition(a, da), QByteArray());
    ASSERT_EQ(PickControl::ParseFontDefinition(b, db), QByteArray());
    EXPECT_EQ(da.ObjectType, HostProtocol::PickType::FontDefinition);
    PickControl::applyFontDefinition(da, fa, ca);
    PickControl::applyFontDefinition(db, fb, cb);
    EXPECT_EQ(fa, fb);
    EXPECT_EQ(fa.pointSize(), 12);
    EXPECT_EQ(fa.families().value(0), "arial");
    EXPECT_TRUE(fa.bold());
    EXPECT_TRUE(fa.underline());
    EXPECT_TRUE(fa.fixedPitch()) << "pitch applies when its own position is given";

    // A query's font text (positions 4, 5, 11, 13, 17) read back keeps style without position 11.
    TPickControl dq;
    PickControl::ParseFontDefinition("]]]10]]]]]]]]]italic,]]]]x", dq);
    QFont fq;
    PickControl::applyFontDefinition(dq, fq, ca);
    EXPECT_TRUE(fq.italic());

    TPickControl bad;
    EXPECT_EQ(PickControl::ParseFontDefinition("]]]big]", bad),
              "E013 - Error in Object Definition at Left. 'big' is not a valid integer value");
}

TEST(Colours, WindowsColourNumbers) {
    int argc = 1;
    char name[] = "t";
    char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    struct Case {
        qint64 number;
        std::optional<QColor> colour;
    };
    const QList<Case> cases = {
        {255, QColor(255, 0, 0)},
        {16711680, QColor(0, 0, 255)},
        {0x00336699, QColor(0x99, 0x66, 0x33)},
        {-2147483643, QGuiApplication::palette().color(QPalette::Base)},
        {0x80000005LL, QGuiApplication::palette().color(QPalette::Base)},
        {0x1000000, std::nullopt},
        {-5, std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PickControl::colourFromNumber(c.number), c.colour) << c.number;
    }
}

TEST(Values, EnvironmentVariablesAndPaths) {
    qputenv("ORVA_TEST_DIR", "/tmp/x");
    qunsetenv("ORVA_TEST_UNSET");
    struct Case {
        QByteArray in, out;
    };
    const QList<Case> cases = {
        {"%ORVA_TEST_DIR%/a.png", "/tmp/x/a.png"},
        {"%ORVA_TEST_UNSET%/a.png", "%ORVA_TEST_UNSET%/a.png"},
        {"%ORVA_TEST_DIR%%ORVA_TEST_DIR%", "%ORVA_TEST_DIR%%ORVA_TEST_DIR%"},
        {"50% off", "50% off"},
        {"%%", "%%"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(PickControl::substituteEnvironment(c.in), c.out) << c.in.constData();
    }
    EXPECT_TRUE(PickControl::looksLikeFilePath("\\\\srv\\share\\a.txt"));
    EXPECT_TRUE(PickControl::looksLikeFilePath("C:\\a.txt"));
    EXPECT_TRUE(PickControl::looksLikeFilePath("/tmp/a.txt"));
    EXPECT_FALSE(PickControl::looksLikeFilePath("hello world"));
    EXPECT_FALSE(PickControl::looksLikeFilePath("text with C:\\ later"));
}

TEST(Values, LabelPlacement) {
    const QSize label(40, 13);
    EXPECT_EQ(PickControl::labelPlacement({10, 20}, label, 0, 3), QPoint(10, 37));
    EXPECT_EQ(PickControl::labelPlacement({10, 20}, label, 1, 3), QPoint(10, 3));
    EXPECT_EQ(PickControl::labelPlacement({10, 20}, label, 2, 3), QPoint(53, 20));
    EXPECT_EQ(PickControl::labelPlacement({10, 20}, label, 3, 3), QPoint(-33, 20));
}

} // namespace
