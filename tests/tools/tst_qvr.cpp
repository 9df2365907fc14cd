// The qvr tool as scripts use it: run as a program, judged by exit code,
// output and what it leaves on disk.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
                    "3000016 1000000 .profile",
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

// A branch in a branch ... `depth` nodes deep, an item with text at the bottom.
QByteArray chainFile(int depth)
{
    QList<QByteArray> lines = header();
    lines << "1000000 0000000 $";
    for (int i = 1; i < depth; ++i)
        lines << QByteArray::number(2000000 + i) + ' ' + QByteArray::number(i == 1 ? 1000000 : 1999999 + i) + " a";
    lines << "3000001 " + QByteArray::number(depth == 1 ? 1000000 : 1999999 + depth) + " Leaf";
    lines << "End" << "3000001" << "{\\rtf1\\ansi deep\\par}" << "End";
    return crlf(lines);
}

// One item of many pictures that declare a huge size and hold one byte each.
QByteArray picturesFile(int pictures)
{
    QList<QByteArray> lines = header();
    lines << "1000000 0000000 $" << "3000001 1000000 Pictures" << "End" << "3000001" << "{\\rtf1\\ansi";
    for (int i = 0; i < pictures; ++i)
        lines << "{\\pict\\picwgoal150000\\pichgoal150000 00}";
    lines << "}" << "End";
    return crlf(lines);
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

// Limits of the child process: file size in bytes, stack in KB (0: none).
struct Limits
{
    rlim_t fileSize = 0;
    rlim_t stackKB = 0;
};

class TestQvr : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void picturesCostLittle();
    void commands_data();
    void commands();
    void deepChains_data();
    void deepChains();
    void cat_data();
    void cat();
    void catFormats();
    void exportNames_data();
    void exportNames();
    void exportObstacles_data();
    void exportObstacles();
    void exportProgress_data();
    void exportProgress();
    void usageErrors_data();
    void usageErrors();

private:
    // Runs qvr; checks that the tree file is byte-identical afterwards.
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr,
            Limits limits = {});
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

int TestQvr::run(const QStringList &args, QByteArray *out, QByteArray *err, Limits limits)
{
    QProcess p;
    p.setChildProcessModifier([limits] {
        // A small disk: writes past the limit fail instead of killing qvr.
        if (limits.fileSize) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fsize{limits.fileSize, limits.fileSize};
            setrlimit(RLIMIT_FSIZE, &fsize);
        }
        // A small stack finds recursion over a tree's depth in a shallower tree.
        if (limits.stackKB) {
            const rlimit stack{limits.stackKB * 1024, limits.stackKB * 1024};
            setrlimit(RLIMIT_STACK, &stack);
        }
    });
    p.start(m_qvr, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        qWarning("qvr did not finish: %s", qPrintable(args.join(QLatin1Char(' ')).left(200)));
        p.kill();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err) { // progress lines of big documents aside
        err->clear();
        for (const QByteArray &line : p.readAllStandardError().split('\n'))
            if (!line.isEmpty() && !line.startsWith("loading: "))
                *err += line + '\n';
    }
    // The user's file is only ever read.
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it) {
        if (readAll(it.key()) != it.value()) {
            qWarning("qvr changed %s", qPrintable(it.key()));
            return -2;
        }
    }
    return p.exitCode();
}

// ---- what one item's pictures may cost -------------------------------------

// Measured in a child of its own: its peak memory, not the test's.
void TestQvr::picturesCostLittle()
{
    const QByteArray path = QFile::encodeName(writeFixture(QStringLiteral("pictures"), picturesFile(1000)));
    const QByteArray qvr = QFile::encodeName(m_qvr);
    const char *argv[] = {qvr.constData(), "cat", path.constData(), "3000001", "--format=rtf", nullptr};
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(argv[0], const_cast<char *const *>(argv));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    QCOMPARE(wait4(pid, &status, 0, &usage), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY2(usage.ru_maxrss < 150 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed()))); // generous: 1 s is the aim
    // The pictures go out as they came, declared size and all.
    QByteArray rtf;
    QCOMPARE(run({QStringLiteral("cat"), QString::fromLocal8Bit(path), QStringLiteral("3000001"),
                  QStringLiteral("--format=rtf")},
                 &rtf),
             0);
    QCOMPARE(rtf.count("{\\pict\\picwgoal150000\\pichgoal150000\r\n00}"), 1000);
}

