// GSM 6.10 (WAV49) encoding of ten minutes of speech-like 22,050 Hz mono audio: ours in process,
// against sox converting the same raw samples (whole-process time, as the import would otherwise
// have to start it). Prints the ratio to real time and to sox.
#include "platform/audio/GsmCodec.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QProcess>
#include <QTemporaryDir>

#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace orva::audio;

namespace {

constexpr double kSeconds = 600;
constexpr std::size_t kSamples = std::size_t(kSeconds * kGsmRate);

const std::vector<std::int16_t> &speech() {
    static const std::vector<std::int16_t> pcm = test::speechLike(kSamples);
    return pcm;
}

QTemporaryDir &workDir() {
    static QTemporaryDir dir;
    return dir;
}

void BM_OrvaGsmEncode(benchmark::State &state) {
    const std::vector<std::int16_t> &pcm = speech();
    for (auto _ : state) {
        GsmBlockEncoder encoder;
        QByteArray blocks;
        blocks.reserve(qsizetype(kSamples / kGsmBlockSamples + 1) * kGsmBlockBytes);
        encoder.push(pcm.data(), pcm.size(), blocks);
        encoder.flush(blocks);
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetBytesProcessed(state.iterations() * qint64(kSamples) * 2);
}

void BM_SoxGsmEncode(benchmark::State &state) {
    if (test::soxProgram().isEmpty()) {
        state.SkipWithError("sox not installed");
        return;
    }
    const QString in = workDir().filePath(QStringLiteral("speech.raw"));
    if (!test::writeFile(in, test::pcmBytes(speech()))) {
        state.SkipWithError("cannot write the input");
        return;
    }
    const QString out = workDir().filePath(QStringLiteral("sox.wav"));
    for (auto _ : state) {
        if (test::runSox({"-D", "-t", "raw", "-r", "22050", "-b", "16", "-e", "signed-integer", "-c", "1", in,
                          "-t", "wav", "-e", "gsm-full-rate", out})
                .isNull()) {
            state.SkipWithError("sox failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * qint64(kSamples) * 2);
}

BENCHMARK(BM_OrvaGsmEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SoxGsmEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ours = reporter.msPerRun.find("BM_OrvaGsmEncode/real_time");
    const auto sox = reporter.msPerRun.find("BM_SoxGsmEncode/iterations:3/real_time");
    if (ours != reporter.msPerRun.end() && ours->second > 0) {
        std::printf("GSM 6.10 encoding of 10 min: ours %.0f ms = %.0fx real time (target >= 200x)",
                    ours->second, kSeconds * 1000 / ours->second);
        if (sox != reporter.msPerRun.end())
            std::printf(", sox %.0f ms, ours %.2fx sox's speed", sox->second, sox->second / ours->second);
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
