#include "QvrDocument.h"

#include "store/Loader.h"
#include "store/MasterChoice.h"

#include <QFileInfo>

bool QvrDocument::open(const QString &path, QString *error)
{
    if (!m_work.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        *error = QFileInfo::exists(path) ? QStringLiteral("not a file")
                                         : QStringLiteral("no such file");
        return false;
    }
    doc.workFolder = m_work.path() + QLatin1Char('/');
    doc.master.setPath(m_work.filePath(MasterFileName(0)));
    doc.ui = &messages;
    doc.expandOnLoad = false; // nothing is shown
    doc.progress = [](qsizetype done, qsizetype total) {
        if (total >= 50000 && done % (total / 10) == 0)
            fprintf(stderr, "loading: %lld of %lld nodes\n", static_cast<long long>(done),
                    static_cast<long long>(total));
    };
    const bool failed = OpenTreeFile(&tree, nullptr, doc, path) != OpenResult::Opened;
    loadMessages = messages.texts;
    if (failed) {
        *error = loadMessages.isEmpty() ? QStringLiteral("cannot open the document")
                                        : loadMessages.last();
        return false;
    }
    return true;
}
