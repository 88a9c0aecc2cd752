// Host text through WriteString with painting into the backing image (the main window's settings:
// no lazy display, 24x80, 500 rows, DejaVu Sans Mono at 12 points, offscreen), beside the emulator
// alone on the same 4 KiB blocks. The on-screen copy is not run. Prints MB/s and the share of the
// total time spent painting.
#include "terminal/widget/TVtTerminalEx.h"

#include "bench/HostStreams.h"
#include "bench/RatioReporter.h"
#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {
constexpr int kChunk = 4096;

const std::map<std::string, QByteArray> &streams() {
    static const std::map<std::string, QByteArray> all{{"plain_lines", plainLines()},
                                                       {"screen_repaints", screenRepaints(true)}};
    return all;
}

std::unique_ptr<TVtVT100EmulatorEx> mainWindowEmulator() {
    auto e = std::make_unique<TVtVT100EmulatorEx>();
    e->TelnetTermType = "vt400";
    e->DisplayUpperASCII = true;
    e->HandleHookedKeys = true;
    return e;
}

void core(benchmark::State &state, const std::string &stream) {
    const QByteArray &data = streams().at(stream);
    auto emulator = mainWindowEmulator();
    emulator->Buffer().tbSetSVRowCount(500);
    for (auto _ : state) {
        for (qsizetype at = 0; at < data.size(); at += kChunk) {
            emulator->ProcessBlock(data.constData() + at, int(std::min<qsizetype>(kChunk, data.size() - at)));
            if (emulator->NeedsUpdate()) {
                TVtRect rect;
                while (emulator->Buffer().GetInvalidRect(rect))
                    benchmark::DoNotOptimize(rect);
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void control(benchmark::State &state, const std::string &stream) {
    const QByteArray &data = streams().at(stream);
    TVtTerminalEx terminal;
    terminal.setEmulator(mainWindowEmulator());
    terminal.setUseLazyDisplay(false);
    terminal.setBorderStyle(TVtBorderStyle::bsNone);
    terminal.setScrollbackRows(500);
    terminal.setScrollback(true);
    terminal.setTerminalFont(QFont(QStringLiteral("Orva VT"), 12));
    terminal.SetDefForeColor(0xFFFFFF);
    terminal.SetDefBackColor(0xFF0000);
    terminal.resize(terminal.sizeHint() + QSize(terminal.verticalScrollBar()->sizeHint().width(), 0));
    const int before = terminal.ImagePaintCount();
    for (auto _ : state) {
        for (qsizetype at = 0; at < data.size(); at += kChunk) {
            terminal.WriteString(data.mid(at, kChunk));
            QCoreApplication::sendPostedEvents(&terminal); // the data-ready event: interpret and paint
        }
    }
    state.counters["paints_per_MB"] = double(terminal.ImagePaintCount() - before) /
                                      (double(state.iterations()) * double(data.size()) / 1e6);
    state.SetBytesProcessed(state.iterations() * data.size());
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const auto &[name, data] : streams()) {
        benchmark::RegisterBenchmark(("core/" + name).c_str(), core, name);
        benchmark::RegisterBenchmark(("control/" + name).c_str(), control, name);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-18s %12s %14s %16s\n", "stream", "core MB/s", "control MB/s", "painting share");
    for (const auto &[name, data] : streams()) {
        const double coreRate = reporter.rates["core/" + name];
        const double total = reporter.rates["control/" + name];
        if (coreRate > 0 && total > 0)
            std::printf("%-18s %12.1f %14.1f %15.0f%%\n", name.c_str(), coreRate / 1e6, total / 1e6,
                        100.0 * (1.0 - total / coreRate));
    }
    benchmark::Shutdown();
    return 0;
}
