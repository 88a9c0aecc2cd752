// The detached window's rules as tables: request texts, file items and placeholders, file buttons,
// status panels, the stored place, screens, and the key map's image actions.
#include "imaging/detached/DetachedImageLogic.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"

#include <gtest/gtest.h>

using namespace DetachedImage;
using orva::imaging::RunImageKey;
using orva::imaging::TImageKeyTarget;
using orva::imaging::TVisTbBtn;

TEST(DetachedImageLogic, RequestTexts) {
    const struct {
        QByteArray text;
        QList<QByteArray> pieces;
    } cases[] = {
        {"123,", {"123"}},
        {"123", {"123"}},
        {" 123 ", {"123"}},
        {"123, 456,", {"123", "456"}},
        {"123,456", {"123,456"}}, // no comma after it: one request number, commas and all
        {"123,,456,", {"123", "456"}},
        {",", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RequestPieces(c.text), c.pieces) << c.text.constData();
    }
}

namespace {
TImageListEntry file(const QString &name, const QString &path) {
    auto r = std::make_shared<TImageListRecord>(TImageListRecord::FromFileName(name));
    r->Path = path;
    r->Created = "01/02/2024 10:11";
    return {name, r};
}
} // namespace

TEST(DetachedImageLogic, FileItemsKeepEveryRequestsPlaceholder) {
    const QString placeholder = "/share/noimage.png";
    const TRequestListing withFiles{"123",
                                    {file("123~A01.tif", "/alt/0123/"), file("123~B02.png", "/alt/0123/")}};
    const TRequestListing without{"456", {{placeholder, nullptr}}};
    const TRequestListing stray{"789", {{"/elsewhere/x.png", nullptr}}};

    QList<TFileItem> one = FileItems({without}, placeholder);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].Text, placeholder);
    EXPECT_EQ(one[0].File, placeholder);
    EXPECT_EQ(one[0].Record, nullptr);

    // 456 has no images and 123's came from another source: 456 is still listed, by its number.
    const QList<TFileItem> both = FileItems({without, withFiles}, placeholder);
    ASSERT_EQ(both.size(), 3);
    EXPECT_EQ(both[0].Text, "456: /share/noimage.png");
    EXPECT_EQ(both[0].File, placeholder);
    EXPECT_EQ(both[1].Text, "123");
    EXPECT_EQ(both[1].File, "/alt/0123/123~A01.tif");
    EXPECT_EQ(both[2].File, "/alt/0123/123~B02.png");

    EXPECT_TRUE(FileItems({stray}, placeholder).isEmpty());
}

TEST(DetachedImageLogic, FileButtons) {
    const struct {
        int count, index;
        bool previous, next;
    } cases[] = {{1, 0, false, false}, {3, 0, false, true},   {3, 1, true, true},
                 {3, 2, true, false},  {0, -1, false, false}, {3, -1, false, false}};
    for (const auto &c : cases) {
        const TFileButtons b = FileButtons(c.count, c.index);
        EXPECT_EQ(b.Previous, c.previous) << c.count << " " << c.index;
        EXPECT_EQ(b.Next, c.next) << c.count << " " << c.index;
    }
}

TEST(DetachedImageLogic, StatusPanels) {
    const TImageListEntry e = file("12345678~A01.tif", "/share/1234/");
    const QStringList panels = PanelTexts(0, 3, e.Record.get());
    EXPECT_EQ(panels,
              (QStringList{"Page 1 of 3", "Doc. Type: A", "Scanner: 01", "Scanned: N/A",
                           "File Created: 01/02/2024 10:11", "File Name: /share/1234/12345678~A01.tif"}));
    // Showing the file again reads the same: the scan date is not taken out of the creation time.
    EXPECT_EQ(PanelTexts(0, 3, e.Record.get()), panels);
    EXPECT_EQ(PanelTexts(1, 2, nullptr), (QStringList{"Page 2 of 2", "", "", "", "", ""}));
}

