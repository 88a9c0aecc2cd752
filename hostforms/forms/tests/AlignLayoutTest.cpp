// Docked alignment in its fixed order, and anchors on resize.
#include "hostforms/forms/AlignLayout.h"

#include <gtest/gtest.h>

namespace {

using AlignLayout::Item;
using HostProtocol::Align;

Item item(Align a, QRect r) {
    Item i;
    i.align = a;
    i.rect = r;
    return i;
}

TEST(AlignLayout, TopBottomLeftRightThenClient) {
    const QRect client(0, 0, 400, 300);
    // Given in creation order; the client item first to show the order does not depend on it.
    const QList<Item> items = {item(Align::Client, {0, 0, 10, 10}), item(Align::Bottom, {0, 0, 10, 20}),
                               item(Align::Top, {0, 50, 10, 30}),   item(Align::Top, {0, 10, 10, 40}),
                               item(Align::Left, {0, 0, 60, 10}),   item(Align::Right, {0, 0, 70, 10}),
                               item(Align::None, {5, 6, 7, 8})};
    const QList<QRect> r = AlignLayout::layout(client, items);
    EXPECT_EQ(r[3], QRect(0, 0, 400, 40)) << "the top item placed higher goes first";
    EXPECT_EQ(r[2], QRect(0, 40, 400, 30));
    EXPECT_EQ(r[1], QRect(0, 280, 400, 20));
    EXPECT_EQ(r[4], QRect(0, 70, 60, 210));
    EXPECT_EQ(r[5], QRect(330, 70, 70, 210));
    EXPECT_EQ(r[0], QRect(60, 70, 270, 210));
    EXPECT_EQ(r[6], QRect(5, 6, 7, 8));
}

TEST(AlignLayout, OversizedItemsNeverGoNegative) {
    const QList<QRect> r = AlignLayout::layout({0, 0, 100, 50}, {item(Align::Top, {0, 0, 10, 400}),
                                                                 item(Align::Left, {0, 0, 500, 1}),
                                                                 item(Align::Client, {0, 0, 1, 1})});
    EXPECT_EQ(r[0], QRect(0, 0, 100, 50));
    EXPECT_EQ(r[1].height(), 0);
    EXPECT_GE(r[2].width(), 0);
    EXPECT_GE(r[2].height(), 0);
}

TEST(AlignLayout, Anchors) {
    struct Case {
        unsigned anchors;
        QRect expected;
    };
    using namespace HostProtocol;
    const QList<Case> cases = {
        {0, {10, 20, 30, 40}},
        {AnchorLeft | AnchorTop, {10, 20, 30, 40}},
        {AnchorRight | AnchorBottom, {110, 70, 30, 40}},
        {AnchorLeft | AnchorRight | AnchorTop, {10, 20, 130, 40}},
        {AnchorLeft | AnchorRight | AnchorTop | AnchorBottom, {10, 20, 130, 90}},
        {AnchorTop, {60, 20, 30, 40}},
    };
    for (const Case &c : cases) {
        Item i = item(Align::None, {0, 0, 1, 1});
        i.anchors = c.anchors;
        i.anchorRect = {10, 20, 30, 40};
        i.anchorParent = {200, 100};
        EXPECT_EQ(AlignLayout::anchored(i, {300, 150}), c.expected) << c.anchors;
    }
}

} // namespace
