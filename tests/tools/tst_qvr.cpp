// The qvr tool as scripts use it: run as a program, judged by exit code,
// output and what it leaves on disk.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    return {"Quivora Ver. 2.1", "Created: 1/2/24", "LastSaved: 1/2/24", "Res1", "Res2", "Res3", "Tree"};
}

// A branch in a branch ... `depth` levels down, an item with text at the bottom.
QByteArray chainFile(int depth)
{
    QList<QByteArray> lines = header() << "1000000 0000000 $";
    const auto key = [](int level) { return QByteArray::number(level == 0 ? 1000000 : 2000000 + level); };
    for (int level = 1; level < depth; ++level)
        lines << key(level) + ' ' + key(level - 1) + " a";
    lines << "3000001 " + key(depth - 1) + " Leaf" << "End" << "3000001" << "{\\rtf1\\ansi deep\\par}" << "End";
    return crlf(lines);
}

QByteArray manyItemsFile(int items)
{
    QList<QByteArray> lines = header() << "1000000 0000000 $";
    for (int i = 1; i <= items; ++i)
        lines << QByteArray::number(3000000 + i) + " 1000000 Item " + QByteArray::number(i);
    return crlf(lines << "End" << "Data" << "End");
}

// What "cat --format=rtf" writes for the item "Café notes" of the fixture "current".
const QByteArray cafeRtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                           "\\viewkind4\\uc1\\pard\\f0\\fs20 Caf\\'e9 \\b bold\\par\r\n\\b0 second\\line line\\par\r\n}\r\n";

QByteArray fixture(const QString &name)
{
    if (name == "again"_L1) // that text stored again
        return crlf(header() + QList<QByteArray>{"1000000 0000000 $", "3000001 1000000 Again", "End", "3000001"})
               + cafeRtf + "End\r\n";
    // Names hold "\" and a Windows-1252 character; "$\Recipes\Soup\Tomato" is
    // the path of two items, the one in the branch Soup standing first.
    if (name == "current"_L1)
        return crlf(header() + QList<QByteArray>{
            "1000000 0000000 $", "2000001 1000000 Recipes", "2000002 2000001 Soup", "3000003 2000002 Tomato",
            "3000002 2000001 Soup\\Tomato", "3000001 1000000 Caf\xe9 notes", "3000004 1000000 Empty",
            "End", "Data", "End",
            "3000001", "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}",
            "\\pard\\f0\\fs20 Caf\\'e9 \\b bold\\b0\\par", "second\\line line\\par", "}", "End",
            "3000003", "{\\rtf1\\ansi Tomato soup\\par}", "End",
            "3000002", "{\\rtf1\\ansi Backslash item\\par}", "End"});
    if (name == "huge"_L1) // a line of 1000-point text, taller than any page
        return crlf(header() + QList<QByteArray>{"1000000 0000000 $", "3000001 1000000 Big", "End", "3000001",
                                                 "{\\rtf1\\ansi\\fs2000 Big\\par}", "End"});
    if (name == "older"_L1)
        return crlf({"Kestrava Ver. 1.1", "Tree", "1000000 $", "2000001 $\\Notes", "3000001 $\\Notes\\Tasks",
                     "3000002 $\\Top", "End", "3000001", "{\\rtf1\\ansi Old task\\par}", "End"});
    if (name == "shortline"_L1)
        return crlf(header() + QList<QByteArray>{"1000000 0000000 $", "3000001 1000000 Fine", "3000002 1000000 ",
                                                 "End", "3000001", "{\\rtf1\\ansi Still here\\par}", "End"});
    if (name.startsWith("chain"_L1))
        return chainFile(name.mid(5).toInt());
    if (name.startsWith("many"_L1))
        return manyItemsFile(name.mid(4).toInt());
    if (name == "garbage"_L1) {
        // Long enough to reach the node section, whose lines are no node lines.
        QByteArray bytes("\x00\x01garbage\r\n", 11);
        for (int i = 0; i < 12; ++i)
            bytes += "line " + QByteArray::number(i) + " of noise\r\n";
        return bytes;
    }
    // Names that need care on disk: unsafe characters, device names, dots,
    // names that meet once made safe or letter case aside, a branch whose
    // name is an item's file name, a name too long for one.
    return crlf(header() + QList<QByteArray>{
        "1000000 0000000 $", "2000001 1000000 X.txt", "2000002 1000000 Soup", "2000003 2000002 Empty",
        "3000010 2000002 Tomato", "3000001 1000000 a/b", "3000002 1000000 a:b", "3000003 1000000 CON",
        "3000004 1000000 con.txt", "3000005 1000000 Trail. ", "3000006 1000000 ...", "3000007 1000000 Note",
        "3000008 1000000 note", "3000009 1000000 X", "3000011 1000000 tab\there", "3000012 1000000 Soup",
        "3000013 1000000 Caf\xe9", "3000014 1000000 <?*|\">", "3000015 1000000 " + QByteArray(300, '\xe9'),
        "3000016 1000000 .profile", "End", "Data", "End",
        "3000010", "{\\rtf1\\ansi Tomato soup\\par}", "End",
        "3000007", "{\\rtf1\\ansi Upper\\par}", "End",
        "3000008", "{\\rtf1\\ansi lower\\par}", "End"});
}

