#pragma once
// A document on disk, loaded into an explorer, for the store's tests: build
// it from node lines and text blocks, find nodes by path, compare the master
// file byte for byte, make the next writes fail; stand-ins for the user's
// dialogs and the rich-text editor, so operations run without windows.
#include "store/DocState.h"
#include "store/ItemEditor.h"
#include "store/Loader.h"
#include "store/Messages.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"
#include "support_writelimit.h"

#include <QDir>
#include <QFile>
#include <QQueue>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace fakes {

// Records every message and answers questions from a queue; an unscripted
// question is answered as if the box had been closed.
class ScriptedMessages : public UserMessages
{
public:
    struct Shown
    {
        QString kind; // "message", "box", "error"
        QString caption;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons;
    };

    void showMessage(const QString &text) override { shown.append({QStringLiteral("message"), {}, text, MsgIcon::None, MsgButton::Ok}); }
    MsgButton messageBox(const QString &caption, const QString &text, MsgIcon icon,
                         MsgButtons buttons) override
    {
        shown.append({QStringLiteral("box"), caption, text, icon, buttons});
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons.testFlag(MsgButton::Cancel) ? MsgButton::Cancel : MsgButton::No;
    }
    void errorDialog(const QString &text) override { shown.append({QStringLiteral("error"), {}, text, MsgIcon::Error, MsgButton::Ok}); }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out << s.kind + QLatin1Char(':') + s.text;
        return out;
    }
    void clear()
    {
        shown.clear();
        answers.clear();
    }

    QList<Shown> shown;
    QQueue<MsgButton> answers;
};

// Holds its "rich text" as plain bytes.
class PlainEditor : public ItemEditor
{
public:
    QByteArray exportRtf() const override { return content; }
    void importRtf(const QByteArray &data) override { content = data; }
    void clearContent() override
    {
        content.clear();
        modified = false;
    }
    void setModifiedState(bool m) override { modified = m; }
    void applyDefaultFont(const QFont &, const QColor &) override { ++fontsApplied; }
    void setEditorEnabled(bool e) override { enabled = e; }

    // What the user typed: the content and the modified mark.
    void type(const QByteArray &text)
    {
        content = text;
        modified = true;
    }

    QByteArray content;
    bool modified = false;
    bool enabled = false;
    int fontsApplied = 0;
};

} // namespace fakes

namespace nodeops {

using Lines = QList<QByteArray>;

// "Today" is written in the system's short date form; set before main, the C
// locale makes it a known text on any machine.
inline const bool kCLocale = qputenv("LC_ALL", "C");

inline Lines Head()
{
    return {"Quivora Ver. 2.1", "Created: 1/2/26", "LastSaved: 1/2/26", "Res1", "Res2", "Res3", "Tree"};
}

// Header, root line, `nodes`, "End", "Data", "End", then `blocks` as they are.
inline Lines Document(const Lines &nodes, const Lines &blocks = {})
{
    Lines out = Head();
    out << RootLine << nodes << EndLine << "Data" << EndLine << blocks;
    return out;
}

inline QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// One open document with its explorer, editor, messages and path bar.
struct Doc
{
    QTemporaryDir dir;
    std::unique_ptr<QTreeWidget> tree = std::make_unique<QTreeWidget>();
    fakes::PlainEditor editor;
    fakes::ScriptedMessages ui;
    DocState state;
    QString pathBarText;
    std::function<void(const QString &)> pathBar = [this](const QString &t) { pathBarText = t; };

    Doc()
    {
        state.workFolder = dir.path() + QLatin1Char('/');
        state.master.setPath(state.workFolder + QStringLiteral("Master"));
        state.ui = &ui;
    }

    QString masterPath() const { return state.masterPath(); }
    QByteArray disk() const { return FileBytes(masterPath()); }

    // Writes `lines` as the master file and loads it; false when the load
    // complained.
    bool open(const Lines &lines)
    {
        WriteFile(masterPath(), JoinLines(lines));
        const bool ok = LoadTree(tree.get(), nullptr, state);
        state.busy = false;
        return ok && ui.shown.isEmpty();
    }

    QTreeWidgetItem *node(const QString &path) const
    {
        QTreeWidgetItem *found = nullptr;
        ForEachNode(tree.get(), [&](QTreeWidgetItem *n) {
            if (NodePath(n) != path)
                return true;
            found = n;
            return false;
        });
        return found;
    }

    QTreeWidgetItem *select(const QString &path)
    {
        QTreeWidgetItem *n = node(path);
        tree->setCurrentItem(n);
        return n;
    }

    QStringList paths() const
    {
        QStringList out;
        ForEachNode(tree.get(), [&out](QTreeWidgetItem *n) {
            out << NodePath(n);
            return true;
        });
        return out;
    }

    // A node drawn at random; `parentsOnly`: the root or a branch.
    QTreeWidgetItem *randomNode(QRandomGenerator &rng, bool parentsOnly) const
    {
        QList<QTreeWidgetItem *> all;
        ForEachNode(tree.get(), [&](QTreeWidgetItem *n) {
            if (!parentsOnly || !IsItem(n))
                all << n;
            return true;
        });
        return all.at(int(rng.bounded(qsizetype(all.size()))));
    }

    QTreeWidgetItem *byKey(int key) const
    {
        QTreeWidgetItem *found = nullptr;
        ForEachNode(tree.get(), [&](QTreeWidgetItem *n) {
            found = NodeKey(n) == key ? n : nullptr;
            return !found;
        });
        return found;
    }

    // The tree as node lines, in tree order, as the file should list it.
    Lines treeLines() const
    {
        Lines out;
        ForEachNode(tree.get(), [&](QTreeWidgetItem *n) {
            out << NodeLine(n);
            return true;
        });
        return out;
    }
};

} // namespace nodeops
