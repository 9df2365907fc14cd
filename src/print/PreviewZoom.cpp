#include "print/PreviewZoom.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace previewzoom {

QStringList EntryCaptions()
{
    QStringList captions{QStringLiteral("Fit To Page"), QStringLiteral("Fit To Width"), QStringLiteral("Custom")};
    for (double step : kSteps)
        captions << QString::number(qRound(step * 100)) + QLatin1Char('%');
    return captions;
}

double FitPage(QSize client, int screenDpi, const DeviceMetrics &m, bool twoPages)
{
    const double sheetH = double(m.pageHeight) / m.logPixelsY;
    const double sheetW = double(m.pageWidth) / m.logPixelsX;
    const double byHeight = (client.height() - 2 * kEdge) / double(screenDpi) / sheetH;
    // Two sheets and the gap between them must fit side by side as well.
    const int sheets = twoPages ? 2 : 1;
    const double byWidth = (client.width() - 2 * kEdge - (sheets - 1) * kGap) / double(screenDpi) / (sheets * sheetW);
    return std::max(std::min(byHeight, byWidth), kMinFitZoom);
}

double FitWidth(QSize client, int screenDpi, const DeviceMetrics &m)
{
    const double sheetW = double(m.pageWidth) / m.logPixelsX;
    return std::max((client.width() - 2 * kEdge) / double(screenDpi) / sheetW, kMinFitZoom);
}

double EntryZoom(int entry, double current, QSize client, int screenDpi, const DeviceMetrics &m, bool twoPages)
{
    if (entry == FitToPage)
        return FitPage(client, screenDpi, m, twoPages);
    if (entry == FitToWidth)
        return FitWidth(client, screenDpi, m);
    if (entry == Custom)
        return current > 0 ? current : 1.0;
    const int step = entry - kFirstStep;
    return step >= 0 && step < int(std::size(kSteps)) ? kSteps[step] : 1.0;
}

double ZoomStep(double zoom, bool zoomIn)
{
    return zoomIn ? std::min(zoom * 1.5, std::max(zoom, kMaxZoom)) : std::max(zoom / 1.5, std::min(zoom, kMinZoom));
}

double ZoomFromPercent(int percent)
{
    return std::clamp(percent / 100.0, kMinZoom, kMaxZoom);
}

Layout LayOut(double zoom, bool twoPages, QSize client, int screenDpi, const DeviceMetrics &m)
{
    Layout l;
    l.page = QSize(int(screenDpi * zoom * m.pageWidth / m.logPixelsX), int(screenDpi * zoom * m.pageHeight / m.logPixelsY));
    const int totalW = l.page.width() + 2 * kEdge + (twoPages ? l.page.width() + kGap : 0);
    const int totalH = l.page.height() + 2 * kEdge;
    // The desk fills the view, less one pixel so no scroll bar shows, and
    // grows past it when the sheets are larger.
    l.desk = QSize(std::max(totalW, client.width() - 1), std::max(totalH, client.height() - 1));
    const int top = totalH >= l.desk.height() ? kEdge : l.desk.height() / 2 - l.page.height() / 2;
    const int left = l.desk.width() > totalW ? l.desk.width() / 2 - (totalW - 2 * kEdge) / 2 : kEdge;
    l.first = QPoint(left, top);
    l.second = QPoint(left + l.page.width() + kGap, top);
    return l;
}

QString ZoomText(double zoom)
{
    return QLocale().toString(zoom * 100, 'f', 0) + QLatin1Char('%');
}

} // namespace previewzoom
