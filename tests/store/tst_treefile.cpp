// The tree file itself: the in-memory master file written back byte for
// byte, Windows-1252 text, titles, and the choice of master
// file among several running copies.

#include "store/Cp1252.h"
#include "store/DocState.h"
#include "store/FileStamp.h"
#include "store/KeyMap.h"
#include "store/MasterChoice.h"
#include "store/MasterFile.h"
#include "store/TreeFormat.h"

#include <QHash>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSysInfo>
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
        // A few lone CR among CR LF lines: each still ends a line.
        QByteArray mixed = crlf;
        mixed.replace("End\r\n3000001\r\n", "End\r3000001\r\n");
        QTest::newRow("one lone CR among CR LF lines") << mixed << crlf;
        QByteArray doubled = crlf;
        doubled.replace("{\\rtf1 a}\r\n", "{\\rtf1 a}\r\r\n");
        QByteArray doubledWritten = crlf;
        doubledWritten.replace("{\\rtf1 a}\r\n", "{\\rtf1 a}\r\n\r\n");
        QTest::newRow("CR before CR LF") << doubled << doubledWritten;
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

    // Which master file a starting copy takes, among names held by running
    // copies (`live`), files left without a lock and the files of copies that
    // died, their lock naming a process gone; the clean-up then deletes only
    // the files without a lock.
    void masterChoice_data()
    {
        QTest::addColumn<QList<int>>("live"); // taken in this order
        QTest::addColumn<QList<int>>("leftover");
        QTest::addColumn<QList<int>>("dead");
        QTest::addColumn<int>("chosen"); // -1: no name left
        QList<int> allButFirst;
        for (int n = 1; n < MasterFileNumbers; ++n)
            allButFirst << n;
        const QList<int> none;
        QTest::newRow("empty folder") << none << none << none << 0;
        QTest::newRow("a running copy's file is never shared") << QList<int>{0} << none << none << 1;
        QTest::newRow("a leftover is kept while names are free") << QList<int>{0, 1} << QList<int>{2} << none << 3;
        QTest::newRow("leftovers go before a dead copy's work") << none << allButFirst << QList<int>{0} << 1;
        QTest::newRow("a dead copy's file is reused last") << allButFirst << none << QList<int>{0} << 0;
        QTest::newRow("every name held") << QList<int>{0} + allButFirst << none << none << -1;
    }
    void masterChoice()
    {
        QFETCH(QList<int>, live);
        QFETCH(QList<int>, leftover);
        QFETCH(QList<int>, dead);
        QFETCH(int, chosen);
        QTemporaryDir dir;
        const QString work = dir.path() + QLatin1Char('/');
        const auto touch = [&](int n, const QByteArray &bytes = {}) {
            QFile f(work + MasterFileName(n));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        };
        for (int n : dead) {
            touch(n, "work");
            QFile lock(work + MasterFileName(n) + QStringLiteral(".lock"));
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write("2147483000\nquivora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        }
        for (int n : leftover)
            touch(n);
        QList<MasterChoice> held;
        for (int n : live) {
            held << ChooseMasterFile(work);
            QCOMPARE(held.last().path, work + MasterFileName(n));
            touch(n);
        }
        QCOMPARE(ChooseMasterFile(work).path, chosen < 0 ? QString() : work + MasterFileName(chosen));
        DeleteMasterFiles(work);
        for (int n = 0; n < MasterFileNumbers; ++n)
            QCOMPARE(QFile::exists(work + MasterFileName(n)), live.contains(n) || (dead.contains(n) && n != chosen));
    }

    // Keys near the others live in arrays, keys far out in a hash, and move
    // over when the arrays grow: every step must answer as a plain hash does.
    void keyMapAnswersAsAHash()
    {
        KeyMap<int, 0> map;
        QHash<int, int> model;
        QRandomGenerator random(7);
        const int starts[] = {FirstBranchKey, FirstItemKey, FirstItemKey + 20000, LastItemKey - 5, RootKey, 12};
        for (int step = 0; step < 60000; ++step) {
            const int key = starts[random.bounded(6)] + int(random.bounded(step < 30000 ? 9000 : 40)) % 9000;
            const int value = int(random.bounded(4)); // 0 removes
            map.insert(key, value);
            if (value)
                model.insert(key, value);
            else
                model.remove(key);
            const int probe = starts[random.bounded(6)] + int(random.bounded(9000));
            QCOMPARE(map.value(probe), model.value(probe));
            QCOMPARE(map.value(key), model.value(key));
        }
        QCOMPARE(map.size(), model.size());
        for (auto it = model.cbegin(); it != model.cend(); ++it)
            QCOMPARE(map.value(it.key()), it.value());
    }

    // The stamp hashes the content in memory, in whatever pieces it comes,
    // as it hashes the file read back; one byte changed is another hash.
    void stampHashesContentAsTheFile()
    {
        MasterFile m(m_dir.filePath(QStringLiteral("stamped")));
        m.setContent("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\nTree\r\n1000000 0000000 $\r\nEnd\r\nData\r\nEnd\r\n");
        m.appendBlock(3000001, "{\\rtf1 odd}");
        m.appendBlock(3000002, "{\\rtf1 an odder length}\r\n\\par x");
        QVERIFY(m.save());
        const FileStamp held = FileStamp::of(m.path(), m);
        QVERIFY(held.known());
        QCOMPARE(held.hash, FileStamp::read(m.path()).hash);
        QByteArray bytes = m.toBytes();
        bytes[bytes.size() - 9] = 'X';
        QFile f(m.path());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        QVERIFY(FileStamp::read(m.path()).hash != held.hash);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTreeFile)
#include "tst_treefile.moc"
