// RTF reading and writing of a 1 MB formatted item, beside plain byte work
// on the same data in the same run. Target: at least 20 MB/s each way.
#include "rtf/Rtf.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// An item the way users write long ones: paragraphs of prose with bold and
// italic words, coloured phrases, a second font, accented and non-Latin text.
void buildItem(QTextDocument &doc, qsizetype targetBytes)
{
    QTextCharFormat plain;
    plain.setFontFamilies({QStringLiteral("Arial")});
    plain.setFontPointSize(10);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat italicRed = plain;
    italicRed.setFontItalic(true);
    italicRed.setForeground(QColor(200, 0, 0));
    QTextCharFormat mono = plain;
    mono.setFontFamilies({QStringLiteral("Courier New")});
    mono.setFontPointSize(9);
    const QString words[] = {QStringLiteral("notes "), QStringLiteral("café "), QStringLiteral("meeting "),
                             QStringLiteral("“quoted” "), QStringLiteral("the "), QStringLiteral("über "),
                             QStringLiteral("project "), QStringLiteral("Привет "), QStringLiteral("and "),
                             QStringLiteral("2024 "), QStringLiteral("plan – "), QStringLiteral("{x} ")};
    QTextCursor c(&doc);
    int n = 0;
    while (true) {
        for (int para = 0; para < 50; ++para) {
            if (n > 0)
                c.insertBlock();
            QTextBlockFormat bf;
            bf.setAlignment(para % 7 == 0 ? Qt::AlignHCenter : Qt::AlignLeft);
            c.setBlockFormat(bf);
            for (int w = 0; w < 24; ++w, ++n) {
                const QTextCharFormat &f = n % 11 == 0 ? bold : n % 17 == 0 ? italicRed : n % 29 == 0 ? mono : plain;
                c.insertText(words[n % std::size(words)], f);
            }
            c.insertText(QStringLiteral("\tend."), plain);
        }
        if (rtf::write(&doc).size() >= targetBytes)
            return;
    }
}

struct Fixture
{
    QTextDocument doc;
    QByteArray rtf;
    Fixture()
    {
        buildItem(doc, 1024 * 1024);
        rtf = rtf::write(&doc);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_RtfWrite(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(rtf::write(&f.doc));
    state.SetBytesProcessed(state.iterations() * f.rtf.size());
}

void BM_RtfRead(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(f.rtf, &doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * f.rtf.size());
}

// Baselines: touching every byte once, and splitting into the lines the tree file stores.
void BM_BaselineCopy(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        QByteArray copy(f.rtf.constData(), f.rtf.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * f.rtf.size());
}

void BM_BaselineSplitLines(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.rtf.split('\n'));
    state.SetBytesProcessed(state.iterations() * f.rtf.size());
}

BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineSplitLines)->Unit(benchmark::kMillisecond);

template<typename F>
double bestMs(F &&f, int rounds = 7)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the document
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // A one-line verdict beside the table: MB/s each way and the ratio to the baseline.
    Fixture &f = fixture();
    const double mb = f.rtf.size() / (1024.0 * 1024.0);
    const double writeMs = bestMs([&] { benchmark::DoNotOptimize(rtf::write(&f.doc)); });
    const double readMs = bestMs([&] {
        QTextDocument doc;
        rtf::read(f.rtf, &doc);
    });
    const double splitMs = bestMs([&] { benchmark::DoNotOptimize(f.rtf.split('\n')); });
    std::printf("\nRTF item %.2f MB (%lld paragraphs)\n", mb, static_cast<long long>(f.doc.blockCount()));
    std::printf("write: %7.1f MB/s  (%.1f ms, %.1fx line split)  target >= 20 MB/s: %s\n", mb / (writeMs / 1000),
                writeMs, writeMs / splitMs, mb / (writeMs / 1000) >= 20 ? "ok" : "TOO SLOW");
    std::printf("read:  %7.1f MB/s  (%.1f ms, %.1fx line split)  target >= 20 MB/s: %s\n", mb / (readMs / 1000),
                readMs, readMs / splitMs, mb / (readMs / 1000) >= 20 ? "ok" : "TOO SLOW");
    std::printf("line split baseline: %.1f MB/s (%.2f ms)\n", mb / (splitMs / 1000), splitMs);
    return 0;
}
