// Start-up and shutdown of the main window: the new document, a file named on
// the command line, the start-up option, the close sequence and the master
// files of several running copies.
#include "support_window.h"

#include "settings/Registry.h"
#include "shell/RecentFiles.h"
#include "store/MasterChoice.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
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
        for (const char *name : {"ToolBar1", "sbPath", "tvwTree", "Splitter1", "txtEdit", "StatusBar",
                                 "ProgressBar", "tmrDelay", "Timer1", "File1", "mnuTree", "Help1"})
            QVERIFY2(w->findChild<QObject *>(QString::fromLatin1(name)), name);
        QVERIFY(!w->ProgressBar->isVisible());
    }

    void commandLineFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("one argument") << QStringLiteral("notes.qvr") << QStringList{"notes.qvr"};
        QTest::newRow("path with a blank, unquoted") << QStringLiteral("my notes.qvr")
                                                     << QStringList{"my", "notes.qvr"};
    }
    void commandLineFile()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        Fixture f;
        writeFile(f.docPath(name), sampleDocument());
        arguments.first().prepend(f.dir.path() + QLatin1Char('/'));
        // The start-up option is not read when a file is named.
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), QStringLiteral("3"));
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFilePath"), f.docPath("none.qvr"));
        TfrmTree *w = f.start(arguments);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - ") + QFileInfo(name).completeBaseName());
        QCOMPARE(w->tree()->currentItem(), FirstNode(w->tree()));
        QVERIFY(FirstNode(w->tree())->isExpanded());
        QVERIFY(!node(w->tree(), "$\\Recipes")->isExpanded());
        QVERIFY(!w->editor()->isEnabled());
        QVERIFY(!w->PrintItem1->isEnabled() && !w->FindInItem1->isEnabled());
        QCOMPARE(w->doc().currentItemKey, 0);
        QCOMPARE(w->sbPath->text(), QStringLiteral("   $"));
        QCOMPARE(ReadRecentFiles().first(), f.docPath(name));
        QVERIFY(f.dialogs.shown.isEmpty());
        QCOMPARE(readFile(f.docPath(name)), sampleDocument());
    }

    void missingStartupFile()
    {
        Fixture f;
        TfrmTree *w = f.start({f.docPath("gone.qvr")});
        QCOMPARE(f.dialogs.texts(), QStringList{"Quivora cannot open the document. (gone)"});
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QCOMPARE(paths(w->tree()), (QStringList{"$", "$\\New Item"}));
        QVERIFY(w->editor()->isEnabled());
        QCOMPARE(ReadRecentFiles(), QStringList(4, QString()));
    }

    void startupOption_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("opens");
        QTest::newRow("1: new file") << "1" << false;
        QTest::newRow("2: last file") << "2" << true;
        QTest::newRow("3: named file") << "3" << true;
        QTest::newRow("7 counts as 1") << "7" << false;
    }
    void startupOption()
    {
        QFETCH(QString, option);
        QFETCH(bool, opens);
        Fixture f;
        writeFile(f.docPath("doc.qvr"), sampleDocument());
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), option);
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFilePath"),
                         option == "3" ? f.docPath("doc.qvr") : QString());
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile1"),
                         option == "2" ? f.docPath("doc.qvr") : QString());
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
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void emptyRecentListWithOption2()
    {
        Fixture f;
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), QStringLiteral("2"));
        TfrmTree *w = f.start();
        QCOMPARE(w->windowTitle(), QStringLiteral("Quivora - New File"));
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void closeDeletesNoOtherCopysWork()
    {
        Fixture first;
        TfrmTree *a = first.start();
        // A second copy in the same work folder.
        StartupConfig config;
        config.programFolder = first.programFolder();
        ScriptedDialogs dialogs2;
        config.dialogs = &dialogs2;
        TfrmTree b(config);
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
        StartupConfig config;
        config.programFolder = f.dir.path() + QStringLiteral("/plain/program/");
        config.dialogs = &f.dialogs;
        TfrmTree w(config);
        QVERIFY(w.startedOk());
        QVERIFY(w.doc().workFolder.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        QVERIFY(QFile::exists(w.doc().masterPath()));
        QVERIFY(w.close());
    }

    void commandLineJoin()
    {
        QCOMPARE(TfrmTree::GetCommandLineFile({}), QString());
        QCOMPARE(TfrmTree::GetCommandLineFile({"a"}), QStringLiteral("a"));
        QCOMPARE(TfrmTree::GetCommandLineFile({"/x/my", "", "notes.qvr"}), QStringLiteral("/x/my  notes.qvr"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
