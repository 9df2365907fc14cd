// The item editor as the rest of the program uses it.
#include "rtf/Rtf.h"
#include "shell/RichEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(Qt::Alignment)

class TestRichEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void importExportRoundTrip();
    void importPlainText();
    void itemTextLinesAreSafe_data();
    void itemTextLinesAreSafe();
    void clearEmptiesAndResetsModified();
    void changeNotification();
    void focusLostWhenFocusMoves();
    void disabledAndReadOnlyTakeNoInput_data();
    void disabledAndReadOnlyTakeNoInput();
    void defaultFontAppliesToTypedText();
    void backgroundColour();
    void selectionCharFormatAllAtOnce_data();
    void selectionCharFormatAllAtOnce();
    void caretFormatIsWhatTypingGets();
    void alignment_data();
    void alignment();
    void find_data();
    void find();
    void selectionAndLength();
    void tabInsertsTab();
    void cutCopyPaste();

private:
    RichEdit *m_edit = nullptr;
};

void TestRichEdit::init()
{
    m_edit = new RichEdit;
    m_edit->resize(400, 300);
}

void TestRichEdit::cleanup()
{
    delete m_edit;
    m_edit = nullptr;
}

void TestRichEdit::importExportRoundTrip()
{
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                           "{\\f1\\fnil\\fcharset204 Tahoma;}}\r\n{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
                           "\\viewkind4\\uc1\\pard\\f0\\fs20 Plain \\b bold\\b0  \\cf1 blue\\par\r\n"
                           "\\qc\\cf0\\f1\\fs28\\u1055?\\u1088?\\u1080?\\par\r\n}\r\n";
    m_edit->importRtf(rtf);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("Plain bold blue\nПри"));
    QVERIFY(!m_edit->isModifiedState());
    QCOMPARE(m_edit->exportRtf(), rtf);
}

void TestRichEdit::importPlainText()
{
    m_edit->importRtf("first line\r\nsecond \x80 line\r\n");
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("first line\nsecond € line"));
}

void TestRichEdit::itemTextLinesAreSafe_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("End") << QStringLiteral("End");
    QTest::newRow("key") << QStringLiteral("3000001");
    QTest::newRow("End and key") << QStringLiteral("End\n1234567\nEnd");
}

void TestRichEdit::itemTextLinesAreSafe()
{
    QFETCH(QString, typed);
    m_edit->applyDefaultFont(QFont(QStringLiteral("Arial"), 10), Qt::black);
    m_edit->setPlainText(typed);
    const QByteArray rtf = m_edit->exportRtf();
    for (const QByteArray &line : rtf.split('\n')) {
        const QByteArray l = line.endsWith('\r') ? line.chopped(1) : line;
        QVERIFY2(!rtf::isForbiddenLine(l), l.constData());
    }
    RichEdit other;
    other.importRtf(rtf);
    QCOMPARE(other.toPlainText(), typed);
}

void TestRichEdit::clearEmptiesAndResetsModified()
{
    m_edit->setPlainText(QStringLiteral("something"));
    m_edit->setModifiedState(true);
    QSignalSpy changed(m_edit, &QTextEdit::textChanged);
    m_edit->clearContent();
    QCOMPARE(m_edit->textLength(), 0);
    QVERIFY(!m_edit->isModifiedState());
    QVERIFY(changed.count() >= 1);
}

void TestRichEdit::changeNotification()
{
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    QSignalSpy changed(m_edit, &QTextEdit::textChanged);
    QTest::keyClicks(m_edit, QStringLiteral("ab"));
    QCOMPARE(changed.count(), 2);
    QVERIFY(m_edit->isModifiedState());
    m_edit->importRtf("{\\rtf1 loaded}");
    QVERIFY(changed.count() > 2); // the program's own changes are announced too
}

void TestRichEdit::focusLostWhenFocusMoves()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new RichEdit;
    auto *other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QSignalSpy lost(edit, &RichEdit::focusLost);
    other->setFocus();
    QTRY_COMPARE(lost.count(), 1);
}

void TestRichEdit::disabledAndReadOnlyTakeNoInput_data()
{
    QTest::addColumn<bool>("disable");
    QTest::newRow("disabled") << true;
    QTest::newRow("read-only") << false;
}