// One item of many pictures that declare a huge size and hold one byte each.
QByteArray picturesFile(int pictures)
{
    QList<QByteArray> lines = header() << "1000000 0000000 $" << "3000001 1000000 Pictures" << "End"
                                       << "3000001" << "{\\rtf1\\ansi";
    for (int i = 0; i < pictures; ++i)
        lines << "{\\pict\\picwgoal150000\\pichgoal150000 00}";
    return crlf(lines << "}" << "End");
}

// Every file below `dir`, relative, folders ending "/", sorted.
QStringList listTree(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out << QDir(dir).relativeFilePath(it.filePath()) + (it.fileInfo().isDir() ? "/"_L1 : ""_L1);
    }
    out.sort();
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// "…" in `pattern` stands for any bytes; the pieces between come in this order.
bool matches(const QByteArray &got, const QByteArray &pattern)
{
    const QByteArray any = "…";
    qsizetype at = 0, from = 0;
    for (qsizetype next; (next = pattern.indexOf(any, from)) >= 0; from = next + any.size()) {
        const QByteArray piece = pattern.mid(from, next - from);
        const qsizetype found = from == 0 ? (got.startsWith(piece) ? 0 : -1) : got.indexOf(piece, at);
        if (found < 0)
            return false;
        at = found + piece.size();
    }
    return got.size() - at >= pattern.size() - from && got.endsWith(pattern.mid(from));
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestQvr : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void picturesCostLittle();
    void commands_data();
    void commands();
    void exportNames();
    void exportObstacles_data();
    void exportObstacles();

private:
    // Runs qvr, limiting its file size (bytes) and stack (KB) unless 0; checks
    // that the tree file is byte-identical afterwards.
    int run(const QStringList &args, QByteArray *out = nullptr, QByteArray *err = nullptr, rlim_t fileSize = 0,
            rlim_t stackKB = 0);
    QString writeFixture(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
    QString m_qvr;
    QHash<QString, QByteArray> m_written; // fixture path -> bytes written
};

void TestQvr::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_qvr = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../tools/qvr"_L1);
    QVERIFY2(QFileInfo(m_qvr).isExecutable(), qPrintable(m_qvr));
}

QString TestQvr::writeFixture(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name + ".qvr"_L1);
    if (!writeAll(path, bytes))
        qFatal("cannot write fixture %s", qPrintable(path));
    m_written.insert(path, bytes);
    return path;
}

