// Exact outbound bytes, the user-text encoder, value texts, keyword readings and the presence mask.
#include "hostforms/protocol/HostProtocol.h"
#include "common/testing/FakeHostLink.h"

#include <gtest/gtest.h>
#include <limits>

using namespace HostProtocol;

namespace {

QByteArray B(const char *s, size_t n) {
    return QByteArray(s, qsizetype(n));
}
#define BYTES(lit) B(lit, sizeof(lit) - 1)

TEST(HostMessages, ExactBytes) {
    const struct {
        const char *name;
        QByteArray got;
        QByteArray want;
    } cases[] = {
        {"empty request", frame(requestError(componentName(99), E001())),
         BYTES("\x9F"
               "Command Parser\x03"
               "99\x03\x03"
               "E001-Empty Object Request\x03\x9B")},
        {"enter", frame(enterEvent("ed1")),
         BYTES("\x9F"
               "ed1\x03"
               "55\x9B")},
        {"E003", E003(9), "E003 - Request Type \"9\" is unknown."},
        {"E002", E002("X"), "E002 - Request Type \"X\" should be an number value."},
        {"click", clickEvent("b1", "ws", editValue("hi")),
         BYTES("b1\x03"
               "50\x03ws\x03hi")},
        {"key down", keyDownEvent("e", "w", 65, ShiftKey | CtrlKey, editValue("v")),
         BYTES("e\x03"
               "52\x03w\x03"
               "65\x03shift,ctrl,\x03v\x03"
               "65")},
        {"mouse down", mouseDownEvent("i", "w", MouseButton::Left, ShiftKey | CtrlKey | LeftButton, 3, 4, {}),
         BYTES("i\x03"
               "56\x03w\x03left\x03shift,ctrl,left,\x03"
               "3\x03"
               "4\x03")},
        {"end drag", endDragEvent("a", "w", "t", 1, 2, editValue("v")),
         BYTES("a\x03"
               "60\x03w\x03t\x03"
               "1\x03"
               "2v")},
        {"grid change", gridChangeEvent("g", "w", 5, 20, 1, trustedValue("d")),
         BYTES("g\x03"
               "58\x03w\x03"
               "5,20:1\x03"
               "d")},
        {"close query", closeQueryEvent("f", "w"),
         BYTES("f\x03"
               "70\x03w\x03")},
        {"created", createdEvent("c", "w", 14),
         BYTES("c\x03"
               "91\x03w\x03"
               "14\x03")},
        {"query reply", queryReply("ws.ed", {trustedValue("10"), editValue("a")}),
         BYTES("ws.ed\x03"
               "92\x03\x03"
               "10\x03"
               "a\x03\x03")},
        {"result save", resultSave("r", "w", {"l1", "l2"}),
         BYTES("r\x03"
               "94\x03w\x03l1\xFDl2")},
        {"object error", objectError("o", "w", notFound("ws.o")),
         BYTES("o\x03"
               "99\x03w\x03"
               "ERROR - Object ws.o not found.\x03")},
        {"menu pick", menuPick("m", "File", "Open"),
         BYTES("m\x03"
               "8\x03"
               "File\x03Open")},
        {"E021 line breaks", E021("a\r\nb"), "E021 - Error performing operation: a  b"},
        {"E125 no name", E125NoName(), "E125 - Object Rename Error: \"New name not specified.\""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.got.toHex(' '), c.want.toHex(' ')) << c.name;
    }
}

TEST(HostMessages, UserTextCannotBreakFrameOrFields) {
    // Every value made from user text goes through the one encoder (its cases are in common's tests).
    EXPECT_EQ(editValue(BYTES("x\x9By\x9F\x03\xFD")).bytes(), "x?y??y");
    // Separators the layout defines are kept; the user's own are not.
    EXPECT_EQ(listBoxValue({"x", "y"}).bytes(), BYTES("x\xFDy\xFD"));
    EXPECT_EQ(listBoxValue({BYTES("a\xFD"
                                  "b")})
                  .bytes(),
              BYTES("ayb\xFD"));
    EXPECT_EQ(comboValue("abc", {"x"}).bytes(), BYTES("abc\x03-1"));
    EXPECT_EQ(comboValue("y", {"x", "y"}).bytes(), BYTES("y\x03"
                                                         "1"));
    EXPECT_EQ(comboValue(BYTES("a\x03"
                               "0"),
                         {})
                  .bytes(),
              BYTES("a?0\x03-1"));
    EXPECT_EQ(checkValue(true).bytes(), "1");
    EXPECT_EQ(checkValue(false).bytes(), "0");
    EXPECT_EQ(gridValue(3, 2, {"a", BYTES("b\x9B")}, true).bytes(), BYTES("3,2\x03"
                                                                          "a\x03"
                                                                          "b?\x03"));
    EXPECT_EQ(gridValue(3, 2, {"c"}, false).bytes(), BYTES("3,2\x03"
                                                           "c"));
    EXPECT_EQ(resultSave("r", "w", {BYTES("a\x9F")}), BYTES("r\x03"
                                                            "94\x03w\x03"
                                                            "a?"));
    EXPECT_EQ(E020("n", BYTES("bad\x03")),
              "E020 - Object Creation Error. n was not created. Error Raised:bad?");
}

TEST(HostMessages, KeyPressCharacter) {
    const struct {
        char c;
        QByteArray field;
    } cases[] = {{'a', "a"},       {'\x08', "\x08"}, {'\t', "\t"},  {'\r', "\r"},
                 {'\x1B', "\x1B"}, {'\x03', "?"},    {'\x9B', "?"}, {'\x01', "?"}};
    for (const auto &c : cases) {
        EXPECT_EQ(keyPressEvent("e", "w", c.c, editValue("v")), "e\x03"
                                                                "51\x03w\x03" +
                                                                    c.field + "\x03v")
            << int(c.c);
    }
}

TEST(HostMessages, ShiftWordsInOrder) {
    EXPECT_EQ(shiftWords(0), "");
    EXPECT_EQ(shiftWords(ShiftKey | CtrlKey | LeftButton), "shift,ctrl,left,");
    EXPECT_EQ(shiftWords(DoubleClick | MiddleButton | RightButton | AltKey), "alt,right,middle,double,");
}

TEST(HostMessages, NothingWrittenWhileLinkIsDown) {
    for (LinkState state : {LinkState::Closed, LinkState::Connecting, LinkState::Other}) {
        FakeHostLink link(state);
        EXPECT_FALSE(sendFramed(&link, enterEvent("x")));
        EXPECT_TRUE(link.sends.isEmpty()) << int(state);
    }
    FakeHostLink link;
    EXPECT_TRUE(sendFramed(&link, enterEvent("x")));
    ASSERT_EQ(link.sends.size(), 1);
    EXPECT_EQ(link.sends[0], BYTES("\x9Fx\x03"
                                   "55\x9B"));
    EXPECT_FALSE(sendFramed(nullptr, "x"));
}

TEST(HostKeywords, EventListIsStoredBetweenCommas) {
    EXPECT_EQ(eventList(" DoubleClick "), ",doubleclick,");
}

TEST(HostKeywords, FieldReadings) {
    EXPECT_EQ(readAlign("Client"), Align::Client);
    EXPECT_EQ(readAlign("none"), Align::None);
    EXPECT_FALSE(readAlign("clientx").has_value());
    const AlignmentWords right = readAlignment("RIGHT");
    EXPECT_EQ(right.TextAlignment, 1);
    EXPECT_EQ(right.LabelPosition, 3);
    EXPECT_EQ(readAlignment("centre").Layout, 1);
    EXPECT_EQ(readAlignment("fixed").Pitch, 2);
    EXPECT_EQ(readAlignment("spacer").Bevel, 6);
    EXPECT_EQ(readAlignment("").Bevel, 0);
    const StyleWords s = readObjectStyle("bold italic");
    EXPECT_TRUE(s.Bold);
    EXPECT_TRUE(s.Italic);
    EXPECT_FALSE(s.Underline);
    EXPECT_FALSE(s.FormBorder.has_value());
    EXPECT_EQ(readObjectStyle("dropdownlist").ComboStyle, 2);
    EXPECT_EQ(readObjectStyle("sizetoolwin").FormBorder, 5);
    EXPECT_EQ(readObjectStyle("single").PanelBorder, 1);
    EXPECT_EQ(readObjectStyle("centre").Layout, 1);
    EXPECT_EQ(readAnchors("Top,Right"), unsigned(AnchorTop | AnchorRight));
    EXPECT_EQ(readAnchors(""), 0u);
    EXPECT_EQ(keywordTable().size(), 62);
    EXPECT_EQ(matchKeywords(16, ",click,doubleclick,"), (QList<int>{44, 53}));
}

TEST(HostRequest, WholeNumbers) {
    const struct {
        QByteArray text;
        std::optional<qint64> want;
    } rows[] = {{"12", 12},
                {" -7 ", -7},
                {"+3", 3},
                {"9223372036854775807", std::numeric_limits<qint64>::max()},
                {"9223372036854775808", std::nullopt},
                {"99999999999999999999999", std::nullopt},
                {"", std::nullopt},
                {"-", std::nullopt},
                {"1.5", std::nullopt},
                {"0x10", std::nullopt},
                {"1e3", std::nullopt},
                {"clRed", std::nullopt}};
    for (const auto &r : rows) {
        EXPECT_EQ(readInteger(r.text), r.want) << r.text.constData();
    }
    EXPECT_EQ(clampGeometry(100000000000LL), 32767);
    EXPECT_EQ(clampGeometry(-100000000000LL), -32768);
    EXPECT_EQ(clampGeometry(640), 640);
    TObjectRequest r;
    ASSERT_EQ(r.Parse("n\x03"
                      "1\x03"
                      "14"),
              "OK");
    EXPECT_EQ(objectType(r), 14);
    ASSERT_EQ(r.Parse("n\x03"
                      "1\x03"
                      "box"),
              "OK");
    EXPECT_EQ(objectType(r), -1);
}

TEST(HostRequest, PresenceMaskAndFieldRules) {
    TObjectRequest r;
    ASSERT_EQ(r.Parse("a\x03"
                      "1\x03\x03"),
              "OK");
    EXPECT_EQ(r.fieldCount(), 3);
    EXPECT_EQ(presenceMask(r), uint32_t((1u << 1) | (1u << 2)));

    QByteArray text = "Ws.Ed\x03"
                      "6";
    for (int i = 3; i <= 40; ++i) {
        text += '\x03';
        text += i == 9 ? QByteArray("   ") : QByteArray::number(i);
    }
    ASSERT_EQ(r.Parse(text), "OK");
    const uint32_t mask = presenceMask(r);
    EXPECT_FALSE(mask & (1u << 9)) << "blanks-only field counts as absent";
    EXPECT_TRUE(mask & (1u << 31));
    EXPECT_EQ(r.field(40), "40") << "fields after the 31st stay in the request";
    EXPECT_EQ(definitionField(r, 1), "ws.ed");
    EXPECT_EQ(renamedName("my.new-name (2)!"), "mynewname2");
    EXPECT_EQ(componentName(5), "Object Controler");
    EXPECT_EQ(componentName(42), "Command Parser");
    EXPECT_EQ(definitionFieldName(9), "Colour");
    EXPECT_EQ(definitionFieldName(24), "Text_OUT");
}

} // namespace
