#include "settings/Options.h"

#include "settings/DialogFolder.h"
#include "settings/FontFallback.h"
#include "settings/Messages.h"
#include "settings/Password.h"
#include "settings/Product.h"
#include "settings/Registry.h"
#include "settings/SettingsTable.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

using settings::FontProperty;
using settings::Setting;

namespace {

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLineEdit *MakePasswordEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    ShowStarsFor(edit);
    return edit;
}

QLabel *PagePicture(QWidget *parent, const char *name, QStyle::StandardPixmap which)
{
    QLabel *image = MakeLabel(parent, name);
    image->setPixmap(parent->style()->standardIcon(which).pixmap(32, 32));
    return image;
}

// Blanks and control characters at either end go.
QString TrimControls(const QString &text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && text[from] <= QLatin1Char(' '))
        ++from;
    while (to > from && text[to - 1] <= QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

QColor TextColorOf(const QWidget *w) { return w->palette().color(QPalette::WindowText); }

void SetSample(QLabel *sample, const QFont &font, const QColor &color)
{
    sample->setFont(font);
    QPalette p = sample->palette();
    p.setColor(QPalette::WindowText, color);
    sample->setPalette(p);
    sample->setText(QLatin1Char(' ') + TFOptions::GetFontString(font));
}

void CopySample(QLabel *to, const QLabel *from) { SetSample(to, from->font(), TextColorOf(from)); }

// Faces compare by their stored names: a face that is not installed stays
// the same name however it renders.
bool IsFontTheSame(const QLabel *a, const QLabel *b)
{
    const QFont &fa = a->font(), &fb = b->font();
    return TextColorOf(a) == TextColorOf(b) && fa.family() == fb.family() && fa.pointSize() == fb.pointSize()
           && fa.bold() == fb.bold() && fa.italic() == fb.italic() && fa.underline() == fb.underline()
           && fa.strikeOut() == fb.strikeOut();
}

QColor BackgroundOf(const QWidget *w, QPalette::ColorRole role) { return w->palette().color(role); }

void SetBackground(QWidget *w, QPalette::ColorRole role, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(role, color);
    w->setPalette(p);
}

bool SameStyle(const QFont &a, const QFont &b)
{
    return a.family() == b.family() && a.pointSize() == b.pointSize() && a.bold() == b.bold()
           && a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut();
}

} // namespace

TFOptions::TFOptions(SettingsDialogs &dialogs, QWidget *tree, QWidget *edit, QWidget *parent)
    : QDialog(parent), m_dialogs(dialogs), m_tree(tree), m_edit(edit)
{
    setObjectName(QStringLiteral("FOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    chooseFont = [this](QFont &font) {
        QFontDialog dialog(font, this);
        // The stored face may not be installed: the dialog shows a stand-in,
        // and confirming that unchanged must leave the sample as it was.
        const QFont shown = dialog.currentFont();
        if (dialog.exec() != QDialog::Accepted || SameStyle(dialog.selectedFont(), shown))
            return false;
        font = dialog.selectedFont();
        return true;
    };
    chooseColor = [this](QColor &color) {
        const QColor chosen = QColorDialog::getColor(color, this);
        if (!chosen.isValid() || chosen == color)
            return false;
        color = chosen;
        return true;
    };

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(CreateStartupPage(), QStringLiteral("Startup"));
    PageControl1->addTab(CreatePasswordPage(), QStringLiteral("Password"));
    PageControl1->addTab(CreateFontsPage(), QStringLiteral("Fonts"));
    PageControl1->addTab(CreateColorsPage(), QStringLiteral("Colors"));
    // A tab widget cannot refuse a change of page: the page being left is
    // settled before the tab bar or a key gets to change it.
    PageControl1->tabBar()->installEventFilter(this);
    PageControl1->installEventFilter(this);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFOptions::PageControl1Change);

    btnRestore = MakeButton(this, "btnRestore", QStringLiteral("Restore Defaults"));
    btnOK = MakeButton(this, "btnOK", QStringLiteral("OK"));
    btnCancel = MakeButton(this, "btnCancel", QStringLiteral("Cancel"));
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    btnRestore->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnRestore);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    setMinimumSize(427, 300);
    setSizeGripEnabled(false);
    connect(btnOK, &QPushButton::clicked, this, &TFOptions::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFOptions::reject);
    connect(btnRestore, &QPushButton::clicked, this, &TFOptions::btnRestoreClick);

    // FormCreate
    DefaultsRestored = false;
    SetStartupFileControls();
    SetPasswordControls();
    SetFontsControls();
    SetColorsControls();
    PageControl1->setCurrentIndex(0);
}

