#include "print/PageRecording.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QTextItem>
#include <QTextLayout>

int MetricFor(const DeviceMetrics &m, QPaintDevice::PaintDeviceMetric metric)
{
    switch (metric) {
    case QPaintDevice::PdmWidth: return m.pageWidth;
    case QPaintDevice::PdmHeight: return m.pageHeight;
    case QPaintDevice::PdmWidthMM: return qRound(m.pageWidth * 25.4 / m.logPixelsX);
    case QPaintDevice::PdmHeightMM: return qRound(m.pageHeight * 25.4 / m.logPixelsY);
    case QPaintDevice::PdmNumColors: return INT_MAX;
    case QPaintDevice::PdmDepth: return 32;
    case QPaintDevice::PdmDpiX:
    case QPaintDevice::PdmPhysicalDpiX: return m.logPixelsX;
    case QPaintDevice::PdmDpiY:
    case QPaintDevice::PdmPhysicalDpiY: return m.logPixelsY;
    case QPaintDevice::PdmDevicePixelRatio: return 1;
    case QPaintDevice::PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}

int MetricsDevice::metric(PaintDeviceMetric metric) const
{
    return MetricFor(m_metrics, metric);
}

namespace {

// Records what the painter draws. It claims every feature, so the painter
// hands over text items, paths and images untouched, with logical
// coordinates and the transform in force.
class RecordingEngine : public QPaintEngine
{
public:
    explicit RecordingEngine(TPageRecording *page) : QPaintEngine(AllFeatures), m_page(page) {}

    bool begin(QPaintDevice *) override
    {
        m_clipDirty = true;
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        const auto flags = state.state();
        if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled | DirtyTransform))
            m_clipDirty = true;
    }

    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        PageOp op = base(PageOp::Text);
        op.pos = p;
        op.text = ti.text();
        op.font = ti.font();
        op.width = ti.width();
        if (op.clip >= 0) {
            // Whole lines lie on one page: a line whose baseline is outside
            // the page's clip belongs to another page and is left out.
            const QRectF clip = m_page->clips.at(op.clip).boundingRect();
            const qreal baseline = op.transform.map(p).y();
            if (baseline < clip.top() || baseline >= clip.bottom())
                return;
        }
        m_page->ops.append(std::move(op));
    }

    void drawPath(const QPainterPath &path) override { addPath(path); }

    void drawRects(const QRectF *rects, int count) override
    {
        QPainterPath path;
        for (int i = 0; i < count; ++i)
            path.addRect(rects[i]);
        addPath(path);
    }

    void drawLines(const QLineF *lines, int count) override
    {
        QPainterPath path;
        for (int i = 0; i < count; ++i) {
            path.moveTo(lines[i].p1());
            path.lineTo(lines[i].p2());
        }
        addPath(path, false);
    }

    void drawEllipse(const QRectF &r) override
    {
        QPainterPath path;
        path.addEllipse(r);
        addPath(path);
    }

    void drawPoints(const QPointF *points, int count) override
    {
        QPainterPath path;
        for (int i = 0; i < count; ++i) {
            path.moveTo(points[i]);
            path.lineTo(points[i]);
        }
        addPath(path, false);
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        addPath(path, mode != PolylineMode);
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags) override
    {
        PageOp op = base(PageOp::Image);
        op.target = r;
        op.source = sr;
        op.image = image;
        m_page->ops.append(std::move(op));
    }

    void drawTiledPixmap(const QRectF &r, const QPixmap &pm, const QPointF &s) override
    {
        QPainterPath path;
        path.addRect(r);
        PageOp op = base(PageOp::Path);
        op.pen = Qt::NoPen;
        QBrush brush(pm);
        brush.setTransform(QTransform::fromTranslate(r.x() - s.x(), r.y() - s.y()));
        op.brush = brush;
        op.path = path;
        m_page->ops.append(std::move(op));
    }

