// Report descriptors and the input report length and numbering they give.
#include "platform/hid/HidReportDescriptor.h"

#include <gtest/gtest.h>

namespace {

struct DescriptorCase {
    const char *name;
    const char *hex;
    int length;
    bool numbered;
};

const DescriptorCase kCases[] = {
    {"nine bytes without report ID", "750895098102", 10, false},
    {"longest numbered report counts",
     "8501750895028102"
     "8502750895098102",
     10, true},
    {"empty descriptor", "", 0, false},
    {"numbered without inputs", "85017508950491 02", 0, true},
    {"outputs and features are not inputs", "750895049102b102950281 02", 3, false},
    {"bit fields round up", "750195038102750595018103", 2, false},
    {"one bit takes a whole byte", "750195018102", 2, false},
    {"a bit past a whole byte takes another", "750195038102750695018102", 3, false},
    {"bits of one ID add up across items", "750195048102950481028502750895018102", 2, true},
    {"pop restores the pushed count", "75089502a49510b48102", 3, false},
    {"pop on an empty stack is ignored", "75089502b48102", 3, false},
    {"long items are skipped", "fe0200aabb750895018102", 2, false},
    {"two-byte data", "750896000181 02", 257, false},
    {"four-byte data", "75089700010000810 2", 257, false},
    {"truncated item ends the walk", "75089503810295", 4, false},
    {"truncated long item ends the walk", "7508950181 02fe05", 2, false},
    {"collections and local items around inputs", "05010904a1010901a100750895038102c0c0", 4, false},
    {"absurd sizes are capped", "75ff97ffffffff8102 8102 8102", (1 << 24) / 8 + 1, false},
};

QByteArray bytes(const char *hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

class DescriptorTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(DescriptorTest, InputReportLayout) {
    const DescriptorCase &c = GetParam();
    const HidReportLayout layout = ParseReportDescriptor(bytes(c.hex));
    EXPECT_EQ(layout.InputReportByteLength, c.length) << c.name;
    EXPECT_EQ(layout.NumberedReports, c.numbered) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Descriptors, DescriptorTest, ::testing::ValuesIn(kCases));

} // namespace
