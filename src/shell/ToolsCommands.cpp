// The Tools menu.
#include "shell/MainWindow.h"

void TfrmTree::OptionsExecute()
{
}
