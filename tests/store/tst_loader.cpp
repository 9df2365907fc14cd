// Opening tree files into the explorer: the loader's edge cases, damaged
// files, files refused before the open document is given up, very deep
// trees, and the conversion of the older layout. The
// user's file must come out of every open byte for byte as it went in.
#include "support_nodeops_doc.h"

#include "store/Integrity.h"
#include "store/NodeOps.h"
#include "store/ReadAhead.h"

#include <QStandardPaths>

using namespace nodeops;

namespace {

// The header, `nodeLines` as they are, then `tail`.
QByteArray file(const Lines &nodeLines, const QByteArray &tail = "End\r\nData\r\nEnd\r\n")
{
    return JoinLines(Head() + nodeLines) + tail;
}

// The root and a branch in a branch ... `depth` levels down.
Lines Chain(int depth)
{
    Lines out{RootLine};
    for (int k = 2000001; k < 2000001 + depth; ++k)
        out << QByteArray::number(k) + ' ' + QByteArray::number(k == 2000001 ? RootKey : k - 1) + " b";
    return out;
}

} // namespace

class TestLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        SetTodayForTesting(QDate(2026, 1, 2));
    }

    void init() { d = std::make_unique<Doc>(); }
    void cleanup() { d.reset(); }

    void open_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("messages");

        const QString cannot = QStringLiteral("message:Quivora cannot open the document. (doc)");
        const QStringList newDoc{QStringLiteral("$"), QStringLiteral("$\\New Item")};

        QTest::newRow("well formed")
            << file({"1000000 0000000 $", "2000001 1000000 Recipes", "3000001 2000001 Soup"})
            << QStringList{"$", "$\\Recipes", "$\\Recipes\\Soup"} << QStringList{};
        QTest::newRow("root only") << file({"1000000 0000000 $"}) << QStringList{"$"} << QStringList{};
        QTest::newRow("root named otherwise is shown as $")
            << file({"1000000 0000000 Top"}) << QStringList{"$"}
            << QStringList{"message:AutoCheckIntegrity, error\r\nsPathFile = 1000000 0000000 Top\r\n"
                           "sPathTree = 1000000 0000000 $\r\n"};
        QTest::newRow("comment line makes no node")
            << file({"1000000 0000000 $", "'2000001 1000000 X", "3000001 1000000 A"})
            << QStringList{"$", "$\\A"}
            << QStringList{"message:" + IntegrityMessage("'2000001 1000000 X", "3000001 1000000 A")};
        QTest::newRow("kind 4 to 9 makes no node")
            << file({"1000000 0000000 $", "5000001 1000000 Five", "3000001 1000000 A"})
            << QStringList{"$", "$\\A"}
            << QStringList{"message:" + IntegrityMessage("5000001 1000000 Five", "3000001 1000000 A")};
        QTest::newRow("second root")
            << file({"1000000 0000000 $", "1000000 0000000 $"}) << QStringList{"$", "$"} << QStringList{};
        QTest::newRow("no End is read to the last line")
            << file({"1000000 0000000 $", "3000001 1000000 A"}, "")
            << QStringList{"$", "$\\A"} << QStringList{"message:AutoCheck, no End found."};
        QTest::newRow("short node line")
            << file({"1000000 0000000 $", "3000001 1000000 "})
            << QStringList{"$", "$\\"}
            << QStringList{"message:AutoCheck, line # 8 (3000001 1000000 ) corrupted (less than17 characters)."};
        QTest::newRow("parent not found")
            << file({"1000000 0000000 $", "3000001 2000009 Lost", "3000002 2000009 Lost too"})
            << QStringList{"$", "Lost", "Lost too"}
            << QStringList{"message:oParent.Text = nil",
                           "message:" + IntegrityMessage("3000001 2000009 Lost", "3000001 0000000 Lost")
                               .replace("3000001 0000000 Lost", "1000000 0000000 $")};
        QTest::newRow("item before the root hangs below it")
            << file({"3000001 1000000 Early", "1000000 0000000 $"})
            << QStringList{"$", "$\\Early"}
            << QStringList{"message:" + IntegrityMessage("3000001 1000000 Early", "1000000 0000000 $")};
        QTest::newRow("file lists more nodes than the tree")
            << file({"1000000 0000000 $", "4000001 1000000 Ghost"})
            << QStringList{"$"} << QStringList{"message:" + IntegrityMessage("4000001 1000000 Ghost", "")};
        QTest::newRow("key is not a number")
            << file({"1000000 0000000 $", "30x0001 1000000 A"}) << newDoc << QStringList{cannot};
        QTest::newRow("parent is not a number")
            << file({"1000000 0000000 $", "3000001 10000-0 A"}) << newDoc << QStringList{cannot};
        QTest::newRow("empty node line") << file({"1000000 0000000 $", ""}) << newDoc << QStringList{cannot};
        QList<QByteArray> many{"1000000 0000000 $"};
        for (int k = 3000001; k < 3001000; ++k)
            many << QByteArray::number(k) + " 1000000 item";
        QTest::newRow("bad last line after 1,000 nodes") << file(many << "3001000 10x0000 bad") << newDoc << QStringList{cannot};
        QTest::newRow("very long line")
            << file({"1000000 0000000 $", "3000001 1000000 " + QByteArray(300000, 'x')})
            << QStringList{"$", "$\\" + QString(300000, QLatin1Char('x'))} << QStringList{};
        QTest::newRow("Windows-1252 name")
            << file({"1000000 0000000 $", "3000001 1000000 \x80uro \x93quoted\x94"})
            << QStringList{"$", QStringLiteral("$\\\u20acuro \u201cquoted\u201d")} << QStringList{};
    }
    void open()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, tree);
        QFETCH(QStringList, messages);
        const QString path = d->dir.filePath(QStringLiteral("doc.qvr"));
        WriteFile(path, content);

        fakes::PlainEditor editor;
        const bool failed = OpenTreeFile(d->tree.get(), &editor, d->state, path) == OpenResult::Failed;
        QCOMPARE(d->paths(), tree);
        QCOMPARE(d->ui.texts(), messages);
        QCOMPARE(failed, messages.contains("message:Quivora cannot open the document. (doc)"));
        QCOMPARE(d->state.untitled, failed);
        QCOMPARE(d->state.documentTitle, failed ? QStringLiteral("New File") : QStringLiteral("doc"));
        QVERIFY(!d->state.documentChanged);
        // Only the master file is ever written.
        QCOMPARE(FileBytes(path), content);
        QVERIFY(d->state.master.existsOnDisk());
        QCOMPARE(FileBytes(d->state.masterPath()), d->state.master.toBytes());
        // A load that stops part way leaves no node of what it built behind.
        QCOMPARE(NodeItem::liveCount(), qsizetype(CountNodes(d->tree.get())));
    }

    // Files that are no tree file, or that the window cannot show, are read
    // and refused before anything of the open document is given up.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<int>("maxDepth");
        QTest::addColumn<QString>("reason");
        const QString notTree = QStringLiteral("It is not a Quivora tree file.");
        QByteArray random;
        for (int i = 0; i < 5000; ++i)
            random += char((i * 7919 + 13) % 256);
        QTest::newRow("missing file") << QByteArray() << 0 << "No such file or directory";
        QTest::newRow("empty file") << QByteArray("") << 0 << "It is empty.";
        QTest::newRow("three lines of text") << QByteArray("Dear diary,\r\nnothing.\r\nBye\r\n") << 0 << notTree;
        QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20) << 0 << notTree;
        QTest::newRow("older layout of version 1.2") << QByteArray("Kestrava Ver. 1.2\r\nTree\r\n1000000 $\r\nEnd\r\nx\r\n")
                                                     << 0 << notTree;
        QTest::newRow("random bytes") << random << 0 << notTree;
        QTest::newRow("header without root line")
            << file({"'1000000 0000000 $", "2000001 1000000 A", "1000001 0000000 $"}) << 0 << notTree;
        QTest::newRow("older layout without node lines")
            << QByteArray("Kestrava Ver. 1.1\r\nTree\r\nEnd\r\n3000001\r\nx\r\nEnd\r\n") << 0 << notTree;
        QTest::newRow("older layout too short to convert")
            << QByteArray("Kestrava Ver. 1.1\r\nTree\r\n1000000 $\r\nEnd\r\n") << 0 << notTree;
        QTest::newRow("deeper than the limit") << file(Chain(4), "") << 3
                                               << "It is nested too deeply to show (more than 3 levels).";
        QTest::newRow("older layout deeper than the limit")
            << QByteArray("Kestrava Ver. 1.1\r\nTree\r\n1000000 $\r\n2000001 $\\a\r\n2000002 $\\a\\b\r\nEnd\r\n")
            << 1 << "It is nested too deeply to show (more than 1 levels).";
    }
    void refused()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, maxDepth);
        QFETCH(QString, reason);
        const QString open = d->dir.filePath(QStringLiteral("open.qvr"));
        WriteFile(open, file({"1000000 0000000 $", "3000001 1000000 A"}));
        QCOMPARE(OpenTreeFile(d->tree.get(), nullptr, d->state, open), OpenResult::Opened);
        d->tree->setCurrentItem(d->tree->topLevelItem(0)->child(0));
        d->state.documentChanged = true;
        const QByteArray master = FileBytes(d->state.masterPath());
        const QString path = d->dir.filePath(QStringLiteral("bad.qvr"));
        if (!content.isNull())
            WriteFile(path, content);

        d->state.maxDepth = maxDepth;
        QCOMPARE(OpenTreeFile(d->tree.get(), nullptr, d->state, path), OpenResult::Refused);
        QCOMPARE(d->ui.texts(), QStringList{"message:Quivora cannot open the document. (bad)\n" + reason});
        QCOMPARE(d->paths(), (QStringList{"$", "$\\A"}));
        QCOMPARE(d->tree->currentItem()->text(0), QStringLiteral("A"));
        QCOMPARE(d->state.documentPath, open);
        QVERIFY(d->state.documentChanged && !d->state.untitled);
        QCOMPARE(FileBytes(d->state.masterPath()), master);
        QCOMPARE(d->state.master.toBytes(), master);
        // At the limit it opens.
        d->state.maxDepth = maxDepth + 1;
        if (maxDepth > 0)
            QCOMPARE(OpenTreeFile(d->tree.get(), nullptr, d->state, path), OpenResult::Opened);
    }

    // The start-up file is read on a second thread before its turn to open;
    // whatever happened to it meanwhile, the open shows it as it is then.
    void readAhead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("tree"); // empty: refused
        const QStringList soup{"$", "$\\Soup"}, stew{"$", "$\\Stew"};
        QTest::newRow("unchanged") << "" << soup;
        QTest::newRow("rewritten in place, same size") << "rewrite" << stew;
        QTest::newRow("replaced by another file") << "replace" << stew;
        QTest::newRow("grown") << "grow" << QStringList{"$", "$\\Soup", "$\\Stew"};
        QTest::newRow("removed") << "remove" << QStringList{};
        QTest::newRow("mended after a refusal") << "mend" << stew;
        QTest::newRow("another file opened") << "other" << stew;
    }
    void readAhead()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, tree);
        const QString path = d->dir.filePath(QStringLiteral("doc.qvr"));
        const QString other = d->dir.filePath(QStringLiteral("other.qvr"));
        const QByteArray stew = file({"1000000 0000000 $", "3000001 1000000 Stew"});
        WriteFile(path, change == "mend" ? QByteArray("not a tree\r\n") : file({"1000000 0000000 $", "3000001 1000000 Soup"}));
        ReadAhead ahead;
        ahead.start(path, 0);
        ahead.wait(); // read before the change, as when the window takes long
        if (change == "rewrite" || change == "mend") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
            f.write(stew);
            // A later time than the first writing's, even on a coarse clock.
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        } else if (change == "replace") {
            WriteFile(other, stew);
            QVERIFY(QFile::remove(path) && QFile::rename(other, path));
        } else if (change == "grow") {
            WriteFile(path, file({"1000000 0000000 $", "3000001 1000000 Soup", "3000002 1000000 Stew"}));
        } else if (change == "remove") {
            QVERIFY(QFile::remove(path));
        } else if (change == "other") {
            WriteFile(other, stew);
        }
        const QString opened = change == "other" ? other : path;
        const OpenResult result = OpenTreeFile(d->tree.get(), nullptr, d->state, opened, &ahead);
        QCOMPARE(result, tree.isEmpty() ? OpenResult::Refused : OpenResult::Opened);
        if (tree.isEmpty())
            return;
        QCOMPARE(d->paths(), tree);
        QCOMPARE(FileBytes(d->state.masterPath()), FileBytes(opened));
        QCOMPARE(d->state.master.toBytes(), FileBytes(opened));
    }

    // Far deeper than any call stack: loading, paths, the check, deleting
    // and clearing walk the tree without recursion.
    void deepChain()
    {
        constexpr int depth = 200000;
        WriteFile(d->state.masterPath(), file(Chain(depth)));
        d->state.expandOnLoad = false;
        QVERIFY(LoadTree(d->tree.get(), nullptr, d->state));
        QTreeWidgetItem *deepest = d->tree->topLevelItem(0);
        while (deepest->childCount())
            deepest = deepest->child(0);
        QCOMPARE(NodePath(deepest).size(), 1 + 2 * depth);
        QVERIFY(AutoCheckIntegrity(d->tree.get(), d->state));
        d->tree->setCurrentItem(d->tree->topLevelItem(0)->child(0));
        QVERIFY(DeleteBranch(d->tree.get(), d->state));
        QCOMPARE(d->state.master.nodes(), QList<QByteArray>{RootLine});
        QVERIFY(d->ui.shown.isEmpty());
        QVERIFY(LoadTree(d->tree.get(), nullptr, d->state));
        ClearTree(d->tree.get());
        QCOMPARE(NodeItem::liveCount(), 0);
    }

    void conversion()
    {
        // The first 17 characters tell the older layout.
        const QByteArray old = "Kestrava Ver. 1.0 beta\r\nTree\r\n1000000 $\r\n2000001 $\\Notes\r\n"
                               "3000001 $\\Notes\\Tasks\r\nEnd\r\n3000001\r\n{\\rtf1 x}\r\nEnd\r\n";
        const QString path = d->dir.filePath(QStringLiteral("old.qvr"));
        WriteFile(path, old);
        QCOMPARE(OpenTreeFile(d->tree.get(), nullptr, d->state, path), OpenResult::Opened);
        // The test clock's day, in the C locale's short form.
        QCOMPARE(FileBytes(d->state.masterPath()),
                 "Kestrava Ver. 1.0 beta\r\nCreated: 2 Jan 2026\r\nLastSaved: 2 Jan 2026\r\nRes1\r\nRes2\r\nRes3\r\n"
                 "Tree\r\n1000000 0000000 $\r\n2000001 1000000 Notes\r\n3000001 2000001 Tasks\r\nEnd\r\n"
                 "3000001\r\n{\\rtf1 x}\r\nEnd\r\n");
        QCOMPARE(d->paths(), (QStringList{"$", "$\\Notes", "$\\Notes\\Tasks"}));
        QVERIFY(d->ui.shown.isEmpty());
        QCOMPARE(FileBytes(path), old);
    }

private:
    std::unique_ptr<Doc> d;
};

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
