#pragma once
// The folder rule is shared with the options dialog's file choice.
#include "settings/DialogFolder.h"