QWidget *TFOptions::CreateStartupPage()
{
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *grid = new QGridLayout(TabSheet1);
    grid->addWidget(PagePicture(TabSheet1, "imgStartup", QStyle::SP_DirHomeIcon), 0, 0);
    grid->addWidget(
        MakeLabel(TabSheet1, "Label1", QStringLiteral("You can change which file to load on startup of the program. ")),
        0, 1, 1, 2);
    RadioButton1 = new QRadioButton(QStringLiteral("New file"), TabSheet1);
    RadioButton2 = new QRadioButton(QStringLiteral("Most recently used file"), TabSheet1);
    RadioButton3 = new QRadioButton(QStringLiteral("Specific file"), TabSheet1);
    m_startupGroup = new QButtonGroup(this);
    int option = 1;
    for (QRadioButton *b : {RadioButton1, RadioButton2, RadioButton3}) {
        b->setObjectName(QStringLiteral("RadioButton%1").arg(option));
        m_startupGroup->addButton(b, option);
        grid->addWidget(b, option, 1, 1, 2);
        // The program's own selections run the handlers as the user's do.
        connect(b, &QRadioButton::toggled, this, [this, option](bool on) {
            if (on)
                StartupRadioClick(option);
        });
        ++option;
    }
    txtFilePath = new QLineEdit(TabSheet1);
    txtFilePath->setObjectName(QStringLiteral("txtFilePath"));
    Button1 = MakeButton(TabSheet1, "Button1", QStringLiteral("..."));
    Button1->setFixedWidth(24);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TFOptions::Button1Click);
    grid->addWidget(txtFilePath, 4, 1);
    grid->addWidget(Button1, 4, 2);
    lblInfo = MakeLabel(TabSheet1, "lblInfo");
    lblInfo->setWordWrap(true);
    grid->addWidget(lblInfo, 5, 1, 1, 2);
    auto *backups = new QHBoxLayout;
    backups->addWidget(MakeLabel(TabSheet1, "lblBackups", QStringLiteral("Previous versions kept by Save:")));
    spnBackups = new QSpinBox(TabSheet1);
    spnBackups->setObjectName(QStringLiteral("spnBackups"));
    spnBackups->setRange(0, 9);
    backups->addWidget(spnBackups);
    backups->addStretch();
    grid->addLayout(backups, 6, 1, 1, 2);
    grid->setRowStretch(7, 1);
    return TabSheet1;
}

QWidget *TFOptions::CreatePasswordPage()
{
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *grid = new QGridLayout(TabSheet2);
    grid->addWidget(PagePicture(TabSheet2, "imgLock", QStyle::SP_MessageBoxWarning), 0, 0);
    lblGen = MakeLabel(TabSheet2, "lblGen");
    grid->addWidget(lblGen, 0, 1, 1, 2);
    lblOldPassword = MakeLabel(TabSheet2, "lblOldPassword", QStringLiteral("Old Password"));
    txtOldPassword = MakePasswordEdit(TabSheet2, "txtOldPassword");
    txtNewPassword = MakePasswordEdit(TabSheet2, "txtNewPassword");
    txtConfirmPassword = MakePasswordEdit(TabSheet2, "txtConfirmPassword");
    grid->addWidget(lblOldPassword, 1, 1);
    grid->addWidget(txtOldPassword, 1, 2);
    grid->addWidget(MakeLabel(TabSheet2, "Label2", QStringLiteral("New Password")), 2, 1);
    grid->addWidget(txtNewPassword, 2, 2);
    grid->addWidget(MakeLabel(TabSheet2, "Label3", QStringLiteral("Confirm Password")), 3, 1);
    grid->addWidget(txtConfirmPassword, 3, 2);
    lblRemovePassword = MakeLabel(
        TabSheet2, "lblRemovePassword",
        QStringLiteral("To remove password, enter old password and leave other fields blank."));
    lblRemovePassword->setWordWrap(true);
    grid->addWidget(lblRemovePassword, 4, 1, 1, 2);
    grid->setRowStretch(5, 1);
    return TabSheet2;
}

