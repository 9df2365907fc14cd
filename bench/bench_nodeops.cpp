// Store point and adding items on the 100,000-node document, each against an
// atomic write of the same master file bytes measured in the same run.
#include "support_generator.h"

#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/ItemEditor.h"
#include "store/Loader.h"
#include "store/Messages.h"
#include "store/NodeMoves.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

class CountingMessages : public UserMessages
{
public:
    void showMessage(const QString &text) override { note(text); }
    MsgButton messageBox(const QString &, const QString &text, MsgIcon, MsgButtons) override
    {
        note(text);
        return MsgButton::No;
    }
    void errorDialog(const QString &text) override { note(text); }
    int count = 0;

private:
    void note(const QString &text)
    {
        if (count++ < 3)
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

// The editor as a byte holder: the codec is not what is measured here.
class BytesEditor : public ItemEditor
{
public:
    QByteArray exportRtf() const override { return content; }
    void importRtf(const QByteArray &data) override { content = data; }
    void clearContent() override { content.clear(); }
    void setModifiedState(bool) override {}
    void applyDefaultFont(const QFont &, const QColor &) override {}
    void setEditorEnabled(bool) override {}
    QByteArray content;
};

struct Fixture
{
    QTemporaryDir dir;
    QTreeWidget tree;
    BytesEditor editor;
    CountingMessages ui;
    DocState doc;

    Fixture()
    {
        const QString source = GenerateTreeFileAt(QDir::tempPath() + QStringLiteral("/quivora-bench-100k.qvr"));
        doc.workFolder = dir.path() + QLatin1Char('/');
        doc.master.setPath(doc.workFolder + QStringLiteral("Master"));
        doc.ui = &ui;
        QFile::copy(source, doc.masterPath());
        if (!LoadTree(&tree, nullptr, doc))
            std::fprintf(stderr, "the generated document did not load\n");
        doc.busy = false;
    }
};

Fixture &fixture()
{
    static Fixture *f = new Fixture; // lives to the end; the tree is large
    return *f;
}

bool atomicWrite(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush() && f.commit();
}

// The yardstick: one atomic write of the master file's current bytes.
void BM_AtomicWriteBaseline(benchmark::State &state)
{
    Fixture &f = fixture();
    const QByteArray bytes = f.doc.master.toBytes();
    const QString path = f.doc.workFolder + QStringLiteral("Baseline");
    for (auto _ : state) {
        if (!atomicWrite(path, bytes))
            state.SkipWithError("baseline write failed");
    }
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

// One store point: a 2 KB item's text replaces its block, the file is
// written and checked.
void BM_SaveItemText2K(benchmark::State &state)
{
    Fixture &f = fixture();
    QTreeWidgetItem *item = nullptr;
    ForEachNode(&f.tree, [&](QTreeWidgetItem *n) {
        if (IsItem(n))
            item = n; // the last one; any will do
        return true;
    });
    f.doc.currentItemKey = NodeKey(item);
    int seed = 0;
    for (auto _ : state) {
        f.editor.content = GeneratedItemRtf(++seed, 2048);
        f.doc.itemTextChanged = true;
        if (!SaveItemText(&f.tree, &f.editor, f.doc))
            state.SkipWithError("store failed");
    }
}

// The parts of a store point, to see where its time goes.
void BM_MasterSave(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        if (!f.doc.master.save())
            state.SkipWithError("save failed");
    }
}

void BM_AutoCheck(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(AutoCheck(&f.tree, f.doc));
}

QTreeWidgetItem *someBranch(QTreeWidget *tree)
{
    QTreeWidgetItem *branch = nullptr;
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        if (!IsBranch(n))
            return true;
        branch = n;
        return false;
    });
    return branch;
}

// Adding items one by one under the same branch, as a user does; the names
// "New Item (n)" make every add look further for a free one.
void addItems(benchmark::State &state, bool withCheck)
{
    Fixture &f = fixture();
    QTreeWidgetItem *branch = someBranch(&f.tree);
    QString pathBarText;
    const PathBarFn pathBar = [&pathBarText](const QString &t) { pathBarText = t; };
    for (auto _ : state) {
        f.tree.setCurrentItem(branch);
        if (!AddItem(&f.tree, &f.editor, pathBar, f.doc))
            state.SkipWithError("add failed");
        if (withCheck)
            AutoCheck(&f.tree, f.doc);
    }
}

void BM_AddItem(benchmark::State &state) { addItems(state, false); }
// As the Add Item command runs it: the add, then the integrity check.
void BM_AddItemAndCheck(benchmark::State &state) { addItems(state, true); }

