#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

class QLockFile;

// Work a copy of the program left behind: a master file whose copy is gone
// (its lock stale or missing) and whose content differs from its document.
struct LeftWork
{
    QString master;    // the master file in the work folder
    QString document;  // the document it belongs to; empty for a new document
    QString title;     // the document's title as it was shown
    QDateTime changed; // the last change to the master file or its journal
    std::shared_ptr<QLockFile> lock; // held by this copy while it decides
};

// The record beside a master file of the document it holds.
QString OwnerPath(const QString &masterPath);
void WriteOwner(const QString &masterPath, const QString &document, const QString &title);

// Finds the work left in the work folder, except `ownMaster`. A left master
// file that equals its document on disk (for a new document: the template,
// its two dates aside) holds nothing and is deleted here.
QList<LeftWork> FindLeftWork(const QString &workFolder, const QString &ownMaster);
// The left master file's content with its journal applied.
QByteArray LeftWorkContent(const LeftWork &work);
// Deletes the master file, its journal and its record, then its lock.
void DeleteLeftWork(LeftWork &work);
// Keeps the files for the next start, unlocked, with a record of the document.
void KeepLeftWork(LeftWork &work);
