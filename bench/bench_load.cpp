// Opening a big document: the program's own path (copy onto the master file,
// load into the explorer, integrity check) beside reading the same file and
// splitting it into lines, in the same run. Also: peak memory while loading,
// measured in a fresh process (`bench_load --memory FILE`), and the
// 1,000,000-node document beside the 100,000-node one (`bench_load --scale`):
// `qvr check`, open + load + check, and the window's Save, each timed and its
// peak memory taken in a process of its own.
#include "support_generator.h"
#include "support_ratio.h"
#include "support_silent.h"
#include "support_window.h"

#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/RichEdit.h"
#include "store/DocState.h"
#include "store/Loader.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

// --- One document in a process of its own: the figures of --scale. ---

// Open + load + integrity check into a bare explorer, set up as the window
// sets up its own (no expanding: the window shows the tree collapsed; the
// window's limit on nesting); prints the fastest of `runs` in seconds.
int timeOpen(const QString &path, int runs)
{
    QTemporaryDir work;
    Silent ui;
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        QTreeWidget tree;
        DocState doc;
        doc.workFolder = work.path() + QLatin1Char('/');
        doc.master.setPath(work.filePath(QStringLiteral("Master")));
        doc.ui = &ui;
        doc.expandOnLoad = false;
        doc.maxDepth = 10000;
        QElapsedTimer t;
        t.start();
        if (OpenTreeFile(&tree, nullptr, doc, path) != OpenResult::Opened)
            return 1;
        best = qMin(best, t.nsecsElapsed() / 1e9);
        ClearTree(&tree);
    }
    printf("%.3f\n", best);
    return 0;
}

// The window opens a copy of the document as a command-line start does; then
// `runs` times: text typed into one item, another item selected (the text is
// stored), and Save timed. Prints the fastest Save in seconds.
int timeWindowSave(const QString &path, int runs)
{
    QTemporaryDir dir;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
    const QString document = dir.filePath(QStringLiteral("doc.qvr"));
    if (!QFile::copy(path, document))
        return 1;
    const QString program = dir.filePath(QStringLiteral("program/"));
    QDir().mkpath(program);
    BenchDialogs dialogs;
    auto window = StartWindowOn(program, document, &dialogs);
    QList<QTreeWidgetItem *> items;
    ForEachNode(window->tree(), [&](QTreeWidgetItem *node) {
        if (IsItem(node))
            items << node;
        return items.size() < 2;
    });
    if (items.size() < 2 || window->doc().documentPath != document)
        return 1;
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        window->tree()->setCurrentItem(items[0]);
        window->editor()->selectAll();
        window->editor()->insertPlainText(QStringLiteral("Typed in run %1.\n").arg(r).repeated(40));
        window->tree()->setCurrentItem(items[1]);
        if (!window->doc().documentChanged || window->doc().itemTextChanged)
            return 1;
        QElapsedTimer t;
        t.start();
        window->FileSave1Execute();
        best = qMin(best, t.nsecsElapsed() / 1e9);
        if (window->doc().documentChanged || !dialogs.texts().isEmpty())
            return 1;
    }
    printf("%.3f\n", best);
    fflush(stdout);
    // The process ends here: the window's teardown is not measured, and the
    // big files it leaves go with the folder.
    dir.remove();
    _exit(0);
}

struct ChildFigures
{
    double seconds = -1; // what the child printed, or its wall time
    double peakMb = -1;  // its peak resident memory
};

// Runs `args` with its stdout read back; the wall time when `wall`, else the
// time the child prints. Peak memory from the child's own resource usage.
ChildFigures runChild(const QStringList &args, bool wall)
{
    ChildFigures f;
    std::vector<QByteArray> bytes;
    for (const QString &a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return f;
    QElapsedTimer t;
    t.start();
    // fork, not posix_spawn: a child made sharing this process's memory
    // would carry this process's peak into its own figure.
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return f;
    }
    QByteArray printed;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        printed.append(buf, n);
    close(out[0]);
    int status = 0;
    struct rusage usage = {};
    wait4(pid, &status, 0, &usage);
    const double elapsed = t.nsecsElapsed() / 1e9;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return f;
    f.peakMb = usage.ru_maxrss / 1024.0;
    f.seconds = wall ? elapsed : printed.trimmed().split('\n').last().toDouble();
    return f;
}

