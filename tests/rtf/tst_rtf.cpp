// The RTF codec: what it writes must survive the tree file, and what it
// reads back must be what was written.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using namespace testrtf;

namespace {

QString readText(const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::read(rtf, &doc);
    return doc.toRawText(); // toPlainText() would turn no-break spaces into blanks
}

// Every way a written line could break the tree file that stores it.
void verifyTreeFileSafe(const QByteArray &rtf)
{
    QVERIFY2(rtf.endsWith("\r\n"), "RTF must end with CR LF");
    const QList<QByteArray> lines = rtfLines(rtf);
    for (const QByteArray &line : lines) {
        QVERIFY2(!rtf::isForbiddenLine(line), line.constData());
        QVERIFY2(line.trimmed() != "End", line.constData()); // not even with stray blanks
        QVERIFY2(!line.contains('\n') && !line.contains('\r'), "bare CR or LF");
        QVERIFY2(line.size() <= 400, line.left(60).constData());
        for (char c : line)
            QVERIFY2(static_cast<unsigned char>(c) < 0x80, "RTF must be 7-bit");
    }
}

void buildParagraphs(QTextCursor &c, const QStringList &paras, const QList<QTextCharFormat> &formats)
{
    for (int i = 0; i < paras.size(); ++i) {
        if (i > 0)
            c.insertBlock();
        c.insertText(paras[i], formats.isEmpty() ? QTextCharFormat() : formats[i % formats.size()]);
    }
}

} // namespace

class TestRtf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataLossGuard_data();
    void dataLossGuard();
    void randomDocumentsStaySafe();
    void roundTrip_data();
    void roundTrip();
    void writerShape_data();
    void writerShape();
    void malformed_data();
    void malformed();
    void truncatedSamplesNeverCrash();
    void cp1252Bytes_data();
    void cp1252Bytes();
    void unicodeSkipping_data();
    void unicodeSkipping();
    void samplesFormatting_data();
    void samplesFormatting();
    void samplesText_data();
    void samplesText();
    void codePages_data();
    void codePages();
    void plainText_data();
    void plainText();
    void pngPictureShownAndWrittenBack();
    void unshownPicturesKeptExactly();
    void insertedImageWrittenAsPng();
};

// ---- data-loss guard ----

void TestRtf::dataLossGuard_data()
{
    QTest::addColumn<QStringList>("paras");
    QTest::addColumn<int>("style"); // 0 plain, 1 alternating formats, 2 Cyrillic charset

    const QStringList dangerous = {QStringLiteral("End"), QStringLiteral("3000001"), QStringLiteral("End"),
                                   QStringLiteral("1234567"), QStringLiteral("1000000 0000000 $")};
    for (int style = 0; style < 3; ++style) {
        QTest::addRow("End paragraph %d", style) << QStringList{QStringLiteral("End")} << style;
        QTest::addRow("key paragraph %d", style) << QStringList{QStringLiteral("3000001")} << style;
        QTest::addRow("End then key %d", style) << QStringList{QStringLiteral("End"), QStringLiteral("1234567")} << style;
        QTest::addRow("mixed %d", style) << dangerous << style;
        QTest::addRow("End around blanks %d", style)
            << QStringList{QString(), QStringLiteral("End"), QString(), QStringLiteral("2000001"), QString()} << style;
        // Long lines force breaks; digits where the break would fall must not start a line.
        QTest::addRow("long digits %d", style) << QStringList{QString(1000, QLatin1Char('7'))} << style;
        QTest::addRow("words of seven digits %d", style)
            << QStringList{QStringLiteral("1234567 ").repeated(120).trimmed()} << style;
        QTest::addRow("End words %d", style) << QStringList{QStringLiteral("End ").repeated(200)} << style;
        QTest::addRow("padding then key %d", style)
            << QStringList{QString(193, QLatin1Char('x')) + QStringLiteral(" 1234567"),
                           QString(199, QLatin1Char('y')) + QStringLiteral(" End")}
            << style;
        QTest::addRow("tabs and digits %d", style)
            << QStringList{QStringLiteral("\t1234567\t"), QStringLiteral("End\u2028End"),
                           QStringLiteral("1234567\u20281234567")}
            << style;
    }
}

void TestRtf::dataLossGuard()
{
    QFETCH(QStringList, paras);
    QFETCH(int, style);
    QTextDocument doc;
    QTextCursor c(&doc);
    QList<QTextCharFormat> formats;
    if (style == 1)
        formats = {charFormat(QStringLiteral("Arial"), 10), charFormat(QStringLiteral("Times New Roman"), 12, true),
                   charFormat(QStringLiteral("Arial"), 10, false, true, true, false, Qt::red)};
    else if (style == 2)
        formats = {charFormat(QStringLiteral("Arial"), 10, false, false, false, false, QColor(), 204)};
    buildParagraphs(c, paras, formats);

    const QByteArray rtf = rtf::write(&doc);
    verifyTreeFileSafe(rtf);
    QTextDocument back;
    rtf::read(rtf, &back);
    QCOMPARE(paragraphs(back), paras);
}

