#pragma once
#include <QDialog>

class QSpinBox;
class QPushButton;

// The page a typed text asks for within 1 .. maximum: out-of-range numbers
// come back into the range, a text that is no whole number counts as 1.
int GoPageNumber(const QString &text, int maximum);

// Asks for a page number: "Go to Page Number".
class TGoPageForm : public QDialog
{
    Q_OBJECT
public:
    explicit TGoPageForm(QWidget *parent = nullptr);
    // The chosen page, 1 .. PageNum's maximum.
    int Value() const;

    QSpinBox *PageNum;
    QPushButton *OKBtn, *CancelBtn;
};
