#include "support_rtfdoc.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextFragment>

namespace testrtf {

QTextCharFormat charFormat(const QString &family, qreal points, bool bold, bool italic, bool underline,
                           bool strike, const QColor &color, int charset)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    f.setFontStrikeOut(strike);
    if (color.isValid())
        f.setForeground(color);
    f.setProperty(rtf::CharsetProperty, charset);
    return f;
}

QTextCharFormat formatOf(const QString &description)
{
    const QStringList f = description.split(QLatin1Char('|'));
    const QString flags = f.value(2);
    return charFormat(f.value(0), f.value(1).toDouble(), flags.contains(QLatin1Char('B')),
                      flags.contains(QLatin1Char('I')), flags.contains(QLatin1Char('U')),
                      flags.contains(QLatin1Char('S')),
                      f.value(3) == QLatin1String("auto") ? QColor() : QColor(f.value(3)), f.value(4).toInt());
}

void insertRuns(QTextCursor &c, const QStringList &runs)
{
    static const QRegularExpression paragraph(QStringLiteral("^P(\\d+)$"));
    bool first = true;
    for (const QString &run : runs) {
        if (const QRegularExpressionMatch m = paragraph.match(run); m.hasMatch()) {
            QTextBlockFormat bf;
            bf.setAlignment(Qt::Alignment(m.captured(1).toInt()));
            first ? c.setBlockFormat(bf) : c.insertBlock(bf);
            first = false;
            continue;
        }
        const qsizetype bar = run.section(QLatin1Char('|'), 0, -6).size(); // the text may hold "|"
        if (!run.contains(QLatin1Char('|')))
            c.insertText(run);
        else if (bar == 0)
            c.setBlockCharFormat(formatOf(run.mid(1)));
        else
            c.insertText(run.left(bar), formatOf(run.mid(bar + 1)));
        first = false;
    }
}

namespace {

QString describe(const QTextCharFormat &f, const QFont &def)
{
    const QStringList fams = f.fontFamilies().toStringList();
    const QString family = fams.isEmpty() ? def.family() : fams.first();
    const qreal size = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : def.pointSizeF();
    const bool bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold : def.bold();
    QString flags;
    flags += bold ? QLatin1Char('B') : QLatin1Char('-');
    flags += f.fontItalic() ? QLatin1Char('I') : QLatin1Char('-');
    flags += f.fontUnderline() ? QLatin1Char('U') : QLatin1Char('-');
    flags += f.fontStrikeOut() ? QLatin1Char('S') : QLatin1Char('-');
    const QString color = f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush
                              ? f.foreground().color().name()
                              : QStringLiteral("auto");
    return family + QLatin1Char('|') + QString::number(size) + QLatin1Char('|') + flags + QLatin1Char('|') + color
           + QLatin1Char('|') + QString::number(f.intProperty(rtf::CharsetProperty));
}

} // namespace

QStringList runsOf(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out << QStringLiteral("P%1").arg(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
        QString text, desc;
        const auto flush = [&] {
            if (!text.isEmpty())
                out << text + QLatin1Char('|') + desc;
            text.clear();
        };
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.charFormat().isImageFormat()) {
                flush();
                const QTextImageFormat img = frag.charFormat().toImageFormat();
                out << QStringLiteral("<picture %1 %2x%3>")
                           .arg(img.stringProperty(rtf::PictureKindProperty))
                           .arg(img.width())
                           .arg(img.height());
                continue;
            }
            const QString d = describe(frag.charFormat(), doc.defaultFont());
            if (d != desc)
                flush();
            desc = d;
            text += frag.text();
        }
        flush();
    }
    return out;
}

QString runAt(const QTextDocument &doc, const QString &text)
{
    const QTextCursor found = doc.find(text);
    if (found.isNull())
        return QStringLiteral("missing");
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return describe(c.charFormat(), doc.defaultFont())
           + QStringLiteral("|P%1").arg(int(found.block().blockFormat().alignment() & Qt::AlignHorizontal_Mask));
}

QStringList paragraphs(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        out << b.text();
    return out;
}

QByteArray readFile(const QString &name)
{
    QFile f(QStringLiteral(QUIVORA_TEST_DATA "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qWarning("cannot open %s", qPrintable(f.fileName()));
    return f.readAll();
}

void verifyTreeFileSafe(const QByteArray &rtf)
{
    QVERIFY2(rtf.endsWith("\r\n"), "RTF must end with CR LF");
    const QList<QByteArray> lines = rtf.chopped(1).split('\n');
    for (QByteArray line : lines) {
        QVERIFY2(line.endsWith('\r'), "bare LF");
        line.chop(1);
        QVERIFY2(!rtf::isForbiddenLine(line), line.constData());
        QVERIFY2(line.trimmed() != "End", line.constData()); // not even with stray blanks
        QVERIFY2(!line.contains('\n') && !line.contains('\r'), "bare CR or LF");
        QVERIFY2(line.size() <= 400, line.left(60).constData());
        for (char c : line)
            QVERIFY2(static_cast<unsigned char>(c) < 0x80, "RTF must be 7-bit");
    }
}

void verifyRoundTrip(const QTextDocument &doc)
{
    const QByteArray once = rtf::write(&doc);
    verifyTreeFileSafe(once);
    QTextDocument back;
    rtf::read(once, &back);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(runsOf(back), runsOf(doc));
    QCOMPARE(rtf::write(&back), once);
}

} // namespace testrtf
