// Loading and laying out a 50-page report in the word-processor document (formatted paragraphs,
// a field in each, a 3 x 3 results table every few pages), compared with pandoc converting the
// same RTF file to plain text in the same run.
#include "platform/richtext/TWpRtf.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextTable>
#include <benchmark/benchmark.h>

using namespace orva::richtext;

namespace {

QTemporaryDir *tempDir = nullptr;

QString reportFile() {
    static const QString file = [] {
        TWpDocument doc;
        QTextCursor c(doc.main());
        QTextCharFormat plain;
        plain.setFontFamilies({QStringLiteral("Arial")});
        plain.setFontPointSize(10);
        QTextCharFormat bold = plain;
        bold.setFontWeight(QFont::Bold);
        for (int section = 0; section < 280; ++section) {
            c.insertText(QStringLiteral("Section %1").arg(section), bold);
            c.insertBlock(QTextBlockFormat(), plain);
            for (int para = 0; para < 6; ++para) {
                c.insertText("The specimen consists of an ellipse of skin measuring 12 x 5 x 4 mm. ", plain);
                const int id = doc.newFieldId();
                QTextCharFormat field = plain;
                field.setProperty(FieldIdProperty, id);
                c.insertText("Smith", field);
                c.insertText(
                    " Sections show a lesion with clear margins and no atypia in the sampled tissue.", plain);
                c.insertBlock(QTextBlockFormat(), plain);
            }
            if (section % 20 != 19)
                continue; // a results table every few pages, as reports have them
            QTextTable *t = c.insertTable(3, 3);
            for (int k = 0; k < 9; ++k)
                t->cellAt(k / 3, k % 3).firstCursorPosition().insertText("value", plain);
            c.setPosition(t->lastPosition() + 1);
        }
        const QString path = tempDir->filePath("report.rtf");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(writeRtf(doc));
        return path;
    }();
    return file;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// pandoc's best of three runs on the same file, the reference the ratio counter is taken against.
double pandocMilliseconds() {
    static const double ms = [] {
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer t;
            t.start();
            QProcess p;
            p.start("pandoc", {"-f", "rtf", "-t", "plain", reportFile()});
            if (!p.waitForFinished(60000))
                return 0.0;
            best = qMin(best, t.nsecsElapsed() / 1e6);
        }
        return best;
    }();
    return ms;
}

void BM_LoadAndLayout(benchmark::State &state) {
    const QByteArray rtf = readAll(reportFile());
    int pages = 0;
    QElapsedTimer timer;
    qint64 total = 0;
    for (auto _ : state) {
        timer.start();
        TWpDocument doc;
        readRtf(rtf, doc);
        doc.main()->setPageSize(QSizeF(twipsToUnits(doc.page.width), twipsToUnits(doc.page.height)));
        pages = doc.main()->pageCount();
        benchmark::DoNotOptimize(pages);
        total += timer.nsecsElapsed();
    }
    state.counters["pages"] = pages;
    if (const double reference = pandocMilliseconds(); reference > 0 && state.iterations() > 0)
        state.counters["ratio_to_pandoc"] = total / 1e6 / double(state.iterations()) / reference;
    state.counters["bytes"] = double(rtf.size());
}

void BM_LoadOnly(benchmark::State &state) {
    const QByteArray rtf = readAll(reportFile());
    for (auto _ : state) {
        TWpDocument doc;
        readRtf(rtf, doc);
        benchmark::DoNotOptimize(doc.main()->characterCount());
    }
}

void BM_PandocReadsSameFile(benchmark::State &state) {
    const QString file = reportFile();
    for (auto _ : state) {
        QProcess p;
        p.start("pandoc", {"-f", "rtf", "-t", "plain", file});
        if (!p.waitForFinished(60000)) {
            state.SkipWithError("pandoc did not run");
            return;
        }
        benchmark::DoNotOptimize(p.readAllStandardOutput());
    }
}

} // namespace

BENCHMARK(BM_LoadAndLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PandocReadsSameFile)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    tempDir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