TEST(DetachedImageLogic, StoredPlace) {
    const TPlace remembered{10, 20, 700, 500};
    const struct {
        std::optional<QString> left, top, width, height;
        int l, t, w, h;
    } cases[] = {
        {"5", "6", "800", "600", 5, 6, 800, 600},
        {"5", "6", "0", "0", 5, 6, 640, 480},
        {"x", "6", "wide", "600", 0, 6, 640, 600}, // not whole numbers: 0, so the default size
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 10, 20, 700, 500},
        {"-30", " 40 ", "1.5", "600", -30, 40, 640, 600},
    };
    for (const auto &c : cases) {
        const TPlace p = PlaceFromValues(c.left, c.top, c.width, c.height, remembered);
        EXPECT_EQ(p.Left, c.l);
        EXPECT_EQ(p.Top, c.t);
        EXPECT_EQ(p.Width, c.w);
        EXPECT_EQ(p.Height, c.h);
    }
    const TPlace fresh = PlaceFromValues(std::nullopt, std::nullopt, std::nullopt, std::nullopt, TPlace());
    EXPECT_EQ(fresh.Width, 640);
    EXPECT_EQ(fresh.Height, 480);
}

TEST(DetachedImageLogic, Screens) {
    const QRect screen(0, 0, 1920, 1040);
    EXPECT_EQ(KeepOnScreen({100, 100, 615, 452}, screen), QRect(100, 100, 615, 452));
    EXPECT_EQ(KeepOnScreen({3000, 100, 615, 452}, screen), QRect(1920 - 615, 100, 615, 452)); // monitor gone
    EXPECT_EQ(KeepOnScreen({-700, -50, 615, 452}, screen), QRect(0, 0, 615, 452));
    EXPECT_EQ(KeepOnScreen({10, 10, 4000, 3000}, screen), QRect(0, 0, 1920, 1040));
    EXPECT_EQ(KeepOnScreen({INT32_MAX, INT32_MIN, INT32_MAX, -5}, screen), QRect(0, 0, 1920, 1));
    EXPECT_EQ(PlaceCentre({INT32_MAX, 10, INT32_MAX, 100}), QPoint(INT32_MAX, 60));
    EXPECT_EQ(ResetPlace({500, 400, 615, 452}, screen), QRect(0, 0, 615, 452));
    EXPECT_EQ(ResetPlace({500, 400, 2500, 1200}, screen), QRect(0, 0, 1916, 1036));
    EXPECT_EQ(ResetPlace({500, 400, 615, 452}, QRect(1920, 0, 1280, 1024)), QRect(1920, 0, 615, 452));
}

namespace {
class RecordingTarget : public TImageKeyTarget {
public:
    bool visible = true;
    QStringList calls;
    bool ImageWindowVisible() const override { return visible; }
    void aPrevFileExecute() override { calls << "previous"; }
    void aNextFileExecute() override { calls << "next"; }
    void ScrollBy(int dx, int dy) override { calls << QString("scroll %1 %2").arg(dx).arg(dy); }
    void ToolbarAction(TVisTbBtn b) override { calls << QString("toolbar %1").arg(static_cast<int>(b)); }
};
} // namespace

TEST(DetachedImageLogic, KeyMapImageActions) {
    const struct {
        int code;
        const char *call;
    } cases[] = {{0, "previous"},    {2, "next"},         {4, "scroll -20 0"},
                 {8, "scroll 20 0"}, {16, "scroll 0 20"}, {32, "scroll 0 -20"},
                 {64, "toolbar 5"},  {128, "toolbar 6"},  {256, "toolbar 8"}};
    for (const auto &c : cases) {
        RecordingTarget t;
        EXPECT_TRUE(RunImageKey(&t, c.code));
        EXPECT_EQ(t.calls, QStringList{c.call}) << c.code;
    }
    RecordingTarget hidden;
    hidden.visible = false;
    EXPECT_FALSE(RunImageKey(&hidden, 2));
    EXPECT_TRUE(hidden.calls.isEmpty());
    RecordingTarget t;
    EXPECT_FALSE(RunImageKey(&t, 3));
    EXPECT_FALSE(RunImageKey(nullptr, 2));
    EXPECT_TRUE(t.calls.isEmpty());
}