void TestRtf::randomDocumentsStaySafe()
{
    // Paragraphs built from the pieces most likely to end up alone on a line.
    const QStringList pieces = {QStringLiteral("End"), QStringLiteral("end"), QStringLiteral("1234567"),
                                QStringLiteral("3000001"), QStringLiteral(" "), QStringLiteral("12345678"),
                                QStringLiteral("x"), QStringLiteral("\t"), QStringLiteral("é"),
                                QStringLiteral("\u20AC"), QStringLiteral("\u0416"), QStringLiteral("{"),
                                QStringLiteral("\\"), QStringLiteral("\u2028"), QString(150, QLatin1Char('w'))};
    const QList<QTextCharFormat> formats = {
        charFormat(QStringLiteral("Arial"), 10), charFormat(QStringLiteral("Arial"), 10, true),
        charFormat(QStringLiteral("Courier New"), 9, false, true, false, true, Qt::blue),
        charFormat(QStringLiteral("Arial"), 10, false, false, false, false, QColor(), 204)};
    QRandomGenerator rng(20240601);
    for (int round = 0; round < 150; ++round) {
        QTextDocument doc;
        QTextCursor c(&doc);
        const int paraCount = rng.bounded(1, 8);
        for (int p = 0; p < paraCount; ++p) {
            if (p > 0)
                c.insertBlock();
            const int n = rng.bounded(0, 12);
            for (int k = 0; k < n; ++k)
                c.insertText(pieces[rng.bounded(int(pieces.size()))], formats[rng.bounded(int(formats.size()))]);
        }
        const QByteArray rtf = rtf::write(&doc);
        verifyTreeFileSafe(rtf);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(doc.toPlainText())));
        QTextDocument back;
        rtf::read(rtf, &back);
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(runsOf(back), runsOf(doc));
        QCOMPARE(rtf::write(&back), rtf);
    }
}

// ---- round trip ----

void TestRtf::roundTrip_data()
{
    QTest::addColumn<DocBuilder>("build");
    const QString arial = QStringLiteral("Arial");

    QTest::newRow("plain") << DocBuilder([](QTextCursor &c) { c.insertText(QStringLiteral("Hello world")); });
    QTest::newRow("empty") << DocBuilder([](QTextCursor &) {});
    QTest::newRow("every style") << DocBuilder([arial](QTextCursor &c) {
        c.insertText(QStringLiteral("plain "), charFormat(arial, 10));
        c.insertText(QStringLiteral("bold "), charFormat(arial, 10, true));
        c.insertText(QStringLiteral("italic "), charFormat(arial, 10, false, true));
        c.insertText(QStringLiteral("under "), charFormat(arial, 10, false, false, true));
        c.insertText(QStringLiteral("strike "), charFormat(arial, 10, false, false, false, true));
        c.insertText(QStringLiteral("all "), charFormat(arial, 10, true, true, true, true));
        c.insertText(QStringLiteral("plain again"), charFormat(arial, 10));
    });
    QTest::newRow("fonts sizes colours") << DocBuilder([arial](QTextCursor &c) {
        c.insertText(QStringLiteral("Times 13.5 "), charFormat(QStringLiteral("Times New Roman"), 13.5));
        c.insertText(QStringLiteral("red "), charFormat(arial, 8, false, false, false, false, QColor(255, 0, 0)));
        c.insertText(QStringLiteral("green "), charFormat(arial, 8, false, false, false, false, QColor(0, 128, 0)));
        c.insertText(QStringLiteral("red again "), charFormat(arial, 72, false, false, false, false, QColor(255, 0, 0)));
        c.insertText(QStringLiteral("black"), charFormat(arial, 8, false, false, false, false, Qt::black));
        c.insertBlock();
        c.insertText(QStringLiteral("mono"), charFormat(QStringLiteral("Courier New"), 9));
    });
    QTest::newRow("alignment") << DocBuilder([](QTextCursor &c) {
        const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify,
                                        Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft};
        for (int i = 0; i < 7; ++i) {
            QTextBlockFormat bf;
            bf.setAlignment(aligns[i]);
            if (i == 0)
                c.setBlockFormat(bf);
            else
                c.insertBlock(bf);
            c.insertText(QStringLiteral("paragraph %1").arg(i));
        }
    });
    QTest::newRow("empty paragraphs") << DocBuilder([](QTextCursor &c) {
        c.insertBlock();
        c.insertText(QStringLiteral("a"));
        c.insertBlock();
        c.insertBlock();
        c.insertText(QStringLiteral("b"));
        c.insertBlock();
    });
    QTest::newRow("characters beyond the code page") << DocBuilder([](QTextCursor &c) {
        c.insertText(QStringLiteral("Café € “q” ‘s’ – — … Ωmega Привет 日本語 😀 \u00A0nbsp soft\u00ADhyphen"));
    });
    QTest::newRow("escapes and breaks") << DocBuilder([](QTextCursor &c) {
        c.insertText(QStringLiteral("back\\slash {braces} tab\there line\u2028break ?question 9\t1"));
    });
    QTest::newRow("charsets") << DocBuilder([arial](QTextCursor &c) {
        c.insertText(QStringLiteral("Привет é"), charFormat(arial, 10, false, false, false, false, QColor(), 204));
        c.insertText(QStringLiteral(" Café"), charFormat(arial, 10, false, false, false, false, QColor(), 0));
        c.insertText(QStringLiteral(" Ελλάδα"), charFormat(arial, 10, false, false, false, false, QColor(), 161));
        c.insertText(QStringLiteral(" \u00B7sym"), charFormat(QStringLiteral("Symbol"), 10, false, false, false, false, QColor(), 2));
    });
    QTest::newRow("odd font names") << DocBuilder([](QTextCursor &c) {
        c.insertText(QStringLiteral("x"), charFormat(QStringLiteral("ＭＳ ゴシック"), 10));
        c.insertText(QStringLiteral("y"), charFormat(QStringLiteral("Brace{Font}\\"), 10));
    });
    QTest::newRow("formatted empty paragraph") << DocBuilder([arial](QTextCursor &c) {
        c.insertText(QStringLiteral("one"), charFormat(arial, 10));
        c.insertBlock(QTextBlockFormat(), charFormat(arial, 20, true));
        c.insertBlock(QTextBlockFormat(), charFormat(arial, 10));
        c.insertText(QStringLiteral("three"), charFormat(arial, 10));
    });
    QTest::newRow("long formatted text") << DocBuilder([arial](QTextCursor &c) {
        for (int i = 0; i < 300; ++i)
            c.insertText(QStringLiteral("word%1 ").arg(i), charFormat(arial, 10, i % 3 == 0, i % 5 == 0));
    });
}

