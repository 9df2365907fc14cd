// Opening tree files into the explorer: the loader's edge cases, damaged
// files, the integrity reports and the conversion of the older layout. The
// user's file must come out of every open byte for byte as it went in.
#include "support_nodeops_fakes.h"

#include "store/Conversion.h"
#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/Loader.h"
#include "store/NodeOps.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QCryptographicHash>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

const QByteArray kHead = "Quivora Ver. 2.1\r\nCreated: 1/2/26\r\nLastSaved: 1/2/26\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n";

QByteArray file(const QList<QByteArray> &nodeLines, const QByteArray &tail = "End\r\nData\r\nEnd\r\n")
{
    QByteArray out = kHead;
    for (const QByteArray &l : nodeLines)
        out += l + "\r\n";
    return out + tail;
}

QStringList paths(QTreeWidget *tree)
{
    QStringList out;
    ForEachNode(tree, [&out](QTreeWidgetItem *n) {
        out << NodePath(n);
        return true;
    });
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

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_doc = DocState();
        m_doc.workFolder = m_dir->path() + QLatin1Char('/');
        m_doc.master.setPath(m_dir->filePath(QStringLiteral("Master")));
        m_doc.ui = &m_ui;
        m_ui.clear();
        ClearTree(&m_tree);
    }

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
            << QStringList{"message:" + IntegrityMessage("1000000 0000000 Top", "1000000 0000000 $")};
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
        const QString path = m_dir->filePath(QStringLiteral("doc.qvr"));
        writeFile(path, content);

        fakes::PlainEditor editor;
        const bool failed = OpenTreeFile(&m_tree, &editor, m_doc, path) == OpenResult::Failed;
        QCOMPARE(paths(&m_tree), tree);
        QCOMPARE(m_ui.texts(), messages);
        QCOMPARE(failed, messages.contains("message:Quivora cannot open the document. (doc)"));
        QCOMPARE(m_doc.untitled, failed);
        QCOMPARE(m_doc.documentTitle, failed ? QStringLiteral("New File") : QStringLiteral("doc"));
        QVERIFY(!m_doc.documentChanged);
        // Only the master file is ever written.
        QCOMPARE(readFile(path), content);
        QVERIFY(m_doc.master.existsOnDisk());
        QCOMPARE(readFile(m_doc.masterPath()), m_doc.master.toBytes());
    }

    // Files that are no tree file, or that the window cannot show, are read
    // and refused before anything of the open document is given up.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::addColumn<int>("maxDepth");
        QTest::addColumn<QString>("reason");
        const QString notTree = QStringLiteral("It is not a Quivora tree file.");
        QByteArray chain = kHead + "1000000 0000000 $\r\n";
        for (int k = 2000001; k <= 2000004; ++k)
            chain += QByteArray::number(k) + ' ' + QByteArray::number(k == 2000001 ? 1000000 : k - 1) + " b\r\n";
        QByteArray random;
        for (int i = 0; i < 5000; ++i)
            random += char((i * 7919 + 13) % 256);
        QTest::newRow("missing file") << QByteArray() << 0 << "No such file or directory";
        QTest::newRow("empty file") << QByteArray("") << 0 << "It is empty.";
        QTest::newRow("three lines of text") << QByteArray("Dear diary,\r\nnothing.\r\nBye\r\n") << 0 << notTree;
        QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 24) << 0 << notTree;
        QTest::newRow("random bytes") << random << 0 << notTree;
        QTest::newRow("header without root line")
            << file({"'1000000 0000000 $", "2000001 1000000 A", "1000001 0000000 $"}) << 0 << notTree;
        QTest::newRow("older layout without node lines")
            << QByteArray("Kestrava Ver. 1.1\r\nTree\r\nEnd\r\n3000001\r\nx\r\nEnd\r\n") << 0 << notTree;
        QTest::newRow("older layout too short to convert")
            << QByteArray("Kestrava Ver. 1.1\r\nTree\r\n1000000 $\r\nEnd\r\n") << 0 << notTree;
        QTest::newRow("deeper than the limit") << chain << 3
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
        const QString open = m_dir->filePath(QStringLiteral("open.qvr"));
        writeFile(open, file({"1000000 0000000 $", "3000001 1000000 A"}));
        QCOMPARE(OpenTreeFile(&m_tree, nullptr, m_doc, open), OpenResult::Opened);
        m_tree.setCurrentItem(m_tree.topLevelItem(0)->child(0));
        m_doc.documentChanged = true;
        const QByteArray master = readFile(m_doc.masterPath());
        const QString path = m_dir->filePath(QStringLiteral("bad.qvr"));
        if (!content.isNull())
            writeFile(path, content);

        m_doc.maxDepth = maxDepth;
        QCOMPARE(OpenTreeFile(&m_tree, nullptr, m_doc, path), OpenResult::Refused);
        QCOMPARE(m_ui.texts(), QStringList{"message:Quivora cannot open the document. (bad)\n" + reason});
        QCOMPARE(paths(&m_tree), (QStringList{"$", "$\\A"}));
        QCOMPARE(m_tree.currentItem()->text(0), QStringLiteral("A"));
        QCOMPARE(m_doc.documentPath, open);
        QVERIFY(m_doc.documentChanged && !m_doc.untitled);
        QCOMPARE(readFile(m_doc.masterPath()), master);
        QCOMPARE(m_doc.master.toBytes(), master);
        // At the limit it opens.
        m_doc.maxDepth = maxDepth + 1;
        if (maxDepth > 0)
            QCOMPARE(OpenTreeFile(&m_tree, nullptr, m_doc, path), OpenResult::Opened);
    }

    // A load that fails part way leaves no node of what it built behind.
    void failedLoadLeavesNoNodes()
    {
        NewTreeFile(&m_tree, nullptr, m_doc);
        const qsizetype before = NodeItem::liveCount();
        QList<QByteArray> nodes{"1000000 0000000 $"};
        for (int k = 3000001; k < 3001000; ++k)
            nodes << QByteArray::number(k) + " 1000000 item";
        nodes << "3001000 10x0000 bad";
        writeFile(m_dir->filePath(QStringLiteral("doc.qvr")), file(nodes));
        QCOMPARE(OpenTreeFile(&m_tree, nullptr, m_doc, m_dir->filePath(QStringLiteral("doc.qvr"))),
                 OpenResult::Failed);
        QCOMPARE(NodeItem::liveCount(), before);
    }

    // Far deeper than any call stack: loading, paths, the check, deleting
    // and clearing walk the tree without recursion.
    void deepChain()
    {
        constexpr int depth = 200000;
        QList<QByteArray> nodes{"1000000 0000000 $"};
        for (int k = 2000001; k < 2000001 + depth; ++k)
            nodes << QByteArray::number(k) + ' ' + QByteArray::number(k == 2000001 ? RootKey : k - 1) + " b";
        writeFile(m_doc.masterPath(), file(nodes));
        m_doc.expandOnLoad = false;
        QVERIFY(LoadTree(&m_tree, nullptr, m_doc));
        QTreeWidgetItem *deepest = m_tree.topLevelItem(0);
        while (deepest->childCount())
            deepest = deepest->child(0);
        QCOMPARE(NodePath(deepest).size(), 1 + 2 * depth);
        QVERIFY(AutoCheckIntegrity(&m_tree, m_doc));
        m_tree.setCurrentItem(m_tree.topLevelItem(0)->child(0));
        QVERIFY(DeleteBranch(&m_tree, m_doc));
        QCOMPARE(m_doc.master.nodes(), QList<QByteArray>{RootLine});
        QVERIFY(m_ui.shown.isEmpty());
        QVERIFY(LoadTree(&m_tree, nullptr, m_doc));
        ClearTree(&m_tree);
        QCOMPARE(NodeItem::liveCount(), 0);
    }

    void integrityAfterChange()
    {
        const QString path = m_dir->filePath(QStringLiteral("doc.qvr"));
        writeFile(path, file({"1000000 0000000 $", "2000001 1000000 Notes", "3000001 2000001 Tasks"}));
        OpenTreeFile(&m_tree, nullptr, m_doc, path);
        QVERIFY(m_ui.shown.isEmpty());
        QVERIFY(AutoCheck(&m_tree, m_doc));

        // A node line changed by hand: both lines, the file's first.
        m_doc.master.nodes()[1] = "2000001 1000000 Ideas";
        QVERIFY(!AutoCheck(&m_tree, m_doc));
        QCOMPARE(m_ui.shown.last().text,
                 QStringLiteral("AutoCheckIntegrity, error\r\nsPathFile = 2000001 1000000 Ideas\r\n"
                                "sPathTree = 2000001 1000000 Notes\r\n"));

        // The file's node section ends while the tree still has a node.
        m_doc.master.nodes().removeLast();
        m_doc.master.nodes()[1] = "2000001 1000000 Notes";
        QVERIFY(!AutoCheckIntegrity(&m_tree, m_doc));
        QCOMPARE(m_ui.shown.last().text, IntegrityMessage(QString(), "3000001 2000001 Tasks"));
    }

    void conversion()
    {
        const QByteArray old = "Kestrava Ver. 1.1\r\nTree\r\n1000000 $\r\n2000001 $\\Notes\r\n"
                               "3000001 $\\Notes\\Tasks\r\nEnd\r\n3000001\r\n{\\rtf1 x}\r\nEnd\r\n";
        const QString path = m_dir->filePath(QStringLiteral("old.qvr"));
        writeFile(path, old);
        QCOMPARE(OpenTreeFile(&m_tree, nullptr, m_doc, path), OpenResult::Opened);
        const QByteArray today = ToCp1252(TodayText());
        QCOMPARE(readFile(m_doc.masterPath()),
                 "Kestrava Ver. 1.1\r\nCreated: " + today + "\r\nLastSaved: " + today
                     + "\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n1000000 0000000 $\r\n2000001 1000000 Notes\r\n"
                       "3000001 2000001 Tasks\r\nEnd\r\n3000001\r\n{\\rtf1 x}\r\nEnd\r\n");
        QCOMPARE(paths(&m_tree), (QStringList{"$", "$\\Notes", "$\\Notes\\Tasks"}));
        QVERIFY(m_ui.shown.isEmpty());
        QCOMPARE(readFile(path), old);
    }

    void notConverted_data()
    {
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<bool>("old");
        QTest::newRow("version 1.0") << QList<QByteArray>{"Kestrava Ver. 1.0 extra", "Tree", "1000000 $", "End", "x"} << true;
        QTest::newRow("version 1.2") << QList<QByteArray>{"Kestrava Ver. 1.2", "Tree", "1000000 $", "End", "x"} << false;
        QTest::newRow("line 1 not Tree") << QList<QByteArray>{"Kestrava Ver. 1.1", "Tree ", "x", "End", "x"} << false;
        QTest::newRow("one line") << QList<QByteArray>{"Kestrava Ver. 1.1"} << false;
    }
    void notConverted()
    {
        QFETCH(QList<QByteArray>, lines);
        QFETCH(bool, old);
        QCOMPARE(IsOldFormat(lines), old);
    }

    void shortOldFileIsLeftAlone()
    {
        QList<QByteArray> lines{"Kestrava Ver. 1.1", "Tree", "1000000 $", "End"};
        const QList<QByteArray> before = lines;
        QVERIFY(ConvertOldFormat(lines, m_doc));
        QCOMPARE(lines, before);
    }

    void splitNodePath()
    {
        QCOMPARE(SplitNodePath(" $\\Notes\\Tasks"), std::make_pair(QByteArray(" $\\Notes"), QByteArray("Tasks")));
        QCOMPARE(SplitNodePath(" $"), std::make_pair(QByteArray(), QByteArray()));
    }

    void newTreeFile()
    {
        fakes::PlainEditor editor;
        bool enabled = false;
        m_doc.enableItemCommands = [&enabled](bool on) { enabled = on; };
        NewTreeFile(&m_tree, &editor, m_doc);
        QCOMPARE(paths(&m_tree), (QStringList{"$", "$\\New Item"}));
        QCOMPARE(m_tree.currentItem()->text(0), QStringLiteral("New Item"));
        QVERIFY(enabled && m_doc.untitled && !m_doc.busy);
        QCOMPARE(m_doc.documentTitle, QStringLiteral("New File"));
        QVERIFY(AutoCheck(&m_tree, m_doc));
    }

private:
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    DocState m_doc;
    fakes::ScriptedMessages m_ui;
    QTreeWidget m_tree;
};

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
