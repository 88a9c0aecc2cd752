// Byte-string helpers: markers, fields and replacement, including the empty-marker rules the
// report parser's loops rely on.
#include "common/GDStringManip.h"
#include "common/HostText.h"

#include <gtest/gtest.h>

using namespace GDStringManip;

TEST(StringManip, MarkersCutTheText) {
    EXPECT_EQ(TextAfter("a=b=c", "="), "b=c");
    EXPECT_EQ(TextBefore("a=b=c", "="), "a");
    EXPECT_EQ(TextBefore("abc", "x"), "abc");
    EXPECT_EQ(TextAfter("abc", "x"), "");
    EXPECT_EQ(TextBetween("x[ab]y", "[", "]"), "ab");
    EXPECT_EQ(TextBetween("x[aby", "[", "]"), "aby");
    EXPECT_EQ(TextBetween("xaby", "[", "]"), "");
    // An empty marker is never found.
    EXPECT_EQ(TextBefore("abc", ""), "abc");
    EXPECT_EQ(TextAfter("abc", ""), "");
    EXPECT_EQ(TextBetween("abc", "", "b"), "");
}

TEST(StringManip, CountAndReplaceDoNotOverlapOrRescan) {
    EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2);
    EXPECT_EQ(CountOccurrences("aaa", "aa"), 1);
    EXPECT_EQ(CountOccurrences("abc", ""), 0);
    EXPECT_EQ(ReplaceText("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceText("abab", "ab", "abab"), "abababab");
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceText("", "a", "x"), "");
}

TEST(StringManip, FieldsAreOneBased) {
    struct Case {
        const char *text;
        char delim;
        int n;
        const char *want;
    } cases[] = {
        {"a,b,,d", ',', 1, "a"}, {"a,b,,d", ',', 2, "b"}, {"a,b,,d", ',', 3, ""},  {"a,b,,d", ',', 4, "d"},
        {"a,b,,d", ',', 5, ""},  {"a,b,,d", ',', 0, ""},  {"a,b,,d", ',', -1, ""}, {"", ',', 1, ""},
        {"abc", ',', 1, "abc"},  {"abc", ',', 2, ""},     {"a,b", '\0', 1, ""},    {",", ',', 2, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ExtractField(c.text, c.delim, c.n), c.want) << c.text << " field " << c.n;
    }
}

TEST(StringManip, RemovesCharactersKeepingBytes) {
    EXPECT_EQ(RemoveChar(QByteArray("a\x9f"
                                    "b\x9f",
                                    4),
                         '\x9f'),
              "ab");
    EXPECT_EQ(RemoveChars("a-b c", "- "), "abc");
    EXPECT_EQ(RemoveChars("", "x"), "");
    EXPECT_EQ(RemoveChar(QByteArray("a\0b", 3), '\0'), "ab");
}

TEST(HostTextTable, Windows1252BothWays) {
    EXPECT_EQ(HostText::toUnicode("\x80\x9f\xe9"), QString::fromUtf8("\u20ac\u0178\u00e9"));
    EXPECT_EQ(HostText::cp1252ToUnicode(0x81), u'\xfffd');
    EXPECT_EQ(HostText::fromUnicode(QString::fromUtf8("\u20ac\u00e9\u4e00")), "\x80\xe9?");
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x81 && b != 0x8d && b != 0x8f && b != 0x90 && b != 0x9d) {
            all += char(b);
        }
    }
    EXPECT_EQ(HostText::fromUnicode(HostText::toUnicode(all)), all);
}
