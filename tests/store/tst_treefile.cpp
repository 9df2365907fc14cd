// The tree file itself: template, node lines, keys, the in-memory master file
// written back byte for byte, Windows-1252 text, and the choice of master file
// among several running copies.
#include "support_nodeops_fakes.h"

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/Loader.h"
#include "store/MasterChoice.h"
#include "store/MasterFile.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"
#include "store/TreeKeys.h"

#include <QBuffer>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

class TestTreeFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        SetTodayForTesting(QDate(2026, 1, 2));
    }
    void init() { QVERIFY(m_dir.isValid()); }

    void templateIsTwelveLines()
    {
        DocState doc;
        doc.master.setPath(m_dir.filePath(QStringLiteral("Master")));
        QVERIFY(WriteNewFileTemplate(doc));
        const QByteArray today = ToCp1252(TodayText());
        const QByteArray expected = "Quivora Ver. 2.1\r\nCreated: " + today + "\r\nLastSaved: " + today
                                    + "\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n1000000 0000000 $\r\n"
                                      "3000001 1000000 New Item\r\nEnd\r\nData\r\nEnd\r\n";
        QFile f(doc.masterPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("written");
        const QByteArray crlf = "Quivora Ver. 2.1\r\nCreated: 1/2/26\r\nLastSaved: 1/2/26\r\nRes1\r\nRes2\r\n"
                                "Res3\r\nTree\r\n1000000 0000000 $\r\n2000001 1000000 R\xe9\x80ipes\r\n"
                                "3000001 2000001 End\r\nEnd\r\nData\r\nEnd\r\n3000001\r\n{\\rtf1 a}\r\n"
                                "3000002\r\nEnd\r\n";
        QTest::newRow("CR LF stays byte for byte") << crlf << crlf;
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        QTest::newRow("LF lines are written CR LF") << lf << crlf;
        QByteArray cr = crlf;
        cr.replace("\r\n", "\r");
        QTest::newRow("CR lines are written CR LF") << cr << crlf;
        QByteArray mixed = crlf;
        mixed.replace("{\\rtf1 a}\r\n", "{\\rtf1 a}\n");
        QTest::newRow("one LF line inside a block") << mixed << crlf;
        QTest::newRow("last line without line end")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n3000001\r\nx")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n3000001\r\nx\r\n");
        QTest::newRow("block without End is kept open")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\nEnd\r\n3000001\r\nx\r\n")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\nEnd\r\n3000001\r\nx\r\n");
        QTest::newRow("empty lines survive") << QByteArray("\r\n\r\nx\r\n") << QByteArray("\r\n\r\nx\r\n");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, written);
        MasterFile m(m_dir.filePath(QStringLiteral("m")));
        m.setContent(input);
        QVERIFY(m.save());
        QFile f(m.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), written);
        QCOMPARE(m.toBytes(), written);
    }

    void blocks()
    {
        MasterFile m;
        m.setContent("h\r\nh\r\nh\r\nh\r\nh\r\nh\r\nTree\r\n1000000 0000000 $\r\nEnd\r\nData\r\nEnd\r\n"
                     "3000001\r\n3000002\r\nEnd\r\n3000002\r\nreal\r\nEnd\r\n");
        // A seven-digit line inside another item's text is that text, not a key.
        QCOMPARE(m.blockText(3000001), QByteArray("3000002\r\n"));
        QCOMPARE(m.blockText(3000002), QByteArray("real\r\n"));
        m.removeBlock(3000001);
        m.appendBlock(3000001, "new\nlines");
        QCOMPARE(m.toBytes(), QByteArray("h\r\nh\r\nh\r\nh\r\nh\r\nh\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n"
                                         "Data\r\nEnd\r\n3000002\r\nreal\r\nEnd\r\n3000001\r\nnew\r\nlines\r\nEnd\r\n"));
        QCOMPARE(m.findNodeLine("1000000 0000000 $"), 0);
        QCOMPARE(m.findNodeLine("9000000 0000000 $"), -1);
    }

    void openBlockIsClosedBeforeANewOne()
    {
        MasterFile m;
        m.setContent("h\r\nh\r\nh\r\nh\r\nh\r\nh\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n3000001\r\ncut short\r\n");
        m.appendBlock(3000002, "new");
        MasterFile reread;
        reread.setContent(m.toBytes());
        QCOMPARE(reread.blockText(3000001), QByteArray("cut short\r\n"));
        QCOMPARE(reread.blockText(3000002), QByteArray("new\r\n"));
    }

    void failedWriteLeavesOldFile()
    {
        MasterFile m(m_dir.filePath(QStringLiteral("sub/missing/Master")));
        m.setLines(NewFileTemplateLines());
        QString error;
        QVERIFY(!m.save(&error));
        QVERIFY(!error.isEmpty());

        // A device that refuses to be written reports the failure.
        QBuffer readOnly;
        QVERIFY(readOnly.open(QIODevice::ReadOnly));
        QVERIFY(!m.writeTo(&readOnly));
    }

    void nodeLines()
    {
        QTreeWidget tree;
        QTreeWidgetItem *root = AddRootNode(&tree, QStringLiteral("1000000"));
        fakes::ScriptedMessages ui;
        QTreeWidgetItem *b = AddBranchNode(&tree, root, QStringLiteral("a\\b c"), RootKey, 2000001, &ui);
        QTreeWidgetItem *i = AddItemNode(&tree, b, QStringLiteral("End"), false, 2000001, 3000001, &ui);
        QCOMPARE(NodeLine(root), QByteArray("1000000 0000000 $"));
        QCOMPARE(NodeLine(b), QByteArray("2000001 1000000 a\\b c"));
        QCOMPARE(NodeLine(i), QByteArray("3000001 2000001 End"));
        QCOMPARE(NodeLine(i, 3000009), QByteArray("3000009 2000001 End"));
        QCOMPARE(NodePath(i), QStringLiteral("$\\a\\b c\\End"));
        QCOMPARE(NodePath(nullptr), QStringLiteral("$"));
        QVERIFY(IsRoot(root) && IsBranch(b) && IsItem(i) && !IsItem(nullptr));
        QVERIFY(ui.shown.isEmpty());
    }

    void keys()
    {
        QTreeWidget tree;
        QTreeWidgetItem *root = AddRootNode(&tree, QStringLiteral("1000000"));
        QCOMPARE(NewNodeKey(&tree, NodeKind::Item), 3000001);
        QCOMPARE(NewNodeKey(&tree, NodeKind::Branch), 2000001);
        for (int k = 3000001; k <= 3000003; ++k)
            AddItemNode(&tree, root, QString::number(k), false, RootKey, k, nullptr);
        QCOMPARE(NewNodeKey(&tree, NodeKind::Item), 3000004);
        TreeKeys::of(&tree).remove(3000002);
        QCOMPARE(NewNodeKey(&tree, NodeKind::Item), 3000002);

        // Every branch key taken: refused, never a key of another kind.
        for (int k = FirstBranchKey; k < BranchKeyEnd; ++k)
            TreeKeys::of(&tree).add(k);
        QCOMPARE(NewNodeKey(&tree, NodeKind::Branch), 0);
    }

    void cp1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("euro and quotes") << QStringLiteral("\u20ac \u2018\u2019\u201c\u201d \u2013\u2014")
                                         << QByteArray("\x80 \x91\x92\x93\x94 \x96\x97");
        QTest::newRow("latin-1 letters") << QStringLiteral("caf\u00e9 \u00fc\u00df") << QByteArray("caf\xe9 \xfc\xdf");
        QTest::newRow("undefined bytes stand for themselves") << QStringLiteral("\u0081\u008d")
                                                              << QByteArray("\x81\x8d");
    }
    void cp1252()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ToCp1252(text), bytes);
        QCOMPARE(FromCp1252(bytes), text);
        QVERIFY(FitsCp1252(text));
    }
    void cp1252AllBytes()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        QCOMPARE(ToCp1252(FromCp1252(all)), all);
        QVERIFY(!FitsCp1252(QStringLiteral("\u4e2d")));
        QVERIFY(!FitsCp1252(QString::fromUtf8("\xf0\x9f\x98\x80")));
    }

    void titles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("tree file") << QStringLiteral("/x/notes.qvr") << QStringLiteral("notes");
        QTest::newRow("long extension") << QStringLiteral("/x/notes.backup") << QStringLiteral("notes");
        QTest::newRow("dots in the name") << QStringLiteral("/x/my.notes.qvr") << QStringLiteral("my.notes");
        QTest::newRow("no extension") << QStringLiteral("/x/notes") << QStringLiteral("notes");
        QTest::newRow("backslash is a character") << QStringLiteral("/x/a\\b.qvr") << QStringLiteral("a\\b");
    }
    void titles()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(DocumentTitleFor(path), title);
    }

    void masterChoice()
    {
        const QString work = m_dir.path() + QStringLiteral("/work/");
        QDir().mkpath(work);
        MasterChoice first = ChooseMasterFile(work);
        QCOMPARE(first.path, work + QStringLiteral("Master"));
        QFile(first.path).open(QIODevice::WriteOnly);

        // A second copy never shares a master file with a live one.
        MasterChoice second = ChooseMasterFile(work);
        QCOMPARE(second.path, work + QStringLiteral("Master1"));
        QFile(second.path).open(QIODevice::WriteOnly);

        // A file left behind without a live owner is kept while free names remain.
        QFile(work + QStringLiteral("Master2")).open(QIODevice::WriteOnly);
        MasterChoice third = ChooseMasterFile(work);
        QCOMPARE(third.path, work + QStringLiteral("Master3"));
        third.lock.reset();

        // The clean-up spares the running copy's master file and removes the
        // one without a lock.
        DeleteMasterFiles(work);
        QVERIFY(QFile::exists(work + QStringLiteral("Master1")));
        QVERIFY(!QFile::exists(work + QStringLiteral("Master2")));
    }

    void staleLockIsReused()
    {
        const QString work = m_dir.path() + QStringLiteral("/stale/");
        QDir().mkpath(work);
        // The lock of a copy that died: a process number that is not running.
        QFile lock(work + QStringLiteral("Master.lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483000\nquivora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QFile(work + QStringLiteral("Master")).open(QIODevice::WriteOnly);
        QFile(work + QStringLiteral("Master1")).open(QIODevice::WriteOnly);
        // Every name is taken by a file: those without a lock go first, and
        // the dead copy's, which may hold work, is reused last.
        for (int n = 2; n < MasterFileNumbers; ++n)
            QFile(work + MasterFileName(n)).open(QIODevice::WriteOnly);
        QCOMPARE(ChooseMasterFile(work).path, work + QStringLiteral("Master1"));
        QList<MasterChoice> held; // running copies hold every other name
        for (int n = 1; n < MasterFileNumbers; ++n)
            held << ChooseMasterFile(work);
        QCOMPARE(ChooseMasterFile(work).path, work + QStringLiteral("Master"));
    }

    void allNamesHeld()
    {
        const QString work = m_dir.path() + QStringLiteral("/full/");
        QDir().mkpath(work);
        QList<MasterChoice> held;
        for (int n = 0; n < MasterFileNumbers; ++n) {
            held << ChooseMasterFile(work);
            QVERIFY(!held.last().path.isEmpty());
        }
        QVERIFY(ChooseMasterFile(work).path.isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTreeFile)
#include "tst_treefile.moc"
