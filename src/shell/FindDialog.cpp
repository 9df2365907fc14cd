#include "shell/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Find"));
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    auto *label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    label->setBuddy(edtFind);
    chkWholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    chkWholeWord->setObjectName(QStringLiteral("chkWholeWord"));
    chkMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    chkMatchCase->setObjectName(QStringLiteral("chkMatchCase"));
    btnFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnFindNext->setDefault(true);
    btnFindNext->setEnabled(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(edtFind, 0, 1);
    grid->addWidget(btnFindNext, 0, 2);
    grid->addWidget(chkWholeWord, 1, 0, 1, 2);
    grid->addWidget(cancel, 1, 2);
    grid->addWidget(chkMatchCase, 2, 0, 1, 2);

    connect(edtFind, &QLineEdit::textChanged, this,
            [this](const QString &t) { btnFindNext->setEnabled(!t.isEmpty()); });
    connect(btnFindNext, &QPushButton::clicked, this, &TFindDialog::findNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    setModal(false);
}

QString TFindDialog::findText() const
{
    return edtFind->text();
}

void TFindDialog::setFindText(const QString &text)
{
    edtFind->setText(text);
}

bool TFindDialog::matchCase() const
{
    return chkMatchCase->isChecked();
}

bool TFindDialog::wholeWord() const
{
    return chkWholeWord->isChecked();
}
