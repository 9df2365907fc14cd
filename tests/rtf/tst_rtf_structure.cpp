// What the editor holds survives our RTF: paragraph formats, highlight,
// lists, links, tables and pictures, alone and mixed, read back the same and
// written again byte for byte; the same constructs from other writers; and
// damaged input that costs no text.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"
#include "support_structure.h"

#include <QTest>

using namespace teststruct;

namespace {

const QString kParagraphs = QStringLiteral(
    "<p align=justify style='margin:6px 12px 10px 24px; text-indent:-8px; line-height:150%'>Indented\tjustified</p>"
    "<p style='page-break-before:always; line-height:20px; -qt-line-height-type:fixed'>New page</p>"
    "<p style='line-height:16px; -qt-line-height-type:minimum'>At least</p>");
const QString kHighlight = QStringLiteral(
    "<p>before <span style='background-color:#ffff00'>marked <span style='color:#c80000'>red on yellow</span></span></p>");
const QString kLists = QStringLiteral(
    "<ul><li>Apples</li><li>Pears<ol type=a><li>Green</li><li>Red<ul type=square><li>Deep</li></ul></li></ol>"
    "<ol type=a><li>Again a</li></ol></li><li>Plums</li></ul><p>Between</p><ol><li>Third</li><li>Fourth</li></ol>"
    "<ol><li>Again one</li></ol><ol type=I><li>Roman</li></ol>"
    "<ul type=circle><li>Circle</li></ul>");
const QString kLinks = QStringLiteral(
    "<p>See <a href='https://example.com/a?b=&quot;c&quot;&amp;d={e}\\f'>the <b>page</b></a>"
    "<a href='mailto:me@example.com'>mail me</a> now.</p>");
const QString kTable = QStringLiteral(
    "<p>Before</p><table border=1><tr><td width=120 rowspan=2><b>r0c0</b></td><td width='30%'>r0c1</td><td>r0c2</td></tr>"
    "<tr><td colspan=2>r1c1<p align=center style='color:red'>second line</p></td></tr><tr><td></td><td>r2c1</td>"
    "<td>r2c2</td></tr></table><p>After</p>");

void picture(QTextCursor &c)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    c.document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic")), image);
    c.insertHtml(QStringLiteral("Picture: <img src='pic' width=30 height=20> and a stray "));
    c.insertText(QStringLiteral("\u0000 character"));
}

// What HTML cannot say: tab stops and a list's first number.
void tabsAndStart(QTextCursor &c)
{
    c.insertHtml(kLists);
    QTextBlockFormat tabs;
    tabs.setTabPositions({QTextOption::Tab(48, QTextOption::LeftTab), QTextOption::Tab(200, QTextOption::RightTab),
                          QTextOption::Tab(120, QTextOption::CenterTab), QTextOption::Tab(90, QTextOption::DelimiterTab, u'.')});
    c.insertBlock(tabs);
    c.insertText(QStringLiteral("a\tb\tc"));
    QTextList *third = c.document()->find(QStringLiteral("Third")).block().textList();
    QTextListFormat start = third->format();
    start.setProperty(rtf::ListStartProperty, 3);
    third->setFormat(start);
}

} // namespace

class TestRtfStructure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void otherWriters_data();
    void otherWriters();
    void damaged_data();
    void damaged();
};