QWidget *TFOptions::CreateFontsPage()
{
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    auto *grid = new QGridLayout(TabSheet3);
    grid->addWidget(PagePicture(TabSheet3, "imgFonts", QStyle::SP_FileDialogDetailedView), 0, 0);
    grid->addWidget(MakeLabel(TabSheet3, "lblFonts1", QStringLiteral("You can customize fonts used by the program. ")),
                    0, 1, 1, 3);
    const auto addSet = [&](int row, const char *caption, const QString &text, QLabel *&sample, const char *sampleName,
                            QLabel *&hidden, const char *hiddenName, QPushButton *&fontButton, const char *fontName,
                            const QString &fontText, QPushButton *&colorButton, const char *colorName) {
        grid->addWidget(MakeLabel(TabSheet3, caption, text), row, 1, 1, 3);
        sample = MakeLabel(TabSheet3, sampleName);
        sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sample->setFixedSize(221, 28);
        sample->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        hidden = MakeLabel(TabSheet3, hiddenName);
        hidden->hide();
        fontButton = MakeButton(TabSheet3, fontName, fontText);
        // The font dialog has no colour: the text colour has a button of its own.
        colorButton = MakeButton(TabSheet3, colorName, QStringLiteral("Colo&r ..."));
        grid->addWidget(sample, row + 1, 1);
        grid->addWidget(fontButton, row + 1, 2);
        grid->addWidget(colorButton, row + 1, 3);
    };
    addSet(1, "Label4", QStringLiteral("Explorer (left side panel)"), pnlFontTree, "pnlFontTree", lblFontTree,
           "lblFontTree", btnFontTree, "btnFontTree", QStringLiteral("Choose &Font ..."), btnFontTreeColor,
           "btnFontTreeColor");
    addSet(3, "lblFonts2", QStringLiteral("Editor (right side panel) - fonts used when creating new item"),
           pnlFontEdit, "pnlFontEdit", lblFontEdit, "lblFontEdit", btnFontEdit, "btnFontEdit",
           QStringLiteral("&Choose Font ..."), btnFontEditColor, "btnFontEditColor");
    btnFontEditColor->setText(QStringLiteral("C&olor ...")); // a mnemonic of its own
    grid->setRowStretch(5, 1);
    connect(btnFontTree, &QPushButton::clicked, this, [this] { ChooseSampleFont(pnlFontTree); });
    connect(btnFontEdit, &QPushButton::clicked, this, [this] { ChooseSampleFont(pnlFontEdit); });
    connect(btnFontTreeColor, &QPushButton::clicked, this, [this] { ChooseSampleTextColor(pnlFontTree); });
    connect(btnFontEditColor, &QPushButton::clicked, this, [this] { ChooseSampleTextColor(pnlFontEdit); });
    return TabSheet3;
}

QWidget *TFOptions::CreateColorsPage()
{
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    auto *grid = new QGridLayout(TabSheet4);
    grid->addWidget(PagePicture(TabSheet4, "imgColors", QStyle::SP_DesktopIcon), 0, 0);
    grid->addWidget(
        MakeLabel(TabSheet4, "Label5", QStringLiteral("You can select background colors for Explorer and Editor. ")),
        0, 1, 1, 2);
    grid->addWidget(MakeLabel(TabSheet4, "lblColorTree", QStringLiteral("Explorer (left side panel)")), 1, 1, 1, 2);
    pnlColorTree = new QFrame(TabSheet4);
    pnlColorTree->setObjectName(QStringLiteral("pnlColorTree"));
    pnlColorTree->setFrameStyle(QFrame::Box | QFrame::Plain);
    pnlColorTree->setAutoFillBackground(true);
    pnlColorTree->setFixedSize(221, 28);
    Button3 = MakeButton(TabSheet4, "Button3", QStringLiteral("C&hoose Color ..."));
    grid->addWidget(pnlColorTree, 2, 1);
    grid->addWidget(Button3, 2, 2);
    grid->addWidget(MakeLabel(TabSheet4, "lblColorEditor", QStringLiteral("Editor (right side panel)")), 3, 1, 1, 2);
    pnlColorEdit = new QTextEdit(TabSheet4);
    pnlColorEdit->setObjectName(QStringLiteral("pnlColorEdit"));
    pnlColorEdit->setReadOnly(true);
    pnlColorEdit->setFocusPolicy(Qt::NoFocus); // skipped by Tab
    pnlColorEdit->setFixedSize(221, 28);
    pnlColorEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnColorEdit = MakeButton(TabSheet4, "btnColorEdit", QStringLiteral("&Choose Color ..."));
    grid->addWidget(pnlColorEdit, 4, 1);
    grid->addWidget(btnColorEdit, 4, 2);
    grid->setRowStretch(5, 1);
    const auto choose = [this](QWidget *sample, QPalette::ColorRole role) {
        QColor color = BackgroundOf(sample, role);
        if (chooseColor(color))
            SetBackground(sample, role, color);
    };
    connect(Button3, &QPushButton::clicked, this, [this, choose] { choose(pnlColorTree, QPalette::Window); });
    connect(btnColorEdit, &QPushButton::clicked, this, [this, choose] { choose(pnlColorEdit, QPalette::Base); });
    return TabSheet4;
}

