// The main window on a big document, each figure beside its baseline in the
// same run: moving the selection from one item to another with 2 KB of typed
// text to store (vs one atomic write of the master file), opening the
// document (vs the store's own load into a bare tree view) and Save after an
// edit (vs an atomic copy of the file).
#include "support_generator.h"
#include "support_ratio.h"
#include "support_window.h"

#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/RichEdit.h"
#include "store/DocState.h"
#include "store/Loader.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

struct Setup
{
    QTemporaryDir dir;
    QString document; // a private copy: Save writes to it
    BenchDialogs dialogs;
    std::unique_ptr<TfrmTree> window;

    Setup()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
        const QString folder = QDir::tempPath() + QStringLiteral("/quivora-bench");
        QDir().mkpath(folder);
        const QString generated = GenerateTreeFileAt(folder + QStringLiteral("/generated-x1.qvr"));
        document = dir.filePath(QStringLiteral("doc.qvr"));
        QFile::copy(generated, document);

        const QString program = dir.filePath(QStringLiteral("program/"));
        QDir().mkpath(program);
        window = StartWindowOn(program, document, &dialogs);
    }

    // The first `n` items of the tree, in tree order.
    QList<QTreeWidgetItem *> items(int n) const
    {
        QList<QTreeWidgetItem *> found;
        ForEachNode(window->tree(), [&](QTreeWidgetItem *node) {
            if (IsItem(node))
                found << node;
            return found.size() < n;
        });
        return found;
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

QString typedText()
{
    QString text;
    for (int i = 0; text.size() < 2048; ++i)
        text += QStringLiteral("Line %1 of the notes typed into this item.\n").arg(i);
    return text.left(2048);
}

// Replaces the editor's text with 2 KB typed by the user.
void typeInto(TfrmTree *w)
{
    static const QString text = typedText();
    w->editor()->selectAll();
    w->editor()->insertPlainText(text);
}

void atomicWrite(const QString &path, const QByteArray &bytes, benchmark::State &state)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        state.SkipWithError("the atomic write failed");
}

// (a) Selection change with the store point: A's typed text is stored, B's text shown.
void SelectionChange(benchmark::State &state)
{
    Setup &s = setup();
    TfrmTree *w = s.window.get();
    const QList<QTreeWidgetItem *> two = s.items(2);
    if (two.size() < 2) {
        state.SkipWithError("no items");
        return;
    }
    w->tree()->setCurrentItem(two[0]);
    for (auto _ : state) {
        state.PauseTiming();
        typeInto(w);
        const bool typed = w->doc().itemTextChanged;
        state.ResumeTiming();
        w->tree()->setCurrentItem(two[1]);
        state.PauseTiming();
        const bool stored = !w->doc().itemTextChanged && w->tree()->currentItem() == two[1];
        w->tree()->setCurrentItem(two[0]);
        state.ResumeTiming();
        if (!typed || !stored) {
            state.SkipWithError(typed ? "the text was not stored" : "the typing was not noticed");
            break;
        }
    }
    state.counters["master_MB"] = QFileInfo(w->doc().masterPath()).size() / 1e6;
}

void AtomicWriteOfMaster(benchmark::State &state)
{
    Setup &s = setup();
    const QByteArray bytes = [&] {
        QFile f(s.window->doc().masterPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString path = s.window->doc().workFolder + QStringLiteral("AtomicCopy");
    for (auto _ : state)
        atomicWrite(path, bytes, state);
    QFile::remove(path);
}

// (b) Opening the document in the window through the Open command.
void OpenInWindow(benchmark::State &state)
{
    Setup &s = setup();
    TfrmTree *w = s.window.get();
    int nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Tearing the old tree down belongs to the previous document.
        s.dialogs.answers.enqueue(MsgButton::No);
        w->FileNew1Execute();
        s.dialogs.clear();
        s.dialogs.fileAnswers.enqueue(s.document);
        state.ResumeTiming();
        w->FileOpen1Execute();
        state.PauseTiming();
        nodes = CountNodes(w->tree());
        const bool opened = s.dialogs.texts().isEmpty() && w->doc().documentPath == s.document
                            && !w->doc().untitled;
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("the document did not open");
            break;
        }
    }
    state.counters["nodes"] = nodes;
}

