// The Edit and Format menus and the editor's pop-up menu: clipboard, fonts,
// bold, italic, underline, text colour and paragraph alignment.
#include "shell/MainWindow.h"

#include "shell/Actions.h"
#include "shell/RichEdit.h"
#include "shell/ToolIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QToolBar>

namespace {

// Clipboard commands act on whichever edit control has the focus: the editor
// or the explorer's in-place edit box.
void onFocused(const char *method)
{
    QWidget *w = QApplication::focusWidget();
    if (qobject_cast<QTextEdit *>(w) || qobject_cast<QLineEdit *>(w))
        QMetaObject::invokeMethod(w, method);
}

} // namespace

void TfrmTree::CreateEditAndFormatMenus()
{
    EditCut1 = MakeAction(this, "EditCut1", QStringLiteral("Cu&t          Ctrl+X"),
                          QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"));
    EditCopy1 = MakeAction(this, "EditCopy1", QStringLiteral("&Copy       Ctrl+C"),
                           QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"));
    EditPaste1 = MakeAction(this, "EditPaste1", QStringLiteral("&Paste      Ctrl+V"),
                            QStringLiteral("Paste|Inserts Clipboard contents"));
    EditCut1->setIcon(MakeToolIcon(ToolIcon::Cut));
    EditCopy1->setIcon(MakeToolIcon(ToolIcon::Copy));
    EditPaste1->setIcon(MakeToolIcon(ToolIcon::Paste));
    connect(EditCut1, &QAction::triggered, this, [] { onFocused("cut"); });
    connect(EditCopy1, &QAction::triggered, this, [] { onFocused("copy"); });
    connect(EditPaste1, &QAction::triggered, this, [] { onFocused("paste"); });
    Edit1->addActions({EditCut1, EditCopy1, EditPaste1});

    Fonts = MakeAction(this, "Fonts", QStringLiteral("&Fonts"),
                       QStringLiteral("Font|Changes the appearance of the selected characters"));
    Bold = MakeAction(this, "Bold", QStringLiteral("&Bold"), QStringLiteral("Bold|Bold text"),
                      QKeySequence(Qt::CTRL | Qt::Key_B));
    Italic = MakeAction(this, "Italic", QStringLiteral("&Italic"), QStringLiteral("Italic|Italic text"),
                        QKeySequence(Qt::CTRL | Qt::Key_I));
    Underline = MakeAction(this, "Underline", QStringLiteral("&Underline"),
                           QStringLiteral("Underline|Underlined text"), QKeySequence(Qt::CTRL | Qt::Key_U));
    TextColour = MakeAction(this, "TextColour", QStringLiteral("Text &Colour..."),
                            QStringLiteral("Text Colour|Changes the colour of the selected characters"));
    AlignLeft = MakeAction(this, "AlignLeft", QStringLiteral("AlignLeft"),
                           QStringLiteral("Align Left|Align to left margin"), QKeySequence(Qt::CTRL | Qt::Key_L));
    AlignCenter = MakeAction(this, "AlignCenter", QStringLiteral("AlignCenter"),
                             QStringLiteral("Center|Center between margins"), QKeySequence(Qt::CTRL | Qt::Key_E));
    AlignRight = MakeAction(this, "AlignRight", QStringLiteral("AlignRight"),
                            QStringLiteral("Align Right|Align to right margin"), QKeySequence(Qt::CTRL | Qt::Key_R));
    Fonts->setIcon(MakeToolIcon(ToolIcon::Font));
    Bold->setIcon(MakeToolIcon(ToolIcon::Bold));
    Italic->setIcon(MakeToolIcon(ToolIcon::Italic));
    Underline->setIcon(MakeToolIcon(ToolIcon::Underline));
    TextColour->setIcon(MakeToolIcon(ToolIcon::TextColour));
    AlignLeft->setIcon(MakeToolIcon(ToolIcon::AlignLeft));
    AlignCenter->setIcon(MakeToolIcon(ToolIcon::AlignCenter));
    AlignRight->setIcon(MakeToolIcon(ToolIcon::AlignRight));
    // Justified text marks none of the three.
    Alignments = new QActionGroup(this);
    Alignments->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction *a : {AlignLeft, AlignCenter, AlignRight}) {
        a->setCheckable(true);
        Alignments->addAction(a);
    }
    for (QAction *a : {Bold, Italic, Underline})
        a->setCheckable(true);

    connect(Fonts, &QAction::triggered, this, &TfrmTree::FontsExecute);
    connect(TextColour, &QAction::triggered, this, &TfrmTree::TextColourExecute);
    // A checkable command has its new state when triggered: the state the
    // selection gets.
    const auto charFormat = [this](void (QTextCharFormat::*set)(bool), QAction *a) {
        connect(a, &QAction::triggered, this, [this, set](bool on) {
            if (m_doc.currentItemKey == 0)
                return;
            QTextCharFormat format;
            (format.*set)(on);
            txtEdit->mergeCurrentCharFormat(format);
        });
    };
    charFormat(&QTextCharFormat::setFontItalic, Italic);
    charFormat(&QTextCharFormat::setFontUnderline, Underline);
    connect(Bold, &QAction::triggered, this, [this](bool on) {
        if (m_doc.currentItemKey == 0)
            return;
        QTextCharFormat format;
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        txtEdit->mergeCurrentCharFormat(format);
    });
    const auto align = [this](Qt::Alignment alignment) {
        if (m_doc.currentItemKey != 0)
            txtEdit->setAlignment(alignment);
        AlignLeftUpdate();
    };
    connect(AlignLeft, &QAction::triggered, this, [align] { align(Qt::AlignLeft | Qt::AlignAbsolute); });
    connect(AlignCenter, &QAction::triggered, this, [align] { align(Qt::AlignHCenter); });
    connect(AlignRight, &QAction::triggered, this, [align] { align(Qt::AlignRight | Qt::AlignAbsolute); });

    // Qt has no idle time: the commands follow the focus, the caret and the clipboard.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (auto *line = qobject_cast<QLineEdit *>(now))
            connect(line, &QLineEdit::selectionChanged, this, &TfrmTree::EditUpdate, Qt::UniqueConnection);
        EditUpdate();
        FontsUpdate();
        AlignLeftUpdate();
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TfrmTree::EditUpdate);
    connect(txtEdit, &QTextEdit::selectionChanged, this, &TfrmTree::EditUpdate);
    connect(txtEdit, &QTextEdit::cursorPositionChanged, this, &TfrmTree::AlignLeftUpdate);
    connect(txtEdit, &QTextEdit::currentCharFormatChanged, this, &TfrmTree::FontsUpdate);
    EditUpdate();
    FontsUpdate();
    AlignLeftUpdate();

    mnuFormat->addAction(Fonts);
    mnuFormat->addActions({Bold, Italic, Underline, TextColour});
    mnuFormat->addSeparator();
    mnuFormat->addActions({AlignLeft, AlignCenter, AlignRight});
    CreateEditPopup();
}