// ---- check and tree on every kind of file --------------------------------

void TestQvr::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("err"); // "%1" stands for the file's path, "%2" for the export folder
    QTest::addColumn<int>("fileSizeLimit"); // bytes; 0: none

    const QByteArray currentTree = "$\n$\\Recipes\n$\\Recipes\\Soup\n$\\Recipes\\Soup\\Tomato\n"
                                   "$\\Recipes\\Soup\\Tomato\n$\\Caf\xc3\xa9 notes\n$\\Empty\n";
    const QString noEnd = QStringLiteral("qvr: %1: AutoCheck, no End found.\n");
    const QString garbage = QStringLiteral("qvr: %1: Quivora cannot open the document. (garbage)\n");
    QTest::newRow("check current") << "check" << "current" << 0 << QByteArray("7 nodes\nok\n") << "" << 0;
    QTest::newRow("tree current") << "tree" << "current" << 0 << currentTree << "" << 0;
    QTest::newRow("check older") << "check" << "older" << 0 << QByteArray("4 nodes\nok\n") << "" << 0;
    QTest::newRow("tree older") << "tree" << "older" << 0
                                << QByteArray("$\n$\\Notes\n$\\Notes\\Tasks\n$\\Top\n") << "" << 0;
    // No copy of the file is made, so a disk too small for one changes nothing.
    QTest::newRow("check current, small disk")
        << "check" << "current" << 0 << QByteArray("7 nodes\nok\n") << "" << 100;
    QTest::newRow("check older, small disk")
        << "check" << "older" << 0 << QByteArray("4 nodes\nok\n") << "" << 100;
    QTest::newRow("cat, small disk") << "cat" << "shortline" << 0 << QByteArray("Still here\n")
                                             << "qvr: %1: AutoCheck, line # 9 (3000002 1000000 ) "
                                                "corrupted (less than17 characters).\n" << 100;
    QTest::newRow("export, small disk")
        << "export" << "older" << 2 << QByteArray()
        << "qvr: %2/Notes/Tasks.txt: cannot write (File too large)\n" << 4;
    QTest::newRow("check no End") << "check" << "noend" << 1 << QByteArray() << noEnd << 0;
    QTest::newRow("tree no End") << "tree" << "noend" << 0 << QByteArray("$\n$\\Lost\n") << noEnd << 0;
    QTest::newRow("check short line")
        << "check" << "shortline" << 1 << QByteArray()
        << "qvr: %1: AutoCheck, line # 9 (3000002 1000000 ) corrupted (less than17 characters).\n" << 0;
    QTest::newRow("check garbage") << "check" << "garbage" << 2 << QByteArray() << garbage << 0;
    QTest::newRow("tree garbage") << "tree" << "garbage" << 2 << QByteArray() << garbage << 0;
    QTest::newRow("cat garbage") << "cat" << "garbage" << 2 << QByteArray() << garbage << 0;
    QTest::newRow("export garbage") << "export" << "garbage" << 2 << QByteArray() << garbage << 0;
    QTest::newRow("check missing") << "check" << "missing" << 2 << QByteArray()
                                   << "qvr: %1: no such file\n" << 0;
    QTest::newRow("export folder") << "export" << "folder" << 2 << QByteArray()
                                   << "qvr: %1: not a file\n" << 0;
    // A document that loads but fails the check is still read.
    QTest::newRow("cat no End") << "cat" << "noend" << 0 << QByteArray() << noEnd << 0;
    QTest::newRow("export no End") << "export" << "noend" << 0
                                   << QByteArray("items: 1\nfolders: 0\n") << noEnd << 0;
}

