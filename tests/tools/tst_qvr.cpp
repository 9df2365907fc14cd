// The qvr tool as scripts use it: run as a program, judged by exit code,
// output and what it leaves on disk.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

QList<QByteArray> header()
{
    return {"Quivora Ver. 2.1", "Created: 1/2/24", "LastSaved: 1/2/24", "Res1", "Res2", "Res3",
            "Tree"};
}

// Names hold "\" and a Windows-1252 character; "$\Recipes\Soup\Tomato" is the
// path of two items, the one in the branch Soup standing first.
QByteArray currentFile()
{
    return crlf(header()
                + QList<QByteArray>{
                    "1000000 0000000 $",
                    "2000001 1000000 Recipes",
                    "2000002 2000001 Soup",
                    "3000003 2000002 Tomato",
                    "3000002 2000001 Soup\\Tomato",
                    "3000001 1000000 Caf\xe9 notes",
                    "3000004 1000000 Empty",
                    "End",
                    "Data",
                    "End",
                    "3000001",
                    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}",
                    "\\pard\\f0\\fs20 Caf\\'e9 \\b bold\\b0\\par",
                    "second\\line line\\par",
                    "}",
                    "End",
                    "3000003",
                    "{\\rtf1\\ansi Tomato soup\\par}",
                    "End",
                    "3000002",
                    "{\\rtf1\\ansi Backslash item\\par}",
                    "End",
                });
}

QByteArray olderFile()
{
    return crlf({"Kestrava Ver. 1.1", "Tree", "1000000 $", "2000001 $\\Notes",
                 "3000001 $\\Notes\\Tasks", "3000002 $\\Top", "End", "3000001",
                 "{\\rtf1\\ansi Old task\\par}", "End"});
}

QByteArray noEndFile()
{
    return crlf(header() + QList<QByteArray>{"1000000 0000000 $", "3000001 1000000 Lost"});
}

QByteArray shortLineFile()
{
    return crlf(header()
                + QList<QByteArray>{"1000000 0000000 $", "3000001 1000000 Fine",
                                    "3000002 1000000 ", "End", "3000001",
                                    "{\\rtf1\\ansi Still here\\par}", "End"});
}

// Long enough to reach the node section, whose lines are no node lines.
QByteArray garbageFile()
{
    QByteArray bytes("\x00\x01garbage\r\n", 11);
    for (int i = 0; i < 12; ++i)
        bytes += "line " + QByteArray::number(i) + " of noise\r\n";
    return bytes;
}

// Names that need care on disk: unsafe characters, device names, trailing
// dots, names that meet once made safe or letter case aside, a branch whose
// name is an item's file name, a name too long for one.
QByteArray namesFile()
{
    return crlf(header()
                + QList<QByteArray>{
                    "1000000 0000000 $",
                    "2000001 1000000 X.txt",
                    "2000002 1000000 Soup",
                    "2000003 2000002 Empty",
                    "3000010 2000002 Tomato",
                    "3000001 1000000 a/b",
                    "3000002 1000000 a:b",
                    "3000003 1000000 CON",
                    "3000004 1000000 con.txt",
                    "3000005 1000000 Trail. ",
                    "3000006 1000000 ...",
                    "3000007 1000000 Note",
                    "3000008 1000000 note",
                    "3000009 1000000 X",
                    "3000011 1000000 tab\there",
                    "3000012 1000000 Soup",
                    "3000013 1000000 Caf\xe9",
                    "3000014 1000000 <?*|\">",
                    "3000015 1000000 " + QByteArray(300, '\xe9'),
                    "End",
                    "Data",
                    "End",
                    "3000010",
                    "{\\rtf1\\ansi Tomato soup\\par}",
                    "End",
                    "3000007",
                    "{\\rtf1\\ansi Upper\\par}",
                    "End",
                    "3000008",
                    "{\\rtf1\\ansi lower\\par}",
                    "End",
                });
}

QByteArray manyItemsFile(int items)
{
    QList<QByteArray> lines = header();
    lines << "1000000 0000000 $";
    for (int i = 1; i <= items; ++i)
        lines << QByteArray::number(3000000 + i) + " 1000000 Item " + QByteArray::number(i);
    lines << "End" << "Data" << "End";
    return crlf(lines);
}

