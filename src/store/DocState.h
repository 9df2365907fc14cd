#pragma once
#include "store/MasterFile.h"
#include "store/TreeHistory.h"

#include <QString>
#include <functional>

class UserMessages;
class QProgressBar;

// The open document's state. The main window owns it and hands it to the
// store's routines by reference, together with its explorer and editor.
struct DocState
{
    QString workFolder;  // ends with "/"
    MasterFile master;   // master.path() is the master file chosen at start-up

    bool busy = false;            // the program itself is changing tree or editor
    bool activated = false;       // the main window has been activated once
    bool documentChanged = false; // the master file differs from the user's file
    bool itemTextChanged = false; // the editor's text differs from the stored one
    bool untitled = false;        // the document has no file of its own
    bool saveCancelled = false;   // the last Save As dialog was cancelled
    bool journalPending = false;  // stored text waits in the journal for the next write
    int currentItemKey = 0;       // the item shown in the editor; 0 for none
    QString documentPath;
    QString documentTitle;
    TreeHistory history;          // the tree changes Undo and Redo can take; cleared by New and Open
    int generation = 0;           // counts the documents begun or opened: keys name items of one only

    // Whether a loaded tree is shown fully expanded; the main window collapses
    // it right after opening, so it skips expanding every branch first.
    bool expandOnLoad = true;
    // The deepest nesting (levels below the root) a file may have to be
    // opened; 0 for any. A tree view lays out every expanded level in a stack
    // frame of its own, so a window must refuse what it cannot show.
    int maxDepth = 0;

    UserMessages *ui = nullptr;           // where messages go
    QProgressBar *progressBar = nullptr;  // shown while a file loads; may be null
    // Enables or disables the item commands (print item, print preview, find).
    std::function<void(bool)> enableItemCommands;
    // Loading reports progress here too (the command-line tool prints it).
    std::function<void(qsizetype done, qsizetype total)> progress;

    const QString &masterPath() const { return master.path(); }
};

// The title shown for a document file: its name without the folder and
// without its extension, however long that is.
QString DocumentTitleFor(const QString &path);