void TestRtfStructure::roundTrip_data()
{
    QTest::addColumn<DocBuilder>("build");
    const auto html = [](const QString &text) { return DocBuilder([text](QTextCursor &c) { c.insertHtml(text); }); };
    QTest::newRow("paragraph formats") << html(kParagraphs);
    QTest::newRow("highlight") << html(kHighlight);
    // Headings come as size steps and pixel sizes; they are stored at the size shown.
    QTest::newRow("headings") << html(QStringLiteral("<h1>Title</h1><h3>Sub</h3><p><span style='font-size:24px'>Big</span></p>"));
    QTest::newRow("lists, nested and styles") << html(kLists);
    QTest::newRow("tab stops and list start") << DocBuilder(tabsAndStart);
    QTest::newRow("links") << html(kLinks);
    QTest::newRow("table with widths and paragraphs") << html(kTable);
    QTest::newRow("table first in the item") << html(kTable.mid(13));
    QTest::newRow("picture and U+0000") << DocBuilder(picture);
    QTest::newRow("everything") << DocBuilder([](QTextCursor &c) {
        c.insertHtml(kParagraphs + kLinks + kTable + kHighlight);
        tabsAndStart(c);
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
    QTest::newRow("hand-made, classic and word lists")
        << QStringLiteral("lists_links_tables.rtf")
        << QStringList{QStringLiteral("Classic one=list -4 item 0"), QStringLiteral("Classic two=list -4 item 1"),
                       QStringLiteral("Roman=list -8 item 0"), QStringLiteral("Word second level=list -5 item 0"),
                       QStringLiteral("Word first=list -1 item 0"), QStringLiteral("Cell B2=cell 1,1 of 2x2"),
                       QStringLiteral("Marked=background #ffff00"), QStringLiteral("a link=link http://example.com/x")};
    // One source, three writers: each as its own export shows it (one writer's import kept neither the
    // first number, the letters nor the picture's size; one draws its labels as text).
    const QStringList garden{QStringLiteral("Beans=cell 1,1 of 2x3"), QStringLiteral("the garden guide=link https://example.com/garden?plot=7")};
    QTest::newRow("word processor, structure")
        << QStringLiteral("writers_structure.rtf")
        << garden + QStringList{QStringLiteral("Tools to buy=list -1 item 0 level 1"), QStringLiteral("Spade nested=list -1 item 0 level 2 "),
                                QStringLiteral("Seeds to sow=list -1 item 1 level 1"), QStringLiteral("Fourth step=list -4 item 1 level 1 start 3"),
                                QStringLiteral("Water daily=list -4 item 0 level 1 start 1"),
                                QStringLiteral("Letter two=list -5 item 1 level 2"), QStringLiteral("Roman one=list -5 item 0 level 2 "),
                                QStringLiteral("\uFFFC=picture 12x8")};
    QTest::newRow("second writer, structure")
        << QStringLiteral("writers_structure_abiword.rtf")
        << garden + QStringList{QStringLiteral("Spade nested=list -1 item 0 level 2"), QStringLiteral("Seeds to sow=list -1 item 1 level 1 "),
                                QStringLiteral("Fourth step=list -4 item 1 level 1 start 1"),
                                QStringLiteral("Water daily=list -4 item 0 level 1"), QStringLiteral("Letter two=list -4 item 1 level 2"),
                                QStringLiteral("Roman one=list -4 item 0 level 2"), QStringLiteral("\uFFFC=picture 16x10")};
    QTest::newRow("converter, structure")
        << QStringLiteral("writers_structure_pandoc.rtf")
        << garden + QStringList{QStringLiteral("Spade nested=no list"), QStringLiteral("\uFFFC=picture 12x8")};
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
        const QTextListFormat lf = list ? list->format() : QTextListFormat();
        QString got = list ? QStringLiteral("list %1 item %2 level %3 start %4").arg(int(lf.style())).arg(list->itemNumber(at.block()))
                                 .arg(lf.indent()).arg(lf.hasProperty(rtf::ListStartProperty) ? lf.intProperty(rtf::ListStartProperty) : 1)
                           : QStringLiteral("no list");
        if (const QTextTable *table = in.currentTable())
            got += QStringLiteral(" cell %1,%2 of %3x%4").arg(table->cellAt(in.position()).row())
                       .arg(table->cellAt(in.position()).column()).arg(table->rows()).arg(table->columns());
        got += QStringLiteral(" link ") + in.charFormat().anchorHref() + QStringLiteral(" background ")
               + in.charFormat().background().color().name();
        if (const QTextImageFormat image = in.charFormat().toImageFormat(); image.isValid())
            got += QStringLiteral(" picture %1x%2").arg(qRound(image.width())).arg(qRound(image.height()));
        QVERIFY2(got.contains(e.section(u'=', 1)), qPrintable(e + QStringLiteral(": ") + got));
    }
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) // numbers and bullets as big as their item's text
        if (b.textList() && b.length() > 1)
            QCOMPARE(b.charFormat().font().pointSizeF(), b.begin().fragment().charFormat().font().pointSizeF());
    QTextDocument back; // and what was read is written and read the same
    rtf::read(rtf::write(&doc), &back);
    QCOMPARE(describe(back), describe(doc));
}

void TestRtfStructure::damaged_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text"); // the text, blanks left out
    QTest::newRow("unbalanced table groups")
        << QByteArray("{\\trowd\\cellx500{\\pard\\intbl a\\cell{{b\\cell\\row}}}}\\intbl c\\cell") << QStringLiteral("abc");
    QTest::newRow("cell and row outside a table") << QByteArray("x\\cell y\\row\\cell z") << QStringLiteral("xyz");
    QTest::newRow("more cells than a page holds")
        << QByteArray("\\intbl ").append(QByteArray("x\\cell ").repeated(500)).append("\\row") << QStringLiteral("x").repeated(500);
    QTest::newRow("list level out of range")
        << QByteArray("{\\*\\listtable{\\list{\\listlevel\\levelnfc0}\\listid7}}{\\*\\listoverridetable{\\listoverride"
                      "\\listid7\\ls1}}\\pard\\ls1\\ilvl99 deep\\par\\pard\\ls9\\ilvl-4 undefined\\par{\\*\\pn\\pnlvl400}far")
        << QStringLiteral("deepundefinedfar");
    QTest::newRow("truncated picture") << QByteArray("a{\\pict\\pngblip 89504e470d0a1a0a0000") << QStringLiteral("a\uFFFC");
    QTest::newRow("bin longer than the file") << QByteArray("a{\\pict\\pngblip\\bin999999999 xyz") << QStringLiteral("a\uFFFC");
    QTest::newRow("link without result") << QByteArray("{\\field{\\*\\fldinst HYPERLINK}}after") << QStringLiteral("after");
}

void TestRtfStructure::damaged()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    rtf::read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}" + body, &doc);
    QCOMPARE(doc.toPlainText().simplified().remove(u' '), text);
    QTextDocument again; // and what was read is written and read the same
    rtf::read(rtf::write(&doc), &again);
    QCOMPARE(describe(again), describe(doc));
}

QTEST_MAIN(TestRtfStructure)
#include "tst_rtf_structure.moc"
