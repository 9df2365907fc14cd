// Pictures in item text: shown when we can decode them, kept byte for byte
// either way, and never costing more than their drawn size and one item's
// budget, however large they say they are.
#include "rtf/Rtf.h"
#include "support_rtfdoc.h"
#include "../shell/support_window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

using namespace testrtf;
using namespace Qt::StringLiterals;

namespace {

// `count` pictures that declare a huge size and hold one byte each.
QByteArray hugeDeclared(int count)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < count; ++i)
        rtf += "{\\pict\\picwgoal150000\\pichgoal150000 00}\r\n";
    return rtf + "}";
}

// A PNG of the given size, drawn at `drawn` pixels (0: its own size).
QByteArray pngPicture(QSize size, int drawn = 0)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const int width = drawn ? drawn : size.width();
    return "{\\pict\\pngblip\\picwgoal" + QByteArray::number(width * 15) + "\\pichgoal"
           + QByteArray::number(width * size.height() / size.width() * 15) + " " + png.toHex() + "}";
}

QList<QTextImageFormat> picturesOf(const QTextDocument &doc)
{
    QList<QTextImageFormat> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                for (int i = 0; i < it.fragment().length(); ++i)
                    out << it.fragment().charFormat().toImageFormat();
    return out;
}

qint64 peakKB()
{
    QFile status(u"/proc/self/status"_s);
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// In a child: opens `file` in the main window, selects its item "Pictures"
// and prints what that cost: peak memory (KB), milliseconds, and whether
// every line of the editor fits its page.
int selectInWindow(const QString &file)
{
    testwin::Fixture f;
    TfrmTree *w = f.start({file});
    const qint64 before = peakKB();
    QElapsedTimer timer;
    timer.start();
    f.select(u"$\\Pictures"_s);
    w->editor()->viewport()->grab(); // lays out and draws what shows
    const QTextDocument *doc = w->editor()->document();
    const bool fits = doc->documentLayout()->documentSize().width() <= doc->textWidth() + 1;
    printf("%lld %lld %d %d\n", peakKB() - before, timer.elapsed(), int(fits), int(picturesOf(*doc).size()));
    return 0;
}

} // namespace

class TestRtfPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptAndBounded_data();
    void keptAndBounded();
    void insertedImageWrittenAsPng();
    void selectingInTheWindowCostsLittle();
};

void TestRtfPictures::keptAndBounded_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QSize>("shown"); // the first picture's bitmap; invalid: the shared placeholder
    QTest::addColumn<QByteArrayList>("written");

    QTest::newRow("png") << readFile(u"png_picture.rtf"_s) << 1 << QSize(4, 3)
                         << QByteArrayList{"{\\pict\\pngblip\\picw4\\pich3\\picwgoal60\\pichgoal45\r\n89504e47"};
    QTest::newRow("png in a shape, metafile alternative left out") << readFile(u"writers_intl.rtf"_s) << 1 << QSize(8, 6)
                                                                   << QByteArrayList{"{\\pict\\pngblip"};
    // Kept as the file gave them: "\bin" bytes holding "End" and a key line come back as hex.
    QTest::newRow("metafiles") << readFile(u"metafile_pictures.rtf"_s) << 2 << QSize()
                               << QByteArrayList{"{\\pict\\wmetafile8\\picw1764\\pich882\\picwgoal1000\\pichgoal500\r\n"
                                                 "0100090000035000000000002500000000000400000003010800050000000b0200000000050000000c02f401e803030000000000}",
                                                 "{\\pict\\emfblip\\picw100\\pich100\r\n456e640d0a31323334353637}"};
    QTest::newRow("empty") << QByteArray("{\\rtf1 a{\\pict}b}") << 1 << QSize() << QByteArrayList{"a\r\n{\\pict}b"};
    QTest::newRow("huge declared sizes") << hugeDeclared(1000) << 1000 << QSize()
                                         << QByteArrayList{"{\\pict\\picwgoal150000\\pichgoal150000\r\n00}"};
    QTest::newRow("decoded no larger than drawn") << "{\\rtf1 " + pngPicture({2000, 1500}, 100) + "}" << 1
                                                  << QSize(100, 75) << QByteArrayList{"\\picwgoal1500"};
    QTest::newRow("the same picture twice") << "{\\rtf1 " + pngPicture({300, 300}).repeated(2) + "}" << 2
                                            << QSize(300, 300) << QByteArrayList{"\\picwgoal4500"};
    QTest::newRow("beyond the budget, decoded smaller")
        << "{\\rtf1 " + pngPicture({3000, 3000}) + pngPicture({3001, 3000}) + "}" << 2 << QSize(3000, 3000)
        << QByteArrayList{"\\picwgoal45000", "\\picwgoal45015"};
}

