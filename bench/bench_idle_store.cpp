// The idle store on the big document: the window stores 2 KB of typed text
// while the user pauses, beside its baseline, one atomic write of the master
// file (what a store point costs). The idle store must block the window for
// at most 50 ms whatever the document's size.
#include "support_generator.h"
#include "support_ratio.h"
#include "support_window.h"

#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/RichEdit.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Setup
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TfrmTree> window;

    Setup()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
        const QString folder = QDir::tempPath() + QStringLiteral("/quivora-bench");
        QDir().mkpath(folder);
        const QString document = dir.filePath(QStringLiteral("doc.qvr"));
        QFile::copy(GenerateTreeFileAt(folder + QStringLiteral("/generated-x1.qvr")), document);
        QDir().mkpath(dir.filePath(QStringLiteral("program")));
        window = StartWindowOn(dir.filePath(QStringLiteral("program/")), document, &dialogs);
        ForEachNode(window->tree(), [this](QTreeWidgetItem *node) {
            if (!IsItem(node))
                return true;
            window->tree()->setCurrentItem(node);
            return false;
        });
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

void IdleStore(benchmark::State &state)
{
    TfrmTree *w = setup().window.get();
    QString text;
    for (int i = 0; text.size() < 2048; ++i)
        text += QStringLiteral("Line %1 of the notes typed into this item.\n").arg(i);
    for (auto _ : state) {
        state.PauseTiming();
        w->editor()->selectAll();
        w->editor()->insertPlainText(text.left(2048));
        const bool typed = w->doc().itemTextChanged;
        state.ResumeTiming();
        w->IdleStore();
        if (!typed || w->doc().itemTextChanged) {
            state.SkipWithError("the text was not stored");
            break;
        }
    }
    state.counters["master_MB"] = QFile(w->doc().masterPath()).size() / 1e6;
}

void AtomicWriteOfMaster(benchmark::State &state)
{
    Setup &s = setup();
    QFile in(s.window->doc().masterPath());
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    const QString path = s.window->doc().workFolder + QStringLiteral("AtomicCopy");
    for (auto _ : state) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            state.SkipWithError("the atomic write failed");
    }
    QFile::remove(path);
}

} // namespace

BENCHMARK(AtomicWriteOfMaster)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(IdleStore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    setup(); // the window and its document before anything is timed
    // The 50 ms bound against a master file of about 100 MB, whose atomic
    // write takes far longer: the ratio shows how far from a rewrite it is.
    RatioReporter reporter({{"IdleStore/iterations:20/real_time", "AtomicWriteOfMaster/iterations:5/real_time", 0.1}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The window goes before the application object does.
    setup().window->doc().documentChanged = false;
    setup().window->close();
    setup().window.reset();
    return 0;
}
