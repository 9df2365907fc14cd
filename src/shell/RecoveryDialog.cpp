#include "shell/RecoveryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TRecoveryDialog::TRecoveryDialog(const QString &caption, const QString &text, const QStringList &entries,
                                 QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TRecoveryDialog"));
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(text, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    lstWork = new QListWidget(this);
    lstWork->setObjectName(QStringLiteral("lstWork"));
    lstWork->addItems(entries);
    lstWork->setCurrentRow(0);
    // Each entry whole, time of the last change included, without scrolling.
    lstWork->setMinimumWidth(qMin(lstWork->sizeHintForColumn(0) + 2 * lstWork->frameWidth() + 8, 900));
    layout->addWidget(lstWork);
    auto *buttons = new QDialogButtonBox(this);
    const struct { const char *name, *text; RecoveryAnswer::Action action; } kinds[] = {
        {"btnRecover", "Recover", RecoveryAnswer::Recover},
        {"btnDiscard", "Discard", RecoveryAnswer::Discard},
        {"btnLater", "Later", RecoveryAnswer::Later},
    };
    for (const auto &kind : kinds) {
        QPushButton *b = buttons->addButton(QString::fromLatin1(kind.text), QDialogButtonBox::ActionRole);
        b->setObjectName(QString::fromLatin1(kind.name));
        const RecoveryAnswer::Action action = kind.action;
        connect(b, &QPushButton::clicked, this, [this, action] { finish(action); });
    }
    layout->addWidget(buttons);
}

void TRecoveryDialog::finish(RecoveryAnswer::Action action)
{
    m_answer = {action, lstWork->currentRow()};
    accept();
}

RecoveryAnswer WidgetDialogs::askRecovery(const QString &caption, const QString &text,
                                          const QStringList &entries)
{
    TRecoveryDialog dialog(caption, text, entries, m_owner);
    dialog.exec(); // closed otherwise: Later
    return dialog.answer();
}
