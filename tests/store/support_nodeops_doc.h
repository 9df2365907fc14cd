#pragma once
// A document on disk, loaded into an explorer, for the node operation tests:
// build it from node lines and text blocks, find nodes by path, compare the
// master file byte for byte, and make the next writes fail.
#include "support_nodeops_fakes.h"

#include "store/DocState.h"
#include "store/Loader.h"
#include "store/NodeTree.h"
#include "store/TreeFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace nodeops {

using Lines = QList<QByteArray>;

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

// While it lives, every file write of the process beyond `bytes` fails, as
// on a full disk (the tests run as root, so permissions would not stop them).
class WriteLimit
{
public:
    explicit WriteLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lim = m_old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~WriteLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

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
