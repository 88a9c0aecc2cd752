// Every effect of the filters-and-effects dialog on an A4 300 dpi 24-bit page, at the dialog's
// default settings (targets: effects that work pixel by pixel under 150 ms, every effect under 3 s)
// and at the controls' maximum settings (printed only). One effect, a 5 x 5 box blur read from and
// written to a BMP file, is set beside ImageMagick's convert doing the same job (whole-process
// time), and the ratio printed.
#include "effects/dialog/TEffectCall.h"
#include "effects/dialog/TEffectForm.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/core/DllSP96.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/ImageIoLibrary.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <map>

using namespace orva::effects;
using orva::imageio::DibBlock;

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;

// A scanned colour form: smooth colour ramps with dark blocks of "text".
const DibBlock &page() {
    static const DibBlock p = [] {
        DibBlock d = DibBlock::create(kWidth, kHeight, 24);
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t *row = d.scanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                const bool ink = (y / 40) % 3 == 1 && (x / 70) % 5 != 4 && ((x * 7 + y * 3) % 11) != 0;
                row[3 * x] = static_cast<std::uint8_t>(ink ? 20 : 200 + x % 50);
                row[3 * x + 1] = static_cast<std::uint8_t>(ink ? 25 : 180 + y % 70);
                row[3 * x + 2] = static_cast<std::uint8_t>(ink ? 30 : 150 + (x + y) % 100);
            }
        }
        return d;
    }();
    return p;
}

const DibBlock &pastePicture() {
    static const DibBlock p = orva::imageio::convertDib(DibBlock::create(600, 400, 8), 24);
    return p;
}

struct Setting {
    QList<double> defaults;
    QList<double> maxima;
};

// The dialog's built-in values, and the ends of its controls' ranges.
const std::map<QString, Setting> &settings() {
    static const std::map<QString, Setting> s = {
        {QStringLiteral("AutoContrast"), {{}, {}}},
        {QStringLiteral("Bleed"), {{0}, {255}}},
        {QStringLiteral("Borders"), {{1, 1, 90, 10, 50, 1}, {13, 100, 360, 100, 100, 1}}},
        {QStringLiteral("Border Fade"), {{1}, {1000}}},
        {QStringLiteral("Blur"), {{1}, {100}}},
        {QStringLiteral("Bright"), {{0}, {255}}},
        {QStringLiteral("Color"), {{0, 255, 0}, {0, 255, 2}}},
        {QStringLiteral("Dark"), {{0}, {255}}},
        {QStringLiteral("Despeckle"), {{0}, {100}}},
        {QStringLiteral("Edge Detection"), {{1}, {100}}},
        {QStringLiteral("Engrave"), {{1}, {10}}},
        {QStringLiteral("Enhance"), {{0, 0, 10, 10, 10}, {255, 255, 255, 255, 255}}},
        {QStringLiteral("Extrude"), {{1, 1}, {1, 50}}},
        {QStringLiteral("Gamma"), {{10}, {50}}},
        {QStringLiteral("Gray Area"), {{}, {}}},
        {QStringLiteral("HalfTone"), {{4, 5, 45}, {100, 5, 180}}},
        {QStringLiteral("Hue and Saturation"),
         {{1, 1, 1, 1, 1, 1, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 180, 100, 100}}},
        {QStringLiteral("Invert"), {{}, {}}},
        {QStringLiteral("Jiggle"), {{1, 10, 0}, {100, 360, 1}}},
        {QStringLiteral("Mirror"), {{0, 1}, {1, 1}}},
        {QStringLiteral("Mosaic"), {{150, 30, 10, 40, 1, 0, 1, 1}, {1000, 1000, 100, 360, 5, 0, 1, 1}}},
        {QStringLiteral("Motion Blur"), {{10, 10, 1}, {500, 360, 3}}},
        {QStringLiteral("Noisify"), {{1, 0, 20, 20, 20}, {1, 0, 255, 255, 255}}},
        {QStringLiteral("Oil Paint"), {{1}, {50}}},
        {QStringLiteral("Page Curl"),
         {{1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 4}, {0, 1, 1, 1, 0, 1, 0, 0, 0, 1, 1, 0, 4}}},
        {QStringLiteral("Paste Image"), {{}, {}}},
        {QStringLiteral("Pinch Hole"), {{0}, {-20}}},
        {QStringLiteral("Polar"), {{1, 1, 0, 0}, {500, 360, 1, 1}}},
        {QStringLiteral("Rotate"), {{0}, {180}}},
        {QStringLiteral("Sharp"), {{0}, {9}}},
        {QStringLiteral("Soft"), {{0}, {9}}},
        {QStringLiteral("Spray"), {{0, 1}, {100, 360}}},
        {QStringLiteral("Tile Maker"), {{}, {}}},
        {QStringLiteral("Threshold"), {{120, 1}, {255, 1}}},
        {QStringLiteral("Warp"), {{1, 1, 1, 20, 90, 4, 10}, {1, 1, 1, 200, 360, 200, 200}}},
        {QStringLiteral("Wave"), {{50, 20, 1, 1, 0}, {2000, 200, 3600, 1, 1}}},
        {QStringLiteral("WhirlPool"), {{0}, {3000}}},
    };
    return s;
}

// Effects whose every output pixel comes from the same input pixel.
bool perPixel(const QString &tab) {
    static const QStringList tabs = {QStringLiteral("AutoContrast"),
                                     QStringLiteral("Bright"),
                                     QStringLiteral("Dark"),
                                     QStringLiteral("Gamma"),
                                     QStringLiteral("Enhance"),
                                     QStringLiteral("Gray Area"),
                                     QStringLiteral("Hue and Saturation"),
                                     QStringLiteral("Invert"),
                                     QStringLiteral("Mirror"),
                                     QStringLiteral("Noisify"),
                                     QStringLiteral("Threshold"),
                                     QStringLiteral("Border Fade"),
                                     QStringLiteral("HalfTone")};
    return tabs.contains(tab);
}