int TestQvr::run(const QStringList &args, QByteArray *out, QByteArray *err, rlim_t fileSize, rlim_t stackKB)
{
    QProcess p;
    p.setChildProcessModifier([fileSize, stackKB] {
        // A small disk: writes past the limit fail instead of ending qvr.
        const rlimit fsize{fileSize, fileSize};
        if (fileSize && std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR)
            setrlimit(RLIMIT_FSIZE, &fsize);
        // A small stack finds recursion over a tree's depth in a shallower tree.
        const rlimit stack{stackKB * 1024, stackKB * 1024};
        if (stackKB)
            setrlimit(RLIMIT_STACK, &stack);
    });
    p.start(m_qvr, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        qWarning("qvr did not finish: %s", qPrintable(args.join(u' ').left(200)));
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
    for (auto it = m_written.cbegin(); it != m_written.cend(); ++it) {
        if (readAll(it.key()) != it.value()) {
            qWarning("qvr changed %s", qPrintable(it.key()));
            return -2;
        }
    }
    return p.exitCode();
}

// Measured in a child of its own, so that the peak is qvr's, not the test's.
void TestQvr::picturesCostLittle()
{
    const QByteArray path = QFile::encodeName(writeFixture(u"pictures"_s, picturesFile(1000)));
    const QByteArray qvr = QFile::encodeName(m_qvr);
    const char *argv[] = {qvr.constData(), "cat", path.constData(), "3000001", "--format=rtf", nullptr};
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), 1);
        execv(argv[0], const_cast<char *const *>(argv));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    QCOMPARE(wait4(pid, &status, 0, &usage), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY2(usage.ru_maxrss < 150 * 1024, qPrintable(QString::number(usage.ru_maxrss)));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed()))); // generous: 1 s is the aim
}

// ---- every command on every kind of file --------------------------------------

