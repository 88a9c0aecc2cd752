// The front end's call pattern (file check, caption, result tests, last error) and its tables.
#include "imaging/core/DLL96V1.h"
#include "imaging/core/ErrorInvalid.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/DibConvert.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orva::imaging;
namespace io = orva::imageio;

namespace {

class Recorder : public TProgressTarget {
public:
    bool cancelAt50 = false;
    QStringList messages;
    void DoProgress(std::int16_t percent, const QString &message, bool &cancel) override {
        messages.append(message);
        cancel = cancelAt50 && percent >= 50;
    }
};

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

DibBlock sample(int bits) {
    DibBlock d = DibBlock::create(20, 10, bits);
    if (bits == 1) {
        d.setColor(0, qRgb(0, 0, 0));
        d.setColor(1, qRgb(255, 255, 255));
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            if (bits <= 8)
                io::setDibIndex(d, x, y, (x + y) % 2);
    return d;
}

struct FrontEnd : ::testing::Test {
    QTemporaryDir dir;
    QStringList calls;
    void SetUp() override {
        SetLibraryCallObserver([this](const char *name) { calls.append(QLatin1String(name)); });
        SetPathMapper({});
    }
    void TearDown() override {
        SetLibraryCallObserver({});
        SetPathMapper({});
    }
};

} // namespace

TEST_F(FrontEnd, FilesUnder30BytesAreRefusedWithTheirOwnErrorText) {
    const QString tiff = dir.filePath("ok.tif");
    ASSERT_TRUE(WriteTIFFileDib(tiff, sLZW, tiffReplace, sample(8), 0));
    DibBlock out;
    ASSERT_FALSE(ReadTIFFileDib(tiff, 0, 0, 5, out)); // an earlier, unrelated failure
    EXPECT_EQ(LastErrorCode(), io::ErrPage);
    calls.clear();
    const QString small = writeBytes(dir, "small.bmp", QByteArray(29, 'B'));
    EXPECT_FALSE(ReadBMPFileDib(small, 0, 0, out));
    EXPECT_TRUE(calls.isEmpty()) << "the library is not called";
    EXPECT_EQ(LastErrorCode(), io::ErrTooSmall);
    EXPECT_EQ(LastErrorText(), QStringLiteral("file too small or not an image"));
    const QString thirty = writeBytes(dir, "thirty.bmp", QByteArray(30, 'B'));
    EXPECT_FALSE(ReadBMPFileDib(thirty, 0, 0, out));
    EXPECT_EQ(calls, QStringList{"rdbmpfiledib"});
    EXPECT_LT(LastErrorCode(), 0);
    EXPECT_NE(LastErrorCode(), io::ErrTooSmall);
    EXPECT_FALSE(LastErrorText().isEmpty());
    EXPECT_TRUE(out.isNull());
}

TEST_F(FrontEnd, MissingAndOverlongNamesFailWithACode) {
    DibBlock out;
    EXPECT_FALSE(ReadPNGFileDib(dir.filePath("absent.png"), 0, 0, out));
    EXPECT_EQ(LastErrorCode(), io::ErrOpen);
    EXPECT_FALSE(ReadPNGFileDib(dir.filePath(QString(5000, 'a')), 0, 0, out));
    EXPECT_EQ(LastErrorCode(), io::ErrNameTooLong);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(FrontEnd, ProgressCaptionReachesTheControlInLowerCase) {
    const QString real = dir.filePath("page.tif");
    ASSERT_TRUE(WriteTIFFileDib(real, sFAXCCITT4, tiffReplace, sample(1), 0));
    SetPathMapper([&](const QString &name) { return name == "/X/A.TIF" ? real : name; });
    Recorder control;
    DibBlock out;
    ASSERT_TRUE(ReadTIFFileDib("/X/A.TIF", 0, 0, 0, out, &control));
    ASSERT_FALSE(control.messages.isEmpty());
    EXPECT_EQ(control.messages.first(), QStringLiteral("reading /x/a.tif"));
    EXPECT_EQ(LibraryCaption(), QStringLiteral("Reading /X/A.TIF"));
    EXPECT_EQ(VisProgress(10, nullptr), 1);
    control.cancelAt50 = true;
    EXPECT_EQ(VisProgress(60, &control), 0);
    EXPECT_EQ(VisProgress(10, &control), 1);
    QImage bitmap(3, 3, QImage::Format_RGB32);
    const DibBlock big = DibBlock::create(300, 300, 24);
    EXPECT_FALSE(DibToBitmap(&big, 8, 1, &control, bitmap)) << "stopped by the control";
    EXPECT_EQ(bitmap.width(), 3);
}

TEST_F(FrontEnd, InformationCallsSucceedAtZero) {
    const QString file = dir.filePath("info.tif");
    ASSERT_TRUE(WriteTIFFileDib(file, sPACKBITS, tiffReplace, sample(8), 0));
    ASSERT_TRUE(WriteTIFFileDib(file, sFAXCCITT3, tiffAppend, sample(1), 0));
    TTiffInfo info;
    ASSERT_TRUE(DllGetInfo(file, 1, info));
    EXPECT_EQ(info.pages, 2);
    EXPECT_EQ(info.compression, QStringLiteral("FAXCCITT3"));
    ASSERT_TRUE(DllGetInfo(file, 0, info));
    EXPECT_EQ(info.compression, QStringLiteral("PACKBITS"));
    io::lib::FileInfo fi;
    ASSERT_TRUE(DllFileInfo(file, fi));
    EXPECT_EQ(fi.type, QStringLiteral("TIFF"));
    Bytes block;
    ASSERT_TRUE(WriteTIFFileDibStream(block, sLZW, tiffReplace, sample(4), 0));
    ASSERT_TRUE(DllGetInfoStream(block, 0, info));
    EXPECT_EQ(info.bitsPerPixel, 4);
    TTagRead tag;
    ASSERT_TRUE(ReadTagStream(block, 0, 259, tag));
    EXPECT_EQ(tag.value, 5);
    EXPECT_FALSE(ReadTagStream(Bytes(1, 0), 0, 259, tag));
    int listed = 0;
    ASSERT_TRUE(ReturnTags(file, 1, nullptr,
                           [&](QObject *, std::uint16_t t, std::int16_t, std::int32_t, const QByteArray &,
                               const QString &name, bool readOnly, std::int16_t page, std::uint16_t,
                               std::uint32_t, bool &) {
                               ++listed;
                               EXPECT_EQ(page, 1);
                               if (t == 273) {
                                   EXPECT_EQ(name, QStringLiteral("STRIPOFFSETS"));
                                   EXPECT_TRUE(readOnly);
                               }
                           }));
    EXPECT_GT(listed, 5);
}

TEST(FrontEndTables, CompressionAndTagNames) {
    EXPECT_EQ(TiffCompressionName(-32763), QStringLiteral("PACKBITS"));
    EXPECT_EQ(TiffCompressionName(6), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(TiffCompressionName(2), QStringLiteral("CCITT3"));
    EXPECT_EQ(TiffCompressionCode(sPACKBITS), 32773);
    EXPECT_EQ(TiffCompressionCode(sCCITT), 2);
    struct Case {
        std::uint16_t tag;
        const char *name;
        bool readOnly;
    } cases[] = {
        {33432, "COPYRIGHT", false},   {273, "STRIPOFFSETS", true},        {999, "Unknown", false},
        {263, "THRESHHOLDING", false}, {291, "GRAYSCALERRESPONSE", false}, {282, "XRESOLUTION", false}};
    for (const auto &c : cases) {
        bool readOnly = !c.readOnly;
        EXPECT_EQ(TiffTagName(c.tag, &readOnly), QLatin1String(c.name));
        EXPECT_EQ(readOnly, c.readOnly) << c.tag;
    }
}

TEST(FrontEndTables, BitDepthRules) {
    struct Save {
        const char *ext;
        TSaveResolution r;
        int device, expect;
    } saves[] = {{"gif", sColorTrue, 24, 8}, {"tga", sMonoChrome, 24, 8}, {"jpg", sJpegGray, 24, 1},
                 {"gif", sColorVga, 24, 0},  {"jpg", sColor256, 24, 24},  {"tga", sAutoMatic, 4, 8},
                 {"gif", sAutoMatic, 24, 8}, {"tif", sJpegGray, 24, 8},   {"tif", sAutoMatic, 4, 4}};
    for (const auto &s : saves)
        EXPECT_EQ(SaveBitDepth(s.ext, s.r, s.device), s.expect) << s.ext << " " << s.r;
    const int device[][2] = {{4, 4}, {8, 8}, {15, 8}, {16, 24}, {32, 24}, {1, 4}};
    for (const auto &d : device)
        EXPECT_EQ(DeviceColorDepth(d[0]), d[1]) << d[0];
    EXPECT_EQ(ReadBitDepth(lColorVga, 24), 0);
    EXPECT_EQ(ReadBitDepth(lAutoMatic, 8), 8);
}

TEST(FrontEndTables, MediaFilterFollowsRegisteredExtensions) {
    SetMciExtensions({"wav"});
    const QString text = MediaFilterText();
    const QString first = text.section('|', 1, 1);
    EXPECT_TRUE(first.endsWith("*.TGA;*.WAV;")) << first.toStdString();
    EXPECT_TRUE(text.contains("|Wave Sound    (WAV) |*.WAV"));
    EXPECT_FALSE(text.contains("*.AVI;"));
    EXPECT_FALSE(text.contains("|Video for Windows    (AVI) |*.AVI"));
    EXPECT_TRUE(IsMciExtension("WAV"));
    EXPECT_FALSE(IsMciExtension("MID"));
    SetMciExtensions({"WAV"});
}

TEST(FrontEndTables, FileNamesAndPaths) {
    EXPECT_EQ(FileNameWithoutExt("C:\\a.b\\name.x.tif"), QStringLiteral("name"));
    EXPECT_EQ(FileNameWithoutExt("/srv/" + QString(70, 'n') + ".tif"), QString(64, 'n'));
    EXPECT_TRUE(AnnotationIniPath().endsWith("/vis_anno.ini"));
    EXPECT_EQ(SetBlitStretchMode(1, sDark), BlackOnWhite);
    EXPECT_EQ(SetBlitStretchMode(1, sLightest), WhiteOnBlack);
    EXPECT_EQ(SetBlitStretchMode(24, sDark), ColorOnColor);
}

TEST(FrontEndBitmaps, ConversionsNeverTouchTheirInput) {
    QImage bitmap(2, 2, QImage::Format_RGB32);
    EXPECT_FALSE(DibToBitmap(nullptr, 0, 0, nullptr, bitmap));
    DibBlock empty;
    EXPECT_FALSE(DibToBitmap(&empty, 0, 0, nullptr, bitmap));
    EXPECT_EQ(bitmap.width(), 2) << "left untouched";
    const std::uint8_t six[6] = {40, 0, 0, 0, 1, 0};
    EXPECT_FALSE(DibHandleToBitmap(six, sizeof six, bitmap));
    const DibBlock one = sample(1);
    const std::vector<std::uint8_t> before(one.data(), one.data() + one.size());
    ASSERT_TRUE(DibToBitmap(&one, 8, 1, nullptr, bitmap));
    EXPECT_EQ(bitmap.format(), QImage::Format_Indexed8);
    ASSERT_TRUE(DibToBitmap(&one, 24, 0, nullptr, bitmap));
    EXPECT_EQ(std::vector<std::uint8_t>(one.data(), one.data() + one.size()), before);
    const DibBlock rgb = io::convertDib(sample(8), 24);
    ASSERT_TRUE(DibToBitmap(&rgb, 4, 1, nullptr, bitmap));
    EXPECT_FALSE(rgb.isNull()) << "reduction does not consume the caller's DIB";
    QString error;
    EXPECT_TRUE(GraphicToDib(nullptr, &error).isNull());
    EXPECT_EQ(error, QStringLiteral("Input image is empty"));
    EXPECT_TRUE(GraphicToDibDepth(QImage(), 1, 0).isNull());
    QImage argb(5, 4, QImage::Format_ARGB32);
    argb.fill(qRgb(10, 20, 30));
    const DibBlock fromGraphic = GraphicToDib(&argb);
    EXPECT_EQ(fromGraphic.bitCount(), 24);
    EXPECT_EQ(GraphicToDibDepth(argb, 1, 0).bitCount(), 1);
    std::vector<std::uint8_t> packed(one.data(), one.data() + one.size());
    ASSERT_TRUE(DibHandleToBitmap(packed.data(), packed.size(), bitmap));
    EXPECT_EQ(bitmap.width(), 20);
    EXPECT_FALSE(DibHandleToBitmap(packed.data(), packed.size() - 1, bitmap)) << "rows must all be there";
}

TEST_F(FrontEnd, BitmapTwinsReadAtTheWantedDepth) {
    const QString file = dir.filePath("twin.tif");
    ASSERT_TRUE(WriteTIFFileDib(file, sLZW, tiffReplace, io::convertDib(sample(8), 24), 0));
    QImage bitmap;
    ASSERT_TRUE(ReadTIFFileBitmap(file, 1, 0, 0, bitmap));
    EXPECT_EQ(bitmap.format(), QImage::Format_Mono);
    EXPECT_FALSE(ReadTIFFileBitmap(file, 0, 0, 3, bitmap));
    EXPECT_EQ(LastErrorCode(), io::ErrPage);
}

TEST(FrontEndScanning, BusyFlagRefusesReentryFromAnyScanningCall) {
    QTemporaryDir conf;
    if (!QFile::exists("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1"))
        GTEST_SKIP() << "SANE test backend not installed";
    QFile dll(conf.filePath("dll.conf"));
    ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
    dll.write("test\n");
    dll.close();
    setenv("SANE_CONFIG_DIR", QFile::encodeName(conf.path()).constData(), 1);
    ASSERT_TRUE(SelectTwainSource());
    EXPECT_EQ(ScanSource(), QStringLiteral("test:0"));
    io::ScanSettings settings;
    settings.dpi = 50;
    settings.pixelType = 2;
    settings.width = 1;
    settings.height = 1;
    bool innerAcquire = true, innerSelect = true;
    int pages = 0;
    ASSERT_TRUE(TwainMultiPage(
        settings, 8,
        [&](DibBlock &&page) {
            ++pages;
            EXPECT_EQ(page.bitCount(), 8);
            DibBlock other;
            innerAcquire = AcquireDibImage(8, 0, other);
            innerSelect = SelectTwainSource();
            return true;
        },
        nullptr));
    EXPECT_EQ(pages, 1);
    EXPECT_FALSE(innerAcquire);
    EXPECT_FALSE(innerSelect);
    EXPECT_FALSE(TwainBusy()) << "cleared after the call";
    DibBlock page;
    ASSERT_TRUE(AcquireDibImage(1, 0, page));
    EXPECT_EQ(page.bitCount(), 1);
    QImage bitmap;
    ASSERT_TRUE(TwainMultiPage(settings, 24, {}, &bitmap));
    EXPECT_NEAR(bitmap.width(), 50, 2);
}

TEST(FrontEndAnnotations, EngineStartsAndStopsButHoldsNothing) {
    int window = 0;
    AnnoInit(&window, nullptr);
    EXPECT_TRUE(io::anno::AnnotationStarted(&window));
    AnnoDraw(&window, 0, 0, 0, 0, 16, 1.0);
    AnnoLoad(&window, 0, "/nonexistent/file.ann");
    EXPECT_EQ(AnnotationCount(&window), 0);
    AnnoClear(&window);
    AnnoDestroy(&window);
    EXPECT_FALSE(io::anno::AnnotationStarted(&window));
}

TEST_F(FrontEnd, DrawingSizeHasNoResultTest) {
    DibBlock out;
    ASSERT_FALSE(ReadPNGFileDib(dir.filePath(QString(5000, 'a')), 0, 0, out));
    const std::int16_t earlier = LastErrorCode();
    const QString drawing =
        writeBytes(dir, "plan.dxf",
                   "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n-5\n20\n2\n30\n0\n11\n95\n21\n42\n"
                   "31\n0\n0\nENDSEC\n0\nEOF\n");
    struct Case {
        const char *name;
        QString file;
        double width, height;
    };
    const Case cases[] = {
        {"readable drawing", drawing, 100, 40},
        {"missing drawing", dir.filePath("absent.dxf"), 0, 0},
        {"not a drawing", writeBytes(dir, "junk.dxf", QByteArray(64, '\xff')), 0, 0},
    };
    for (const Case &c : cases) {
        io::lib::DxfInfo info{1, 2, 3, 4}; // whatever the caller held before
        DllGetDXFInfo(c.file, info);
        EXPECT_DOUBLE_EQ(info.maxX - info.minX, c.width) << c.name;
        EXPECT_DOUBLE_EQ(info.maxY - info.minY, c.height) << c.name;
        EXPECT_EQ(LastErrorCode(), earlier) << c.name << ": the last error is not touched";
    }
    EXPECT_EQ(calls.count("getdxfinfo"), 3);
}
