// Paging through a 50-page request form in the document viewer: NextPage plus the repaint of a
// 615 x 452 viewer fitted to the page height, on A4 300 dpi G4 pages read at 24 bits. The reference
// decodes the same page with libtiff's RGBA reader, scales it with Qt's smooth scaling and paints it.
// Target: under 50 ms a page.
#include "imaging/docview/VisDocumentImage.h"
#include "platform/imageio/DibConvert.h"
#include "platform/imageio/ImageIoLibrary.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>

#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>

using namespace orva::imageio;
using orva::imaging::VisDocumentImage;

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;
constexpr int kPages = 50;
const QSize kViewer(615, 452);

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

// Fifty pages of text-like blocks, each page a little different, written with our G4 encoder.
const QString &bookPath() {
    static const QString path = [] {
        const QString file = workDir().filePath(QStringLiteral("book.tif"));
        for (int n = 0; n < kPages; ++n) {
            DibBlock page = DibBlock::create(kWidth, kHeight, 1);
            page.setColor(0, qRgb(0, 0, 0));
            page.setColor(1, qRgb(255, 255, 255));
            std::memset(page.bits(), 0xFF, page.imageBytes());
            for (int line = 0; line < 80; ++line)
                for (int x = 150 + (n % 7) * 5; x < kWidth - 300; x += 90)
                    for (int y = 200 + line * 40; y < 200 + line * 40 + 22; ++y)
                        for (int i = 0; i < 60 + (x * 7 + line + n) % 25; ++i)
                            setDibIndex(page, x + i, y, ((x + i + y) % 11) != 0 ? 0 : 1);
            page.setResolution(11811, 11811);
            lib::writetiffiledib(file, TiffFax4, n == 0 ? 0 : 1, page, 0);
        }
        return file;
    }();
    return path;
}

void BM_ViewerNextPage(benchmark::State &state) {
    VisDocumentImage viewer;
    viewer.resize(kViewer);
    viewer.show();
    viewer.LoadTiffPage(bookPath(), 0, 24, 100, orva::imaging::S_Gray_Anti_256);
    if (viewer.TiffPageCount() != kPages) {
        state.SkipWithError("the book did not load");
        return;
    }
    viewer.SetScalePercent(viewer.viewport()->height() * 100.0 / viewer.ImageHeight());
    viewer.viewport()->repaint();
    for (auto _ : state) {
        if (!viewer.NextPage()) {
            viewer.FirstPage();
        }
        viewer.viewport()->repaint();
    }
}

void BM_LibtiffRgbaAndQtScale(benchmark::State &state) {
    const QByteArray name = QFile::encodeName(bookPath());
    TIFF *tif = TIFFOpen(name.constData(), "r");
    if (!tif) {
        state.SkipWithError("libtiff could not open the book");
        return;
    }
    QImage canvas(kViewer, QImage::Format_RGB32);
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % kPages;
        TIFFSetDirectory(tif, static_cast<tdir_t>(page));
        QImage rgba(kWidth, kHeight, QImage::Format_RGBA8888);
        TIFFReadRGBAImageOriented(tif, kWidth, kHeight, reinterpret_cast<uint32_t *>(rgba.bits()),
                                  ORIENTATION_TOPLEFT, 0);
        const int height = kViewer.height();
        const QImage shown = rgba.scaledToHeight(height, Qt::SmoothTransformation);
        QPainter p(&canvas);
        p.fillRect(canvas.rect(), Qt::white);
        p.drawImage(0, 0, shown);
        benchmark::DoNotOptimize(canvas.constBits());
    }
    TIFFClose(tif);
}

BENCHMARK(BM_ViewerNextPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibtiffRgbaAndQtScale)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.msPerRun.find("BM_ViewerNextPage/real_time");
    const auto theirs = reporter.msPerRun.find("BM_LibtiffRgbaAndQtScale/real_time");
    if (ours != reporter.msPerRun.end() && theirs != reporter.msPerRun.end() && ours->second > 0)
        std::printf("next page + repaint: ours %.1f ms, libtiff RGBA + Qt smooth scale %.1f ms, ratio %.2fx "
                    "(target < 50 ms)\n",
                    ours->second, theirs->second, theirs->second / ours->second);
    benchmark::Shutdown();
    return 0;
}
