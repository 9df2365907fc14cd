#pragma once
#include "store/DocState.h"
#include "store/Messages.h"
#include "store/NodeOps.h"

#include <optional>

// One change to the master file: remembers the content before the change
// and writes after it. A failed write puts the content back, so memory keeps
// matching the file, which the atomic write left whole.
class MasterEdit
{
public:
    enum class Undo {
        Snapshot, // keep a shared copy of the content (cheap until changed)
        Reload,   // keep nothing; read the file again on failure. For changes
                  // whose memory-only leftovers are harmless (new item text).
    };

    explicit MasterEdit(DocState &doc, Undo undo = Undo::Snapshot) : m_doc(doc)
    {
        if (undo == Undo::Snapshot)
            m_before.emplace(doc.master);
    }

    // Writes the changed content. On failure restores the old content, tells
    // the user (`message` builds the text from path and reason) and answers false.
    bool commit(QString (*message)(const QString &, const QString &) = WriteFailedMessage)
    {
        QString error;
        if (m_doc.master.save(&error))
            return true;
        if (m_before)
            m_doc.master = *m_before;
        else
            m_doc.master.load();
        if (m_doc.ui)
            m_doc.ui->showMessage(message(m_doc.masterPath(), error));
        return false;
    }

private:
    DocState &m_doc;
    std::optional<MasterFile> m_before;
};

// A plain message box, when there is anyone to show it to.
inline void ShowPlain(DocState &doc, const QString &text)
{
    if (doc.ui)
        doc.ui->showMessage(text);
}
