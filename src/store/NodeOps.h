#pragma once
#include "store/TreeFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class ItemEditor;
class MasterFile;
class QTreeWidget;
class QTreeWidgetItem;
class UserMessages;
struct DocState;

// Operations that change one node and its text, in the explorer and in the
// master file together. Each changes the in-memory master file and writes it
// at once; when the write fails, memory is put back to what the file still
// holds, the explorer is left as it was, the user is told which file could
// not be written and why, and the operation answers failure.

// Receives the path bar's new text ("   $\Recipes\Soup").
using PathBarFn = std::function<void(const QString &)>;

// How a change to the master file ended.
enum class MasterWrite {
    Written,      // changed in memory and on disk
    LineNotFound, // the line to change is not in the file: nothing written (after a DEBUG message)
    WriteFailed,  // the write failed: memory and file as before (after a message)
};

// --- Item text ---------------------------------------------------------------

// Stores the editor's text as the text block of doc.currentItemKey when
// doc.itemTextChanged is set. On success clears the editor's modified state
// and itemTextChanged, sets documentChanged and runs AutoCheck. Answers false
// when the text could not be stored; it then stays in the editor with
// itemTextChanged still set. Answers true when there was nothing to store.
// With `failure` given, a failure is not shown but its reason put there.
bool SaveItemText(QTreeWidget *tree, ItemEditor *editor, DocState &doc, QString *failure = nullptr);

// Puts the editor's text into the document in memory only, as a store point
// does but without writing the master file: for a save that goes straight
// to the user's file when the master file cannot be written.
void KeepItemTextInMemory(ItemEditor *editor, DocState &doc);
// The idle store: the editor's text joins the document in memory and the
// master file's journal (no rewrite of the master file). False, with
// nothing marked stored, when the journal cannot be written.
bool StoreItemTextInJournal(ItemEditor *editor, DocState &doc);

// Shows the text block of the selected item in the editor (empty when the
// item has none). Does nothing unless an item is selected and the master
// file exists.
void LoadItemText(QTreeWidget *tree, ItemEditor *editor, DocState &doc);

// --- Adding nodes ------------------------------------------------------------

// "New Item", "New Item (2)", ... (or "New Branch", ...): the first name of
// that sequence that no child of `parent` has, whatever the child's kind.
QString NewNodeName(QTreeWidget *tree, QTreeWidgetItem *parent, NodeKind kind);

// Adds a branch under the selected root or branch, before the parent's first
// item, selects it and writes its line. Opens its label editor when the tree
// is on screen. Answers the new node, or null when nothing was added (no
// root or branch selected, no branch key left, or the write failed; the
// last two with a message). The caller runs AutoCheck.
QTreeWidgetItem *AddBranch(QTreeWidget *tree, ItemEditor *editor, const PathBarFn &pathBar,
                           DocState &doc);

// Adds an item as the last child of the selected root or branch, selects it,
// gives the editor the default editor font and an empty text, enables it and
// makes the item the current one. Otherwise as AddBranch.
QTreeWidgetItem *AddItem(QTreeWidget *tree, ItemEditor *editor, const PathBarFn &pathBar,
                         DocState &doc);

// Inserts the node line of `node` (with `key`) directly after the line of
// `previous`, the node before it in tree order, and writes the file.
MasterWrite WriteNodeToMaster(QTreeWidgetItem *previous, QTreeWidgetItem *node, DocState &doc,
                              int key);

// --- Renaming ----------------------------------------------------------------

// Runs when the user ends editing a node's label with `newName`, before the
// label changes. Answers whether the name is accepted; when it is, the
// node's label carries the new name, its line in the master file is
// rewritten, the path bar shows the new path and documentChanged is set.
// When refused, the label and the file keep the old name.
bool RenameNode(QTreeWidget *tree, QTreeWidgetItem *node, const QString &newName, DocState &doc,
                const PathBarFn &pathBar);

// Whether a child of `parent` may be named `newName` (it was `oldName`).
// Refuses, with an error dialog saying why: an empty name, a name a child of
// the parent already has (letter case counts), a name holding a line break or
// another control character, and a name the tree file cannot hold.
bool CheckNewName(QTreeWidgetItem *parent, const QString &newName, const QString &oldName,
                  UserMessages *ui);

// Replaces the first node line equal to `oldLine` (letter case aside) with
// `newLine` and writes the file. Used for nodes of every kind.
MasterWrite RenameItem(DocState &doc, const QByteArray &oldLine, const QByteArray &newLine);

// --- Deleting ----------------------------------------------------------------

// Asks whether to delete; true only for Yes.
bool ConfirmDelete(UserMessages *ui, const QString &name, bool isItem);

// Deletes the selected item: its node, its node line and its text block.
// When its line is not in the file the node still leaves the explorer but the
// file is not touched. Answers whether the file was written. The caller sets
// documentChanged and runs AutoCheck.
bool DeleteItem(QTreeWidget *tree, DocState &doc);

// Deletes the selected branch with everything below it: nodes, node lines
// and the text blocks of all items among them. As DeleteItem otherwise.
bool DeleteBranch(QTreeWidget *tree, DocState &doc);

// Moves the branch line at `index` of `source` and the lines of all its
// descendants (they follow it, in tree order) to the end of `target`. Stops
// at a line "End" and at the end of `source`.
void CutBranchLines(QList<QByteArray> &source, QList<QByteArray> &target,
                    const QByteArray &branchLine, qsizetype index);

// Removes the text blocks of the items among the node lines `removed`.
void DeleteItemTexts(MasterFile &master, const QList<QByteArray> &removed);

// Removes the text block of the item `key` (nothing for keys below 3000000):
// its key line and every line after it up to and including the first "End",
// or to the end of the file.
void DeleteItemText(MasterFile &master, int key);

// --- Message texts -----------------------------------------------------------

QString MissingMasterMessage(const QString &masterPath);
QString NotFoundMessage(const char *operation); // "DEBUG <operation> item not found"
QString EmptyNameMessage();
QString DuplicateNameMessage(const QString &oldName);
QString ControlCharNameMessage(const QString &oldName);
QString UnsupportedCharNameMessage(const QString &oldName, char32_t ch);
QString WriteFailedMessage(const QString &masterPath, const QString &reason);
QString TextNotStoredMessage(const QString &masterPath, const QString &reason);
QString NoKeyLeftMessage(NodeKind kind);
QString ConfirmDeleteCaption(bool isItem);
QString ConfirmDeleteText(const QString &name, bool isItem);
