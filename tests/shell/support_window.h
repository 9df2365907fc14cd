#pragma once
// A main window started the way the program starts it, in temporary program
// and settings folders, with scripted dialogs: every text can be read and no
// test waits on a modal box.
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/RichEdit.h"
#include "store/NodeTree.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace testwin {

inline void isolateSettings(const QString &folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QSettings store(QStringLiteral("Corvanta"), QStringLiteral("Quivora"));
    store.clear();
    // A first run opens maximized; the panels' tests want the default window.
    store.setValue(QStringLiteral("Position/State"), QStringLiteral("wsNormal"));
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QStringList paths(QTreeWidget *tree)
{
    QStringList out;
    ForEachNode(tree, [&out](QTreeWidgetItem *n) {
        out << NodePath(n);
        return true;
    });
    return out;
}

inline QTreeWidgetItem *node(QTreeWidget *tree, const QString &path)
{
    QTreeWidgetItem *found = nullptr;
    ForEachNode(tree, [&](QTreeWidgetItem *n) {
        if (NodePath(n) != path)
            return true;
        found = n;
        return false;
    });
    return found;
}

// A document: Recipes with Soup and Bread, and Notes at the top.
inline QByteArray sampleDocument()
{
    return "Quivora Ver. 2.1\r\nCreated: 1/2/26\r\nLastSaved: 1/2/26\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n"
           "1000000 0000000 $\r\n2000001 1000000 Recipes\r\n3000001 2000001 Soup\r\n"
           "3000002 2000001 Bread\r\n3000003 1000000 Notes\r\nEnd\r\nData\r\nEnd\r\n"
           "3000001\r\n{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Onion soup\\par\r\n}\r\nEnd\r\n";
}

struct Fixture
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TfrmTree> window;

    QString programFolder() const { return dir.path() + QStringLiteral("/program/"); }
    QString workFolder() const { return programFolder() + QStringLiteral("Data/"); }
    QString docPath(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }

    Fixture() { isolateSettings(dir.path() + QStringLiteral("/settings")); }

    // Starts the window with these command-line arguments and waits until it
    // has been activated (and any start-up file opened).
    TfrmTree *start(const QStringList &arguments = {})
    {
        QDir().mkpath(programFolder());
        StartupConfig config;
        config.programFolder = programFolder();
        config.arguments = arguments;
        config.dialogs = &dialogs;
        window = std::make_unique<TfrmTree>(config);
        if (!window->startedOk())
            return window.get();
        window->show();
        if (!QTest::qWaitFor([this] {
                return window->doc().activated && window->pendingStartupFile().isEmpty()
                       && !window->doc().busy;
            }))
            qWarning("the window did not finish starting");
        return window.get();
    }

    QString master() const { return window->doc().masterPath(); }

    void select(const QString &path)
    {
        QTreeWidgetItem *n = node(window->tree(), path);
        QVERIFY2(n, qPrintable(path));
        window->tree()->setCurrentItem(n);
    }

    // Types as the user does: into the focused editor.
    void type(const QString &text)
    {
        window->editor()->moveCursor(QTextCursor::End);
        window->editor()->insertPlainText(text);
    }
};

} // namespace testwin