private:
    PageOp base(PageOp::Kind kind)
    {
        PageOp op;
        op.kind = kind;
        QPainter *p = painter();
        op.transform = p->combinedTransform();
        op.pen = p->pen();
        op.brush = p->brush();
        op.clip = currentClip();
        return op;
    }

    void addPath(const QPainterPath &path, bool fill = true)
    {
        PageOp op = base(PageOp::Path);
        if (!fill)
            op.brush = Qt::NoBrush;
        op.path = path;
        if (op.clip >= 0 && !m_page->clips.at(op.clip).boundingRect().intersects(
                op.transform.mapRect(path.controlPointRect()).adjusted(-1, -1, 1, 1)))
            return;
        m_page->ops.append(std::move(op));
    }

    int currentClip()
    {
        if (!m_clipDirty)
            return m_clip;
        m_clipDirty = false;
        QPainter *p = painter();
        if (!p->hasClipping()) {
            m_clip = -1;
            return m_clip;
        }
        m_page->clips.append(p->combinedTransform().map(p->clipPath()));
        m_clip = int(m_page->clips.size()) - 1;
        return m_clip;
    }

    TPageRecording *m_page;
    bool m_clipDirty = true;
    int m_clip = -1;
};

} // namespace

PageRecorder::PageRecorder(TPageRecording *page)
    : m_page(page), m_engine(std::make_unique<RecordingEngine>(page))
{
}

PageRecorder::~PageRecorder() = default;

QPaintEngine *PageRecorder::paintEngine() const
{
    return m_engine.get();
}

int PageRecorder::metric(PaintDeviceMetric metric) const
{
    return MetricFor(m_page->metrics, metric);
}

namespace {

// Underline and strike-out were recorded as lines of their own.
QFont plainFont(QFont f)
{
    f.setUnderline(false);
    f.setStrikeOut(false);
    f.setOverline(false);
    return f;
}

// Shapes the item once on the recording's device with design metrics, as the
// document layout did. Where the layout made the item wider than its text
// (a justified line), the difference goes to its spaces in equal parts.
const PageOp::Shaped &shapeText(const PageOp &op, const DeviceMetrics &metrics)
{
    if (op.shaped)
        return *op.shaped;
    auto shaped = std::make_shared<PageOp::Shaped>();
    MetricsDevice device(metrics);
    QTextLayout layout(op.text, plainFont(op.font), &device);
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true); // the glyphs below come from this shaping
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    shaped->ascent = line.ascent();
    shaped->glyphs = layout.glyphRuns();

    const qsizetype spaces = op.text.count(QLatin1Char(' '));
    const qreal extra = spaces ? (op.width - line.horizontalAdvance()) / qreal(spaces) : 0;
    shaped->pieceStart.append(0);
    shaped->pieceX.append(0);
    if (extra > 0.01 && !op.text.isRightToLeft()) {
        int before = 0;
        for (int i = 0; i + 1 < op.text.size(); ++i) {
            if (op.text.at(i) != QLatin1Char(' '))
                continue;
            ++before;
            if (op.text.at(i + 1) == QLatin1Char(' '))
                continue;
            shaped->pieceStart.append(i + 1);
            shaped->pieceX.append(line.cursorToX(i + 1) + before * extra);
        }
        // Each glyph moves right by the widening of the spaces to its left.
        QList<qreal> spaceX;
        for (const QGlyphRun &run : std::as_const(shaped->glyphs)) {
            const quint32 space = run.rawFont().glyphIndexesForString(QStringLiteral(" ")).value(0);
            const QList<quint32> ids = run.glyphIndexes();
            const QList<QPointF> at = run.positions();
            for (int g = 0; g < ids.size(); ++g)
                if (ids.at(g) == space)
                    spaceX.append(at.at(g).x());
        }
        for (QGlyphRun &run : shaped->glyphs) {
            QList<QPointF> positions = run.positions();
            for (QPointF &p : positions) {
                int left = 0;
                for (qreal x : spaceX)
                    left += x < p.x() - 1e-6;
                p.rx() += left * extra;
            }
            run.setPositions(positions);
        }
    }
    op.shaped = shaped;
    return *shaped;
}

