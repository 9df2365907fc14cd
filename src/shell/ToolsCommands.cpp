// The Tools menu's commands.
#include "shell/MainWindow.h"

#include "settings/Options.h"
#include "shell/Dialogs.h"
#include "shell/RichEdit.h"

#include <QTreeWidget>

void TfrmTree::OptionsExecute()
{
    // Made for one showing; closing applies the explorer's font and the
    // panels' colours to this window.
    TFOptions dialog(*m_dialogs, tvwTree, txtEdit, this);
    dialog.exec();
}
