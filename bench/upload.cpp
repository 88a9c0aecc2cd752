// Building the upload of a 2 MB report (base64 of the document, both checksums, the 84-character
// lines and the header) beside coreutils base64 wrapping the same bytes, both in MB/s of input.
#include "editor/report/HostUpload.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

namespace {
constexpr qsizetype kDocumentSize = 2 * 1024 * 1024;

const QByteArray &document() {
    static const QByteArray doc = [] {
        QByteArray d(kDocumentSize, Qt::Uninitialized);
        std::mt19937 rng(42);
        for (char &c : d)
            c = char(rng());
        return d;
    }();
    return doc;
}

const QByteArray &reportText() {
    static const QByteArray text = [] {
        QByteArray t;
        while (t.size() < 8000)
            t += "Two cores of liver tissue, 12 mm, with mild steatosis \xbd grade.\r\n";
        return t;
    }();
    return text;
}

void BM_BuildUpload(benchmark::State &state) {
    for (auto _ : state) {
        const QByteArray b64 = document().toBase64();
        UploadMessage m = BuildUploadMessage(reportText(), b64);
        benchmark::DoNotOptimize(m.head.data());
        benchmark::DoNotOptimize(m.lines.size());
    }
    state.SetBytesProcessed(state.iterations() * kDocumentSize);
}
BENCHMARK(BM_BuildUpload)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChecksumOnly(benchmark::State &state) {
    const QByteArray b64 = document().toBase64();
    for (auto _ : state)
        benchmark::DoNotOptimize(HostChecksum(b64, b64.size()));
    state.SetBytesProcessed(state.iterations() * b64.size());
}
BENCHMARK(BM_ChecksumOnly)->Unit(benchmark::kMillisecond);

// The reference: coreutils base64 with the same line width, reading the same bytes from a file.
void BM_CoreutilsBase64(benchmark::State &state) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("document.bin");
    if (!QFile::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(document()) != document().size()) {
            state.SkipWithError("could not write the document");
            return;
        }
    }
    const QByteArray command = "base64 -w 84 '" + path.toLocal8Bit() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.constData()) != 0) {
            state.SkipWithError("base64 failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * kDocumentSize);
}
BENCHMARK(BM_CoreutilsBase64)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// Ratio of the two in wall time, measured again here so that it is printed on its own line.
int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto mbPerSecond = [](const std::function<void()> &run) {
        constexpr int kRounds = 20;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i)
            run();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return double(kDocumentSize) * kRounds / 1e6 / seconds;
    };
    const double ours = mbPerSecond([] {
        UploadMessage m = BuildUploadMessage(reportText(), document().toBase64());
        benchmark::DoNotOptimize(m.lines.size());
    });
    QTemporaryDir dir;
    QFile f(dir.filePath("document.bin"));
    if (!f.open(QIODevice::WriteOnly) || f.write(document()) != document().size())
        return 1;
    f.close();
    const QByteArray command = "base64 -w 84 '" + f.fileName().toLocal8Bit() + "' > /dev/null";
    const double reference = mbPerSecond([&] { benchmark::DoNotOptimize(std::system(command.constData())); });
    std::printf("upload build: %.0f MB/s, coreutils base64 (with process start): %.0f MB/s, ratio %.2f\n",
                ours, reference, ours / reference);
    return 0;
}