void TestRtfPictures::keptAndBounded()
{
    QFETCH(QByteArray, rtf);
    QFETCH(int, pictures);
    QFETCH(QSize, shown);
    QFETCH(QByteArrayList, written);
    QTextDocument doc;
    rtf::read(rtf, &doc);
    const QList<QTextImageFormat> read = picturesOf(doc);
    QCOMPARE(read.size(), pictures);
    const QImage first = doc.resource(QTextDocument::ImageResource, QUrl(read[0].name())).value<QImage>();
    QCOMPARE(read[0].name() == QLatin1String(rtf::PlaceholderPictureName), !shown.isValid());
    if (shown.isValid())
        QCOMPARE(first.size(), shown);
    if (shown == QSize(4, 3) || shown == QSize(8, 6)) // red and blue samples
        QCOMPARE(first.pixelColor(1, 1), shown.width() == 4 ? QColor(255, 0, 0) : QColor(0, 0, 255));
    // Every bitmap once, and all of them within the budget.
    QSet<QString> names;
    qint64 pixels = 0;
    for (const QTextImageFormat &f : read)
        if (!names.contains(f.name()) && (names.insert(f.name()), true))
            pixels += doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>().sizeInBytes() / 4;
    QVERIFY2(pixels <= rtf::PicturePixelBudget, qPrintable(QString::number(pixels)));
    if (rtf.startsWith("{\\rtf1 {\\pict\\pngblip")) // the same bytes shared
        QCOMPARE(names.size(), written.size() == 1 ? 1 : 2);

    const QByteArray once = rtf::write(&doc);
    QCOMPARE(once.count("{\\pict"), pictures);
    for (const QByteArray &w : written)
        QVERIFY2(once.contains(w), w.constData());
    QTextDocument back;
    rtf::read(once, &back);
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), once);
    for (int i = 0; i < read.size(); ++i)
        QCOMPARE(picturesOf(back)[i].property(rtf::PictureDataProperty), read[i].property(rtf::PictureDataProperty));
}

void TestRtfPictures::insertedImageWrittenAsPng()
{
    QTextDocument doc;
    QImage image(5, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    doc.addResource(QTextDocument::ImageResource, QUrl(u"pasted:1"_s), image);
    QTextCursor c(&doc);
    c.insertText(u"End"_s);
    c.insertImage(u"pasted:1"_s);
    c.insertText(u"1234567"_s);
    const QByteArray written = rtf::write(&doc);
    QTextDocument back;
    rtf::read(written, &back);
    QCOMPARE(back.toPlainText(), u"End\uFFFC1234567"_s);
    const QImage read = back.resource(QTextDocument::ImageResource, QUrl(picturesOf(back)[0].name())).value<QImage>();
    QCOMPARE(read.size(), QSize(5, 2));
    QCOMPARE(read.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(rtf::write(&back), written);
}

// Measured in a child, so that the peak is the selection's alone.
void TestRtfPictures::selectingInTheWindowCostsLittle()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"pictures.qvr"_s);
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Quivora Ver. 2.1\r\nCreated: 1/2/24\r\nLastSaved: 1/2/24\r\nRes1\r\nRes2\r\nRes3\r\nTree\r\n"
            "1000000 0000000 $\r\n3000001 1000000 Pictures\r\nEnd\r\nData\r\nEnd\r\n3000001\r\n"
            + hugeDeclared(1000) + "\r\nEnd\r\n");
    f.close();
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--select-in-window"_s, file});
    QVERIFY(child.waitForFinished(120000));
    const QList<QByteArray> got = child.readAllStandardOutput().trimmed().split(' ');
    qInfo("selecting: %s KB more at the peak, %s ms", got.value(0).constData(), got.value(1).constData());
    QCOMPARE(got.size(), 4);
    QCOMPARE(got[3], QByteArray("1000")); // the item was shown
    QVERIFY2(got[0].toLongLong() < 100 * 1024, got[0].constData()); // KB
    QVERIFY2(got[1].toLongLong() < 10000, got[1].constData()); // ms; generous: 1 s is the aim
    QCOMPARE(got[2], QByteArray("1")); // no line wider than the page
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--select-in-window") == 0)
        return selectInWindow(QString::fromLocal8Bit(argv[2]));
    TestRtfPictures test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtf_pictures.moc"
