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
#include <ctime>

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

// The same size made of what pasted pages bring: headings, indented and
// spaced paragraphs, highlight, links, nested lists and tables.
QString structuredChunk()
{
    return QStringLiteral(
        "<h2>Section</h2><p style='margin-left:24px; text-indent:-8px; line-height:150%'>Some <b>bold</b> and "
        "<span style='background-color:#ffff00'>marked</span> words with <a href='https://example.com/p'>a link</a>.</p>"
        "<ul><li>First point</li><li>Second<ol type=a><li>inner one</li><li>inner two</li></ol></li></ul>"
        "<table border=1><tr><td width=120>Name</td><td>Value</td></tr><tr><td>alpha</td><td><i>12</i></td></tr>"
        "<tr><td>beta</td><td>34</td></tr></table><p align=justify>Closing paragraph of the section.</p>");
}

void buildStructured(QTextDocument &doc, qsizetype targetBytes)
{
    doc.setHtml(structuredChunk());
    const qsizetype one = rtf::write(&doc).size();
    doc.setHtml(structuredChunk().repeated(int(targetBytes * 1.15 / one) + 1)); // one font table for all
}

// A table of 100 rows, as an item the user selects: read and laid out.
QByteArray tableItem()
{
    QString html = QStringLiteral("<table border=1>");
    for (int r = 0; r < 100; ++r)
        html += QStringLiteral("<tr><td>Row %1</td><td><b>bold</b> text</td><td>more text here</td></tr>").arg(r);
    QTextDocument doc;
    doc.setHtml(html + QStringLiteral("</table>"));
    return rtf::write(&doc);
}

struct Fixture
{
    QTextDocument doc;
    QByteArray rtf;
    QTextDocument structured;
    QByteArray structuredRtf;
    Fixture()
    {
        buildItem(doc, 1024 * 1024);
        rtf = rtf::write(&doc);
        buildStructured(structured, 1024 * 1024);
        structuredRtf = rtf::write(&structured);
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

struct Timing
{
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

double cpuNowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Best of several rounds, by the wall clock and by the CPU time the process
// used: on a busy machine only the latter says what the code costs.
template<typename F>
Timing best(F &&f, int rounds = 7)
{
    Timing t;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer wall;
        const double cpu0 = cpuNowMs();
        wall.start();
        f();
        t.wallMs = std::min(t.wallMs, wall.nsecsElapsed() / 1e6);
        t.cpuMs = std::min(t.cpuMs, cpuNowMs() - cpu0);
    }
    return t;
}

void report(const char *what, double mb, const Timing &t, const Timing &base)
{
    const double mbs = mb / (t.cpuMs / 1000);
    std::printf("%-6s %7.1f MB/s CPU (%6.1f ms; wall %6.1f ms = %5.1f MB/s)  %6.1fx the line split  "
                "target >= 20 MB/s: %s\n",
                what, mbs, t.cpuMs, t.wallMs, mb / (t.wallMs / 1000), t.cpuMs / base.cpuMs,
                mbs >= 20 ? "ok" : "TOO SLOW");
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
    const Timing write = best([&] { benchmark::DoNotOptimize(rtf::write(&f.doc)); });
    const Timing read = best([&] {
        QTextDocument doc;
        rtf::read(f.rtf, &doc);
    });
    const Timing split = best([&] { benchmark::DoNotOptimize(f.rtf.split('\n')); });
    std::printf("\nRTF item %.2f MB (%lld paragraphs)\n", mb, static_cast<long long>(f.doc.blockCount()));
    report("write:", mb, write, split);
    report("read:", mb, read, split);
    std::printf("line split baseline: %.1f MB/s CPU (%.2f ms)\n", mb / (split.cpuMs / 1000), split.cpuMs);

    const double smb = f.structuredRtf.size() / (1024.0 * 1024.0);
    const Timing swrite = best([&] { benchmark::DoNotOptimize(rtf::write(&f.structured)); });
    const Timing sread = best([&] {
        QTextDocument doc;
        rtf::read(f.structuredRtf, &doc);
    });
    std::printf("\nStructured item %.2f MB (lists, tables, links, highlight, paragraph formats)\n", smb);
    report("write:", smb, swrite, split);
    report("read:", smb, sread, split);
    const QByteArray table = tableItem();
    const Timing select = best([&] {
        QTextDocument doc;
        rtf::read(table, &doc);
        doc.setTextWidth(600);
        benchmark::DoNotOptimize(doc.size()); // the editor lays the item out to show it
    });
    std::printf("100-row table item: read and laid out in %.1f ms CPU (wall %.1f ms)  target < 200 ms: %s\n",
                select.cpuMs, select.wallMs, select.wallMs < 200 ? "ok" : "TOO SLOW");
    return 0;
}
