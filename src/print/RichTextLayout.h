#pragma once
#include <QRectF>
#include <QVector>
#include <memory>

class QPainter;
class QPaintDevice;
class QTextDocument;

// An item's text laid out once for a device into pages of the body's size:
// the same breaks serve the preview's recorded pages and the paper.
class RichTextLayout
{
public:
    // `device` gives the metrics; the source document is cloned, not changed.
    RichTextLayout(const QTextDocument &source, QPaintDevice *device, const QSizeF &body);
    ~RichTextLayout();

    // True when not even one line fits into the body.
    bool noRoom() const { return m_noRoom; }
    int textLength() const { return m_length; }
    int pageCount() const { return int(m_pageStart.size()); }

    // Draws the page that holds position `from` into `body` (device pixels
    // from the sheet's corner) and returns the first position not drawn.
    int renderRange(QPainter &painter, const QRectF &body, int from) const;

private:
    std::unique_ptr<QTextDocument> m_doc;
    QVector<int> m_pageStart; // the first position of every page
    QVector<int> m_pageY;     // and its page in the layout
    QSizeF m_body;
    int m_length = 0;
    bool m_noRoom = false;
};
