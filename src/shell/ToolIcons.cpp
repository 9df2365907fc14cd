#include "shell/ToolIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QHash>
#include <QStyle>
#include <QStyleOption>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void drawAlign(QPainter &p, int mode)
{
    const int widths[] = {14, 9, 12, 7};
    for (int i = 0; i < 4; ++i) {
        const int w = widths[i];
        const int x = mode == 0 ? 1 : mode == 1 ? (16 - w) / 2 : 15 - w;
        p.drawLine(x, 3 + i * 3, x + w, 3 + i * 3);
    }
}

// The letters of the format commands are drawn as strokes: loading a face
// of a font for four sixteen-pixel letters costs more than the whole bar.
enum class Letter { A, B, I, U };

void drawLetter(QPainter &p, Letter letter, bool bold, const QColor &color = QColor(40, 40, 40))
{
    p.save();
    p.setPen(QPen(color, bold ? 2.3 : 1.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    switch (letter) {
    case Letter::A:
        path.moveTo(3.5, 13);
        path.lineTo(8, 2.5);
        path.lineTo(12.5, 13);
        path.moveTo(5.4, 9);
        path.lineTo(10.6, 9);
        break;
    case Letter::B:
        path.moveTo(4.5, 2.5);
        path.lineTo(8.5, 2.5);
        path.cubicTo(11.5, 2.5, 11.5, 7.5, 8.5, 7.5);
        path.lineTo(4.5, 7.5);
        path.moveTo(8.5, 7.5);
        path.cubicTo(12.5, 7.5, 12.5, 13, 8.5, 13);
        path.lineTo(4.5, 13);
        path.moveTo(4.5, 1.5);
        path.lineTo(4.5, 14);
        break;
    case Letter::I:
        // Slanted, with the feet of a book face.
        path.moveTo(9.5, 2.5);
        path.lineTo(6.5, 13);
        path.moveTo(7.5, 2.5);
        path.lineTo(11.5, 2.5);
        path.moveTo(4.5, 13);
        path.lineTo(8.5, 13);
        break;
    case Letter::U:
        path.moveTo(4.5, 2);
        path.lineTo(4.5, 9);
        path.cubicTo(4.5, 13.5, 11.5, 13.5, 11.5, 9);
        path.lineTo(11.5, 2);
        break;
    }
    p.drawPath(path);
    p.restore();
}

void drawPage(QPainter &p, const QRect &r)
{
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

void drawToolIcon(QPainter &p, ToolIcon kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    switch (kind) {
    case ToolIcon::New: {
        // A page with its corner folded.
        QPainterPath page;
        page.moveTo(3, 1);
        page.lineTo(10, 1);
        page.lineTo(13, 4);
        page.lineTo(13, 15);
        page.lineTo(3, 15);
        page.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.drawPolyline(QPolygonF({QPointF(10, 1), QPointF(10, 4), QPointF(13, 4)}));
        break;
    }
    case ToolIcon::Open: {
        // A folder, open towards the viewer.
        p.setBrush(QColor(225, 185, 90));
        p.drawPolygon(QPolygonF({QPointF(1, 3), QPointF(6, 3), QPointF(7.5, 5), QPointF(13, 5),
                                 QPointF(13, 14), QPointF(1, 14)}));
        p.setBrush(QColor(245, 210, 120));
        p.drawPolygon(QPolygonF({QPointF(3, 7.5), QPointF(15, 7.5), QPointF(13, 14), QPointF(1, 14)}));
        break;
    }
    case ToolIcon::Branch:
        // A closed folder.
        p.setBrush(QColor(225, 185, 90));
        p.drawPolygon(QPolygonF({QPointF(1, 3), QPointF(6, 3), QPointF(7.5, 5), QPointF(15, 5),
                                 QPointF(15, 14), QPointF(1, 14)}));
        p.drawLine(QPointF(1, 6.5), QPointF(15, 6.5));
        break;
    case ToolIcon::Item:
        // A page of text.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 1, 10, 14));
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int y = 4; y <= 12; y += 2)
            p.drawLine(QPointF(5, y + 0.5), QPointF(11, y + 0.5));
        break;
    case ToolIcon::Save:
        // A diskette: its label and its shutter.
        p.setBrush(QColor(60, 90, 160));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 2, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 10, 7, 4.5));
        break;
    case ToolIcon::Cut:
        p.drawEllipse(QPointF(4, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(12, 12), 2.5, 2.5);
        p.drawLine(QPointF(5.5, 10), QPointF(11, 1));
        p.drawLine(QPointF(10.5, 10), QPointF(5, 1));
        break;
    case ToolIcon::Copy:
        drawPage(p, QRect(1, 1, 9, 11));
        drawPage(p, QRect(6, 4, 9, 11));
        break;
    case ToolIcon::Paste:
        p.setBrush(QColor(200, 160, 90));
        p.drawRoundedRect(QRectF(2, 2, 12, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 5, 8, 8));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(5, 1, 6, 3));
        break;
    case ToolIcon::Font: drawLetter(p, Letter::A, true, QColor(20, 20, 120)); break;
    case ToolIcon::Bold: drawLetter(p, Letter::B, true); break;
    case ToolIcon::Italic: drawLetter(p, Letter::I, false); break;
    case ToolIcon::Underline:
        drawLetter(p, Letter::U, false);
        p.drawLine(QPointF(3.5, 15), QPointF(12.5, 15));
        break;
    case ToolIcon::TextColour:
        drawLetter(p, Letter::A, false);
        p.fillRect(QRectF(2, 13.5, 12, 2.5), QColor(210, 30, 30));
        break;
    case ToolIcon::AlignLeft: drawAlign(p, 0); break;
    case ToolIcon::AlignCenter: drawAlign(p, 1); break;
    case ToolIcon::AlignRight: drawAlign(p, 2); break;
    case ToolIcon::Print:
        drawPage(p, QRect(4, 1, 8, 6));
        p.setBrush(QColor(150, 150, 150));
        p.drawRoundedRect(QRectF(1, 6, 14, 6), 1, 1);
        drawPage(p, QRect(4, 10, 8, 5));
        break;
    case ToolIcon::Preview:
        drawPage(p, QRect(2, 1, 10, 13));
        p.drawEllipse(QPointF(10, 10), 3, 3);
        p.drawLine(QPointF(12, 12), QPointF(15, 15));
        break;
    case ToolIcon::Find:
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(QColor(40, 40, 40), 2.2));
        p.drawLine(QPointF(10, 10), QPointF(15, 15));
        break;
    case ToolIcon::Options:
        // A cog: eight teeth around a ring.
        p.setPen(QPen(QColor(40, 40, 40), 2.4));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, 4.5), QPointF(0, 7.5));
            p.restore();
        }
        p.setPen(QPen(QColor(40, 40, 40), 1.6));
        p.drawEllipse(QPointF(8, 8), 4, 4);
        break;
    }
}