QString TFOptions::GetFontString(const QFont &font)
{
    QString s = QString::number(font.pointSize()) + QStringLiteral(" pt ") + font.family();
    if (font.bold())
        s += QStringLiteral(" Bold");
    if (font.italic())
        s += QStringLiteral(" Italic");
    if (font.underline())
        s += QStringLiteral(" Underline");
    if (font.strikeOut())
        s += QStringLiteral(" Strikeout");
    return s;
}

// ---- page flow

bool TFOptions::ProcessPage(QWidget *page, bool fromOK, bool changed, const QString &question,
                            const std::function<bool()> &save, const std::function<void()> &onNo)
{
    if (PageControl1->currentWidget() != page || !changed)
        return true;
    MsgButton answer = MsgButton::Yes;
    if (!fromOK)
        answer = m_dialogs.messageBox(ProductName(), question, MsgIcon::Question,
                                      MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    if (answer == MsgButton::Yes)
        return save();
    if (answer == MsgButton::No) {
        onNo();
        return true;
    }
    return false;
}

bool TFOptions::ProcessOptionsStartupFile(bool fromOK)
{
    return ProcessPage(
        TabSheet1, fromOK, IsOptionStartupFileChanged(),
        QStringLiteral("Do you want to save changes to startup file option?"),
        [this] {
            const int option = GetOptionsStartupFileOption();
            const QString path = TrimControls(txtFilePath->text());
            if (option == 3 && !QuivoraFileExists(path))
                return false;
            SaveStartupFileOptions(option, path, spnBackups->value());
            return true;
        },
        [this] {
            txtFilePath->setText(SavedStartupPath);
            m_startupGroup->button(SavedStartupOption)->setChecked(true);
            spnBackups->setValue(SavedBackups);
        });
}

bool TFOptions::ProcessOptionsPassword(bool fromOK)
{
    return ProcessPage(
        TabSheet2, fromOK, IsOptionPasswordChanged(),
        QStringLiteral("Do you want to save changes to your password?"),
        [this] {
            QString oldPwd, newPwd, confirm;
            GetOptionsPasswordFromForm(&oldPwd, &newPwd, &confirm);
            if (!ValidatePasswords(oldPwd, newPwd, confirm))
                return false;
            SetPassword(newPwd);
            return true;
        },
        [] {});
}

bool TFOptions::ProcessOptionsFonts(bool fromOK)
{
    return ProcessPage(
        TabSheet3, fromOK, IsOptionFontsChanged(),
        QStringLiteral("Do you want to save changes to fonts used by the program?"),
        [this] {
            SaveFontOptions();
            return true;
        },
        [this] {
            CopySample(pnlFontTree, lblFontTree);
            CopySample(pnlFontEdit, lblFontEdit);
        });
}

bool TFOptions::ProcessOptionsColors(bool fromOK)
{
    return ProcessPage(
        TabSheet4, fromOK, IsOptionColorsChanged(),
        QStringLiteral("Do you want to save changes to colors used by the program?"),
        [this] {
            SaveColorOptions();
            return true;
        },
        [this] {
            SetBackground(pnlColorEdit, QPalette::Base, EditColor());
            SetBackground(pnlColorTree, QPalette::Window, TreeColor());
        });
}

bool TFOptions::selectPage(int index)
{
    if (index < 0 || index >= PageControl1->count() || index == PageControl1->currentIndex())
        return true;
    // PageControl1Changing: only the active page can hold changes.
    if (!FormCloseQuery())
        return false;
    PageControl1->setCurrentIndex(index);
    return true;
}

bool TFOptions::eventFilter(QObject *watched, QEvent *event)
{
    QTabBar *bar = PageControl1 ? PageControl1->tabBar() : nullptr;
    const int current = PageControl1 ? PageControl1->currentIndex() : 0;
    if (bar && watched == bar) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const int index = bar->tabAt(mouse->position().toPoint());
            if (mouse->button() != Qt::LeftButton || index < 0 || index == current)
                return false;
            selectPage(index);
            return true;
        }
        if (event->type() == QEvent::Wheel)
            return true;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            int index = -1;
            if (key == Qt::Key_Left || key == Qt::Key_Up)
                index = current - 1;
            else if (key == Qt::Key_Right || key == Qt::Key_Down)
                index = current + 1;
            else if (key == Qt::Key_Home)
                index = 0;
            else if (key == Qt::Key_End)
                index = bar->count() - 1;
            if (index < 0)
                return false;
            selectPage(qBound(0, index, bar->count() - 1));
            return true;
        }
    }
    if (watched == PageControl1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        int step = 0;
        if (ctrl && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_PageDown))
            step = 1;
        else if (ctrl && (key->key() == Qt::Key_Backtab || key->key() == Qt::Key_PageUp))
            step = -1;
        if (step != 0) {
            selectPage((current + step + PageControl1->count()) % PageControl1->count());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFOptions::PageControl1Change(int index)
{
    if (PageControl1->widget(index) != TabSheet2)
        return;
    SetPasswordControls();
    txtOldPassword->clear();
    txtNewPassword->clear();
    txtConfirmPassword->clear();
}

bool TFOptions::FormCloseQuery()
{
    return ProcessOptionsStartupFile(false) && ProcessOptionsPassword(false) && ProcessOptionsFonts(false)
           && ProcessOptionsColors(false);
}

void TFOptions::btnOKClick()
{
    if (!ProcessOptionsStartupFile(true) || !ProcessOptionsPassword(true) || !ProcessOptionsFonts(true)
        || !ProcessOptionsColors(true))
        return;
    if (!FormCloseQuery())
        return;
    FormClose();
    accept();
}

// Cancel, Esc and the close box all come here.
void TFOptions::reject()
{
    if (!FormCloseQuery())
        return;
    FormClose();
    QDialog::reject();
}

void TFOptions::FormClose()
{
    if (m_tree) {
        m_tree->setFont(pnlFontTree->font());
        SetBackground(m_tree, QPalette::Text, TextColorOf(pnlFontTree));
        if (TreeColor() != TreeColorAtOpen || DefaultsRestored)
            SetBackground(m_tree, QPalette::Base, TreeColor());
    }
    // The editor keeps its font: the new one is for items created later.
    if (m_edit && (EditColor() != EditColorAtOpen || DefaultsRestored))
        SetBackground(m_edit, QPalette::Base, EditColor());
}

void TFOptions::btnRestoreClick()
{
    DefaultsRestored = true;
    SaveStartupFileOptions(1, QString(), 3);
    settings::WriteText(Setting::Pwd, QString());
    for (bool editor : {true, false}) {
        settings::WriteText(settings::FontSetting(editor, FontProperty::Name), QStringLiteral("MS Sans Serif"));
        settings::WriteInt(settings::FontSetting(editor, FontProperty::Size), 8);
        settings::WriteInt(settings::FontSetting(editor, FontProperty::Color), 0);
        settings::WriteFlag(settings::FontSetting(editor, FontProperty::Bold), false);
        settings::WriteFlag(settings::FontSetting(editor, FontProperty::Italic), false);
    }
    EditColor() = TreeColor() = QColor(Qt::white);
    settings::WriteColor(Setting::EditBackground, EditColor());
    settings::WriteColor(Setting::TreeBackground, TreeColor());
    SetStartupFileControls();
    SetPasswordControls();
    SetFontsControls();
    SetColorsControls();
}

// ---- Startup page

void TFOptions::SetStartupFileControls()
{
    lblInfo->setText(QStringLiteral("Type in full path of the file you want to be opened automatically ")
                     + QStringLiteral("on startup, or click the button on the right side of the text box to ")
                     + QStringLiteral("select that file."));
    const QString option = GetStartupFileOption();
    SavedStartupOption = option == QLatin1String("2") ? 2 : option == QLatin1String("3") ? 3 : 1;
    SavedStartupPath.clear();
    if (SavedStartupOption == 3) {
        SavedStartupPath = settings::ReadText(Setting::StartupFilePath);
        if (SavedStartupPath.isEmpty())
            SavedStartupOption = 1;
        txtFilePath->setText(SavedStartupPath);
    }
    SavedBackups = settings::ReadInt(Setting::Backups);
    if (SavedBackups < 0 || SavedBackups > 9)
        SavedBackups = 3;
    spnBackups->setValue(SavedBackups);
    m_startupGroup->button(SavedStartupOption)->setChecked(true);
    StartupRadioClick(SavedStartupOption);
}

void TFOptions::StartupRadioClick(int option)
{
    lblInfo->setVisible(option == 3);
    Button1->setEnabled(option == 3);
    txtFilePath->setEnabled(option == 3);
    if (option != 3)
        txtFilePath->clear();
}

int TFOptions::GetOptionsStartupFileOption() const
{
    return RadioButton1->isChecked() ? 1 : RadioButton2->isChecked() ? 2 : 3;
}

bool TFOptions::IsOptionStartupFileChanged() const
{
    return GetOptionsStartupFileOption() != SavedStartupOption
           || TrimControls(txtFilePath->text()) != SavedStartupPath || spnBackups->value() != SavedBackups;
}

bool TFOptions::QuivoraFileExists(const QString &path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return true;
    m_dialogs.messageBox(ProductName(),
                         QStringLiteral("File '") + path + QStringLiteral("', specified as startup file, doesn't exist.\n")
                             + QStringLiteral("Make sure that entered file path is correct or select other startup file option."),
                         MsgIcon::Information, MsgButton::Ok);
    return false;
}

void TFOptions::SaveStartupFileOptions(int option, const QString &path, int backups)
{
    settings::WriteText(Setting::StartupFile, QString::number(option));
    settings::WriteText(Setting::StartupFilePath, path);
    settings::WriteInt(Setting::Backups, backups);
    SavedStartupOption = option;
    SavedStartupPath = path;
    SavedBackups = backups;
}

void TFOptions::Button1Click()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.folder = DialogStartFolder(TrimControls(txtFilePath->text()));
    request.filter = QStringLiteral("Quivora files (*.qvr)");
    request.mustExist = true;
    const QString chosen = m_dialogs.openFileName(request);
    if (chosen.isEmpty())
        return;
    RememberDialogFolder(chosen);
    txtFilePath->setText(QFileInfo(chosen).absoluteFilePath());
}

