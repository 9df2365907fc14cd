#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Find in the current item: a small modeless dialog with the text to find,
// match case and whole word. It searches forward only; the main window does
// the search on each Find Next.
class TFindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TFindDialog(QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    bool matchCase() const;
    bool wholeWord() const;

    QLineEdit *edtFind = nullptr;
    QCheckBox *chkMatchCase = nullptr;
    QCheckBox *chkWholeWord = nullptr;
    QPushButton *btnFindNext = nullptr;

Q_SIGNALS:
    void findNext();
};
