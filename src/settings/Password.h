#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class SettingsDialogs;

// The start-up password. "Options" "Pwd" holds a salted, iterated hash
// ("pbkdf2-sha256$rounds$salt$digest", base64), never the password itself:
// anyone who can read the settings must not learn a password people reuse.
// It guards the program's start; tree files are not encrypted.

// The stored form of `password`; the empty text for no password.
QString HashPassword(const QString &password);
// True when `password` is the one `stored` was made from; exact comparison.
// A stored text that is not a hash of ours matches nothing.
bool PasswordMatches(const QString &stored, const QString &password);
// The stored hash; empty when the program is not protected.
QString GetPassword();
bool IsPasswordProtected();
// The rounds new hashes take; tests make them cheap.
int &PasswordHashRounds();

// The prompt asked before any window of the program exists.
class TfrmPassword : public QDialog
{
    Q_OBJECT
public:
    TfrmPassword(SettingsDialogs &dialogs, QWidget *parent = nullptr);
    bool passwordOk() const { return m_passwordOk; }

    QLabel *lblInfo = nullptr;
    QLabel *lblInfo2 = nullptr;
    QLabel *imgLock = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

private:
    void OKBtnClick();

    SettingsDialogs &m_dialogs;
    QString m_expectedPassword; // the stored hash
    bool m_passwordOk = false;
};

// The start-up gate: true when no password is stored or the right one was
// typed; false when the prompt was cancelled or closed.
bool AskPassword(SettingsDialogs &dialogs);

// Makes a line edit show "*" for every character, as the prompt and the
// options dialog's password edits do.
void ShowStarsFor(QLineEdit *edit);