void TestRtf::roundTrip()
{
    QFETCH(DocBuilder, build);
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 10));
    QTextCursor c(&doc);
    build(c);

    const QByteArray first = rtf::write(&doc);
    verifyTreeFileSafe(first);
    QTextDocument back;
    rtf::read(first, &back);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), first);
}

// ---- the shape of what we write ----

void TestRtf::writerShape_data()
{
    QTest::addColumn<DocBuilder>("build");
    QTest::addColumn<QByteArrayList>("expected");
    const QString arial = QStringLiteral("Arial");

    QTest::newRow("header and font table")
        << DocBuilder([arial](QTextCursor &c) { c.insertText(QStringLiteral("x"), charFormat(arial, 10)); })
        << QByteArrayList{"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n",
                          "\\viewkind4\\uc1\\pard\\f0\\fs20 x\\par\r\n}\r\n"};
    QTest::newRow("only changed properties")
        << DocBuilder([arial](QTextCursor &c) {
               c.insertText(QStringLiteral("a "), charFormat(arial, 10));
               c.insertText(QStringLiteral("b"), charFormat(arial, 10, true));
               c.insertText(QStringLiteral(" c"), charFormat(arial, 10));
           })
        << QByteArrayList{"\\f0\\fs20 a \\b b\\b0  c\\par"};
    QTest::newRow("colour table")
        << DocBuilder([arial](QTextCursor &c) {
               c.insertText(QStringLiteral("r"), charFormat(arial, 10, false, false, false, false, QColor(255, 0, 0)));
           })
        << QByteArrayList{"{\\colortbl ;\\red255\\green0\\blue0;}\r\n", "\\cf1"};
    QTest::newRow("cp1252 hex and unicode")
        << DocBuilder([](QTextCursor &c) { c.insertText(QStringLiteral("é€Ж😀")); })
        << QByteArrayList{"\\'e9\\'80\\u1046?\\u-10179?\\u-8704?"};
    QTest::newRow("cyrillic charset uses unicode")
        << DocBuilder([arial](QTextCursor &c) {
               c.insertText(QStringLiteral("é"), charFormat(arial, 10, false, false, false, false, QColor(), 204));
           })
        << QByteArrayList{"\\fcharset204 Arial;", "\\u233?"};
    QTest::newRow("centred") << DocBuilder([](QTextCursor &c) {
        QTextBlockFormat bf;
        bf.setAlignment(Qt::AlignHCenter);
        c.setBlockFormat(bf);
        c.insertText(QStringLiteral("mid"));
    }) << QByteArrayList{"\\pard\\qc"};
}