void TestRichEdit::disabledAndReadOnlyTakeNoInput()
{
    QFETCH(bool, disable);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    m_edit->setPlainText(QStringLiteral("keep"));
    if (disable)
        m_edit->setEditorEnabled(false);
    else
        m_edit->setReadOnly(true);
    QTest::keyClicks(m_edit, QStringLiteral("xyz"));
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("keep"));
    QCOMPARE(m_edit->isEnabled(), !disable);
}

void TestRichEdit::defaultFontAppliesToTypedText()
{
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    QFont font(QStringLiteral("Courier New"), 14);
    font.setBold(true);
    m_edit->applyDefaultFont(font, QColor(0, 0, 128));
    QVERIFY(!m_edit->isModifiedState());
    m_edit->clearContent();
    QTest::keyClicks(m_edit, QStringLiteral("typed"));
    const QByteArray rtf = m_edit->exportRtf();
    QVERIFY2(rtf.contains("Courier New;"), rtf.constData());
    QVERIFY2(rtf.contains("\\red0\\green0\\blue128;"), rtf.constData());
    QVERIFY2(rtf.contains("\\b") && rtf.contains("\\fs28 typed"), rtf.constData());
    const CharFormat f = m_edit->selectionCharFormat();
    QCOMPARE(f.face, QStringLiteral("Courier New"));
    QCOMPARE(f.pointSize, 14.0);
    QVERIFY(f.bold);
    QCOMPARE(f.color, QColor(0, 0, 128));
}

void TestRichEdit::backgroundColour()
{
    m_edit->setBackgroundColor(QColor(255, 255, 200));
    QCOMPARE(m_edit->backgroundColor(), QColor(255, 255, 200));
}

void TestRichEdit::selectionCharFormatAllAtOnce_data()
{
    QTest::addColumn<int>("charset");
    QTest::addColumn<int>("pitch");
    QTest::newRow("western fixed") << 0 << int(CharFormat::Pitch::Fixed);
    QTest::newRow("cyrillic variable") << 204 << int(CharFormat::Pitch::Variable);
    QTest::newRow("greek default") << 161 << int(CharFormat::Pitch::Default);
}

void TestRichEdit::selectionCharFormatAllAtOnce()
{
    QFETCH(int, charset);
    QFETCH(int, pitch);
    m_edit->applyDefaultFont(QFont(QStringLiteral("Arial"), 10), Qt::black);
    m_edit->setPlainText(QStringLiteral("one two three"));
    m_edit->setSelection(4, 3);
    CharFormat f;
    f.face = QStringLiteral("Times New Roman");
    f.pointSize = 18;
    f.bold = f.italic = f.underline = f.strikeOut = true;
    f.pitch = CharFormat::Pitch(pitch);
    f.color = QColor(200, 10, 20);
    f.charset = charset;
    m_edit->setSelectionCharFormat(f);
    QCOMPARE(m_edit->selectionCharFormat(), f);

    // Only the selection changed.
    m_edit->setSelection(0, 3);
    QCOMPARE(m_edit->selectionCharFormat().face, QStringLiteral("Arial"));
    QVERIFY(!m_edit->selectionCharFormat().bold);

    // And everything survives a store and load.
    RichEdit other;
    other.importRtf(m_edit->exportRtf());
    other.setSelection(4, 3);
    CharFormat back = other.selectionCharFormat();
    QCOMPARE(back, f);
}

void TestRichEdit::caretFormatIsWhatTypingGets()
{
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
    m_edit->importRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Georgia;}}\\f0\\fs20 plain \\f1\\fs30\\i fancy}");
    m_edit->moveCursor(QTextCursor::End);
    const CharFormat atEnd = m_edit->selectionCharFormat();
    QCOMPARE(atEnd.face, QStringLiteral("Georgia"));
    QCOMPARE(atEnd.pointSize, 15.0);
    QVERIFY(atEnd.italic);
    m_edit->setSelection(1, 0);
    QCOMPARE(m_edit->selectionCharFormat().face, QStringLiteral("Arial"));
}

