#pragma once
// A document's structure, block by block and run by run, as QCOMPARE can
// show it: what an item must keep through RTF (paragraph formats, lists,
// tables, character formats, links and pictures), with sizes resolved the
// way they are shown, so that documents made by different means compare.
#include "rtf/Rtf.h"

#include <QImage>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>

namespace teststruct {

inline QString describeRun(const QTextCharFormat &f, const QTextDocument &doc)
{
    if (f.isImageFormat()) {
        const QTextImageFormat img = f.toImageFormat();
        const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(img.name())).value<QImage>();
        const QImage im = shown.convertToFormat(QImage::Format_ARGB32);
        return QStringLiteral("<picture %1x%2 shown %3x%4 %5>").arg(img.width()).arg(img.height())
            .arg(im.width()).arg(im.height()).arg(im.isNull() ? 0u : im.pixel(im.width() - 1, im.height() - 1), 0, 16);
    }
    const QStringList families = f.fontFamilies().toStringList();
    const bool bold = f.hasProperty(QTextFormat::FontWeight) && f.fontWeight() >= QFont::DemiBold;
    return QStringLiteral("%1 %2 %3%4%5%6 %7 %8 %9")
        .arg(families.isEmpty() ? doc.defaultFont().family() : families.first())
        .arg(rtf::halfPoints(f, doc.defaultFont()))
        .arg(QChar(bold ? u'B' : u'-'), QChar(f.fontItalic() ? u'I' : u'-'), QChar(f.fontUnderline() ? u'U' : u'-'),
             QChar(f.fontStrikeOut() ? u'S' : u'-'))
        .arg(f.foreground().style() != Qt::NoBrush ? f.foreground().color().name() : QStringLiteral("auto"))
        .arg(f.background().style() != Qt::NoBrush ? f.background().color().name() : QStringLiteral("none"))
        .arg(f.isAnchor() ? f.anchorHref() : QString());
}

inline QString describeParagraph(const QTextBlock &b, QHash<const void *, int> &objects)
{
    const QTextBlockFormat bf = b.blockFormat();
    QString tabs;
    for (const QTextOption::Tab &t : bf.tabPositions())
        tabs += QStringLiteral("%1:%2,").arg(t.position).arg(int(t.type));
    QString d = QStringLiteral("P align %1 margins %2/%3/%4/%5 indent %6 line %7:%8 tabs %9 break %10")
                    .arg(int(bf.alignment() & Qt::AlignHorizontal_Mask)).arg(bf.leftMargin()).arg(bf.rightMargin())
                    .arg(bf.topMargin()).arg(bf.bottomMargin()).arg(bf.textIndent()).arg(bf.lineHeightType())
                    .arg(bf.lineHeight()).arg(tabs).arg(int(bf.pageBreakPolicy()));
    const auto id = [&objects](const void *object) { return int(objects.insert(object, objects.value(object, int(objects.size()))).value()); };
    if (const QTextList *list = b.textList()) {
        const QTextListFormat lf = list->format();
        d += QStringLiteral(" | list %1 style %2 level %3 start %4 item %5")
                 .arg(id(list))
                 .arg(int(lf.style())).arg(lf.indent()).arg(lf.intProperty(rtf::ListStartProperty))
                 .arg(list->itemNumber(b));
    }
    if (const QTextTable *table = QTextCursor(b).currentTable()) {
        const QTextTableCell cell = table->cellAt(b.position());
        QString widths; // columns of no given width are the same as no widths at all
        for (const QTextLength &w : table->format().columnWidthConstraints())
            widths += QStringLiteral("%1:%2,").arg(int(w.type())).arg(w.rawValue());
        if (!widths.contains(u"1:") && !widths.contains(u"2:"))
            widths.clear();
        d += QStringLiteral(" | table %1 %2x%3 widths %4 cell %5,%6")
                 .arg(id(table))
                 .arg(table->rows()).arg(table->columns()).arg(widths).arg(cell.row()).arg(cell.column());
    }
    return d;
}

// One line per paragraph, then one per run of equally described text.
inline QStringList describe(const QTextDocument &doc)
{
    QStringList out;
    QHash<const void *, int> objects;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out << describeParagraph(b, objects);
        QString text, run;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString desc = describeRun(it.fragment().charFormat(), doc);
            if (desc != run && !text.isEmpty()) {
                out << text + QLatin1Char('|') + run;
                text.clear();
            }
            run = desc;
            text += it.fragment().text().remove(QChar(0));
        }
        if (!text.isEmpty())
            out << text + QLatin1Char('|') + run;
    }
    return out;
}

} // namespace teststruct
