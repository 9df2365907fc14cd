// The baseline for start-up time: a bare Qt window with a tree and an editor
// that reads the same file, lists its node lines in the tree, shows itself
// and quits once idle.
#include <QApplication>
#include <QDateTime>
#include <cstdio>
#include <QFile>
#include <QHBoxLayout>
#include <QList>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *tree = new QTreeWidget;
    auto *edit = new QTextEdit;
    layout->addWidget(tree);
    layout->addWidget(edit);

    if (argc > 1) {
        QFile f(QString::fromLocal8Bit(argv[1]));
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray all = f.readAll();
            QList<QTreeWidgetItem *> items;
            qsizetype start = 0;
            int index = 0;
            bool nodes = true;
            while (start < all.size()) {
                qsizetype end = all.indexOf('\n', start);
                if (end < 0)
                    end = all.size();
                const QByteArray line = all.mid(start, end - start).trimmed();
                if (nodes && index >= 7) {
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
