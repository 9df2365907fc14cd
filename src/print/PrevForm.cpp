#include "print/PrevForm.h"

#include "print/Gopage.h"
#include "print/PrevPrinter.h"
#include "print/PreviewZoom.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QVBoxLayout>

using namespace previewzoom;

namespace previewform {

// One page view: page CurPage (or the one after it) replayed to fill the view.
class PageView : public QWidget
{
public:
    PageView(TPreviewForm *form, int offset, QWidget *parent) : QWidget(parent), m_form(form), m_offset(offset) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        TPreviewPrinter *printer = m_form->m_printer;
        const int index = m_form->m_curPage + m_offset;
        DeviceMetrics m = printer->Metrics();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        if (index < printer->PageCount()) {
            const TPageRecording *page = printer->Pages(index);
            m = page->metrics;
            page->replayInto(painter, QRectF(rect()));
        }
        if (!m_form->GridBut->isChecked() || m.logPixelsX <= 0 || m.logPixelsY <= 0)
            return;
        // One line per inch of the sheet, whatever unit the margins are in.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0));
        painter.scale(qreal(width()) / m.pageWidth, qreal(height()) / m.pageHeight);
        for (int i = 1; i <= m.pageWidth / m.logPixelsX; ++i)
            painter.drawLine(QPointF(i * m.logPixelsX, 0), QPointF(i * m.logPixelsX, m.pageHeight));
        for (int j = 1; j <= m.pageHeight / m.logPixelsY; ++j)
            painter.drawLine(QPointF(0, j * m.logPixelsY), QPointF(m.pageWidth, j * m.logPixelsY));
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (m_offset == 0)
            m_form->PB1MouseDown(e->position().toPoint(), e->buttons());
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (m_offset == 0)
            m_form->PB1MouseMove(e->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent *) override
    {
        if (m_offset == 0)
            m_form->PB1MouseUp();
    }

private:
    TPreviewForm *m_form;
    int m_offset;
};

} // namespace previewform

namespace {

const QString kPageViewHint = QStringLiteral(
    "Page View.  With Zoom Tool, left or right click to zoom in/out.  Click & drag with Hand Tool to pan.");

template <typename W> W *named(W *w, const char *name, const QString &hint = QString())
{
    w->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        w->setToolTip(hint);
        w->setStatusTip(hint);
    }
    return w;
}

// A magnifying glass, its hot spot in the lens's middle.
QCursor ZoomCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (const auto &[colour, width] : {std::pair{QColor(Qt::white), 5.0}, std::pair{QColor(Qt::black), 2.5}}) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.setPen(QPen(colour, width - 1.5));
        p.drawEllipse(QPointF(12, 12), 8, 8);
    }
    p.end();
    return QCursor(pixmap, 12, 12);
}

