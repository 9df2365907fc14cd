// Reading RTF as other programs write it: word processors' exports checked
// against the plain text the same program exported, and the constructs
// those writers use (starred field results, shapes, embedded objects, \upr,
// list labels, footnote marks, fallback characters of \uN).
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using namespace testrtf;
using namespace Qt::StringLiterals;

namespace {

// Text as a reader sees it: pictures, byte-order marks and how lines and
// list labels are spaced do not count.
QString normalized(QString text)
{
    text.remove(QChar(0xFFFC));
    text.remove(QChar(0xFEFF));
    text.replace(QChar(0x2028), QLatin1Char('\n'));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    text.replace(blanks, QStringLiteral(" "));
    return text.trimmed();
}

QString referenceText(const QString &name)
{
    return QString::fromUtf8(readFile(name));
}

QStringList readParagraphs(const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::read(rtf, &doc);
    return paragraphs(doc);
}

} // namespace

class TestRtfWriters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textAsExported_data();
    void textAsExported();
    void constructs_data();
    void constructs();
    void fontNames_data();
    void fontNames();
};

void TestRtfWriters::textAsExported_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QStringList>("absent"); // header, footer, notes, field codes, metadata, style names...
    QTest::addColumn<QStringList>("runs");   // "text=run at it" as runAt() describes it

    const QStringList reportAbsent{QStringLiteral("Running header"), QStringLiteral("Running footer"),
                                   QStringLiteral("Footnote body"), QStringLiteral("HYPERLINK"),
                                   QStringLiteral("example.net"), QStringLiteral("mark1"),
                                   QStringLiteral("Hidden meta title"), QStringLiteral("secretkeyword"),
                                   QStringLiteral("Heading 1"), QStringLiteral("Liberation"),
                                   QStringLiteral("Default"), QStringLiteral("wzName")};
    QTest::newRow("report") << QStringLiteral("writers_report.rtf") << QStringLiteral("writers_report.txt") << reportAbsent
                            << QStringList{u"Project Plan=Liberation Sans|18|B---|auto|0|P1"_s, u"all three=Liberation Serif|12|BIU-|auto|0|P1"_s,
                                           u"dark red=Liberation Serif|12|----|#c9211e|0|P1"_s, u"mono ten=Liberation Mono|10|----|auto|0|P1"_s,
                                           u"Justified line=Liberation Serif|12|----|auto|0|P8"_s};
    // One writer names black in its colour table, the other leaves the automatic colour.
    QTest::newRow("report, second writer")
        << QStringLiteral("writers_report_abiword.rtf") << QStringLiteral("writers_report.txt") << reportAbsent
        << QStringList{u"Project Plan=Liberation Sans|18|B---|#000000|0|P1"_s, u"all three=Liberation Serif|12|BIU-|#000000|0|P1"_s,
                   u"dark red=Liberation Serif|12|----|#c9211e|0|P1"_s};
    QTest::newRow("styles") << QStringLiteral("writers_styles.rtf") << QStringLiteral("writers_styles.txt")
                            << QStringList{QStringLiteral("secret title"), QStringLiteral("example.org"),
                                           QStringLiteral("HYPERLINK"), QStringLiteral("Symbol;"),
                                           QStringLiteral("Heading")}
                            << QStringList{u"Quarterly Report=Liberation Serif|24|B---|auto|0|P1"_s, u"Serif fourteen=DejaVu Serif|14|----|auto|0|P1"_s,
                                           u"Green sentence=Liberation Serif|12|----|#008000|0|P1"_s, u"Centred paragraph=Liberation Serif|12|----|auto|0|P4"_s,
                                           u"the example link=Liberation Serif|12|--U-|#000080|0|P1"_s};
    QTest::newRow("international") << QStringLiteral("writers_intl.rtf") << QStringLiteral("writers_intl.txt")
                                   << QStringList{QStringLiteral("wzDescription"), QStringLiteral("89504e47"),
                                                  QStringLiteral("Intl")}
                                   << QStringList{u"Straße=Liberation Serif|12|----|auto|0|P1"_s, u"12=Liberation Serif|12|B---|auto|0|P1"_s};
}

void TestRtfWriters::textAsExported()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(QStringList, absent);
    QFETCH(QStringList, runs);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    const QString text = doc.toPlainText();
    QCOMPARE(normalized(text), normalized(referenceText(reference)));
    for (const QString &a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a));
    // No paragraph starts with stray blanks (an unnumbered heading's list label is dropped).
    for (const QString &p : paragraphs(doc))
        QVERIFY2(!p.startsWith(QLatin1Char('\t')), qPrintable(p));
    for (const QString &run : runs)
        QCOMPARE(run.section(u'=', 0, 0) + u'=' + runAt(doc, run.section(u'=', 0, 0)), run);
}

