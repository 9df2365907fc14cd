#pragma once
#include <QMainWindow>

class QAction;
class QTextEdit;

// The help window: the guide of the help file, read once at creation, in a
// tool window that is hidden rather than closed, so size and scroll
// position survive between showings.
class THelp : public QMainWindow
{
    Q_OBJECT

public:
    // `helpFile` as found by HelpFilePath; empty or unreadable gives a short
    // built-in text instead.
    explicit THelp(const QString &helpFile, QWidget *parent = nullptr);

    QTextEdit *txtHelp() const { return m_txtHelp; }
    QAction *mnuClose() const { return m_mnuClose; }
    // True when the help file could not be read.
    bool showsBuiltInText() const { return m_builtIn; }

public Q_SLOTS:
    // Shows the window without blocking and brings it to the front.
    void showAndRaise();
    void mnuCloseClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void loadHelpFile(const QString &helpFile);

    QTextEdit *m_txtHelp = nullptr;
    QAction *m_mnuClose = nullptr;
    bool m_builtIn = false;
    bool m_placed = false;
};