// ---- Password page

void TFOptions::SetPasswordControls()
{
    CurrentPassword = GetPassword();
    const bool stored = !CurrentPassword.isEmpty();
    lblGen->setText(stored ? QStringLiteral("You can change existing password.")
                           : QStringLiteral("You can make this program password protected."));
    for (QWidget *w : {static_cast<QWidget *>(lblOldPassword), static_cast<QWidget *>(txtOldPassword),
                       static_cast<QWidget *>(lblRemovePassword)})
        w->setVisible(stored);
    FocusIfPossible(stored ? txtOldPassword : txtNewPassword);
}

void TFOptions::FocusIfPossible(QWidget *edit)
{
    if (PageControl1->currentWidget() == TabSheet2 && !edit->isHidden() && edit->isEnabled())
        edit->setFocus();
}

void TFOptions::GetOptionsPasswordFromForm(QString *oldPwd, QString *newPwd, QString *confirm) const
{
    *oldPwd = TrimControls(txtOldPassword->text());
    *newPwd = TrimControls(txtNewPassword->text());
    *confirm = TrimControls(txtConfirmPassword->text());
}

bool TFOptions::IsOptionPasswordChanged() const
{
    QString oldPwd, newPwd, confirm;
    GetOptionsPasswordFromForm(&oldPwd, &newPwd, &confirm);
    if (oldPwd.isEmpty() && newPwd.isEmpty() && confirm.isEmpty())
        return false;
    // "new differs from the stored password", told by the stored hash.
    if (CurrentPassword.isEmpty())
        return !newPwd.isEmpty();
    return newPwd.isEmpty() || !PasswordMatches(CurrentPassword, newPwd);
}

