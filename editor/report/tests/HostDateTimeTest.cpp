// Host date-time texts both ways, the status codes of dictation item types, the editor's call-out,
// and the return text and short requests the editor sends.
#include "editor/report/HostDateTime.h"
#include "common/GDFileManip.h"
#include "editor/report/EditorAudioStatus.h"
#include "editor/report/HostRequests.h"

#include <QDate>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QByteArray hostText(int day, int second) {
    return QByteArray::number(day).rightJustified(5, '0') + QByteArray::number(second).rightJustified(5, '0');
}

QDate dateOf(double dateTime) {
    return QDate(1899, 12, 30).addDays(qint64(std::floor(dateTime)));
}

int hostDay(QDate date) {
    return int(QDate(1967, 12, 31).daysTo(date));
}

TEST(HostDateTime, KnownTexts) {
    const struct {
        const char *text;
        double value;
    } cases[] = {
        {"0000100000", 24838.0},                                          // 1 January 1968, midnight
        {"0000043200", 24837.5},                                          // 31 December 1967, noon
        {"1168900000", 36526.0},                                          // 1 January 2000
        {"-000100000", 24836.0},                                          // a sign in the day digits is read
        {"00001abcde", kNoHostDateTime},                                  // seconds not a number
        {"abcde00000", kNoHostDateTime}, {"12", kNoHostDateTime},         // no second digits at all
        {"", kNoHostDateTime},           {" 000100000", kNoHostDateTime}, // a blank is not a digit
        {"00001000001234", 24838.0},                                      // only ten characters count
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(HostDateTimeToDateTime(c.text), c.value) << c.text;
    EXPECT_EQ(DateTimeToHostDateTime(36526.0), "1168900000");
    EXPECT_EQ(DateTimeToHostDateTime(24837.5), "0000043200");
}

TEST(HostDateTime, EveryDayRoundTrips) {
    EXPECT_EQ(dateOf(HostDateTimeToDateTime(hostText(0, 0))), QDate(1967, 12, 31));
    EXPECT_EQ(dateOf(HostDateTimeToDateTime(hostText(99999, 0))), QDate(2241, 10, 14));
    for (int day = 0; day <= 99999; ++day) {
        for (int second : {0, 1, 43200, 86399}) {
            const QByteArray text = hostText(day, second);
            ASSERT_EQ(DateTimeToHostDateTime(HostDateTimeToDateTime(text)), text);
        }
    }
}

TEST(HostDateTime, EverySecondOfSomeDaysRoundTrips) {
    for (int day : {0, hostDay(QDate(2000, 2, 29)), hostDay(QDate(2100, 3, 1)), 99999}) {
        for (int second = 0; second < 86400; ++second) {
            const QByteArray text = hostText(day, second);
            const double value = HostDateTimeToDateTime(text);
            ASSERT_EQ(DateTimeToHostDateTime(value), text);
        }
        EXPECT_EQ(DateTimeToHostDateTime(HostDateTimeToDateTime(hostText(day, 0))), hostText(day, 0));
    }
    EXPECT_EQ(dateOf(HostDateTimeToDateTime(hostText(hostDay(QDate(2000, 2, 29)), 0))), QDate(2000, 2, 29));
}

TEST(HostDateTime, EdgesOfTheDayAndTheEpoch) {
    const double day = 36526.0; // 1 January 2000
    // Half a second before midnight rounds into the next day rather than to second 86400.
    EXPECT_EQ(DateTimeToHostDateTime(day + 86399.5 / 86400), "1169000000");
    EXPECT_EQ(DateTimeToHostDateTime(day + 86399.9 / 86400), "1169000000");
    EXPECT_EQ(DateTimeToHostDateTime(day + 86399.4 / 86400), "1168986399");
    // Before 1968 the day carries a minus sign and takes six characters.
    EXPECT_EQ(DateTimeToHostDateTime(24836.5), "-0000143200");
    EXPECT_EQ(DateTimeToHostDateTime(24837.0 - 400), "-0040000000");
    EXPECT_EQ(DateTimeToHostDateTime(std::nan("")), "");
    EXPECT_EQ(DateTimeToHostDateTime(1e300), "");
    // The program's own date-time values count from the same day.
    const QDateTime at(QDate(2026, 2, 3), QTime(10, 15));
    EXPECT_EQ(DateTimeToHostDateTime(GDFileManip::DateTimeToDays(at)), "2121936900");
}

TEST(AudioStatusCode, ItemTypes) {
    const struct {
        int type;
        int code;
    } cases[] = {{4, 2},  {8, 4},   {64, 3},  {16, 5}, {63, 5}, {65, 0},
                 {66, 5}, {255, 5}, {256, 0}, {15, 0}, {0, 0},  {-1, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(AudioStatusCode(c.type), c.code) << c.type;
}

TEST(EditorAudioStatus, CallOutOnlyWhenRegistered) {
    SetEditorAudioStatusCallback({});
    NotifyEditorAudioStatus("J1", "text", 4); // nothing registered: nothing happens
    QByteArrayList calls;
    SetEditorAudioStatusCallback([&](const QByteArray &name, const QByteArray &text, int code) {
        calls.append(name + '|' + text + '|' + QByteArray::number(code));
    });
    NotifyEditorAudioStatus("J1", "Corrected", 4);
    EXPECT_EQ(calls, QByteArrayList{"J1|Corrected|4"});
    SetEditorAudioStatusCallback({});
    NotifyEditorAudioStatus("J2", "x", 2);
    EXPECT_EQ(calls.size(), 1);
}

TEST(ReturnText, ReturnTagsOnlyWithAConfirmation) {
    EXPECT_EQ(BuildReturnText("Text \r\nmore ", "C1", 100, 2500),
              "Text \r\nmore \r\n*^KX_RETURNCONF~C1\r\n^KX_AUDIOFILEPOS~100;2500");
    EXPECT_EQ(BuildReturnText("Text ", "", 100, 2500), "Text ");
    // What the host sent comes back as it was, high bytes and all.
    EXPECT_EQ(BuildReturnText("T", "\xE9\x80\xFF~x", 0, 0),
              "T\r\n*^KX_RETURNCONF~\xE9\x80\xFF~x\r\n^KX_AUDIOFILEPOS~0;0");
}

TEST(HostRequests, MessageBytes) {
    EXPECT_EQ(AudioCommandMessage("J1", kAudioPlayback), "\x05"
                                                         "AUDIO\x03J1\x03PLAYBACK^KX_ALWAYSONTOP~1\x03\x06");
    EXPECT_EQ(AbbreviationLookupMessage("lft"), "\x05"
                                                "ABR\x03lft\x03\x06");
    // Control characters from the host or the user cannot end a field early.
    EXPECT_EQ(AudioCommandMessage("J\x03\x06\x01"
                                  "1\r\n",
                                  kAudioRecord),
              "\x05"
              "AUDIO\x03J1\x03RECORD^KX_ALWAYSONTOP~1\x03\x06");
    EXPECT_EQ(AbbreviationLookupMessage("l\x03"
                                        "ft\xE9"),
              "\x05"
              "ABR\x03lft\xE9\x03\x06");
    EXPECT_EQ(WithoutControls(QByteArray("a\0b\x1F\x20\x7F", 6)), "ab \x7F");
}

TEST(HostRequests, LookupAnswers) {
    const struct {
        const char *requested, *name, *answer;
        LookupState state;
    } cases[] = {
        {"lft", "", "", LookupState::Waiting},                 // nothing yet
        {"lft", "lft", "liver function", LookupState::Found},  // the answer
        {"LFT ", "lft", "liver function", LookupState::Found}, // names compared lower case, trimmed
        {"lft", "mets", "metastatic", LookupState::Waiting},   // a late answer to another word
        {"lft", "", "!!NOT FOUND!!", LookupState::NotFound},   // the bare refusal
        {"lft", "lft", "!!NOT FOUND!!", LookupState::NotFound},
        {"lft", "lft", "", LookupState::NotFound},
        {"lft", "", "reset", LookupState::Waiting}, // list maintenance is no answer
    };
    for (const auto &c : cases)
        EXPECT_EQ(MatchLookupAnswer(c.requested, c.name, c.answer), c.state) << c.requested << " " << c.name;
}

} // namespace
