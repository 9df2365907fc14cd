// The RTF codec: what it writes must survive the tree file, and what it
// reads back must be what was written.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using namespace testrtf;
using namespace Qt::StringLiterals;

namespace {

QString readText(const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::read(rtf, &doc);
    return doc.toRawText(); // toPlainText() would turn no-break spaces into blanks
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
    void samplesText_data();
    void samplesText();
    void plainText_data();
    void plainText();
};

// ---- data-loss guard ----

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
        verifyRoundTrip(doc);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(doc.toPlainText())));
    }
}

// ---- round trip ----

void TestRtf::roundTrip_data()
{
    QTest::addColumn<DocBuilder>("build");
    const QString arial = QStringLiteral("Arial");

    // Paragraphs the tree file would take for its own lines, plain, in
    // alternating formats and in a Cyrillic font. Long lines force breaks;
    // digits where a break would fall must not start a line.
    const QList<QList<QTextCharFormat>> styles{
        {}, {charFormat(arial, 10), charFormat(QStringLiteral("Times New Roman"), 12, true),
             charFormat(arial, 10, false, true, true, false, Qt::red)},
        {charFormat(arial, 10, false, false, false, false, QColor(), 204)}};
    const QList<QStringList> dangerous{
        {QStringLiteral("End")}, {QStringLiteral("3000001")},
        {QStringLiteral("End"), QStringLiteral("3000001"), QStringLiteral("1234567"), QStringLiteral("1000000 0000000 $")},
        {QString(), QStringLiteral("End"), QString(), QStringLiteral("2000001"), QString()},
        {QString(1000, QLatin1Char('7'))}, {QStringLiteral("1234567 ").repeated(120).trimmed()},
        {QStringLiteral("End ").repeated(200)},
        {QString(193, QLatin1Char('x')) + QStringLiteral(" 1234567"), QString(199, QLatin1Char('y')) + QStringLiteral(" End")},
        {QStringLiteral("\t1234567\t"), QStringLiteral("End\u2028End"), QStringLiteral("1234567\u20281234567")}};
    for (qsizetype style = 0; style < styles.size(); ++style)
        for (const QStringList &paras : dangerous)
            QTest::addRow("style %d: %s", int(style), qPrintable(paras.join(u'|').left(30)))
                << DocBuilder([paras, formats = styles[style]](QTextCursor &c) { buildParagraphs(c, paras, formats); });

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
    verifyRoundTrip(doc);
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
    QTextDocument doc;
    rtf::read(data, &doc); // a hang would end at the suite's time-out
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

void TestRtf::samplesText_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("paras");  // these paragraphs in this order (others may lie between)
    QTest::addColumn<QStringList>("absent"); // text of skipped destinations
    QTest::addColumn<QStringList>("runs");   // "text=run at it" as runAt() describes it

    QTest::newRow("rich edit") << QStringLiteral("richedit_classic.rtf")
                               << QStringList{QStringLiteral("Plain Arial ten."),
                                              QStringLiteral("Bold then italic then underlined then struck."),
                                              QStringLiteral("Red text and green."),
                                              QStringLiteral("Centred Times sixteen"),
                                              QStringLiteral("Right Courier twelve"),
                                              QStringLiteral("Café € “quoted”\ttab")}
                               << QStringList{}
                               << QStringList{u"Bold=Arial|10|B---|auto|0|P1"_s, u"italic=Arial|10|-I--|auto|0|P1"_s,
                                  u"underlined=Arial|10|--U-|auto|0|P1"_s, u"struck=Arial|10|---S|auto|0|P1"_s,
                                  u"Red text=Arial|10|----|#ff0000|0|P1"_s, u"Centred=Times New Roman|16|----|auto|0|P4"_s,
                                  u"Right=Courier New|12|----|auto|0|P2"_s};
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
                       QStringLiteral("504b"), QStringLiteral("example.com")}
        << QStringList{u"Report Title=Arial|16|B---|auto|0|P4"_s, u"red=Times New Roman|11|----|#ff0000|0|P1"_s,
           u"Example Site=Times New Roman|11|--U-|#0000ff|0|P1"_s};
    QTest::newRow("pandoc") << QStringLiteral("pandoc_sample.rtf")
                            << QStringList{QStringLiteral("Shopping notes"), QStringLiteral("1.\tFirst item"),
                                           QStringLiteral("\u2022\tBullet two"), QStringLiteral("A quoted paragraph."),
                                           QStringLiteral("Name"), QStringLiteral("Qty"), QStringLiteral("Apple"),
                                           QStringLiteral("3"), QStringLiteral("Pear"), QStringLiteral("12"),
                                           QStringLiteral("Unicode beyond the code page: Ωmega, Привет, 日本語.")}
                            << QStringList{} << QStringList{u"Shopping=Helvetica|18|B---|auto|0|P1"_s, u"struck=Helvetica|12|---S|auto|0|P1"_s,
           u"code=Courier|12|----|auto|0|P1"_s};
    QTest::newRow("cocoa") << QStringLiteral("cocoa_style.rtf")
                           << QStringList{QStringLiteral("First line"), QStringLiteral("Centred blue bold"),
                                          QStringLiteral("Justified text with é and € euro.")}
                           << QStringList{QStringLiteral("Helvetica")} << QStringList{u"Centred blue=Helvetica-Bold|12|B---|#0000ff|0|P4"_s, u"Justified=Helvetica|12|----|auto|0|P8"_s};
    QTest::newRow("metafiles") << QStringLiteral("metafile_pictures.rtf")
                               << QStringList{QStringLiteral("Before \uFFFC after."), QStringLiteral("Binary \uFFFC tail.")}
                               << QStringList{QStringLiteral("End"), QStringLiteral("1234567")} << QStringList{};
    // Code pages of the document and of single fonts; the charset is kept.
    QTest::newRow("cyrillic and greek")
        << QStringLiteral("cyrillic_greek.rtf")
        << QStringList{QStringLiteral("Привет, мир!"), QStringLiteral("Βελτιστο"), QStringLiteral("Café €")}
        << QStringList{} << QStringList{u"Привет=Arial|10|----|auto|204|P1"_s};
    QTest::newRow("shift-jis") << QStringLiteral("japanese_sjis.rtf") << QStringList{QStringLiteral("日本語 and 日本 end")}
                               << QStringList{} << QStringList{u"日本語=MS Gothic|10|----|auto|128|P1"_s};
}

void TestRtf::samplesText()
{
    QFETCH(QString, file);
    QFETCH(QStringList, paras);
    QFETCH(QStringList, absent);
    QFETCH(QStringList, runs);
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
    for (const QString &run : runs)
        QCOMPARE(run.section(u'=', 0, 0) + u'=' + runAt(doc, run.section(u'=', 0, 0)), run);

    verifyRoundTrip(doc); // whatever we read, we write and read back the same
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

QTEST_GUILESS_MAIN(TestRtf)
#include "tst_rtf.moc"
