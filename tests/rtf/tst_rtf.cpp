// The RTF codec: what it writes must survive the tree file, and what it
// reads back must be what was written.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace testrtf;
using namespace Qt::StringLiterals;

namespace {

QString readText(const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::read(rtf, &doc);
    return doc.toRawText(); // toPlainText() would turn no-break spaces into blanks
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
    void paragraphsRead_data();
    void paragraphsRead();
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
    const QList<QTextCharFormat> formats = {formatOf(u"Arial|10|----|auto|0"_s), formatOf(u"Arial|10|B---|auto|0"_s),
                                            formatOf(u"Courier New|9|-I-S|#0000ff|0"_s),
                                            formatOf(u"Arial|10|----|auto|204"_s)};
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
    QTest::addColumn<QStringList>("runs"); // as runsOf() prints them

    // Paragraphs the tree file would take for its own lines, plain, in
    // alternating formats and in a Cyrillic font. Long lines force breaks;
    // digits where a break would fall must not start a line.
    const QList<QStringList> styles{
        {QString()},
        {u"|Arial|10|----|auto|0"_s, u"|Times New Roman|12|B---|auto|0"_s, u"|Arial|10|-IU-|#ff0000|0"_s},
        {u"|Arial|10|----|auto|204"_s}};
    const QList<QStringList> dangerous{
        {u"End"_s}, {u"3000001"_s}, {u"End"_s, u"3000001"_s, u"1234567"_s, u"1000000 0000000 $"_s},
        {QString(), u"End"_s, QString(), u"2000001"_s, QString()},
        {QString(1000, u'7')}, {u"1234567 "_s.repeated(120).trimmed()}, {u"End "_s.repeated(200)},
        {QString(193, u'x') + u" 1234567"_s, QString(199, u'y') + u" End"_s},
        {u"\t1234567\t"_s, u"End\u2028End"_s, u"1234567\u20281234567"_s}};
    for (qsizetype style = 0; style < styles.size(); ++style)
        for (const QStringList &paras : dangerous) {
            QStringList runs;
            for (qsizetype i = 0; i < paras.size(); ++i)
                runs << u"P1"_s << paras[i] + styles[style][i % styles[style].size()];
            QTest::addRow("style %d: %s", int(style), qPrintable(paras.join(u'|').left(30))) << runs;
        }

    QTest::newRow("plain") << QStringList{u"Hello world"_s};
    QTest::newRow("empty") << QStringList{};
    QTest::newRow("every style") << QStringList{
        u"plain |Arial|10|----|auto|0"_s, u"bold |Arial|10|B---|auto|0"_s, u"italic |Arial|10|-I--|auto|0"_s,
        u"under |Arial|10|--U-|auto|0"_s, u"strike |Arial|10|---S|auto|0"_s, u"all |Arial|10|BIUS|auto|0"_s,
        u"plain again|Arial|10|----|auto|0"_s};
    QTest::newRow("fonts sizes colours") << QStringList{
        u"Times 13.5 |Times New Roman|13.5|----|auto|0"_s, u"red |Arial|8|----|#ff0000|0"_s,
        u"green |Arial|8|----|#008000|0"_s, u"red again |Arial|72|----|#ff0000|0"_s,
        u"black|Arial|8|----|#000000|0"_s, u"P1"_s, u"mono|Courier New|9|----|auto|0"_s};
    QTest::newRow("alignment") << QStringList{u"P1"_s, u"paragraph 0"_s, u"P4"_s, u"paragraph 1"_s, u"P2"_s,
                                              u"paragraph 2"_s, u"P8"_s, u"paragraph 3"_s, u"P4"_s, u"paragraph 4"_s,
                                              u"P4"_s, u"paragraph 5"_s, u"P1"_s, u"paragraph 6"_s};
    QTest::newRow("characters beyond the code page")
        << QStringList{u"Café € “q” ‘s’ – — … Ωmega Привет 日本語 😀 \u00A0nbsp soft\u00ADhyphen"_s};
    QTest::newRow("escapes and breaks") << QStringList{u"back\\slash {braces} tab\there line\u2028break ?question 9\t1"_s};
    QTest::newRow("charsets") << QStringList{u"Привет é|Arial|10|----|auto|204"_s, u" Café|Arial|10|----|auto|0"_s,
                                             u" Ελλάδα|Arial|10|----|auto|161"_s, u" \u00B7sym|Symbol|10|----|auto|2"_s};
    QTest::newRow("odd font names") << QStringList{u"x|ＭＳ ゴシック|10|----|auto|0"_s,
                                                   u"y|Brace{Font}\\|10|----|auto|0"_s};
    QTest::newRow("formatted empty paragraph")
        << QStringList{u"one|Arial|10|----|auto|0"_s, u"P1"_s, u"|Arial|20|B---|auto|0"_s, u"P1"_s,
                       u"|Arial|10|----|auto|0"_s, u"three|Arial|10|----|auto|0"_s};
    QStringList words;
    for (int i = 0; i < 300; ++i)
        words << u"word%1 |Arial|10|%2%3--|auto|0"_s.arg(i).arg(i % 3 ? u'-' : u'B').arg(i % 5 ? u'-' : u'I');
    QTest::newRow("long formatted text") << words;
}

void TestRtf::roundTrip()
{
    QFETCH(QStringList, runs);
    QTextDocument doc;
    doc.setDefaultFont(QFont(u"Arial"_s, 10));
    QTextCursor c(&doc);
    insertRuns(c, runs);
    verifyRoundTrip(doc);
}

// ---- the shape of what we write ----

void TestRtf::writerShape_data()
{
    QTest::addColumn<QStringList>("runs");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::newRow("header and font table")
        << QStringList{u"x|Arial|10|----|auto|0"_s}
        << QByteArrayList{"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n",
                          "\\viewkind4\\uc1\\pard\\f0\\fs20 x\\par\r\n}\r\n"};
    QTest::newRow("only changed properties")
        << QStringList{u"a |Arial|10|----|auto|0"_s, u"b|Arial|10|B---|auto|0"_s, u" c|Arial|10|----|auto|0"_s}
        << QByteArrayList{"\\f0\\fs20 a \\b b\\b0  c\\par"};
    QTest::newRow("colour table") << QStringList{u"r|Arial|10|----|#ff0000|0"_s}
                                  << QByteArrayList{"{\\colortbl ;\\red255\\green0\\blue0;}\r\n", "\\cf1"};
    QTest::newRow("cp1252 hex and unicode") << QStringList{u"é€Ж😀"_s}
                                            << QByteArrayList{"\\'e9\\'80\\u1046?\\u-10179?\\u-8704?"};
}

void TestRtf::writerShape()
{
    QFETCH(QStringList, runs);
    QFETCH(QByteArrayList, expected);
    QTextDocument doc;
    QTextCursor c(&doc);
    insertRuns(c, runs);
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

// Bytes in, paragraphs out: characters, constructs other writers use, and
// files that are no RTF at all.
void TestRtf::paragraphsRead_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("paras");
    const auto rtf = [](const QByteArray &body) -> QByteArray {
        return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}}" + body + "}";
    };
    QTest::newRow("default skip of one") << rtf("\\u8364?x") << QStringList{u"€x"_s};
    QTest::newRow("skips hex fallback") << rtf("\\uc1\\u8364\\'80x") << QStringList{u"€x"_s};
    QTest::newRow("uc0 skips nothing") << rtf("\\uc0\\u8364 x") << QStringList{u"€x"_s};
    QTest::newRow("uc2 two hex bytes") << rtf("\\uc2\\u26085\\'93\\'fa rest") << QStringList{u"日 rest"_s};
    QTest::newRow("uc3 text bytes") << rtf("\\uc3\\u8364 abc d") << QStringList{u"€ d"_s};
    QTest::newRow("skip stops at group end") << rtf("{\\uc2\\u26085\\'93}\\'fa") << QStringList{u"日ú"_s};
    QTest::newRow("uc is group scoped") << rtf("{\\uc0 a}\\u8364?b") << QStringList{u"a€b"_s};
    QTest::newRow("negative value") << rtf("\\u-3913?") << QStringList{u"\uF0B7"_s};
    QTest::newRow("surrogate pair") << rtf("\\u-10179?\\u-8704?") << QStringList{u"😀"_s};
    QTest::newRow("skip ends at control word") << rtf("\\uc1\\u8364\\tab x") << QStringList{u"€\tx"_s};
    QTest::newRow("line breaks not counted") << rtf("\\u8364\r\n?x") << QStringList{u"€x"_s};
    QTest::newRow("named characters") << rtf("\\lquote\\rquote\\ldblquote\\rdblquote\\endash\\emdash\\bullet\\~\\-\\_")
                                      << QStringList{u"‘’“”–—•\u00A0\u00AD\u2011"_s};
    QTest::newRow("escaped symbols") << rtf("\\\\ \\{ \\}") << QStringList{u"\\ { }"_s};
    QTest::newRow("starred field result")
        << rtf("x{\\field{\\*\\fldinst {HYPERLINK \"http://a.example/\"}}{\\*\\fldrslt{\\ul link}}}y")
        << QStringList{u"xlinky"_s};
    QTest::newRow("field result unstarred") << rtf("x{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}y") << QStringList{u"x7y"_s};
    QTest::newRow("upr reads the unicode half") << rtf("A{\\upr{ansi?}{\\*\\ud{uni\\u8364?}}}B") << QStringList{u"Auni€B"_s};
    QTest::newRow("shape picture, result skipped")
        << rtf("s{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv {\\pict"
               "\\wmetafile8\\picw10\\pich10 0102}}}}{\\shprslt\\par\\pard{\\pict\\wmetafile8 0102}\\par}}t")
        << QStringList{u"s\uFFFCt"_s};
    QTest::newRow("shape text box")
        << rtf("a{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}{\\shptxt box}}{\\shprslt{\\*\\do\\dobxcolumn"
               "{\\dptxbxtext box}}}}b")
        << QStringList{u"aboxb"_s};
    QTest::newRow("object shows its result")
        << rtf("o{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 01050000}{\\result{\\pict\\wmetafile8 0102}}}p")
        << QStringList{u"o\uFFFCp"_s};
    QTest::newRow("object data unstarred")
        << rtf("o{\\object{\\objclass Word}{\\objdata 414243\\bin3 }}}}{\\result r}}p") << QStringList{u"orp"_s};
    QTest::newRow("object with result text")
        << rtf("o{\\object{\\objclass Word}{\\objdata 414243}{\\result res}}p") << QStringList{u"oresp"_s};
    QTest::newRow("footnote marks numbered")
        << rtf("a{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} one}b{\\super\\chftn}{\\*\\footnote "
               "{\\chftn} two}c")
        << QStringList{u"a1b2c"_s};
    QTest::newRow("fallback as named character")
        << rtf("\\uc1\\u8212\\emdash x\\u8220\\ldblquote y\\u8226\\bullet z") << QStringList{u"—x“y•z"_s};
    QTest::newRow("fallback as symbol") << rtf("\\u160\\~x\\u8209\\_y") << QStringList{u"\u00A0x\u2011y"_s};
    QTest::newRow("fallback in nested uc")
        << rtf("{\\uc2\\u26085\\'93\\'fa}{\\uc0\\u26412}\\u8364?") << QStringList{u"日本€"_s};
    QTest::newRow("blank list label dropped")
        << rtf("{\\listtext\\pard\\plain \\tab}\\pard Heading\\par{\\listtext 1.\\tab}Item\\par "
               "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Old bullet")
        << QStringList{u"Heading"_s, u"1.\tItem"_s, u"Old bullet"_s}; // a real list item now
    QTest::newRow("unstarred metadata")
        << rtf("{\\title Secret}{\\author Me}{\\operator X}{\\keywords k}a{\\pn{\\pntxta .}}b") << QStringList{u"ab"_s};
    QTest::newRow("form field and bookmark")
        << rtf("{\\field{\\*\\fldinst { FORMTEXT }{\\*\\datafield 8001}{\\*\\formfield{\\fftype0{\\*\\ffname "
               "Text1}}}}{\\fldrslt{Typed}}}{\\*\\bkmkstart Text1}{\\*\\bkmkend Text1}!")
        << QStringList{u"Typed!"_s};
    QTest::newRow("nested table cells")
        << rtf("\\pard\\intbl a\\cell{\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops\\trowd"
               "\\cellx100\\nestrow}}b\\cell\\row\\pard after")
        // A table first in the item has a paragraph before it.
        << QStringList{u""_s, u"a"_s, u"n1"_s, u"n2"_s, u"b"_s, u"after"_s};
    // Files that are no RTF read as lines of text.
    QTest::newRow("crlf lines") << QByteArray("one\r\ntwo\r\n") << QStringList{u"one"_s, u"two"_s};
    QTest::newRow("lf and cr") << QByteArray("a\nb\rc") << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("cp1252") << QByteArray("caf\xe9 \x80 \x93q\x94") << QStringList{u"café € “q”"_s};
    QTest::newRow("empty") << QByteArray() << QStringList{QString()};
    QTest::newRow("almost rtf") << QByteArray("{\\rt not rtf}") << QStringList{u"{\\rt not rtf}"_s};
    QTest::newRow("rtf later") << QByteArray("x{\\rtf1 y}") << QStringList{u"x{\\rtf1 y}"_s};
}

void TestRtf::paragraphsRead()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, paras);
    QTextDocument doc;
    rtf::read(data, &doc);
    QCOMPARE(paragraphs(doc), paras);
}

QTEST_GUILESS_MAIN(TestRtf)
#include "tst_rtf.moc"
