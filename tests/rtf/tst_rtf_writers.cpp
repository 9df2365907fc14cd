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
    void formatting_data();
    void formatting();
    void pictureShownOnce();
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

    const QStringList reportAbsent{QStringLiteral("Running header"), QStringLiteral("Running footer"),
                                   QStringLiteral("Footnote body"), QStringLiteral("HYPERLINK"),
                                   QStringLiteral("example.net"), QStringLiteral("mark1"),
                                   QStringLiteral("Hidden meta title"), QStringLiteral("secretkeyword"),
                                   QStringLiteral("Heading 1"), QStringLiteral("Liberation"),
                                   QStringLiteral("Default"), QStringLiteral("wzName")};
    QTest::newRow("report") << QStringLiteral("writers_report.rtf") << QStringLiteral("writers_report.txt") << reportAbsent;
    QTest::newRow("report, second writer")
        << QStringLiteral("writers_report_abiword.rtf") << QStringLiteral("writers_report.txt") << reportAbsent;
    QTest::newRow("styles") << QStringLiteral("writers_styles.rtf") << QStringLiteral("writers_styles.txt")
                            << QStringList{QStringLiteral("secret title"), QStringLiteral("example.org"),
                                           QStringLiteral("HYPERLINK"), QStringLiteral("Symbol;"),
                                           QStringLiteral("Heading")};
    QTest::newRow("international") << QStringLiteral("writers_intl.rtf") << QStringLiteral("writers_intl.txt")
                                   << QStringList{QStringLiteral("wzDescription"), QStringLiteral("89504e47"),
                                                  QStringLiteral("Intl")};
}

void TestRtfWriters::textAsExported()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    QFETCH(QStringList, absent);
    QTextDocument doc;
    rtf::read(readFile(file), &doc);
    const QString text = doc.toPlainText();
    QCOMPARE(normalized(text), normalized(referenceText(reference)));
    for (const QString &a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a));
    // No paragraph starts with stray blanks (an unnumbered heading's list label is dropped).
    for (const QString &p : paragraphs(doc))
        QVERIFY2(!p.startsWith(QLatin1Char('\t')), qPrintable(p));
}

