#pragma once
#include <QColor>
#include <QDialog>
#include <functional>

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTextEdit;
class SettingsDialogs;

// The options dialog: start-up file, password, fonts and colours, one page
// each. The page being left, and the page active when the dialog closes,
// is saved or discarded, after a question unless OK was pressed. Closing
// applies the explorer's font and the panels' colours to `tree` and `edit`.
class TFOptions : public QDialog
{
    Q_OBJECT
public:
    TFOptions(SettingsDialogs &dialogs, QWidget *tree, QWidget *edit, QWidget *parent = nullptr);

    // The font and colour choosers; tests put their own. True when the user
    // confirmed a change.
    std::function<bool(QFont &)> chooseFont;
    std::function<bool(QColor &)> chooseColor;

    // Size, " pt ", face, then " Bold", " Italic", " Underline", " Strikeout".
    static QString GetFontString(const QFont &font);

    // Shows page `index` after settling the page being left, as a click on
    // its tab does; false when the page stays.
    bool selectPage(int index);

    bool ProcessOptionsStartupFile(bool fromOK);
    bool ProcessOptionsPassword(bool fromOK);
    bool ProcessOptionsFonts(bool fromOK);
    bool ProcessOptionsColors(bool fromOK);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr;
    QPushButton *btnRestore = nullptr, *btnOK = nullptr, *btnCancel = nullptr;
    // Startup
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr;
    QLineEdit *txtFilePath = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *lblInfo = nullptr;
    QSpinBox *spnBackups = nullptr;
    // Password
    QLabel *lblGen = nullptr, *lblOldPassword = nullptr, *lblRemovePassword = nullptr;
    QLineEdit *txtOldPassword = nullptr, *txtNewPassword = nullptr, *txtConfirmPassword = nullptr;
    // Fonts: samples, and hidden labels holding the fonts as last loaded or saved
    QLabel *pnlFontTree = nullptr, *pnlFontEdit = nullptr, *lblFontTree = nullptr, *lblFontEdit = nullptr;
    QPushButton *btnFontTree = nullptr, *btnFontEdit = nullptr;
    QPushButton *btnFontTreeColor = nullptr, *btnFontEditColor = nullptr;
    // Colors
    QFrame *pnlColorTree = nullptr;
    QTextEdit *pnlColorEdit = nullptr;
    QPushButton *Button3 = nullptr, *btnColorEdit = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *CreateStartupPage();
    QWidget *CreatePasswordPage();
    QWidget *CreateFontsPage();
    QWidget *CreateColorsPage();
    bool ProcessPage(QWidget *page, bool fromOK, bool changed, const QString &question,
                     const std::function<bool()> &save, const std::function<void()> &onNo);
    bool FormCloseQuery();
    void FormClose();
    void PageControl1Change(int index);
    void btnOKClick();
    void btnRestoreClick();

    void SetStartupFileControls();
    void StartupRadioClick(int option);
    int GetOptionsStartupFileOption() const;
    bool IsOptionStartupFileChanged() const;
    bool QuivoraFileExists(const QString &path);
    void SaveStartupFileOptions(int option, const QString &path, int backups);
    void Button1Click();

    void SetPasswordControls();
    void GetOptionsPasswordFromForm(QString *oldPwd, QString *newPwd, QString *confirm) const;
    bool IsOptionPasswordChanged() const;
    bool ValidatePasswords(const QString &oldPwd, const QString &newPwd, const QString &confirm);
    void SetPassword(const QString &password);
    void FocusIfPossible(QWidget *edit);

    void SetFontsControls();
    bool IsOptionFontsChanged() const;
    void SaveFontOptions();
    void ChooseSampleFont(QLabel *sample);
    void ChooseSampleTextColor(QLabel *sample);

    void SetColorsControls();
    bool IsOptionColorsChanged() const;
    void SaveColorOptions();

    SettingsDialogs &m_dialogs;
    QWidget *m_tree;
    QWidget *m_edit;
    QButtonGroup *m_startupGroup = nullptr;
    bool DefaultsRestored = false;
    int SavedStartupOption = 1;
    QString SavedStartupPath;
    int SavedBackups = 3;
    QString CurrentPassword; // the stored hash; empty for none
    QColor EditColorAtOpen, TreeColorAtOpen;
};
