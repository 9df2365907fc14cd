// The item editor as the rest of the program uses it.
#include "rtf/Rtf.h"
#include "shell/RichEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>


class TestRichEdit : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> m_window;
    RichEdit *m_edit = nullptr;

    // The editor, beside another control, in an active window with the focus.
    void showFocused()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_edit->setFocus();
        QTRY_VERIFY(m_edit->hasFocus());
    }

private Q_SLOTS:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        layout->addWidget(m_edit = new RichEdit);
        layout->addWidget(new QLineEdit);
        m_window->resize(400, 300);
    }
    void cleanup() { m_window.reset(); }

    void itemTextLinesAreSafe_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("End") << QStringLiteral("End");
        QTest::newRow("key") << QStringLiteral("3000001");
        QTest::newRow("End and key") << QStringLiteral("End\n1234567\nEnd");
    }
    void itemTextLinesAreSafe()
    {
        QFETCH(QString, typed);
        m_edit->applyDefaultFont(QFont(QStringLiteral("Arial"), 10), Qt::black);
        m_edit->setPlainText(typed);
        const QByteArray rtf = m_edit->exportRtf();
        for (const QByteArray &line : rtf.split('\n'))
            QVERIFY2(!rtf::isForbiddenLine(line.endsWith('\r') ? line.chopped(1) : line), line.constData());
        RichEdit other;
        other.importRtf(rtf);
        QCOMPARE(other.toPlainText(), typed);
    }

    // Typing marks the editor modified; the program's own changes are
    // announced too, but clearing and loading leave it unmodified.
    void modifiedStateAndChangeSignal()
    {
        showFocused();
        QSignalSpy changed(m_edit, &QTextEdit::textChanged);
        QTest::keyClicks(m_edit, QStringLiteral("ab"));
        QCOMPARE(changed.count(), 2);
        QVERIFY(m_edit->isModifiedState());
        m_edit->clearContent();
        QCOMPARE(m_edit->textLength(), 0);
        QVERIFY(!m_edit->isModifiedState());
        m_edit->importRtf("{\\rtf1 loaded}");
        QVERIFY(changed.count() > 3);
        QVERIFY(!m_edit->isModifiedState());
    }

    void tabInsertsTab()
    {
        showFocused();
        QTest::keyClicks(m_edit, QStringLiteral("a\tb"));
        QCOMPARE(m_edit->toPlainText(), QStringLiteral("a\tb"));
        QVERIFY(m_edit->hasFocus());
        QVERIFY(m_edit->exportRtf().contains("a\\tab b"));
    }

    void defaultFontAppliesToTypedText()
    {
        showFocused();
        QFont font(QStringLiteral("Courier New"), 14);
        font.setBold(true);
        m_edit->applyDefaultFont(font, QColor(0, 0, 128));
        QVERIFY(!m_edit->isModifiedState());
        m_edit->clearContent();
        QTest::keyClicks(m_edit, QStringLiteral("typed"));
        const QByteArray rtf = m_edit->exportRtf();
        QVERIFY2(rtf.contains("Courier New;") && rtf.contains("\\red0\\green0\\blue128;"), rtf.constData());
        QVERIFY2(rtf.contains("\\b") && rtf.contains("\\fs28 typed"), rtf.constData());
    }

    void selectionCharFormatAllAtOnce_data()
    {
        QTest::addColumn<int>("charset");
        QTest::addColumn<int>("pitch");
        QTest::newRow("western fixed") << 0 << int(CharFormat::Pitch::Fixed);
        QTest::newRow("cyrillic variable") << 204 << int(CharFormat::Pitch::Variable);
        QTest::newRow("greek default") << 161 << int(CharFormat::Pitch::Default);
    }
    void selectionCharFormatAllAtOnce()
    {
        QFETCH(int, charset);
        QFETCH(int, pitch);
        m_edit->applyDefaultFont(QFont(QStringLiteral("Arial"), 10), Qt::black);
        m_edit->setPlainText(QStringLiteral("one two three"));
        m_edit->setSelection(4, 3);
        const CharFormat f{QStringLiteral("Times New Roman"), 18, true, true, true, true,
                           CharFormat::Pitch(pitch), QColor(200, 10, 20), charset};
        m_edit->setSelectionCharFormat(f);
        QCOMPARE(m_edit->selectionCharFormat(), f);
        // Only the selection changed.
        m_edit->setSelection(0, 3);
        QCOMPARE(m_edit->selectionCharFormat().face, QStringLiteral("Arial"));
        QVERIFY(!m_edit->selectionCharFormat().bold);
    }

    void caretFormatIsWhatTypingGets()
    {
        m_edit->importRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Georgia;}}\\f0\\fs20 plain \\f1\\fs30\\i fancy}");
        m_edit->moveCursor(QTextCursor::End);
        const CharFormat atEnd = m_edit->selectionCharFormat();
        QCOMPARE(atEnd.face, QStringLiteral("Georgia"));
        QCOMPARE(atEnd.pointSize, 15.0);
        QVERIFY(atEnd.italic);
        m_edit->setSelection(1, 0);
        QCOMPARE(m_edit->selectionCharFormat().face, QStringLiteral("Arial"));
    }
};

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
