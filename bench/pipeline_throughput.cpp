// Host-like output (full-screen repaints with an occasional host-form frame) through the receive
// pipeline into the VT100 emulator, beside the same screen text fed to the emulator alone, in 4 KiB
// blocks. Prints MB/s for both and how much the pipeline adds.
#include "app/pipeline/ReceivePipeline.h"
#include "hostforms/protocol/HostProtocol.h"
#include "terminal/core/TVtVT100Emulator.h"

#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {
constexpr int kRows = 24;
constexpr int kTotalRows = 500;
constexpr int kChunk = 4096;

QByteArray screen(int frame) {
    QByteArray s = "\x1b[H\x1b[7m REQUEST " + QByteArray::number(frame) + " \x1b[m\x1b[K";
    for (int row = 2; row <= kRows; ++row) {
        s += "\x1b[" + QByteArray::number(row) + ";1HField " + QByteArray::number(row) + ": value " +
             QByteArray::number(frame * row) + "\x1b[K";
    }
    return s;
}

struct Streams {
    QByteArray withFrames; // what the host sends
    QByteArray screenOnly; // what reaches the terminal
};

const Streams &streams() {
    static const Streams s = [] {
        Streams out;
        const QByteArray frame = HostProtocol::frame("RESULTS\x03"
                                                     "4\x03"
                                                     "0\x03"
                                                     "1\x03"
                                                     "value");
        for (int i = 0; out.screenOnly.size() < (1 << 20); ++i) {
            const QByteArray text = screen(i);
            out.screenOnly += text;
            out.withFrames += text;
            if (i % 4 == 0) {
                out.withFrames += frame;
            }
        }
        return out;
    }();
    return s;
}

void drain(TVtVT100Emulator &emulator) {
    if (emulator.NeedsUpdate()) {
        TVtRect rect;
        while (emulator.Buffer().GetInvalidRect(rect)) {
            benchmark::DoNotOptimize(rect);
        }
    }
}

class TerminalSinks : public PipelineSinks {
public:
    explicit TerminalSinks(TVtVT100Emulator &e) : m_emulator(e) {}
    void WriteString(const QByteArray &text) override {
        m_emulator.ProcessBlock(text.constData(), int(text.size()));
        drain(m_emulator);
    }
    void ExecuteRequest(const QByteArray &request) override { benchmark::DoNotOptimize(request.size()); }

private:
    TVtVT100Emulator &m_emulator;
};

void feed(benchmark::State &state, const QByteArray &data,
          const std::function<void(const char *, int)> &block) {
    for (auto _ : state) {
        for (qsizetype at = 0; at < data.size(); at += kChunk) {
            block(data.constData() + at, int(std::min<qsizetype>(kChunk, data.size() - at)));
        }
    }
    state.SetBytesProcessed(state.iterations() * streams().screenOnly.size());
}

void terminalAlone(benchmark::State &state) {
    TVtVT100Emulator emulator;
    emulator.Buffer().tbSetSVRowCount(kTotalRows);
    feed(state, streams().screenOnly, [&](const char *p, int n) {
        emulator.ProcessBlock(p, n);
        drain(emulator);
    });
}

void pipelineAndTerminal(benchmark::State &state) {
    TVtVT100Emulator emulator;
    emulator.Buffer().tbSetSVRowCount(kTotalRows);
    TerminalSinks sinks(emulator);
    ReceivePipeline pipeline(sinks, PipelineSettings{});
    feed(state, streams().withFrames, [&](const char *p, int n) { pipeline.process(QByteArray(p, n)); });
}

} // namespace

BENCHMARK(terminalAlone);
BENCHMARK(pipelineAndTerminal);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double alone = reporter.rates["terminalAlone"];
    const double both = reporter.rates["pipelineAndTerminal"];
    if (alone > 0 && both > 0) {
        std::printf("\nterminal alone %.1f MB/s, pipeline + terminal %.1f MB/s: the pipeline adds %.0f %%\n",
                    alone / 1e6, both / 1e6, (alone / both - 1.0) * 100.0);
    }
    benchmark::Shutdown();
    return 0;
}
