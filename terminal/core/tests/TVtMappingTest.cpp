#include "terminal/core/TVtCharSetMapping.h"
#include "terminal/core/TVtGlyphCodePage.h"
#include "terminal/core/TVtKeyboardMapping.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {
QByteArray lstr(const QByteArray &s) {
    return char(s.size()) + s;
}

QByteArray table(qint32 count, const QByteArray &records, const QByteArray &trailer = "AHT3") {
    QByteArray head("AHT3");
    char n[4];
    qToLittleEndian(count, n);
    return head + QByteArray(n, 4) + records + trailer;
}

std::vector<std::pair<QByteArray, QByteArray>> script(TVtCharSetMapping &map) {
    std::vector<std::pair<QByteArray, QByteArray>> out;
    QByteArray font, glyphs;
    while (map.GetNextDrawCommand(font, glyphs))
        out.emplace_back(font, glyphs);
    return out;
}
} // namespace

TEST(TVtKeyboardMapping, FirstEntryWinsAndNamesAreCut) {
    TVtKeyboardMapping map;
    EXPECT_TRUE(map.Add("VK_UP", "x"));
    EXPECT_FALSE(map.Add("VK_UP", "y"));
    EXPECT_EQ(map.Get("VK_UP"), "x");
    EXPECT_TRUE(map.Add(QByteArray(80, 'n'), QByteArray(80, 'v')));
    EXPECT_EQ(map.Get(QByteArray(63, 'n')), QByteArray(63, 'v'));
    EXPECT_EQ(map.Get("vk_up"), "");
}

TEST(TVtKeyboardMapping, LoaderRejectsDamagedTables) {
    const QByteArray one = lstr("a") + lstr("b");
    struct Case {
        const char *what;
        QByteArray data;
        int count;
    } cases[] = {
        {"one record", table(1, one), 1},
        {"wrong trailing magic", table(1, one, "AHT4"), 0},
        {"count beyond records", table(1000, one), 0},
        {"negative count", table(-1, one), 0},
        {"cut inside a string", table(1, one.left(3)), 0},
        {"wrong leading magic", "XHT3" + table(1, one).mid(4), 0},
        {"empty", QByteArray(), 0},
    };
    for (const Case &c : cases) {
        TVtKeyboardMapping map;
        map.Add("old", "entry");
        map.LoadFromBytes(c.data);
        EXPECT_EQ(map.Count(), c.count) << c.what;
    }
}

TEST(TVtKeyboardMapping, BuiltInTableHasThreeLayers) {
    TVtKeyboardMapping map;
    map.LoadFromRes("vtkeymap100");
    EXPECT_EQ(map.Count(), 221);
    struct Case {
        QByteArray name, value;
    } cases[] = {
        {"\\x5A", "VK_Z"},
        {"\\x5a", ""},
        {"\\x90", "VK_NUMLOCK"},
        {"\\x87", "VK_F24"},
        {"ctrl+VK_SPACE", "DEC_NULL"},
        {"VK_F12", "DEC_LF"},
        {"DEC_KP56", "\\eOu"},
        {"DEC_PF13", "\\eP"},
        {"DEC_KPE3", "\\x0D"},
        {"DEC_LEFT2", "\\eOD"},
        {"DEC_KP,4", "\\e?l"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(map.Get(c.name), c.value) << c.name.toStdString();
    TVtKeyboardMapping missing;
    missing.LoadFromRes("NoSuchTable");
    EXPECT_EQ(missing.Count(), 0);
}

TEST(TVtCharSetMapping, RangesAndDrawScripts) {
    TVtCharSetMapping map;
    map.LoadFromRes("VTCharSet100");
    EXPECT_EQ(map.Count(), 603);
    EXPECT_FALSE(map.Add("VT100-UK", 30, 40, "x", 0));
    EXPECT_EQ(map.Count(), 603);

    map.GenerateDrawScript("VT100-linedraw", "lqk");
    EXPECT_EQ(script(map), (std::vector<std::pair<QByteArray, QByteArray>>{{"Terminal", "\xda\xc4\xbf"}}));
    map.GenerateDrawScript("VT100-USASCII", "A\xe9");
    EXPECT_EQ(script(map),
              (std::vector<std::pair<QByteArray, QByteArray>>{{"<Default>", "A"}, {"Terminal", "\xe9"}}));
    map.GenerateDrawScript("VT100-UK", "a#");
    EXPECT_EQ(script(map), (std::vector<std::pair<QByteArray, QByteArray>>{{"<Default>", "a\xa3"}}));
    map.GenerateDrawScript("no such set", "z");
    EXPECT_EQ(script(map), (std::vector<std::pair<QByteArray, QByteArray>>{{"<Default>", "z"}}));

    QStringList fonts;
    map.GetFontNames(fonts);
    fonts.sort();
    EXPECT_EQ(fonts, (QStringList{"<Default>", "Terminal"}));
    map.LoadFromRes("VT100CharSet_LUCON");
    map.GetFontNames(fonts);
    EXPECT_TRUE(fonts.contains("OrvaVT Lucida"));
}

TEST(TVtGlyphCodePage, GlyphsBecomeUnicodeByFont) {
    struct Case {
        QByteArray font, glyphs;
        QString text;
    } cases[] = {
        {"Terminal", "\xda\xc4\xbf", QString::fromUtf16(u"\u250C\u2500\u2510")},
        {"OrvaVT Lucida", "\xe9", QString::fromUtf16(u"\u0398")},
        {"Terminal", "\x04\x10\x17\x7f", QString::fromUtf16(u"\u2666\u25BA\u21A8\u2302")},
        {"<Default>", "\xa3\xe9\x80", QString::fromUtf16(u"\u00A3\u00E9\u20AC")},
        {"<Default>", "\x81\x8d\x8f\x90\x9d", QString::fromUtf16(u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GlyphsToUnicode(c.font, c.glyphs), c.text) << c.glyphs.toHex().toStdString();
}
