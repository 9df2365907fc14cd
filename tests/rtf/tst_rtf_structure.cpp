// What the editor holds survives our RTF: paragraph formats, highlight,
// lists, links, tables and pictures, alone and mixed, read back the same and
// written again byte for byte; the same constructs from other writers; and
// damaged input that costs no text.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"
#include "support_structure.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextList>
#include <QTextTable>

using namespace teststruct;

namespace {

QTextCharFormat font(qreal points, bool bold = false, const QColor &color = {})
{
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("Arial")});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (color.isValid())
        f.setForeground(color);
    return f;
}

void paragraphs(QTextCursor &c)
{
    QTextBlockFormat bf;
    bf.setLeftMargin(24);
    bf.setRightMargin(12);
    bf.setTextIndent(-8);
    bf.setTopMargin(6);
    bf.setBottomMargin(10);
    bf.setAlignment(Qt::AlignJustify);
    bf.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    bf.setTabPositions({QTextOption::Tab(48, QTextOption::LeftTab), QTextOption::Tab(200, QTextOption::RightTab),
                        QTextOption::Tab(120, QTextOption::CenterTab)});
    c.setBlockFormat(bf);
    c.insertText(QStringLiteral("Indented\tjustified text"), font(10));
    QTextBlockFormat fixed;
    fixed.setLineHeight(20, QTextBlockFormat::FixedHeight);
    fixed.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.insertBlock(fixed);
    c.insertText(QStringLiteral("On a new page"), font(10));
    QTextBlockFormat atLeast;
    atLeast.setLineHeight(16, QTextBlockFormat::MinimumHeight);
    c.insertBlock(atLeast);
    c.insertText(QStringLiteral("Plain again"), font(10));
}

void highlight(QTextCursor &c)
{
    QTextCharFormat marked = font(10);
    marked.setBackground(QColor(255, 255, 0));
    c.insertText(QStringLiteral("before "), font(10));
    c.insertText(QStringLiteral("marked"), marked);
    marked.setForeground(QColor(200, 0, 0));
    c.insertText(QStringLiteral(" red on yellow"), marked);
    c.insertText(QStringLiteral(" after"), font(10));
}

void lists(QTextCursor &c)
{
    c.insertText(QStringLiteral("Shopping"), font(10));
    const auto item = [&](const QString &text) { c.insertText(text, font(10)); };
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(1);
    c.insertBlock();
    c.createList(bullets);
    item(QStringLiteral("Apples"));
    c.insertBlock();
    item(QStringLiteral("Pears"));
    QTextListFormat inner;
    inner.setStyle(QTextListFormat::ListLowerAlpha);
    inner.setIndent(2);
    c.insertBlock();
    c.createList(inner);
    item(QStringLiteral("Green pears"));
    c.insertBlock();
    item(QStringLiteral("Red pears"));
    QTextListFormat square;
    square.setStyle(QTextListFormat::ListSquare);
    square.setIndent(3);
    c.insertBlock();
    c.createList(square);
    item(QStringLiteral("Deep"));
    c.insertBlock();
    QTextList *outer = c.block().previous().previous().previous().previous().textList();
    outer->add(c.block());
    item(QStringLiteral("Plums"));
    for (const auto style : {QTextListFormat::ListDecimal, QTextListFormat::ListUpperRoman, QTextListFormat::ListCircle}) {
        c.insertBlock(QTextBlockFormat());
        item(QStringLiteral("Between"));
        QTextListFormat numbered;
        numbered.setStyle(style);
        numbered.setIndent(1);
        if (style == QTextListFormat::ListDecimal)
            numbered.setProperty(rtf::ListStartProperty, 3);
        c.insertBlock();
        c.createList(numbered);
        item(QStringLiteral("Third"));
        c.insertBlock();
        item(QStringLiteral("Fourth"));
    }
}

void links(QTextCursor &c)
{
    QTextCharFormat link = font(10, false, QColor(0, 0, 255));
    link.setFontUnderline(true);
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("https://example.com/a?b=\"c\"&d={e}"));
    c.insertText(QStringLiteral("See "), font(10));
    c.insertText(QStringLiteral("the "), link);
    link.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("page"), link);
    link.setAnchorHref(QStringLiteral("mailto:me@example.com"));
    c.insertText(QStringLiteral("mail me"), link);
    c.insertText(QStringLiteral(" now."), font(10));
}

