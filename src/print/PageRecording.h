#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainterPath>
#include <QPaintDevice>
#include <QPen>
#include <QStaticText>
#include <QTransform>
#include <QVector>
#include <memory>

class QPainter;

// The metrics of a reference device (a printer, or the screen standing in
// for a sheet of US letter): everything recorded against them measures as
// it will on that device.
struct DeviceMetrics
{
    int logPixelsX = 96;
    int logPixelsY = 96;
    int pageWidth = 816;  // the whole sheet, in device pixels
    int pageHeight = 1056;
    int offsetX = 0;      // the unprintable margins at the left and top edge
    int offsetY = 0;
};

// One recorded drawing operation, in the recording's logical coordinates
// with the transform that applied when it was drawn.
struct PageOp
{
    enum Kind { Text, Path, Image };
    Kind kind = Path;
    QTransform transform;
    int clip = -1;  // index into TPageRecording::clips, -1: none
    QPen pen;
    QBrush brush;
    QPainterPath path;   // Path: the outline to stroke with pen and fill with brush
    QPointF pos;         // Text: the start of the baseline
    QString text;
    QFont font;          // Text: point sizes are reference-device points
    qreal width = 0;     // Text: the advance the layout gave it
    QRectF target;       // Image
    QRectF source;
    QImage image;

    // Text shaped once against the recording's device, as the layout placed
    // it: a justified line widens its spaces, so the text is kept in pieces
    // that each start where the layout put them.
    struct Shaped
    {
        qreal ascent = 0;             // baseline below the top of the glyphs' box
        QVector<QGlyphRun> glyphs;    // for raster targets: positions relative to that top
        QVector<int> pieceStart;      // for other targets: where each piece of the text begins
        QVector<qreal> pieceX;        // and its distance from the item's start
    };
    mutable std::shared_ptr<const Shaped> shaped;

    // Text made ready for one target resolution, kept so that paging and
    // zooming back and forth do not shape the text again. Printers and PDF
    // get text in the device's own font, so it stays text there.
    struct Prepared
    {
        qreal fontScale = 0;
        QFont font;
        QVector<QStaticText> pieces;
        qreal ascent = 0;
    };
    mutable std::shared_ptr<Prepared> prepared;
};

// A page: a display list recorded against a reference device, replayed at an
// offset or scaled into a box on any painter. Text replays with the recorded
// font at its recorded position, so it is never laid out again.
class TPageRecording
{
public:
    DeviceMetrics metrics;
    QVector<PageOp> ops;
    QVector<QPainterPath> clips; // in device coordinates of the recording

    // Draws the page with its origin (the sheet's corner) at `offset`, in
    // reference-device pixels scaled by `scale` onto the painter's device.
    void replay(QPainter &painter, const QPointF &offset = {}, qreal scale = 1.0) const;
    // Draws the whole sheet scaled to fit `box`, keeping its proportions.
    void replayInto(QPainter &painter, const QRectF &box) const;
    // The recorded text, items in the order drawn (tests, search).
    QStringList texts() const;
};

// The paint device a page is recorded through: its metrics are the reference
// device's, its paint engine appends to the page's display list.
class PageRecorder : public QPaintDevice
{
public:
    explicit PageRecorder(TPageRecording *page);
    ~PageRecorder() override;
    QPaintEngine *paintEngine() const override;
    TPageRecording *page() const { return m_page; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    TPageRecording *m_page;
    std::unique_ptr<QPaintEngine> m_engine;
};

// A device with only the reference device's metrics, for laying text out.
class MetricsDevice : public QPaintDevice
{
public:
    explicit MetricsDevice(const DeviceMetrics &m) : m_metrics(m) {}
    QPaintEngine *paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    DeviceMetrics m_metrics;
};

int MetricFor(const DeviceMetrics &m, QPaintDevice::PaintDeviceMetric metric);
