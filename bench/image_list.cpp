// Listing a request's images on a large share: 100,000 files in 10,000 sub-directories (mask
// "****....", ten files per folder). The image list reads one folder, so the time must not grow
// with the share; the reference is the text listing of the same folder with its pattern.
#include "common/GDFileManip.h"
#include "imaging/imagelist/ImageList.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kFolders = 10000;
constexpr int kFilesPerFolder = 10;

QTemporaryDir &share() {
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        made = true;
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        for (int f = 0; f < kFolders; ++f) {
            const QByteArray folder = root + QByteArray::number(f).rightJustified(4, '0');
            ::mkdir(folder.constData(), 0755);
            // Five requests of two forms each: <folder>1001 .. <folder>1005.
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const QByteArray request =
                    QByteArray::number(f).rightJustified(4, '0') + QByteArray::number(1001 + i / 2);
                const QByteArray name = folder + '/' + request + (i % 2 ? "~B01.jpg" : "~A01.tif");
                const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
    }
    return dir;
}

ImageList::TImageListSettings settings() {
    ImageList::TImageListSettings s;
    s.ImageSources = {share().path() + QLatin1Char('/')};
    s.SubDirectoryMask = "****....";
    s.NoImageName = QStringLiteral("noimage.png");
    return s;
}

void BM_BuildImageList(benchmark::State &state) {
    const ImageList::TImageListSettings s = settings();
    int f = 0;
    for (auto _ : state) {
        TImageList list;
        QString used;
        const QByteArray request =
            QByteArray::number((f++ * 7919) % kFolders).rightJustified(4, '0') + "1003";
        ImageList::BuildImageList(list, request, used, s);
        if (list.size() != 2) {
            state.SkipWithError("wrong file count");
            return;
        }
        benchmark::DoNotOptimize(list);
    }
}

void BM_TextListingReference(benchmark::State &state) {
    const QString root = settings().ImageSources.first();
    int f = 0;
    for (auto _ : state) {
        const QByteArray request =
            QByteArray::number((f++ * 7919) % kFolders).rightJustified(4, '0') + "1003";
        const QByteArray listing =
            GDFileManip::ListDirectory(root + QString::fromLatin1(request.left(4)) + QLatin1Char('/') +
                                           QString::fromLatin1(request) + QStringLiteral("*.*"),
                                       0, 6);
        benchmark::DoNotOptimize(listing);
    }
}

BENCHMARK(BM_BuildImageList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextListingReference)->Unit(benchmark::kMillisecond)->UseRealTime();

class TimeReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> msPerRun;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.iterations > 0 && !r.error_occurred)
                msPerRun[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    share();
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.msPerRun["BM_BuildImageList/real_time"];
    const double reference = reporter.msPerRun["BM_TextListingReference/real_time"];
    std::printf("image list: %.3f ms per request (target 20 ms); text listing of the same folder: %.3f ms "
                "(ratio %.2f)\n",
                ours, reference, reference > 0 ? ours / reference : 0.0);
    benchmark::Shutdown();
    return ours > 0 && ours < 20.0 ? 0 : 1;
}
