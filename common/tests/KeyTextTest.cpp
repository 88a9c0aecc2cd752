// Key texts: the "#$nnn" escapes, the readable form both ways, and the swap intercept lines.
#include "common/KeyText.h"
#include "common/SwapIntercepts.h"

#include <gtest/gtest.h>

using namespace KeyText;

namespace {

QByteArray B(const char *s, size_t n) {
    return QByteArray(s, qsizetype(n));
}
#define BYTES(lit) B(lit, sizeof(lit) - 1)

TEST(KeyText, Decode) {
    const struct {
        QByteArray in;
        QByteArray want;
    } rows[] = {
        {"plain text", "plain text"},
        {"#$000", "{null}"},
        {"#$0001", BYTES("\0"
                         "1")},
        {"#$1x3", "?"},
        {"ab#$013", "ab\r"},
        {"#$027[A", "\x1B[A"},
        {"#$255#$128", "\xFF\x80"},
        {"#$256", "?"},         // a code above 255 is not cut to another byte
        {"#$999z", "?z"},       // the same
        {"#$+12", "?"},         // a sign is not a digit
        {"#$ 12", "?"},         // nor a blank
        {"ab#$1", "ab?"},       // fewer than three characters at the end
        {"#$", "?"},            // the marker alone
        {"#$035$065", "#$065"}, // a decoded byte never starts a marker again
        {"a#$000b", BYTES("a\0b")},
        {"#$000#$000", BYTES("\0\0")},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(DecodeKeyText(r.in), r.want) << r.in.constData();
    }
}

TEST(KeyText, BytesToSend) {
    EXPECT_EQ(BytesToSend("{null}"), BYTES("\0"));
    EXPECT_EQ(BytesToSend("{NULL}"), BYTES("\0"));
    EXPECT_EQ(BytesToSend("{null}x"), "{null}x");
    EXPECT_EQ(BytesToSend(DecodeKeyText("#$000")).size(), 1);
}

TEST(KeyText, Readable) {
    const struct {
        QByteArray keyText;
        QByteArray readable;
    } rows[] = {
        {"#$027[A", "<ESC>[A"},
        {"#$008", "<DEL>"},
        {"#$200", "<200>"},
        {"#$127", "<127>"},
        {"a#$009b#$010#$013", "a<TAB>b<LF><CR>"},
        {"x#$000", "x<NULL>"},
        {"#$000", "{null}"},
        {"C+F5", "Ctrl+F5"},
        {"S+C+F5", "Shift+Ctrl+F5"},
        {"A+x", "Alt+x"},
        {"c+F5", "c+F5"},    // only the upper-case letters are modifiers here
        {"1<2", "1<60>2"},   // a "<" of the text cannot be taken for a tag on the way back
        {"#$035$", "<35>$"}, // nor a "#$" for an escape
    };
    for (const auto &r : rows) {
        EXPECT_EQ(swapasciiReadable(r.keyText), r.readable) << r.keyText.constData();
    }
}

TEST(KeyText, FromReadable) {
    const struct {
        QByteArray readable;
        QByteArray keyText;
    } rows[] = {
        {"<ESC>[A<200>", "#$027[A#$200"},
        {"Ctrl+F5", "C+F5"},
        {"shift+alt+F2", "S+A+F2"},
        {"<Ctrl>+<SHIFT>+x", "C+S+x"},
        {"<NULL><DEL><TAB><LF><CR><ESC>", "#$000#$008#$009#$010#$013#$027"},
        {"<esc>", "#$027"},
        {"<7><07><007>", "#$007#$007#$007"},
        {"<300>", "?"},  // no escape for a code above 255
        {"<1234>", "?"}, // nor a longer number
        {"a<b", "a<b"},  // an unterminated "<" stays as written
        {"a<<ESC>", "a<#$027"},
        {"<unknown>x", "x"}, // unknown tags are dropped
        {"<>", ""},
        {"tab\there", "tab#$009here"},
        {"\xE9\x7F", "#$233#$127"},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(swapreadableASCII(r.readable), r.keyText) << r.readable.constData();
    }
}

TEST(KeyText, ReadableRoundTripKeepsEveryByte) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        all += char(b);
    }
    QByteArray keyText;
    for (char c : all) {
        keyText += "#$" + QByteArray::number(static_cast<unsigned char>(c)).rightJustified(3, '0');
    }
    EXPECT_EQ(DecodeKeyText(swapreadableASCII(swapasciiReadable(keyText))), all);
    // A NUL alone comes back as the null token, which sends the same one byte.
    for (const QByteArray &nul : {QByteArray(1, '\0'), QByteArray("#$000")})
        EXPECT_EQ(BytesToSend(DecodeKeyText(swapreadableASCII(swapasciiReadable(nul)))), QByteArray(1, '\0'));
}

TEST(SwapIntercepts, ParseLines) {
    const struct {
        const char *key;
        QByteArray value;
        TSwapIntercept want;
    } rows[] = {
        {"COLOUR-1", "31:34", {"\x1B[31m", "\x1B[34m"}},
        {"COLOUR-a", "34:36", {"\x1B[34m", "\x1B[36m"}},
        {"SWAP-1", " abc : xyz ", {"abc", "xyz"}},
        {"SWAP-lbl", "lbl//27,91,51,52,109:27,91,51,54,109", {"\x1B[34m", "\x1B[36m"}},
        {"SWAP-2", "label//27,91,0,300:7 1234", {"\x1B[", "\x07?1234?"}},
        {"SWAP-x", "//0,300:65", {"", "A"}},
        {"SWAP-y", "//1234:", {"?1234?", ""}},
        {"swap-3", "a//:b", {"", ""}},
        {"SWAP-4", "plain", {"plain", ""}},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(SwapIntercepts::parse(r.key, r.value), r.want) << r.key;
    }
}

TEST(SwapIntercepts, Apply) {
    const QList<TSwapIntercept> colour = {SwapIntercepts::parse("COLOUR-a", "34:36")};
    EXPECT_EQ(SwapIntercepts::apply(colour, "a\x1B[34mb\x1B[34m"), "a\x1B[36mb\x1B[36m");
    EXPECT_EQ(SwapIntercepts::apply({{"", "x"}, {"aa", "a"}}, "aaaa"), "aa")
        << "no rescanning, empty skipped";
    EXPECT_EQ(SwapIntercepts::apply({SwapIntercepts::parse("SWAP-x", "//0,300:65")}, "abc"), "abc")
        << "an empty pattern never matches";
}

} // namespace
