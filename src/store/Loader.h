#pragma once
#include <QString>
#include <functional>

class QTreeWidget;
class ItemEditor;
class MasterFile;
class ReadAhead;
struct DocState;

// Writes the twelve lines of a new document to the master file.
bool WriteNewFileTemplate(DocState &doc, QString *error = nullptr);

// Begins a new document: template in the master file, the root "$" with the
// item "New Item" selected.
void NewTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc);

// Builds the explorer from the master file (converting the older layout).
// On failure it says the document cannot be opened and begins a new one.
// Answers whether the load succeeded.
bool LoadTree(QTreeWidget *tree, ItemEditor *editor, DocState &doc);

// Fills the explorer from the node section in memory, leaving the master
// file, the editor and the document's title alone. False (and an empty
// explorer) when the node section cannot be read as a tree.
bool BuildExplorer(QTreeWidget *tree, DocState &doc, bool expand);

enum class OpenResult {
    Opened,  // the file is the open document
    Refused, // not read, or not a tree file: the open document stays as it was
    Failed,  // the load failed part way: a new document took its place
};

// Opens the user's file `path` into the master file and the explorer (into
// memory only when doc has no master file path: the command-line tool). The
// file is read and checked (TreeFileProblem) before anything of the open
// document is given up; a refusal says why in the cannot-open message. The
// user's file is only read. Busy is left set for the caller. `readAhead`:
// the file may have been read and checked already (the start-up file).
OpenResult OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc, const QString &path,
                        ReadAhead *readAhead = nullptr);

// The dialog variant: `askPath` shows the open dialog and answers the chosen
// path, empty when cancelled. Answers false when the dialog was cancelled.
bool OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc,
                  const std::function<QString()> &askPath);

// Why the content read from a file cannot be opened as a tree file (the
// second line of the cannot-open message); empty when it can. Refused: an
// empty file; a file of the current layout without a root line (kind 1, key
// 1000000) in its node section; an older-layout file without node lines or
// too short to convert; a tree nested deeper than `maxDepth` levels (0: any).
QString TreeFileProblem(const MasterFile &content, int maxDepth);

// The message shown when a document cannot be opened; `reason`, when given,
// is its second line.
QString CannotOpenMessage(const QString &title, const QString &reason = QString());