QToolButton *speed(QWidget *parent, const char *name, const QString &text, const QString &hint, bool checkable)
{
    auto *b = named(new QToolButton(parent), name, hint);
    b->setText(text);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TPreviewForm::TPreviewForm(TPreviewPrinter *printer, QWidget *parent) : QDialog(parent), m_printer(printer)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Preview Form"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(640, 504);

    auto *toolBar = named(new QFrame(this), "ToolBarPanel");
    toolBar->setFixedHeight(32);
    BuildToolBar(toolBar);
    ScrollBox1 = named(new QScrollArea(this), "ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Button);
    ContainPanel = named(new QWidget, "ContainPanel");
    ContainPanel->setAutoFillBackground(true);
    ContainPanel->setStyleSheet(QStringLiteral("#ContainPanel { background: #808080; }")); // the grey desk
    auto makeSheet = [this](const char *panel, const char *view, int offset) {
        auto *sheet = named(new QFrame(ContainPanel), panel);
        sheet->setFrameShape(QFrame::Box);
        sheet->setLineWidth(1);
        auto *pb = named(new previewform::PageView(this, offset, sheet), view, kPageViewHint);
        auto *l = new QVBoxLayout(sheet);
        l->setContentsMargins(1, 1, 1, 1);
        l->addWidget(pb);
        return std::pair<QFrame *, QWidget *>{sheet, pb};
    };
    std::tie(PagePanel, PB1) = makeSheet("PagePanel", "PB1", 0);
    std::tie(PagePanel2, PB2) = makeSheet("PagePanel2", "PB2", 1);
    static_assert(std::is_base_of_v<QWidget, previewform::PageView>);
    PagePanel2->hide();
    ScrollBox1->setWidget(ContainPanel);
    ScrollBox1->viewport()->installEventFilter(this);
    auto *statBar = named(new QFrame(this), "StatBarPanel");
    statBar->setFixedHeight(28);
    BuildStatusBar(statBar);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(statBar);

    for (auto [key, k] : {std::pair{QKeySequence(Qt::Key_PageUp), Qt::Key_PageUp},
                          {QKeySequence(Qt::Key_PageDown), Qt::Key_PageDown},
                          {QKeySequence(Qt::Key_Home), Qt::Key_Home}, {QKeySequence(Qt::Key_End), Qt::Key_End}}) {
        auto *s = new QShortcut(key, this);
        connect(s, &QShortcut::activated, this, [this, k = k] { PageKey(k); });
    }

    // FormCreate: Fit To Page, maximized, the zoom tool.
    ZoomBox->setCurrentIndex(FitToPage);
    setWindowState(Qt::WindowMaximized);
    ZoomCursorBut->click();
}

void TPreviewForm::BuildToolBar(QWidget *bar)
{
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    auto button = [bar](const char *name, const QString &text, const QString &hint) {
        auto *b = named(new QPushButton(text, bar), name, hint);
        b->setAutoDefault(false);
        return b;
    };
    PrintBut = button("PrintBut", QStringLiteral("&Print..."), QStringLiteral("Print the Current Document"));
    PageSetupBut = button("PageSetupBut", QStringLiteral("Page Setup..."), QStringLiteral("Change the Page Setup"));
    PrevPageBut = button("PrevPageBut", QStringLiteral("Pre&v"), QStringLiteral("Move to Previous Page in Document"));
    NextPageBut = button("NextPageBut", QStringLiteral("&Next"), QStringLiteral("Advance to Next Page in Document"));
    PrevPageBut->setEnabled(false);
    ZoomBox = named(new QComboBox(bar), "ZoomBox");
    ZoomBox->addItems(EntryCaptions());
    FitPageBut = speed(bar, "FitPageBut", QStringLiteral("Page"), QStringLiteral("Fit to Page"), true);
    FitWidthBut = speed(bar, "FitWidthBut", QStringLiteral("Width"), QStringLiteral("Fit to Width"), true);
    GridBut = speed(bar, "GridBut", QStringLiteral("Grid"), QStringLiteral("Turns Grid On/Off"), true);
    ZoomCursorBut = speed(bar, "ZoomCursorBut", QStringLiteral("Zoom"),
                          QStringLiteral("Selects the Zoom Tool to zoom in or out"), true);
    HandCursorBut = speed(bar, "HandCursorBut", QStringLiteral("Hand"),
                          QStringLiteral("Selects the Hand Tool to pan across the Page"), true);
    OnePageBut = speed(bar, "OnePageBut", QStringLiteral("&1"), QStringLiteral("Display One page at a time"), true);
    TwoPageBut = speed(bar, "TwoPageBut", QStringLiteral("&2"), QStringLiteral("Display Two pages side by side"), true);
    CloseBut = button("CloseBut", QStringLiteral("&Close"), QStringLiteral("Close the Print Preview window"));
    auto *tools = new QButtonGroup(bar);
    tools->addButton(ZoomCursorBut);
    tools->addButton(HandCursorBut);
    auto *pages = new QButtonGroup(bar);
    pages->addButton(OnePageBut);
    pages->addButton(TwoPageBut);
    OnePageBut->setChecked(true);
    for (QWidget *w : std::initializer_list<QWidget *>{PrintBut, PageSetupBut, PrevPageBut, NextPageBut, ZoomBox,
                                                        FitPageBut, FitWidthBut, GridBut, ZoomCursorBut,
                                                        HandCursorBut, OnePageBut, TwoPageBut})
        row->addWidget(w);
    row->addStretch();
    row->addWidget(CloseBut);

    connect(PrintBut, &QPushButton::clicked, this, &TPreviewForm::PrintButClick);
    connect(PageSetupBut, &QPushButton::clicked, this, &TPreviewForm::PageSetupButClick);
    connect(NextPageBut, &QPushButton::clicked, this, &TPreviewForm::NextPageButClick);
    connect(PrevPageBut, &QPushButton::clicked, this, &TPreviewForm::PrevPageButClick);
    connect(CloseBut, &QPushButton::clicked, this, &QDialog::reject);
    connect(ZoomBox, &QComboBox::activated, this, &TPreviewForm::ZoomBoxChange);
    connect(FitPageBut, &QToolButton::clicked, this, [this] { SelectEntry(FitToPage); });
    connect(FitWidthBut, &QToolButton::clicked, this, [this] { SelectEntry(FitToWidth); });
    connect(GridBut, &QToolButton::toggled, this, [this] {
        PB1->update();
        PB2->update();
    });
    connect(ZoomCursorBut, &QToolButton::clicked, this, [this] {
        PB1->setCursor(ZoomCursor());
        PB2->setCursor(ZoomCursor());
    });
    connect(HandCursorBut, &QToolButton::clicked, this, [this] {
        PB1->setCursor(Qt::OpenHandCursor);
        PB2->setCursor(Qt::OpenHandCursor);
    });
    // One page chosen with the mouse ends at Fit To Page; its access key keeps the zoom.
    connect(OnePageBut, &QToolButton::clicked, this, &TPreviewForm::ScrollBox1Resize);
    OnePageBut->installEventFilter(this);
    connect(TwoPageBut, &QToolButton::clicked, this, [this] {
        ZoomBox->setCurrentIndex(FitToPage);
        ScrollBox1Resize();
    });
}

void TPreviewForm::BuildStatusBar(QWidget *bar)
{
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 1, 2, 1);
    auto *move = named(new QWidget(bar), "MoveButPanel");
    auto *moveRow = new QHBoxLayout(move);
    moveRow->setContentsMargins(0, 0, 0, 0);
    FirstPageSpeed = speed(move, "FirstPageSpeed", QStringLiteral("|<"), QStringLiteral("Go to First Page in Document"), false);
    PrevPageSpeed = speed(move, "PrevPageSpeed", QStringLiteral("<"), QStringLiteral("Move to Previous Page in Document"), false);
    NextPageSpeed = speed(move, "NextPageSpeed", QStringLiteral(">"), QStringLiteral("Advance to Next Page in Document"), false);
    LastPageSpeed = speed(move, "LastPageSpeed", QStringLiteral(">|"), QStringLiteral("Go to Last Page in Document"), false);
    PageNumSpeed = speed(move, "PageNumSpeed", QStringLiteral("#"), QStringLiteral("Go to Page by Page Number"), false);
    for (QToolButton *b : {FirstPageSpeed, PrevPageSpeed, NextPageSpeed, LastPageSpeed, PageNumSpeed})
        moveRow->addWidget(b);
    auto panel = [bar](const char *name, const QString &hint) {
        auto *l = named(new QLabel(bar), name, hint);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(110);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    CurPageLabel = panel("CurPageLabel", QStringLiteral("Displays the Current Page of the Document"));
    ZoomLabel = panel("ZoomLabel", QStringLiteral("Displays the Current Zoom Level (100% = normal)"));
    ZoomLabel->setMinimumWidth(60);
    HintLabel = named(new QLabel(bar), "HintLabel", QStringLiteral("Displays Help for the object beneath the mouse"));
    row->addWidget(move);
    row->addWidget(CurPageLabel);
    row->addWidget(ZoomLabel);
    row->addWidget(HintLabel, 1);
    connect(FirstPageSpeed, &QToolButton::clicked, this, &TPreviewForm::FirstPageSpeedClick);
    connect(PrevPageSpeed, &QToolButton::clicked, this, &TPreviewForm::PrevPageButClick);
    connect(NextPageSpeed, &QToolButton::clicked, this, &TPreviewForm::NextPageButClick);
    connect(LastPageSpeed, &QToolButton::clicked, this, &TPreviewForm::LastPageSpeedClick);
    connect(PageNumSpeed, &QToolButton::clicked, this, &TPreviewForm::PageNumSpeedClick);
}

void TPreviewForm::OpenAsAsked()
{
    GridBut->setChecked(m_printer->ShowGrid);
    switch (m_printer->ZoomOption) {
    case zoFitToPage: ZoomBox->setCurrentIndex(FitToPage); break;
    case zoFitToWidth: ZoomBox->setCurrentIndex(FitToWidth); break;
    case zoTwoPages: TwoPageBut->setChecked(true); break;
    case zoCustom:
        m_zoom = ZoomFromPercent(m_printer->ZoomVal);
        ZoomBox->setCurrentIndex(Custom);
        break;
    }
    ScrollBox1Resize();
}

void TPreviewForm::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    ShowPage(0);
    UpdateButtons();
}

