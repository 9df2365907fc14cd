#pragma once
// The message seam lives with the settings, the lowest library, so that the
// options dialog and the password prompt speak through it as well.
#include "settings/Messages.h"