void TestQvr::commands_data()
{
    QTest::addColumn<QStringList>("args"); // "%1" stands for the file's path, "%2" for the export folder
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // "…" stands for any bytes
    QTest::addColumn<QString>("err"); // the same substitutions and "…"
    QTest::addColumn<int>("fileSizeLimit"); // bytes; 0: none

    const QByteArray currentTree = "$\n$\\Recipes\n$\\Recipes\\Soup\n$\\Recipes\\Soup\\Tomato\n"
                                   "$\\Recipes\\Soup\\Tomato\n$\\Caf\xc3\xa9 notes\n$\\Empty\n";
    const QString shortLine = u"qvr: %1: AutoCheck, line # 9 (3000002 1000000 ) corrupted (less than17 characters).\n"_s;
    const QString garbage = u"qvr: %1: Quivora cannot open the document. (garbage)\nIt is not a Quivora tree file.\n"_s;
    const QByteArray cafe = "Caf\xc3\xa9 bold\nsecond\nline\n";
    const QStringList check{u"check"_s, u"%1"_s}, exportTo{u"export"_s, u"%1"_s, u"--to"_s, u"%2"_s};
    QString progress;
    for (int tenth = 1; tenth <= 10; ++tenth)
        progress += u"exporting: %1 of 1001 items\n"_s.arg((1001 * tenth + 9) / 10);
    const auto cat = [](const QString &node) { return QStringList{u"cat"_s, u"%1"_s, node}; };
    QTest::newRow("check") << check << "current" << 0 << QByteArray("7 nodes\nok\n") << "" << 0;
    QTest::newRow("tree") << QStringList{u"tree"_s, u"%1"_s} << "current" << 0 << currentTree << "" << 0;
    // No copy of the file is made, so a disk too small for one changes nothing.
    QTest::newRow("check, small disk") << check << "current" << 0 << QByteArray("7 nodes\nok\n") << "" << 100;
    QTest::newRow("check older, small disk") << check << "older" << 0 << QByteArray("4 nodes\nok\n") << "" << 100;
    QTest::newRow("export, small disk") << exportTo << "older" << 2 << QByteArray()
                                        << "qvr: %2/Notes/Tasks.txt: cannot write (File too large)\n" << 4;
    QTest::newRow("check short line") << check << "shortline" << 1 << QByteArray() << shortLine << 0;
    // A document that loads but fails the check is still read.
    QTest::newRow("cat short line, small disk") << cat(u"$\\Fine"_s) << "shortline" << 0 << QByteArray("Still here\n") << shortLine << 100;
    QTest::newRow("check garbage") << check << "garbage" << 2 << QByteArray() << garbage << 0;
    QTest::newRow("check missing") << check << "missing" << 2 << QByteArray() << "qvr: %1: no such file\n" << 0;
    QTest::newRow("export folder") << exportTo << "folder" << 2 << QByteArray() << "qvr: %1: not a file\n" << 0;
    QTest::newRow("cat by path") << cat(u"$\\Caf\u00e9 notes"_s) << "current" << 0 << cafe << "" << 0;
    QTest::newRow("cat by key") << cat(u"3000001"_s) << "current" << 0 << cafe << "" << 0;
    QTest::newRow("cat, shared path: first in tree order")
        << cat(u"$\\Recipes\\Soup\\Tomato"_s) << "current" << 0 << QByteArray("Tomato soup\n") << "" << 0;
    QTest::newRow("cat backslash name by key") << cat(u"3000002"_s) << "current" << 0 << QByteArray("Backslash item\n") << "" << 0;
    QTest::newRow("cat item without text") << cat(u"$\\Empty"_s) << "current" << 0 << QByteArray() << "" << 0;
    QTest::newRow("cat branch") << cat(u"2000002"_s) << "current" << 3 << QByteArray() << "qvr: %1: 2000002 is not an item\n" << 0;
    QTest::newRow("cat, letter case counts") << cat(u"$\\recipes"_s) << "current" << 3 << QByteArray()
                                             << "qvr: %1: no node $\\recipes\n" << 0;
    QTest::newRow("cat part of a path") << cat(u"Recipes\\Soup"_s) << "current" << 3 << QByteArray()
                                        << "qvr: %1: no node Recipes\\Soup\n" << 0;
    const auto grep = [](const QString &pattern, const QStringList &flags = {}) {
        return QStringList{u"grep"_s, u"%1"_s, pattern} + flags;
    };
    QTest::newRow("grep") << grep(u"bold"_s) << "current" << 0 << QByteArray("$\\Caf\xc3\xa9 notes\tCaf\xc3\xa9 bold\n") << "" << 0;
    QTest::newRow("grep, letter case counts") << grep(u"tomato"_s) << "current" << 1 << QByteArray() << "" << 0;
    QTest::newRow("grep -i --names, tree order, name first")
        << grep(u"TOMATO"_s, {u"-i"_s, u"--names"_s}) << "current" << 0
        << QByteArray("$\\Recipes\\Soup\\Tomato\tTomato\n$\\Recipes\\Soup\\Tomato\tTomato soup\n"
                      "$\\Recipes\\Soup\\Tomato\tSoup\\Tomato\n") << "" << 0;
    QTest::newRow("grep -w") << grep(u"sec"_s, {u"-w"_s}) << "current" << 1 << QByteArray() << "" << 0;
    QTest::newRow("grep -E, a line once") << grep(u"o\\w"_s, {u"-E"_s}) << "current" << 0
        << QByteArray("$\\Recipes\\Soup\\Tomato\tTomato soup\n$\\Caf\xc3\xa9 notes\tCaf\xc3\xa9 bold\n"
                      "$\\Caf\xc3\xa9 notes\tsecond\n") << "" << 0;
    QTest::newRow("grep -E invalid") << grep(u"(a"_s, {u"-E"_s}) << "current" << 2 << QByteArray()
                                     << "qvr: The regular expression is not valid: missing closing parenthesis at position 2.\n" << 0;
    QTest::newRow("grep missing") << grep(u"a"_s) << "missing" << 2 << QByteArray() << "qvr: %1: no such file\n" << 0;
    QTest::newRow("grep without PATTERN") << QStringList{u"grep"_s, u"%1"_s} << "current" << 2 << QByteArray()
                                          << "qvr: grep needs FILE and PATTERN\nUsage: " << 0;
    QTest::newRow("export without --to") << QStringList{u"export"_s, u"%1"_s} << "current" << 2 << QByteArray()
                                         << "qvr: export needs FILE and --to DIR\nUsage: …" << 0;
    QTest::newRow("export with DIR as argument") << QStringList{u"export"_s, u"%1"_s, u"out"_s} << "current" << 2
                                                 << QByteArray() << "qvr: export needs FILE and --to DIR\nUsage: …" << 0;
    QTest::newRow("cat without PATH") << QStringList{u"cat"_s, u"%1"_s} << "current" << 2 << QByteArray()
                                      << "qvr: cat needs FILE and PATH\nUsage: …" << 0;
    QTest::newRow("unknown format") << cat(u"3000001"_s) + QStringList{u"--format"_s, u"doc"_s} << "current" << 2
                                    << QByteArray() << "qvr: unknown format 'doc' (txt, rtf, html or pdf)\nUsage: …" << 0;
    // The rtf form is written again, and stable: stored and asked for again, the same bytes and text.
    QTest::newRow("cat rtf") << cat(u"$\\Caf\u00e9 notes"_s) + QStringList{u"--format=rtf"_s} << "current" << 0 << cafeRtf << "" << 0;
    QTest::newRow("cat rtf again") << cat(u"3000001"_s) + QStringList{u"--format=rtf"_s} << "again" << 0 << cafeRtf << "" << 0;
    QTest::newRow("cat txt again") << cat(u"$\\Again"_s) + QStringList{u"--format=txt"_s} << "again" << 0 << cafe << "" << 0;
    QTest::newRow("cat html") << cat(u"3000001"_s) + QStringList{u"--format=html"_s} << "current" << 0
                              << "…font-family:'Arial'…font-weight:700;\">bold</span>…"_ba << "" << 0;
    QTest::newRow("cat pdf") << cat(u"3000001"_s) + QStringList{u"--format=pdf"_s} << "current" << 0 << "%PDF-…"_ba << "" << 0;
    // A PDF that cannot be made is reported and gives no output, and no file.
    const QString noRoom = u"The margins leave no room for text on the page.\n"_s;
    QTest::newRow("cat pdf, text too big") << cat(u"3000001"_s) + QStringList{u"--format=pdf"_s} << "huge" << 2
                                           << QByteArray() << "qvr: %1: 3000001: "_L1 + noRoom << 0;
    QTest::newRow("export pdf, text too big") << exportTo + QStringList{u"--format=pdf"_s} << "huge" << 2 << QByteArray()
                                              << "qvr: %2/Big.pdf: cannot write ("_L1 + noRoom.chopped(1) + ")\n"_L1 << 0;
    QTest::newRow("export 1000 items: quiet") << exportTo + QStringList{u"--format=html"_s} << "many1000" << 0
                                              << QByteArray("items: 1000\nfolders: 0\n") << "" << 0;
    QTest::newRow("export 1001 items: every tenth") << exportTo + QStringList{u"--format=html"_s} << "many1001" << 0
                                                    << QByteArray("items: 1001\nfolders: 0\n") << progress << 0;
    // Very deep trees; the paths printed grow with the square of the depth, so
    // a chain of 2000 runs on a small stack instead of 200000.
    QTest::newRow("check 200000 deep") << check << "chain200000" << 0 << "…200001 nodes\nok\n"_ba << "" << 0;
    QTest::newRow("cat 200000 deep") << cat(u"3000001"_s) << "chain200000" << 0 << QByteArray("deep\n") << "" << 0;
    QTest::newRow("export 200000 deep: the path grows too long")
        << exportTo << "chain200000" << 2 << QByteArray() << "qvr: %2/a/a/…/a: cannot write (File name too long)\n" << 0;
    QByteArray chain = "$\n";
    for (int level = 1; level < 2000; ++level)
        chain += '$' + "\\a"_ba.repeated(level) + '\n';
    QTest::newRow("tree 2000 deep") << QStringList{u"tree"_s, u"%1"_s} << "chain2000" << 0
                                    << chain + '$' + "\\a"_ba.repeated(1999) + "\\Leaf\n" << "" << 0;
    QTest::newRow("export 2000 deep") << exportTo << "chain2000" << 0 << QByteArray("items: 1\nfolders: 1999\n") << "" << 0;
    QTest::newRow("unknown command") << QStringList{u"show"_s, u"%1"_s} << "current" << 2 << QByteArray()
                                     << "qvr: unknown command 'show'\nUsage: …" << 0;
}

