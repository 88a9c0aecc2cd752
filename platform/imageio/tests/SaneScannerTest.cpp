// Scanning against SANE's test backend (synthetic pages, no hardware): pages arrive at the wanted
// depth and resolution, and a stop from the caller ends the scan promptly.
#include "platform/imageio/SaneScanner.h"
#include "platform/imageio/tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orva::imageio;

TEST(SaneScanner, TestBackendDeliversPagesAtTheWantedDepth) {
    QTemporaryDir dir;
    if (!test::useSaneTestBackend(dir))
        GTEST_SKIP() << "SANE test backend not installed";
    ASSERT_TRUE(scanDevices().contains("test:0"));
    struct Case {
        int pixelType, bits;
    } cases[] = {{1, 1}, {2, 8}, {3, 4}, {4, 24}};
    for (const auto &c : cases) {
        ScanSettings s;
        s.dpi = 50;
        s.pixelType = c.pixelType;
        s.width = 2;
        s.height = 1;
        std::vector<DibBlock> pages;
        ASSERT_EQ(scanPages("test:0", s,
                            [&](DibBlock &&page) {
                                pages.push_back(std::move(page));
                                return true;
                            }),
                  kOk)
            << c.pixelType;
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0].bitCount(), c.bits) << c.pixelType;
        EXPECT_NEAR(pages[0].width(), 100, 2) << "two inches at 50 dpi";
        EXPECT_NEAR(pages[0].height(), 50, 2);
        EXPECT_NEAR(pages[0].xPelsPerMeter() * 0.0254, 50, 0.5);
    }
}

TEST(SaneScanner, StopFromThePageCallbackOrProgressEndsTheScan) {
    QTemporaryDir dir;
    if (!test::useSaneTestBackend(dir))
        GTEST_SKIP() << "SANE test backend not installed";
    ScanSettings s;
    s.dpi = 50;
    s.pixelType = 2;
    s.useAdf = true;
    s.pages = 0; // until the feeder is empty
    int pages = 0;
    // Repeated: a stop that lands while the backend is starting its next page once wedged the
    // whole process now and then.
    for (int round = 0; round < 10; ++round) {
        pages = 0;
        ASSERT_EQ(scanPages("test:0", s, [&](DibBlock &&) { return ++pages < 2; }), ErrStopped);
        ASSERT_EQ(pages, 2) << "no page is handed on after the stop";
    }
    s.pages = 3;
    pages = 0;
    EXPECT_EQ(scanPages("test:0", s, [&](DibBlock &&) { return ++pages, true; }), kOk);
    EXPECT_EQ(pages, 3);
    Progress stop{[](std::int16_t, void *) -> std::int16_t { return 0; }, nullptr};
    EXPECT_EQ(scanPages(
                  "test:0", s, [&](DibBlock &&) { return true; }, stop),
              ErrStopped);
    EXPECT_EQ(scanPages("no-such-device:9", s, {}), ErrNoScanner);
}