void TfrmTree::CreateEditPopup()
{
    mnuPopUpEdit = new QMenu(this);
    mnuPopUpEdit->setObjectName(QStringLiteral("mnuPopUpEdit"));
    QMenu *edit = mnuPopUpEdit->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit2"));
    edit->addActions(Edit1->actions());
    QMenu *format = mnuPopUpEdit->addMenu(QStringLiteral("F&ormat"));
    format->setObjectName(QStringLiteral("Format1"));
    format->addActions(mnuFormat->actions());
    txtEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) {
                // Its format entries act on the editor: it has the focus while the menu is open.
                activateWindow();
                txtEdit->setFocus(Qt::MouseFocusReason);
                mnuPopUpEdit->popup(txtEdit->viewport()->mapToGlobal(pos));
            });
}

void TfrmTree::AddEditAndFormatButtons()
{
    ToolBar1->addActions({EditCut1, EditCopy1, EditPaste1});
    ToolBar1->addSeparator();
    ToolBar1->addActions({Fonts, Bold, Italic, Underline, TextColour});
    ToolBar1->addSeparator();
    ToolBar1->addActions({AlignLeft, AlignCenter, AlignRight});
}

void TfrmTree::EditUpdate()
{
    QWidget *w = QApplication::focusWidget();
    bool selection = false;
    bool writable = false;
    if (auto *text = qobject_cast<QTextEdit *>(w)) {
        selection = text->textCursor().hasSelection();
        writable = !text->isReadOnly();
    } else if (auto *line = qobject_cast<QLineEdit *>(w)) {
        selection = line->hasSelectedText();
        writable = !line->isReadOnly();
    }
    EditCut1->setEnabled(selection && writable);
    EditCopy1->setEnabled(selection);
    const QMimeData *data = QApplication::clipboard()->mimeData();
    EditPaste1->setEnabled(data && data->hasText());
}

void TfrmTree::FontsUpdate()
{
    // Only an item's text can be formatted: an empty disabled editor would
    // count the change for whichever item comes next.
    const bool on = txtEdit->hasFocus() && m_doc.currentItemKey != 0 && !m_readOnly;
    for (QAction *a : {Fonts, Bold, Italic, Underline, TextColour})
        a->setEnabled(on);
    const QTextCharFormat format = txtEdit->currentCharFormat();
    Bold->setChecked(format.fontWeight() > QFont::Normal);
    Italic->setChecked(format.fontItalic());
    Underline->setChecked(format.fontUnderline());
}

void TfrmTree::AlignLeftUpdate()
{
    const bool on = txtEdit->hasFocus() && m_doc.currentItemKey != 0 && !m_readOnly;
    Alignments->setEnabled(on);
    const Qt::Alignment a = txtEdit->alignment();
    QAction *marked = (a & Qt::AlignJustify) ? nullptr
                      : (a & Qt::AlignHCenter) ? AlignCenter
                      : (a & Qt::AlignRight)   ? AlignRight
                                               : AlignLeft;
    if (marked)
        marked->setChecked(true);
    else if (QAction *checked = Alignments->checkedAction())
        checked->setChecked(false);
}

void TfrmTree::FontsExecute()
{
    if (m_doc.currentItemKey == 0)
        return;
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, txtEdit->currentCharFormat().font(), this);
    if (!ok)
        return;
    // Face, style and size; the colour stays (the colour command sets it).
    QTextCharFormat format;
    format.setFont(font);
    txtEdit->mergeCurrentCharFormat(format);
}

void TfrmTree::TextColourExecute()
{
    if (m_doc.currentItemKey == 0)
        return;
    const QColor colour = QColorDialog::getColor(txtEdit->currentCharFormat().foreground().color(), this,
                                                 QStringLiteral("Text Colour"));
    if (!colour.isValid())
        return;
    QTextCharFormat format;
    format.setForeground(colour);
    txtEdit->mergeCurrentCharFormat(format);
}
