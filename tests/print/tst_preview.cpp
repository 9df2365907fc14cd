// The preview window's zoom, paging and tools, the page setup dialog with its
// stored defaults, and the go-to-page range.
#include "../shell/support_window.h"
#include "support_print.h"

#include "print/Gopage.h"
#include "print/PageSetupDlg.h"
#include "print/PrevForm.h"
#include "print/PrevPrinter.h"
#include "print/PreviewZoom.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

using namespace previewzoom;
using printtest::onNextModal;

namespace {

template <typename T> T fetch(const char *name)
{
    return *static_cast<T *>(QTest::qData(name, qMetaTypeId<T>()));
}

QString describe(TPreviewPrinter &e)
{
    const TTextOptions &o = e.TextOptions();
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7|o%8|n%9 %10 %11|h%12 %13 %14|f%15 %16|%17 %18")
        .arg(e.Units()).arg(o.MarginLeft).arg(o.MarginTop).arg(o.MarginRight).arg(o.MarginBottom)
        .arg(o.HeaderMargin).arg(o.FooterMargin).arg(e.Orientation).arg(o.PrintPageNumber).arg(o.PageNumAlign)
        .arg(o.PageNumText, o.Header).arg(o.HeaderAlign).arg(o.HeaderFont().pointSize()).arg(o.Footer)
        .arg(o.FooterAlign).arg(o.HeaderFont().bold()).arg(o.PageNumFont().family());
}

const QString kDefaults = QStringLiteral("0 1 1 1 1 0.5 0.75|o0|n0 1 Page %d|h 2 18|f 2|1 Times New Roman");

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { testwin::isolateSettings(m_dir.filePath(QStringLiteral("settings"))); }

    void init()
    {
        QSettings(QCoreApplication::applicationName(), QStringLiteral("PageSetupForm")).clear();
        m_engine = std::make_unique<TPreviewPrinter>();
        m_engine->SetPrinterAccess(&m_pdf);
        m_engine->Messages = &m_dialogs;
        m_dialogs.clear();
    }

