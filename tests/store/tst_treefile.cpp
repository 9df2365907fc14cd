// The tree file itself: the in-memory master file written back byte for
// byte, its text blocks, Windows-1252 text, titles, and the choice of master
// file among several running copies.

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/MasterChoice.h"
#include "store/MasterFile.h"
#include "store/TreeFormat.h"

#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::newRow("last line without line end")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n3000001\r\nx")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n3000001\r\nx\r\n");
        QTest::newRow("block without End is kept open")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\nEnd\r\n3000001\r\nx\r\n")
            << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\nEnd\r\n3000001\r\nx\r\n");
        QTest::newRow("empty lines survive") << QByteArray("\r\n\r\nx\r\n") << QByteArray("\r\n\r\nx\r\n");
        const QByteArray zeros = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\nData\r\nEnd\r\n"
                                 "0001234\r\nx\r\nEnd\r\n0000000\r\nEnd\r\n";
        QTest::newRow("seven digits with leading zeros stay themselves") << zeros << zeros;
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
                     "3000001\r\n3000002\r\nEnd\r\n3000002\r\nend\r\nEND\r\nEnd\r\n3000001\r\nolder twin\r\nEnd\r\n"
                     "3000003\r\nno End\r\n");
        // A seven-digit line inside another item's text is that text, not a
        // key; a block ends at exactly "End", or at the end of the file.
        QCOMPARE(m.blockText(3000001), QByteArray("3000002\r\n"));
        QCOMPARE(m.blockText(3000002), QByteArray("end\r\nEND\r\n"));
        QCOMPARE(m.blockText(3000003), QByteArray("no End\r\n"));
        m.removeBlock(3000003);
        // Storing removes every block of the item, a damaged file's twin too.
        m.removeBlock(3000001);
        m.appendBlock(3000001, "new\nlines");
        QCOMPARE(m.toBytes(), QByteArray("h\r\nh\r\nh\r\nh\r\nh\r\nh\r\nTree\r\n1000000 0000000 $\r\nEnd\r\n"
                                         "Data\r\nEnd\r\n3000002\r\nend\r\nEND\r\nEnd\r\n3000001\r\nnew\r\nlines\r\nEnd\r\n"));
        QCOMPARE(m.findNodeLine("1000000 0000000 $"), 0);
        QCOMPARE(m.findNodeLine("9000000 0000000 $"), -1);
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
        QTest::newRow("dots in the name") << QStringLiteral("/x/my.notes.qvr") << QStringLiteral("my.notes");
        QTest::newRow("no extension") << QStringLiteral("/x/notes") << QStringLiteral("notes");
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
