// The Edit and Format menus: clipboard, fonts and paragraph alignment.
#include "shell/MainWindow.h"

#include "shell/Actions.h"
#include "shell/RichEdit.h"
#include "shell/ToolIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFontDialog>
#include <QMenu>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>

namespace {

// Clipboard commands act on whichever edit control has the focus: the editor
// or the explorer's in-place edit box.
void onFocused(const char *method)
{
    if (QWidget *w = QApplication::focusWidget())
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
    Edit1->addAction(EditCut1);
    Edit1->addAction(EditCopy1);
    Edit1->addAction(EditPaste1);

    Fonts = MakeAction(this, "Fonts", QStringLiteral("&Fonts"),
                           QStringLiteral("Font|Changes the appearance of the selected characters"));
    AlignLeft = MakeAction(this, "AlignLeft", QStringLiteral("AlignLeft"),
                               QStringLiteral("Align Left|Align to left margin"), QKeySequence(Qt::CTRL | Qt::Key_L));
    AlignCenter = MakeAction(this, "AlignCenter", QStringLiteral("AlignCenter"),
                                 QStringLiteral("Center|Center between margins"), QKeySequence(Qt::CTRL | Qt::Key_E));
    AlignRight = MakeAction(this, "AlignRight", QStringLiteral("AlignRight"),
                                QStringLiteral("Align Right|Align to right margin"), QKeySequence(Qt::CTRL | Qt::Key_R));
    Fonts->setIcon(MakeToolIcon(ToolIcon::Font));
    auto *alignments = new QActionGroup(this);
    for (QAction *a : {AlignLeft, AlignCenter, AlignRight}) {
        a->setCheckable(true);
        alignments->addAction(a);
    }
    AlignLeft->setIcon(MakeToolIcon(ToolIcon::AlignLeft));
    AlignCenter->setIcon(MakeToolIcon(ToolIcon::AlignCenter));
    AlignRight->setIcon(MakeToolIcon(ToolIcon::AlignRight));
    // With the root or a branch selected the editor is empty and disabled:
    // formatting it would count as a change to whichever item comes next.
    connect(Fonts, &QAction::triggered, this, [this] {
        if (m_doc.currentItemKey == 0)
            return;
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, txtEdit->currentCharFormat().font(), this);
        if (!ok)
            return;
        QTextCharFormat format;
        format.setFont(font);
        txtEdit->mergeCurrentCharFormat(format);
    });
    const auto align = [this](Qt::Alignment alignment) {
        if (m_doc.currentItemKey != 0)
            txtEdit->setAlignment(alignment);
    };
    connect(AlignLeft, &QAction::triggered, this, [align] { align(Qt::AlignLeft | Qt::AlignAbsolute); });
    connect(AlignCenter, &QAction::triggered, this, [align] { align(Qt::AlignHCenter); });
    connect(AlignRight, &QAction::triggered, this, [align] { align(Qt::AlignRight | Qt::AlignAbsolute); });
    // The marks follow the caret's paragraph.
    connect(txtEdit, &QTextEdit::cursorPositionChanged, this, [this] {
        const Qt::Alignment a = txtEdit->alignment();
        if (a & Qt::AlignHCenter)
            AlignCenter->setChecked(true);
        else if (a & Qt::AlignRight)
            AlignRight->setChecked(true);
        else
            AlignLeft->setChecked(true);
    });
    mnuFormat->addAction(Fonts);
    mnuFormat->addSeparator();
    mnuFormat->addAction(AlignLeft);
    mnuFormat->addAction(AlignCenter);
    mnuFormat->addAction(AlignRight);
}

void TfrmTree::AddEditAndFormatButtons()
{
    ToolBar1->addAction(EditCut1);
    ToolBar1->addAction(EditCopy1);
    ToolBar1->addAction(EditPaste1);
    ToolBar1->addSeparator();
    ToolBar1->addAction(Fonts);
    ToolBar1->addSeparator();
    ToolBar1->addAction(AlignLeft);
    ToolBar1->addAction(AlignCenter);
    ToolBar1->addAction(AlignRight);
}