const PageOp::Prepared &prepareText(const PageOp &op, const PageOp::Shaped &shaped, qreal fontScale,
                                    QPaintDevice *device)
{
    if (op.prepared && op.prepared->fontScale == fontScale)
        return *op.prepared;
    auto ready = std::make_shared<PageOp::Prepared>();
    ready->fontScale = fontScale;
    QFont f = plainFont(op.font);
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * fontScale);
    ready->font = QFont(f, device);
    ready->ascent = QFontMetricsF(ready->font, device).ascent();
    for (int i = 0; i < shaped.pieceStart.size(); ++i) {
        const int from = shaped.pieceStart.at(i);
        const int to = i + 1 < shaped.pieceStart.size() ? shaped.pieceStart.at(i + 1) : int(op.text.size());
        QStaticText piece(op.text.mid(from, to - from));
        piece.setTextFormat(Qt::PlainText);
        piece.setPerformanceHint(QStaticText::AggressiveCaching);
        ready->pieces.append(piece);
    }
    op.prepared = ready;
    return *ready;
}

} // namespace

void TPageRecording::replay(QPainter &painter, const QPointF &offset, qreal scale) const
{
    painter.save();
    const QTransform base = QTransform::fromScale(scale, scale) * QTransform::fromTranslate(offset.x(), offset.y())
                            * painter.worldTransform();
    // A point size means the reference device's points; on the target the
    // same pixel size needs the size converted by the two resolutions.
    const qreal fontScale = qreal(metrics.logPixelsY) / painter.device()->logicalDpiY();
    // On a raster target the glyphs shaped on the recording's device are
    // drawn as they are; elsewhere (printers, PDF) text stays text.
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    // Each clipped run of operations is drawn inside a save/restore pair,
    // so a clip the caller set stays in force and is only narrowed.
    int clip = -1;
    const QTransform *transform = nullptr; // the one in force, if an operation's
    for (const PageOp &op : ops) {
        if (op.clip != clip) {
            if (clip >= 0)
                painter.restore();
            clip = op.clip;
            transform = nullptr;
            if (clip >= 0) {
                painter.save();
                painter.setWorldTransform(base);
                painter.setClipPath(clips.at(clip), Qt::IntersectClip);
            }
        }
        if (!transform || *transform != op.transform) {
            painter.setWorldTransform(op.transform * base);
            transform = &op.transform;
        }
        switch (op.kind) {
        case PageOp::Text: {
            const PageOp::Shaped &shaped = shapeText(op, metrics);
            if (painter.pen() != op.pen)
                painter.setPen(op.pen);
            if (raster) {
                const QPointF top(op.pos.x(), op.pos.y() - shaped.ascent);
                for (const QGlyphRun &run : shaped.glyphs)
                    painter.drawGlyphRun(top, run);
                break;
            }
            const PageOp::Prepared &ready = prepareText(op, shaped, fontScale, painter.device());
            painter.setFont(ready.font);
            for (int i = 0; i < ready.pieces.size(); ++i)
                painter.drawStaticText(QPointF(op.pos.x() + shaped.pieceX.at(i), op.pos.y() - ready.ascent),
                                       ready.pieces.at(i));
            break;
        }
        case PageOp::Path:
            painter.setPen(op.pen);
            painter.setBrush(op.brush);
            painter.drawPath(op.path);
            break;
        case PageOp::Image:
            painter.drawImage(op.target, op.image, op.source);
            break;
        }
    }
    if (clip >= 0)
        painter.restore();
    painter.restore();
}

void TPageRecording::replayInto(QPainter &painter, const QRectF &box) const
{
    if (metrics.pageWidth <= 0 || metrics.pageHeight <= 0)
        return;
    const qreal scale = qMin(box.width() / metrics.pageWidth, box.height() / metrics.pageHeight);
    replay(painter, box.topLeft(), scale);
}

QStringList TPageRecording::texts() const
{
    QStringList out;
    for (const PageOp &op : ops)
        if (op.kind == PageOp::Text)
            out << op.text;
    return out;
}
