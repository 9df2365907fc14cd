// The main window's print commands: the printer check, the direct print,
// the preview and Export to PDF, with a PDF file standing in for a printer.
#include "../shell/support_window.h"
#include "support_print.h"

#include "print/PrevForm.h"
#include "print/PrevPrinter.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

using namespace testwin;

namespace {

class NoPrinters : public PrinterAccess
{
public:
    int printerCount() override { return 0; }
    QPrinter *printer() override { return nullptr; }
};

QString pdfText(const QString &pdf, const QStringList &options = {})
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Closes the modal window that the command opens, and says what it was.
QString closeNextModal(const std::function<void()> &command)
{
    QString seen;
    QTimer::singleShot(0, [&seen] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            seen = QString::fromLatin1(w->metaObject()->className());
            w->close();
        }
    });
    command();
    return seen;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_f = std::make_unique<Fixture>();
        writeFile(m_f->docPath("doc.qvr"), sampleDocument());
        m_w = m_f->start({m_f->docPath("doc.qvr")});
        m_f->select("$\\Recipes\\Soup");
        m_pdf = std::make_unique<PdfPrinter>(m_f->docPath("printer.pdf"));
        m_w->PreviewPrinter1->SetPrinterAccess(m_pdf.get());
    }

    void withoutPrinterOnlyTheMessageShows_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("print item") << "PrintItem1";
        QTest::newRow("print preview") << "PrintPreview1";
    }
    void withoutPrinterOnlyTheMessageShows()
    {
        NoPrinters none;
        m_w->PreviewPrinter1->SetPrinterAccess(&none);
        QFETCH(QString, action);
        auto *a = m_w->findChild<QAction *>(action);
        QVERIFY(a && a->isEnabled());
        QCOMPARE(closeNextModal([a] { a->trigger(); }), QString());
        QCOMPARE(m_f->dialogs.texts(), QStringList{QStringLiteral("There is no printer installed.")});
        QCOMPARE(m_f->dialogs.shown.first().caption, QStringLiteral("Quivora"));
        QCOMPARE(m_f->dialogs.shown.first().icon, MsgIcon::Information);
        QCOMPARE(m_w->PreviewPrinter1->PageCount(), 0);
        QVERIFY(!QFile::exists(m_f->docPath("printer.pdf")));
    }

    void printItemPrintsOneJobInOneInchMargins()
    {
        QCOMPARE(m_w->PrintItem1->statusTip(), QStringLiteral("Print current item"));
        m_w->PrintItem1->trigger();
        QVERIFY(m_f->dialogs.shown.isEmpty());
        const QString pdf = m_f->docPath("printer.pdf");
        QCOMPARE(printtest::pdfPageCount(pdf), 1);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Onion soup")));
        // The first word's box starts one inch (72 points) from the left and top edges.
        const QString box = pdfText(pdf, {QStringLiteral("-bbox")});
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(
                                                                 "xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Onion"))
                                              .match(box);
        QVERIFY2(m.hasMatch(), qPrintable(box));
        QVERIFY(qAbs(m.captured(1).toDouble() - 72) < 1);
        QVERIFY(qAbs(m.captured(2).toDouble() - 72) < 4);
        QVERIFY(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"),
                                                         QStringLiteral("pdfinfo '%1' | grep -q 'Title: *Testjob'").arg(pdf)})
                == 0);
    }

    void previewShowsTheRecordedPages()
    {
        m_w->PreviewPrinter1->TextOptions().Footer = QStringLiteral("Kitchen");
        QCOMPARE(closeNextModal([this] { m_w->PrintPreview1->trigger(); }), QStringLiteral("TPreviewForm"));
        QVERIFY(m_f->dialogs.shown.isEmpty());
        QCOMPARE(m_w->PreviewPrinter1->PageCount(), 1);
        const QStringList lines = printtest::recordedLines(*m_w->PreviewPrinter1->Pages(0));
        QCOMPARE(lines, (QStringList{QStringLiteral("Onionsoup"), QStringLiteral("KitchenPage1")}));
        // A refused page number says why and opens nothing.
        m_w->PreviewPrinter1->TextOptions().PageNumText = QStringLiteral("%n");
        QCOMPARE(closeNextModal([this] { m_w->PrintPreview1->trigger(); }), QString());
        QCOMPARE(m_f->dialogs.texts().size(), 1);
        QVERIFY(!m_w->PreviewPrinter1->InDocument());
    }

    void exportAsksBeforeReplacingAndReportsFailures_data()
    {
        QTest::addColumn<QString>("answer"); // typed into the file dialog
        QTest::addColumn<int>("replace");    // the answer to the replace question, 0: not asked
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("written");
        QTest::newRow("new file") << "new" << 0 << "" << true;
        QTest::newRow("replace yes") << "old" << int(MsgButton::Yes) << "old.pdf already exists." << true;
        QTest::newRow("replace no") << "old" << int(MsgButton::No) << "old.pdf already exists." << false;
        QTest::newRow("no such folder") << "none/new.pdf" << 0 << "Could not write" << false;
    }
    void exportAsksBeforeReplacingAndReportsFailures()
    {
        NoPrinters none; // Export needs no printer
        m_w->PreviewPrinter1->SetPrinterAccess(&none);
        QFETCH(QString, answer);
        QFETCH(int, replace);
        writeFile(m_f->docPath("old.pdf"), "old");
        m_f->dialogs.fileAnswers.enqueue(m_f->docPath(answer));
        if (replace)
            m_f->dialogs.answers.enqueue(MsgButton(replace));
        QVERIFY(m_w->FileExportPdf1->isEnabled());
        m_w->FileExportPdf1->trigger();
        QCOMPARE(m_f->dialogs.fileRequests.first().fileName, QStringLiteral("Soup.pdf"));
        QFETCH(QString, message);
        const QStringList texts = m_f->dialogs.texts();
        QCOMPARE(texts.isEmpty(), message.isEmpty());
        if (!message.isEmpty())
            QVERIFY2(QDir::fromNativeSeparators(texts.first()).contains(message), qPrintable(texts.first()));
        QFETCH(bool, written);
        const QString path = m_f->docPath(answer.endsWith(QLatin1String(".pdf")) ? answer : answer + ".pdf");
        QCOMPARE(pdfText(path).contains(QStringLiteral("Onion soup")), written);
        if (answer == QLatin1String("old") && !written)
            QCOMPARE(readFile(path), QByteArray("old"));
    }

private:
    std::unique_ptr<Fixture> m_f;
    TfrmTree *m_w = nullptr;
    std::unique_ptr<PdfPrinter> m_pdf;
};

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
