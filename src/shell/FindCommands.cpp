// Finding text in the current item: the modeless find dialog beside the
// editor, forward only, without wrapping around.
#include "shell/MainWindow.h"

#include "settings/Product.h"
#include "shell/Dialogs.h"
#include "shell/FindDialog.h"
#include "shell/RichEdit.h"

#include <QAction>
#include <QToolBar>

void TfrmTree::FindInItem1Execute()
{
    if (m_doc.currentItemKey == 0)
        return;
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(this);
        connect(FindDialog1, &TFindDialog::findNext, this, &TfrmTree::FindDialog1Find);
    }
    // Over the editor's top-left corner, below the height of the tool bar.
    FindDialog1->move(txtEdit->mapToGlobal(QPoint(0, ToolBar1->height())));
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void TfrmTree::FindDialog1Find()
{
    const QString text = FindDialog1->findText();
    // After the selection; a caret alone searches from the top.
    const int length = txtEdit->selectionLength();
    const int start = length > 0 ? txtEdit->selectionStart() + length : 0;
    const int found = txtEdit->find(text, start, txtEdit->textLength() - start, FindDialog1->matchCase(),
                                    FindDialog1->wholeWord());
    if (found < 0) {
        m_dialogs->messageBox(ProductName(), QStringLiteral("Cannot find ") + text, MsgIcon::Information,
                              MsgButton::Ok);
        return;
    }
    activateWindow();
    txtEdit->setFocus();
    txtEdit->setSelection(found, int(text.size()));
}