void TestRtf::writerShape()
{
    QFETCH(DocBuilder, build);
    QFETCH(QByteArrayList, expected);
    QTextDocument doc;
    QTextCursor c(&doc);
    build(c);
    const QByteArray rtf = rtf::write(&doc);
    for (const QByteArray &e : expected)
        QVERIFY2(rtf.contains(e), QByteArray(e + "\n-- not in --\n" + rtf).constData());
}

// ---- damaged input ----

void TestRtf::malformed_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected"); // text that must be read, if any

    QTest::newRow("unbalanced open") << QByteArray("{\\rtf1 {{{ kept text") << QStringLiteral("kept text");
    QTest::newRow("unbalanced close") << QByteArray("{\\rtf1 before}}}} after}") << QStringLiteral("before");
    QTest::newRow("truncated word") << QByteArray("{\\rtf1 abc\\b") << QStringLiteral("abc");
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 abc\\'e") << QStringLiteral("abc");
    QTest::newRow("truncated unicode") << QByteArray("{\\rtf1 abc\\u") << QStringLiteral("abc");
    QTest::newRow("lone backslash") << QByteArray("{\\rtf1 abc\\") << QStringLiteral("abc");
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
    QTest::newRow("bin past end") << QByteArray("{\\rtf1 x{\\pict\\bin999999999 abc") << QStringLiteral("x");
    QTest::newRow("bin negative") << QByteArray("{\\rtf1 x\\bin-5 y}") << QStringLiteral("xy");
    QTest::newRow("bin in skipped group")
        << QByteArray("{\\rtf1 {\\*\\foo\\bin4 }}}}} done}") << QStringLiteral("done");
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1 \\fs99999999999999999999 \\f-2147483648 \\cf4294967296 \\uc99999999 a\\u99999999 "
                      "bcdef\\uc1 \\u-99999999 x\\ansicpg-7 \\deff99999999999 z}")
        << QStringLiteral("a");
    QTest::newRow("deep nesting") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{') + "deep"
                                         + QByteArray(100000, '}') + " after}"
                                  << QStringLiteral("deep after");
    QTest::newRow("deep nesting unclosed") << QByteArray("{\\rtf1 ") + QByteArray(300000, '{') + "x"
                                           << QStringLiteral("x");
    QTest::newRow("deep skipped nesting") << QByteArray("{\\rtf1 {\\*\\x ") + QByteArray(300000, '{') << QString();
    QTest::newRow("star at end") << QByteArray("{\\rtf1 t{\\*") << QStringLiteral("t");
    QTest::newRow("font table unclosed") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial") << QString();
    QTest::newRow("many colours") << QByteArray("{\\rtf1{\\colortbl") + QByteArray(100000, ';') + "}\\cf99999 c}"
                                  << QStringLiteral("c");
    QTest::newRow("huge picture") << QByteArray("{\\rtf1 p{\\pict\\wmetafile8\\picwgoal2147483647\\pichgoal2147483647"
                                                "\\picscalex2147483647 00}q}")
                                  << QStringLiteral("p\uFFFCq");
    QTest::newRow("broken png") << QByteArray("{\\rtf1 {\\pict\\pngblip 89504e470d0a1a0a0000}}") << QStringLiteral("\uFFFC");
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b\0c}", 13) << QStringLiteral("abc");
    QTest::newRow("endless word") << QByteArray("{\\rtf1 \\") + QByteArray(100000, 'a') + " x}" << QStringLiteral("x");
    QTest::newRow("endless digits") << QByteArray("{\\rtf1 \\fs") + QByteArray(100000, '9') + " x}"
                                    << QStringLiteral("x");
    QTest::newRow("only header") << QByteArray("{\\rtf") << QString();
    QTest::newRow("picture in font table") << QByteArray("{\\rtf1{\\fonttbl{\\pict 0011}{\\f0 A;}}ok}")
                                           << QStringLiteral("ok");
    QByteArray garbage("{\\rtf1 ");
    QRandomGenerator rng(7);
    for (int i = 0; i < 200000; ++i)
        garbage.append(char(rng.bounded(256)));
    QTest::newRow("random bytes") << garbage << QString();
    QByteArray controlSoup("{\\rtf1 ");
    const char *bits[] = {"{", "}", "\\", "\\bin", "\\u", "\\'", "\\*", "\\pict", "\\fonttbl", "\\par", "9", "-", " ", "\\uc5"};
    for (int i = 0; i < 50000; ++i)
        controlSoup.append(bits[rng.bounded(int(std::size(bits)))]);
    QTest::newRow("control soup") << controlSoup << QString();
}

