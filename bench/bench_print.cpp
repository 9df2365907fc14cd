// Printing a 200-page item with mixed fonts, colours and alignments, measured
// against a PDF printer. Targets: paginating costs at most twice laying the
// same text out once for the printer; replaying one page for the preview
// costs under a tenth of recording it; changing the preview's zoom on 200
// pages costs no more than on 2; applying stored page-setup defaults at
// start-up costs under 5 ms.
#include "print/PrevForm.h"
#include "print/PrevPrinter.h"
#include "support_ratio.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QImage>
#include <QPrinter>
#include <QPainter>
#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    PdfPrinter pdf{dir.filePath(QStringLiteral("bench.pdf"))};
    QTextDocument doc;
    TPreviewPrinter engine;
    Fixture()
    {
        static const char *faces[] = {"Arial", "Times New Roman", "Liberation Mono"};
        static const char *aligns[] = {"left", "center", "right", "justify"};
        QString html;
        for (int i = 0; i < 4600; ++i)
            html += QStringLiteral("<p align=\"%1\" style=\"font-family:'%2'; font-size:%3pt; color:#%4\">"
                                   "Paragraph %5 with <b>bold</b>, <i>italic</i> and plain words%6</p>")
                        .arg(QLatin1String(aligns[i % 4]), QLatin1String(faces[i % 3]))
                        .arg(9 + (i % 4) * 2)
                        .arg(i % 3 == 0 ? QStringLiteral("000000") : QStringLiteral("a02000"))
                        .arg(i)
                        .arg(i % 6 == 0 ? QStringLiteral(" that run on across the width of the body until "
                                                         "the line wraps once or twice on the page")
                                        : QString());
        doc.setHtml(html);
        engine.SetPrinterAccess(&pdf);
        engine.PrintRichText(doc);
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// Baseline: the same text laid out once for the printer into the body.
void BM_LayoutOnceForPrinter(benchmark::State &state)
{
    Fixture &f = fixture();
    MetricsDevice device(ReadMetrics(f.pdf.printer()));
    for (auto _ : state) {
        std::unique_ptr<QTextDocument> copy(f.doc.clone());
        copy->setUseDesignMetrics(true);
        copy->documentLayout()->setPaintDevice(&device);
        copy->setDocumentMargin(0);
        copy->setPageSize(QSizeF(7800, 10800));
        benchmark::DoNotOptimize(copy->documentLayout()->documentSize());
    }
}

void BM_Paginate(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state)
        f.engine.PrintRichText(f.doc);
    state.counters["pages"] = f.engine.PageCount();
}

// Recording one page: the pagination's time divided by its pages.
void BM_RecordOnePage(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        f.engine.PrintRichText(f.doc);
        state.SetIterationTime(t.nsecsElapsed() / 1e9 / f.engine.PageCount());
    }
}

// Replays every 37th page into a page at screen size, as the preview shows one.
void replayPages(benchmark::State &state, Fixture &f, QImage &image)
{
    int page = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        f.engine.Pages(page)->replayInto(painter, QRectF(image.rect()));
        page = (page + 37) % f.engine.PageCount();
    }
}

// Replaying one page for the preview: a page at screen size.
void BM_ReplayOnePage(benchmark::State &state)
{
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    replayPages(state, fixture(), image);
}

// The same on pages each shown once before: what paging back and forth in
// the preview costs, text prepared at the first showing.
void BM_ReplayShownPage(benchmark::State &state)
{
    Fixture &f = fixture();
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < f.engine.PageCount(); ++i) {
        QPainter painter(&image);
        f.engine.Pages(i)->replayInto(painter, QRectF(image.rect()));
    }
    replayPages(state, f, image);
}

// Scrolling the preview over a page at 200%: a strip of the view 40 pixels
// high painted again, as scrolling exposes it (a replay clipped to the strip).
void BM_PreviewRepaintStrip(benchmark::State &state)
{
    Fixture &f = fixture();
    TPreviewForm form(&f.engine);
    form.setWindowState(Qt::WindowNoState);
    form.resize(900, 700);
    form.show();
    form.ZoomBox->setCurrentIndex(9); // 200%
    form.ScrollBox1Resize();
    while (!form.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    int y = 0;
    for (auto _ : state) {
        form.PB1->repaint(0, y, form.PB1->width(), 40);
        y = (y + 40) % (form.PB1->height() - 40);
    }
}

// What a blank page costs the preview: the white sheet alone.
void BM_BlankPage(benchmark::State &state)
{
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        benchmark::DoNotOptimize(painter.isActive());
    }
}

// Changing the preview's zoom through the list and painting the page shown,
// on a document of state.range(0) recorded pages.
void BM_ZoomChange(benchmark::State &state)
{
    Fixture &f = fixture();
    TPreviewPrinter engine;
    engine.SetPrinterAccess(&f.pdf);
    engine.BeginDoc();
    for (int i = 0; i < state.range(0); ++i) {
        if (i)
            engine.NewPage();
        engine.Canvas()->drawText(QPointF(1200, 1200 + i % 50 * 200), QStringLiteral("Page %1").arg(i + 1));
    }
    engine.EndDoc();
    TPreviewForm form(&engine);
    form.setWindowState(Qt::WindowNoState);
    form.resize(900, 700);
    form.show();
    int entry = 3;
    for (auto _ : state) {
        form.ZoomBox->setCurrentIndex(entry);
        form.ScrollBox1Resize();
        benchmark::DoNotOptimize(form.PB1->grab().size());
        entry = entry == 6 ? 3 : entry + 1; // 25% to 100%
    }
}

// The engine made and its stored page-setup defaults applied (state.range(0): stored or not).
void BM_StartupDefaults(benchmark::State &state)
{
    QSettings store(QCoreApplication::applicationName(), QStringLiteral("PageSetupForm"));
    store.clear();
    if (state.range(0)) {
        for (const char *name : {"LeftEdit", "RightEdit", "TopEdit", "BotEdit", "HdrMarginEdit", "FtrMarginEdit"})
            store.setValue(QStringLiteral("Values/") + QLatin1String(name), QStringLiteral("1.500"));
        for (const char *name : {"CentBut", "LandBut", "PageTopBut", "HdrLeftBut"})
            store.setValue(QStringLiteral("Values/") + QLatin1String(name), QStringLiteral("1"));
        store.setValue(QStringLiteral("Values/HeaderEdit"), QStringLiteral("Kitchen notes"));
        store.setValue(QStringLiteral("Values/HeaderFontDialog_Name"), QStringLiteral("Arial"));
        store.setValue(QStringLiteral("Values/HeaderFontDialog_Size"), QStringLiteral("14"));
    }
    store.sync();
    for (auto _ : state) {
        TPreviewPrinter engine;
        engine.Loaded();
        benchmark::DoNotOptimize(engine.TextOptions().MarginLeft);
    }
}

BENCHMARK(BM_LayoutOnceForPrinter)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paginate)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordOnePage)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayOnePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayShownPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewRepaintStrip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlankPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomChange)->Arg(2)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupDefaults)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Stored defaults go to a folder of the run's own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter({{"BM_Paginate/iterations:3", "BM_LayoutOnceForPrinter/iterations:3", 2.0},
                            {"BM_ReplayOnePage", "BM_RecordOnePage/iterations:3/manual_time", 0.1},
                            {"BM_ZoomChange/200", "BM_ZoomChange/2", 1.1}},
                           {{"BM_StartupDefaults/1", "BM_StartupDefaults/0", 5.0}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
