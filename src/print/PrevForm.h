#pragma once
#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;
class QWidget;
class TPreviewPrinter;

namespace previewform {
class PageView;
}

// The print preview: the engine's recorded pages, one or two side by side on
// a grey desk, zoomed from a list, by fitting or with the zoom tool, panned
// with the hand tool, paged by buttons and keys. It only replays recordings.
class TPreviewForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPreviewForm(TPreviewPrinter *printer, QWidget *parent = nullptr);

    int CurPage() const { return m_curPage; }
    double Zoom() const { return m_zoom; }
    // The grid and the opening zoom the engine asks for; "Custom" is ZoomVal percent.
    void OpenAsAsked();

    void ShowPage(int n);
    void UpdateButtons();
    void ScrollBox1Resize();

    // The controls, by the names users and tests know them.
    QPushButton *PrintBut, *PageSetupBut, *PrevPageBut, *NextPageBut, *CloseBut;
    QComboBox *ZoomBox;
    QToolButton *FitPageBut, *FitWidthBut, *GridBut, *ZoomCursorBut, *HandCursorBut, *OnePageBut, *TwoPageBut;
    QToolButton *FirstPageSpeed, *PrevPageSpeed, *NextPageSpeed, *LastPageSpeed, *PageNumSpeed;
    QLabel *CurPageLabel, *ZoomLabel, *HintLabel;
    QScrollArea *ScrollBox1;
    QWidget *ContainPanel;
    QFrame *PagePanel, *PagePanel2;
    QWidget *PB1, *PB2; // the page views

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    friend class previewform::PageView;
    void BuildToolBar(QWidget *bar);
    void BuildStatusBar(QWidget *bar);
    void ZoomBoxChange();
    void SelectEntry(int entry);
    void NextPageButClick();
    void PrevPageButClick();
    void FirstPageSpeedClick();
    void LastPageSpeedClick();
    void PageNumSpeedClick();
    void PrintButClick();
    void PageSetupButClick();
    void PB1MouseDown(QPoint p, Qt::MouseButtons buttons);
    void PB1MouseMove(QPoint p);
    void PB1MouseUp();
    // PgUp/PgDn/Home/End: page when the sheet fits the view's height, else scroll.
    void PageKey(int key);
    bool SheetFitsVertically() const;

    TPreviewPrinter *m_printer;
    int m_curPage = 0;
    double m_zoom = 1.0;
    bool m_inResize = false;
    bool m_dragging = false;
    QPoint m_dragStart;
};
