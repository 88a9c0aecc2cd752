// The imaging toolbar's rules as tables: enabling by state, down states, zoom steps, width shares,
// names and hints.
#include "imaging/doctoolbar/DocToolbarRules.h"

#include <gtest/gtest.h>

using namespace orva::imaging;

namespace {
TToolbarState withImage(int bits = 1, int page = 0, int pages = 1) {
    TToolbarState s;
    s.Linked = true;
    s.HasImage = true;
    s.BitCount = bits;
    s.Page = page;
    s.PageCount = pages;
    s.PrinterAssigned = true;
    return s;
}
} // namespace

TEST(DocToolbarRules, PageButtons) {
    const struct {
        int page, pages;
        bool first, prior, next, last;
    } cases[] = {
        {0, 1, false, false, false, false}, // page 0 of a one-page TIFF
        {1, 3, true, true, true, true},     {2, 3, true, true, false, false},
        {0, 3, false, false, true, true},   {0, 0, false, false, false, false}, // no pages at all
    };
    for (const auto &c : cases) {
        const TToolbarState s = withImage(1, c.page, c.pages);
        EXPECT_EQ(ButtonEnabled(ibdocFirst, s), c.first) << c.page << "/" << c.pages;
        EXPECT_EQ(ButtonEnabled(ibdocPrior, s), c.prior) << c.page << "/" << c.pages;
        EXPECT_EQ(ButtonEnabled(ibdocNext, s), c.next) << c.page << "/" << c.pages;
        EXPECT_EQ(ButtonEnabled(ibdocLast, s), c.last) << c.page << "/" << c.pages;
    }
}

TEST(DocToolbarRules, EveryButtonNeedsAViewerAndBothEnabled) {
    TToolbarState unlinked = withImage();
    unlinked.Linked = false;
    TToolbarState toolbarOff = withImage();
    toolbarOff.ToolbarEnabled = false;
    TToolbarState viewerOff = withImage();
    viewerOff.ViewerEnabled = false;
    for (int b = 0; b < kVisTbBtnCount; ++b) {
        EXPECT_FALSE(ButtonEnabled(static_cast<TVisTbBtn>(b), unlinked))
            << ButtonName(static_cast<TVisTbBtn>(b)).toStdString();
        EXPECT_FALSE(ButtonEnabled(static_cast<TVisTbBtn>(b), toolbarOff));
        EXPECT_FALSE(ButtonEnabled(static_cast<TVisTbBtn>(b), viewerOff));
    }
}

TEST(DocToolbarRules, WhatEachButtonWaitsFor) {
    TToolbarState empty;
    empty.Linked = true;
    empty.PrinterAssigned = true;
    const struct {
        TVisTbBtn button;
        bool withoutImage, withImage;
    } cases[] = {
        {ibdocOpen, true, true},       {ibdocScanPages, true, true},     {ibdocSelectScanner, true, true},
        {ibdocSave, false, true},      {ibdocPrint, false, true},        {ibdocPanZoom, false, true},
        {ibdocMagnify, false, true},   {ibdocZoomIn, false, true},       {ibdocZoomOut, false, true},
        {ibdocResetZoom, false, true}, {ibdocBestFit, false, true},      {ibdocCut, false, true},
        {ibdocCopy, false, true},      {ibdocAnnotEdit, false, true},    {ibdocEditTags, false, true},
        {ibdocInvert, false, true},    {ibdocRotate90, false, true},     {ibdocRotate180, false, true},
        {ibdocDeskew, false, true},    {ibdocRemoveBorder, false, true}, {ibdocDelete, false, true},
        {ibdocPack, false, true},      {ibdocUpdate, false, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ButtonEnabled(c.button, empty), c.withoutImage) << ButtonName(c.button).toStdString();
        EXPECT_EQ(ButtonEnabled(c.button, withImage()), c.withImage) << ButtonName(c.button).toStdString();
    }
    // Effects wants more than 8 bits; Paste wants a picture on the clipboard; Print a printer.
    EXPECT_FALSE(ButtonEnabled(ibdocEffects, withImage(8)));
    EXPECT_TRUE(ButtonEnabled(ibdocEffects, withImage(24)));
    TToolbarState clip = empty;
    EXPECT_FALSE(ButtonEnabled(ibdocPaste, clip));
    clip.ClipboardHasPicture = true;
    EXPECT_TRUE(ButtonEnabled(ibdocPaste, clip));
    TToolbarState noPrinter = withImage();
    noPrinter.PrinterAssigned = false;
    EXPECT_FALSE(ButtonEnabled(ibdocPrint, noPrinter));
}

TEST(DocToolbarRules, ModeButtons) {
    EXPECT_TRUE(ButtonDown(ibdocPanZoom, cmPanning));
    EXPECT_TRUE(ButtonDown(ibdocMagnify, cmMagnify));
    EXPECT_TRUE(ButtonDown(ibdocAnnotEdit, cmAnnotationEdit));
    EXPECT_FALSE(ButtonDown(ibdocPanZoom, cmMagnify));
    EXPECT_FALSE(ButtonDown(ibdocZoomIn, cmZoomIn));
    EXPECT_EQ(ToggledMode(ibdocPanZoom, cmNone), cmPanning);
    EXPECT_EQ(ToggledMode(ibdocPanZoom, cmPanning), cmNone);
    EXPECT_EQ(ToggledMode(ibdocMagnify, cmPanning), cmMagnify);
    EXPECT_EQ(ToggledMode(ibdocAnnotEdit, cmAnnotationEdit), cmNone);
}

TEST(DocToolbarRules, ZoomSteps) {
    EXPECT_EQ(ZoomInPercent(997), 1002.0);
    EXPECT_EQ(ZoomInPercent(999), std::nullopt);
    EXPECT_EQ(ZoomInPercent(100), 105.0);
    EXPECT_EQ(ZoomOutPercent(3), -2.0); // the viewer raises it to 1
    EXPECT_EQ(ZoomOutPercent(0), std::nullopt);
    EXPECT_EQ(ZoomOutPercent(100), 95.0);
}

TEST(DocToolbarRules, WidthShares) {
    EXPECT_EQ(ShareWidths(320, 16), QVector<int>(16, 20));
    EXPECT_EQ(ShareWidths(63, 3), (QVector<int>{21, 21, 21}));
    EXPECT_EQ(ShareWidths(65, 3), (QVector<int>{22, 22, 21}));
    EXPECT_TRUE(ShareWidths(10, 0).isEmpty());
}

TEST(DocToolbarRules, NamesAndHints) {
    EXPECT_EQ(ButtonName(ibdocOpen), "OPEN");
    EXPECT_EQ(ButtonName(ibdocRemoveBorder), "REMOVEBORDER");
    EXPECT_EQ(ButtonName(ibdocUpdate), "UPDATE");
    EXPECT_EQ(ButtonHint(ibdocZoomOut), "Zoom out");
    EXPECT_EQ(ButtonHint(ibdocRotate90), QString::fromUtf8("Rotate 90\u00ba"));
    EXPECT_EQ(ButtonHint(ibdocPack), "Purge Deleted Tiff pages");
    EXPECT_EQ(ibdocZoomIn, 5);
    EXPECT_EQ(ibdocZoomOut, 6);
    EXPECT_EQ(ibdocBestFit, 8);
}
