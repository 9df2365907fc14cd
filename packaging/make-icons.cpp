// Writes the program's icon for the desktop's hicolor theme: PNGs at the
// usual sizes and a scalable SVG, all painted by the code that paints the
// window icon. Usage: make-icons OUTDIR (OUTDIR/hicolor/... is made).
#include "shell/ToolIcons.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// Records what is painted as SVG elements: enough for filled paths, rectangles
// and stroked lines in plain colours, which is all the icon uses.
class SvgEngine : public QPaintEngine
{
public:
    SvgEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void updateState(const QPaintEngineState &s) override
    {
        if (s.state() & DirtyPen) m_pen = s.pen();
        if (s.state() & DirtyBrush) m_brush = s.brush();
        if (s.state() & DirtyTransform) m_transform = s.transform();
    }
    void drawPath(const QPainterPath &path) override
    {
        const QPainterPath p = m_transform.map(path);
        QString d;
        for (int i = 0; i < p.elementCount(); ++i) {
            const QPainterPath::Element e = p.elementAt(i);
            if (e.isMoveTo()) d += QStringLiteral("M%1 %2 ").arg(e.x).arg(e.y);
            else if (e.isLineTo()) d += QStringLiteral("L%1 %2 ").arg(e.x).arg(e.y);
            else if (e.isCurveTo()) {
                const auto c1 = p.elementAt(i + 1), c2 = p.elementAt(i + 2);
                d += QStringLiteral("C%1 %2 %3 %4 %5 %6 ").arg(e.x).arg(e.y).arg(c1.x).arg(c1.y)
                         .arg(c2.x).arg(c2.y);
                i += 2;
            }
        }
        shape(QStringLiteral("<path d=\"%1Z\"").arg(d), true);
    }
    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath p;
            p.addRect(rects[i]);
            drawPath(p);
        }
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QLineF l = m_transform.map(lines[i]);
            shape(QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\"")
                      .arg(l.x1()).arg(l.y1()).arg(l.x2()).arg(l.y2()), false);
        }
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override
    {
        QPainterPath p;
        p.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        drawPath(p);
    }
    QString body;

private:
    void shape(const QString &start, bool fill)
    {
        QString style;
        if (fill && m_brush.style() != Qt::NoBrush)
            style += QStringLiteral(" fill=\"%1\"").arg(m_brush.color().name());
        else
            style += QStringLiteral(" fill=\"none\"");
        if (m_pen.style() != Qt::NoPen) {
            style += QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"")
                         .arg(m_pen.color().name()).arg(m_pen.widthF() * m_transform.m11());
            if (m_pen.capStyle() == Qt::RoundCap)
                style += QStringLiteral(" stroke-linecap=\"round\"");
            else if (m_pen.capStyle() == Qt::SquareCap)
                style += QStringLiteral(" stroke-linecap=\"square\"");
        }
        body += QStringLiteral("  ") + start + style + QStringLiteral("/>\n");
    }
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
};

class SvgDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: case PdmHeight: return 64;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 64;
        }
    }
    mutable SvgEngine m_engine;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: make-icons OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            PaintAppIcon(p, size);
        }
        const QString dir = out + QStringLiteral("%1x%1/apps/").arg(size);
        QDir().mkpath(dir);
        if (!image.save(dir + QStringLiteral("quivora.png"))) {
            fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    SvgDevice device;
    {
        QPainter p(&device);
        PaintAppIcon(p, 64);
    }
    const QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" "
                                       "height=\"64\" viewBox=\"0 0 64 64\">\n")
                        + device.m_engine.body + QStringLiteral("</svg>\n");
    if (!writeFile(out + QStringLiteral("scalable/apps/quivora.svg"), svg.toUtf8())) {
        fprintf(stderr, "make-icons: cannot write the SVG\n");
        return 1;
    }
    return 0;
}