void TestQvr::commands()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, err);
    QFETCH(int, fileSizeLimit);

    QString path = m_dir.filePath(file + ".qvr"_L1);
    if (file == "folder"_L1)
        QVERIFY(QDir().mkpath(path));
    else if (file != "missing"_L1)
        path = writeFixture(file, fixture(file));
    QTemporaryDir target;
    const QString to = target.filePath(u"out"_s);
    args.replaceInStrings(u"%1"_s, path).replaceInStrings(u"%2"_s, to);
    err.replace("%1"_L1, path).replace("%2"_L1, to);

    QByteArray gotOut, gotErr;
    QCOMPARE(run(args, &gotOut, &gotErr, fileSizeLimit, file == "chain2000"_L1 ? 160 : 0), exitCode);
    if (out.contains("…"))
        QVERIFY2(matches(gotOut, out), gotOut.left(2000).constData());
    else
        QCOMPARE(gotOut, out);
    const QStringList made = listTree(to);
    if (args[0] == "export"_L1 && exitCode != 0) // no file, not even a part of one
        QCOMPARE(made.filter(QRegularExpression(u"[^/]$"_s)), QStringList());
    else if (args[0] == "export"_L1) // the files and folders it counts, in the format asked for
        QCOMPARE(u"items: %1\nfolders: %2\n"_s.arg(made.filter(QRegularExpression(args.contains(u"--format=html"_s) ? u"\\.html$"_s : u"\\.txt$"_s)).size())
                     .arg(made.filter(QRegularExpression(u"/$"_s)).size()).toUtf8(), out);
}