void TestQvr::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    QFETCH(int, fileSizeLimit);

    QString path = m_dir.filePath(file + QStringLiteral(".qvr"));
    if (file == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (file != QLatin1String("missing"))
        path = writeFixture(file, fixture(file));
    QStringList args{command, path};
    if (command == QLatin1String("cat"))
        args << (file == QLatin1String("noend") ? QStringLiteral("$\\Lost")
                                                : QStringLiteral("$\\Fine"));
    QTemporaryDir target;
    const QString to = target.filePath(QStringLiteral("out"));
    if (command == QLatin1String("export"))
        args << QStringLiteral("--to") << to;

    QByteArray gotOut, gotErr;
    QCOMPARE(run(args, &gotOut, &gotErr, {rlim_t(fileSizeLimit), 0}), exitCode);
    QCOMPARE(gotOut, out);
    QCOMPARE(QString::fromUtf8(gotErr), withPath(err, path).replace(QStringLiteral("%2"), to));
    if (command == QLatin1String("export") && exitCode != 0) // nothing, not even a part
        QCOMPARE(listTree(to), fileSizeLimit ? QStringList{QStringLiteral("Notes/")} : QStringList());
}

// ---- very deep trees ---------------------------------------------------------

void TestQvr::deepChains_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("stackKB"); // 0: the system's
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("outEnd");
    QTest::addColumn<QByteArray>("errEnd");

    QTest::newRow("check") << "check" << 200000 << 0 << 0 << QByteArray("200001 nodes\nok\n") << QByteArray();
    QTest::newRow("cat") << "cat" << 200000 << 0 << 0 << QByteArray("deep\n") << QByteArray();
    QTest::newRow("export: the path is too long")
        << "export" << 200000 << 0 << 2 << QByteArray() << QByteArray("/a: cannot write (File name too long)\n");
    // The output grows with the square of the depth: a small stack instead.
    QTest::newRow("tree, small stack") << "tree" << 2000 << 160 << 0 << QString(QStringLiteral("\\a")).repeated(1998).toUtf8() + "\\Leaf\n" << QByteArray();
    QTest::newRow("export, small stack")
        << "export" << 2000 << 160 << 0 << QByteArray("items: 1\nfolders: 1999\n") << QByteArray();
}

void TestQvr::deepChains()
{
    QFETCH(QString, command);
    QFETCH(int, depth);
    QFETCH(int, stackKB);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, outEnd);
    QFETCH(QByteArray, errEnd);
    const QString path = writeFixture(QStringLiteral("chain"), chainFile(depth));
    QStringList args{command, path};
    QTemporaryDir target;
    if (command == QLatin1String("cat"))
        args << QStringLiteral("3000001");
    else if (command == QLatin1String("export"))
        args << QStringLiteral("--to") << target.path();
    QByteArray out, err;
    QCOMPARE(run(args, &out, &err, {0, rlim_t(stackKB)}), exitCode);
    QVERIFY2(out.endsWith(outEnd), out.right(100).constData());
    QVERIFY2(errEnd.isEmpty() ? err.isEmpty() : err.endsWith(errEnd), err.right(100).constData());
    if (command == QLatin1String("tree"))
        QCOMPARE(out.count('\n'), depth + 1);
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

// The rtf form is written again, and stable: storing it and asking again
// gives the same bytes and the same text.
void TestQvr::catFormats()
{
    const QString first = writeFixture(QStringLiteral("current"), currentFile());
    const auto catAs = [&](const QString &file, const QString &node, const char *format) {
        QByteArray out, err;
        if (run({QStringLiteral("cat"), file, node, QStringLiteral("--format=") + QLatin1String(format)},
                &out, &err) != 0 || !err.isEmpty())
            qWarning("cat %s failed: %s", format, err.constData());
        return out;
    };
    const QByteArray rtf = catAs(first, QStringLiteral("$\\Caf\u00e9 notes"), "rtf");
    QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0") && rtf.endsWith("}\r\n"), rtf.constData());
    QVERIFY(rtf.contains("\\viewkind4\\uc1\\pard") && rtf.contains("\\'e9") && rtf.contains("\\b "));
    QCOMPARE(rtf.count('\n'), rtf.count("\r\n"));
    const QByteArray html = catAs(first, QStringLiteral("3000001"), "html");
    QVERIFY(html.startsWith("<!DOCTYPE HTML") && html.contains("<meta charset=\"utf-8\" />"));
    QVERIFY(html.contains("font-weight:700;\">bold</span>") && html.contains("font-family:'Arial'"));

    QList<QByteArray> lines = header();
    lines << "1000000 0000000 $" << "3000001 1000000 Again" << "End" << "3000001";
    const QString second = writeFixture(QStringLiteral("again"), crlf(lines) + rtf + "End\r\n");
    QCOMPARE(catAs(second, QStringLiteral("$\\Again"), "rtf"), rtf);
    QCOMPARE(catAs(second, QStringLiteral("$\\Again"), "txt"), QByteArray("Caf\xc3\xa9 bold\nsecond\nline\n"));
}

