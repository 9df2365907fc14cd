#include "print/RichTextLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextCursor>
#include <QTextLayout>
#include <cmath>

namespace {

// A picture on a line taller than the body, or wider than it, is scaled down
// (proportions kept) until its line fits: all of it shows, on a page of its
// own if need be, where a part would otherwise be cut off or no page hold it.
void fitPictures(QTextDocument *doc, QPaintDevice *device, const QSizeF &body)
{
    QTextObjectInterface *pictures = doc->documentLayout()->handlerForObject(QTextFormat::ImageObject);
    if (!pictures)
        return;
    // Picture sizes are in pixels of 96 to the inch, as the layout reads them.
    const qreal perPixel = device->logicalDpiY() / 96.0;
    QList<std::pair<int, QTextImageFormat>> changes;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            // Each character of the fragment is a picture of its own.
            for (int at = fragment.position(); at < fragment.position() + fragment.length(); ++at) {
                QTextImageFormat format = fragment.charFormat().toImageFormat();
                const QSizeF size = pictures->intrinsicSize(doc, at, format);
                const QTextLine line = b.layout()->lineForTextPosition(at - b.position());
                if (size.isEmpty() || !line.isValid())
                    continue;
                // The line keeps its own height besides the picture's.
                const qreal room = body.height() - (line.height() - size.height());
                const qreal factor = qMin(room / size.height(), body.width() / size.width()) * 0.999;
                if (factor >= 1 || factor <= 0)
                    continue;
                format.setWidth(size.width() * factor / perPixel);
                format.setHeight(size.height() * factor / perPixel);
                changes.append({at, format});
            }
        }
    }
    QTextCursor cursor(doc);
    for (const auto &[position, format] : changes) {
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    if (!changes.isEmpty())
        doc->documentLayout()->documentSize(); // laid out again with the pictures' new sizes
}

} // namespace

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
    fitPictures(m_doc.get(), device, body);

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
