#pragma once
#include <QDialog>

class QLabel;
class TPreviewPrinter;

// A minimal preview: the recorded pages one below the other at screen
// size, with a Print button. The full preview window replaces it.
class TPreviewForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPreviewForm(TPreviewPrinter *printer, QWidget *parent = nullptr);

private:
    TPreviewPrinter *m_printer;
};
