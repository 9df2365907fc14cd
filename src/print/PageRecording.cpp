#include "print/PageRecording.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QTextItem>

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

const PageOp::Prepared &prepareText(const PageOp &op, qreal fontScale, QPaintDevice *device)
{
    if (op.prepared && op.prepared->fontScale == fontScale)
        return *op.prepared;
    auto ready = std::make_shared<PageOp::Prepared>();
    ready->fontScale = fontScale;
    QFont f = op.font;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * fontScale);
    // Underline and strike-out were recorded as lines of their own.
    f.setUnderline(false);
    f.setStrikeOut(false);
    f.setOverline(false);
    ready->font = QFont(f, device);
    ready->ascent = QFontMetricsF(ready->font, device).ascent();
    ready->text.setText(op.text);
    ready->text.setTextFormat(Qt::PlainText);
    ready->text.setPerformanceHint(QStaticText::AggressiveCaching);
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
    // Each clipped run of operations is drawn inside a save/restore pair,
    // so a clip the caller set stays in force and is only narrowed.
    int clip = -1;
    for (const PageOp &op : ops) {
        if (op.clip != clip) {
            if (clip >= 0)
                painter.restore();
            clip = op.clip;
            if (clip >= 0) {
                painter.save();
                painter.setWorldTransform(base);
                painter.setClipPath(clips.at(clip), Qt::IntersectClip);
            }
        }
        painter.setWorldTransform(op.transform * base);
        switch (op.kind) {
        case PageOp::Text: {
            const PageOp::Prepared &ready = prepareText(op, fontScale, painter.device());
            painter.setFont(ready.font);
            painter.setPen(op.pen);
            painter.drawStaticText(QPointF(op.pos.x(), op.pos.y() - ready.ascent), ready.text);
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