bool TPreviewForm::event(QEvent *e)
{
    // The status part of the hint under the mouse shows in the status bar.
    if (e->type() == QEvent::StatusTip) {
        HintLabel->setText(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    return QDialog::event(e);
}

bool TPreviewForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == ScrollBox1->viewport() && e->type() == QEvent::Resize)
        ScrollBox1Resize();
    else if (watched == OnePageBut && e->type() == QEvent::MouseButtonRelease
             && OnePageBut->rect().contains(static_cast<QMouseEvent *>(e)->position().toPoint()))
        ZoomBox->setCurrentIndex(FitToPage);
    return QDialog::eventFilter(watched, e);
}

void TPreviewForm::ShowPage(int n)
{
    m_curPage = n;
    CurPageLabel->setText(QStringLiteral("Page %1 of %2").arg(n + 1).arg(m_printer->PageCount()));
    PB1->update();
    PB2->update();
}

void TPreviewForm::UpdateButtons()
{
    const int count = m_printer->PageCount();
    NextPageBut->setEnabled(count > m_curPage + 1);
    NextPageSpeed->setEnabled(NextPageBut->isEnabled());
    LastPageSpeed->setEnabled(NextPageBut->isEnabled());
    PrevPageBut->setEnabled(m_curPage >= 1);
    PrevPageSpeed->setEnabled(PrevPageBut->isEnabled());
    FirstPageSpeed->setEnabled(PrevPageBut->isEnabled());
    PageNumSpeed->setEnabled(count > 1);
}

