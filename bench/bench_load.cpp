// Opening a big document: the program's own path (copy onto the master file,
// load into the explorer, integrity check) beside reading the same file and
// splitting it into lines, in the same run. Also: peak memory while loading,
// measured in a fresh process (`bench_load --memory FILE`).
#include "support_generator.h"
#include "support_ratio.h"

#include "store/DocState.h"
#include "store/Loader.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

namespace {

class Silent : public UserMessages
{
public:
    void showMessage(const QString &text) override { fprintf(stderr, "message: %s\n", qPrintable(text)); }
    MsgButton messageBox(const QString &, const QString &, MsgIcon, MsgButtons) override { return MsgButton::Cancel; }
    void errorDialog(const QString &) override {}
};

QString benchFile(int scale)
{
    const QString dir = QDir::tempPath() + QStringLiteral("/quivora-bench");
    QDir().mkpath(dir);
    GeneratedShape shape;
    shape.branches *= scale;
    shape.items *= scale;
    return GenerateTreeFileAt(dir + QStringLiteral("/generated-x%1.qvr").arg(scale), shape);
}

void ReadAndSplit(benchmark::State &state)
{
    const QString path = benchFile(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray all = f.readAll();
        QList<QByteArray> lines = SplitLines(all);
        benchmark::DoNotOptimize(lines.size());
        bytes += all.size();
    }
    state.SetBytesProcessed(bytes);
}

void OpenLoadCheck(benchmark::State &state)
{
    const QString path = benchFile(int(state.range(0)));
    QTemporaryDir work;
    Silent ui;
    int nodes = 0;
    for (auto _ : state) {
        QTreeWidget tree;
        DocState doc;
        doc.workFolder = work.path() + QLatin1Char('/');
        doc.master.setPath(work.filePath(QStringLiteral("Master")));
        doc.ui = &ui;
        if (OpenTreeFile(&tree, nullptr, doc, path) != OpenResult::Opened)
            state.SkipWithError("the document did not open");
        nodes = CountNodes(&tree);
        state.PauseTiming(); // tearing the tree down is not part of opening it
        tree.clear();
        state.ResumeTiming();
    }
    state.counters["nodes"] = nodes;
}

BENCHMARK(ReadAndSplit)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(OpenLoadCheck)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

long currentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

int measureMemory(const QString &path)
{
    QTemporaryDir work;
    Silent ui;
    QTreeWidget tree;
    DocState doc;
    doc.workFolder = work.path() + QLatin1Char('/');
    doc.master.setPath(work.filePath(QStringLiteral("Master")));
    doc.ui = &ui;
    const long before = currentKb();
    OpenTreeFile(&tree, nullptr, doc, path);
    const long peak = peakKb();
    const double fileKb = QFileInfo(path).size() / 1024.0;
    printf("file %.0f KiB, resident before %ld KiB, peak %ld KiB: loading added %.0f KiB = %.2f x the file\n",
           fileKb, before, peak, double(peak - before), (peak - before) / fileKb);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc >= 2 && std::strcmp(argv[1], "--memory") == 0)
        return measureMemory(argc >= 3 ? QString::fromLocal8Bit(argv[2]) : benchFile(1));
    if (argc >= 2 && std::strcmp(argv[1], "--generate") == 0) {
        printf("%s\n", qPrintable(benchFile(argc >= 3 ? atoi(argv[2]) : 1)));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"OpenLoadCheck/1/min_time:2.000", "ReadAndSplit/1/min_time:2.000", 5.0},
        {"OpenLoadCheck/2/min_time:2.000", "OpenLoadCheck/1/min_time:2.000", 2.3},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