void TestRtfWriters::formatting_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("flags"); // BIUS
    QTest::addColumn<QString>("color");
    QTest::addColumn<int>("align");

    const int left = int(Qt::AlignLeft);
    for (const char *file : {"writers_report.rtf", "writers_report_abiword.rtf"}) {
        const QString f = QString::fromLatin1(file);
        // One writer names black in its colour table, the other leaves the automatic colour.
        const QString dflt = f.contains(QLatin1String("abiword")) ? QStringLiteral("#000000") : QStringLiteral("auto");
        const auto row = [&](const char *tag) -> QTestData & { return QTest::newRow(qPrintable(f + QLatin1Char(' ') + QLatin1String(tag))); };
        row("heading") << f << "Project Plan" << "Liberation Sans" << 18.0 << "B---" << dflt << left;
        row("plain") << f << "Mixed" << "Liberation Serif" << 12.0 << "----" << dflt << left;
        row("bold") << f << "bold" << "Liberation Serif" << 12.0 << "B---" << dflt << left;
        row("italic") << f << "italic" << "Liberation Serif" << 12.0 << "-I--" << dflt << left;
        row("underline") << f << "underline" << "Liberation Serif" << 12.0 << "--U-" << dflt << left;
        row("strike") << f << "strike" << "Liberation Serif" << 12.0 << "---S" << dflt << left;
        row("three") << f << "all three" << "Liberation Serif" << 12.0 << "BIU-" << dflt << left;
        row("red") << f << "dark red" << "Liberation Serif" << 12.0 << "----" << "#c9211e" << left;
        row("mono") << f << "mono ten" << "Liberation Mono" << 10.0 << "----" << dflt << left;
        row("big") << f << "big blue sans" << "Liberation Sans" << 20.0 << "----" << "#2a6099" << left;
        row("centred") << f << "Centred line" << "Liberation Serif" << 12.0 << "----" << dflt << int(Qt::AlignHCenter);
        row("right") << f << "Right line" << "Liberation Serif" << 12.0 << "----" << dflt << int(Qt::AlignRight);
        row("justified") << f << "Justified line" << "Liberation Serif" << 12.0 << "----" << dflt << int(Qt::AlignJustify);
        row("after note") << f << "after it" << "Liberation Serif" << 12.0 << "----" << dflt << left;
        row("table") << f << "Gamma" << "Liberation Serif" << 12.0 << "----" << dflt << left;
        row("scripts") << f << "Русский" << "Liberation Serif" << 12.0 << "----" << dflt << left;
    }
    const QString st = QStringLiteral("writers_styles.rtf");
    QTest::newRow("styles heading") << st << "Quarterly Report" << "Liberation Serif" << 24.0 << "B---" << "auto" << left;
    QTest::newRow("styles bold") << st << "bold words" << "Liberation Serif" << 12.0 << "B---" << "auto" << left;
    QTest::newRow("styles italic") << st << "italic words" << "Liberation Serif" << 12.0 << "-I--" << "auto" << left;
    QTest::newRow("styles underline") << st << "underlined words" << "Liberation Serif" << 12.0 << "--U-" << "auto" << left;
    QTest::newRow("styles struck") << st << "struck words" << "Liberation Serif" << 12.0 << "---S" << "auto" << left;
    QTest::newRow("styles serif") << st << "Serif fourteen" << "DejaVu Serif" << 14.0 << "----" << "auto" << left;
    QTest::newRow("styles mono") << st << "mono nine" << "DejaVu Sans Mono" << 9.0 << "----" << "auto" << left;
    QTest::newRow("styles red") << st << "Red sentence" << "Liberation Serif" << 12.0 << "----" << "#ff0000" << left;
    QTest::newRow("styles green") << st << "Green sentence" << "Liberation Serif" << 12.0 << "----" << "#008000" << left;
    QTest::newRow("styles blue") << st << "Blue sentence" << "Liberation Serif" << 12.0 << "----" << "#0000ff" << left;
    QTest::newRow("styles centred") << st << "Centred paragraph" << "Liberation Serif" << 12.0 << "----" << "auto"
                                    << int(Qt::AlignHCenter);
    QTest::newRow("styles right") << st << "Right aligned" << "Liberation Serif" << 12.0 << "----" << "auto"
                                  << int(Qt::AlignRight);
    QTest::newRow("styles justified") << st << "Justified paragraph" << "Liberation Serif" << 12.0 << "----" << "auto"
                                      << int(Qt::AlignJustify);
    QTest::newRow("styles list item") << st << "Banana bullet" << "Liberation Serif" << 12.0 << "----" << "auto" << left;
    QTest::newRow("styles link") << st << "the example link" << "Liberation Serif" << 12.0 << "--U-" << "#000080" << left;
    const QString in = QStringLiteral("writers_intl.rtf");
    QTest::newRow("intl accents") << in << "Straße" << "Liberation Serif" << 12.0 << "----" << "auto" << left;
    QTest::newRow("intl cjk") << in << "日本語" << "Liberation Serif" << 12.0 << "----" << "auto" << left;
    QTest::newRow("intl bold cell") << in << "12" << "Liberation Serif" << 12.0 << "B---" << "auto" << left;
}

void TestRtfWriters::formatting()
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
}

// The PNG of the shape-picture group is shown; its metafile alternative is not added.
void TestRtfWriters::pictureShownOnce()
{
    for (const char *file : {"writers_report.rtf", "writers_report_abiword.rtf", "writers_intl.rtf"}) {
        QTextDocument doc;
        rtf::read(readFile(QString::fromLatin1(file)), &doc);
        QCOMPARE(doc.toPlainText().count(QChar(0xFFFC)), 1);
        const QTextCursor found = doc.find(QString(QChar(0xFFFC)));
        QVERIFY(!found.isNull());
        QTextCursor c(&doc);
        c.setPosition(found.selectionEnd());
        const QTextImageFormat image = c.charFormat().toImageFormat();
        QVERIFY2(image.isValid(), file);
        QCOMPARE(image.property(rtf::PictureKindProperty).toString(), QStringLiteral("pngblip"));
        const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
        QCOMPARE(shown.size(), QSize(8, 6));
        QCOMPARE(shown.pixelColor(3, 3), QColor(0, 0, 255));
    }
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
    QCOMPARE(formatAt(doc, text).fontFamilies().toStringList().value(0), family);
}

QTEST_MAIN(TestRtfWriters)
#include "tst_rtf_writers.moc"