void OpenTreeFileBare(benchmark::State &state)
{
    Setup &s = setup();
    QTemporaryDir work;
    ScriptedDialogs ui;
    int nodes = 0;
    for (auto _ : state) {
        QTreeWidget tree;
        DocState doc;
        doc.workFolder = work.path() + QLatin1Char('/');
        doc.master.setPath(work.filePath(QStringLiteral("Master")));
        doc.ui = &ui;
        const bool failed = OpenTreeFile(&tree, nullptr, doc, s.document) != OpenResult::Opened;
        nodes = CountNodes(&tree);
        state.PauseTiming();
        tree.clear();
        state.ResumeTiming();
        if (failed) {
            state.SkipWithError("the document did not open");
            break;
        }
    }
    state.counters["nodes"] = nodes;
}

// (c) Save after an edit that has been stored (the user typed, then moved on).
void SaveAfterEdit(benchmark::State &state)
{
    Setup &s = setup();
    TfrmTree *w = s.window.get();
    const QList<QTreeWidgetItem *> two = s.items(2);
    for (auto _ : state) {
        state.PauseTiming();
        w->tree()->setCurrentItem(two[0]);
        typeInto(w);
        w->tree()->setCurrentItem(two[1]);
        const bool edited = w->doc().documentChanged && !w->doc().untitled && !w->doc().itemTextChanged;
        state.ResumeTiming();
        w->FileSave1Execute();
        state.PauseTiming();
        const bool saved = !w->doc().documentChanged;
        state.ResumeTiming();
        if (!edited || !saved) {
            state.SkipWithError(edited ? "the save failed" : "no stored edit on a titled document");
            break;
        }
    }
}

// The same with the text still in the editor: Save stores it first.
void SaveWithTextInEditor(benchmark::State &state)
{
    Setup &s = setup();
    TfrmTree *w = s.window.get();
    const QList<QTreeWidgetItem *> two = s.items(1);
    w->tree()->setCurrentItem(two[0]);
    for (auto _ : state) {
        state.PauseTiming();
        typeInto(w);
        state.ResumeTiming();
        w->FileSave1Execute();
        state.PauseTiming();
        const bool saved = !w->doc().documentChanged && !w->doc().itemTextChanged;
        state.ResumeTiming();
        if (!saved) {
            state.SkipWithError("the save failed");
            break;
        }
    }
}

// Where Save's time goes: the master file's content written into a
// QSaveFile chunk by chunk as Save writes it (arg 0), and through the master
// file's own staged atomic write aimed at the user's file (arg 1).
void MasterIntoSaveFile(benchmark::State &state)
{
    Setup &s = setup();
    const QString path = s.dir.filePath(QStringLiteral("written.qvr"));
    for (auto _ : state) {
        bool ok;
        if (state.range(0) == 0) {
            QSaveFile file(path);
            ok = file.open(QIODevice::WriteOnly) && s.window->doc().master.writeTo(&file) && file.commit();
        } else {
            MasterFile copy = s.window->doc().master;
            copy.setPath(path);
            ok = copy.save();
        }
        if (!ok) {
            state.SkipWithError("the write failed");
            break;
        }
    }
    QFile::remove(path);
}

void AtomicCopyOfFile(benchmark::State &state)
{
    Setup &s = setup();
    const QByteArray bytes = [&] {
        QFile f(s.document);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString path = s.dir.filePath(QStringLiteral("copy.qvr"));
    for (auto _ : state)
        atomicWrite(path, bytes, state);
    QFile::remove(path);
}

BENCHMARK(AtomicWriteOfMaster)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(SelectionChange)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(OpenTreeFileBare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(OpenInWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(AtomicCopyOfFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(SaveAfterEdit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(SaveWithTextInEditor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(MasterIntoSaveFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    setup(); // the window and its document before anything is timed
    RatioReporter reporter({
        {"SelectionChange/iterations:20/real_time", "AtomicWriteOfMaster/iterations:20/real_time", 3.0},
        {"OpenInWindow/iterations:5/real_time", "OpenTreeFileBare/iterations:5/real_time", 1.5},
        {"SaveAfterEdit/iterations:20/real_time", "AtomicCopyOfFile/iterations:20/real_time", 1.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // The window goes before the application object does.
    setup().window->doc().documentChanged = false;
    setup().window->close();
    setup().window.reset();
    return 0;
}
