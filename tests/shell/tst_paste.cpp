// A new user's paste: rich text from a browser or a word processor, and
// pictures, pasted into an item, survive leaving the item and a save and
// reopen, construct for construct; links open and are made while typing.
#include "support_structure.h"
#include "support_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QStatusBar>
#include <QToolTip>

using namespace teststruct;

class TestPaste : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void open(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;

private Q_SLOTS:
    void pastedStructureSurvives_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("note"); // in the status bar: what is not kept
        QTest::newRow("page from a browser")
            << "text/html"
            << QByteArray("<h1>Trip</h1><p style='margin-left:20px'>Pack <b>bold</b>, <i>italic</i>, <span style='color:#ff0000'>"
                          "red</span> and <u>underlined</u> words.</p><ul><li>Tent</li><li>Stove<ol><li>Gas</li></ol></li></ul>"
                          "<table border=1><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"
                          "<p>See <a href='https://example.com/trip'>the map</a>.</p>")
            << QString();
        QTest::newRow("word processor")
            << "text/rtf"
            << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Tahoma;}}{\\colortbl;\\red255\\green255\\blue0;}\\f0\\pard"
                          "{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart4}\\li720\\fi-360 Four\\par\\pard\\sb120 "
                          "\\highlight1 \\u1055?\\highlight0  {\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}{\\fldrslt "
                          "link}}\\par\\trowd\\cellx1000\\cellx2000\\pard\\intbl x\\cell y\\cell\\row\\pard after\\par}")
            << QString();
        QTest::newRow("nested table") << "text/html"
                                      << QByteArray("<table><tr><td>out<table><tr><td>in</td></tr></table></td></tr></table>")
                                      << "Tables of nested tables are kept as text";
        QTest::newRow("picture by web address") << "text/html" << QByteArray("<p>x<img src='http://a.example/p.png'>y</p>")
                                                << "Pictures known only by their web address are not kept: http://a.example/p.png";
        QTest::newRow("very large picture, scaled down") << "image" << QByteArray() << QString();
    }

    void pastedStructureSurvives()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, data);
        QFETCH(QString, note);
        testwin::Fixture f;
        testwin::writeFile(f.docPath("doc.qvr"), testwin::sampleDocument());
        TfrmTree *w = f.start({f.docPath("doc.qvr")});
        f.select("$\\Notes");
        auto *mime = new QMimeData;
        if (format == QLatin1String("image")) {
            QImage image(5000, 4001, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            mime->setImageData(image);
            f.dialogs.answers.enqueue(MsgButton::Yes);
        } else {
            mime->setData(format, data);
        }
        QApplication::clipboard()->setMimeData(mime);
        w->editor()->paste();
        QCOMPARE(w->statusBar()->currentMessage(), note);
        const QStringList pasted = describe(*w->editor()->document());
        const QString text = w->editor()->toPlainText();
        QVERIFY(!text.isEmpty());
        // A store point and back; then saved, closed and opened again.
        f.select("$\\Recipes\\Soup");
        for (int round = 0; round < 2; ++round) {
            f.select("$\\Notes");
            QCOMPARE(w->editor()->toPlainText().simplified(), text.simplified());
            if (note.isEmpty())
                QCOMPARE(describe(*w->editor()->document()), pasted);
            w->FileSave1Execute();
            f.window.reset();
            w = f.start({f.docPath("doc.qvr")});
        }
        if (format == QLatin1String("image")) { // asked, and scaled to 20 megapixels
            QCOMPARE(f.dialogs.texts().join(u' '), QStringLiteral("The picture is 5000 × 4001 pixels. Scale it down to 20 megapixels before inserting it?"));
            QVERIFY(pasted.join(u' ').contains(QLatin1String("<picture 4999x4000 ")));
        }
    }

    void links()
    {
        testwin::Fixture f;
        TfrmTree *w = f.start();
        RichEdit *e = w->editor();
        QTest::keyClicks(e, QStringLiteral("go https://example.com/x"));
        QTest::keyClick(e, Qt::Key_Space);
        QTest::keyClicks(e, QStringLiteral("now"));
        const QTextCursor at = e->document()->find(QStringLiteral("example"));
        QCOMPARE(at.charFormat().anchorHref(), QStringLiteral("https://example.com/x"));
        QVERIFY(!e->document()->find(QStringLiteral("now")).charFormat().isAnchor());
        const QPoint p = e->cursorRect(at).center();
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::ControlModifier, p);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://example.com/x"))});
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QHelpEvent tip(QEvent::ToolTip, p, e->viewport()->mapToGlobal(p));
        QApplication::sendEvent(e->viewport(), &tip);
        QCOMPARE(QToolTip::text(), QStringLiteral("https://example.com/x"));
        // Copied text goes as RTF too, so pasting keeps its character set (Qt's own HTML drops it).
        e->importRtf("{\\rtf1{\\fonttbl{\\f0\\fcharset204 Tahoma;}}\\f0 \\u1055?x}");
        e->selectAll();
        e->copy();
        e->moveCursor(QTextCursor::End);
        e->paste();
        QCOMPARE(e->textCursor().charFormat().intProperty(rtf::CharsetProperty), 204);
    }
};

QTEST_MAIN(TestPaste)
#include "tst_paste.moc"
