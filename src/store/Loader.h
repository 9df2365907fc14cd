#pragma once
#include <QString>
#include <functional>

class QTreeWidget;
class ItemEditor;
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

// Opens the user's file `path` into the master file and the explorer. The
// user's file is only read. Answers true when the load failed (a new
// document took its place); Busy is left set for the caller.
bool OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc, const QString &path);

// The dialog variant: `askPath` shows the open dialog and answers the chosen
// path, empty when cancelled. Answers false when the dialog was cancelled.
bool OpenTreeFile(QTreeWidget *tree, ItemEditor *editor, DocState &doc,
                  const std::function<QString()> &askPath);

// The message shown when a document cannot be opened.
QString CannotOpenMessage(const QString &title);
