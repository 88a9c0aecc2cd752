// The annotation engine: marks drawn with the mouse at one zoom look the same at every zoom and
// after a save and reload (golden images); corrupt files are refused whole; the page bookkeeping,
// the stream form and the callbacks.
#include "platform/imageio/Annotations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orva::imageio;
using namespace orva::imageio::anno;

namespace {

void ensureGuiApp() {
    static int argc = 1;
    static char name[] = "annotations";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

int modeOf(const QString &file) {
    struct stat st;
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class Annotations : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGuiApp();
        ASSERT_TRUE(m_dir.isValid());
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// Draws with the mouse as a control would, the view at the given origin and zoom.
void drag(AnnotationEngine &e, const View &v, QPoint from, QPoint to, int steps = 4) {
    e.setView(v);
    e.mouse(kLeftDown, PackPoint(from.x(), from.y()));
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        e.mouse(kMouseMove, PackPoint(p.x(), p.y()));
    }
    e.mouse(kLeftUp, PackPoint(to.x(), to.y()));
}

QImage render(AnnotationEngine &e, double zoom, QPoint origin = {}) {
    QImage img(240, 160, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    e.draw(p, View{origin.x(), origin.y(), 0, 0, 0, zoom});
    return img;
}

// Four marks of every kind without text (text depends on fonts), drawn at zoom 2 from origin 10,5.
void drawSample(AnnotationEngine &e) {
    const View v{10, 5, 0, 0, 0, 2.0};
    e.menu(CmdLine);
    drag(e, v, {20, 20}, {120, 60});
    e.menu(CmdRectangle);
    e.menu(CmdBlue);
    drag(e, v, {40, 80}, {140, 140});
    e.menu(CmdHighlight);
    e.menu(CmdGreen);
    drag(e, v, {150, 20}, {220, 60});
    e.menu(CmdFreehand);
    e.menu(CmdBlack);
    drag(e, v, {160, 100}, {220, 150}, 6);
    e.menu(CmdSelect);
}

QString goldenPath(const QString &name) {
    return QString::fromLocal8Bit(qgetenv("ORVA_SOURCE_DIR")) +
           QStringLiteral("/platform/imageio/tests/golden/") + name;
}

// Golden images are regenerated on purpose with ORVA_REGENERATE_GOLDEN=1.
void expectGolden(const QImage &image, const QString &name) {
    const QString file = goldenPath(name);
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        ASSERT_TRUE(image.save(file));
        return;
    }
    const QImage golden(file);
    ASSERT_FALSE(golden.isNull()) << "missing golden image " << file.toStdString();
    EXPECT_EQ(golden.convertToFormat(QImage::Format_RGB32), image) << name.toStdString();
}

} // namespace

TEST(AnnotationPoints, PackedAsTwoSigned16BitHalves) {
    struct Case {
        int x, y;
        std::uint32_t packed;
        QPoint back;
    } cases[] = {
        {10, 20, 0x0014000Au, {10, 20}},       {0, 0, 0u, {0, 0}},
        {-1, -2, 0xFFFEFFFFu, {-1, -2}},       {40000, 70000, 0x7FFF7FFFu, {32767, 32767}},
        {-40000, 5, 0x00058000u, {-32768, 5}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PackPoint(c.x, c.y), c.packed) << c.x << "," << c.y;
        EXPECT_EQ(UnpackPoint(c.packed), c.back) << c.x << "," << c.y;
    }
}

TEST_F(Annotations, MarksLookTheSameAtEveryZoomAndAfterASaveAndReload) {
    const QString file = path("scan.ant");
    AnnotationEngine drawn(nullptr, QString(), {});
    drawSample(drawn);
    ASSERT_EQ(drawn.marks().size(), 4u);
    EXPECT_EQ(drawn.marks()[0].points, (QList<QPoint>{{20, 15}, {70, 35}})) << "screen / zoom + origin";
    ASSERT_EQ(drawn.save(3, file), kOk);

    AnnotationEngine loaded(nullptr, QString(), {});
    ASSERT_EQ(loaded.load(3, file), kOk);
    ASSERT_EQ(loaded.marks().size(), drawn.marks().size());
    for (std::size_t i = 0; i < drawn.marks().size(); ++i)
        EXPECT_EQ(loaded.marks()[i], drawn.marks()[i]) << i;

    const struct {
        double zoom;
        QPoint origin;
        const char *golden;
    } views[] = {{0.5, {0, 0}, "marks-zoom50.png"},
                 {1.0, {0, 0}, "marks-zoom100.png"},
                 {2.0, {10, 5}, "marks-zoom200.png"}};
    for (const auto &v : views) {
        const QImage before = render(drawn, v.zoom, v.origin);
        EXPECT_EQ(render(loaded, v.zoom, v.origin), before) << v.golden;
        expectGolden(before, QLatin1String(v.golden));
    }
    // The line's middle at zoom 1 is at its picture coordinates, in the mark's colour.
    EXPECT_EQ(render(loaded, 1.0).pixelColor(45, 25), QColor(Qt::red));
    // The same mark at zoom 2 from the drawing origin is back where the mouse drew it.
    EXPECT_EQ(render(loaded, 2.0, {10, 5}).pixelColor(70, 40), QColor(Qt::red));

    AnnotationEngine otherPage(nullptr, QString(), {});
    ASSERT_EQ(otherPage.load(0, file), kOk);
    EXPECT_TRUE(otherPage.marks().empty()) << "each load names its page";
}

TEST_F(Annotations, CorruptFilesAreRefusedWholeAndChangeNothing) {
    AnnotationEngine e(nullptr, QString(), {});
    drawSample(e);
    const auto before = e.marks();
    const QByteArray good = annotationFileText({{0, before}});
    std::map<int, std::vector<Mark>> pages;
    ASSERT_EQ(parseAnnotationFile(good, pages), kOk);
    const QByteArray mark = R"({"kind":"line","name":"a","color":"#ff0000","width":2,"points":[0,0,5,5]})";
    auto file = [](const QByteArray &pagesJson) {
        return QByteArray(R"({"format":"orva-annotations","version":1,"pages":)") + pagesJson + "}";
    };
    auto page = [](const QByteArray &marks, const QByteArray &number = "0") {
        return "[{\"page\":" + number + ",\"marks\":[" + marks + "]}]";
    };
    ASSERT_EQ(parseAnnotationFile(file(page(mark)), pages), kOk) << "the template itself is good";
    const struct {
        const char *why;
        QByteArray text;
    } cases[] = {
        {"not JSON", "garbage"},
        {"truncated", good.left(good.size() / 2)},
        {"another format", R"({"format":"other","version":1,"pages":[]})"},
        {"a later version", R"({"format":"orva-annotations","version":2,"pages":[]})"},
        {"pages not a list", file("{}")},
        {"negative page", file(page(mark, "-1"))},
        {"page beyond 16 bits", file(page(mark, "65536"))},
        {"page twice", file(R"([{"page":0,"marks":[]},{"page":0,"marks":[]}])")},
        {"unknown kind", file(page(QByteArray(mark).replace("line", "blob")))},
        {"odd coordinates", file(page(QByteArray(mark).replace("0,0,5,5", "0,0,5")))},
        {"three points for a line", file(page(QByteArray(mark).replace("0,0,5,5", "0,0,5,5,6,6")))},
        {"fractional coordinate", file(page(QByteArray(mark).replace("0,0,5,5", "0.5,0,5,5")))},
        {"coordinate far out", file(page(QByteArray(mark).replace("0,0,5,5", "0,0,5,99999999")))},
        {"no width", file(page(QByteArray(mark).replace("\"width\":2,", "")))},
        {"zero width", file(page(QByteArray(mark).replace("\"width\":2", "\"width\":0")))},
        {"bad colour", file(page(QByteArray(mark).replace("#ff0000", "red")))},
        {"name not text", file(page(QByteArray(mark).replace("\"a\"", "5")))},
    };
    for (const auto &c : cases) {
        std::map<int, std::vector<Mark>> out{{7, {}}};
        EXPECT_EQ(parseAnnotationFile(c.text, out), ErrCorrupt) << c.why;
        EXPECT_EQ(out.count(7), 1u) << c.why << ": nothing replaced";
        QFile f(path("bad.ant"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        EXPECT_EQ(e.load(0, path("bad.ant")), ErrCorrupt) << c.why;
        EXPECT_EQ(e.marks().size(), before.size()) << c.why << ": the shown marks stay";
        EXPECT_EQ(e.save(0, path("bad.ant")), ErrCorrupt)
            << c.why << ": a file not understood is not overwritten";
    }
}

TEST_F(Annotations, SavingOnePageKeepsTheOthersAndPagesFollowRemovalsAndInsertions) {
    const QString file = path("form.ant");
    AnnotationEngine e(nullptr, QString(), {});
    Mark m;
    m.points = {{1, 1}, {9, 9}};
    for (int page : {0, 1, 2}) {
        e.clear();
        m.penWidth = page + 1;
        e.add(m);
        ASSERT_EQ(e.save(page, file), kOk);
    }
    auto widthOn = [&](int page) {
        AnnotationEngine r(nullptr, QString(), {});
        EXPECT_EQ(r.load(page, file), kOk);
        return r.marks().empty() ? 0 : r.marks()[0].penWidth;
    };
    EXPECT_EQ(widthOn(0), 1);
    EXPECT_EQ(widthOn(2), 3);
    ASSERT_EQ(RemoveAnnotation(nullptr, 1, file), kOk);
    EXPECT_EQ(widthOn(1), 3) << "the page after the removed one moved down";
    EXPECT_EQ(widthOn(2), 0);
    ASSERT_EQ(InsertAnnotation(nullptr, 0, file), kOk);
    EXPECT_EQ(widthOn(0), 0) << "room made for an inserted page";
    EXPECT_EQ(widthOn(1), 1);
    EXPECT_EQ(widthOn(2), 3);
    EXPECT_EQ(RemoveAnnotation(nullptr, 0, path("none.ant")), kOk) << "a missing file has nothing to move";
    EXPECT_FALSE(QFileInfo::exists(path("none.ant")));
    e.clear();
    EXPECT_EQ(e.save(0, path("empty.ant")), kOk);
    EXPECT_FALSE(QFileInfo::exists(path("empty.ant"))) << "no file is made for no annotations";
}

// Annotation files sit beside the scans on the image share: colleagues must read them.
TEST_F(Annotations, NewFilesTakeTheSharesModeAndExistingOnesKeepTheirs) {
    AnnotationEngine e(nullptr, QString(), {});
    drawSample(e);
    const QString share = path("share");
    ASSERT_TRUE(QDir().mkdir(share));
    ASSERT_EQ(::chmod(QFile::encodeName(share).constData(), 0775), 0);
    const QString fresh = share + "/fresh.ant";
    const mode_t umaskBefore = ::umask(002);
    const std::int16_t saved = e.save(0, fresh);
    ::umask(umaskBefore);
    ASSERT_EQ(saved, kOk);
    EXPECT_EQ(modeOf(fresh), 0664) << "group-readable, as the share's umask gives";
    ASSERT_EQ(::chmod(QFile::encodeName(fresh).constData(), 0640), 0);
    ASSERT_EQ(e.save(1, fresh), kOk);
    EXPECT_EQ(modeOf(fresh), 0640);
}

TEST_F(Annotations, StreamsHoldAnyNumberOfMarks) {
    AnnotationEngine e(nullptr, QString(), {});
    Mark m;
    m.kind = MarkKind::Freehand;
    for (int i = 0; i < 3000; ++i) {
        m.points = {{i, 0}, {i, 10}, {i + 1, 20}};
        e.add(m);
    }
    const QByteArray text = e.saveStream(0);
    EXPECT_GT(text.size(), 15000) << "no fixed buffer limits the stream";
    AnnotationEngine back(nullptr, QString(), {});
    ASSERT_EQ(back.loadStream(0, text), kOk);
    EXPECT_EQ(back.marks().size(), 3000u);
    EXPECT_EQ(back.marks().back(), e.marks().back());
    EXPECT_EQ(back.loadStream(0, "{}"), ErrCorrupt);
    EXPECT_EQ(back.marks().size(), 3000u);
}

TEST_F(Annotations, CallbacksSeeEveryDrawAndTheBeforeDrawFlag) {
    int control = 0;
    std::vector<std::string> calls;
    bool allow = true;
    Callbacks cb;
    cb.beforeDraw = [&](void *c, std::int32_t pass, std::int16_t &flag, const QString &name) {
        EXPECT_EQ(c, &control);
        EXPECT_EQ(flag, 1) << "the engine always offers the mark";
        calls.push_back("before " + name.toStdString() + " " + std::to_string(pass));
        flag = allow ? 1 : 0;
        return 1;
    };
    cb.afterDraw = [&](void *, const QString &name) {
        calls.push_back("after " + name.toStdString());
        return 1;
    };
    cb.customDraw = [&](void *, QPainter &p, const QString &name, int x, int y, int xx, int yy) {
        calls.push_back("custom " + name.toStdString());
        p.fillRect(QRect(QPoint(x, y), QPoint(xx - 1, yy - 1)), Qt::magenta);
        return 1;
    };
    cb.hardDraw = [&](void *, QImage *bitmap, const QString &name, int, int, int, int) {
        calls.push_back("hard " + name.toStdString() + (bitmap ? " bitmap" : ""));
        return 1;
    };
    AnnotationEngine e(&control, QString(), cb);
    Mark stamp;
    stamp.kind = MarkKind::Custom;
    stamp.name = QStringLiteral("stamp");
    stamp.points = {{10, 10}, {20, 20}};
    e.add(stamp);
    QImage shown = render(e, 1.0);
    EXPECT_EQ(shown.pixelColor(15, 15), QColor(Qt::magenta));
    EXPECT_EQ(calls, (std::vector<std::string>{"before stamp 1", "custom stamp", "after stamp"}));
    calls.clear();
    QImage page(50, 50, QImage::Format_RGB32);
    QPainter p(&page);
    e.drawWhole(p, View{});
    p.end();
    EXPECT_EQ(calls, (std::vector<std::string>{"before stamp 2", "hard stamp bitmap", "after stamp"}));
    calls.clear();
    allow = false;
    shown = render(e, 1.0);
    EXPECT_EQ(shown.pixelColor(15, 15), QColor(Qt::white)) << "a mark refused before drawing is not drawn";
    EXPECT_EQ(calls, (std::vector<std::string>{"before stamp 1"}));
}

TEST_F(Annotations, EditingWithTheMouseAndTheMenu) {
    int done = 0;
    std::vector<std::pair<bool, std::int32_t>> clicks;
    QString noteText = QStringLiteral("Check this");
    Callbacks cb;
    cb.done = [&](void *) { return ++done, 1; };
    cb.click = [&](void *, bool selecting, std::int32_t object) { clicks.push_back({selecting, object}); };
    cb.askText = [&](void *, const QString &) { return noteText; };
    int control = 0;
    AnnotationEngine e(&control, QString(), cb);
    const View v{};
    e.menu(CmdLine);
    drag(e, v, {10, 10}, {10, 10});
    EXPECT_TRUE(e.marks().empty()) << "a click without a drag draws nothing";
    drag(e, v, {10, 10}, {50, 10});
    ASSERT_EQ(e.marks().size(), 1u);
    EXPECT_EQ(done, 1);

    // A drawing cut short by the rubber band switch is dropped.
    e.setView(v);
    e.mouse(kLeftDown, PackPoint(60, 60));
    e.mouse(kMouseMove, PackPoint(90, 90));
    e.rubberBandOff();
    e.mouse(kLeftUp, PackPoint(90, 90));
    EXPECT_EQ(e.marks().size(), 1u);

    // Right button: selects what is under it whatever the tool.
    e.mouse(kRightDown, PackPoint(30, 11));
    e.mouse(kRightUp, PackPoint(30, 11));
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_pair(true, e.marks()[0].id));
    e.menu(CmdRed);
    e.menu(CmdDelete);
    EXPECT_TRUE(e.marks().empty());

    e.menu(CmdNote);
    drag(e, v, {5, 5}, {5, 5});
    ASSERT_EQ(e.marks().size(), 1u);
    EXPECT_EQ(e.marks()[0].text, noteText);
    noteText.clear();
    drag(e, v, {100, 100}, {100, 100});
    EXPECT_EQ(e.marks().size(), 1u) << "a note left without text is dropped";

    // Moving a selected mark, then clearing the page.
    e.menu(CmdSelect);
    const QPoint at = e.marks()[0].points[0];
    drag(e, v, at + QPoint(2, 2), at + QPoint(12, 22));
    EXPECT_EQ(e.marks()[0].points[0], at + QPoint(10, 20));
    const int before = done;
    e.menu(CmdClearPage);
    EXPECT_TRUE(e.marks().empty());
    EXPECT_EQ(done, before + 1);
    const auto items = e.menuItems();
    EXPECT_TRUE(std::any_of(items.begin(), items.end(),
                            [](const MenuItem &i) { return i.command == CmdSelect && i.checked; }));
}

TEST_F(Annotations, TheSettingsFileKeepsTheChosenColour) {
    const QString ini = path("vis_anno.ini");
    {
        AnnotationEngine e(nullptr, ini, {});
        e.menu(CmdBlue);
    }
    AnnotationEngine again(nullptr, ini, {});
    EXPECT_EQ(again.color(), QColor(Qt::blue));
}

TEST_F(Annotations, EntryPointsAddressOneEnginePerControl) {
    int a = 0, b = 0;
    InitAnnotation(&a, &a, QString());
    InitAnnotation(&b, &b, QString());
    Mark m;
    m.points = {{0, 0}, {4, 4}};
    Engine(&a)->add(m);
    EXPECT_EQ(AnnotationCount(&a), 1);
    EXPECT_TRUE(IsAnnotation(&a));
    EXPECT_FALSE(IsAnnotation(&b));
    const QByteArray text = StreamSaveAnnotation(&a, 0);
    EXPECT_EQ(StreamLoadAnnotation(&b, 0, text), kOk);
    EXPECT_EQ(AnnotationCount(&b), 1);
    ClearAnnotation(&a);
    EXPECT_EQ(AnnotationCount(&a), 0);
    DestroyAnnotation(&a);
    DestroyAnnotation(&b);
    EXPECT_FALSE(AnnotationStarted(&a));
    EXPECT_EQ(LoadAnnotation(&a, 0, path("x.ant")), ErrArgument) << "no engine, nothing loaded";
}
