#pragma once
#include <QString>

class QCommandLineParser;
struct SearchQuery;

void AddGrepOptions(QCommandLineParser &parser);
// The query the command line asks for: PATTERN and -i, -w, -E, --names.
SearchQuery GrepQuery(const QCommandLineParser &parser, const QString &pattern);
// Prints "node path<TAB>line" for every line that holds a match, in tree
// order; answers 0 with matches, 1 without, 2 when FILE cannot be opened or
// the pattern is not valid.
int Grep(const QString &file, const SearchQuery &query);
