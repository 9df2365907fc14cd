#pragma once
#include <QString>

class QTreeWidget;
struct DocState;

// Compares the master file's node section with the explorer, line by line in
// tree order, and reports (never repairs) the first difference: the file's
// line and the line the tree expects. Reports go to the document's messages.
bool AutoCheckIntegrity(QTreeWidget *tree, DocState &doc);
// The comparison above, then the closing "End" and the length of each node line.
// True when nothing was reported.
bool AutoCheck(QTreeWidget *tree, DocState &doc);

// The texts of the reports.
QString IntegrityMessage(const QString &fileLine, const QString &treeLine);
QString NoEndMessage();
QString ShortLineMessage(int index, const QString &line);