void TPreviewForm::ScrollBox1Resize()
{
    if (m_inResize)
        return;
    m_inResize = true;
    if (ZoomBox->currentIndex() < 0)
        ZoomBox->setCurrentIndex(FitToPage);
    const int entry = ZoomBox->currentIndex();
    FitPageBut->setChecked(entry == FitToPage);
    FitWidthBut->setChecked(entry == FitToWidth);
    // Two pages are shown only at Fit To Page.
    if (entry != FitToPage)
        OnePageBut->setChecked(true);
    const bool two = TwoPageBut->isChecked();
    const DeviceMetrics m = m_printer->PageCount() > 0 ? m_printer->Pages(0)->metrics : m_printer->Metrics();
    const QSize client = ScrollBox1->viewport()->size();
    const int dpi = logicalDpiY();
    m_zoom = EntryZoom(entry, m_zoom, client, dpi, m, two);
    const Layout l = LayOut(m_zoom, two, client, dpi, m);
    ContainPanel->resize(l.desk);
    PagePanel->setGeometry(QRect(l.first, l.page));
    PagePanel2->setGeometry(QRect(l.second, l.page));
    PagePanel2->setVisible(two);
    ZoomLabel->setText(ZoomText(m_zoom));
    m_inResize = false;
}

void TPreviewForm::ZoomBoxChange()
{
    // The second pass sees the view after the first showed or hid the scroll bars.
    ScrollBox1Resize();
    ScrollBox1Resize();
}

void TPreviewForm::SelectEntry(int entry)
{
    ZoomBox->setCurrentIndex(entry);
    ZoomBoxChange();
}