void table(QTextCursor &c, bool fixed)
{
    c.insertText(QStringLiteral("Before"), font(10));
    QTextTableFormat tf;
    if (fixed)
        tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 120),
                                      QTextLength(QTextLength::PercentageLength, 30), QTextLength()});
    QTextTable *t = c.insertTable(3, 3, tf);
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            QTextCursor cell = t->cellAt(r, col).firstCursorPosition();
            cell.insertText(QStringLiteral("r%1c%2").arg(r).arg(col), font(10, r == 0));
        }
    }
    QTextCursor two = t->cellAt(1, 1).lastCursorPosition();
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    two.insertBlock(centred);
    two.insertText(QStringLiteral("second line"), font(12, false, Qt::red));
    c = t->lastCursorPosition();
    c.movePosition(QTextCursor::NextBlock);
    c.insertText(QStringLiteral("After"), font(10));
}

void picture(QTextCursor &c)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    image.setPixel(29, 19, qRgb(250, 0, 0));
    c.document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted")), image);
    QTextImageFormat img;
    img.setName(QStringLiteral("pasted"));
    img.setWidth(30);
    img.setHeight(20);
    c.insertText(QStringLiteral("Picture: "), font(10));
    c.insertImage(img);
    c.insertText(QStringLiteral(" and a stray \u0000 character"), font(10));
}

} // namespace

class TestRtfStructure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void pastedHeadings();
    void otherWriters_data();
    void otherWriters();
    void damaged_data();
    void damaged();
};

void TestRtfStructure::roundTrip_data()
{
    QTest::addColumn<DocBuilder>("build");
    QTest::newRow("paragraph formats") << DocBuilder(paragraphs);
    QTest::newRow("highlight") << DocBuilder(highlight);
    QTest::newRow("lists, nested, styles and start") << DocBuilder(lists);
    QTest::newRow("links") << DocBuilder(links);
    QTest::newRow("table") << DocBuilder([](QTextCursor &c) { table(c, false); });
    QTest::newRow("table with widths") << DocBuilder([](QTextCursor &c) { table(c, true); });
    QTest::newRow("picture and U+0000") << DocBuilder(picture);
    QTest::newRow("everything") << DocBuilder([](QTextCursor &c) {
        paragraphs(c);
        c.insertBlock(QTextBlockFormat());
        links(c);
        c.insertBlock();
        lists(c);
        c.insertBlock(QTextBlockFormat());
        table(c, true);
        c.insertBlock();
        highlight(c);
        picture(c);
    });
}

void TestRtfStructure::roundTrip()
{
    QFETCH(DocBuilder, build);
    QTextDocument doc;
    QTextCursor c(&doc);
    build(c);
    const QByteArray first = rtf::write(&doc);
    QTextDocument back;
    rtf::read(first, &back);
    QCOMPARE(describe(back), describe(doc));
    QCOMPARE(rtf::write(&back), first);
}

// Headings come from HTML as size steps and pixel sizes; they are stored at
// the size they were shown at.
void TestRtfStructure::pastedHeadings()
{
    QTextDocument doc;
    QFont base(QStringLiteral("Arial"));
    base.setPointSize(10);
    doc.setDefaultFont(base);
    doc.setHtml(QStringLiteral("<h1>Title</h1><h3>Sub</h3><p><span style='font-size:24px'>Big</span> body</p>"));
    QTextDocument back;
    back.setDefaultFont(base);
    rtf::read(rtf::write(&doc), &back);
    QCOMPARE(describe(back), describe(doc));
    QCOMPARE(rtf::halfPoints(QTextCursor(back.findBlockByNumber(0)).charFormat(), base), 40);
    QCOMPARE(rtf::halfPoints(back.find(QStringLiteral("Big")).charFormat(), base), 36);
}

void TestRtfStructure::otherWriters_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("expected"); // "text=what is there"
    QTest::newRow("word processor, list table")
        << QStringLiteral("writers_styles.rtf")
        << QStringList{QStringLiteral("Apple bullet=list -1 item 0"), QStringLiteral("Banana bullet=list -1 item 1"),
                       QStringLiteral("Second numbered=list -4 item 1"), QStringLiteral("Quarterly Report=no list"),
                       QStringLiteral("the example link=link https://example.org/page")};
    QTest::newRow("word processor, table and link")
        << QStringLiteral("writers_report.rtf")
        << QStringList{QStringLiteral("Delta=cell 1,1 of 2x2"), QStringLiteral("Project Plan=no list"),
                       QStringLiteral("click here=link https://example.net/x")};
    QTest::newRow("second writer") << QStringLiteral("writers_report_abiword.rtf")
                                   << QStringList{QStringLiteral("Delta=cell 1,1 of 2x2"),
                                                  QStringLiteral("click here=link https://example.net/x")};
    QTest::newRow("hand-made, classic and word lists")
        << QStringLiteral("lists_links_tables.rtf")
        << QStringList{QStringLiteral("Classic one=list -4 item 0"), QStringLiteral("Classic two=list -4 item 1"),
                       QStringLiteral("Roman=list -8 item 0"), QStringLiteral("Word second level=list -5 item 0"),
                       QStringLiteral("Word first=list -1 item 0"), QStringLiteral("Cell B2=cell 1,1 of 2x2"),
                       QStringLiteral("Marked=background #ffff00"), QStringLiteral("a link=link http://example.com/x")};
}