bool TFOptions::ValidatePasswords(const QString &oldPwd, const QString &newPwd, const QString &confirm)
{
    const auto fail = [this](const QString &text, QWidget *focus) {
        m_dialogs.messageBox(ProductName(), text, MsgIcon::Information, MsgButton::Ok);
        focus->setFocus();
        return false;
    };
    if (oldPwd.isEmpty() && newPwd.isEmpty() && confirm.isEmpty())
        return true;
    const bool stored = !CurrentPassword.isEmpty();
    if (stored && oldPwd.isEmpty())
        return fail(QStringLiteral("Before changing the password you have to enter old password."), txtOldPassword);
    if (stored && !PasswordMatches(CurrentPassword, oldPwd))
        return fail(QStringLiteral("Cannot change password - old password is incorrect."), txtOldPassword);
    if ((!stored || !newPwd.isEmpty() || !confirm.isEmpty()) && newPwd != confirm)
        return fail(QStringLiteral("The new passwords must match."), txtNewPassword);
    return true;
}

void TFOptions::SetPassword(const QString &password)
{
    CurrentPassword = HashPassword(password);
    settings::WriteText(Setting::Pwd, CurrentPassword);
}

// ---- Fonts page

void TFOptions::SetFontsControls()
{
    for (bool editor : {true, false}) {
        QFont font;
        QColor color;
        GetDefaultFont(font, color, editor);
        QLabel *sample = editor ? pnlFontEdit : pnlFontTree;
        SetSample(sample, font, color);
        CopySample(editor ? lblFontEdit : lblFontTree, sample);
    }
}

