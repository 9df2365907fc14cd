#pragma once
#include <QString>
#include <memory>

class QLockFile;

// Marks a document as open in this running copy, so that another copy
// opening it too can say so. One lock lives in a per-user place that does
// not depend on the program's folder, named by a hash of the document's
// canonical path; another beside the document when its folder is writable,
// for copies run by other users or from elsewhere.
class DocumentLock
{
public:
    DocumentLock();
    ~DocumentLock();
    // Whether a running copy (another one, or another window) holds the document.
    static bool HeldElsewhere(const QString &path);
    // Takes the locks of `path`, giving up those of the previous document.
    void take(const QString &path);
    void release();

private:
    std::unique_ptr<QLockFile> m_user;
    std::unique_ptr<QLockFile> m_beside;
};
