// Work that must grow linearly with its input: report messages with many keys, host markup with
// many format changes in one paragraph, RTF tables with many rows, dictation placeholders
// filled in one paragraph, and DYNAMICRANGE markers on range pictures of growing height. Each family runs at
// several sizes; the time per item of the largest is printed beside that of the smallest, measured in the
// same run, so that a cost growing faster than the input shows as a ratio well above 1. Each size
// is timed three times and the fastest counts, which a busy machine disturbs least.
#include "common/testing/RecordingMessages.h"
#include "editor/report/DynamicTarget.h"
#include "editor/report/HostMarkup.h"
#include "editor/report/TReportRecord.h"
#include "editor/wpform/TWPForm.h"
#include "platform/richtext/TWpRtf.h"
#include "platform/richtext/TWpTextControl.h"

#include "RatioReporter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTemporaryDir>
#include <QTextCursor>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace orva::richtext;

namespace {

// "KX_K0000001~value^..." with every key new, as a crafted or very large message would be.
QByteArray reportMessage(int keys) {
    QByteArray m;
    m.reserve(qsizetype(keys) * 12);
    for (int i = 0; i < keys; ++i) {
        if (i > 0)
            m += '^';
        m += "KX_K" + QByteArray::number(i) + "~v";
    }
    return m;
}

// One paragraph of words each followed by a format mark: bold toggles, or placeholders.
QByteArray markup(int changes, char mark) {
    QByteArray m;
    m.reserve(qsizetype(changes) * 6);
    for (int i = 0; i < changes; ++i)
        m += QByteArray("word ") + mark;
    return m;
}

// A table of `rows` rows of eight cells, each with a short value.
QByteArray rtfTable(int rows) {
    QByteArray row = "\\trowd\\trgaph108";
    for (int c = 1; c <= 8; ++c)
        row += "\\clbrdrt\\brdrw15\\cellx" + QByteArray::number(c * 1200);
    row += '\n';
    for (int c = 0; c < 8; ++c)
        row += "\\pard\\intbl 12.5\\cell ";
    row += "\\row\n";
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Results\\par\n";
    rtf.reserve(rtf.size() + row.size() * rows + 16);
    for (int r = 0; r < rows; ++r)
        rtf += row;
    rtf += "\\pard after\\par}";
    return rtf;
}

void sizes(benchmark::internal::Benchmark *b) {
    b->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
    b->ComputeStatistics("min",
                         [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); });
}

void changes(benchmark::internal::Benchmark *b) {
    for (int n = 1000; n <= 16000; n *= 2)
        b->Arg(n);
}

void BM_ReportMessageKeys(benchmark::State &state) {
    const int keys = int(state.range(0));
    const QByteArray message = reportMessage(keys);
    for (auto _ : state) {
        TReportRecord record;
        LoadReportKeys(record);
        record.Parse(message);
        benchmark::DoNotOptimize(record.Values.size());
    }
    state.SetItemsProcessed(state.iterations() * keys);
    state.counters["bytes"] = double(message.size());
}
BENCHMARK(BM_ReportMessageKeys)->Arg(10000)->Arg(40000)->Arg(160000)->Apply(sizes);

// Markup goes into the editor's own control, whose document is laid out as it changes.
void importMarkup(benchmark::State &state, char mark) {
    const int changes = int(state.range(0));
    const QByteArray text = markup(changes, mark);
    TWpTextControl control;
    control.resize(800, 600);
    for (auto _ : state) {
        control.ClearDocument();
        QTextCursor c = control.editor()->textCursor();
        ImportHostMarkup(control.document(), c, text, "Arial", "10");
        benchmark::DoNotOptimize(control.document().main()->documentLayout()->documentSize());
    }
    state.SetItemsProcessed(state.iterations() * changes);
    state.counters["bytes"] = double(text.size());
}

void BM_MarkupBoldToggles(benchmark::State &state) {
    importMarkup(state, '{');
}
BENCHMARK(BM_MarkupBoldToggles)->Apply(changes)->Apply(sizes);

void BM_MarkupPlaceholders(benchmark::State &state) {
    importMarkup(state, '`');
}
BENCHMARK(BM_MarkupPlaceholders)->Apply(changes)->Apply(sizes);

