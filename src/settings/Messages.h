#pragma once
#include <QFlags>
#include <QString>

// What the document store and the settings dialogs need to tell or ask the
// user. The shell's dialog interface extends it; tests and the command-line
// tool give their own.
enum class MsgIcon { None, Information, Question, Warning, Error };

enum class MsgButton { None = 0, Ok = 1, Yes = 2, No = 4, Cancel = 8 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

class UserMessages
{
public:
    virtual ~UserMessages() = default;
    // A plain message box: the application title, the text and an OK button.
    virtual void showMessage(const QString &text) = 0;
    // A message box with its own caption, icon and buttons; answers the button pressed
    // (Cancel, or No when there is no Cancel, when the box is closed otherwise).
    virtual MsgButton messageBox(const QString &caption, const QString &text, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // The framework's error dialog: the text and one OK button.
    virtual void errorDialog(const QString &text) = 0;
};

// What a file dialog is opened with.
struct FileDialogRequest
{
    QString caption;
    QString folder;        // the initial folder
    QString fileName;      // the name shown when it opens
    QString filter;        // "Quivora files (*.qvr)"
    QString defaultSuffix; // added to a name typed without one
    bool mustExist = false;
};

// The messages and the one file choice of the options dialog and the
// password prompt; the shell's Dialogs gives them.
class SettingsDialogs : public UserMessages
{
public:
    // The chosen path; empty when the dialog was cancelled.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
};
