// The road of one edit from key press to disk, and the File menu around it:
// store points, the save-changes question on every path that asks it, Save
// and Save As (including failures), and the recent-file list.
#include "support_window.h"

#include "settings/Registry.h"
#include "shell/RecentFiles.h"
#include "rtf/Rtf.h"
#include "store/MasterChoice.h"
#include "store/Recovery.h"
#include "support_writelimit.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QTextDocument>

#include <sys/stat.h>
#include <unistd.h>

using namespace testwin;

namespace {
const QString kQuestion = QStringLiteral("Do you want to save changes to %1?");

// Runs the current test row again as an ordinary user, for whom permissions count.
int runUnprivileged()
{
    const QString row = QString::fromLatin1(QTest::currentTestFunction()) + ':' + QTest::currentDataTag();
    return QProcess::execute(QStringLiteral("setpriv"), {"--reuid=65534", "--regid=65534", "--clear-groups",
                                                         QCoreApplication::applicationFilePath(), row});
}
} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingIsStoredWhenLeavingTheItem()
    {
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        TfrmTree *w = f.start({f.docPath("doc.qvr")});
        f.select("$\\Recipes\\Soup");
        QVERIFY(w->editor()->isEnabled());
        QCOMPARE(w->editor()->toPlainText(), QStringLiteral("Onion soup"));
        QCOMPARE(w->sbPath->text(), QStringLiteral("   $\\Recipes\\Soup"));
        const QByteArray before = readFile(f.master());

        // Selecting without typing writes nothing.
        f.select("$\\Notes");
        QCOMPARE(readFile(f.master()), before);
        QVERIFY(!w->doc().documentChanged);

        f.type(QStringLiteral("Buy milk"));
        QVERIFY(w->doc().itemTextChanged);
        f.select("$\\Recipes");
        QVERIFY(!w->editor()->isEnabled());
        QVERIFY(!w->PrintItem1->isEnabled());
        QVERIFY(w->doc().documentChanged);
        QVERIFY(!w->doc().itemTextChanged);
        const QByteArray after = readFile(f.master());
        QVERIFY(after.contains("\r\n3000003\r\n"));
        QVERIFY(after.contains("Buy milk"));
        QVERIFY(after.endsWith("End\r\n"));

        f.select("$\\Notes");
        QCOMPARE(w->editor()->toPlainText(), QStringLiteral("Buy milk"));
        // The user's file is untouched until Save, which keeps its owner, group and mode.
        const QString doc = f.docPath("doc.qvr");
        QCOMPARE(readFile(doc), sampleDocument());
        QVERIFY(::chown(qPrintable(doc), 65534, 65534) == 0 && ::chmod(qPrintable(doc), 0640) == 0);
        w->FileSave1Execute();
        QCOMPARE(readFile(doc), readFile(f.master()));
        QVERIFY(!w->doc().documentChanged);
        struct stat st;
        QVERIFY(::stat(qPrintable(doc), &st) == 0);
        QCOMPARE(QList<uint>({st.st_uid, st.st_gid, st.st_mode & 07777u}), QList<uint>({65534, 65534, 0640}));
        // Unchanged, Save writes nothing.
        QFile::remove(doc);
        w->FileSave1Execute();
        QVERIFY(!QFile::exists(doc));
    }

    void saveQuestion_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        for (const char *command : {"new", "open", "recent", "close"}) {
            QTest::addRow("%s, Yes", command) << command << int(MsgButton::Yes);
            QTest::addRow("%s, No", command) << command << int(MsgButton::No);
            QTest::addRow("%s, Cancel", command) << command << int(MsgButton::Cancel);
        }
    }
    void saveQuestion()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        writeFile(f.docPath("other.qvr"), sampleDocument().replace("Notes", "Other"));
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile2"), f.docPath("other.qvr"));
        TfrmTree *w = f.start({f.docPath("doc.qvr")});
        f.select("$\\Notes");
        f.type(QStringLiteral("changed"));
        f.select("$\\Recipes");
        QVERIFY(w->doc().documentChanged);
        const QByteArray masterBefore = readFile(f.master());

        f.dialogs.answers.enqueue(MsgButton(answer));
        f.dialogs.fileAnswers.enqueue(f.docPath("other.qvr"));
        bool closed = false;
        if (command == "new")
            w->FileNew1Execute();
        else if (command == "open")
            w->FileOpen1Execute();
        else if (command == "recent")
            w->mnuMRU[1]->trigger();
        else
            closed = w->close();

        QCOMPARE(f.dialogs.shown.first().text, kQuestion.arg("doc"));
        QCOMPARE(f.dialogs.shown.first().caption, QStringLiteral("doc"));
        QCOMPARE(f.dialogs.shown.first().icon, MsgIcon::Question);
        const bool saved = answer == int(MsgButton::Yes);
        const bool goesOn = answer != int(MsgButton::Cancel);
        QCOMPARE(readFile(f.docPath("doc.qvr")).contains("changed"), saved);
        if (!goesOn) {
            // Cancel leaves everything as it was, master file included.
            QCOMPARE(readFile(f.master()), masterBefore);
            QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - doc"));
            QVERIFY(w->doc().documentChanged);
            QVERIFY(!closed);
            return;
        }
        if (command == "close") {
            QVERIFY(closed);
            QVERIFY(!QFile::exists(f.master()));
        } else {
            QCOMPARE(w->windowTitle(), command == "new" ? QStringLiteral("Quivora - New File")
                                                        : QStringLiteral("Quivora - other"));
            QVERIFY(!w->doc().documentChanged);
        }
    }

    void untitledCloseWithCancelledSaveAs()
    {
        Fixture f;
        TfrmTree *w = f.start();
        f.type(QStringLiteral("words"));
        f.dialogs.answers.enqueue(MsgButton::Yes);
        f.dialogs.fileAnswers.enqueue(QString()); // the Save As dialog is cancelled
        QVERIFY(!w->close());
        QCOMPARE(f.dialogs.shown[0].text, kQuestion.arg("New File"));
        QCOMPARE(f.dialogs.shown[1].kind, QStringLiteral("save"));
        QVERIFY(QFile::exists(f.master()));
        QVERIFY(readFile(f.master()).contains("words"));
        QVERIFY(w->doc().documentChanged);
        QVERIFY(!w->doc().saveCancelled);
    }

    void saveAs()
    {
        Fixture f;
        TfrmTree *w = f.start();
        f.type(QStringLiteral("kept"));
        f.dialogs.fileAnswers.enqueue(f.docPath("named")); // typed without an extension
        w->FileSave1Execute();
        QCOMPARE(w->doc().documentPath, f.docPath("named.qvr"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - named"));
        QVERIFY(!w->doc().untitled && !w->doc().documentChanged);
        QCOMPARE(readFile(f.docPath("named.qvr")), readFile(f.master()));
        QCOMPARE(ReadRecentFiles().first(), f.docPath("named.qvr"));

        // Save As onto an existing completed name asks again; No changes nothing.
        f.dialogs.fileAnswers.enqueue(f.docPath("named"));
        f.dialogs.answers.enqueue(MsgButton::No);
        w->FileSaveAs1Execute();
        QCOMPARE(f.dialogs.shown.last().text,
                 QDir::toNativeSeparators(f.docPath("named.qvr")) + QStringLiteral(" already exists.\nDo you want to replace it?"));
        QVERIFY(w->doc().saveCancelled);
    }

    void failedSaveIsShownAndKeepsEverything()
    {
        Fixture f;
        TfrmTree *w = f.start();
        f.type(QStringLiteral("precious"));
        Q_EMIT w->File1->aboutToShow();
        // A target folder that cannot exist: its parent is a regular file.
        writeFile(f.docPath("file"), "x");
        const QString target = f.docPath("file/doc.qvr");
        f.dialogs.fileAnswers.enqueue(target);
        w->FileSaveAs1Execute();
        QVERIFY(f.dialogs.shown.last().text.startsWith(
            QStringLiteral("Quivora cannot save the document to ") + QDir::toNativeSeparators(target)));
        QVERIFY(w->doc().untitled && w->doc().documentChanged);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QCOMPARE(ReadRecentFiles(), QStringList(4, QString()));

        // A failed save inside the question counts as Cancel: nothing is lost.
        f.dialogs.answers.enqueue(MsgButton::Yes);
        f.dialogs.fileAnswers.enqueue(target);
        w->FileNew1Execute();
        QVERIFY(readFile(f.master()).contains("precious"));
        QVERIFY(w->doc().documentChanged);
    }

    // A full disk (every write past a few bytes fails) at each kind of write:
    // a clear message, nothing reported as done, the user's file and the typed
    // text kept; with room again the same command succeeds with all the text.
    void fullDisk_data()
    {
        const QString saveFailed = QStringLiteral("Quivora cannot save the document to %1. (File too large)\n"
                                                  "Your changes are kept; save them to another file.");
        const QString storeFailed = QStringLiteral("The item's text cannot be written to the file %2 (File too large). "
                                                   "The text stays in the editor and is stored at the next chance.");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("messages"); // %1: the target, %2: the master file
        QTest::newRow("save") << "save" << QStringList{saveFailed};
        QTest::newRow("save as") << "save as" << QStringList{storeFailed, saveFailed};
        QTest::newRow("export to PDF") << "export" << QStringList{"The PDF could not be written whole; the disk may be full."};
        QTest::newRow("idle store") << "idle store" << QStringList{}; // said at the next store point
    }
    void fullDisk()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, messages);
        Fixture f;
        const QString doc = f.docPath("doc.qvr");
        writeFile(doc, sampleDocument());
        TfrmTree *w = f.start({doc});
        f.select("$\\Notes");
        f.type(QStringLiteral("typed text"));
        const QString target = command == "save" ? doc : f.docPath(command == "export" ? "copy.pdf" : "copy.qvr");
        const auto run = [&] {
            f.dialogs.fileAnswers.enqueue(target);
            if (command == "save") {
                w->FileSave1Execute();
            } else if (command == "save as") {
                Q_EMIT w->File1->aboutToShow();
                w->FileSaveAs1Execute();
            } else if (command == "export") {
                w->FileExportPdf1Execute();
            } else {
                w->IdleStore();
            }
        };
        {
            WriteLimit full(64);
            run();
        }
        for (QString &m : messages)
            m = m.replace("%1", QDir::toNativeSeparators(target)).replace("%2", QDir::toNativeSeparators(f.master()));
        QCOMPARE(f.dialogs.texts(), messages);
        QCOMPARE(readFile(doc), sampleDocument());
        QCOMPARE(QFile::exists(target), target == doc);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{".doc.qvr.lock", "doc.qvr"})); // no backup of a failed save
        QVERIFY(w->doc().itemTextChanged || w->doc().documentChanged); // nothing said to be stored
        f.type(QStringLiteral(" more"));
        f.dialogs.shown.clear();
        run();
        QCOMPARE(f.dialogs.texts(), QStringList());
        if (command == "export") {
            QVERIFY(readFile(target).startsWith("%PDF"));
            return;
        }
        MasterFile saved;
        if (command == "idle store") {
            LeftWork work; // the master file with its journal, as recovery reads it
            work.master = f.master();
            saved.setContent(LeftWorkContent(work));
        } else {
            QVERIFY(saved.load(target));
        }
        QTextDocument text;
        rtf::read(saved.blockText(3000003), &text);
        QCOMPARE(text.toPlainText(), w->editor()->toPlainText());
    }

    void readOnlyDocumentGivesAWritableMasterFile()
    {
        Fixture f;
        writeFile(f.docPath("ro.qvr"), sampleDocument());
        QFile::setPermissions(f.docPath("ro.qvr"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        TfrmTree *w = f.start({f.docPath("ro.qvr")});
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - ro"));
        QVERIFY(QFile::permissions(f.master()) & QFileDevice::WriteOwner);
        QCOMPARE(readFile(f.master()), sampleDocument());
    }

    // The work folder deleted (made again), replaced by a file, or unwritable
    // while typed text waits: every way out saves the document with the text.
    void brokenWorkFolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("command");
        for (const char *how : {"deleted", "blocked", "unwritable"})
            for (const char *command : {"save", "saveAs", "close", "close untitled", "close, own file unwritable"})
                QTest::addRow("%s, %s", how, command) << how << command;
    }
    void brokenWorkFolder()
    {
        QFETCH(QString, how);
        QFETCH(QString, command);
        if (how == "unwritable" && ::geteuid() == 0) {
            QCOMPARE(runUnprivileged(), 0);
            return;
        }
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        const bool untitled = command == "close untitled";
        TfrmTree *w = f.start(untitled ? QStringList() : QStringList{f.docPath("doc.qvr")});
        if (!untitled)
            f.select("$\\Notes");
        f.type(QStringLiteral("typed text"));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(f.workFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        if (how == "unwritable")
            QFile::setPermissions(f.workFolder(), QFile::ReadOwner | QFile::ExeOwner);
        else if (QDir(f.workFolder()).removeRecursively() && how == "blocked")
            writeFile(f.workFolder().chopped(1), "x");
        // A tree command stops at a store point that fails, keeping the text;
        // a deleted work folder is made again and takes it.
        w->mnuCollapseClick();
        QCOMPARE(w->doc().currentItemKey, how == "deleted" ? 0 : untitled ? 3000001 : 3000003);
        const QString target = f.docPath(command == "save" || command == "close" ? "doc.qvr" : "copy.qvr");
        f.dialogs.fileAnswers.enqueue(target);
        if (command == "save") {
            w->FileSave1Execute();
        } else if (command == "saveAs") {
            Q_EMIT w->File1->aboutToShow();
            w->FileSaveAs1Execute();
        } else {
            if (command.contains("own file"))
                QVERIFY(QFile::remove(f.docPath("doc.qvr")) && QDir().mkdir(f.docPath("doc.qvr")));
            f.dialogs.answers.enqueue(MsgButton::Yes);
            QVERIFY(w->close());
        }
        MasterFile saved;
        QVERIFY(saved.load(target));
        QVERIFY(saved.blockText(untitled ? 3000001 : 3000003).contains("typed text"));
        QCOMPARE(saved.blockText(3000001).contains("Onion soup"), !untitled);
        const QString reason = how == "blocked" ? QStringLiteral("Not a directory") : QStringLiteral("Permission denied");
        const QString unusable = QStringLiteral("Quivora cannot use its work folder %1 (%2). The document was saved straight to %3.")
                                     .arg(QDir::toNativeSeparators(f.workFolder()), reason, QDir::toNativeSeparators(target));
        QCOMPARE(f.dialogs.texts().contains(unusable), how != "deleted");
        if (how == "deleted" && command.startsWith("save")) {
            // The master file and this copy's lock are back; no other copy takes the name.
            QVERIFY(readFile(f.master()).contains("typed text"));
            QVERIFY(QFile::exists(f.master() + QStringLiteral(".lock")));
            QCOMPARE(ChooseMasterFile(f.workFolder()).path, f.workFolder() + QStringLiteral("Master1"));
        }
    }

    void recentFiles_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("changed");
        QTest::newRow("first stays first") << QStringList{"a", "b", "", ""} << "a" << QStringList{"a", "b", "", ""} << false;
        QTest::newRow("third moves to top") << QStringList{"a", "b", "c", "d"} << "c" << QStringList{"c", "a", "b", "d"} << true;
        QTest::newRow("fifth drops the fourth") << QStringList{"a", "b", "c", "d"} << "e" << QStringList{"e", "a", "b", "c"} << true;
        QTest::newRow("empty slots close up") << QStringList{"", "b", "", "d"} << "e" << QStringList{"e", "b", "d", ""} << true;
        QTest::newRow("case counts") << QStringList{"a", "", "", ""} << "A" << QStringList{"A", "a", "", ""} << true;
        QTest::newRow("empty path changes nothing") << QStringList{"a", "", "", ""} << "" << QStringList{"a", "", "", ""} << false;
    }
    void recentFiles()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, opened);
        QFETCH(QStringList, after);
        QFETCH(bool, changed);
        isolateSettings(QDir::tempPath() + QStringLiteral("/quivora-recent-test"));
        for (int i = 0; i < 4; ++i)
            SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile%1").arg(i + 1), before[i]);
        bool didChange = true;
        AddRecentFile(opened, &didChange);
        QCOMPARE(didChange, changed);
        QCOMPARE(ReadRecentFiles(), after);
    }

    void recentMenu()
    {
        Fixture f;
        TfrmTree *w = f.start();
        QVERIFY(!w->mnuSep8->isVisible());
        w->ShowRecentFiles({"/x/R&D.qvr", "", "/y/b.qvr", ""});
        QCOMPARE(w->mnuMRU[0]->text(), QStringLiteral("&1 /x/R&&D.qvr"));
        QCOMPARE(w->mnuMRU[2]->text(), QStringLiteral("&3 /y/b.qvr"));
        QVERIFY(w->mnuMRU[0]->isVisible() && !w->mnuMRU[1]->isVisible() && w->mnuMRU[2]->isEnabled());
        QVERIFY(w->mnuSep8->isVisible());
    }

    // A file that cannot be read, or is no tree file, is refused before the
    // open document is given up; it does not join the recent list.
    void refusedFileKeepsTheDocument()
    {
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        writeFile(f.docPath("notes.txt"), "Dear diary,\r\nnothing today.\r\nBye\r\n");
        TfrmTree *w = f.start({f.docPath("doc.qvr")});
        w->ShowRecentFiles({f.docPath("doc.qvr"), f.docPath("gone.qvr")});
        f.select("$\\Recipes\\Soup");
        f.dialogs.fileAnswers.enqueue(f.docPath("notes.txt"));
        w->FileOpen1->trigger();
        w->mnuMRU[1]->trigger();
        QCOMPARE(f.dialogs.texts(), (QStringList{"Quivora cannot open the document. (notes)\nIt is not a Quivora tree file.",
                                                 "Quivora cannot open the document. (gone)\nNo such file or directory"}));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - doc"));
        QCOMPARE(w->tree()->currentItem()->text(0), QStringLiteral("Soup"));
        QVERIFY(w->editor()->isEnabled());
        QVERIFY(w->editor()->toPlainText().contains("Onion soup"));
        QCOMPARE(ReadRecentFiles().first(), f.docPath("doc.qvr"));
        QCOMPARE(w->mnuMRU[1]->data().toString(), f.docPath("gone.qvr"));
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