void BM_RtfTableRows(benchmark::State &state) {
    const int rows = int(state.range(0));
    const QByteArray rtf = rtfTable(rows);
    for (auto _ : state) {
        TWpDocument doc;
        readRtf(rtf, doc);
        benchmark::DoNotOptimize(doc.main()->characterCount());
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["bytes"] = double(rtf.size());
}
BENCHMARK(BM_RtfTableRows)->Apply(changes)->Apply(sizes);

// One paragraph of `count` placeholders, every one asking for the dictation that the dictation
// window has just corrected: each is filled with its text.
void BM_DictationPlaceholders(benchmark::State &state) {
    const int count = int(state.range(0));
    QTemporaryDir dir;
    EditorFolders folders;
    folders.ResultDirectory = dir.filePath("work");
    folders.ProgramDirectory = dir.filePath("program");
    RecordingMessages messages;
    TWPForm form(folders, nullptr, messages);
    form.SetReceivedReportText(
        "KX_REQCODE~R1^KX_PROCCODE~P1^KX_RESULTTEXT~x^KX_AUDIOTEXTINFO~J1\\2\\P1\\Gross");
    form.LoadReport();
    const QString placeholder = QChar(0xA8) + QStringLiteral("INSERT AUDIO HERE-J1;P1;Gross");
    for (auto _ : state) {
        state.PauseTiming();
        TWpDocument &doc = form.ResultBox()->document();
        doc.clear();
        QTextCursor c(doc.main());
        c.beginEditBlock();
        for (int i = 0; i < count; ++i) {
            QTextCharFormat field;
            field.setProperty(FieldIdProperty, doc.newFieldId());
            c.insertText(placeholder, field);
            c.insertText(QStringLiteral(" and "), QTextCharFormat());
        }
        c.endEditBlock();
        state.ResumeTiming();
        form.AudioStatusChanged("J1", "Corrected text", 4);
        benchmark::DoNotOptimize(doc.main()->characterCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DictationPlaceholders)->Arg(250)->Arg(1000)->Arg(4000)->Apply(sizes);

// A range picture 200 pixels wide and `rows` high, marked at its right edge (where it is widened).
void BM_DynamicRangeHeight(benchmark::State &state) {
    const int rows = int(state.range(0));
    QTemporaryDir dir;
    QImage range(200, rows, QImage::Format_RGB32);
    range.fill(Qt::white);
    const QString source = dir.filePath("range.png");
    range.save(source);
    for (auto _ : state) {
        tDynamicTarget target;
        benchmark::DoNotOptimize(
            target.AddTarget(source, dir.filePath("out.png"), "100", QStringLiteral("L")));
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_DynamicRangeHeight)->Arg(1000)->Arg(4000)->Arg(16000)->Apply(sizes);

struct Family {
    const char *name;
    int smallest, largest;
};

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const Family families[] = {
        {"BM_ReportMessageKeys", 10000, 160000}, {"BM_MarkupBoldToggles", 1000, 16000},
        {"BM_MarkupPlaceholders", 1000, 16000},  {"BM_RtfTableRows", 1000, 16000},
        {"BM_DictationPlaceholders", 250, 4000}, {"BM_DynamicRangeHeight", 1000, 16000}};
    // Google Benchmark names the fastest run "<family>/<size>/repeats:3_min"; times are in ms.
    auto fastest = [&](const Family &f, int size) -> double {
        const std::string prefix = std::string(f.name) + "/" + std::to_string(size) + "/";
        for (const auto &[name, ms] : reporter.msPerRun)
            if (name.rfind(prefix, 0) == 0 && name.size() > 4 &&
                name.compare(name.size() - 4, 4, "_min") == 0)
                return ms;
        return -1;
    };
    std::printf("\n%-24s %16s %16s %8s %12s\n", "family", "us/item small", "us/item large", "ratio",
                "largest ms");
    bool flat = true;
    for (const Family &f : families) {
        const double smallMs = fastest(f, f.smallest);
        const double largeMs = fastest(f, f.largest);
        if (smallMs < 0 || largeMs < 0)
            continue; // filtered out on the command line
        const double perSmall = smallMs * 1000.0 / f.smallest;
        const double perLarge = largeMs * 1000.0 / f.largest;
        const double ratio = perLarge / perSmall;
        const char *verdict = ratio > 2.0 ? "GROWS" : largeMs >= 1000.0 ? "SLOW" : "flat";
        flat = flat && ratio <= 2.0 && largeMs < 1000.0;
        std::printf("%-24s %16.3f %16.3f %8.2f %12.1f %s\n", f.name, perSmall, perLarge, ratio, largeMs,
                    verdict);
    }
    return flat ? 0 : 1;
}