void TestRtf::malformed()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    QElapsedTimer timer;
    timer.start();
    QTextDocument doc;
    rtf::read(data, &doc);
    QVERIFY2(timer.elapsed() < 5000, "reading damaged data took too long");
    QVERIFY2(doc.toPlainText().contains(expected), qPrintable(doc.toPlainText().left(200)));
    // Whatever was read must also write safely.
    verifyTreeFileSafe(rtf::write(&doc));
}

void TestRtf::truncatedSamplesNeverCrash()
{
    const QStringList files = {QStringLiteral("wordproc_full.rtf"), QStringLiteral("pandoc_sample.rtf"),
                               QStringLiteral("metafile_pictures.rtf"), QStringLiteral("japanese_sjis.rtf")};
    for (const QString &file : files) {
        const QByteArray full = readFile(file);
        QVERIFY(!full.isEmpty());
        for (qsizetype cut = 5; cut < full.size(); cut += 3) {
            QTextDocument doc;
            rtf::read(full.left(cut), &doc);
        }
        QRandomGenerator rng(99);
        for (int round = 0; round < 100; ++round) {
            QByteArray damaged = full;
            for (int k = 0; k < 10; ++k)
                damaged[5 + rng.bounded(int(damaged.size()) - 5)] = char(rng.bounded(256));
            QTextDocument doc;
            rtf::read(damaged, &doc);
            verifyTreeFileSafe(rtf::write(&doc));
        }
    }
}

// ---- characters ----

void TestRtf::cp1252Bytes_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("character");
    QTest::newRow("euro") << QByteArray("80") << QStringLiteral("€");
    QTest::newRow("left single") << QByteArray("91") << QStringLiteral("‘");
    QTest::newRow("right single") << QByteArray("92") << QStringLiteral("’");
    QTest::newRow("left double") << QByteArray("93") << QStringLiteral("“");
    QTest::newRow("right double") << QByteArray("94") << QStringLiteral("”");
    QTest::newRow("en dash") << QByteArray("96") << QStringLiteral("–");
    QTest::newRow("em dash") << QByteArray("97") << QStringLiteral("—");
    QTest::newRow("ellipsis") << QByteArray("85") << QStringLiteral("…");
    QTest::newRow("S caron") << QByteArray("8a") << QStringLiteral("Š");
    QTest::newRow("Y diaeresis") << QByteArray("9f") << QStringLiteral("Ÿ");
    QTest::newRow("trade mark") << QByteArray("99") << QStringLiteral("™");
    QTest::newRow("unassigned 81") << QByteArray("81") << QStringLiteral("\u0081");
    QTest::newRow("nbsp") << QByteArray("a0") << QStringLiteral("\u00A0");
    QTest::newRow("e acute") << QByteArray("e9") << QStringLiteral("é");
    QTest::newRow("y diaeresis") << QByteArray("ff") << QStringLiteral("ÿ");
}

void TestRtf::cp1252Bytes()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, character);
    QCOMPARE(readText("{\\rtf1\\ansi\\ansicpg1252 <\\'" + hex + ">}"), QLatin1Char('<') + character + QLatin1Char('>'));
    QCOMPARE(readText("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 <\\'" + hex.toUpper() + ">}"),
             QLatin1Char('<') + character + QLatin1Char('>'));
    // Raw 8-bit text and a plain file decode the same way.
    QCOMPARE(readText("{\\rtf1 <" + QByteArray::fromHex(hex) + ">}"), QLatin1Char('<') + character + QLatin1Char('>'));
    QCOMPARE(readText(QByteArray::fromHex(hex)), character);
    // And the writer gives the byte back.
    QTextDocument doc;
    doc.setPlainText(character);
    QVERIFY(rtf::write(&doc).contains(QByteArray("\\'" + hex.toLower())));
}