QByteArray fixture(const QString &name)
{
    if (name == QLatin1String("current"))
        return currentFile();
    if (name == QLatin1String("older"))
        return olderFile();
    if (name == QLatin1String("noend"))
        return noEndFile();
    if (name == QLatin1String("shortline"))
        return shortLineFile();
    if (name == QLatin1String("garbage"))
        return garbageFile();
    if (name == QLatin1String("names"))
        return namesFile();
    return {};
}

// Every file below `dir`, relative, folders ending "/", sorted.
QStringList listTree(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QString rel = QDir(dir).relativeFilePath(it.filePath());
        if (it.fileInfo().isDir())
            rel += QLatin1Char('/');
        out << rel;
    }
    out.sort();
    return out;
}

// `pattern` with "%1" standing for `path`.
QString withPath(const QString &pattern, const QString &path)
{
    QString s = pattern;
    return s.replace(QStringLiteral("%1"), path);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

} // namespace

class TestQvr : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void commands_data();
    void commands();
    void cat_data();
    void cat();
    void catFormats();
    void rtfIsStable();
    void exportNames_data();
    void exportNames();
    void exportOlderLayout();
    void exportOverwritesAndBlocked();
    void exportProgress_data();
    void exportProgress();
    void usageErrors_data();
    void usageErrors();

private:
    // Runs qvr; checks that the tree file is byte-identical afterwards.
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr);
    QString writeFixture(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
    QString m_qvr;
    QHash<QString, QByteArray> m_written; // fixture path -> bytes written
};

void TestQvr::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_qvr = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/qvr"));
    QVERIFY2(QFileInfo(m_qvr).isExecutable(), qPrintable(m_qvr));
}

QString TestQvr::writeFixture(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name + QStringLiteral(".qvr"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write fixture %s", qPrintable(path));
    m_written.insert(path, bytes);
    return path;
}

int TestQvr::run(const QStringList &args, QByteArray *out, QByteArray *err)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(m_qvr, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        qWarning("qvr did not finish: %s", qPrintable(args.join(QLatin1Char(' '))));
        p.kill();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    // The user's file is only ever read.
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it) {
        if (readAll(it.key()) != it.value()) {
            qWarning("qvr changed %s", qPrintable(it.key()));
            return -2;
        }
    }
    return p.exitCode();
}

// ---- check and tree on every kind of file --------------------------------

void TestQvr::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err"); // "%1" stands for the file's path

    const QByteArray currentTree = "$\n$\\Recipes\n$\\Recipes\\Soup\n$\\Recipes\\Soup\\Tomato\n"
                                   "$\\Recipes\\Soup\\Tomato\n$\\Caf\xc3\xa9 notes\n$\\Empty\n";
    QTest::newRow("check current") << "check" << "current" << 0 << QByteArray("7 nodes\nok\n") << "";
    QTest::newRow("tree current") << "tree" << "current" << 0 << currentTree << "";
    QTest::newRow("check older") << "check" << "older" << 0 << QByteArray("4 nodes\nok\n") << "";
    QTest::newRow("tree older") << "tree" << "older" << 0
                                << QByteArray("$\n$\\Notes\n$\\Notes\\Tasks\n$\\Top\n") << "";
    QTest::newRow("check no End") << "check" << "noend" << 1 << QByteArray()
                                  << "qvr: %1: AutoCheck, no End found.\n";
    QTest::newRow("tree no End") << "tree" << "noend" << 0 << QByteArray("$\n$\\Lost\n")
                                 << "qvr: %1: AutoCheck, no End found.\n";
    QTest::newRow("check short line")
        << "check" << "shortline" << 1 << QByteArray()
        << "qvr: %1: AutoCheck, line # 9 (3000002 1000000 ) corrupted (less than17 characters).\n";
    QTest::newRow("check garbage") << "check" << "garbage" << 2 << QByteArray()
                                   << "qvr: %1: Quivora cannot open the document. (garbage)\n";
    QTest::newRow("tree garbage") << "tree" << "garbage" << 2 << QByteArray()
                                  << "qvr: %1: Quivora cannot open the document. (garbage)\n";
    QTest::newRow("cat garbage") << "cat" << "garbage" << 2 << QByteArray()
                                 << "qvr: %1: Quivora cannot open the document. (garbage)\n";
    QTest::newRow("export garbage") << "export" << "garbage" << 2 << QByteArray()
                                    << "qvr: %1: Quivora cannot open the document. (garbage)\n";
    QTest::newRow("check missing") << "check" << "missing" << 2 << QByteArray()
                                   << "qvr: %1: no such file\n";
    QTest::newRow("cat missing") << "cat" << "missing" << 2 << QByteArray()
                                 << "qvr: %1: no such file\n";
    QTest::newRow("export missing") << "export" << "missing" << 2 << QByteArray()
                                    << "qvr: %1: no such file\n";
    QTest::newRow("export folder") << "export" << "folder" << 2 << QByteArray()
                                   << "qvr: %1: not a file\n";
    // A document that loads but fails the check is still read.
    QTest::newRow("cat no End") << "cat" << "noend" << 0 << QByteArray()
                                << "qvr: %1: AutoCheck, no End found.\n";
    QTest::newRow("cat short line") << "cat" << "shortline" << 0 << QByteArray("Still here\n")
                                    << "qvr: %1: AutoCheck, line # 9 (3000002 1000000 ) "
                                       "corrupted (less than17 characters).\n";
    QTest::newRow("export no End") << "export" << "noend" << 0
                                   << QByteArray("items: 1\nfolders: 0\n")
                                   << "qvr: %1: AutoCheck, no End found.\n";
}