// Draws the picture the first time a size of it is asked for, and keeps it.
class ToolIconEngine : public QIconEngine
{
public:
    explicit ToolIconEngine(ToolIcon kind) : m_kind(kind) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const bool disabled = mode == QIcon::Disabled;
        const quint64 key = (quint64(size.width()) << 33) | (quint64(size.height()) << 1) | disabled;
        QPixmap &drawn = m_drawn[key];
        if (!drawn.isNull())
            return drawn;
        drawn = QPixmap(size);
        drawn.fill(Qt::transparent);
        QPainter p(&drawn);
        p.scale(size.width() / 16.0, size.height() / 16.0);
        drawToolIcon(p, m_kind);
        p.end();
        if (disabled) {
            // Greyed as the style greys any picture of a disabled command.
            QStyleOption option;
            drawn = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
        }
        return drawn;
    }
    QIconEngine *clone() const override { return new ToolIconEngine(m_kind); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(16, 16)}; }

private:
    ToolIcon m_kind;
    QHash<quint64, QPixmap> m_drawn; // by size and greyed or not
};

} // namespace

QIcon MakeToolIcon(ToolIcon kind)
{
    return QIcon(new ToolIconEngine(kind));
}

void PaintAppIcon(QPainter &p, int size)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // Cover, page, and the branches of a tree on the page.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 58, 120));
    p.drawRoundedRect(QRectF(6, 4, 52, 56), 6, 6);
    p.setBrush(QColor(250, 248, 240));
    p.drawRect(QRectF(14, 10, 38, 44));
    p.setPen(QPen(QColor(28, 58, 120), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(21, 18), QPointF(21, 45));
    p.drawLine(QPointF(21, 25), QPointF(30, 25));
    p.drawLine(QPointF(21, 35), QPointF(30, 35));
    p.drawLine(QPointF(21, 45), QPointF(30, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 120, 30));
    for (int y : {25, 35, 45})
        p.drawRect(QRectF(32, y - 3.5, 14, 7));
    p.restore();
}

QIcon MakeAppIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        PaintAppIcon(p, size);
        icon.addPixmap(pm);
    }
    return icon;
}
