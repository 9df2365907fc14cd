#pragma once
#include "store/DocState.h"
#include "store/Journal.h"
#include "store/Messages.h"
#include "store/NodeOps.h"

// One change to the master file: remembers the content before the change
// and writes after it. A failed write puts the content back, so memory keeps
// matching the file, which the atomic write left whole.
class MasterEdit
{
public:
    // The copy is shared with the content until the change touches it, so
    // keeping it costs little.
    explicit MasterEdit(DocState &doc) : m_doc(doc), m_before(doc.master) {}

    // Writes the changed content. On failure restores the old content, tells
    // the user (`message` builds the text from path and reason) and answers false.
    bool commit(QString (*message)(const QString &, const QString &) = WriteFailedMessage)
    {
        QString error;
        if (commitQuietly(&error))
            return true;
        if (m_doc.ui)
            m_doc.ui->showMessage(message(m_doc.masterPath(), error));
        return false;
    }

    // Puts back the content as it was before the change, without writing.
    void rollback() { m_doc.master = m_before; }

    // The same, telling no one: a failure only answers the reason.
    bool commitQuietly(QString *error)
    {
        if (m_doc.master.save(error)) {
            // The whole file now holds what the journal held.
            if (m_doc.journalPending)
                EmptyJournal(m_doc.masterPath());
            m_doc.journalPending = false;
            return true;
        }
        m_doc.master = m_before;
        return false;
    }

private:
    DocState &m_doc;
    MasterFile m_before;
};

// Sets Busy for the life of one operation, however it ends.
struct BusyScope
{
    explicit BusyScope(DocState &d) : doc(d) { doc.busy = true; }
    ~BusyScope() { doc.busy = false; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;
    DocState &doc;
};

// A plain message box, when there is anyone to show it to.
inline void ShowPlain(DocState &doc, const QString &text)
{
    if (doc.ui)
        doc.ui->showMessage(text);
}