void TestQvr::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);

    QString path;
    if (file == QLatin1String("missing")) {
        path = m_dir.filePath(QStringLiteral("missing.qvr"));
    } else if (file == QLatin1String("folder")) {
        path = m_dir.filePath(QStringLiteral("folder.qvr"));
        QVERIFY(QDir().mkpath(path));
    } else {
        path = writeFixture(file, fixture(file));
    }
    QStringList args{command, path};
    if (command == QLatin1String("cat"))
        args << (file == QLatin1String("noend") ? QStringLiteral("$\\Lost")
                                                : QStringLiteral("$\\Fine"));
    QTemporaryDir target;
    if (command == QLatin1String("export"))
        args << QStringLiteral("--to") << target.filePath(QStringLiteral("out"));

    QByteArray gotOut, gotErr;
    QCOMPARE(run(args, &gotOut, &gotErr), exitCode);
    QCOMPARE(gotOut, out);
    QCOMPARE(QString::fromUtf8(gotErr), withPath(err, path));
    if (command == QLatin1String("export") && exitCode != 0)
        QVERIFY2(!QFileInfo::exists(target.filePath(QStringLiteral("out"))),
                 "nothing is written for a file that cannot be opened");
}

// ---- cat ------------------------------------------------------------------

void TestQvr::cat_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err"); // "%1" stands for the file's path

    const QByteArray cafe = "Caf\xc3\xa9 bold\nsecond\nline\n";
    QTest::newRow("path, Windows-1252 name") << QStringLiteral("$\\Caf\u00e9 notes") << 0 << cafe << "";
    QTest::newRow("key") << "3000001" << 0 << cafe << "";
    QTest::newRow("shared path: first in tree order")
        << "$\\Recipes\\Soup\\Tomato" << 0 << QByteArray("Tomato soup\n") << "";
    QTest::newRow("backslash name by key") << "3000002" << 0 << QByteArray("Backslash item\n") << "";
    QTest::newRow("item without text") << "$\\Empty" << 0 << QByteArray() << "";
    QTest::newRow("branch") << "$\\Recipes" << 3 << QByteArray()
                            << "qvr: %1: $\\Recipes is not an item\n";
    QTest::newRow("branch by key") << "2000002" << 3 << QByteArray()
                                   << "qvr: %1: 2000002 is not an item\n";
    QTest::newRow("root") << "$" << 3 << QByteArray() << "qvr: %1: $ is not an item\n";
    QTest::newRow("no such path") << "$\\Nope" << 3 << QByteArray() << "qvr: %1: no node $\\Nope\n";
    QTest::newRow("letter case counts") << "$\\recipes\\soup\\tomato" << 3 << QByteArray()
                                        << "qvr: %1: no node $\\recipes\\soup\\tomato\n";
    QTest::newRow("no such key") << "3999999" << 3 << QByteArray() << "qvr: %1: no node 3999999\n";
    QTest::newRow("part of a path") << "Recipes\\Soup\\Tomato" << 3 << QByteArray()
                                    << "qvr: %1: no node Recipes\\Soup\\Tomato\n";
}

