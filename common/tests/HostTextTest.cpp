// The encoder of user text: nothing the user types can end a host-form frame, split a field or a
// value list, or reach the host as a control character.
#include "common/HostText.h"

#include <gtest/gtest.h>

namespace {

TEST(HostText, UserTextCannotBreakFrameOrFields) {
    const struct {
        const char *name;
        QByteArray in;
        QByteArray out;
    } cases[] = {
        {"field separator",
         QByteArrayLiteral("a\x03"
                           "b"),
         "a?b"},
        {"frame bytes", QByteArrayLiteral("x\x9By\x9Fz"), "x?y?z"},
        {"C0 controls", QByteArrayLiteral("\x00\x01\x1F\r\n\t"), "??????"},
        {"value marks", QByteArrayLiteral("\xFC\xFD"), "uy"},
        {"other high bytes kept", QByteArrayLiteral("\xE9t\xE9 ~\x7F\xA0"),
         QByteArrayLiteral("\xE9t\xE9 ~\x7F\xA0")},
        {"empty", QByteArray(), QByteArray()},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(HostText::userText(c.in).toHex(' '), c.out.toHex(' ')) << c.name;
    }
}

} // namespace
