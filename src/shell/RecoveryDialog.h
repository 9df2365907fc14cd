#pragma once
#include "shell/Dialogs.h"

#include <QDialog>

class QListWidget;

// The list of work left by copies that ended without closing, with
// "Recover", "Discard" and "Later". The first entry starts selected.
class TRecoveryDialog : public QDialog
{
    Q_OBJECT
public:
    TRecoveryDialog(const QString &caption, const QString &text, const QStringList &entries,
                    QWidget *parent = nullptr);
    RecoveryAnswer answer() const { return m_answer; }

private:
    void finish(RecoveryAnswer::Action action);

    QListWidget *lstWork = nullptr;
    RecoveryAnswer m_answer;
};