void TestQvr::cat()
{
    QFETCH(QString, node);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    const QString path = writeFixture(QStringLiteral("current"), currentFile());
    QByteArray gotOut, gotErr;
    QCOMPARE(run({QStringLiteral("cat"), path, node}, &gotOut, &gotErr), exitCode);
    QCOMPARE(gotOut, out);
    QCOMPARE(QString::fromUtf8(gotErr), withPath(err, path));
}

void TestQvr::catFormats()
{
    const QString path = writeFixture(QStringLiteral("current"), currentFile());
    QByteArray txt, rtf, html, err;
    QCOMPARE(run({QStringLiteral("cat"), path, QStringLiteral("3000001"), QStringLiteral("--format"),
                  QStringLiteral("txt")},
                 &txt, &err),
             0);
    QVERIFY(!txt.contains('\r'));
    QCOMPARE(txt, QByteArray("Caf\xc3\xa9 bold\nsecond\nline\n"));

    QCOMPARE(run({QStringLiteral("cat"), path, QStringLiteral("$\\Caf\u00e9 notes"),
                  QStringLiteral("--format=rtf")},
                 &rtf, &err),
             0);
    QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"), rtf.constData());
    QVERIFY(rtf.endsWith("}\r\n"));
    QVERIFY(rtf.contains("\\'e9"));
    QVERIFY(rtf.contains("\\b "));
    QCOMPARE(rtf.count('\n'), rtf.count("\r\n"));
    QVERIFY(rtf.contains("\\viewkind4\\uc1\\pard")); // written again, not passed on

    QCOMPARE(run({QStringLiteral("cat"), path, QStringLiteral("3000001"), QStringLiteral("--format"),
                  QStringLiteral("html")},
                 &html, &err),
             0);
    QVERIFY(html.startsWith("<!DOCTYPE HTML"));
    QVERIFY(html.contains("<meta charset=\"utf-8\" />"));
    QVERIFY(html.contains("Caf\xc3\xa9 "));
    QVERIFY(html.contains("font-weight:700;\">bold</span>"));
    QVERIFY(html.contains("font-family:'Arial'"));
    QCOMPARE(err, QByteArray());
}

// The rtf form is normalized: storing it and asking again gives the same bytes.
void TestQvr::rtfIsStable()
{
    const QString first = writeFixture(QStringLiteral("current"), currentFile());
    QByteArray rtf, again, err;
    QCOMPARE(run({QStringLiteral("cat"), first, QStringLiteral("3000001"), QStringLiteral("--format"),
                  QStringLiteral("rtf")},
                 &rtf, &err),
             0);
    QList<QByteArray> lines = header();
    lines << "1000000 0000000 $" << "3000001 1000000 Again" << "End" << "3000001";
    QByteArray file = crlf(lines) + rtf + "End\r\n";
    const QString second = writeFixture(QStringLiteral("again"), file);
    QCOMPARE(run({QStringLiteral("cat"), second, QStringLiteral("$\\Again"),
                  QStringLiteral("--format"), QStringLiteral("rtf")},
                 &again, &err),
             0);
    QCOMPARE(again, rtf);
    QByteArray txt;
    QCOMPARE(run({QStringLiteral("cat"), second, QStringLiteral("$\\Again")}, &txt, &err), 0);
    QCOMPARE(txt, QByteArray("Caf\xc3\xa9 bold\nsecond\nline\n"));
}

// ---- export -----------------------------------------------------------------

void TestQvr::exportNames_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("ext");
    QTest::newRow("default") << QString() << ".txt";
    QTest::newRow("txt") << "txt" << ".txt";
    QTest::newRow("rtf") << "rtf" << ".rtf";
    QTest::newRow("html") << "html" << ".html";
    QTest::newRow("pdf") << "pdf" << ".pdf";
}

