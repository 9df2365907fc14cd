#pragma once
#include <QDialog>

class QLabel;

// Asks the user to wait while a file of the older layout is converted.
class TInfo : public QDialog
{
    Q_OBJECT
public:
    explicit TInfo(QWidget *parent = nullptr);
    QLabel *lblInfo = nullptr;
};
