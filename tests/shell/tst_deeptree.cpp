// A tree nested as deeply as the window shows (10,000 levels) survives every
// command that lays it out, walks it or tears it down; a deeper one is
// refused and the open document stays.
#include "support_window.h"

#include "shell/RecentFiles.h"
#include "store/TreeFormat.h"

#include <QAction>
#include <QLabel>

using namespace testwin;

namespace {

// The root and a chain of `levels` branches, each inside the one before.
QByteArray chain(int levels)
{
    QByteArray out = "Quivora Ver. 2.1\r\nCreated: 1/2/26\r\nLastSaved: 1/2/26\r\nRes1\r\nRes2\r\nRes3\r\n"
                     "Tree\r\n1000000 0000000 $\r\n";
    for (int k = 2000001; k < 2000001 + levels; ++k)
        out += QByteArray::number(k) + ' ' + QByteArray::number(k == 2000001 ? RootKey : k - 1) + " b\r\n";
    return out + "End\r\nData\r\nEnd\r\n";
}

QTreeWidgetItem *deepest(QTreeWidget *tree)
{
    QTreeWidgetItem *n = FirstNode(tree);
    while (n->childCount() > 0)
        n = n->child(0);
    return n;
}

} // namespace

class TestDeepTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deepestShownTree()
    {
        Fixture f;
        writeFile(f.docPath("deep.qvr"), chain(10000));
        TfrmTree *w = f.start({f.docPath("deep.qvr")});
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - deep"));
        w->mnuExpand->trigger();
        w->mnuCollapse->trigger();
        w->tree()->setCurrentItem(deepest(w->tree()));
        QCOMPARE(w->sbPath->text().size(), 3 + 1 + 2 * 10000);
        w->mnuAddItem->trigger();
        QCOMPARE(deepest(w->tree())->text(0), QStringLiteral("New Item"));
        f.dialogs.answers.enqueue(MsgButton::No); // do not save the added item
        w->FileNew1->trigger();
        QCOMPARE(paths(w->tree()), (QStringList{"$", "$\\New Item"}));
        f.dialogs.fileAnswers.enqueue(f.docPath("deep.qvr"));
        w->FileOpen1->trigger();
        QCOMPARE(CountNodes(w->tree()), 10001);
        QCOMPARE(f.dialogs.texts(), QStringList{"Do you want to save changes to deep?"});
        w->FileExit1->trigger();
        QVERIFY(!w->isVisible());
        f.window.reset();
    }

    void deeperIsRefused()
    {
        Fixture f;
        writeFile(f.docPath("deeper.qvr"), chain(10001));
        TfrmTree *w = f.start();
        f.dialogs.fileAnswers.enqueue(f.docPath("deeper.qvr"));
        w->FileOpen1->trigger();
        QCOMPARE(f.dialogs.texts(), QStringList{"Quivora cannot open the document. (deeper)\n"
                                                "It is nested too deeply to show (more than 10,000 levels)."});
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QCOMPARE(paths(w->tree()), (QStringList{"$", "$\\New Item"}));
        QVERIFY(w->editor()->isEnabled());
        QCOMPARE(ReadRecentFiles().first(), QString());
    }
};

QTEST_MAIN(TestDeepTree)
#include "tst_deeptree.moc"