void TestQvr::exportNames()
{
    QFETCH(QString, format);
    QFETCH(QString, ext);
    const QString path = writeFixture(QStringLiteral("names"), namesFile());
    QTemporaryDir target;
    const QString dir = target.filePath(QStringLiteral("deep/out"));
    QStringList args{QStringLiteral("export"), path, QStringLiteral("--to"), dir};
    if (!format.isEmpty())
        args << QStringLiteral("--format") << format;
    QByteArray out, err;
    QCOMPARE(run(args, &out, &err), 0);
    QCOMPARE(err, QByteArray());
    QCOMPARE(out, QByteArray("items: 15\nfolders: 3\n"));

    QStringList expected{
        QStringLiteral("Caf\u00e9") + ext,
        QStringLiteral("Note") + ext,
        QStringLiteral("Soup/"),
        QStringLiteral("Soup/Empty/"),
        QStringLiteral("Soup/Tomato") + ext,
        QStringLiteral("Soup") + ext,
        QStringLiteral("Trail") + ext,
        QStringLiteral("X.txt/"),
        QStringLiteral("_") + ext,
        QStringLiteral("_CON") + ext,
        QStringLiteral("______") + ext,
        QStringLiteral("_con.txt") + ext,
        QStringLiteral("a_b (2)") + ext,
        QStringLiteral("a_b") + ext,
        QStringLiteral("note (2)") + ext,
        QStringLiteral("tab_here") + ext,
        QString(100, QChar(0xe9)) + ext, // cut to 200 bytes of UTF-8
    };
    // A branch named like an item's file takes the name first.
    expected << (ext == QLatin1String(".txt") ? QStringLiteral("X (2).txt") : QString(QStringLiteral("X") + ext));
    expected.sort();
    QCOMPARE(listTree(dir), expected);

    const QByteArray tomato = readAll(dir + QStringLiteral("/Soup/Tomato") + ext);
    const QByteArray upper = readAll(dir + QStringLiteral("/Note") + ext);
    const QByteArray lower = readAll(dir + QStringLiteral("/note (2)") + ext);
    if (ext == QLatin1String(".txt")) {
        QCOMPARE(tomato, QByteArray("Tomato soup\n"));
        QCOMPARE(upper, QByteArray("Upper\n"));
        QCOMPARE(lower, QByteArray("lower\n"));
        QCOMPARE(readAll(dir + QStringLiteral("/Soup.txt")), QByteArray());
    } else if (ext == QLatin1String(".rtf")) {
        QVERIFY(tomato.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
        QVERIFY(tomato.contains("Tomato soup\\par\r\n"));
        QVERIFY(upper.contains("Upper"));
        QVERIFY(lower.contains("lower"));
        QVERIFY(readAll(dir + QStringLiteral("/Soup.rtf")).startsWith("{\\rtf1"));
    } else if (ext == QLatin1String(".pdf")) {
        for (const QByteArray &pdf : {tomato, upper, lower})
            QVERIFY(pdf.startsWith("%PDF-"));
    } else {
        QVERIFY(tomato.startsWith("<!DOCTYPE HTML"));
        QVERIFY(tomato.contains(">Tomato soup</"));
        QVERIFY(upper.contains(">Upper</"));
        QVERIFY(lower.contains(">lower</"));
    }
}

void TestQvr::exportOlderLayout()
{
    const QString path = writeFixture(QStringLiteral("older"), olderFile());
    QTemporaryDir target;
    QByteArray out, err;
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), target.path()}, &out, &err),
             0);
    QCOMPARE(err, QByteArray());
    QCOMPARE(listTree(target.path()),
             QStringList({QStringLiteral("Notes/"), QStringLiteral("Notes/Tasks.txt"),
                          QStringLiteral("Top.txt")}));
    QCOMPARE(readAll(target.filePath(QStringLiteral("Notes/Tasks.txt"))), QByteArray("Old task\n"));
    QCOMPARE(readAll(target.filePath(QStringLiteral("Top.txt"))), QByteArray());
}

