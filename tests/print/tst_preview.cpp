// The preview window's zoom, paging and tools, the page setup dialog with its
// stored defaults, and the go-to-page range.
#include "../shell/support_window.h"

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
#include <QTimer>
#include <QToolButton>

using namespace previewzoom;

namespace {

template <typename T> T fetch(const char *name)
{
    return *static_cast<T *>(QTest::qData(name, qMetaTypeId<T>()));
}

// Acts on the next modal window once it is up (the command runs its own loop).
void onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            act(w);
        }
    });
    poll->start(5);
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

    // Letter sheets at 96 pixels per inch, seen at 96 pixels per inch.
    void zoomOfEachEntry_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("twoPages");
        QTest::addColumn<double>("zoom");
        QTest::newRow("fit page, portrait") << 0 << QSize(800, 420) << false << false << 400 / 96.0 / 11;
        QTest::newRow("fit page, landscape") << 0 << QSize(800, 420) << true << false << 400 / 96.0 / 8.5;
        QTest::newRow("fit page, two portrait, wide") << 0 << QSize(2000, 420) << false << true << 400 / 96.0 / 11;
        QTest::newRow("fit page, two portrait, narrow") << 0 << QSize(600, 800) << false << true << 560 / 96.0 / 17;
        QTest::newRow("fit page, two landscape") << 0 << QSize(1000, 800) << true << true << 960 / 96.0 / 22;
        QTest::newRow("fit width, portrait") << 1 << QSize(800, 420) << false << false << 780 / 96.0 / 8.5;
        QTest::newRow("fit width, landscape") << 1 << QSize(800, 420) << true << false << 780 / 96.0 / 11;
        QTest::newRow("window too small") << 0 << QSize(5, 5) << false << false << kMinFitZoom;
        QTest::newRow("custom keeps the zoom") << 2 << QSize(800, 420) << false << false << 0.7;
        QTest::newRow("125%") << 7 << QSize(800, 420) << false << false << 1.25;
        QTest::newRow("400%") << 11 << QSize(800, 420) << false << false << 4.0;
    }
    void zoomOfEachEntry()
    {
        QFETCH(int, entry);
        QFETCH(QSize, client);
        QFETCH(bool, landscape);
        QFETCH(bool, twoPages);
        const DeviceMetrics m{96, 96, landscape ? 1056 : 816, landscape ? 816 : 1056, 0, 0};
        QCOMPARE(EntryZoom(entry, 0.7, client, 96, m, twoPages), fetch<double>("zoom"));
    }

    void sheetsOnTheDesk_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<bool>("twoPages");
        QTest::addColumn<QRect>("first");
        QTest::addColumn<int>("second"); // left edge of the second sheet
        QTest::addColumn<QSize>("desk");
        const double fit = 400 / 96.0 / 11;
        QTest::newRow("100%") << 1.0 << false << QRect(10, 10, 816, 1056) << 846 << QSize(836, 1076);
        QTest::newRow("50%, centred") << 0.5 << false << QRect(195, 10, 408, 528) << 623 << QSize(799, 548);
        QTest::newRow("fit page") << fit << false << QRect(245, 10, 309, 400) << 574 << QSize(799, 420);
        QTest::newRow("fit page, two") << fit << true << QRect(80, 10, 309, 400) << 409 << QSize(799, 420);
    }
    void sheetsOnTheDesk()
    {
        QFETCH(double, zoom);
        const Layout l = LayOut(zoom, fetch<bool>("twoPages"), QSize(800, 420), 96, DeviceMetrics{});
        QTEST(QRect(l.first, l.page), "first");
        QTEST(l.second.x(), "second");
        QTEST(l.desk, "desk");
    }

    void zoomToolStaysWithinTheList_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<QString>("clicks"); // L zoom in, R zoom out
        QTest::addColumn<double>("zoom");
        QTest::newRow("two in") << 1.0 << "LL" << 2.25;
        QTest::newRow("two in, one out") << 1.0 << "LLR" << 1.5;
        QTest::newRow("at the largest") << 3.0 << "LL" << 4.0;
        QTest::newRow("at the smallest") << 0.3 << "RR" << 0.25;
        QTest::newRow("fitted below the list") << 0.1 << "RL" << 0.15;
    }
    void zoomToolStaysWithinTheList()
    {
        double zoom = fetch<double>("from");
        for (QChar c : fetch<QString>("clicks"))
            zoom = ZoomStep(zoom, c == 'L');
        QCOMPARE(zoom, fetch<double>("zoom"));
    }

    // Clicking with the zoom tool goes to "Custom"; the engine lays nothing out again.
    void zoomToolOnThePage()
    {
        record(3);
        auto form = openForm(QSize(800, 600));
        form->ZoomBox->setCurrentIndex(6); // 100%
        form->ScrollBox1Resize();
        const TPageRecording *page = m_engine->Pages(0);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::LeftButton, Qt::RightButton})
            QTest::mouseClick(form->PB1, b, {}, QPoint(50, 50));
        QCOMPARE(form->ZoomLabel->text(), QStringLiteral("150%"));
        QCOMPARE(form->ZoomBox->currentText(), QStringLiteral("Custom"));
        QCOMPARE(form->PagePanel->size(), QSize(1224, 1584));
        QCOMPARE(m_engine->Pages(0), page);
    }

    void handToolDragsTheView()
    {
        record(1);
        auto form = openForm(QSize(800, 600));
        form->ZoomBox->setCurrentIndex(9); // 200%
        form->ScrollBox1Resize();
        form->HandCursorBut->click();
        QScrollBar *h = form->ScrollBox1->horizontalScrollBar(), *v = form->ScrollBox1->verticalScrollBar();
        h->setValue(100);
        v->setValue(100);
        QTest::mousePress(form->PB1, Qt::LeftButton, {}, QPoint(300, 300));
        QMouseEvent move(QEvent::MouseMove, QPointF(250, 280), form->PB1->mapToGlobal(QPointF(250, 280)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(form->PB1, &move);
        QTest::mouseRelease(form->PB1, Qt::LeftButton, {}, QPoint(250, 280));
        QCOMPARE(QPoint(h->value(), v->value()), QPoint(150, 120));
    }

    void pagingEnablesTheButtons_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("zoom");
        QTest::addColumn<QString>("steps"); // N next, P prev, L last, F first, D PgDn, U PgUp, E End, H Home, T two pages
        QTest::addColumn<QString>("shown"); // label, then Next/Prev/Go enabled, then the view's scroll position
        QTest::newRow("one page") << 1 << "Fit To Page" << "" << "Page 1 of 1 000 0";
        QTest::newRow("first of three") << 3 << "Fit To Page" << "" << "Page 1 of 3 101 0";
        QTest::newRow("last of three") << 3 << "Fit To Page" << "L" << "Page 3 of 3 011 0";
        QTest::newRow("next, next, back") << 3 << "Fit To Page" << "NNP" << "Page 2 of 3 111 0";
        QTest::newRow("keys page when the sheet fits") << 3 << "Fit To Page" << "DDDUEH" << "Page 1 of 3 101 0";
        QTest::newRow("two pages, at the last") << 3 << "Fit To Page" << "TNN" << "Page 3 of 3 011 0";
        QTest::newRow("keys scroll a tall sheet") << 3 << "200%" << "D" << "Page 1 of 3 101 1";
        QTest::newRow("End scrolls to the bottom") << 3 << "100%" << "E" << "Page 1 of 3 101 max";
        QTest::newRow("no pages") << 0 << "Fit To Page" << "NL" << "Page 1 of 0 000 0";
    }
    void pagingEnablesTheButtons()
    {
        record(fetch<int>("pages"));
        auto form = openForm(QSize(800, 600));
        form->ZoomBox->setCurrentText(fetch<QString>("zoom"));
        form->ScrollBox1Resize();
        const QMap<QChar, QWidget *> click{{'N', form->NextPageBut}, {'P', form->PrevPageSpeed}, {'L', form->LastPageSpeed},
                                           {'F', form->FirstPageSpeed}, {'T', form->TwoPageBut}};
        const QMap<QChar, Qt::Key> key{{'D', Qt::Key_PageDown}, {'U', Qt::Key_PageUp}, {'E', Qt::Key_End}, {'H', Qt::Key_Home}};
        for (QChar c : fetch<QString>("steps"))
            click.contains(c) ? QTest::mouseClick(click[c], Qt::LeftButton) : QTest::keyClick(form.get(), key[c]);
        QScrollBar *v = form->ScrollBox1->verticalScrollBar();
        const QString scrolled = v->value() == 0 ? QStringLiteral("0")
                                 : v->value() == v->maximum() ? QStringLiteral("max") : QString::number(v->value() / v->pageStep());
        QCOMPARE(QStringLiteral("%1 %2%3%4 %5").arg(form->CurPageLabel->text()).arg(form->NextPageBut->isEnabled())
                     .arg(form->PrevPageBut->isEnabled()).arg(form->PageNumSpeed->isEnabled()).arg(scrolled),
                 fetch<QString>("shown"));
        QVERIFY(!form->PagePanel2->isVisible() || form->PagePanel2->x() == form->PagePanel->geometry().right() + 21);
    }

    // The opening zoom the engine asks for; "Custom" means ZoomVal percent.
    void previewOpensAtTheEnginesZoom_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("shown"); // the list's entry, pages side by side, a custom zoom
        QTest::newRow("fit to width") << int(zoFitToWidth) << 0 << "Fit To Width 1";
        QTest::newRow("two pages") << int(zoTwoPages) << 0 << "Fit To Page 2";
        QTest::newRow("custom 150") << int(zoCustom) << 150 << "Custom 1 150%";
        QTest::newRow("custom 0") << int(zoCustom) << 0 << "Custom 1 25%";
    }
    void previewOpensAtTheEnginesZoom()
    {
        record(2);
        m_engine->ZoomOption = TZoomOption(fetch<int>("option"));
        m_engine->ZoomVal = fetch<int>("percent");
        QString shown;
        onNextModal([&shown](QWidget *w) {
            auto *form = qobject_cast<TPreviewForm *>(w);
            shown = QStringLiteral("%1 %2").arg(form->ZoomBox->currentText()).arg(form->PagePanel2->isVisibleTo(form) ? 2 : 1);
            if (form->ZoomBox->currentIndex() == Custom)
                shown += QLatin1Char(' ') + form->ZoomLabel->text();
            form->close();
        });
        m_engine->Preview();
        QTEST(shown, "shown");
    }

    void goToPageKeepsWithinTheDocument_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::newRow("within") << "3" << 3;
        QTest::newRow("past the last") << "9" << 5;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-2" << 1;
        QTest::newRow("not a number") << "three" << 1;
        QTest::newRow("empty") << "" << 1;
    }
    void goToPageKeepsWithinTheDocument()
    {
        QFETCH(QString, typed);
        QTEST(GoPageNumber(typed, 5), "page");
    }

    void goToPageFromThePreview()
    {
        record(5);
        auto form = openForm(QSize(800, 600));
        onNextModal([](QWidget *w) {
            auto *go = qobject_cast<TGoPageForm *>(w);
            QCOMPARE(go->windowTitle(), QStringLiteral("Go to Page Number"));
            QCOMPARE(go->PageNum->maximum(), 5);
            go->PageNum->setValue(4);
            go->OKBtn->click();
        });
        form->PageNumSpeed->click();
        QCOMPARE(form->CurPageLabel->text(), QStringLiteral("Page 4 of 5"));
    }

    // Set Default stores what the dialog shows; the next start applies it.
    void defaultsRoundTripThroughTheSettings_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("change"); // C centimetres, L landscape, H header right, T page number top
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shownLeft");
        QTest::addColumn<QString>("applied");
        QTest::newRow("centimetres") << "C" << "C" << int(MsgButton::Yes) << "2.540"
                                     << "1 2.54 2.54 2.54 2.54 1.27 1.905|o0|n0 1 Page %d|h 2 18|f 2|1 Times New Roman";
        QTest::newRow("German locale") << "de_DE" << "CL" << int(MsgButton::Yes) << "2,540"
                                       << "1 2.54 2.54 2.54 2.54 1.27 1.905|o1|n0 1 Page %d|h 2 18|f 2|1 Times New Roman";
        QTest::newRow("header and number") << "C" << "HT" << int(MsgButton::Yes) << "1.000"
                                           << "0 1 1 1 1 0.5 0.75|o0|n1 1 Page %d|hTop 1 18|f 2|1 Times New Roman";
        QTest::newRow("answered No") << "C" << "CL" << int(MsgButton::No) << "2.540" << kDefaults;
    }
    void defaultsRoundTripThroughTheSettings()
    {
        QFETCH(QString, change);
        QLocale::setDefault(QLocale(fetch<QString>("locale")));
        {
            TPageSetupForm dialog(m_engine.get(), &m_dialogs);
            for (QChar c : change) {
                if (c == 'C')
                    dialog.CentBut->click();
                if (c == 'L')
                    dialog.LandBut->click();
                if (c == 'H' || c == 'T')
                    dialog.findChild<QRadioButton *>(c == 'H' ? "HdrRightBut" : "PageTopBut")->click();
                if (c == 'H')
                    dialog.HeaderEdit->setText(QStringLiteral("Top"));
            }
            QTEST(dialog.LeftEdit->text(), "shownLeft");
            QCOMPARE(dialog.LandShape->isVisibleTo(&dialog), change.contains('L'));
            m_dialogs.answers.enqueue(MsgButton(fetch<int>("answer")));
            dialog.SetDefaultBut->click();
            QCOMPARE(m_dialogs.texts(), QStringList{"Are you sure you want to save these values as the Default Settings?"});
            QCOMPARE(dialog.LeftEdit->text(), fetch<QString>("shownLeft"));
        }
        QCOMPARE(describe(*m_engine), kDefaults); // nothing changes before OK
        TPreviewPrinter next;
        next.Loaded();
        QLocale::setDefault(QLocale::c());
        QTEST(describe(next), "applied");
    }

    // A stored value that does not convert keeps the engine's; the rest apply.
    void malformedDefaultsKeepTheEnginesValues_data()
    {
        QTest::addColumn<QStringList>("stored"); // name=value
        QTest::addColumn<QString>("applied");
        QTest::newRow("margin not a number") << QStringList{"LeftEdit=abc", "TopEdit=2.5"}
                                             << "0 1 2.5 1 1 0.5 0.75|o0|n0 1 Page %d|h 2 18|f 2|1 Times New Roman";
        QTest::newRow("check mark not a number") << QStringList{"LandBut=yes", "PortBut=x"} << kDefaults;
        QTest::newRow("no unit checked") << QStringList{"InchBut=0", "CentBut=0"} << kDefaults;
        QTest::newRow("font size and style") << QStringList{"HeaderFontDialog_Size=big", "HeaderFontDialog_Bold=no",
                                                            "PageNumFontDialog_Name=Arial"}
                                             << "0 1 1 1 1 0.5 0.75|o0|n0 1 Page %d|h 2 18|f 2|1 Arial";
    }
    void malformedDefaultsKeepTheEnginesValues()
    {
        QSettings store(QCoreApplication::applicationName(), QStringLiteral("PageSetupForm"));
        for (const QString &entry : fetch<QStringList>("stored"))
            store.setValue(QStringLiteral("Values/") + entry.section('=', 0, 0), entry.section('=', 1));
        store.sync();
        m_engine->Loaded();
        QTEST(describe(*m_engine), "applied");
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
        QCOMPARE(m_engine->TextOptions().MarginTop, message.isEmpty() ? 2.0 : 1.0);
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

    std::unique_ptr<TPreviewForm> openForm(QSize size)
    {
        auto form = std::make_unique<TPreviewForm>(m_engine.get());
        form->setWindowState(Qt::WindowNoState);
        form->resize(size);
        form->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(form.get())); }();
        form->ScrollBox1Resize();
        return form;
    }

    QTemporaryDir m_dir;
    PdfPrinter m_pdf{m_dir.filePath(QStringLiteral("printed.pdf"))};
    ScriptedDialogs m_dialogs;
    std::unique_ptr<TPreviewPrinter> m_engine;
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
