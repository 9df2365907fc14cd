#pragma once
#include "print/PageRecording.h"

#include <QPoint>
#include <QSize>
#include <QStringList>

// The preview's zoom list and the arithmetic of placing one or two sheets on
// the desk, as plain functions of sizes so they are tested without a window.
namespace previewzoom {

enum Entry { FitToPage = 0, FitToWidth = 1, Custom = 2 };

// The captions of the zoom list, and the zoom of every fixed entry from 3 on.
QStringList EntryCaptions();
constexpr double kSteps[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
constexpr int kFirstStep = 3;
constexpr double kMinZoom = kSteps[0];
constexpr double kMaxZoom = kSteps[std::size(kSteps) - 1];
// A window too small for a sheet still shows it this large.
constexpr double kMinFitZoom = 0.05;
// Pixels: the desk's edge around the sheets and the gap between them.
constexpr int kEdge = 10;
constexpr int kGap = 20;

// The zoom that fits the sheet (both sheets, side by side, with `twoPages`)
// into the client area of the scrolling view; `screenDpi` is the screen's
// logical pixels per inch. Never below kMinFitZoom.
double FitPage(QSize client, int screenDpi, const DeviceMetrics &m, bool twoPages);
double FitWidth(QSize client, int screenDpi, const DeviceMetrics &m);
// The zoom of list entry `entry`; "Custom" keeps `current`.
double EntryZoom(int entry, double current, QSize client, int screenDpi, const DeviceMetrics &m, bool twoPages);
// One click of the zoom tool: ×1.5 in, ÷1.5 out, kept within the zoom
// list's smallest and largest entry (never moving the other way).
double ZoomStep(double zoom, bool zoomIn);
// The opening zoom for a custom percentage, within the list's limits.
double ZoomFromPercent(int percent);

// Where the sheets go on the desk.
struct Layout
{
    QSize page;    // each sheet, in screen pixels
    QSize desk;    // the grey desk holding them
    QPoint first;  // top-left of the first sheet on the desk
    QPoint second; // and of the second, in two-page mode
};
Layout LayOut(double zoom, bool twoPages, QSize client, int screenDpi, const DeviceMetrics &m);

// "38%": the zoom in percent with the locale's separators.
QString ZoomText(double zoom);

} // namespace previewzoom
