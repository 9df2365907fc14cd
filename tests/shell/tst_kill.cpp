// A copy of the program killed (SIGKILL) at random moments while it stores
// item text (at store points and in the idle store's journal) and saves: the
// user's file is always the old or the new whole document, every backup is a
// whole earlier version, newest first, the master file with its journal loads
// and passes the check, and every item holds its last stored text or the one
// being stored. Seeded; QUIVORA_KILL_ROUNDS and QUIVORA_KILL_SEED make the run
// longer or different.
#include "support_window.h"

#include "rtf/Rtf.h"
#include "store/DocState.h"
#include "store/Integrity.h"
#include "store/Loader.h"
#include "store/Recovery.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTextDocument>
#include <csignal>
#include <cstring>

using namespace testwin;

namespace {

const QStringList Items{"$\\Recipes\\Soup", "$\\Recipes\\Bread", "$\\Notes"};
const QList<int> Keys{3000001, 3000002, 3000003};

// The child: opens the file and, from version `v` on, gives item v % 3 the
// text "k:v", stores it by selecting the next item (every fourth time after
// the idle store has put it in the journal), and saves every third time,
// reporting each step once it is done.
int storeAndSave(char **argv)
{
    Fixture f; // left behind when killed: the test removes it
    TfrmTree *w = f.start({QString::fromLocal8Bit(argv[2])});
    printf("master %s\n", qPrintable(f.master()));
    for (int v = atoi(argv[3]);; ++v) {
        f.select(Items[v % 3]);
        w->editor()->setPlainText(QStringLiteral("%1:%2").arg(v % 3).arg(v));
        if (v % 4 == 1) {
            w->IdleStore();
            if (w->doc().itemTextChanged)
                return 5;
            printf("stored %d %d\n", v % 3, v);
            fflush(stdout);
        }
        f.select(Items[(v + 1) % 3]);
        if (w->doc().itemTextChanged || !f.dialogs.shown.isEmpty())
            return 3;
        printf("stored %d %d\n", v % 3, v);
        fflush(stdout); // before the save, so that no saved text goes unreported
        if (v % 3 == 2) {
            w->FileSave1Execute();
            if (w->doc().documentChanged)
                return 4;
            printf("saved\n");
            fflush(stdout);
        }
    }
}

// The item texts of a tree file, after loading it in memory and checking it;
// empty when it does not load or fails the check.
QStringList loadAndCheck(const QString &path)
{
    ScriptedDialogs messages;
    DocState doc;
    doc.ui = &messages;
    QTreeWidget tree;
    if (OpenTreeFile(&tree, nullptr, doc, path) != OpenResult::Opened || !AutoCheck(&tree, doc)
        || !messages.shown.isEmpty())
        return {};
    QStringList texts;
    for (int key : Keys) {
        QTextDocument text;
        rtf::read(doc.master.blockText(key), &text);
        texts << text.toPlainText().trimmed();
    }
    return texts;
}

// What a master file holds with its journal applied, as recovery reads it.
QStringList loadMasterAndCheck(const QString &master, const QString &scratch)
{
    LeftWork work;
    work.master = master;
    writeFile(scratch, LeftWorkContent(work));
    return loadAndCheck(scratch);
}

} // namespace

class TestKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWhileStoringAndSaving()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("notes.qvr"));
        writeFile(file, sampleDocument());
        const int rounds = qEnvironmentVariableIntValue("QUIVORA_KILL_ROUNDS") ?: 6;
        QRandomGenerator random(quint32(qEnvironmentVariableIntValue("QUIVORA_KILL_SEED")));
        int version = 0;
        QList<QStringList> versions; // what the file has held, oldest first
        for (int round = 0; round < rounds; ++round) {
            QStringList saved = loadAndCheck(file); // what the file held at the last save
            QVERIFY2(!saved.isEmpty(), "the user's file does not load or fails the check");
            if (versions.isEmpty() || versions.last() != saved)
                versions << saved;
            QStringList stored = saved;
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--store-and-save", file, QString::number(version)});
            QVERIFY(child.waitForReadyRead(60000));
            const QString master = QString::fromUtf8(child.readLine()).trimmed().mid(7);
            QVERIFY2(!master.isEmpty(), qPrintable(child.readAllStandardError()));
            int last = version - 1;
            const auto report = [&](const QList<QByteArray> &words) {
                if (words[0] == "saved") {
                    saved = stored;
                    versions << saved;
                    return;
                }
                stored[words[1].toInt()] = QStringLiteral("%1:%2").arg(words[1], words[2]);
                last = words[2].toInt();
            };
            for (int lines = random.bounded(1, 40); lines > 0; --lines) {
                while (!child.canReadLine())
                    QVERIFY2(child.waitForReadyRead(30000), qPrintable(child.readAllStandardError()));
                report(child.readLine().trimmed().split(' '));
            }
            QTest::qSleep(random.bounded(30)); // into a store or a save, or between them
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(30000));
            while (child.canReadLine()) // reported before the kill
                report(child.readLine().trimmed().split(' '));
            const QStringList inFile = loadAndCheck(file);
            QVERIFY2(inFile == saved || inFile == stored, qPrintable(inFile.join(u'|')));
            qsizetype newer = versions.size() - 1; // a save killed after the rotation leaves .1 and .2 alike
            for (int n = 1; n <= 3; ++n) {
                const QString backup = file + QLatin1Char('.') + QString::number(n);
                if (!QFile::exists(backup))
                    continue;
                const qsizetype at = versions.indexOf(loadAndCheck(backup));
                QVERIFY2(at >= 0 && at <= newer, qPrintable(backup + QStringLiteral(" is not a whole earlier version")));
                newer = at;
            }
            const QStringList inMaster = loadMasterAndCheck(master, dir.filePath(QStringLiteral("recovered.qvr")));
            QVERIFY2(!inMaster.isEmpty(), "the master file does not load or fails the check");
            const QString next = QStringLiteral("%1:%2").arg((last + 1) % 3).arg(last + 1);
            for (int k = 0; k < 3; ++k)
                QVERIFY2(inMaster[k] == stored[k] || (k == (last + 1) % 3 && inMaster[k] == next),
                         qPrintable(inMaster[k] + QStringLiteral(" against ") + stored[k]));
            QDir(QFileInfo(master).dir().filePath(QStringLiteral("../.."))).removeRecursively();
            version = last + 2;
        }
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--store-and-save") == 0)
        return storeAndSave(argv);
    TestKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kill.moc"
