// Reading RTF as other programs write it: word processors' exports checked
// against the plain text the same program exported or the paragraphs they
// show, the formatting of chosen runs, and font tables.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>

using namespace testrtf;
using namespace Qt::StringLiterals;

namespace {

// Text as a reader sees it: pictures, byte-order marks, the rules a text
// table is drawn with, which bullet a list shows and how lines and list
// labels are spaced do not count.
QString normalized(QString text)
{
    text.remove(QChar(0xFFFC));
    text.remove(QChar(0xFEFF));
    text.remove(QStringLiteral("[]")); // a picture without a description, as one writer draws it
    text.replace(QChar(0x2028), QLatin1Char('\n'));
    static const QRegularExpression rules(QStringLiteral("(^|\n)[ -]+(?=\n|$)")), bullets(QStringLiteral("(^|\n)\\s*[•◦–-]\\s"));
    text.remove(rules);
    text.replace(bullets, QStringLiteral("\\1• "));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    text.replace(blanks, QStringLiteral(" "));
    return text.trimmed();
}

QString referenceText(const QString &name)
{
    return QString::fromUtf8(readFile(name));
}

// The text with each list item after the label it shows, as a text export
// draws it (numbers from the list's first one; letters and numerals from 1).
QString labelledText(const QTextDocument &doc)
{
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (const QTextList *list = b.textList()) {
            const QTextListFormat f = list->format();
            const int start = f.hasProperty(rtf::ListStartProperty) ? f.intProperty(rtf::ListStartProperty) : 1;
            out += f.style() >= QTextListFormat::ListSquare ? QStringLiteral("•")
                   : f.style() == QTextListFormat::ListDecimal ? QString::number(start + list->itemNumber(b)) + u'.'
                                                                : list->itemText(b);
            out += u' ';
        }
        out += b.text() + u'\n';
    }
    return out;
}

} // namespace

class TestRtfWriters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textAsExported_data();
    void textAsExported();
    void fontNames_data();
    void fontNames();
};