// The fastest of `runs` children; the memory of the largest.
ChildFigures bestOf(const QStringList &args, bool wall, int runs)
{
    ChildFigures best;
    for (int r = 0; r < runs; ++r) {
        const ChildFigures f = runChild(args, wall);
        if (f.seconds < 0)
            return f;
        best.seconds = best.seconds < 0 ? f.seconds : qMin(best.seconds, f.seconds);
        best.peakMb = qMax(best.peakMb, f.peakMb);
    }
    return best;
}

// The 1,000,000-node document beside the 100,000-node one: time ratio
// (target <= 12) and peak memory against the file's size (target <= 2.5).
int scaleReport(const QString &self)
{
    constexpr double TimeLimit = 12.0;
    constexpr double MemoryLimit = 2.5;
    const QString small = benchFile(1);
    const QString large = benchFile(10);
    const QString qvr = QFileInfo(self).absolutePath() + QStringLiteral("/../tools/qvr");
    struct Figure
    {
        const char *name;
        QStringList (*args)(const QString &self, const QString &qvr, const QString &file);
        bool wall;
        int runs;
    };
    const Figure figures[] = {
        {"qvr check (end to end)", [](const QString &, const QString &q, const QString &file) {
             return QStringList{q, QStringLiteral("check"), file};
         }, true, 3},
        {"open + load + check", [](const QString &s, const QString &, const QString &file) {
             return QStringList{s, QStringLiteral("--open"), file, QStringLiteral("3")};
         }, false, 1},
        {"window: Save after an edit", [](const QString &s, const QString &, const QString &file) {
             return QStringList{s, QStringLiteral("--save"), file, QStringLiteral("3")};
         }, false, 1},
    };
    const double smallMb = QFileInfo(small).size() / 1048576.0;
    const double largeMb = QFileInfo(large).size() / 1048576.0;
    printf("files: 100,000 nodes %.0f MiB, 1,000,000 nodes %.0f MiB\n", smallMb, largeMb);
    printf("%-28s %10s %10s %8s %22s %22s\n", "", "100k s", "1M s", "ratio", "100k peak MiB (x file)",
           "1M peak MiB (x file)");
    bool allOk = true;
    for (const Figure &fig : figures) {
        const ChildFigures a = bestOf(fig.args(self, qvr, small), fig.wall, fig.runs);
        const ChildFigures b = bestOf(fig.args(self, qvr, large), fig.wall, fig.runs);
        if (a.seconds <= 0 || b.seconds < 0) {
            printf("%-28s failed\n", fig.name);
            allOk = false;
            continue;
        }
        const double ratio = b.seconds / a.seconds;
        const double memory = b.peakMb / largeMb;
        const bool ok = ratio <= TimeLimit && memory <= MemoryLimit;
        allOk = allOk && ok;
        printf("%-28s %10.3f %10.3f %8.2f %14.0f (%4.2f) %14.0f (%4.2f)\n", fig.name, a.seconds, b.seconds,
               ratio, a.peakMb, a.peakMb / smallMb, b.peakMb, memory);
        printf("%-28s time %s (target <= %.0f x), memory %s (target <= %.1f x the file)\n", "",
               ratio <= TimeLimit ? "ok" : "OVER", TimeLimit, memory <= MemoryLimit ? "ok" : "OVER",
               MemoryLimit);
    }
    fflush(stdout);
    if (!allOk)
        printf("Some figures are over their targets.\n");
    return 0; // figures, not a verdict: make bench goes on
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc >= 2 && std::strcmp(argv[1], "--memory") == 0)
        return measureMemory(argc >= 3 ? QString::fromLocal8Bit(argv[2]) : benchFile(1));
    if (argc >= 3 && std::strcmp(argv[1], "--open") == 0)
        return timeOpen(QString::fromLocal8Bit(argv[2]), argc >= 4 ? atoi(argv[3]) : 1);
    if (argc >= 3 && std::strcmp(argv[1], "--save") == 0)
        return timeWindowSave(QString::fromLocal8Bit(argv[2]), argc >= 4 ? atoi(argv[3]) : 1);
    if (argc >= 2 && std::strcmp(argv[1], "--scale") == 0)
        return scaleReport(QCoreApplication::applicationFilePath());
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