void TestQvr::exportOverwritesAndBlocked()
{
    const QString path = writeFixture(QStringLiteral("older"), olderFile());
    QTemporaryDir target;
    // A second export writes over the first; other files stay.
    QFile stale(target.filePath(QStringLiteral("Top.txt")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("a much longer stale text than the item holds\n");
    stale.close();
    QFile other(target.filePath(QStringLiteral("mine.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("mine\n");
    other.close();
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), target.path()}), 0);
    QCOMPARE(readAll(target.filePath(QStringLiteral("Top.txt"))), QByteArray());
    QCOMPARE(readAll(target.filePath(QStringLiteral("mine.txt"))), QByteArray("mine\n"));

    // DIR is a file.
    QByteArray out, err;
    const QString file = target.filePath(QStringLiteral("mine.txt"));
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), file}, &out, &err), 2);
    QCOMPARE(QString::fromUtf8(err),
             QStringLiteral("qvr: %1: cannot write (a file of that name is in the way)\n").arg(file));
    QCOMPARE(out, QByteArray());

    // A branch folder is blocked by a file.
    QTemporaryDir blocked;
    QFile in(blocked.filePath(QStringLiteral("Notes")));
    QVERIFY(in.open(QIODevice::WriteOnly));
    in.close();
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), blocked.path()}, &out, &err),
             2);
    QCOMPARE(QString::fromUtf8(err),
             QStringLiteral("qvr: %1/Notes: cannot write (a file of that name is in the way)\n")
                 .arg(blocked.path()));

    // An item file is blocked by a folder.
    QTemporaryDir blocked2;
    QVERIFY(QDir().mkpath(blocked2.filePath(QStringLiteral("Top.txt"))));
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), blocked2.path()}, &out,
                 &err),
             2);
    QVERIFY2(QString::fromUtf8(err).startsWith(
                 QStringLiteral("qvr: %1/Top.txt: cannot write (").arg(blocked2.path())),
             err.constData());
}

void TestQvr::exportProgress_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("lines");
    QTest::newRow("1000 items: quiet") << 1000 << 0;
    QTest::newRow("1001 items: every tenth") << 1001 << 10;
    QTest::newRow("2500 items") << 2500 << 10;
}

void TestQvr::exportProgress()
{
    QFETCH(int, items);
    QFETCH(int, lines);
    const QString path = writeFixture(QStringLiteral("many"), manyItemsFile(items));
    QTemporaryDir target;
    QByteArray out, err;
    QCOMPARE(run({QStringLiteral("export"), path, QStringLiteral("--to"), target.path()}, &out, &err),
             0);
    QCOMPARE(out, QByteArray("items: " + QByteArray::number(items) + "\nfolders: 0\n"));
    const QList<QByteArray> got = err.split('\n');
    QCOMPARE(err.count('\n'), lines);
    if (lines > 0) {
        const QByteArray total = QByteArray::number(items);
        QCOMPARE(got[0], QByteArray("exporting: " + QByteArray::number((items + 9) / 10) + " of "
                                    + total + " items"));
        QCOMPARE(got[lines - 1], QByteArray("exporting: " + total + " of " + total + " items"));
    }
    QCOMPARE(QDir(target.path()).entryList(QDir::Files).size(), items);
}

// ---- usage --------------------------------------------------------------------

void TestQvr::usageErrors_data()
{
    QTest::addColumn<QStringList>("args"); // "%1" stands for the file's path
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("export without --to") << QStringList{QStringLiteral("export"), QStringLiteral("%1")}
                                         << "qvr: export needs FILE and --to DIR";
    QTest::newRow("export with DIR as argument")
        << QStringList{QStringLiteral("export"), QStringLiteral("%1"), QStringLiteral("out")}
        << "qvr: export needs FILE and --to DIR";
    QTest::newRow("cat without PATH") << QStringList{QStringLiteral("cat"), QStringLiteral("%1")}
                                      << "qvr: cat needs FILE and PATH";
    QTest::newRow("unknown format")
        << QStringList{QStringLiteral("cat"), QStringLiteral("%1"), QStringLiteral("3000001"),
                       QStringLiteral("--format"), QStringLiteral("doc")}
        << "qvr: unknown format 'doc' (txt, rtf, html or pdf)";
    QTest::newRow("unknown command") << QStringList{QStringLiteral("show"), QStringLiteral("%1")}
                                     << "qvr: unknown command 'show'";
}

void TestQvr::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, firstLine);
    const QString path = writeFixture(QStringLiteral("current"), currentFile());
    for (QString &a : args) {
        if (a == QLatin1String("%1"))
            a = path;
    }
    QByteArray out, err;
    QCOMPARE(run(args, &out, &err), 2);
    QCOMPARE(out, QByteArray());
    QCOMPARE(QString::fromUtf8(err.left(err.indexOf('\n'))), firstLine);
    QVERIFY(err.contains("qvr export FILE --to DIR"));
}

QTEST_GUILESS_MAIN(TestQvr)
#include "tst_qvr.moc"