void TestRtfWriters::textAsExported_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference"); // the text the writer exported, if any
    QTest::addColumn<QStringList>("paras");  // these paragraphs in this order; "\n" joins neighbours
    QTest::addColumn<QStringList>("absent"); // header, footer, notes, field codes, metadata, style names...
    QTest::addColumn<QStringList>("runs");   // "text=run at it" as runAt() describes it

    const QStringList reportAbsent{u"Running header"_s, u"Running footer"_s, u"Footnote body"_s, u"HYPERLINK"_s,
                                   u"example.net"_s, u"mark1"_s, u"Hidden meta title"_s, u"secretkeyword"_s,
                                   u"Heading 1"_s, u"Liberation"_s, u"Default"_s, u"wzName"_s};
    QTest::newRow("report") << u"writers_report.rtf"_s << u"writers_report.txt"_s << QStringList{} << reportAbsent
                            << QStringList{u"Project Plan=Liberation Sans|18|B---|auto|0|P1"_s, u"all three=Liberation Serif|12|BIU-|auto|0|P1"_s,
                                           u"dark red=Liberation Serif|12|----|#c9211e|0|P1"_s, u"mono ten=Liberation Mono|10|----|auto|0|P1"_s,
                                           u"Justified line=Liberation Serif|12|----|auto|0|P8"_s};
    // One writer names black in its colour table, the other leaves the automatic colour.
    QTest::newRow("report, second writer")
        << u"writers_report_abiword.rtf"_s << u"writers_report.txt"_s << QStringList{} << reportAbsent
        << QStringList{u"Project Plan=Liberation Sans|18|B---|#000000|0|P1"_s, u"all three=Liberation Serif|12|BIU-|#000000|0|P1"_s,
                   u"dark red=Liberation Serif|12|----|#c9211e|0|P1"_s};
    QTest::newRow("styles") << u"writers_styles.rtf"_s << u"writers_styles.txt"_s << QStringList{}
                            << QStringList{u"secret title"_s, u"example.org"_s, u"HYPERLINK"_s, u"Symbol;"_s, u"Heading"_s}
                            << QStringList{u"Quarterly Report=Liberation Serif|24|B---|auto|0|P1"_s, u"Serif fourteen=DejaVu Serif|14|----|auto|0|P1"_s,
                                           u"Green sentence=Liberation Serif|12|----|#008000|0|P1"_s, u"Centred paragraph=Liberation Serif|12|----|auto|0|P4"_s,
                                           u"the example link=Liberation Serif|12|--U-|#000080|0|P1"_s};
    QTest::newRow("international") << u"writers_intl.rtf"_s << u"writers_intl.txt"_s << QStringList{}
                                   << QStringList{u"wzDescription"_s, u"89504e47"_s, u"Intl"_s}
                                   << QStringList{u"Straße=Liberation Serif|12|----|auto|0|P1"_s, u"12=Liberation Serif|12|B---|auto|0|P1"_s};
    // Lists, a table, a link and a picture, from one source by three writers.
    const QStringList gardenAbsent{u"HYPERLINK"_s, u"Normal"_s, u"Bullet List"_s, u"NULL"_s, u"attach"_s, u"wzName"_s};
    QTest::newRow("structure") << u"writers_structure.rtf"_s << u"writers_structure.txt"_s << QStringList{} << gardenAbsent
                               << QStringList{u"red warnings=Liberation Serif|12|----|#c00000|0|P1"_s, u"Beans=Liberation Serif|12|B---|auto|0|P1"_s,
                                              u"the garden guide=Liberation Serif|12|--U-|#000080|0|P1"_s};
    QTest::newRow("structure, second writer")
        << u"writers_structure_abiword.rtf"_s << u"writers_structure_abiword.txt"_s << QStringList{} << gardenAbsent
        << QStringList{u"Garden Plan=Liberation Sans|17|B---|#000000|0|P1"_s, u"red warnings=Liberation Serif|12|----|#c00000|0|P1"_s};
    QTest::newRow("structure, converter")
        << u"writers_structure_pandoc.rtf"_s << u"writers_structure_pandoc.txt"_s << QStringList{u"–\tSpade nested"_s, u"ii.\tRoman two"_s}
        << gardenAbsent << QStringList{u"Beans=Helvetica|12|B---|auto|0|P1"_s, u"the garden guide=Helvetica|12|--U-|auto|0|P1"_s};
    QTest::newRow("rich edit")
        << u"richedit_classic.rtf"_s << QString()
        << QStringList{u"Plain Arial ten."_s, u"Bold then italic then underlined then struck."_s, u"Red text and green."_s,
                       u"Centred Times sixteen"_s, u"Right Courier twelve"_s, u"Café € “quoted”\ttab"_s}
        << QStringList{}
        << QStringList{u"Bold=Arial|10|B---|auto|0|P1"_s, u"italic=Arial|10|-I--|auto|0|P1"_s,
                       u"underlined=Arial|10|--U-|auto|0|P1"_s, u"struck=Arial|10|---S|auto|0|P1"_s,
                       u"Red text=Arial|10|----|#ff0000|0|P1"_s, u"Centred=Times New Roman|16|----|auto|0|P4"_s,
                       u"Right=Courier New|12|----|auto|0|P2"_s};
    QTest::newRow("word processor")
        << u"wordproc_full.rtf"_s << QString()
        << QStringList{u"Report Title"_s,
                       u"This is italic and red, with a footnote1 and a link: Example Site. Smart “quotes” "
                       u"and ‘single’ – dashes — done."_s,
                       u"First bullet"_s, u"Cell one"_s, u"Cell two"_s, u"Picture:\uFFFC"_s}
        << QStringList{u"Header text"_s, u"Footer"_s, u"Footnote text"_s, u"Secret"_s, u"Hidden company"_s,
                       u"HYPERLINK"_s, u"Normal;"_s, u"Default Paragraph"_s, u"Courier;"_s, u"504b"_s, u"example.com"_s}
        << QStringList{u"Report Title=Arial|16|B---|auto|0|P4"_s, u"red=Times New Roman|11|----|#ff0000|0|P1"_s,
                       u"Example Site=Times New Roman|11|--U-|#0000ff|0|P1"_s};
    // Table cells: one paragraph each, nothing empty in between.
    QTest::newRow("pandoc")
        << u"pandoc_sample.rtf"_s << QString()
        << QStringList{u"Shopping notes"_s, u"1.\tFirst item"_s, u"\u2022\tBullet two"_s, u"A quoted paragraph."_s,
                       u"Name\nQty\nApple\n3\nPear\n12"_s, u"Unicode beyond the code page: Ωmega, Привет, 日本語."_s}
        << QStringList{}
        << QStringList{u"Shopping=Helvetica|18|B---|auto|0|P1"_s, u"struck=Helvetica|12|---S|auto|0|P1"_s,
                       u"code=Courier|12|----|auto|0|P1"_s};
    QTest::newRow("cocoa")
        << u"cocoa_style.rtf"_s << QString()
        << QStringList{u"First line"_s, u"Centred blue bold"_s, u"Justified text with é and € euro."_s}
        << QStringList{u"Helvetica"_s}
        << QStringList{u"Centred blue=Helvetica-Bold|12|B---|#0000ff|0|P4"_s, u"Justified=Helvetica|12|----|auto|0|P8"_s};
    QTest::newRow("metafiles") << u"metafile_pictures.rtf"_s << QString()
                               << QStringList{u"Before \uFFFC after."_s, u"Binary \uFFFC tail."_s}
                               << QStringList{u"End"_s, u"1234567"_s} << QStringList{};
    // Code pages of the document and of single fonts; the charset is kept.
    QTest::newRow("cyrillic and greek") << u"cyrillic_greek.rtf"_s << QString()
                                        << QStringList{u"Привет, мир!"_s, u"Βελτιστο"_s, u"Café €"_s}
                                        << QStringList{} << QStringList{u"Привет=Arial|10|----|auto|204|P1"_s};
    QTest::newRow("shift-jis") << u"japanese_sjis.rtf"_s << QString() << QStringList{u"日本語 and 日本 end"_s}
                               << QStringList{} << QStringList{u"日本語=MS Gothic|10|----|auto|128|P1"_s};
}

