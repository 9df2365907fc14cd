#pragma once
// Documents to paginate, and the text of recorded pages and printed PDFs
// read back line by line, so a test compares where lines and pages break.
#include "print/PageRecording.h"

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTextDocument>
#include <memory>

namespace printtest {

// `lines` numbered paragraphs mixing faces, sizes, colours and alignments.
inline std::unique_ptr<QTextDocument> mixedDocument(int lines)
{
    static const char *faces[] = {"Arial", "Times New Roman", "Liberation Mono"};
    static const char *aligns[] = {"left", "center", "right", "left"};
    static const char *colours[] = {"#000000", "#c00000", "#0040a0"};
    QString html;
    for (int i = 0; i < lines; ++i)
        html += QStringLiteral("<p align=\"%1\" style=\"font-family:'%2'; font-size:%3pt; color:%4\">"
                               "Line %5 <b>bold</b> <i>italic</i> and some words to wrap %6</p>")
                    .arg(QLatin1String(aligns[i % 4]), QLatin1String(faces[i % 3]))
                    .arg(10 + (i % 4) * 2)
                    .arg(QLatin1String(colours[i % 3]))
                    .arg(i + 1)
                    .arg(i % 5 == 0 ? QStringLiteral("across the whole width of the body so that this paragraph "
                                                     "takes two lines or more on the page")
                                    : QString());
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

// `lines` paragraphs of one line each in one font.
inline std::unique_ptr<QTextDocument> plainDocument(int lines)
{
    QStringList text;
    for (int i = 1; i <= lines; ++i)
        text << QStringLiteral("Line %1").arg(i);
    auto doc = std::make_unique<QTextDocument>();
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(12);
    doc->setDefaultFont(f);
    doc->setPlainText(text.join(QLatin1Char('\n')));
    return doc;
}

inline QString squeeze(QString s)
{
    return s.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
}

// The recorded text of a page by line, top to bottom, blanks removed.
inline QStringList recordedLines(const TPageRecording &page)
{
    QMap<int, QString> byY;
    for (const PageOp &op : page.ops)
        if (op.kind == PageOp::Text)
            byY[qRound(op.transform.map(op.pos).y())] += op.text;
    QStringList out;
    for (const QString &line : byY)
        if (!squeeze(line).isEmpty())
            out << squeeze(line);
    return out;
}

// The text of page `page` (from 1) of a PDF by line, blanks removed.
inline QStringList pdfLines(const QString &pdf, int page)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                           QString::number(page), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    QStringList out;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (!squeeze(line).remove(QChar(0x0C)).isEmpty())
            out << squeeze(line).remove(QChar(0x0C));
    return out;
}

inline int pdfPageCount(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

} // namespace printtest
