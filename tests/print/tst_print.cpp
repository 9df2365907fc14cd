// Printing: the engine's page list, pagination of rich text measured against
// a PDF printer, the printed replay and Export to PDF of the recorded pages
// (which must break into the same lines and pages), and the main window's
// print commands with a PDF file standing in for the printer.
#include "../shell/support_window.h"
#include "support_print.h"

#include "print/PdfExport.h"
#include "print/PrevPrinter.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QTimer>

using namespace printtest;

namespace {

struct NoPrinters : PrinterAccess
{
    int printerCount() override { return 0; }
    QPrinter *printer() override { return nullptr; }
};

// Runs a command and closes the modal window it opens; answers its class.
QString closeNextModal(QAction *command)
{
    QString seen;
    const auto guard = onNextModal([&seen](QWidget *w) {
        seen = QString::fromLatin1(w->metaObject()->className());
        w->close();
    });
    command->trigger();
    return seen;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("printed.pdf")));
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
        QTest::addColumn<QString>("misuse"); // refused, and safely ignored in a release build
        const QString pag = QStringLiteral("Paginating page %1|%1|0");
        const QString done = QStringLiteral("Pagination Complete|-1|2");
        QTest::newRow("begin then end") << "BE" << 0 << QStringList{pag.arg(1), done} << "";
        QTest::newRow("last page unused") << "BCNE" << 1 << QStringList{pag.arg(1), pag.arg(2), done} << "";
        QTest::newRow("three pages") << "BCNCNCE" << 3 << QStringList{pag.arg(1), pag.arg(2), pag.arg(3), done} << "";
        QTest::newRow("canvas before begin") << "C" << 0 << QStringList() << "Canvas is not available before BeginDoc";
        QTest::newRow("new page after end") << "BCEN" << 1 << QStringList{pag.arg(1), done}
                                            << "NewPage is not available before BeginDoc";
    }
    void pageListKeepsOnlyPagesDrawnOn()
    {
        QFETCH(QString, calls);
        for (QChar c : calls) {
            if (c == 'B')
                m_engine->BeginDoc();
            else if (c == 'C')
                m_engine->Canvas();
            else
                c == 'N' ? m_engine->NewPage() : m_engine->EndDoc();
        }
        QTEST(m_engine->PageCount(), "pages");
        QTEST(m_status, "status");
        QFETCH(QString, misuse);
        QCOMPARE(TakeEngineMisuse(), misuse);
    }

    // 600 dpi, unprintable margins of 100 and 120 pixels: one inch from the sheet's edges.
    void pageRectangleCountsFromThePrintableArea()
    {
        const DeviceMetrics printer{600, 600, 5100, 6600, 100, 120};
        QCOMPARE(PageRectInches(printer, QSize(4900, 6360), 1, 1, 1, 1), QRect(QPoint(500, 480), QPoint(4300, 5760)));
    }

    // Recorded pages, their printed replay and Export to PDF break alike.
    void printedPagesMatchRecordedPages_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("units");
        QTest::addColumn<double>("margin");
        QTest::newRow("portrait, 30 pages") << 750 << int(poPortrait) << int(unInches) << 1.0;
        QTest::newRow("landscape") << 60 << int(poLandscape) << int(unInches) << 0.75;
        QTest::newRow("centimetres") << 60 << int(poPortrait) << int(unCentimeters) << 2.54;
    }
    void printedPagesMatchRecordedPages()
    {
        QFETCH(int, lines);
        QFETCH(int, orientation);
        QFETCH(int, units);
        QFETCH(double, margin);
        m_engine->Orientation = TPrinterOrientation(orientation);
        m_engine->SetUnits(TUnits(units));
        TTextOptions &o = m_engine->TextOptions();
        o.MarginLeft = o.MarginTop = o.MarginRight = o.MarginBottom = margin;
        o.PrintPageNumber = pnNone;
        const auto doc = document(lines);
        QVERIFY(m_engine->PrintRichText(*doc));
        const int pages = m_engine->PageCount();
        // Each page holds exactly its range of the text; the ranges cover it.
        const QString text = doc->toPlainText();
        const auto &ranges = m_engine->PageRanges();
        QCOMPARE(ranges.back().second, int(text.size()));
        for (int i = 0; i < pages; ++i) {
            QCOMPARE(ranges[i].first, i ? ranges[i - 1].second : 0);
            const QString body = text.mid(ranges[i].first, ranges[i].second - ranges[i].first);
            QCOMPARE(recordedLines(*m_engine->Pages(i)).join(QString()), squeeze(body));
        }
        // The margin is read in its units: 1 inch or 2.54 cm are 1200 pixels.
        const PageOp &firstText = m_engine->Pages(0)->ops.first();
        QVERIFY(qAbs(firstText.transform.map(firstText.pos).x() - margin / m_engine->UnitFactor() * 1200) < 2);

        QVERIFY(m_engine->PrintPages(0, pages - 1));
        const QString exported = m_dir.filePath(QStringLiteral("export.pdf"));
        QString error;
        QVERIFY2(ExportPdf(*doc, *m_engine, QPageSize::Letter, exported, &error), qPrintable(error));
        for (const QString &pdf : {m_dir.filePath(QStringLiteral("printed.pdf")), exported})
            for (int i = 0; i <= pages; ++i) // and no page beyond
                QCOMPARE(pdfLines(pdf, i + 1), i < pages ? recordedLines(*m_engine->Pages(i)) : QStringList());
    }

    void onePagePlusOneLineMakesTwoPages()
    {
        m_engine->TextOptions().PrintPageNumber = pnNone;
        int perPage = 1; // one-line paragraphs that fill the first page
        while (perPage < 200 && m_engine->PrintRichText(*document(perPage + 1, false)) && m_engine->PageCount() == 1)
            ++perPage;
        QVERIFY2(perPage > 20 && perPage < 60, qPrintable(QString::number(perPage))); // 12-pt paragraphs on 9 inches
        QCOMPARE(recordedLines(*m_engine->Pages(0)).last(), QStringLiteral("Line%1").arg(perPage));
        QCOMPARE(recordedLines(*m_engine->Pages(1)), QStringList{QStringLiteral("Line%1").arg(perPage + 1)});
    }

    // Header right, footer centred, "2% done" on the header line at the left margin.
    void headerFooterAndPageNumberArePlaced()
    {
        TTextOptions &o = m_engine->TextOptions();
        o.Header = QStringLiteral("The Header");
        o.HeaderAlign = taRightJustify;
        o.Footer = QStringLiteral("The Footer");
        o.PrintPageNumber = pnTop;
        o.PageNumAlign = taLeftJustify;
        o.PageNumText = QStringLiteral("%d%% done");
        QVERIFY(m_engine->PrintRichText(*document(70, false)));
        QMap<QString, QRectF> placed; // text -> its box on page 2, in sheet pixels (1200 per inch)
        for (const PageOp &op : m_engine->Pages(1)->ops)
            if (op.kind == PageOp::Text)
                placed[op.text] = op.transform.mapRect(QRectF(op.pos.x(), op.pos.y(), op.width, 1));
        const QRectF header = placed.value(o.Header), footer = placed.value(o.Footer), number = placed.value("2% done");
        QVERIFY(qAbs(header.right() - (10200 - 1200)) < 2 && qAbs(number.left() - 1200) < 2);
        QVERIFY(qAbs(footer.center().x() - 10200 / 2) < 2);
        for (qreal baseline : {header.top(), number.top()}) // half an inch down, plus the ascent
            QVERIFY(baseline > 600 && baseline < 1000);
        QVERIFY(footer.top() > 13200 - 900 && footer.top() < 13200 - 600);
    }

    // A justified line reaches the right margin (one inch in) in the preview
    // and on paper, as in the layout: its spaces widen, words keep their place.
    void justifiedLinesReachTheMargin_data()
    {
        QTest::addColumn<bool>("paper");
        QTest::newRow("preview") << false;
        QTest::newRow("paper") << true;
    }
    void justifiedLinesReachTheMargin()
    {
        QFETCH(bool, paper);
        QTextDocument doc;
        doc.setHtml(QStringLiteral("<p align=justify style=\"font-family:'Times New Roman'; font-size:12pt\">%1</p>")
                        .arg(QStringLiteral("a bb ccc Pneumonoultramicroscopicsilicovolcanoconiosis ").repeated(9)));
        m_engine->TextOptions().PrintPageNumber = pnNone;
        QVERIFY(m_engine->PrintRichText(doc));
        const TPageRecording &page = *m_engine->Pages(0);
        qreal end = 0; // where the first line's ink ends, in points from the sheet's left edge
        if (!paper) {
            QImage image(816, 1056, QImage::Format_RGB32); // the sheet at 96 pixels an inch
            image.fill(Qt::white);
            QPainter painter(&image);
            page.replayInto(painter, QRectF(image.rect()));
            painter.end();
            const int baseline = qRound(page.ops.first().transform.map(page.ops.first().pos).y() * 96 / 1200);
            for (int y = baseline - 10; y <= baseline; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) != qRgb(255, 255, 255))
                        end = qMax(end, (x + 1) * 0.75);
        } else {
            QVERIFY(m_engine->PrintPages(0, 0));
            const QString words = pdfTool("pdftotext", m_dir.filePath(QStringLiteral("printed.pdf")), {"-bbox"});
            const QRegularExpression word(QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\""));
            qreal firstLine = -1;
            for (auto it = word.globalMatch(words); it.hasNext();) {
                const auto m = it.next();
                if (firstLine < 0)
                    firstLine = m.captured(1).toDouble();
                if (m.captured(1).toDouble() == firstLine)
                    end = qMax(end, m.captured(2).toDouble());
            }
        }
        QVERIFY2(qAbs(end - (612 - 72)) <= 1, qPrintable(QString::number(end)));
    }

    // A body a tenth of an inch high: not even one line fits.
    void marginsWithoutRoomStop()
    {
        m_engine->TextOptions().MarginTop = m_engine->TextOptions().MarginBottom = 5.45;
        QVERIFY(!m_engine->PrintRichText(*document(3)));
        QCOMPARE(m_engine->LastError(), QStringLiteral("The margins leave no room for text on the page."));
        QVERIFY(!m_engine->InDocument());
        QCOMPARE(m_engine->PageCount(), 0);
    }

    // A picture taller than the body (31 inches here) is drawn scaled down to it, proportions kept.
    void tallPictureIsScaledToTheBody()
    {
        QTextDocument doc;
        QImage tall(200, 3000, QImage::Format_RGB32);
        tall.fill(Qt::blue);
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("tall")), tall);
        QTextCursor(&doc).insertImage(QStringLiteral("tall"));
        QVERIFY2(m_engine->PrintRichText(doc), qPrintable(m_engine->LastError()));
        QCOMPARE(m_engine->PageCount(), 1);
        QRectF drawn;
        for (const PageOp &op : m_engine->Pages(0)->ops)
            if (op.kind == PageOp::Image)
                drawn = op.transform.mapRect(op.target);
        QVERIFY2(drawn.height() <= 10800 && drawn.height() > 10500, qPrintable(QString::number(drawn.height())));
        QCOMPARE(qRound(drawn.height() / drawn.width()), 15);
    }

    // Pages 2 to 3 in two copies: two jobs of two pages, never four copies.
    void printRangeAndCopies()
    {
        QVERIFY(m_engine->PrintRichText(*document(200, false)));
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
    }

    // Printing needs a printer; previewing does not (it measures against a PDF page).
    void withoutPrinterOnlyTheMessageShows()
    {
        TfrmTree *w = startWindow();
        NoPrinters none;
        w->PreviewPrinter1->SetPrinterAccess(&none);
        QCOMPARE(closeNextModal(w->PrintItem1), QString());
        QCOMPARE(m_f->dialogs.texts(), QStringList{QStringLiteral("There is no printer installed.")});
        QCOMPARE(m_f->dialogs.shown.first().caption, QStringLiteral("Quivora"));
        QCOMPARE(m_f->dialogs.shown.first().icon, MsgIcon::Information);
        QCOMPARE(w->PreviewPrinter1->PageCount(), 0);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("printed.pdf"))));
        m_f->dialogs.clear();
        QCOMPARE(closeNextModal(w->PrintPreview1), QStringLiteral("TPreviewForm"));
        QVERIFY(m_f->dialogs.shown.isEmpty());
        QCOMPARE(w->PreviewPrinter1->PageCount(), 1);
    }

    // One job, one page, the text one inch (72 points) from the left and top.
    void printItemPrintsInOneInchMargins()
    {
        TfrmTree *w = startWindow();
        w->PrintItem1->trigger();
        QVERIFY(m_f->dialogs.shown.isEmpty());
        const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
        QCOMPARE(pdfLines(pdf, 1), QStringList{QStringLiteral("Onionsoup")});
        QVERIFY(pdfLines(pdf, 2).isEmpty());
        const auto word = QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Onion"))
                              .match(pdfTool(QStringLiteral("pdftotext"), pdf, {QStringLiteral("-bbox")}));
        QVERIFY(qAbs(word.captured(1).toDouble() - 72) < 1 && qAbs(word.captured(2).toDouble() - 72) < 4);
        QVERIFY(pdfTool(QStringLiteral("pdfinfo"), pdf).contains(QRegularExpression("Title: *Testjob")));
    }

    void previewShowsTheRecordedPages()
    {
        TfrmTree *w = startWindow();
        w->PreviewPrinter1->TextOptions().Footer = QStringLiteral("Kitchen");
        QCOMPARE(closeNextModal(w->PrintPreview1), QStringLiteral("TPreviewForm"));
        QVERIFY(m_f->dialogs.shown.isEmpty());
        QCOMPARE(closeNextModal(w->findChild<QAction *>("mnuPageSetup")), QStringLiteral("TPageSetupForm"));
        QVERIFY(w->mnuTree->actions().contains(w->findChild<QAction *>("mnuPageSetup")));
        QCOMPARE(w->PreviewPrinter1->PageCount(), 1);
        QCOMPARE(recordedLines(*w->PreviewPrinter1->Pages(0)),
                 (QStringList{QStringLiteral("Onionsoup"), QStringLiteral("KitchenPage1")}));
        // A page number text that is not a format is refused: the user is told why, nothing opens.
        w->PreviewPrinter1->TextOptions().PageNumText = QStringLiteral("Page %s");
        QCOMPARE(closeNextModal(w->PrintPreview1), QString());
        QCOMPARE(m_f->dialogs.texts(), QStringList{"The page number text \"Page %s\" can hold only %d for the page "
                                                   "number and %% for a percent sign."});
        QVERIFY(!w->PreviewPrinter1->InDocument() && w->PreviewPrinter1->PageCount() == 0);
    }

    void exportAsksBeforeReplacingAndReportsFailures_data()
    {
        QTest::addColumn<QString>("answer"); // typed into the file dialog
        QTest::addColumn<int>("replace");    // the answer to the replace question, 0: not asked
        QTest::addColumn<QString>("message"); // what the user is told
        QTest::newRow("replace yes") << "old" << int(MsgButton::Yes) << "old.pdf already exists.";
        QTest::newRow("replace no") << "old" << int(MsgButton::No) << "old.pdf already exists.";
        QTest::newRow("no such folder") << "none/new.pdf" << 0 << "Could not write";
    }
    void exportAsksBeforeReplacingAndReportsFailures()
    {
        TfrmTree *w = startWindow();
        NoPrinters none; // Export needs no printer
        w->PreviewPrinter1->SetPrinterAccess(&none);
        QFETCH(QString, answer);
        QFETCH(int, replace);
        QFETCH(QString, message);
        testwin::writeFile(m_f->docPath("old.pdf"), "old");
        m_f->dialogs.fileAnswers.enqueue(m_f->docPath(answer));
        if (replace)
            m_f->dialogs.answers.enqueue(MsgButton(replace));
        w->FileExportPdf1->trigger();
        QCOMPARE(m_f->dialogs.fileRequests.first().fileName, QStringLiteral("Soup.pdf"));
        QVERIFY(QDir::fromNativeSeparators(m_f->dialogs.texts().value(0)).contains(message));
        const QString written = replace == int(MsgButton::Yes) ? QStringLiteral("Onionsoup|Page1") : QString();
        QCOMPARE(pdfLines(m_f->docPath("old.pdf"), 1).join(QLatin1Char('|')), written);
    }

private:
    // The main window on the sample document with Soup selected, printing to a PDF file.
    TfrmTree *startWindow()
    {
        m_f = std::make_unique<testwin::Fixture>();
        testwin::writeFile(m_f->docPath("doc.qvr"), testwin::sampleDocument());
        TfrmTree *w = m_f->start({m_f->docPath("doc.qvr")});
        m_f->select("$\\Recipes\\Soup");
        w->PreviewPrinter1->SetPrinterAccess(m_pdf.get());
        return w;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<testwin::Fixture> m_f;
    std::unique_ptr<PdfPrinter> m_pdf;
    std::unique_ptr<TPreviewPrinter> m_engine;
    QStringList m_status;
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
