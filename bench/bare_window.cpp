// The baselines for start-up time: a bare Qt window with a tree and an editor
// that reads the same file, shows itself and quits once idle.
//   bare_window FILE          lists the file's node lines in a flat tree
//   bare_window --empty FILE  reads the file, shows the tree and editor empty
//   bare_window --generate NODES PATH
//                             writes a generated document of NODES nodes below
//                             the root (a fifth of them branches) and prints PATH
#include "support_generator.h"

#include <QApplication>
#include <QDateTime>
#include <cstdio>
#include <cstring>
#include <QFile>
#include <QHBoxLayout>
#include <QList>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) {
        const int nodes = std::atoi(argv[2]);
        GeneratedShape shape;
        shape.branches = qMax(1, nodes / 5);
        shape.items = nodes - shape.branches;
        std::printf("%s\n", qPrintable(GenerateTreeFileAt(QString::fromLocal8Bit(argv[3]), shape)));
        return 0;
    }
    const bool empty = argc > 2 && std::strcmp(argv[1], "--empty") == 0;
    const char *path = argc > 1 ? argv[argc - 1] : nullptr;

    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *tree = new QTreeWidget;
    auto *edit = new QTextEdit;
    layout->addWidget(tree);
    layout->addWidget(edit);

    if (path) {
        QFile f(QString::fromLocal8Bit(path));
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray all = f.readAll();
            QList<QTreeWidgetItem *> items;
            qsizetype start = 0;
            int index = 0;
            bool nodes = !empty;
            while (nodes && start < all.size()) {
                qsizetype end = all.indexOf('\n', start);
                if (end < 0)
                    end = all.size();
                const QByteArray line = all.mid(start, end - start).trimmed();
                if (index >= 7) {
                    if (line == "End")
                        nodes = false;
                    else
                        items << new QTreeWidgetItem(QStringList{QString::fromLatin1(line.mid(16))});
                }
                ++index;
                start = end + 1;
            }
            tree->addTopLevelItems(items);
        }
    }
    window.resize(626, 461);
    window.show();
    QTimer::singleShot(0, &app, [&app] {
        std::printf("idle-at %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()) * 1000000LL);
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}
