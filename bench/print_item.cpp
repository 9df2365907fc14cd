// Prints one item of a tree file through Print Item on the system's default
// printer, and exports the same item with Export to PDF, as the user would;
// the real-print check compares the two. Usage: print_item FILE PATH OUT.pdf
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "store/NodeTree.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: print_item FILE PATH OUT.pdf\n");
        return 2;
    }
    QTemporaryDir program;
    ScriptedDialogs dialogs;
    StartupConfig config;
    config.programFolder = program.path() + QStringLiteral("/");
    config.arguments = {args.at(1)};
    config.dialogs = &dialogs;
    TfrmTree window(config);
    if (!window.startedOk())
        return 1;
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (!(window.doc().activated && window.pendingStartupFile().isEmpty()) && waited.elapsed() < 20000)
        app.processEvents(QEventLoop::AllEvents, 50);
    QTreeWidgetItem *item = nullptr;
    ForEachNode(window.tree(), [&](QTreeWidgetItem *n) {
        if (NodePath(n) == args.at(2))
            item = n;
        return item == nullptr;
    });
    if (!item) {
        std::fprintf(stderr, "no item %s\n", qPrintable(args.at(2)));
        return 1;
    }
    window.tree()->setCurrentItem(item);
    window.PrintItem1->trigger();
    dialogs.fileAnswers.enqueue(QDir(args.at(3)).absolutePath());
    window.FileExportPdf1->trigger();
    for (const QString &text : dialogs.texts())
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return dialogs.texts().isEmpty() ? 0 : 1;
}
