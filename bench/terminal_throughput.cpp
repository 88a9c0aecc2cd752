// Host-output throughput of the VT100 emulator against libvterm, fed the same streams in 4 KiB chunks
// with 500 rows in all (libvterm keeps its scrollback through the push-line callback, as a terminal
// using it would). Prints MB/s (CPU time) for both and the ratio per stream.
#include "terminal/core/TVtVT100Emulator.h"

#include "bench/HostStreams.h"
#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <vterm.h>

#include <QDir>
#include <QFile>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
constexpr int kRows = 24;
constexpr int kCols = 80;
constexpr int kTotalRows = 500;
constexpr int kChunk = 4096;

QByteArray vttestStreams() {
    QByteArray s;
    const QDir dir(QStringLiteral(ORVA_SOURCE_DIR "/tools/vttest/fixtures"));
    for (const QString &name : dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            s += file.readAll();
    }
    return s;
}

const std::map<std::string, QByteArray> &streams() {
    static const std::map<std::string, QByteArray> all = [] {
        std::map<std::string, QByteArray> m{{"plain_lines", plainLines()},
                                            {"screen_repaints", screenRepaints(false)}};
        const QByteArray vttest = vttestStreams();
        if (!vttest.isEmpty())
            m.emplace("vttest", vttest);
        return m;
    }();
    return all;
}

void orva(benchmark::State &state, const std::string &stream) {
    const QByteArray &data = streams().at(stream);
    TVtVT100Emulator emulator;
    emulator.DisplayUpperASCII = true;
    emulator.Buffer().tbSetSVRowCount(kTotalRows);
    for (auto _ : state) {
        for (qsizetype at = 0; at < data.size(); at += kChunk) {
            emulator.ProcessBlock(data.constData() + at, int(std::min<qsizetype>(kChunk, data.size() - at)));
            // What the control does after each block: drain the invalid area.
            if (emulator.NeedsUpdate()) {
                TVtRect rect;
                while (emulator.Buffer().GetInvalidRect(rect))
                    benchmark::DoNotOptimize(rect);
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

struct Scrollback {
    std::vector<VTermScreenCell> cells =
        std::vector<VTermScreenCell>(std::size_t(kTotalRows - kRows) * kCols);
    int next = 0;
};

int pushLine(int cols, const VTermScreenCell *cells, void *user) {
    auto *sb = static_cast<Scrollback *>(user);
    std::copy(cells, cells + std::min(cols, kCols), sb->cells.begin() + std::ptrdiff_t(sb->next) * kCols);
    sb->next = (sb->next + 1) % (kTotalRows - kRows);
    return 1;
}

void vterm(benchmark::State &state, const std::string &stream) {
    const QByteArray &data = streams().at(stream);
    VTerm *vt = vterm_new(kRows, kCols);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    Scrollback scrollback;
    VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = pushLine;
    vterm_screen_set_callbacks(screen, &callbacks, &scrollback);
    vterm_screen_reset(screen, 1);
    for (auto _ : state) {
        for (qsizetype at = 0; at < data.size(); at += kChunk) {
            vterm_input_write(vt, data.constData() + at,
                              std::size_t(std::min<qsizetype>(kChunk, data.size() - at)));
            vterm_screen_flush_damage(screen);
        }
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    vterm_free(vt);
}

} // namespace

int main(int argc, char **argv) {
    for (const auto &[name, data] : streams()) {
        benchmark::RegisterBenchmark(("orva/" + name).c_str(), orva, name);
        benchmark::RegisterBenchmark(("libvterm/" + name).c_str(), vterm, name);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-18s %12s %12s %8s\n", "stream", "orva MB/s", "libvterm MB/s", "ratio");
    for (const auto &[name, data] : streams()) {
        const double mine = reporter.rates["orva/" + name];
        const double ref = reporter.rates["libvterm/" + name];
        if (mine > 0 && ref > 0)
            std::printf("%-18s %12.1f %12.1f %8.2f\n", name.c_str(), mine / 1e6, ref / 1e6, mine / ref);
    }
    benchmark::Shutdown();
    return 0;
}