void TestRtfWriters::constructs_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("paras");

    const auto P = [](std::initializer_list<const char16_t *> list) {
        QStringList out;
        for (const char16_t *s : list)
            out << QString::fromUtf16(s);
        return out;
    };
    QTest::newRow("starred field result")
        << QByteArray("x{\\field{\\*\\fldinst {HYPERLINK \"http://a.example/\"}}{\\*\\fldrslt{\\ul link}}}y") << P({u"xlinky"});
    QTest::newRow("field result unstarred")
        << QByteArray("x{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}y") << P({u"x7y"});
    QTest::newRow("upr reads the unicode half")
        << QByteArray("A{\\upr{ansi?}{\\*\\ud{uni\\u8364?}}}B") << P({u"Auni€B"});
    QTest::newRow("shape picture, result skipped")
        << QByteArray("s{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv {\\pict"
                      "\\wmetafile8\\picw10\\pich10 0102}}}}{\\shprslt\\par\\pard{\\pict\\wmetafile8 0102}\\par}}t")
        << P({u"s\uFFFCt"});
    QTest::newRow("shape text box")
        << QByteArray("a{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}{\\shptxt box}}{\\shprslt{\\*\\do\\dobxcolumn"
                      "{\\dptxbxtext box}}}}b")
        << P({u"aboxb"});
    QTest::newRow("object shows its result")
        << QByteArray("o{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 01050000}{\\result{\\pict\\wmetafile8 0102}}}p")
        << P({u"o\uFFFCp"});
    QTest::newRow("object data unstarred")
        << QByteArray("o{\\object{\\objclass Word}{\\objdata 414243\\bin3 }}}}{\\result r}}p") << P({u"orp"});
    QTest::newRow("object with result text")
        << QByteArray("o{\\object{\\objclass Word}{\\objdata 414243}{\\result res}}p") << P({u"oresp"});
    QTest::newRow("footnote marks numbered")
        << QByteArray("a{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} one}b{\\super\\chftn}{\\*\\footnote "
                      "{\\chftn} two}c")
        << P({u"a1b2c"});
    QTest::newRow("fallback as named character")
        << QByteArray("\\uc1\\u8212\\emdash x\\u8220\\ldblquote y\\u8226\\bullet z") << P({u"—x“y•z"});
    QTest::newRow("fallback as symbol") << QByteArray("\\u160\\~x\\u8209\\_y") << P({u"\u00A0x\u2011y"});
    QTest::newRow("fallback in nested uc")
        << QByteArray("{\\uc2\\u26085\\'93\\'fa}{\\uc0\\u26412}\\u8364?") << P({u"日本€"});
    QTest::newRow("blank list label dropped")
        << QByteArray("{\\listtext\\pard\\plain \\tab}\\pard Heading\\par{\\listtext 1.\\tab}Item\\par "
                      "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Old bullet")
        << P({u"Heading", u"1.\tItem", u"\u00B7\tOld bullet"});
    QTest::newRow("unstarred metadata")
        << QByteArray("{\\title Secret}{\\author Me}{\\operator X}{\\keywords k}a{\\pn{\\pntxta .}}b") << P({u"ab"});
    QTest::newRow("form field and bookmark")
        << QByteArray("{\\field{\\*\\fldinst { FORMTEXT }{\\*\\datafield 8001}{\\*\\formfield{\\fftype0{\\*\\ffname "
                      "Text1}}}}{\\fldrslt{Typed}}}{\\*\\bkmkstart Text1}{\\*\\bkmkend Text1}!")
        << P({u"Typed!"});
    QTest::newRow("nested table cells")
        << QByteArray("\\pard\\intbl a\\cell{\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell{\\*\\nesttableprops\\trowd"
                      "\\cellx100\\nestrow}}b\\cell\\row\\pard after")
        << P({u"a", u"n1", u"n2", u"b", u"after"});
}

void TestRtfWriters::constructs()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, paras);
    QCOMPARE(readParagraphs("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}}" + body + "}"), paras);
}

void TestRtfWriters::fontNames_data()
{
    QTest::addColumn<QByteArray>("fonttbl");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("text");

    QTest::newRow("double-byte name")
        << QByteArray("{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}") << QByteArray("\\f1 \\'82\\'a0")
        << QStringLiteral("ＭＳ 明朝") << QStringLiteral("あ");
    QTest::newRow("code page of the font")
        << QByteArray("{\\f1\\fnil\\cpg1251 \\'cc\\'ee\\'e9;}") << QByteArray("\\f1 \\'c0\\'e1")
        << QStringLiteral("Мой") << QStringLiteral("Аб");
    QTest::newRow("unicode name")
        << QByteArray("{\\f1\\fnil\\fcharset0{\\upr{ Ansi;}{\\*\\ud{Uni\\u-3913?;}}}}") << QByteArray("\\f1 x")
        << QStringLiteral("Uni\uF0B7") << QStringLiteral("x");
    QTest::newRow("alternate and panose")
        << QByteArray("{\\f1\\froman\\fprq2{\\*\\panose 02020603050405020304}Times New Roman{\\*\\falt Times};}")
        << QByteArray("\\f1 y") << QStringLiteral("Times New Roman") << QStringLiteral("y");
}

void TestRtfWriters::fontNames()
{
    QFETCH(QByteArray, fonttbl);
    QFETCH(QByteArray, body);
    QFETCH(QString, family);
    QFETCH(QString, text);
    QTextDocument doc;
    rtf::read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}" + fonttbl + "}" + body + "}", &doc);
    QCOMPARE(doc.toPlainText(), text);
    QCOMPARE(runAt(doc, text).section(u'|', 0, 0), family);
}

QTEST_MAIN(TestRtfWriters)
#include "tst_rtf_writers.moc"
