#pragma once
#include <QString>

// Where the Open and Save As dialogs start: the open document's folder, else
// the folder last chosen in either dialog, else the user's documents folder.
// Never the work folder: a document saved there is lost with the program.
QString DialogStartFolder(const QString &documentPath);
// Remembers the folder of a path confirmed in a file dialog.
void RememberDialogFolder(const QString &chosenPath);
