#pragma once
#include "store/FileStamp.h"
#include "store/MasterFile.h"

#include <QString>
#include <future>

// The file named at start-up, read and checked on a second thread while the
// window is made and painted, so that opening it need not wait for the disk
// then. Nothing of the document is touched there: the opening happens in its
// turn and takes the content only while the file is still the one read.
class ReadAhead
{
public:
    ReadAhead() = default;
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;
    ~ReadAhead() { wait(); }

    void start(const QString &path, int maxDepth);
    // Until the reading has ended.
    void wait() const;
    // The content of `path` and why it cannot be opened (empty: it can), when
    // it was read ahead and its size, time and inode are still those seen
    // before the reading. False otherwise: the caller reads the file itself.
    bool take(const QString &path, MasterFile *content, QString *problem);

private:
    struct Result
    {
        bool read = false;
        FileStamp before;
        MasterFile content;
        QString problem;
    };
    QString m_path;
    std::future<Result> m_result;
};