void TestRtfStructure::otherWriters()
{
    QFETCH(QString, file);
    QFETCH(QStringList, expected);
    QTextDocument doc;
    rtf::read(testrtf::readFile(file), &doc);
    for (const QString &e : expected) {
        const QTextCursor at = doc.find(e.section(u'=', 0, 0));
        QVERIFY2(!at.isNull(), qPrintable(e));
        QTextCursor in(at.block());
        in.setPosition(at.selectionStart() + 1);
        const QTextList *list = at.block().textList();
        const QTextTable *table = in.currentTable();
        QString got = list ? QStringLiteral("list %1 item %2").arg(int(list->format().style())).arg(list->itemNumber(at.block()))
                           : QStringLiteral("no list");
        const QString what = e.section(u'=', 1);
        if (what.startsWith(QLatin1String("cell")) && table)
            got = QStringLiteral("cell %1,%2 of %3x%4").arg(table->cellAt(in.position()).row())
                      .arg(table->cellAt(in.position()).column()).arg(table->rows()).arg(table->columns());
        else if (what.startsWith(QLatin1String("link")))
            got = QStringLiteral("link ") + in.charFormat().anchorHref();
        else if (what.startsWith(QLatin1String("background")))
            got = QStringLiteral("background ") + in.charFormat().background().color().name();
        QCOMPARE(e.section(u'=', 0, 0) + u'=' + got, e);
    }
}

void TestRtfStructure::damaged_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text"); // the text, blanks left out
    QTest::newRow("unbalanced table groups")
        << QByteArray("{\\trowd\\cellx500{\\pard\\intbl a\\cell{{b\\cell\\row}}}}\\intbl c\\cell") << QStringLiteral("abc");
    QTest::newRow("cell and row outside a table") << QByteArray("x\\cell y\\row\\cell z") << QStringLiteral("xyz");
    QTest::newRow("table never ended") << QByteArray("\\trowd\\cellx100\\intbl a\\cell b") << QStringLiteral("ab");
    QTest::newRow("more cells than a page holds")
        << QByteArray("\\intbl ").append(QByteArray("x\\cell ").repeated(500)).append("\\row") << QStringLiteral("x").repeated(500);
    QTest::newRow("list level out of range")
        << QByteArray("{\\*\\listtable{\\list{\\listlevel\\levelnfc0}\\listid7}}{\\*\\listoverridetable{\\listoverride"
                      "\\listid7\\ls1}}\\pard\\ls1\\ilvl99 deep\\par\\pard\\ls9\\ilvl-4 undefined\\par{\\*\\pn\\pnlvl400}far")
        << QStringLiteral("deepundefinedfar");
    QTest::newRow("truncated picture") << QByteArray("a{\\pict\\pngblip 89504e470d0a1a0a0000") << QStringLiteral("a\uFFFC");
    QTest::newRow("bin longer than the file") << QByteArray("a{\\pict\\pngblip\\bin999999999 xyz") << QStringLiteral("a\uFFFC");
    QTest::newRow("field never closed") << QByteArray("{\\field{\\*\\fldinst HYPERLINK \"x") << QString();
    QTest::newRow("link without result") << QByteArray("{\\field{\\*\\fldinst HYPERLINK}}after") << QStringLiteral("after");
}

void TestRtfStructure::damaged()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    rtf::read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}" + body, &doc);
    QCOMPARE(doc.toPlainText().remove(QRegularExpression(QStringLiteral("\\s"))), text);
    QTextDocument again; // and what was read is written and read the same
    rtf::read(rtf::write(&doc), &again);
    QCOMPARE(describe(again), describe(doc));
}

QTEST_MAIN(TestRtfStructure)
#include "tst_rtf_structure.moc"
