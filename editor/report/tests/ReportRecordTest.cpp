// Report message parsing: fields, the cut-out blocks, picture boxes, special keys and the value list.
#include "editor/report/TReportRecord.h"

#include <gtest/gtest.h>

namespace {

struct ValueCase {
    const char *name;
    QByteArray body;
    const char *key;
    QByteArray expected;
};

class ReportValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ReportValues, ParsesTheValue) {
    const ValueCase &c = GetParam();
    TReportRecord r;
    r.Parse(c.body);
    EXPECT_EQ(r.GetValue(c.key), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReportValues,
    ::testing::Values(
        ValueCase{"plain", "KX_REQCODE~R1^KX_PROCCODE~P1", "ProcCode", "P1"},
        ValueCase{"caret in value", "KX_A~x^y^KX_B~2", "A", "x^y"},
        ValueCase{"caret KX_ cuts", "KX_A~x^KX_y^KX_B~2", "A", "x"},
        ValueCase{"tilde in value", "KX_A~x~y", "A", "x~y"},
        ValueCase{"crlf removed", "KX_A~x\r\ny", "A", "xy"},
        ValueCase{"gender first letter", "KX_PATGENDER~Female", "PATGENDER", "F"},
        ValueCase{"gender empty is NUL", "KX_PATGENDER~", "patgender", QByteArray(1, '\0')},
        ValueCase{"block before field", "KX_B64DATA~QU\r\nJD^KX_REQCODE~R2", "REQCODE", "R2"},
        ValueCase{"block last, no stray caret", "KX_RETURNCONF~C1^KX_B64DATA~QUJD", "RETURNCONF", "C1"},
        ValueCase{"audio block last", "KX_AUDIOJOBNUMBER~7^KX_AUDIODATA~QUJD", "AUDIOJOBNUMBER", "7"},
        ValueCase{"audiofile keeps crlf", "KX_AUDIOFILE~a\r\nb", "AUDIOFILE", "a\r\nb"},
        ValueCase{"resulttext", "KX_RESULTTEXT~{a{", "RESULTTEXT", "{a{"},
        ValueCase{"template not a value", "KX_TEMPLATE~LH", "TEMPLATE", ""},
        ValueCase{"high bytes kept", "KX_A~\xe9\xa4\xff", "A", "\xe9\xa4\xff"}),
    [](const auto &info) {
        std::string n = info.param.name;
        for (char &ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST(ReportRecord, ImageBoxAndSpecialKeys) {
    TReportRecord r;
    r.Parse("KX_REQCODE~R1^KX_IMAGEBOX~pic.jpg,10,20,abc,,5^KX_NOFOOTER~Yes^KX_PATGENDER~Female");
    EXPECT_EQ(r.GetReqCode(), "R1");
    ASSERT_EQ(r.ImageBoxes.size(), 1);
    const TImageRecord &b = r.ImageBoxes.first();
    EXPECT_EQ(b.FileName, "pic.jpg");
    EXPECT_EQ(b.PosX, 200);
    EXPECT_EQ(b.PosY, 400);
    EXPECT_EQ(b.ScaleX, 100);
    EXPECT_EQ(b.ScaleY, 0);
    EXPECT_EQ(b.FitWidth, 5);
    EXPECT_EQ(b.FitHeight, 0);
    EXPECT_EQ(b.ObjectMode, 0);
    EXPECT_EQ(b.TextFlow, 3);
    EXPECT_EQ(b.DistanceL + b.DistanceT + b.DistanceR + b.DistanceB, 80);
    EXPECT_TRUE(b.FromMessage);
    EXPECT_TRUE(r.NoFooter);
    EXPECT_EQ(r.GetValue("PATGENDER"), "F");
    EXPECT_EQ(r.IndexOfName("IMAGEBOX"), -1);
}

TEST(ReportRecord, ImageBoxNumbersNeverOverflow) {
    const TImageRecord b = ParseImageBox("x,200000000,-200000000,99999999999,7,+3,junk");
    EXPECT_EQ(b.PosX, std::numeric_limits<int>::max());
    EXPECT_EQ(b.PosY, std::numeric_limits<int>::min());
    EXPECT_EQ(b.ScaleX, 100); // out of range is not a number
    EXPECT_EQ(b.ScaleY, 7);
    EXPECT_EQ(b.FitWidth, 3);
    EXPECT_EQ(b.FitHeight, 0);
}

TEST(ReportRecord, NoFooterWords) {
    const struct {
        const char *value;
        bool expected;
    } cases[] = {{"Yes", true}, {"true", true}, {"Y", true}, {"T", true},
                 {"1", false},  {"no", false},  {"", false}};
    for (const auto &c : cases) {
        TReportRecord r;
        r.Parse(QByteArray("KX_NOFOOTER~") + c.value);
        EXPECT_EQ(r.NoFooter, c.expected) << c.value;
    }
}

TEST(ReportRecord, BlocksAreCutAndCleaned) {
    TReportRecord r;
    QByteArray body = "KX_A~1^KX_B64DATA~QU\r\nJD ^";
    body += '\0';
    body += "E=^KX_AUDIODATA~Zm9v\r\n^KX_C~3";
    r.Parse(body);
    EXPECT_EQ(r.B64Data, "QUJDE=");
    EXPECT_EQ(r.AudioData, "Zm9v");
    EXPECT_EQ(r.GetValue("A"), "1");
    EXPECT_EQ(r.GetValue("C"), "3");
    EXPECT_EQ(r.IndexOfName("B64DATA"), -1);

    TReportRecord keep;
    keep.B64Data = "old";
    keep.Parse("KX_A~1");
    EXPECT_EQ(keep.B64Data, "old");
}

TEST(ReportRecord, ExtraDataAndEmptyImageBox) {
    TReportRecord r;
    r.Parse("KX_EXTRADATA~x|lft|liver function^KX_IMAGEBOX~^KX_Z~9");
    EXPECT_EQ(r.ExtraData, QByteArrayList{"/lft=liver function"});
    EXPECT_TRUE(r.ImageBoxes.isEmpty());
    EXPECT_EQ(r.GetValue("Z"), "9");
}

TEST(ReportRecord, MalformedBodiesEnd) {
    for (const QByteArray &body :
         {QByteArray(""), QByteArray("KX_"), QByteArray("junk"), QByteArray("KX_^KX_"),
          QByteArray("^KX_^KX_^"), QByteArray("KX_~v^KX_B64DATA~"), QByteArray("KX_B64DATA~")}) {
        TReportRecord r;
        r.Parse(body);
        EXPECT_EQ(r.IndexOfName(""), -1) << body.constData();
    }
}

TEST(ReportRecord, KeysListAndCaseInsensitiveNames) {
    TReportRecord r;
    LoadReportKeys(r);
    const int at = r.IndexOfName("REQCODE");
    ASSERT_GE(at, 0);
    EXPECT_EQ(r.SetValue("reqcode", "9"), at);
    EXPECT_EQ(r.GetValue("ReqCode"), "9");
    EXPECT_EQ(r.Values[size_t(at)]->Name, "REQCODE");
    EXPECT_GE(r.IndexOfName("AUDIOFILE"), 0);
    EXPECT_GE(r.IndexOfName("DEPARTMENT"), 0);
    EXPECT_TRUE(r.ExtraData.isEmpty());
}

TEST(ReportRecord, ValuesSurviveClearAndTags) {
    TReportRecord r;
    r.LoadTags({"T01|Patient Name|x", "", "   ", "nobar", "|noname", "T02|Doctor\r\n"});
    ASSERT_EQ(r.Values.size(), 2u);
    EXPECT_EQ(r.Values[0]->Code, "T01");
    EXPECT_EQ(r.Values[0]->Name, "Patient Name");
    EXPECT_EQ(r.Values[1]->Name, "Doctor");
    r.SetValueByCode("T01", "Smith");
    EXPECT_EQ(r.GetValue("patient name"), "Smith");
    EXPECT_EQ(r.GetValueByCode("t01"), ""); // codes match exactly
    r.Parse("KX_REQCODE~R1");
    r.ClearValues();
    EXPECT_EQ(r.IndexOfName("REQCODE"), 2);
    EXPECT_EQ(r.GetValue("REQCODE"), "");
    r.SetEntryTexts(99, "x", "y"); // out of range: nothing
    r.SetEntryTexts(0, "N", "T");
    EXPECT_EQ(r.Values[0]->Text, "T");
    EXPECT_EQ(r.IndexOfName("Patient Name"), -1) << "a renamed entry is found by its new name only";
    EXPECT_EQ(r.IndexOfName("n"), 0);
}

TEST(ReportRecord, NameLookupFollowsRenamesAndDuplicates) {
    TReportRecord r;
    r.Parse("KX_REQCODE~R1^KX_PROCCODE~P1");
    // A tag naming an existing key makes a second entry of that name; the first keeps answering.
    r.LoadTags({"T01|reqcode"});
    ASSERT_EQ(r.Values.size(), 3u);
    EXPECT_EQ(r.IndexOfName("ReqCode"), 0);
    r.SetEntryTexts(0, "OLDREQ", "");
    EXPECT_EQ(r.IndexOfName("ReqCode"), 2) << "the other entry of the name takes over";
    r.SetEntryTexts(0, "reqcode", "");
    EXPECT_EQ(r.IndexOfName("REQCODE"), 0) << "the lower position wins again";
    EXPECT_EQ(r.IndexOfCode("T01"), 2);
    EXPECT_EQ(r.IndexOfCode(""), 0) << "entries from messages carry no code";
    r.FreeValues();
    EXPECT_EQ(r.IndexOfName("REQCODE"), -1);
    EXPECT_EQ(r.IndexOfCode("T01"), -1);
    EXPECT_EQ(r.SetValue("REQCODE", "R2"), 0);
}

TEST(ReportRecord, DynamicRangeOutputIsConfined) {
    TReportRecord r;
    r.DynamicRangeRoots = {"/srv/images"};
    QList<QString> drawn;
    r.DynamicRangeDrawer = [&](const QString &, const QString &out, const QByteArray &, const QByteArray &p) {
        drawn.append(out);
        return p == "x" ? QByteArray("bad position") : QByteArray();
    };
    // The source is confined like the output: not above the roots, not out of them, a picture.
    r.Parse("KX_DYNAMICRANGE~/srv/images/a.png,/srv/images/out.png,L,50"
            "^KX_DYNAMICRANGE~/srv/images/a.png,/srv/images/../etc/x.png,L,5"
            "^KX_DYNAMICRANGE~/srv/images/a.png,/srv/images/o.sh,L,5"
            "^KX_DYNAMICRANGE~/srv/images/a.png,/srv/images/o2.png,L,x"
            "^KX_DYNAMICRANGE~/etc/a.png,/srv/images/o3.png,L,5"
            "^KX_DYNAMICRANGE~/srv/images/../../etc/a.png,/srv/images/o4.png,L,5"
            "^KX_DYNAMICRANGE~/srv/images/passwd,/srv/images/o5.png,L,5");
    EXPECT_EQ(drawn, (QList<QString>{"/srv/images/out.png", "/srv/images/o2.png"}));
    EXPECT_EQ(r.DynamicRangeErrors.count("\r\n"), 6);
    EXPECT_TRUE(r.DynamicRangeErrors.contains("bad position\r\n"));
    EXPECT_EQ(r.DynamicRangeErrors.count("Unable to save Destination image\r\n"), 2);
    EXPECT_EQ(r.DynamicRangeErrors.count("Unable to load source Image\r\n"), 3);
    EXPECT_EQ(r.IndexOfName("DYNAMICRANGE"), -1);
}

TEST(ReportRecord, PosFrom) {
    EXPECT_EQ(PosFrom("b", "abcb", 1), 2);
    EXPECT_EQ(PosFrom("b", "abcb", 3), 4);
    EXPECT_EQ(PosFrom("b", "abcb", 5), 0);
    EXPECT_EQ(PosFrom("", "abcb", 1), 0);
}

} // namespace