// ---- export -----------------------------------------------------------------

void TestQvr::exportNames()
{
    QTemporaryDir target;
    const QString dir = target.filePath(u"deep/out"_s);
    const QString ext = u".txt"_s;
    QByteArray out, err;
    QCOMPARE(run({u"export"_s, writeFixture(u"names"_s, fixture(u"names"_s)), u"--to"_s, dir}, &out, &err), 0);
    QCOMPARE(err, QByteArray());
    QCOMPARE(out, QByteArray("items: 16\nfolders: 3\n"));

    QStringList expected{u"Soup/"_s, u"Soup/Empty/"_s, u"X.txt/"_s};
    for (const QString &name : {u"Caf\u00e9"_s, u"Note"_s, u"Soup/Tomato"_s, u"Soup"_s, u"Trail"_s, u"_"_s, u"_CON"_s,
                                u"______"_s, u"_con.txt"_s, u"a_b (2)"_s, u"a_b"_s, u"note (2)"_s, u"tab_here"_s,
                                u"_.profile"_s, QString(100, QChar(0xe9)) /* cut to 200 bytes of UTF-8 */})
        expected << name + ext;
    // A branch named like an item's file takes the name first.
    expected << u"X (2).txt"_s;
    expected.sort();
    QCOMPARE(listTree(dir), expected);
    QCOMPARE(readAll(dir + "/Soup/Tomato.txt"_L1), QByteArray("Tomato soup\n"));
    QCOMPARE(readAll(dir + "/note (2).txt"_L1), QByteArray("lower\n"));
}

