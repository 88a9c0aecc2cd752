// Decoding an A4 300 dpi G4 fax page and scaling it to 16 gray levels at screen size, against
// ImageMagick's convert doing the same job (whole-process time, as the viewer would otherwise
// have to start it). Prints the ratio of the two.
#include "platform/fxlib/FxEngine.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/ImageIoLibrary.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>

using namespace orva::imageio;

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = kHeight * kScreenWidth / kWidth;

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// A page of text-like blocks, written once with our G4 encoder.
const QString &pagePath() {
    static const QString path = [] {
        const QString file = workDir().filePath(QStringLiteral("page.tif"));
        DibBlock page = DibBlock::create(kWidth, kHeight, 1);
        page.setColor(0, qRgb(0, 0, 0));
        page.setColor(1, qRgb(255, 255, 255));
        std::memset(page.bits(), 0xFF, page.imageBytes());
        for (int line = 0; line < 80; ++line)
            for (int x = 150; x < kWidth - 300; x += 90)
                for (int y = 200 + line * 40; y < 200 + line * 40 + 22; ++y)
                    for (int i = 0; i < 60 + (x * 7 + line) % 25; ++i)
                        setDibIndex(page, x + i, y, ((x + i + y) % 11) != 0 ? 0 : 1);
        page.setResolution(11811, 11811);
        lib::writetiffiledib(file, TiffFax4, 0, page, 0);
        return file;
    }();
    return path;
}

void BM_OrvaDecodeG4AndScaleToGray(benchmark::State &state) {
    const QString file = pagePath();
    for (auto _ : state) {
        DibBlock page;
        if (lib::readtiffiledib(file, 0, 0, 0, page) != kOk) {
            state.SkipWithError("decode failed");
            return;
        }
        DibBlock gray = orva::fxlib::ScaleToGray(page, 16, false, kScreenWidth, kScreenHeight);
        benchmark::DoNotOptimize(gray.data());
    }
}

void BM_ImageMagickConvert(benchmark::State &state) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) {
        state.SkipWithError("ImageMagick not installed");
        return;
    }
    const QString file = pagePath();
    const QString out = workDir().filePath(QStringLiteral("out.gray"));
    for (auto _ : state) {
        QProcess p;
        p.start(convert, {file, QStringLiteral("-resize"),
                          QStringLiteral("%1x%2!").arg(kScreenWidth).arg(kScreenHeight),
                          QStringLiteral("-colorspace"), QStringLiteral("Gray"), QStringLiteral("-depth"),
                          QStringLiteral("4"), QStringLiteral("gray:") + out});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("convert failed");
            return;
        }
    }
}

BENCHMARK(BM_OrvaDecodeG4AndScaleToGray)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.msPerRun.find("BM_OrvaDecodeG4AndScaleToGray/real_time");
    const auto theirs = reporter.msPerRun.find("BM_ImageMagickConvert/iterations:10/real_time");
    if (ours != reporter.msPerRun.end() && theirs != reporter.msPerRun.end() && ours->second > 0)
        std::printf(
            "decode+gray per page: ours %.1f ms, convert %.1f ms, ratio %.1fx (target >= 3x, < 50 ms)\n",
            ours->second, theirs->second, theirs->second / ours->second);
    benchmark::Shutdown();
    return 0;
}
