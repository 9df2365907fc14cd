#pragma once
#include <QKeySequence>
#include <QString>

class QAction;
class QObject;

// A command with its caption, its hint "tool tip|status text" and an
// optional shortcut, named for the object tree.
QAction *MakeAction(QObject *owner, const char *name, const QString &caption, const QString &hint,
                    const QKeySequence &shortcut = {});