void TestRichEdit::alignment_data()
{
    QTest::addColumn<Qt::Alignment>("alignment");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("centre") << Qt::Alignment(Qt::AlignHCenter) << QByteArray("\\qc");
    QTest::newRow("right") << Qt::Alignment(Qt::AlignRight) << QByteArray("\\qr");
    QTest::newRow("left") << Qt::Alignment(Qt::AlignLeft) << QByteArray();
}

void TestRichEdit::alignment()
{
    QFETCH(Qt::Alignment, alignment);
    QFETCH(QByteArray, word);
    m_edit->setPlainText(QStringLiteral("first\nsecond\nthird"));
    m_edit->setSelection(8, 0); // inside "second"
    m_edit->setParagraphAlignment(alignment);
    QCOMPARE(m_edit->paragraphAlignment(), alignment);
    m_edit->setSelection(0, 0);
    QCOMPARE(m_edit->paragraphAlignment(), Qt::Alignment(Qt::AlignLeft));
    const QByteArray rtf = m_edit->exportRtf();
    if (!word.isEmpty())
        QVERIFY(rtf.contains(QByteArray(word + " second")));
    RichEdit other;
    other.importRtf(rtf);
    other.setSelection(8, 0);
    QCOMPARE(other.paragraphAlignment(), alignment);
}

void TestRichEdit::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("expected");
    // content: "The cat scattered the Cats.\nCat nap" (positions: "cat"=4, "scattered"=8, "the"=18, "Cats"=22, "Cat"=28)
    QTest::newRow("first match") << "cat" << 0 << -1 << false << false << 4;
    QTest::newRow("from after first") << "cat" << 5 << -1 << false << false << 9;
    QTest::newRow("match case") << "Cat" << 5 << -1 << true << false << 22;
    QTest::newRow("whole word skips scattered") << "cat" << 5 << -1 << false << true << 28;
    QTest::newRow("whole word and case") << "Cats" << 0 << -1 << true << true << 22;
    QTest::newRow("range too short") << "the" << 10 << 10 << false << false << -1;
    QTest::newRow("range just enough") << "the" << 10 << 11 << false << false << 18;
    QTest::newRow("match at start") << "The" << 0 << 3 << true << false << 0;
    QTest::newRow("case blocks") << "THE" << 0 << -1 << true << false << -1;
    QTest::newRow("not found") << "dog" << 0 << -1 << false << false << -1;
    QTest::newRow("start past end") << "cat" << 1000 << -1 << false << false << -1;
    QTest::newRow("empty text") << "" << 0 << -1 << false << false << -1;
    QTest::newRow("second paragraph") << "nap" << 0 << -1 << false << false << 32;
}

void TestRichEdit::find()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, expected);
    m_edit->setPlainText(QStringLiteral("The cat scattered the Cats.\nCat nap"));
    QCOMPARE(m_edit->find(text, start, length, matchCase, wholeWord), expected);
}

void TestRichEdit::selectionAndLength()
{
    m_edit->setPlainText(QStringLiteral("ab\ncd"));
    QCOMPARE(m_edit->textLength(), 5);
    m_edit->setSelection(1, 3);
    QCOMPARE(m_edit->selectionStart(), 1);
    QCOMPARE(m_edit->selectionLength(), 3);
    QCOMPARE(m_edit->textCursor().selectedText(), QStringLiteral("b\u2029c"));
    m_edit->setSelection(4, 100);
    QCOMPARE(m_edit->selectionLength(), 1);
}

void TestRichEdit::tabInsertsTab()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new RichEdit;
    layout->addWidget(edit);
    layout->addWidget(new QLineEdit);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("a"));
    QTest::keyClick(edit, Qt::Key_Tab);
    QTest::keyClicks(edit, QStringLiteral("b"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("a\tb"));
    QVERIFY(edit->hasFocus());
    QVERIFY(edit->exportRtf().contains("a\\tab b"));
}

void TestRichEdit::cutCopyPaste()
{
    m_edit->setPlainText(QStringLiteral("alpha beta"));
    m_edit->setSelection(0, 5);
    m_edit->copy();
    m_edit->setSelection(10, 0);
    m_edit->paste();
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("alpha betaalpha"));
    m_edit->setSelection(5, 5);
    m_edit->cut();
    QCOMPARE(m_edit->toPlainText(), QStringLiteral("alphaalpha"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(" beta"));
}

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
