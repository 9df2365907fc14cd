#pragma once
#include "store/DocState.h"
#include "store/Messages.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTreeWidget>

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

// A document opened the way the program opens one: copied onto a master file
// (here in a temporary folder, so the user's file is never written),
// converted from the older layout when needed, loaded into a tree and checked.
class QvrDocument
{
public:
    // False when the file cannot be opened; `error` says why.
    bool open(const QString &path, QString *error);

    QTreeWidget tree;
    DocState doc;
    CollectedMessages messages;
    QStringList loadMessages; // what loading and the check reported

private:
    QTemporaryDir m_work;
};
