#include "print/RichTextLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

RichTextLayout::RichTextLayout(const QTextDocument &source, QPaintDevice *device, const QSizeF &body)
    : m_doc(source.clone()), m_body(body)
{
    m_length = qMax(0, m_doc->characterCount() - 1);
    if (body.width() <= 0 || body.height() <= 0) {
        m_noRoom = true;
        return;
    }
    // Design metrics make the advances independent of the device's hinting,
    // so the recorded page and its replay on paper break alike.
    m_doc->setUseDesignMetrics(true);
    m_doc->documentLayout()->setPaintDevice(device);
    m_doc->setDocumentMargin(0);
    m_doc->setPageSize(body);
    m_doc->documentLayout()->documentSize(); // lays the whole text out once

    // The layout pushes a line that would cross a page's bottom onto the next
    // page; the first line whose top is on a page starts that page.
    const qreal h = body.height();
    int lastPage = -1;
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        const QTextLayout *layout = b.layout();
        if (!layout || layout->lineCount() == 0)
            continue;
        // The block's place in the document; its lines count from there.
        const qreal top = m_doc->documentLayout()->blockBoundingRect(b).top();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            if (line.height() > h) {
                // This line fits on no page: the body is too small for it.
                m_noRoom = true;
                return;
            }
            const int page = int(std::floor((top + line.y()) / h + 1e-6));
            if (page > lastPage) {
                m_pageStart.append(b.position() + line.textStart());
                lastPage = page;
                m_pageY.append(page);
            }
        }
    }
    if (m_pageStart.isEmpty()) {
        m_pageStart.append(0);
        m_pageY.append(0);
    }
}

RichTextLayout::~RichTextLayout() = default;

int RichTextLayout::renderRange(QPainter &painter, const QRectF &body, int from) const
{
    if (m_noRoom)
        return from;
    int index = 0;
    while (index + 1 < m_pageStart.size() && m_pageStart.at(index + 1) <= from)
        ++index;
    const qreal h = m_body.height();
    const QRectF page(0, m_pageY.at(index) * h, m_body.width(), h);
    painter.save();
    painter.translate(body.left(), body.top() - page.top());
    painter.setClipRect(page);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = page;
    context.palette.setColor(QPalette::Text, Qt::black);
    m_doc->documentLayout()->draw(&painter, context);
    painter.restore();
    return index + 1 < m_pageStart.size() ? m_pageStart.at(index + 1) : m_length;
}