void TestRtf::unicodeSkipping_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("default skip of one") << QByteArray("\\u8364?x") << QStringLiteral("€x");
    QTest::newRow("skips hex fallback") << QByteArray("\\uc1\\u8364\\'80x") << QStringLiteral("€x");
    QTest::newRow("uc0 skips nothing") << QByteArray("\\uc0\\u8364 x") << QStringLiteral("€x");
    QTest::newRow("uc2 two hex bytes") << QByteArray("\\uc2\\u26085\\'93\\'fa rest") << QStringLiteral("日 rest");
    QTest::newRow("uc3 text bytes") << QByteArray("\\uc3\\u8364 abc d") << QStringLiteral("€ d");
    QTest::newRow("skip stops at group end") << QByteArray("{\\uc2\\u26085\\'93}\\'fa") << QStringLiteral("日ú");
    QTest::newRow("uc is group scoped") << QByteArray("{\\uc0 a}\\u8364?b") << QStringLiteral("a€b");
    QTest::newRow("negative value") << QByteArray("\\u-3913?") << QStringLiteral("\uF0B7");
    QTest::newRow("surrogate pair") << QByteArray("\\u-10179?\\u-8704?") << QStringLiteral("😀");
    QTest::newRow("skip ends at control word") << QByteArray("\\uc1\\u8364\\tab x") << QStringLiteral("€\tx");
    QTest::newRow("line breaks not counted") << QByteArray("\\u8364\r\n?x") << QStringLiteral("€x");
    QTest::newRow("named characters")
        << QByteArray("\\lquote\\rquote\\ldblquote\\rdblquote\\endash\\emdash\\bullet\\~\\-\\_")
        << QStringLiteral("‘’“”–—•\u00A0\u00AD\u2011");
    QTest::newRow("escaped symbols") << QByteArray("\\\\ \\{ \\}") << QStringLiteral("\\ { }");
}

void TestRtf::unicodeSkipping()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(readText("{\\rtf1\\ansi\\ansicpg1252 " + body + "}"), text);
}

// ---- samples ----

void TestRtf::samplesFormatting_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("flags"); // BIUS
    QTest::addColumn<QString>("color");
    QTest::addColumn<int>("align");

    const QString re = QStringLiteral("richedit_classic.rtf");
    QTest::newRow("re plain") << re << "Plain Arial" << "Arial" << 10.0 << "----" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("re bold") << re << "Bold" << "Arial" << 10.0 << "B---" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("re italic") << re << "italic" << "Arial" << 10.0 << "-I--" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("re underline") << re << "underlined" << "Arial" << 10.0 << "--U-" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("re strike") << re << "struck" << "Arial" << 10.0 << "---S" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("re red") << re << "Red text" << "Arial" << 10.0 << "----" << "#ff0000" << int(Qt::AlignLeft);
    QTest::newRow("re green") << re << "green" << "Arial" << 10.0 << "----" << "#008000" << int(Qt::AlignLeft);
    QTest::newRow("re centred") << re << "Centred" << "Times New Roman" << 16.0 << "----" << "auto" << int(Qt::AlignHCenter);
    QTest::newRow("re right") << re << "Right" << "Courier New" << 12.0 << "----" << "auto" << int(Qt::AlignRight);
    const QString wp = QStringLiteral("wordproc_full.rtf");
    QTest::newRow("wp title") << wp << "Report Title" << "Arial" << 16.0 << "B---" << "auto" << int(Qt::AlignHCenter);
    QTest::newRow("wp italic") << wp << "italic" << "Times New Roman" << 11.0 << "-I--" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("wp red") << wp << "red" << "Times New Roman" << 11.0 << "----" << "#ff0000" << int(Qt::AlignLeft);
    QTest::newRow("wp link") << wp << "Example Site" << "Times New Roman" << 11.0 << "--U-" << "#0000ff" << int(Qt::AlignLeft);
    const QString pd = QStringLiteral("pandoc_sample.rtf");
    QTest::newRow("pandoc heading") << pd << "Shopping" << "Helvetica" << 18.0 << "B---" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("pandoc bold") << pd << "bold" << "Helvetica" << 12.0 << "B---" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("pandoc struck") << pd << "struck" << "Helvetica" << 12.0 << "---S" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("pandoc code") << pd << "code" << "Courier" << 12.0 << "----" << "auto" << int(Qt::AlignLeft);
    const QString co = QStringLiteral("cocoa_style.rtf");
    QTest::newRow("cocoa first") << co << "First line" << "Helvetica" << 12.0 << "----" << "auto" << int(Qt::AlignLeft);
    QTest::newRow("cocoa centred") << co << "Centred blue" << "Helvetica-Bold" << 12.0 << "B---" << "#0000ff" << int(Qt::AlignHCenter);
    QTest::newRow("cocoa justified") << co << "Justified" << "Helvetica" << 12.0 << "----" << "auto" << int(Qt::AlignJustify);
}

void TestRtf::samplesFormatting()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(QString, flags);
    QFETCH(QString, color);
    QFETCH(int, align);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    if (!checkFormatAt(doc, text, family, points, flags, color, align))
        return;

    // Whatever we read, we write and read back the same.
    const QByteArray once = rtf::write(&doc);
    verifyTreeFileSafe(once);
    QTextDocument back;
    rtf::read(once, &back);
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), once);
}