void TestRtfWriters::textAsExported()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(QStringList, paras);
    QFETCH(QStringList, absent);
    QFETCH(QStringList, runs);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    const QString text = doc.toPlainText();
    // A writer's text export draws the list labels ours show, or none at all (one writer's).
    const QString exported = reference.isEmpty() ? QString() : referenceText(reference);
    static const QRegularExpression labels(QStringLiteral("(^|\n)\\s*(•|\\d+\\.) "));
    if (!reference.isEmpty())
        QCOMPARE(normalized(exported.contains(labels) ? labelledText(doc) : text), normalized(exported));
    const QStringList got = paragraphs(doc);
    const QString joined = u'\n' + got.join(u'\n') + u'\n';
    qsizetype at = 0;
    for (const QString &p : paras) {
        at = joined.indexOf(u'\n' + p + u'\n', at);
        QVERIFY2(at >= 0, qPrintable(u"missing \"%1\" in:%2"_s.arg(p, joined)));
        at += p.size() + 1;
    }
    for (const QString &a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a));
    // No paragraph starts with stray blanks (an unnumbered heading's list label is dropped).
    for (const QString &p : got)
        QVERIFY2(!p.startsWith(QLatin1Char('\t')), qPrintable(p));
    // The closing paragraph mark adds no empty paragraph: those at the end are the ones the export shows.
    static const QRegularExpression lineEnds(QStringLiteral("\n*$"));
    QCOMPARE(lineEnds.match(got.join(u'\n')).capturedLength(), std::max(0, int(lineEnds.match(exported).capturedLength()) - 1));
    for (const QString &run : runs)
        QCOMPARE(run.section(u'=', 0, 0) + u'=' + runAt(doc, run.section(u'=', 0, 0)), run);
    verifyRoundTrip(doc); // whatever we read, we write and read back the same
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
