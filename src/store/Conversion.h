#pragma once
#include <QByteArray>
#include <QList>
#include <utility>

struct DocState;

// Files of the older layout carry each node's full path instead of its
// parent's key; they are converted to the current layout when opened.
bool IsOldFormat(const QList<QByteArray> &lines);
// Converts the lines in place and writes them to the master file (a document
// without a master file, read by the command-line tool, stays in memory).
// False when the master file could not be written. Fewer than five lines:
// nothing done.
bool ConvertOldFormat(QList<QByteArray> &lines, DocState &doc);
// Everything before the last "\" and everything after it; a path without
// "\" gives two empty parts.
std::pair<QByteArray, QByteArray> SplitNodePath(const QByteArray &path);
