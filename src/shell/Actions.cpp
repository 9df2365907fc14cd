#include "shell/Actions.h"

#include <QAction>

QAction *MakeAction(QObject *owner, const char *name, const QString &caption, const QString &hint,
                    const QKeySequence &shortcut)
{
    auto *a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? QString() : hint.mid(bar + 1));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}