// ---- export -----------------------------------------------------------------

void TestQvr::exportNames_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QByteArray>("tomato"); // how the text of one item begins
    QTest::newRow("default") << QString() << ".txt" << QByteArray("Tomato soup\n");
    QTest::newRow("rtf") << "rtf" << ".rtf" << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0");
    QTest::newRow("html") << "html" << ".html" << QByteArray("<!DOCTYPE HTML");
}

void TestQvr::exportNames()
{
    QFETCH(QString, format);
    QFETCH(QString, ext);
    QFETCH(QByteArray, tomato);
    const QString path = writeFixture(QStringLiteral("names"), namesFile());
    QTemporaryDir target;
    const QString dir = target.filePath(QStringLiteral("deep/out"));
    QStringList args{QStringLiteral("export"), path, QStringLiteral("--to"), dir};
    if (!format.isEmpty())
        args << QStringLiteral("--format") << format;
    QByteArray out, err;
    QCOMPARE(run(args, &out, &err), 0);
    QCOMPARE(err, QByteArray());
    QCOMPARE(out, QByteArray("items: 16\nfolders: 3\n"));

    QStringList expected{QStringLiteral("Soup/"), QStringLiteral("Soup/Empty/"), QStringLiteral("X.txt/")};
    for (const QString &name : {QStringLiteral("Caf\u00e9"), QStringLiteral("Note"), QStringLiteral("Soup/Tomato"),
                                QStringLiteral("Soup"), QStringLiteral("Trail"), QStringLiteral("_"),
                                QStringLiteral("_CON"), QStringLiteral("______"), QStringLiteral("_con.txt"),
                                QStringLiteral("a_b (2)"), QStringLiteral("a_b"), QStringLiteral("note (2)"),
                                QStringLiteral("tab_here"), QStringLiteral("_.profile"),
                                QString(100, QChar(0xe9)) /* cut to 200 bytes of UTF-8 */})
        expected << name + ext;
    // A branch named like an item's file takes the name first.
    expected << (ext == QLatin1String(".txt") ? QStringLiteral("X (2).txt") : QString(QStringLiteral("X") + ext));
    expected.sort();
    QCOMPARE(listTree(dir), expected);
    QVERIFY(readAll(dir + QStringLiteral("/Soup/Tomato") + ext).startsWith(tomato));
    QVERIFY(readAll(dir + QStringLiteral("/Note") + ext).contains("Upper"));
    QVERIFY(readAll(dir + QStringLiteral("/note (2)") + ext).contains("lower"));
}