void TestRtf::samplesText_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("paras");   // these paragraphs in this order (others may lie between)
    QTest::addColumn<QStringList>("absent");  // text of skipped destinations

    QTest::newRow("rich edit") << QStringLiteral("richedit_classic.rtf")
                               << QStringList{QStringLiteral("Plain Arial ten."),
                                              QStringLiteral("Bold then italic then underlined then struck."),
                                              QStringLiteral("Red text and green."),
                                              QStringLiteral("Centred Times sixteen"),
                                              QStringLiteral("Right Courier twelve"),
                                              QStringLiteral("Café € “quoted”\ttab")}
                               << QStringList{};
    QTest::newRow("word processor")
        << QStringLiteral("wordproc_full.rtf")
        << QStringList{QStringLiteral("Report Title"),
                       QStringLiteral("This is italic and red, with a footnote1 and a link: Example Site. Smart “quotes” "
                                      "and ‘single’ – dashes — done."),
                       QStringLiteral("\u00B7\tFirst bullet"), QStringLiteral("Cell one"), QStringLiteral("Cell two"),
                       QStringLiteral("Picture:\uFFFC")}
        << QStringList{QStringLiteral("Header text"), QStringLiteral("Footer"), QStringLiteral("Footnote text"),
                       QStringLiteral("Secret"), QStringLiteral("Hidden company"), QStringLiteral("HYPERLINK"),
                       QStringLiteral("Normal;"), QStringLiteral("Default Paragraph"), QStringLiteral("Courier;"),
                       QStringLiteral("504b"), QStringLiteral("example.com")};
    QTest::newRow("pandoc") << QStringLiteral("pandoc_sample.rtf")
                            << QStringList{QStringLiteral("Shopping notes"), QStringLiteral("1.\tFirst item"),
                                           QStringLiteral("\u2022\tBullet two"), QStringLiteral("A quoted paragraph."),
                                           QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Apple"),
                                           QStringLiteral("3"), QStringLiteral("Pear"), QStringLiteral("12"),
                                           QStringLiteral("Unicode beyond the code page: Ωmega, Привет, 日本語.")}
                            << QStringList{};
    QTest::newRow("cocoa") << QStringLiteral("cocoa_style.rtf")
                           << QStringList{QStringLiteral("First line"), QStringLiteral("Centred blue bold"),
                                          QStringLiteral("Justified text with é and € euro.")}
                           << QStringList{QStringLiteral("Helvetica")};
    QTest::newRow("metafiles") << QStringLiteral("metafile_pictures.rtf")
                               << QStringList{QStringLiteral("Before \uFFFC after."), QStringLiteral("Binary \uFFFC tail.")}
                               << QStringList{QStringLiteral("End"), QStringLiteral("1234567")};
}

void TestRtf::samplesText()
{
    QFETCH(QString, file);
    QFETCH(QStringList, paras);
    QFETCH(QStringList, absent);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    const QStringList got = paragraphs(doc);
    qsizetype at = 0;
    for (const QString &p : paras) {
        const qsizetype i = got.indexOf(p, at);
        QVERIFY2(i >= 0, qPrintable(QStringLiteral("missing \"%1\" in:\n%2").arg(p, got.join(QLatin1Char('\n')))));
        at = i + 1;
    }
    // Table cells: one paragraph each, nothing empty in between.
    if (file.startsWith(QLatin1String("pandoc")))
        QCOMPARE(got.mid(got.indexOf(QStringLiteral("Name")), 6),
                 (QStringList{QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Apple"), QStringLiteral("3"),
                              QStringLiteral("Pear"), QStringLiteral("12")}));
    for (const QString &a : absent)
        QVERIFY2(!doc.toPlainText().contains(a), qPrintable(a));
    QVERIFY(!got.last().isEmpty()); // the closing paragraph mark adds no empty paragraph
}

void TestRtf::codePages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("paras");
    QTest::addColumn<int>("charset");
    QTest::newRow("cyrillic and greek")
        << QStringLiteral("cyrillic_greek.rtf")
        << QStringList{QStringLiteral("Привет, мир!"), QStringLiteral("Βελτιστο"), QStringLiteral("Café €")} << 204;
    QTest::newRow("shift-jis") << QStringLiteral("japanese_sjis.rtf")
                               << QStringList{QStringLiteral("日本語 and 日本 end")} << 128;
}

void TestRtf::codePages()
{
    QFETCH(QString, file);
    QFETCH(QStringList, paras);
    QFETCH(int, charset);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    QCOMPARE(paragraphs(doc), paras);
    QCOMPARE(doc.begin().begin().fragment().charFormat().intProperty(rtf::CharsetProperty), charset);
    // Written back, the text and the charset survive.
    QTextDocument back;
    rtf::read(rtf::write(&doc), &back);
    QCOMPARE(paragraphs(back), paras);
    QCOMPARE(runsOf(back), runsOf(doc));
}

