#include "print/Gopage.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

int GoPageNumber(const QString &text, int maximum)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok)
        return 1;
    return int(std::clamp<qlonglong>(n, 1, std::max(1, maximum)));
}

TGoPageForm::TGoPageForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GoPageForm"));
    setWindowTitle(QStringLiteral("Go to Page Number"));
    QFont f = font();
    f.setBold(true);
    setFont(f);
    auto *bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    PageNum = new QSpinBox(bevel);
    PageNum->setObjectName(QStringLiteral("PageNum"));
    PageNum->setMinimum(1);
    (new QVBoxLayout(bevel))->addWidget(PageNum);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    setFixedSize(231, 116);
    OKBtn->setFocus();
}

int TGoPageForm::Value() const
{
    return GoPageNumber(PageNum->cleanText(), PageNum->maximum());
}