void TestQvr::exportObstacles_data()
{
    QTest::addColumn<QString>("obstacle"); // "NAME file", "NAME folder", "NAME link" or a case of its own
    QTest::addColumn<QString>("err");       // "%1" stands for the export folder
    QTest::addColumn<QStringList>("files"); // what the folder holds afterwards

    const QString cannot = u"qvr: %1/%2: cannot write (%3)\n"_s;
    const QStringList exported{u"Notes/"_s, u"Notes/Tasks.txt"_s, u"Top.txt"_s};
    QTest::newRow("files replaced, others kept") << "stale" << "" << exported + QStringList{u"mine.txt"_s};
    QTest::newRow("DIR is a file") << "DIR" << "qvr: %1: cannot write (a file of that name is in the way)\n" << QStringList();
    QTest::newRow("a file where a branch goes")
        << "Notes file" << cannot.arg("%1"_L1, "Notes"_L1, "a file of that name is in the way"_L1) << QStringList{u"Notes"_s};
    QTest::newRow("a folder where an item goes")
        << "Top.txt folder" << cannot.arg("%1"_L1, "Top.txt"_L1, "a folder of that name is in the way"_L1)
        << QStringList{u"Notes/"_s, u"Notes/Tasks.txt"_s, u"Top.txt/"_s};
    // Links are never followed: what they lead to stays as it was.
    QTest::newRow("a link where an item goes")
        << "Top.txt link" << cannot.arg("%1"_L1, "Top.txt"_L1, "a symbolic link is in the way"_L1) << exported;
    QTest::newRow("a link where a branch goes")
        << "Notes link" << cannot.arg("%1"_L1, "Notes"_L1, "a symbolic link is in the way"_L1) << QStringList{u"Notes/"_s};
    // FILE itself is never written: the item meeting its name takes the next number.
    QTest::newRow("FILE in the folder") << "FILE" << "" << QStringList{u"Notes/"_s, u"Notes/Tasks.txt"_s, u"Top (2).txt"_s, u"Top.txt"_s};
}

void TestQvr::exportObstacles()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, err);
    QFETCH(QStringList, files);
    QTemporaryDir target, elsewhere;
    const QString secret = elsewhere.filePath(u"secret.txt"_s);
    QVERIFY(writeAll(secret, "secret\n"));
    QString path = writeFixture(u"older"_s, fixture(u"older"_s));
    QString to = target.path();
    const QString name = target.filePath(obstacle.section(u' ', 0, 0));
    if (obstacle == "stale"_L1) {
        QVERIFY(writeAll(target.filePath(u"Top.txt"_s), "a much longer stale text than the item holds\n"));
        QVERIFY(writeAll(target.filePath(u"mine.txt"_s), "mine\n"));
    } else if (obstacle == "DIR"_L1) {
        to = secret;
    } else if (obstacle == "FILE"_L1) {
        path = target.filePath(u"Top.txt"_s);
        QVERIFY(writeAll(path, fixture(u"older"_s)));
        m_written.insert(path, fixture(u"older"_s));
    } else if (obstacle.endsWith(" file"_L1)) {
        QVERIFY(writeAll(name, ""));
    } else if (obstacle.endsWith(" folder"_L1)) {
        QVERIFY(QDir().mkpath(name));
    } else {
        QVERIFY(QFile::link(name.endsWith(".txt"_L1) ? secret : elsewhere.path(), name));
    }
    QByteArray out, gotErr;
    const int exit = run({u"export"_s, path, u"--to"_s, to}, &out, &gotErr);
    m_written.remove(path);
    QCOMPARE(exit, err.isEmpty() ? 0 : 2);
    QCOMPARE(QString::fromUtf8(gotErr), QString(err).replace("%1"_L1, to));
    QCOMPARE(out, exit ? QByteArray() : QByteArray("items: 2\nfolders: 1\n"));
    QCOMPARE(listTree(target.path()), files);
    QCOMPARE(listTree(elsewhere.path()), QStringList{u"secret.txt"_s});
    QCOMPARE(readAll(secret), QByteArray("secret\n"));
    if (obstacle == "stale"_L1) // Top.txt now empty, as its item, and mine.txt as it was
        QCOMPARE(readAll(target.filePath(u"Top.txt"_s)) + readAll(target.filePath(u"mine.txt"_s)), QByteArray("mine\n"));
}

QTEST_GUILESS_MAIN(TestQvr)
#include "tst_qvr.moc"