void runEffect(benchmark::State &state, const QString &tab, bool maximum) {
    const Setting &s = settings().at(tab);
    TEffectCall call;
    call.Tab = tab;
    call.Area = TEdges{0, 0, kWidth, kHeight};
    call.Values = maximum ? s.maxima : s.defaults;
    call.Colours = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
    call.Paste = &pastePicture();
    for (auto _ : state) {
        state.PauseTiming();
        DibBlock d = page().copy();
        state.ResumeTiming();
        if (!RunEffect(d, call)) {
            state.SkipWithError("the effect failed");
            return;
        }
        benchmark::DoNotOptimize(d.data());
    }
}

// The plain memory-bandwidth bound: one copy of the page.
void BM_PageCopy(benchmark::State &state) {
    for (auto _ : state) {
        DibBlock d = page().copy();
        benchmark::DoNotOptimize(d.data());
    }
}

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

const QString &pageBmp() {
    static const QString path = [] {
        const QString file = workDir().filePath(QStringLiteral("page.bmp"));
        orva::imageio::dibToQImage(page()).save(file, "BMP");
        return file;
    }();
    return path;
}

// Ours as a whole: read the BMP, blur 5 x 5, write the BMP.
void BM_OrvaBoxBlurFile(benchmark::State &state) {
    const QString out = workDir().filePath(QStringLiteral("ours.bmp"));
    for (auto _ : state) {
        DibBlock d;
        if (!orva::imaging::ReadBMPFileDib(pageBmp(), 0, 0, d)) {
            state.SkipWithError("read failed");
            return;
        }
        const DibBlock blurred = orva::imaging::SpBlur(d, 0, 0, 0, 0, 2);
        if (blurred.isNull()) {
            state.SkipWithError("blur failed");
            return;
        }
        if (!orva::imageio::dibToQImage(blurred).save(out, "BMP")) {
            state.SkipWithError("write failed");
            return;
        }
    }
}

void BM_ImageMagickBoxBlurFile(benchmark::State &state) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) {
        state.SkipWithError("ImageMagick not installed");
        return;
    }
    const QString out = workDir().filePath(QStringLiteral("theirs.bmp"));
    for (auto _ : state) {
        QProcess p;
        p.start(convert, {pageBmp(), QStringLiteral("-statistic"), QStringLiteral("Mean"),
                          QStringLiteral("5x5"), out});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            state.SkipWithError("convert failed");
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    // Freed pages stay with the process: the first touch of fresh pages costs what the machine's
    // load makes it cost (hundreds of ms per page-sized picture on a busy one), not the effect.
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const auto &[tab, setting] : settings()) {
        const std::string name = tab.toStdString();
        benchmark::RegisterBenchmark(("Default/" + name).c_str(),
                                     [tab](benchmark::State &s) { runEffect(s, tab, false); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
        benchmark::RegisterBenchmark(("Maximum/" + name).c_str(),
                                     [tab](benchmark::State &s) { runEffect(s, tab, true); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("BM_PageCopy", BM_PageCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_OrvaBoxBlurFile", BM_OrvaBoxBlurFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("BM_ImageMagickBoxBlurFile", BM_ImageMagickBoxBlurFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    // The first run of any effect pays for fresh pages and threads; none of the measured ones should.
    DibBlock warm = page().copy();
    RunEffect(warm, TEffectCall{QStringLiteral("Gray Area"), TEdges{0, 0, kWidth, kHeight}, {}, {}, nullptr});
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    int missed = 0;
    const auto copy = reporter.msPerRun.find("BM_PageCopy/real_time");
    const double copyMs = copy != reporter.msPerRun.end() ? copy->second : 0;
    std::printf("\nA4 300 dpi 24-bit page (one copy of it: %.1f ms), default settings "
                "(targets: pixel by pixel < 150 ms, all < 3000 ms):\n",
                copyMs);
    for (const auto &[tab, setting] : settings()) {
        const auto it = reporter.msPerRun.find("Default/" + tab.toStdString() + "/iterations:5/real_time");
        const auto max = reporter.msPerRun.find("Maximum/" + tab.toStdString() + "/iterations:1/real_time");
        if (it == reporter.msPerRun.end())
            continue;
        const double target = perPixel(tab) ? 150.0 : 3000.0;
        const bool met = it->second < target;
        missed += met ? 0 : 1;
        std::printf("  %-20s %8.1f ms = %5.1f page copies (target %4.0f ms) %-6s at maximum %9.1f ms\n",
                    tab.toUtf8().constData(), it->second, copyMs > 0 ? it->second / copyMs : 0.0, target,
                    met ? "met" : "MISSED", max != reporter.msPerRun.end() ? max->second : -1.0);
    }
    const auto ours = reporter.msPerRun.find("BM_OrvaBoxBlurFile/iterations:3/real_time");
    const auto theirs = reporter.msPerRun.find("BM_ImageMagickBoxBlurFile/iterations:3/real_time");
    if (ours != reporter.msPerRun.end() && theirs != reporter.msPerRun.end() && ours->second > 0)
        std::printf("5x5 box blur, BMP to BMP: ours %.1f ms, convert %.1f ms, ratio %.1fx\n", ours->second,
                    theirs->second, theirs->second / ours->second);
    std::printf("%d target(s) missed\n", missed);
    benchmark::Shutdown();
    return 0;
}
