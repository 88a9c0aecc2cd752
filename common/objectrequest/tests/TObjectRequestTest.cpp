// Head parser: field splitting, request type and sub-action, E002 text, bounds-safe access.
#include "common/objectrequest/TObjectRequest.h"

#include <clocale>
#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const char *field2;
    bool ok;
    int type;
    int sub;
};

class RequestType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(RequestType, ReadsStrictDecimal) {
    const TypeCase c = GetParam();
    TObjectRequest r;
    const QByteArray result = r.Parse(QByteArray("w\x03") + c.field2 + "\x03x");
    if (!c.ok) {
        EXPECT_EQ(result, TObjectRequest::E002Text(c.field2));
        EXPECT_EQ(r.RequestType, -1);
        EXPECT_EQ(r.fieldCount(), 2) << "parsing stops at field 2";
        return;
    }
    EXPECT_EQ(result, "OK");
    EXPECT_EQ(r.RequestType, c.type);
    EXPECT_EQ(r.SubAction, c.sub);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequestType,
    ::testing::Values(TypeCase{"10", true, 10, 0}, TypeCase{"10.0", true, 10, 0}, TypeCase{"1.2", true, 1, 2},
                      TypeCase{"5", true, 5, 0}, TypeCase{"5.0", true, 5, 0}, TypeCase{"5.3", true, 5, 3},
                      TypeCase{"5.25", true, 5, 3}, TypeCase{"5.24", true, 5, 2}, TypeCase{"0", true, 0, 0},
                      TypeCase{"999999999", true, 999999999, 0}, TypeCase{"a", false, 0, 0},
                      TypeCase{"X", false, 0, 0}, TypeCase{"nan", false, 0, 0}, TypeCase{"inf", false, 0, 0},
                      TypeCase{"1e400", false, 0, 0}, TypeCase{"1e1", false, 0, 0},
                      TypeCase{"0x10", false, 0, 0}, TypeCase{"1,5", false, 0, 0},
                      TypeCase{"-1", false, 0, 0}, TypeCase{" 5", false, 0, 0}, TypeCase{"5.", false, 0, 0},
                      TypeCase{".5", false, 0, 0}, TypeCase{"1.2.3", false, 0, 0},
                      TypeCase{"1234567890", false, 0, 0}, TypeCase{"", false, 0, 0}));

TEST(ObjectRequest, E002TextIsExact) {
    TObjectRequest r;
    EXPECT_EQ(r.Parse("w\x03X"), QByteArray("E002 - Request Type \"X\" should be an number value."));
}

struct SplitCase {
    QByteArray text;
    QList<QByteArray> fields; // fields 3 onward
};

TEST(ObjectRequest, SplitsFields) {
    const SplitCase cases[] = {
        {"a\x03"
         "1\x03",
         {}},
        {QByteArray("a\x03"
                    "1\x03\x03x"),
         {"", "x"}},
        {QByteArray("a\x03"
                    "1\x03\x03"),
         {""}},
        {QByteArray("obj\x03"
                    "10\x03"
                    "5\x03"
                    "cap\x03text"),
         {"5", "cap", "text"}},
    };
    for (const SplitCase &c : cases) {
        TObjectRequest r;
        EXPECT_EQ(r.Parse(c.text), "OK") << c.text.toHex().constData();
        EXPECT_EQ(r.Fields(), c.fields) << c.text.toHex().constData();
    }
}

TEST(ObjectRequest, FieldAccessIsBoundsSafeAndNumberedFromOne) {
    TObjectRequest r;
    ASSERT_EQ(r.Parse(QByteArray("obj\x03"
                                 "10\x03"
                                 "2\x03"
                                 "file")),
              "OK");
    EXPECT_EQ(r.ObjectName, "obj");
    EXPECT_EQ(r.field(1), "obj");
    EXPECT_EQ(r.field(3), "2");
    EXPECT_EQ(r.commandEntry(0), "2");
    EXPECT_EQ(r.commandEntry(1), "file");
    EXPECT_EQ(r.commandEntry(2), "");
    EXPECT_EQ(r.field(0), "");
    EXPECT_EQ(r.field(-5), "");
    EXPECT_EQ(r.field(1000), "");
}

TEST(ObjectRequest, KeepsHostBytes) {
    TObjectRequest r;
    const QByteArray text("n\xFC\x00\x9F\x03"
                          "7\x03v\xFD\x00w",
                          11);
    ASSERT_EQ(r.Parse(text), "OK");
    EXPECT_EQ(r.ObjectName, QByteArray("n\xFC\x00\x9F", 4));
    EXPECT_EQ(r.field(3), QByteArray("v\xFD\x00w", 4));
}

TEST(ObjectRequest, ReusedObjectStartsAfresh) {
    TObjectRequest r;
    ASSERT_EQ(r.Parse("a\x03"
                      "1.2\x03x\x03y"),
              "OK");
    EXPECT_NE(r.Parse("b\x03q"), "OK");
    EXPECT_EQ(r.ObjectName, "b");
    EXPECT_EQ(r.RequestType, -1);
    EXPECT_EQ(r.SubAction, 0);
    EXPECT_EQ(r.field(3), "");
}

TEST(ObjectRequest, DecimalCommaLocaleDoesNotChangeReading) {
    const char *old = setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        GTEST_SKIP() << "locale de_DE.UTF-8 is not generated on this machine (package locales, locale-gen)";
    }
    TObjectRequest r;
    const QByteArray result = r.Parse("w\x03"
                                      "5.3");
    setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(result, "OK");
    EXPECT_EQ(r.RequestType, 5);
    EXPECT_EQ(r.SubAction, 3);
}

} // namespace
