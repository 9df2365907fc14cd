#pragma once
#include "settings/Messages.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

class QWidget;

// The answer to the question about work left by copies that ended without
// closing: which entry, and what to do with it.
struct RecoveryAnswer
{
    enum Action { Recover, Discard, Later };
    Action action = Later;
    int row = -1;
};

// Every message box, question and file dialog of the program goes through
// this one interface, so tests can read every text and answer every question.
class Dialogs : public SettingsDialogs
{
public:
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
    // Lists the left work (one entry a line) with Recover, Discard and Later.
    virtual RecoveryAnswer askRecovery(const QString &caption, const QString &text,
                                       const QStringList &entries) = 0;
};

// The real dialogs, owned by a window.
class WidgetDialogs : public Dialogs
{
public:
    explicit WidgetDialogs(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    void showMessage(const QString &text) override;
    MsgButton messageBox(const QString &caption, const QString &text, MsgIcon icon,
                         MsgButtons buttons) override;
    void errorDialog(const QString &text) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    RecoveryAnswer askRecovery(const QString &caption, const QString &text,
                               const QStringList &entries) override; // RecoveryDialog.cpp

private:
    QWidget *m_owner;
};

// Scripted dialogs for tests: records what was shown and answers from queues.
// A question or file dialog without a scripted answer is recorded as
// unanswered and answered with Cancel, so a test never blocks.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message", "box", "error", "open", "save"
        QString caption;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons;
    };

    void showMessage(const QString &text) override;
    MsgButton messageBox(const QString &caption, const QString &text, MsgIcon icon,
                         MsgButtons buttons) override;
    void errorDialog(const QString &text) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    // Recorded as kind "recovery", the entries as lines after the text.
    RecoveryAnswer askRecovery(const QString &caption, const QString &text,
                               const QStringList &entries) override;

    QList<Shown> shown;
    QQueue<RecoveryAnswer> recoveryAnswers; // none left: Later
    QQueue<MsgButton> answers;
    QQueue<QString> fileAnswers; // an empty string cancels
    QList<FileDialogRequest> fileRequests;
    int unanswered = 0;

    QStringList texts() const;
    void clear();
};