void TFOptions::ChooseSampleFont(QLabel *sample)
{
    QFont font = sample->font();
    if (chooseFont(font))
        SetSample(sample, font, TextColorOf(sample));
}

void TFOptions::ChooseSampleTextColor(QLabel *sample)
{
    QColor color = TextColorOf(sample);
    if (chooseColor(color))
        SetSample(sample, sample->font(), color);
}

bool TFOptions::IsOptionFontsChanged() const
{
    return !IsFontTheSame(pnlFontTree, lblFontTree) || !IsFontTheSame(pnlFontEdit, lblFontEdit);
}

void TFOptions::SaveFontOptions()
{
    CopySample(lblFontTree, pnlFontTree);
    CopySample(lblFontEdit, pnlFontEdit);
    const QFont edit = pnlFontEdit->font(), tree = pnlFontTree->font();
    const auto set = [](bool editor, FontProperty p) { return settings::FontSetting(editor, p); };
    settings::WriteText(set(true, FontProperty::Name), edit.family());
    settings::WriteText(set(false, FontProperty::Name), tree.family());
    settings::WriteInt(set(true, FontProperty::Size), edit.pointSize());
    settings::WriteInt(set(false, FontProperty::Size), tree.pointSize());
    settings::WriteColor(set(true, FontProperty::Color), TextColorOf(pnlFontEdit));
    settings::WriteColor(set(false, FontProperty::Color), TextColorOf(pnlFontTree));
    settings::WriteFlag(set(true, FontProperty::Bold), edit.bold());
    settings::WriteFlag(set(true, FontProperty::Italic), edit.italic());
    settings::WriteFlag(set(false, FontProperty::Bold), tree.bold());
    settings::WriteFlag(set(false, FontProperty::Italic), tree.italic());
}

// ---- Colors page

void TFOptions::SetColorsControls()
{
    SetBackground(pnlColorEdit, QPalette::Base, EditColor());
    SetBackground(pnlColorTree, QPalette::Window, TreeColor());
    EditColorAtOpen = EditColor();
    TreeColorAtOpen = TreeColor();
}

bool TFOptions::IsOptionColorsChanged() const
{
    return EditColor() != BackgroundOf(pnlColorEdit, QPalette::Base)
           || TreeColor() != BackgroundOf(pnlColorTree, QPalette::Window);
}

void TFOptions::SaveColorOptions()
{
    EditColor() = BackgroundOf(pnlColorEdit, QPalette::Base);
    TreeColor() = BackgroundOf(pnlColorTree, QPalette::Window);
    settings::WriteColor(Setting::EditBackground, EditColor());
    settings::WriteColor(Setting::TreeBackground, TreeColor());
}
