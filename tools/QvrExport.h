#pragma once
#include "QvrItemText.h"

#include <QSet>
#include <QString>
#include <functional>

class QvrDocument;

// A node name made usable as one file or folder name on the common file
// systems: the characters / \ : * ? " < > | and control characters become
// "_", trailing dots and blanks are dropped, device names (CON, PRN, AUX,
// NUL, COM1-9, LPT1-9, with or without an extension) and names beginning
// with a dot get a leading "_", an empty result becomes "_", and very long
// names are cut short.
QString SafeFileName(const QString &name);

// The names taken in one folder. Names are compared without regard to letter
// case, since "Soup" and "soup" are one file on some file systems.
class FolderNames
{
public:
    // `base` (already safe) with `extension`, numbered "base (2).ext",
    // "base (3).ext", ... when the name is taken; the answer is then taken.
    QString take(const QString &base, const QString &extension = QString());

private:
    QSet<QString> m_taken;
};

struct ExportResult
{
    int items = 0;   // item files written
    int folders = 0; // folders made for branches
    QString failedPath; // set when writing failed
    QString error;      // why
};

// Writes every item's text as one file per item into `dir` (made when
// missing): items directly under the root in `dir` itself, every branch as a
// folder of its name. Existing files of the same names are replaced; a
// symbolic link in the way is refused, never followed; the tree file itself
// is never written (an item meeting its name takes the next number).
// `progress` is told (done, total items) after each item. False when a file
// or folder could not be written; `result` says which and why.
bool ExportDocument(QvrDocument &document, const QString &dir, TextFormat format,
                    const std::function<void(qsizetype, qsizetype)> &progress,
                    ExportResult *result);
