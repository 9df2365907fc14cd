#include "print/PrevForm.h"

#include "print/PrevPrinter.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// Draws every page scaled to the screen's resolution, with a gap between.
class PagesView : public QWidget
{
public:
    explicit PagesView(TPreviewPrinter *printer) : m_printer(printer)
    {
        if (m_printer->PageCount() > 0) {
            const DeviceMetrics &m = m_printer->Pages(0)->metrics;
            m_scale = qreal(logicalDpiX()) / m.logPixelsX;
            m_pageSize = QSizeF(m.pageWidth, m.pageHeight) * m_scale;
        }
        setFixedSize(int(m_pageSize.width()) + 2 * kGap,
                     (int(m_pageSize.height()) + kGap) * m_printer->PageCount() + kGap);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::gray);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (int i = 0; i < m_printer->PageCount(); ++i) {
            const QRectF box(kGap, kGap + i * (m_pageSize.height() + kGap), m_pageSize.width(),
                             m_pageSize.height());
            if (!box.intersects(event->rect()))
                continue;
            painter.fillRect(box, Qt::white);
            m_printer->Pages(i)->replayInto(painter, box);
        }
    }

private:
    static constexpr int kGap = 12;
    TPreviewPrinter *m_printer;
    qreal m_scale = 1;
    QSizeF m_pageSize;
};

} // namespace

TPreviewForm::TPreviewForm(TPreviewPrinter *printer, QWidget *parent) : QDialog(parent), m_printer(printer)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Print Preview"));
    auto *layout = new QVBoxLayout(this);
    auto *status = new QLabel(QStringLiteral("%1 page(s)").arg(printer->PageCount()), this);
    status->setObjectName(QStringLiteral("lblPages"));
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(new PagesView(printer));
    scroll->setAlignment(Qt::AlignHCenter);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *print = buttons->addButton(QStringLiteral("&Print..."), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("btnPrint"));
    connect(print, &QPushButton::clicked, this, [this] {
        if (!m_printer->Print() && !m_printer->LastError().isEmpty() && m_printer->ShowError)
            m_printer->ShowError(m_printer->LastError());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(status);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    resize(900, 1000);
}
