#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The help file "Hfile": the guide shown by the help window, written as RTF
// when missing and never rewritten, so a user's edited copy survives.
//
// Where it lives: the program's folder. An installed program's folder is
// not writable, so then it lives beside the work folder (in the work
// folder's parent), and as a last resort in the work folder itself.

// The guide as RTF: CR LF lines, Windows-1252 bytes.
QByteArray HelpFileContent();

// The places "Hfile" may live, most preferred first, without repeats.
QStringList HelpFileCandidates(const QString &programFolder, const QString &workFolder);

// The help file the help window should load: the first candidate that
// exists; empty when there is none.
QString HelpFilePath(const QString &programFolder, const QString &workFolder);

// Writes the guide into the first candidate that can take it, unless one
// already exists. Returns the path of the help file now in use, or an
// empty string when none exists and none could be written (not reported
// further: the help window then shows a short built-in text).
QString WriteHelpFile(const QString &programFolder, const QString &workFolder);
