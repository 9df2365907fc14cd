#pragma once
// Messages of the store's own routines, for benchmarks that run them
// without a window: shown on stderr, every question cancelled.
#include "store/Messages.h"

#include <cstdio>

class Silent : public UserMessages
{
public:
    void showMessage(const QString &text) override { fprintf(stderr, "message: %s\n", qPrintable(text)); }
    MsgButton messageBox(const QString &, const QString &, MsgIcon, MsgButtons) override { return MsgButton::Cancel; }
    void errorDialog(const QString &) override {}
};
