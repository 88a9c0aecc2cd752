// Host conversion masks, as the result-entry control shows result values with them.
#include "common/d3FormatUnit.h"

#include <QLocale>
#include <gtest/gtest.h>

using d3FormatUnit::FormatD3Mask;

TEST(FormatD3Mask, JustifiesFillsAndAppliesOptions) {
    struct Case {
        const char *mask;
        const char *value;
        const char *want;
    } cases[] = {
        {"r(%5)", "12", "00012"},
        {"l(#5)", "12", "12   "},
        {"r(*5)", "12", "***12"},
        {"r2(#8)", "12.5", "   12.50"},
        {"l2(#8)", "12.5", "12.50   "},
        {"rc(#4)", "-3", "  -3CR"},
        {"rc(#4)", "3", "   3  "},
        {"rd(#4)", "5", "   5DB"},
        {"rd(#4)", "-5", "  -5  "},
        {"rm(#4)", "-3", "   3-"},
        {"rn(#4)", "-3", "   3"},
        {"re(#4)", "7", "<   7>"},
        {"d(#3)", "7", "  7"},
        {"l(#3)", "12345", "123"},
        {"r(#3)", "12345", "345"},
        {" R(%5) ", "12", "00012"},
        {"r23(#8)", "12340", "  411.33"}, // the host's scaling digit counts
                                          // tens
        {"r2z(#6)", "1", "  1.00"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FormatD3Mask(c.mask, c.value), c.want) << c.mask << " on " << c.value;
    }
}

TEST(FormatD3Mask, UnusableMasksLeaveTheValue) {
    struct Case {
        const char *mask;
        const char *value;
    } cases[] = {
        {"r(&5)", "12"},  {"x(#5)", "12"},        {"r(#a)", "12"},   {"r()", "12"},
        {"(#5)", "12"},   {"r#5", "12"},          {"l2(#5)", "abc"}, {"r2(#5)", "1e5"},
        {"r(%-5)", "12"}, {"r(%99999999)", "12"}, {"r2(#5)", "1,5"}, {"r20(#8)", "12"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FormatD3Mask(c.mask, c.value), QByteArray(c.value)) << c.mask << " on " << c.value;
    }
    EXPECT_EQ(FormatD3Mask("r(%5)", ""), "");
}

TEST(FormatD3Mask, NumbersIgnoreTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatD3Mask("r2(#8)", "12.5"), "   12.50");
    QLocale::setDefault(saved);
}
