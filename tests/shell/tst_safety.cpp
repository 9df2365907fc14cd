// The safety net: typed text that reaches the disk while the user pauses,
// work left by a copy that was killed or told to end, and the backups Save keeps.
#include "support_window.h"

#include "settings/SettingsTable.h"
#include "store/Journal.h"
#include "store/Recovery.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimer>

#include <csignal>
#include <unistd.h>

using namespace testwin;

namespace {

const QString kTyped = QStringLiteral("typed before the end");

// Runs the current test row again as a child process, here as an ordinary
// user for whom permissions count, there in the folder the parent names.
int runUnprivileged()
{
    const QString row = QString::fromLatin1(QTest::currentTestFunction()) + ':' + QTest::currentDataTag();
    return QProcess::execute(QStringLiteral("setpriv"), {"--reuid=65534", "--regid=65534", "--clear-groups",
                                                         QCoreApplication::applicationFilePath(), row});
}

void startChild(QProcess &child, const QString &folder)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUIVORA_CHILD"), folder);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(QTest::currentTestFunction()) + ':' + QTest::currentDataTag()});
}

// The child: the program on the folder's doc.qvr, typing into Notes when
// asked, until the parent ends it.
void runChild(const QString &folder, bool typed)
{
    isolateSettings(folder + QStringLiteral("/settings"));
    ScriptedDialogs dialogs;
    TfrmTree w(StartupConfig{folder + QStringLiteral("/program/"), {}, {folder + QStringLiteral("/doc.qvr")}, &dialogs});
    w.show();
    QVERIFY(QTest::qWaitFor([&w] { return w.doc().activated && w.pendingStartupFile().isEmpty() && !w.doc().busy; }));
    if (typed) {
        w.tree()->setCurrentItem(node(w.tree(), QStringLiteral("$\\Notes")));
        w.editor()->insertPlainText(kTyped);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(JournalPath(w.doc().masterPath())), 10000);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QTest::qWaitFor([&w] { return !w.isVisible(); }, 120000);
}

int recoveryDialogs(const ScriptedDialogs &dialogs)
{
    return int(std::count_if(dialogs.shown.begin(), dialogs.shown.end(),
                             [](const ScriptedDialogs::Shown &s) { return s.kind == QLatin1String("recovery"); }));
}

} // namespace

class TestSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Typing is stored 2 s after the last key, into the journal; the editor
    // keeps its caret and undo history. Never while the program is Busy.
    void idleStore_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::newRow("a pause in typing") << false;
        QTest::newRow("busy") << true;
    }
    void idleStore()
    {
        QFETCH(bool, busy);
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        TfrmTree *w = f.start({f.docPath("doc.qvr")});
        f.select("$\\Recipes\\Soup");
        const QByteArray master = readFile(f.master());
        f.type(QStringLiteral(" with bread"));
        QTextCursor cursor = w->editor()->textCursor();
        cursor.setPosition(3);
        w->editor()->setTextCursor(cursor);
        w->doc().busy = busy;
        QSignalSpy fired(w->tmrIdleStore, &QTimer::timeout);
        QVERIFY(fired.wait(5000));
        QCOMPARE(QFile::exists(JournalPath(f.master())), !busy);
        QCOMPARE(w->doc().itemTextChanged, busy);
        QCOMPARE(readFile(f.master()), master); // the master file itself is not rewritten
        QCOMPARE(w->editor()->textCursor().position(), 3);
        QVERIFY(w->editor()->document()->isUndoAvailable());
        if (busy)
            return void(w->doc().busy = false);
        QVERIFY(readFile(JournalPath(f.master())).contains("Onion soup with bread"));
        // The next store point takes the text into the master file and empties the journal.
        f.select("$\\Notes");
        QVERIFY(readFile(f.master()).contains("Onion soup with bread"));
        QVERIFY(!QFile::exists(JournalPath(f.master())));
    }

    // A child copy killed or told to end: its work is offered at the next
    // start, recovered byte for byte, discarded only after Yes, kept by Later.
    void leftWork_data()
    {
        QTest::addColumn<QString>("end");     // "kill" (-9) or "term" (SIGTERM)
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("answer");  // the first answer to the recovery question
        QTest::newRow("killed while typing, recovered") << "kill" << true << "recover";
        QTest::newRow("killed, later, then discarded") << "kill" << true << "later";
        QTest::newRow("killed, discard not confirmed") << "kill" << true << "discard no";
        QTest::newRow("terminated with unsaved text, recovered") << "term" << true << "recover";
        QTest::newRow("terminated without changes") << "term" << false << "";
        QTest::newRow("killed without changes") << "kill" << false << "";
    }
    void leftWork()
    {
        QFETCH(QString, end);
        QFETCH(bool, typed);
        QFETCH(QString, answer);
        if (qEnvironmentVariableIsSet("QUIVORA_CHILD"))
            return runChild(qEnvironmentVariable("QUIVORA_CHILD"), typed);
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        QProcess child;
        startChild(child, f.dir.path());
        QVERIFY(QTest::qWaitFor([&child] { return child.readAllStandardOutput().contains("ready") || child.state() == QProcess::NotRunning; }, 60000));
        QVERIFY(child.state() == QProcess::Running && child.processId() > 0); // never signal a group
        if (end == "kill")
            child.kill();
        else
            ::kill(pid_t(child.processId()), SIGTERM);
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), end == "kill" ? QProcess::CrashExit : QProcess::NormalExit);
        const QString left = f.workFolder() + QStringLiteral("Master");
        LeftWork work;
        work.master = left;
        const QByteArray content = LeftWorkContent(work);
        QCOMPARE(content.contains(kTyped.toUtf8()), typed);

        using A = RecoveryAnswer;
        if (answer == "recover")
            f.dialogs.recoveryAnswers << A{A::Recover, 0};
        if (answer == "later")
            f.dialogs.recoveryAnswers << A{A::Later, 0};
        if (answer == "discard no")
            f.dialogs.recoveryAnswers << A{A::Discard, 0} << A{A::Later, 0};
        f.dialogs.answers << MsgButton::No;
        // Without changes a terminated copy leaves nothing, a killed one a
        // master file equal to its document, deleted silently.
        QCOMPARE(QFile::exists(left), typed || end == "kill");
        TfrmTree *w = f.start();
        QCOMPARE(recoveryDialogs(f.dialogs), typed ? 1 + (answer == "discard no") : 0);
        if (!typed) {
            QCOMPARE(QDir(f.workFolder()).entryList({"Master*"}, QDir::Files).size(), 3); // this copy's own
            return;
        }
        QVERIFY(f.dialogs.shown.first().text.contains("\n" + QDir::toNativeSeparators(f.docPath("doc.qvr")) + ", last changed "));
        if (answer != "recover") {
            QCOMPARE(readFile(left), readFile(work.master)); // kept as it was
            QVERIFY(QFile::exists(left));
            if (answer == "discard no")
                QCOMPARE(f.dialogs.shown[1].text, "Discard the unsaved changes to " + f.dialogs.shown[0].text.section('\n', 1) + "? They cannot be brought back.");
            // Asked again at the next start; Discard and Yes delete it.
            w->close();
            QVERIFY(QFile::exists(left));
            f.dialogs.clear();
            f.dialogs.recoveryAnswers << A{A::Discard, 0};
            f.dialogs.answers.clear();
            f.dialogs.answers << MsgButton::Yes;
            f.start();
            QCOMPARE(recoveryDialogs(f.dialogs), 1);
            QVERIFY(!QFile::exists(left) && !QFile::exists(OwnerPath(left)));
            return;
        }
        QCOMPARE(readFile(f.master()), content);
        QVERIFY(!QFile::exists(left));
        QVERIFY(w->doc().documentChanged);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - doc"));
        f.select("$\\Notes");
        QCOMPARE(w->editor()->toPlainText(), kTyped);
        w->FileSave1Execute();
        QCOMPARE(readFile(f.docPath("doc.qvr")), content);
    }

    // Another program changed the file: Save asks (overwrite, save elsewhere,
    // cancel); with no unsaved changes, activation offers to reload it.
    void changedElsewhere_data()
    {
        QTest::addColumn<QString>("change"); // "new bytes" or "touched" (same bytes, new time)
        QTest::addColumn<QString>("answer"); // "yes", "no", "cancel"; empty: not asked
        QTest::addColumn<bool>("typed");     // unsaved changes: Save asks; none: reload is offered
        QTest::newRow("overwrite") << "new bytes" << "yes" << true;
        QTest::newRow("save elsewhere") << "new bytes" << "no" << true;
        QTest::newRow("cancel") << "new bytes" << "cancel" << true;
        QTest::newRow("touched only: no question") << "touched" << "" << true;
        QTest::newRow("reload") << "new bytes" << "yes" << false;
        QTest::newRow("reload declined, asked once") << "new bytes" << "no" << false;
    }
    void changedElsewhere()
    {
        QFETCH(QString, change);
        QFETCH(QString, answer);
        QFETCH(bool, typed);
        Fixture f;
        const QString doc = f.docPath("doc.qvr");
        writeFile(doc, sampleDocument());
        TfrmTree *w = f.start({doc});
        if (typed) {
            f.select("$\\Notes");
            f.type(QStringLiteral("mine"));
        }
        const QByteArray theirs = change == "touched" ? sampleDocument() : QByteArray(sampleDocument()).replace("Notes", "Ideas");
        QTest::qWait(20); // a new modification time
        writeFile(doc, theirs);
        const QMap<QString, MsgButton> buttons{{"yes", MsgButton::Yes}, {"no", MsgButton::No}, {"cancel", MsgButton::Cancel}};
        if (!answer.isEmpty())
            f.dialogs.answers << buttons[answer];
        f.dialogs.fileAnswers << f.docPath("other.qvr");
        const QString asked = typed ? QString(doc + " was changed by another program since it was opened or saved.\n"
                                            "Yes: overwrite it with this document. No: save this document under another name. Cancel: do not save.")
                                    : QString(doc + " was changed by another program. Do you want to reload it?");
        if (typed)
            w->FileSave1Execute();
        else
            w->CheckDiskFile();
        w->CheckDiskFile(); // asked once only
        QCOMPARE(f.dialogs.texts(), answer.isEmpty() ? QStringList{} : QStringList{asked});
        QCOMPARE(f.dialogs.fileRequests.size(), int(answer == "no" && typed));
        const bool ours = typed && (answer == "yes" || answer.isEmpty());
        QCOMPARE(readFile(doc).contains("mine"), ours);
        QCOMPARE(readFile(f.docPath("other.qvr")).contains("mine"), typed && answer == "no");
        QCOMPARE(w->doc().documentChanged, answer == "cancel");
        QCOMPARE(paths(w->tree()).contains("$\\Ideas"), !typed && answer == "yes");
    }

    // A document open in another window: offered read-only, where every
    // change is refused, or not opened at all.
    void twoWindows_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only") << true;
        QTest::newRow("not opened") << false;
    }
    void twoWindows()
    {
        QFETCH(bool, readOnly);
        Fixture first;
        const QString doc = first.docPath("doc.qvr");
        writeFile(doc, sampleDocument());
        first.start({doc});
        Fixture second;
        second.dialogs.answers << (readOnly ? MsgButton::Yes : MsgButton::No) << MsgButton::Yes;
        TfrmTree *w = second.start({doc});
        QCOMPARE(second.dialogs.texts().value(0), doc + " is open in another window of Quivora. Saving in both would lose the changes of one.\nDo you want to open it read-only?");
        QCOMPARE(w->windowTitle(), readOnly ? QStringLiteral("Quivora - doc (read-only)") : QStringLiteral("Quivora - New File"));
        if (!readOnly)
            return;
        const QByteArray master = readFile(second.master());
        second.select("$\\Recipes\\Soup");
        w->editor()->setFocus();
        QTest::keyClicks(w->editor(), "typed");
        QCOMPARE(w->editor()->toPlainText(), QStringLiteral("Onion soup"));
        w->FontsUpdate();
        QVERIFY(!w->Bold->isEnabled());
        second.select("$\\Recipes");
        w->mnuAddItemClick();
        w->Delete2Execute();
        w->mnuRenameClick();
        w->UpdateTreeMenu();
        QVERIFY(!w->mnuAddBranch->isEnabled() && !w->mnuDelete->isEnabled() && !w->FileSave1->isEnabled());
        w->FileSave1Execute();
        QCOMPARE(paths(w->tree()).size(), 5);
        QCOMPARE(readFile(second.master()), master);
        QCOMPARE(readFile(doc), sampleDocument());
        QVERIFY(!w->doc().documentChanged);
    }

    // Save keeps the last versions beside the file; the older layout's file
    // once as it was.
    void backups_data()
    {
        QTest::addColumn<QString>("setting"); // "\Options" "Backups"; empty: unset
        QTest::addColumn<QString>("file");    // "plain", "link", "old layout", "unwritable folder"
        QTest::addColumn<QStringList>("kept"); // each backup's suffix and the save whose result it holds
        QTest::newRow("default: three") << "" << "plain" << QStringList{"1=3", "2=2", "3=1"};
        QTest::newRow("one") << "1" << "plain" << QStringList{"1=3"};
        QTest::newRow("off") << "0" << "plain" << QStringList{};
        QTest::newRow("outside 0-9 reads as 3") << "10" << "plain" << QStringList{"1=3", "2=2", "3=1"};
        QTest::newRow("through a link") << "2" << "link" << QStringList{"1=3", "2=2"};
        QTest::newRow("older layout, backups off") << "0" << "old layout" << QStringList{"old-layout=0"};
        QTest::newRow("older layout, backups on") << "1" << "old layout" << QStringList{"1=3", "old-layout=0"};
        QTest::newRow("unwritable folder") << "" << "unwritable folder" << QStringList{};
    }
    void backups()
    {
        QFETCH(QString, setting);
        QFETCH(QString, file);
        QFETCH(QStringList, kept);
        if (file == "unwritable folder" && ::geteuid() == 0) {
            QCOMPARE(runUnprivileged(), 0);
            return;
        }
        Fixture f;
        if (!setting.isEmpty())
            settings::WriteText(settings::Setting::Backups, setting);
        QDir().mkpath(f.docPath("docs"));
        const QString real = f.docPath("docs/doc.qvr");
        const bool old = file == "old layout";
        writeFile(real, old ? "Kestrava Ver. 1.1\r\nTree\r\n1000000 $\r\n3000001 $\\Notes\r\nEnd\r\n" : sampleDocument());
        QString opened = real;
        if (file == "link") {
            opened = f.docPath("link.qvr");
            QVERIFY(QFile::link(real, opened));
        }
        const auto restore = qScopeGuard([&] { QFile::setPermissions(f.docPath("docs"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        if (file == "unwritable folder")
            QFile::setPermissions(f.docPath("docs"), QFile::ReadOwner | QFile::ExeOwner);
        TfrmTree *w = f.start({opened});
        QList<QByteArray> versions{readFile(real)};
        for (int save = 1; save <= 4; ++save) {
            f.select("$\\Notes");
            f.type(QString::number(save));
            w->FileSave1Execute();
            QVERIFY(!w->doc().documentChanged);
            versions << readFile(real);
            QVERIFY(versions.last().contains(QByteArray::number(save)));
        }
        QCOMPARE(QFileInfo(opened).isSymLink(), file == "link");
        QStringList found;
        for (const QString &name : QDir(f.docPath("docs")).entryList({"doc.qvr.*"}, QDir::Files, QDir::Name))
            found << name.mid(8) + '=' + QString::number(versions.indexOf(readFile(f.docPath("docs/" + name))));
        QCOMPARE(found, kept);
        const QStringList warned = file == "unwritable folder"
            ? QStringList{"No backup of " + real + " can be kept in its folder (Permission denied). The document is saved without one."}
            : QStringList{};
        QCOMPARE(f.dialogs.texts(), warned);
    }
};

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