void TPreviewForm::NextPageButClick()
{
    if (m_curPage + 1 < m_printer->PageCount())
        ShowPage(m_curPage + 1);
    UpdateButtons();
}

void TPreviewForm::PrevPageButClick()
{
    if (m_curPage > 0)
        ShowPage(m_curPage - 1);
    UpdateButtons();
}

void TPreviewForm::FirstPageSpeedClick()
{
    ShowPage(0);
    UpdateButtons();
}

void TPreviewForm::LastPageSpeedClick()
{
    ShowPage(qMax(0, m_printer->PageCount() - 1));
    UpdateButtons();
}

void TPreviewForm::PageNumSpeedClick()
{
    TGoPageForm dialog(this);
    dialog.PageNum->setMaximum(m_printer->PageCount());
    dialog.PageNum->setValue(m_curPage + 1);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ShowPage(dialog.Value() - 1);
    UpdateButtons();
}

void TPreviewForm::PrintButClick()
{
    if (!m_printer->Print() && !m_printer->LastError().isEmpty() && m_printer->ShowError)
        m_printer->ShowError(m_printer->LastError());
}

void TPreviewForm::PageSetupButClick()
{
    // New margins or orientation need the text laid out again; only this does it.
    if (m_printer->PageSetup() != QDialog::Accepted || !m_printer->Repaginate())
        return;
    ShowPage(qBound(0, m_curPage, qMax(0, m_printer->PageCount() - 1)));
    UpdateButtons();
    ZoomBoxChange();
}

void TPreviewForm::PB1MouseDown(QPoint p, Qt::MouseButtons buttons)
{
    if (HandCursorBut->isChecked()) {
        m_dragStart = p;
        m_dragging = true;
        PB1->setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (!ZoomCursorBut->isChecked() || PagePanel->width() <= 0 || PagePanel->height() <= 0)
        return;
    const double fx = double(p.x()) / PagePanel->width();
    const double fy = double(p.y()) / PagePanel->height();
    if (buttons & Qt::LeftButton)
        m_zoom = ZoomStep(m_zoom, true);
    if (buttons & Qt::RightButton)
        m_zoom = ZoomStep(m_zoom, false);
    ZoomBox->setCurrentIndex(Custom);
    ScrollBox1Resize();
    // The clicked spot of the sheet comes near the middle of the view.
    ScrollBox1->horizontalScrollBar()->setValue(int(PagePanel->width() * fx) - ScrollBox1->width() / 2);
    ScrollBox1->verticalScrollBar()->setValue(int(PagePanel->height() * fy) - ScrollBox1->height() / 2);
}

void TPreviewForm::PB1MouseMove(QPoint p)
{
    if (!m_dragging)
        return;
    // The start stays: the view moves under the pointer, so the grabbed spot stays under it.
    QScrollBar *h = ScrollBox1->horizontalScrollBar();
    QScrollBar *v = ScrollBox1->verticalScrollBar();
    h->setValue(h->value() + m_dragStart.x() - p.x());
    v->setValue(v->value() + m_dragStart.y() - p.y());
}

void TPreviewForm::PB1MouseUp()
{
    if (m_dragging && HandCursorBut->isChecked())
        PB1->setCursor(Qt::OpenHandCursor);
    m_dragging = false;
}

bool TPreviewForm::SheetFitsVertically() const
{
    return PagePanel->height() + 2 * kEdge <= ScrollBox1->viewport()->height();
}

void TPreviewForm::PageKey(int key)
{
    if (SheetFitsVertically()) {
        if (key == Qt::Key_PageDown)
            NextPageButClick();
        else if (key == Qt::Key_PageUp)
            PrevPageButClick();
        else
            key == Qt::Key_Home ? FirstPageSpeedClick() : LastPageSpeedClick();
        return;
    }
    QScrollBar *v = ScrollBox1->verticalScrollBar();
    if (key == Qt::Key_PageDown || key == Qt::Key_PageUp)
        v->setValue(v->value() + (key == Qt::Key_PageDown ? v->pageStep() : -v->pageStep()));
    else
        v->setValue(key == Qt::Key_Home ? v->minimum() : v->maximum());
}
