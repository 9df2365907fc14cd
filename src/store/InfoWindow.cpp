#include "store/InfoWindow.h"

#include "settings/Product.h"

#include <QLabel>
#include <QVBoxLayout>

TInfo::TInfo(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("TInfo"));
    setWindowTitle(QStringLiteral("Info"));
    lblInfo = new QLabel(QStringLiteral("Please wait while ") + ProductName()
                             + QStringLiteral(" is converting the file to new format."),
                         this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(16);
    f.setBold(true);
    lblInfo->setFont(f);
    lblInfo->setStyleSheet(QStringLiteral("color: navy;"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    setCursor(Qt::BusyCursor);
}
