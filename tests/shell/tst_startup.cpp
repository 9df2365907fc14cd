// Start-up and shutdown of the main window: the new document, a file named on
// the command line, the start-up option and the stored appearance, the close
// sequence and the master files of several running copies, and the folder
// the file dialogs start in.
#include "support_window.h"

#include "settings/Registry.h"
#include "shell/RecentFiles.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSplitter>
#include <QSysInfo>
#include <QToolBar>

using namespace testwin;

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newDocument()
    {
        Fixture f;
        TfrmTree *w = f.start();
        QVERIFY(w->startedOk());
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QCOMPARE(paths(w->tree()), (QStringList{"$", "$\\New Item"}));
        QCOMPARE(w->tree()->currentItem()->text(0), QStringLiteral("New Item"));
        QCOMPARE(w->sbPath->text(), QStringLiteral("   $\\New Item"));
        QVERIFY(w->editor()->isEnabled());
        QVERIFY(w->PrintItem1->isEnabled() && w->PrintPreview1->isEnabled() && w->FindInItem1->isEnabled());
        QVERIFY(w->doc().untitled && !w->doc().documentChanged);
        QCOMPARE(f.master(), f.workFolder() + QStringLiteral("Master"));
        QVERIFY(readFile(f.master()).contains("3000001 1000000 New Item\r\nEnd\r\nData\r\nEnd\r\n"));
        QVERIFY(f.dialogs.shown.isEmpty());
        QVERIFY(!w->ProgressBar->isVisible());
        // The splitter's hint shows over the bar between the panels only:
        // a panel without a tip of its own shows its parents'.
        QCOMPARE(w->Splitter1->handle(1)->toolTip(), QStringLiteral("Resize Explorer/Editor panel"));
        for (QWidget *panel : {static_cast<QWidget *>(w->tree()), static_cast<QWidget *>(w->editor())})
            for (QWidget *p = panel; p; p = p->parentWidget())
                QVERIFY2(p->toolTip().isEmpty(), qPrintable(p->objectName()));
    }

    void commandLineFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("relative"); // to the folder the program starts in
        QTest::newRow("one argument") << "notes.qvr" << QStringList{"notes.qvr"} << false;
        QTest::newRow("path with a blank, unquoted") << "my notes.qvr" << QStringList{"my", "notes.qvr"} << false;
        QTest::newRow("relative path") << "notes.qvr" << QStringList{"notes.qvr"} << true;
    }
    void commandLineFile()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(bool, relative);
        Fixture f;
        writeFile(f.docPath(name), sampleDocument());
        const QString startedIn = QDir::currentPath();
        if (relative)
            QDir::setCurrent(f.dir.path());
        else
            arguments.first().prepend(f.dir.path() + QLatin1Char('/'));
        // The start-up option is not read when a file is named.
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), QStringLiteral("3"));
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFilePath"), f.docPath("none.qvr"));
        TfrmTree *w = f.start(arguments);
        QDir::setCurrent(startedIn);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - ") + QFileInfo(name).completeBaseName());
        QCOMPARE(w->tree()->currentItem(), FirstNode(w->tree()));
        QVERIFY(FirstNode(w->tree())->isExpanded());
        QVERIFY(!node(w->tree(), "$\\Recipes")->isExpanded());
        QVERIFY(!w->editor()->isEnabled() && !w->PrintItem1->isEnabled());
        QCOMPARE(w->doc().currentItemKey, 0);
        QCOMPARE(w->sbPath->text(), QStringLiteral("   $"));
        // The full path, so that it names this file from any folder later.
        QCOMPARE(w->doc().documentPath, f.docPath(name));
        QCOMPARE(ReadRecentFiles().first(), f.docPath(name));
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(readFile(f.docPath(name)), sampleDocument());
    }

    void missingStartupFile()
    {
        Fixture f;
        TfrmTree *w = f.start({f.docPath("gone.qvr")});
        QCOMPARE(f.dialogs.texts(), QStringList{"Quivora cannot open the document. (gone)\nNo such file or directory"});
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QCOMPARE(paths(w->tree()), (QStringList{"$", "$\\New Item"}));
        QVERIFY(w->editor()->isEnabled());
        QCOMPARE(ReadRecentFiles(), QStringList(4, QString()));
    }

    void startupOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("recent"); // "RecentFile1"
        QTest::addColumn<bool>("opens");
        QTest::newRow("1: new file") << "1" << "doc.qvr" << false;
        QTest::newRow("2: last file") << "2" << "doc.qvr" << true;
        QTest::newRow("2 with an empty list") << "2" << "" << false;
        QTest::newRow("3: named file") << "3" << "" << true;
        QTest::newRow("7 counts as 1") << "7" << "doc.qvr" << false;
    }
    void startupOption()
    {
        QFETCH(QString, option);
        QFETCH(QString, recent);
        QFETCH(bool, opens);
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), option);
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFilePath"),
                         option == "3" ? f.docPath("doc.qvr") : QString());
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile1"),
                         recent.isEmpty() ? QString() : f.docPath(recent));
        TfrmTree *w = f.start();
        QCOMPARE(w->windowTitle(), opens ? QStringLiteral("Quivora - doc") : QStringLiteral("Quivora - New File"));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void storedAppearance()
    {
        Fixture f;
        // Red is the lowest byte of a stored colour; blue the highest.
        SetRegistryValue(QStringLiteral("\\Options\\Colors"), QStringLiteral("Edit"), QStringLiteral("255"));
        SetRegistryValue(QStringLiteral("\\Options\\Colors"), QStringLiteral("Tree"), QStringLiteral("16711680"));
        SetRegistryValue(QStringLiteral("\\Options\\Fonts"), QStringLiteral("TreeSize"), QStringLiteral("12"));
        SetRegistryValue(QStringLiteral("\\Options\\Fonts"), QStringLiteral("TreeBold"), QStringLiteral("True"));
        SetRegistryValue(QStringLiteral("\\Options\\Fonts"), QStringLiteral("EditSize"), QStringLiteral("big"));
        TfrmTree *w = f.start();
        QVERIFY(w->startedOk());
        QCOMPARE(w->editor()->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(w->tree()->palette().color(QPalette::Base), QColor(0, 0, 255));
        QCOMPARE(w->tree()->font().pointSize(), 12);
        QVERIFY(w->tree()->font().bold());
        // A size that is no number gives the default 8 pt.
        QCOMPARE(w->editor()->selectionCharFormat().pointSize, 8.0);
        QVERIFY(!w->editor()->selectionCharFormat().bold);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void closeDeletesNoOtherCopysWork()
    {
        Fixture first;
        TfrmTree *a = first.start();
        // A second copy in the same work folder.
        ScriptedDialogs dialogs2;
        TfrmTree b(StartupConfig{first.programFolder(), {}, {}, &dialogs2});
        QVERIFY(b.startedOk());
        QCOMPARE(b.doc().masterPath(), first.workFolder() + QStringLiteral("Master1"));
        // A copy that died: its master file holds work, its lock names a process gone.
        const QString dead = first.workFolder() + QStringLiteral("Master7");
        writeFile(dead, "work");
        writeFile(dead + QStringLiteral(".lock"), "2147483000\nquivora\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        // A master file without a lock: its copy ended, so it holds no work.
        writeFile(first.workFolder() + QStringLiteral("Master8"), "left");

        QVERIFY(a->close());
        QVERIFY(!QFile::exists(first.workFolder() + QStringLiteral("Master")));
        QVERIFY(QFile::exists(b.doc().masterPath()));
        QVERIFY(!QFile::exists(first.workFolder() + QStringLiteral("Master8")));
        QVERIFY(b.close());
        QVERIFY(!QFile::exists(b.doc().masterPath()));
        QCOMPARE(readFile(dead), QByteArray("work"));
    }

    void unwritableProgramFolderFallsBack()
    {
        Fixture f;
        // A program folder under a regular file cannot hold a work folder.
        writeFile(f.dir.path() + QStringLiteral("/plain"), "x");
        TfrmTree w(StartupConfig{f.dir.path() + QStringLiteral("/plain/program/"), {}, {}, &f.dialogs});
        QVERIFY(w.startedOk());
        QVERIFY(w.doc().workFolder.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        QVERIFY(QFile::exists(w.doc().masterPath()));
        QVERIFY(w.close());
    }

    // Open and Save As start in the document's folder, else where a file
    // dialog was last confirmed, else the documents folder; never in the
    // work folder, which goes with the program.
    void dialogFolder_data()
    {
        QTest::addColumn<QString>("document");   // opened at start-up; empty: none
        QTest::addColumn<QString>("remembered"); // "LastFolder"; empty: none
        QTest::addColumn<QString>("folder");     // empty: the documents folder
        QTest::newRow("new document") << "" << "" << "";
        QTest::newRow("new document, a folder remembered") << "" << "kept" << "kept";
        QTest::newRow("the document's folder first") << "docs/doc.qvr" << "kept" << "docs";
        QTest::newRow("a remembered folder that is gone") << "" << "gone" << "Documents";
        QTest::newRow("no Documents folder either") << "" << "gone" << "";
    }
    void dialogFolder()
    {
        QFETCH(QString, document);
        QFETCH(QString, remembered);
        QFETCH(QString, folder);
        Fixture f;
        for (const char *made : {"docs", "kept", "chosen"})
            QDir(f.dir.path()).mkdir(QLatin1String(made));
        if (!remembered.isEmpty())
            SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("LastFolder"), f.docPath(remembered));
        if (!document.isEmpty())
            writeFile(f.docPath(document), sampleDocument());
        // A home of the test's own, with or without a Documents folder.
        const QByteArray home = qgetenv("HOME");
        const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
        qputenv("HOME", f.docPath("home").toLocal8Bit());
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(folder == QLatin1String("Documents") ? documents : QDir::homePath()));
        TfrmTree *w = f.start(document.isEmpty() ? QStringList() : QStringList{f.docPath(document)});
        w->FileOpen1Execute();
        w->FileSaveAs1Execute();
        const QString expected = folder.isEmpty()                     ? QDir::homePath()
                                 : folder == QLatin1String("Documents") ? documents
                                                                        : f.docPath(folder);
        QCOMPARE(f.dialogs.fileRequests.size(), 2);
        QCOMPARE(f.dialogs.fileRequests[0].folder, expected);
        QCOMPARE(f.dialogs.fileRequests[1].folder, expected);
        // A confirmed dialog is remembered for the next document without a folder.
        f.dialogs.fileAnswers.enqueue(f.docPath("chosen/new.qvr"));
        w->FileSaveAs1Execute();
        QCOMPARE(GetRegistryValue(QStringLiteral("Options"), QStringLiteral("LastFolder"), QString()),
                 f.docPath("chosen"));
        w->FileNew1Execute();
        w->FileOpen1Execute();
        QCOMPARE(f.dialogs.fileRequests.last().folder, f.docPath("chosen"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