int subtreeSize(QTreeWidgetItem *node)
{
    int n = 0;
    QList<QTreeWidgetItem *> stack{node};
    while (!stack.isEmpty()) {
        QTreeWidgetItem *x = stack.takeLast();
        ++n;
        for (int i = 0; i < x->childCount(); ++i)
            stack.append(x->child(i));
    }
    return n;
}

// The explorer as the window leaves it after opening a document: collapsed
// but for the root, and the way down to the node the user works on.
void showAsOpened(QTreeWidget *tree, QTreeWidgetItem *node)
{
    tree->collapseAll();
    tree->topLevelItem(0)->setExpanded(true);
    for (QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        p->setExpanded(true);
}

// One move up or down of an item, alternately, so the document stays as it was.
void BM_MoveItemUpDown(benchmark::State &state)
{
    Fixture &f = fixture();
    QTreeWidgetItem *item = nullptr;
    ForEachNode(&f.tree, [&](QTreeWidgetItem *n) {
        if (!IsItem(n) || !CanMoveUp(n))
            return true;
        item = n;
        return false;
    });
    showAsOpened(&f.tree, item);
    f.tree.setCurrentItem(item);
    bool up = true;
    for (auto _ : state) {
        if (!(up ? MoveUp(&f.tree, item, f.doc) : MoveDown(&f.tree, item, f.doc)))
            state.SkipWithError("move failed");
        up = !up;
    }
}

// A branch of about 1,000 nodes dragged between two other branches.
void BM_DragBranch1000(benchmark::State &state)
{
    Fixture &f = fixture();
    QTreeWidgetItem *branch = nullptr;
    int best = 0;
    ForEachNode(&f.tree, [&](QTreeWidgetItem *n) {
        if (IsBranch(n)) {
            const int size = subtreeSize(n);
            if (!branch || std::abs(size - 1000) < std::abs(best - 1000)) {
                branch = n;
                best = size;
            }
        }
        return true;
    });
    QList<QTreeWidgetItem *> targets;
    ForEachNode(&f.tree, [&](QTreeWidgetItem *n) {
        if (IsBranch(n) && DragDropRefusal(branch, n).text.isEmpty()
            && (targets.isEmpty() || !IsSubnode(n, targets.first())))
            targets.append(n);
        return targets.size() < 2;
    });
    state.counters["nodes"] = best;
    showAsOpened(&f.tree, branch);
    f.tree.setCurrentItem(branch);
    int i = 0;
    for (auto _ : state) {
        if (targets.size() < 2 || !DragDropMove(&f.tree, branch, targets[i++ % 2], f.doc))
            state.SkipWithError("drag failed");
    }
}

BENCHMARK(BM_AtomicWriteBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_SaveItemText2K)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_MasterSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_AutoCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_AddItem)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1000);
BENCHMARK(BM_AddItemAndCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
BENCHMARK(BM_MoveItemUpDown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_DragBranch1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
// Once more at the end, so a drift of the disk shows.
BENCHMARK(BM_AtomicWriteBaseline)->Name("BM_AtomicWriteBaseline/again")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

// Keeps each benchmark's real time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (!r.error_occurred)
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture(); // generate and load before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    auto time = [&](const char *prefix) {
        for (const auto &[name, t] : reporter.times)
            if (name.rfind(prefix, 0) == 0)
                return t;
        return 0.0;
    };
    const double write = std::max(time("BM_AtomicWriteBaseline/iterations"), time("BM_AtomicWriteBaseline/again"));
    const double writeMin = std::min(time("BM_AtomicWriteBaseline/iterations"), time("BM_AtomicWriteBaseline/again"));
    const double store = time("BM_SaveItemText2K");
    const double add = time("BM_AddItem/");
    const double addCheck = time("BM_AddItemAndCheck");
    if (write > 0) {
        std::printf("\natomic write of the master file: %.2f ms (%.2f ms in the other run)\n", writeMin, write);
        std::printf("store point (SaveItemText, 2 KB): %.2f ms = %.2fx the write (target <= 2)\n", store,
                    store / writeMin);
        std::printf("add item: %.2f ms per add = %.2fx the write (target <= 2)\n", add, add / writeMin);
        std::printf("add item + AutoCheck: %.2f ms per add = %.2fx the write\n", addCheck, addCheck / writeMin);
        const double move = time("BM_MoveItemUpDown");
        const double drag = time("BM_DragBranch1000");
        std::printf("move up or down: %.2f ms = %.2fx the write (target <= 2)\n", move, move / writeMin);
        std::printf("drag of a 1,000-node branch: %.2f ms = %.2fx the write (target <= 2)\n", drag, drag / writeMin);
    }
    std::printf("messages shown: %d\n", fixture().ui.count);
    benchmark::Shutdown();
    return 0;
}
