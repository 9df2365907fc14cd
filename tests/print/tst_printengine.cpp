// The print engine: the page list's life, unit conversions, pagination of
// rich text measured against a PDF printer, and printing the recorded pages
// back, whose text must break into the same lines and pages.
#include "support_print.h"

#include "print/PdfExport.h"
#include "print/PrevPrinter.h"

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace printtest;

class TestPrintEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_pdf = std::make_unique<PdfPrinter>(m_dir.filePath(QStringLiteral("printed.pdf")));
        m_engine = std::make_unique<TPreviewPrinter>();
        m_engine->SetPrinterAccess(m_pdf.get());
        m_status.clear();
        m_engine->OnStatus = [this](TPreviewPrinter *, const QString &msg, int page, TStatusType type) {
            m_status << QStringLiteral("%1|%2|%3").arg(msg).arg(page).arg(int(type));
        };
    }

    void pageListKeepsOnlyPagesDrawnOn_data()
    {
        QTest::addColumn<QString>("calls"); // B BeginDoc, C Canvas, N NewPage, E EndDoc
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("status");
        const QString pag = QStringLiteral("Paginating page %1|%1|0");
        const QString done = QStringLiteral("Pagination Complete|-1|2");
        QTest::newRow("begin then end") << "BE" << 0 << QStringList{pag.arg(1), done};
        QTest::newRow("canvas fetched") << "BCE" << 1 << QStringList{pag.arg(1), done};
        QTest::newRow("last page unused") << "BCNE" << 1 << QStringList{pag.arg(1), pag.arg(2), done};
        QTest::newRow("three pages") << "BCNCNCE" << 3
                                     << QStringList{pag.arg(1), pag.arg(2), pag.arg(3), done};
    }
    void pageListKeepsOnlyPagesDrawnOn()
    {
        QFETCH(QString, calls);
        for (QChar c : calls) {
            switch (c.toLatin1()) {
            case 'B': m_engine->BeginDoc(); break;
            case 'C': QVERIFY(m_engine->Canvas()); break;
            case 'N': m_engine->NewPage(); break;
            case 'E': m_engine->EndDoc(); break;
            }
        }
        QTEST(m_engine->PageCount(), "pages");
        QTEST(m_status, "status");
        QVERIFY(!m_engine->InDocument());
    }

    void drawingStateCarriesOverAndMisuseIsRefused()
    {
        QVERIFY(!m_engine->Canvas());
        QCOMPARE(LastEngineMisuse(), QStringLiteral("Canvas is not available before BeginDoc"));
        m_engine->BeginDoc();
        QPainter *first = m_engine->Canvas();
        QCOMPARE(first->font().family(), QStringLiteral("Arial"));
        QCOMPARE(first->font().pointSizeF(), 10.0);
        QCOMPARE(first->brush().style(), Qt::NoBrush);
        QFont big(QStringLiteral("Times New Roman"));
        big.setPointSize(30);
        first->setFont(big);
        first->setPen(Qt::red);
        m_engine->NewPage();
        QCOMPARE(m_engine->Canvas()->font(), big);
        QCOMPARE(m_engine->Canvas()->pen().color(), QColor(Qt::red));
        m_engine->EndDoc();
        m_engine->NewPage();
        QCOMPARE(LastEngineMisuse(), QStringLiteral("NewPage is not available before BeginDoc"));
        QCOMPARE(m_engine->PageCount(), 2);
    }

    void unitsAndPageRectangle()
    {
        m_engine->ReadDeviceMetrics(m_pdf->printer());
        const DeviceMetrics m = m_engine->Metrics();
        QCOMPARE(m.logPixelsX, 1200);
        QCOMPARE(QSize(m.pageWidth, m.pageHeight), QSize(10200, 13200)); // US letter, whole sheet
        QCOMPARE(m_engine->UnitsToPixelsX(1.0), 1200);
        m_engine->SetUnits(unCentimeters);
        QCOMPARE(m_engine->UnitFactor(), 2.54);
        QCOMPARE(m_engine->UnitsToPixelsX(2.54), 1200);
        QCOMPARE(m_engine->PixelsToUnitsY(600), 1.27);

        const DeviceMetrics printer{600, 600, 5100, 6600, 100, 120};
        QCOMPARE(PageRectInches(printer, QSize(4900, 6360), 1, 1, 1, 1), QRect(QPoint(500, 480), QPoint(4300, 5760)));

        MetricsDevice screen(DeviceMetrics{});
        const DeviceMetrics letter = ReadMetrics(&screen);
        const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
        QCOMPARE(QSize(letter.pageWidth, letter.pageHeight), QSize(qRound(dpi * 8.5), dpi * 11));
        QCOMPARE(QPoint(letter.offsetX, letter.offsetY), QPoint(0, 0));
    }

    // Recorded pages and their printed replay break into the same lines.
    void printedPagesMatchRecordedPages_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("units");
        QTest::addColumn<double>("margin");
        QTest::newRow("portrait inches") << 120 << int(poPortrait) << int(unInches) << 1.0;
        QTest::newRow("landscape") << 60 << int(poLandscape) << int(unInches) << 0.75;
        QTest::newRow("centimetres") << 60 << int(poPortrait) << int(unCentimeters) << 2.54;
    }
    void printedPagesMatchRecordedPages()
    {
        QFETCH(int, lines);
        QFETCH(double, margin);
        QFETCH(int, orientation);
        m_engine->Orientation = TPrinterOrientation(orientation);
        QFETCH(int, units);
        m_engine->SetUnits(TUnits(units));
        TTextOptions &o = m_engine->TextOptions();
        o.MarginLeft = o.MarginTop = o.MarginRight = o.MarginBottom = margin;
        o.PrintPageNumber = pnNone;
        const auto doc = mixedDocument(lines);
        QVERIFY(m_engine->PrintRichText(*doc));
        QVERIFY(m_engine->PageCount() > 1);
        const QString text = doc->toPlainText();
        // Body ranges cover the text without gaps; each starts and ends a page.
        const auto &ranges = m_engine->PageRanges();
        QCOMPARE(int(ranges.size()), m_engine->PageCount());
        QCOMPARE(ranges.front().first, 0);
        QCOMPARE(ranges.back().second, int(text.size()));
        for (int i = 0; i < m_engine->PageCount(); ++i) {
            // The page holds exactly its range of the text, nothing more.
            const QString body = squeeze(text.mid(ranges[i].first, ranges[i].second - ranges[i].first));
            QCOMPARE(recordedLines(*m_engine->Pages(i)).join(QString()), QString(body).remove(QLatin1Char(0x2029)).remove(QLatin1Char(0x0A)));
        }
        // A 1-inch (or 2.54 cm) margin is 1200 pixels from the sheet's left edge.
        const PageOp &firstText = m_engine->Pages(0)->ops.first();
        QVERIFY(qAbs(firstText.transform.map(firstText.pos).x() - margin / m_engine->UnitFactor() * 1200) < 2);

        QVERIFY(m_engine->PrintPages(0, m_engine->PageCount() - 1));
        const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
        QCOMPARE(pdfPageCount(pdf), m_engine->PageCount());
        for (int i = 0; i < m_engine->PageCount(); ++i)
            QCOMPARE(pdfLines(pdf, i + 1), recordedLines(*m_engine->Pages(i)));
    }

    void onePagePlusOneLineMakesTwoPages()
    {
        m_engine->TextOptions().PrintPageNumber = pnNone;
        // Find how many one-line paragraphs fill the first page.
        int perPage = 1;
        for (; perPage < 200; ++perPage) {
            QVERIFY(m_engine->PrintRichText(*plainDocument(perPage + 1)));
            if (m_engine->PageCount() == 2)
                break;
        }
        QVERIFY(m_engine->PrintRichText(*plainDocument(perPage)));
        QCOMPARE(m_engine->PageCount(), 1);
        QCOMPARE(recordedLines(*m_engine->Pages(0)).last(), QStringLiteral("Line%1").arg(perPage));
        QVERIFY(m_engine->PrintRichText(*plainDocument(perPage + 1)));
        QCOMPARE(m_engine->PageCount(), 2);
        QCOMPARE(recordedLines(*m_engine->Pages(1)), QStringList{QStringLiteral("Line%1").arg(perPage + 1)});
        // 12-pt lines on 9 inches of body: about 50 of them, not 1 and not 200.
        QVERIFY2(perPage > 40 && perPage < 60, qPrintable(QString::number(perPage)));
    }

    void headerFooterAndPageNumberArePlaced_data()
    {
        QTest::addColumn<int>("numberAt");
        QTest::addColumn<int>("numberAlign");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown"); // on page 2
        QTest::newRow("bottom right") << int(pnBottom) << int(taRightJustify) << "Page %d" << "Page 2";
        QTest::newRow("top left") << int(pnTop) << int(taLeftJustify) << "%d%% done" << "2% done";
        QTest::newRow("none") << int(pnNone) << int(taCenter) << "Page %d" << "";
    }
    void headerFooterAndPageNumberArePlaced()
    {
        QFETCH(int, numberAt);
        QFETCH(int, numberAlign);
        QFETCH(QString, shown);
        TTextOptions &o = m_engine->TextOptions();
        o.Header = QStringLiteral("The Header");
        o.HeaderAlign = taRightJustify;
        o.Footer = QStringLiteral("The Footer");
        o.PrintPageNumber = TPrintPageNumber(numberAt);
        o.PageNumAlign = TAlignment(numberAlign);
        QFETCH(QString, format);
        o.PageNumText = format;
        QVERIFY(m_engine->PrintRichText(*plainDocument(70)));
        QCOMPARE(m_engine->PageCount(), 2);
        QMap<QString, QRectF> placed; // text -> its box on page 2, in sheet pixels
        for (const PageOp &op : m_engine->Pages(1)->ops)
            if (op.kind == PageOp::Text)
                placed[op.text] = op.transform.mapRect(QRectF(op.pos.x(), op.pos.y(), op.width, 1));
        const qreal dpi = 1200, width = 8.5 * dpi, height = 11 * dpi;
        QVERIFY(qAbs(placed[o.Header].right() - (width - dpi)) < 2); // right margin 1 inch
        QVERIFY(placed[o.Header].top() > 0.5 * dpi && placed[o.Header].top() < 0.8 * dpi);
        QVERIFY(qAbs(placed[o.Footer].center().x() - width / 2) < 2);
        QVERIFY(placed[o.Footer].top() > height - 0.75 * dpi);
        if (shown.isEmpty()) {
            QVERIFY(!placed.contains(QStringLiteral("Page 2")));
            return;
        }
        QVERIFY2(placed.contains(shown), qPrintable(placed.keys().join(QLatin1Char(','))));
        const QRectF box = placed[shown];
        QCOMPARE(box.top() < height / 2, numberAt == pnTop);
        if (numberAlign == taRightJustify)
            QVERIFY(qAbs(box.right() - (width - dpi)) < 2);
        else
            QVERIFY(qAbs(box.left() - dpi) < 2);
    }

    void refusalsEndTheDocument_data()
    {
        QTest::addColumn<double>("margin");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("error");
        QTest::newRow("margins wider than the sheet")
            << 5.0 << "Page %d" << "The margins leave no room for text on the page.";
        QTest::newRow("body lower than a line")
            << 5.45 << "Page %d" << "The margins leave no room for text on the page.";
        QTest::newRow("page number as a string")
            << 1.0 << "Page %s"
            << "The page number text \"Page %s\" can hold only %d for the page number and %% for a percent sign.";
    }
    void refusalsEndTheDocument()
    {
        QFETCH(double, margin);
        TTextOptions &o = m_engine->TextOptions();
        o.MarginTop = o.MarginBottom = o.MarginLeft = o.MarginRight = margin;
        QFETCH(QString, format);
        o.PageNumText = format;
        QVERIFY(!m_engine->PrintRichText(*plainDocument(3)));
        QTEST(m_engine->LastError(), "error");
        QVERIFY(!m_engine->InDocument());
        QCOMPARE(m_engine->PageCount(), 0);
    }

    // Pages 2 to 3 in two copies: two jobs of two pages, never four copies.
    void printRangeAndCopies()
    {
        m_engine->TextOptions().PrintPageNumber = pnNone;
        QVERIFY(m_engine->PrintRichText(*plainDocument(200)));
        QVERIFY(m_engine->PageCount() >= 3);
        m_engine->RunPrintDialog = [](QPrinter *printer, int, PrintChoice &choice) {
            printer->setCopyCount(2);
            choice = {1, 2, 2};
            return true;
        };
        m_status.clear();
        QVERIFY(m_engine->Print());
        const QStringList job{QStringLiteral("Printing page 2|2|1"), QStringLiteral("Printing page 3|3|1"),
                              QStringLiteral("Print Job Complete|-1|3")};
        QCOMPARE(m_status, job + job);
        QCOMPARE(m_pdf->printer()->copyCount(), 1);
        m_engine->RunPrintDialog = [](QPrinter *, int, PrintChoice &) { return false; };
        m_status.clear();
        QVERIFY(!m_engine->Print());
        QVERIFY(m_status.isEmpty());
    }

    // Export to PDF and the preview of the same item on the same paper agree.
    void exportMatchesPreview()
    {
        const auto doc = mixedDocument(750);
        m_engine->TextOptions().Header = QStringLiteral("Mixed");
        QVERIFY(m_engine->PrintRichText(*doc));
        QVERIFY(m_engine->PageCount() >= 30);
        const QString pdf = m_dir.filePath(QStringLiteral("export.pdf"));
        QString error;
        QVERIFY2(ExportPdf(*doc, *m_engine, QPageSize::Letter, pdf, &error), qPrintable(error));
        QCOMPARE(pdfPageCount(pdf), m_engine->PageCount());
        for (int i : {0, 1, m_engine->PageCount() - 1})
            QCOMPARE(pdfLines(pdf, i + 1), recordedLines(*m_engine->Pages(i)));
        QVERIFY(!ExportPdf(*doc, *m_engine, QPageSize::A4, m_dir.filePath(QStringLiteral("none/x.pdf")), &error));
        QVERIFY2(error.startsWith(QStringLiteral("Could not write ")), qPrintable(error));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PdfPrinter> m_pdf;
    std::unique_ptr<TPreviewPrinter> m_engine;
    QStringList m_status;
};

QTEST_MAIN(TestPrintEngine)
#include "tst_printengine.moc"