void TestRtf::plainText_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("paras");
    QTest::newRow("crlf lines") << QByteArray("one\r\ntwo\r\n") << QStringList{QStringLiteral("one"), QStringLiteral("two")};
    QTest::newRow("lf and cr") << QByteArray("a\nb\rc") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("cp1252") << QByteArray("caf\xe9 \x80 \x93q\x94") << QStringList{QStringLiteral("café € “q”")};
    QTest::newRow("empty") << QByteArray() << QStringList{QString()};
    QTest::newRow("almost rtf") << QByteArray("{\\rt not rtf}") << QStringList{QStringLiteral("{\\rt not rtf}")};
    QTest::newRow("rtf later") << QByteArray("x{\\rtf1 y}") << QStringList{QStringLiteral("x{\\rtf1 y}")};
}

void TestRtf::plainText()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, paras);
    QTextDocument doc;
    rtf::read(data, &doc);
    QCOMPARE(paragraphs(doc), paras);
}

// ---- pictures ----

void TestRtf::pngPictureShownAndWrittenBack()
{
    const QByteArray file = readFile(QStringLiteral("png_picture.rtf"));
    QTextDocument doc;
    rtf::read(file, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("Logo: \uFFFC done."));
    QTextCursor c(&doc);
    c.setPosition(7);
    const QTextImageFormat img = c.charFormat().toImageFormat();
    QVERIFY(img.isValid());
    QCOMPARE(img.width(), 4.0); // 60 twips
    const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>();
    QCOMPARE(shown.size(), QSize(4, 3));
    QCOMPARE(shown.pixelColor(1, 1), QColor(255, 0, 0));

    const QByteArray written = rtf::write(&doc);
    verifyTreeFileSafe(written);
    QVERIFY(written.contains("{\\pict\\pngblip\\picw4\\pich3\\picwgoal60\\pichgoal45\r\n89504e47"));
    QTextDocument back;
    rtf::read(written, &back);
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), written);
}

void TestRtf::unshownPicturesKeptExactly()
{
    QTextDocument doc;
    rtf::read(readFile(QStringLiteral("metafile_pictures.rtf")), &doc);
    QList<QTextImageFormat> pictures;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                pictures << it.fragment().charFormat().toImageFormat();
    QCOMPARE(pictures.size(), 2);
    QCOMPARE(pictures[0].stringProperty(rtf::PictureKindProperty), QStringLiteral("wmetafile8"));
    QCOMPARE(pictures[0].property(rtf::PictureDataProperty).toByteArray().toHex(),
             QByteArray("0100090000035000000000002500000000000400000003010800050000000b0200000000050000"
                        "000c02f401e803030000000000"));
    QCOMPARE(pictures[0].width(), 1000.0 / 15);
    QCOMPARE(pictures[1].stringProperty(rtf::PictureKindProperty), QStringLiteral("emfblip"));
    QCOMPARE(pictures[1].property(rtf::PictureDataProperty).toByteArray(), QByteArray("End\r\n1234567"));
    // Something is shown in their place.
    QVERIFY(!doc.resource(QTextDocument::ImageResource, QUrl(pictures[0].name())).value<QImage>().isNull());

    const QByteArray written = rtf::write(&doc);
    verifyTreeFileSafe(written);
    QVERIFY(!written.contains("\\bin"));
    QVERIFY(written.contains("{\\pict\\wmetafile8\\picw1764\\pich882\\picwgoal1000\\pichgoal500\r\n0100090000035"));
    QVERIFY(written.contains("{\\pict\\emfblip\\picw100\\pich100\r\n456e640d0a31323334353637}"));
    QTextDocument back;
    rtf::read(written, &back);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), written);
}

void TestRtf::insertedImageWrittenAsPng()
{
    QTextDocument doc;
    QImage image(5, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted:1")), image);
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("End"));
    c.insertImage(QStringLiteral("pasted:1"));
    c.insertText(QStringLiteral("1234567"));
    const QByteArray written = rtf::write(&doc);
    verifyTreeFileSafe(written);
    QTextDocument back;
    rtf::read(written, &back);
    QCOMPARE(back.toPlainText(), QStringLiteral("End\uFFFC1234567"));
    QTextCursor bc(&back);
    bc.setPosition(4);
    const QImage read = back.resource(QTextDocument::ImageResource, QUrl(bc.charFormat().toImageFormat().name())).value<QImage>();
    QCOMPARE(read.size(), QSize(5, 2));
    QCOMPARE(read.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(rtf::write(&back), written);
}

QTEST_GUILESS_MAIN(TestRtf)
#include "tst_rtf.moc"