    // Letter sheets at 96 pixels per inch, seen at 96 pixels per inch, in a view of `client`.
    void zoomAndPlacement_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("twoPages");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QRect>("first"); // the first sheet on the desk
        QTest::addColumn<int>("second");  // the second sheet's left edge
        const QSize wide(800, 420);
        QTest::newRow("fit page, portrait") << 0 << wide << false << false << 400 / 96.0 / 11 << QRect(245, 10, 309, 400) << 574;
        QTest::newRow("fit page, landscape") << 0 << wide << true << false << 400 / 96.0 / 8.5 << QRect(141, 10, 517, 400) << 678;
        QTest::newRow("fit page, two portrait") << 0 << wide << false << true << 400 / 96.0 / 11 << QRect(80, 10, 309, 400) << 409;
        QTest::newRow("fit page, two portrait, narrow") << 0 << QSize(600, 800) << false << true << 560 / 96.0 / 17
                                                        << QRect(10, 218, 279, 362) << 309;
        QTest::newRow("fit page, two landscape") << 0 << QSize(1000, 800) << true << true << 960 / 96.0 / 22
                                                 << QRect(10, 214, 480, 370) << 510;
        QTest::newRow("fit width, portrait") << 1 << wide << false << false << 780 / 96.0 / 8.5 << QRect(10, 10, 780, 1009) << 810;
        QTest::newRow("fit width, landscape") << 1 << wide << true << false << 780 / 96.0 / 11 << QRect(10, 10, 780, 602) << 810;
        QTest::newRow("window too small") << 0 << QSize(5, 5) << false << false << kMinFitZoom << QRect(10, 10, 40, 52) << 70;
        QTest::newRow("100%") << 6 << wide << false << false << 1.0 << QRect(10, 10, 816, 1056) << 846;
    }
    void zoomAndPlacement()
    {
        QFETCH(QSize, client);
        QFETCH(bool, twoPages);
        const bool landscape = fetch<bool>("landscape");
        const DeviceMetrics m{96, 96, landscape ? 1056 : 816, landscape ? 816 : 1056, 0, 0};
        const double zoom = EntryZoom(fetch<int>("entry"), 0.5, client, 96, m, twoPages);
        QTEST(zoom, "zoom");
        const Layout l = LayOut(zoom, twoPages, client, 96, m);
        QTEST(QRect(l.first, l.page), "first");
        QTEST(l.second.x(), "second");
    }

    // Paging by buttons, keys and page number, zoom clicks kept within the list's limits, the hand's drag.
    void usingThePreview_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("option"); // the engine's opening zoom
        QTest::addColumn<int>("percent"); // its custom zoom
        QTest::addColumn<QString>("steps"); // N P L F buttons; D U E H PgDn PgUp End Home; Gn go to page n;
                                            // + - zoom tool clicks; M a drag with the hand tool
        QTest::addColumn<QString>("shown"); // page label; Next, Prev, Go enabled; the list; the zoom label;
                                            // scrolled across and down
        const int fit = zoFitToPage, custom = zoCustom;
        QTest::newRow("one page") << 1 << fit << 0 << "" << "Page 1 of 1 000 Fit To Page 49% 0 0";
        QTest::newRow("last of three") << 3 << fit << 0 << "L" << "Page 3 of 3 011 Fit To Page 49% 0 0";
        QTest::newRow("next, next, back") << 3 << fit << 0 << "NNP" << "Page 2 of 3 111 Fit To Page 49% 0 0";
        QTest::newRow("keys page when the sheet fits") << 3 << fit << 0 << "DDDUEH" << "Page 1 of 3 101 Fit To Page 49% 0 0";
        QTest::newRow("two pages, at the last") << 3 << int(zoTwoPages) << 0 << "NN" << "Page 3 of 3 011 Fit To Page 49% 0 0";
        QTest::newRow("keys scroll a tall sheet") << 3 << custom << 200 << "D" << "Page 1 of 3 101 Custom 200% 0 538";
        QTest::newRow("End scrolls to the bottom") << 3 << custom << 200 << "E" << "Page 1 of 3 101 Custom 200% 0 max";
        QTest::newRow("no pages") << 0 << fit << 0 << "NL" << "Page 1 of 0 000 Fit To Page 49% 0 0";
        QTest::newRow("go to page") << 5 << fit << 0 << "LG2" << "Page 2 of 5 111 Fit To Page 49% 0 0";
        QTest::newRow("go past the last") << 5 << fit << 0 << "G9" << "Page 5 of 5 011 Fit To Page 49% 0 0";
        QTest::newRow("go to page 0") << 5 << fit << 0 << "LG0" << "Page 1 of 5 101 Fit To Page 49% 0 0";
        QTest::newRow("zoom in twice, out once") << 1 << custom << 100 << "++-" << "Page 1 of 1 000 Custom 150% 0 0";
        QTest::newRow("zoom stops at the largest") << 1 << custom << 300 << "++" << "Page 1 of 1 000 Custom 400% 0 0";
        QTest::newRow("zoom stops at the smallest") << 1 << custom << 25 << "-" << "Page 1 of 1 000 Custom 25% 0 0";
        QTest::newRow("never opens at 0%") << 1 << custom << 0 << "" << "Page 1 of 1 000 Custom 25% 0 0";
        QTest::newRow("hand drags") << 1 << custom << 200 << "M" << "Page 1 of 1 000 Custom 200% 150 120";
    }
    void usingThePreview()
    {
        record(fetch<int>("pages"));
        m_engine->ZoomOption = TZoomOption(fetch<int>("option"));
        m_engine->ZoomVal = fetch<int>("percent");
        auto form = openForm();
        const QMap<QChar, QWidget *> click{{'N', form->NextPageBut}, {'P', form->PrevPageSpeed}, {'L', form->LastPageSpeed},
                                           {'F', form->FirstPageSpeed}, {'G', form->PageNumSpeed}};
        const QMap<QChar, Qt::Key> key{{'D', Qt::Key_PageDown}, {'U', Qt::Key_PageUp}, {'E', Qt::Key_End}, {'H', Qt::Key_Home}};
        QScrollBar *h = form->ScrollBox1->horizontalScrollBar(), *v = form->ScrollBox1->verticalScrollBar();
        const QString steps = fetch<QString>("steps");
        for (int i = 0; i < steps.size(); ++i) {
            const QChar c = steps[i];
            const int typed = c == 'G' ? steps[++i].digitValue() : 0;
            const auto guard = onNextModal([typed](QWidget *w) {
                auto *go = qobject_cast<TGoPageForm *>(w);
                go->PageNum->setValue(typed);
                go->OKBtn->click();
            });
            if (click.contains(c) || key.contains(c))
                click.contains(c) ? QTest::mouseClick(click[c], Qt::LeftButton) : QTest::keyClick(form.get(), key[c]);
            else if (c != 'M')
                QTest::mouseClick(form->PB1, c == '+' ? Qt::LeftButton : Qt::RightButton, {}, QPoint(50, 50));
            else {
                form->HandCursorBut->click();
                h->setValue(100);
                v->setValue(100);
                QTest::mousePress(form->PB1, Qt::LeftButton, {}, QPoint(300, 300));
                QTest::mouseMove(form->PB1, QPoint(250, 280));
                QTest::mouseRelease(form->PB1, Qt::LeftButton, {}, QPoint(250, 280));
            }
        }
        const QString scrolled = v->value() && v->value() == v->maximum() ? QStringLiteral("max") : QString::number(v->value());
        QCOMPARE(QStringLiteral("%1 %2%3%4 %5 %6 %7 %8").arg(form->CurPageLabel->text()).arg(form->NextPageBut->isEnabled())
                     .arg(form->PrevPageBut->isEnabled()).arg(form->PageNumSpeed->isEnabled())
                     .arg(form->ZoomBox->currentText(), form->ZoomLabel->text()).arg(h->value()).arg(scrolled),
                 fetch<QString>("shown"));
    }

    // What the next start applies: what Set Default stored (when answered Yes),
    // or stored values of which those that do not convert keep the engine's.
    void defaultsRoundTripThroughTheSettings_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("changes"); // in the dialog: a button to click, or edit=text
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shownLeft");
        QTest::addColumn<QStringList>("stored"); // written as they stand instead, name=value
        QTest::addColumn<QString>("applied");
        const QString cm = QStringLiteral("1 2.54 2.54 2.54 2.54 1.27 1.905|o%1|n0 1 Page %d|h 2 18|f 2|1 Times New Roman");
        const int yes = int(MsgButton::Yes);
        QTest::newRow("centimetres") << "C" << QStringList{"CentBut"} << yes << "2.540" << QStringList() << cm.arg(0);
        QTest::newRow("German locale") << "de_DE" << QStringList{"CentBut", "LandBut"} << yes << "2,540" << QStringList() << cm.arg(1);
        QTest::newRow("header and number") << "C" << QStringList{"HdrRightBut", "PageTopBut", "HeaderEdit=Top"} << yes << "1.000"
                                           << QStringList() << "0 1 1 1 1 0.5 0.75|o0|n1 1 Page %d|hTop 1 18|f 2|1 Times New Roman";
        QTest::newRow("answered No") << "C" << QStringList{"CentBut", "LandBut"} << int(MsgButton::No) << "2.540" << QStringList() << kDefaults;
        QTest::newRow("margin not a number") << "C" << QStringList() << 0 << "" << QStringList{"LeftEdit=abc", "TopEdit=2.5"}
                                             << "0 1 2.5 1 1 0.5 0.75|o0|n0 1 Page %d|h 2 18|f 2|1 Times New Roman";
        QTest::newRow("check mark not a number") << "C" << QStringList() << 0 << "" << QStringList{"LandBut=yes", "PortBut=x"} << kDefaults;
        QTest::newRow("no unit checked") << "C" << QStringList() << 0 << "" << QStringList{"InchBut=0", "CentBut=0"} << kDefaults;
        QTest::newRow("font size and style") << "C" << QStringList() << 0 << ""
                                             << QStringList{"HeaderFontDialog_Size=big", "HeaderFontDialog_Bold=no", "PageNumFontDialog_Name=Arial"}
                                             << "0 1 1 1 1 0.5 0.75|o0|n0 1 Page %d|h 2 18|f 2|1 Arial";
    }
    void defaultsRoundTripThroughTheSettings()
    {
        QFETCH(QStringList, changes);
        QLocale::setDefault(QLocale(fetch<QString>("locale")));
        QSettings store(QCoreApplication::applicationName(), QStringLiteral("PageSetupForm"));
        for (const QString &entry : fetch<QStringList>("stored"))
            store.setValue(QStringLiteral("Values/") + entry.section('=', 0, 0), entry.section('=', 1));
        store.sync();
        if (!changes.isEmpty()) {
            TPageSetupForm dialog(m_engine.get(), &m_dialogs);
            for (const QString &change : changes)
                change.contains('=') ? dialog.findChild<QLineEdit *>(change.section('=', 0, 0))->setText(change.section('=', 1))
                                     : dialog.findChild<QRadioButton *>(change)->click();
            QTEST(dialog.LeftEdit->text(), "shownLeft");
            QCOMPARE(dialog.LandShape->isVisibleTo(&dialog), changes.contains("LandBut"));
            m_dialogs.answers.enqueue(MsgButton(fetch<int>("answer")));
            dialog.SetDefaultBut->click();
            QCOMPARE(m_dialogs.texts(), QStringList{"Are you sure you want to save these values as the Default Settings?"});
            QTEST(dialog.LeftEdit->text(), "shownLeft");
            QCOMPARE(describe(*m_engine), kDefaults); // nothing changes before OK
        }
        TPreviewPrinter next;
        next.Loaded();
        QLocale::setDefault(QLocale::c());
        QTEST(describe(next), "applied");
    }

    // OK checks every field first and stays open on a bad one, engine unchanged.
    void okRefusesABadField_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a number") << "LeftEdit" << "1..5" << "'1..5' is not a valid floating point value";
        QTest::newRow("negative") << "FtrMarginEdit" << "-1" << "'-1' is not a valid margin: it cannot be negative.";
        QTest::newRow("no room across") << "RightEdit" << "7.5" << "The left and right margins leave no room on the sheet.";
        QTest::newRow("header off the sheet") << "HdrMarginEdit" << "11" << "The header margin lies beyond the sheet.";
        QTest::newRow("page number text") << "PageNumEdit" << "Page %s"
                                          << "The page number text \"Page %s\" can hold only %d for the page number and %% for a percent sign.";
        QTest::newRow("accepted") << "TopEdit" << "2" << "";
    }
    void okRefusesABadField()
    {
        QFETCH(QString, message);
        TPageSetupForm dialog(m_engine.get(), &m_dialogs);
        dialog.show();
        dialog.findChild<QLineEdit *>(fetch<QString>("edit"))->setText(fetch<QString>("text"));
        dialog.OKBut->click();
        QCOMPARE(m_dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        QCOMPARE(describe(*m_engine) == kDefaults, !message.isEmpty());
    }

private:
    void record(int pages)
    {
        m_engine->BeginDoc();
        for (int i = 0; i < pages; ++i) {
            if (i)
                m_engine->NewPage();
            m_engine->Canvas()->drawText(QPointF(1200, 1200), QStringLiteral("Page %1").arg(i + 1));
        }
        m_engine->EndDoc();
    }

    std::unique_ptr<TPreviewForm> openForm()
    {
        auto form = std::make_unique<TPreviewForm>(m_engine.get());
        form->setWindowState(Qt::WindowNoState);
        form->resize(800, 600);
        form->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(form.get())); }();
        form->OpenAsAsked();
        return form;
    }

    QTemporaryDir m_dir;
    PdfPrinter m_pdf{m_dir.filePath(QStringLiteral("printed.pdf"))};
    ScriptedDialogs m_dialogs;
    std::unique_ptr<TPreviewPrinter> m_engine;
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
