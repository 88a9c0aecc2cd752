// The dialog's arithmetic: picture and preview coordinates in floating point, the numeric edit
// boxes, the hue offsets and the help topics.
#include "effects/dialog/EffectMath.h"

#include <gtest/gtest.h>

using namespace orva::effects;

TEST(EffectMath, CropAndBandConvertBothWaysWithoutDrift) {
    const TEdges crop{500, 250, 1500, 750};
    const TEdges band = ScaleEdges(crop, 2000, 1000, 400, 200);
    EXPECT_EQ(band, (TEdges{100, 50, 300, 150}));
    EXPECT_EQ(band.width(), 200);
    EXPECT_EQ(band.height(), 100);
    EXPECT_EQ(ScaleEdges(band, 400, 200, 2000, 1000), crop);
    // A window still being laid out (size 0) counts as one pixel instead of dividing by zero.
    EXPECT_EQ(ScaleEdges(crop, 2000, 1000, 0, 0), (TEdges{0, 0, 1, 1}));
    EXPECT_EQ(ScaleEdges(TEdges{0, 0, 7, 3}, 0, 0, 10, 10), (TEdges{0, 0, 70, 30}));
}

TEST(EffectMath, EdgesNormaliseAndClip) {
    EXPECT_EQ((TEdges{50, 60, 20, 30}).normalised(), (TEdges{20, 30, 50, 60}));
    EXPECT_EQ((TEdges{-5, -7, 900, 90}).clippedTo(640, 80), (TEdges{0, 0, 640, 80}));
    EXPECT_TRUE((TEdges{10, 10, 10, 20}).isEmpty());
}

TEST(EffectMath, IntegerBoxesClampAndReadLikeTheBar) {
    struct Case {
        const char *text;
        int value;
        const char *shown; // "" leaves the box as typed
    } cases[] = {{"300", 255, "255"}, {"", 0, "0"},  {"-", -1, "-1"},       {"abc", 0, "0"},
                 {"-20", -20, ""},    {"+7", 7, ""}, {"-999", -255, "-255"}};
    for (const Case &c : cases) {
        const TBoxValue v = IntegerBoxValue(QString::fromLatin1(c.text), -255, 255);
        EXPECT_EQ(v.Value, c.value) << c.text;
        EXPECT_EQ(v.Text, QString::fromLatin1(c.shown)) << c.text;
    }
    EXPECT_EQ(IntegerBoxValue(QStringLiteral("-"), 1, 100).Value, 1) << "clamped to the bar's range";
}

TEST(EffectMath, DecimalBoxesCountTenths) {
    EXPECT_EQ(DecimalBoxText(450), QStringLiteral("45.00"));
    EXPECT_EQ(DecimalBoxText(0), QStringLiteral("0.00"));
    EXPECT_EQ(DecimalBoxText(-15), QStringLiteral("-1.50"));
    EXPECT_EQ(DecimalBoxValue(QStringLiteral("12.34"), 0, 1800).Value, 123);
    EXPECT_TRUE(DecimalBoxValue(QStringLiteral("12.3"), 0, 1800).Text.isEmpty());
    EXPECT_EQ(DecimalBoxValue(QStringLiteral("999"), 0, 1800).Value, 1800);
    EXPECT_EQ(DecimalBoxValue(QStringLiteral("999"), 0, 1800).Text, QStringLiteral("180.00"));
    EXPECT_EQ(DecimalBoxValue(QStringLiteral("4,5"), 0, 1800).Value, 45);
    EXPECT_EQ(DecimalBoxValue(QString(), -1800, 1800).Value, 0);
}

TEST(EffectMath, KeysOfNumberBoxes) {
    const QChar comma(QLatin1Char(','));
    for (QChar c : QStringLiteral("0123456789+-,"))
        EXPECT_TRUE(IntegerBoxAccepts(c, comma)) << c.toLatin1();
    for (QChar c : QStringLiteral("a .e"))
        EXPECT_FALSE(IntegerBoxAccepts(c, comma)) << c.toLatin1();
    EXPECT_TRUE(DecimalBoxAccepts(QLatin1Char('.'), comma));
    EXPECT_FALSE(DecimalBoxAccepts(QLatin1Char('+'), comma));
}

TEST(EffectMath, HueOffsetsAndHelpTopics) {
    EXPECT_EQ(HueOffset(180, true), 0);
    EXPECT_EQ(HueOffset(60, false), 0);
    EXPECT_EQ(HueOffset(0, true), -180);
    EXPECT_EQ(PercentOffset(100), 0);
    struct Case {
        const char *tab, *topic;
    } cases[] = {{"Border Fade", "Border_Fade"},    {"Hue and Saturation", "Hue_and_Saturation"},
                 {"AutoContrast", "Auto_Contrast"}, {"HalfTone", "Half_Tone"},
                 {"Noisify", "Noise_Effect"},       {"Blur", "Blur"}};
    for (const Case &c : cases)
        EXPECT_EQ(HelpTopic(QString::fromLatin1(c.tab)), QString::fromLatin1(c.topic)) << c.tab;
}