void TestQvr::exportObstacles_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err"); // "%1" stands for the export folder
    QTest::addColumn<QStringList>("files"); // what the folder holds afterwards

    const QString in = QStringLiteral("qvr: %1/%2: cannot write (%3)\n");
    const QStringList exported{QStringLiteral("Notes/"), QStringLiteral("Notes/Tasks.txt"), QStringLiteral("Top.txt")};
    QTest::newRow("files replaced, others kept") << "stale" << 0 << "" << exported + QStringList{QStringLiteral("mine.txt")};
    QTest::newRow("DIR is a file") << "dir is file" << 2 << "qvr: %1: cannot write (a file of that name is in the way)\n" << QStringList();
    QTest::newRow("a file where a branch goes")
        << "Notes file" << 2 << in.arg(QStringLiteral("%1"), QStringLiteral("Notes"), QStringLiteral("a file of that name is in the way"))
        << QStringList{QStringLiteral("Notes")};
    QTest::newRow("a folder where an item goes")
        << "Top.txt folder" << 2 << in.arg(QStringLiteral("%1"), QStringLiteral("Top.txt"), QStringLiteral("a folder of that name is in the way"))
        << QStringList{QStringLiteral("Notes/"), QStringLiteral("Notes/Tasks.txt"), QStringLiteral("Top.txt/")};
    // Links are never followed: what they lead to stays as it was.
    QTest::newRow("a link where an item goes")
        << "Top.txt link" << 2 << in.arg(QStringLiteral("%1"), QStringLiteral("Top.txt"), QStringLiteral("a symbolic link is in the way"))
        << QStringList{QStringLiteral("Notes/"), QStringLiteral("Notes/Tasks.txt"), QStringLiteral("Top.txt")};
    QTest::newRow("a link where a branch goes")
        << "Notes link" << 2 << in.arg(QStringLiteral("%1"), QStringLiteral("Notes"), QStringLiteral("a symbolic link is in the way"))
        << QStringList{QStringLiteral("Notes/")};
    // FILE itself is never written: the item meeting its name takes the next number.
    QTest::newRow("FILE in the folder") << "FILE" << 0 << ""
                                        << QStringList{QStringLiteral("Notes/"), QStringLiteral("Notes/Tasks.txt"),
                                                       QStringLiteral("Top (2).txt"), QStringLiteral("Top.txt")};
}

void TestQvr::exportObstacles()
{
    QFETCH(QString, obstacle);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QStringList, files);
    QTemporaryDir target, elsewhere;
    const QString secret = elsewhere.filePath(QStringLiteral("secret.txt"));
    const auto put = [](const QString &file, const QByteArray &bytes) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(put(secret, "secret\n"));
    QString path = writeFixture(QStringLiteral("older"), olderFile());
    QString to = target.path();
    if (obstacle == QLatin1String("stale")) {
        QVERIFY(put(target.filePath(QStringLiteral("Top.txt")), "a much longer stale text than the item holds\n"));
        QVERIFY(put(target.filePath(QStringLiteral("mine.txt")), "mine\n"));
    } else if (obstacle == QLatin1String("dir is file")) {
        to = secret;
    } else if (obstacle.endsWith(QLatin1String(" file"))) {
        QVERIFY(put(target.filePath(obstacle.section(QLatin1Char(' '), 0, 0)), ""));
    } else if (obstacle.endsWith(QLatin1String(" folder"))) {
        QVERIFY(QDir().mkpath(target.filePath(obstacle.section(QLatin1Char(' '), 0, 0))));
    } else if (obstacle.endsWith(QLatin1String(" link"))) {
        const QString link = target.filePath(obstacle.section(QLatin1Char(' '), 0, 0));
        QVERIFY(QFile::link(link.endsWith(QLatin1String(".txt")) ? secret : elsewhere.path(), link));
    } else if (obstacle == QLatin1String("FILE")) {
        path = target.filePath(QStringLiteral("Top.txt"));
        QVERIFY(put(path, olderFile()));
        m_written.insert(path, olderFile());
    }
    QByteArray out, gotErr;
    const int exit = run({QStringLiteral("export"), path, QStringLiteral("--to"), to}, &out, &gotErr);
    m_written.remove(path);
    QCOMPARE(exit, exitCode);
    QCOMPARE(QString::fromUtf8(gotErr), withPath(err, to));
    QCOMPARE(out, exitCode ? QByteArray() : QByteArray("items: 2\nfolders: 1\n"));
    QCOMPARE(listTree(target.path()), files);
    QCOMPARE(listTree(elsewhere.path()), QStringList{QStringLiteral("secret.txt")});
    QCOMPARE(readAll(secret), QByteArray("secret\n"));
    if (obstacle == QLatin1String("stale")) {
        QCOMPARE(readAll(target.filePath(QStringLiteral("Notes/Tasks.txt"))), QByteArray("Old task\n"));
        QCOMPARE(readAll(target.filePath(QStringLiteral("Top.txt"))), QByteArray());
        QCOMPARE(readAll(target.filePath(QStringLiteral("mine.txt"))), QByteArray("mine\n"));
    }
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
                       QStringLiteral("--format"), QStringLiteral("pdf")}
        << "qvr: unknown format 'pdf' (txt, rtf or html)";
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
