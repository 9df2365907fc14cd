#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The maker's web address behind the about box's link.
QString MakerWebAddress();

// The about box: product name, version and maker, shown modally.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QLabel *lblProductName() const { return m_lblProductName; }
    QLabel *lblVersion() const { return m_lblVersion; }
    QLabel *lblWWW() const { return m_lblWWW; }
    QPushButton *okButton() const { return m_okButton; }

public Q_SLOTS:
    // Opens the web address in the user's browser; a failure is not shown.
    void lblWWWClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_lblProductName = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblWWW = nullptr;
    QPushButton *m_okButton = nullptr;
};
