#pragma once
#include "store/DocState.h"
#include "store/Messages.h"

#include <QStringList>
#include <QTreeWidget>
#include <functional>

// Messages the program would show in a box, kept for the tool to print.
class CollectedMessages : public UserMessages
{
public:
    void showMessage(const QString &text) override { texts << text; }
    MsgButton messageBox(const QString &, const QString &text, MsgIcon, MsgButtons) override
    {
        texts << text;
        return MsgButton::Cancel;
    }
    void errorDialog(const QString &text) override { texts << text; }
    QStringList texts;
};

// A document read the way the program opens one: converted from the older
// layout when needed, loaded into a tree and checked. Everything happens in
// memory: the tool needs no master file, so a full or small disk cannot turn
// a sound file into a failed check, and nothing is ever written.
class QvrDocument
{
public:
    QvrDocument() = default;
    QvrDocument(const QvrDocument &) = delete;
    QvrDocument &operator=(const QvrDocument &) = delete;
    // Takes the tree apart from the leaves up: deleting a node deletes its
    // children from within, which a very deep tree would not survive.
    ~QvrDocument();

    // False when the file cannot be opened; `error` says why.
    bool open(const QString &path, QString *error);

    QTreeWidget tree;
    DocState doc;
    CollectedMessages messages;
    QStringList loadMessages; // what loading and the check reported
};

// The document of the one command the tool runs. It is never taken apart:
// the process ends right after the command, and the system takes all of its
// memory back at once, where freeing a million nodes one by one would cost a
// third of a check.
QvrDocument &CommandDocument();

// Calls `fn` for every node in tree order with its node path, built as the
// walk goes (a path costs its own length, however deep the node lies), until
// `fn` answers false.
void ForEachNodePath(QTreeWidget *tree,
                     const std::function<bool(QTreeWidgetItem *, const QString &)> &fn);

// The node whose key is `target` (seven digits) or whose path is `target`; names
// may hold "\", so several nodes can share a path: the first in tree order wins.
// Null when there is none.
QTreeWidgetItem *FindNode(QTreeWidget *tree, const QString &target);
