#pragma once
// Documents to paginate, and the text of recorded pages and printed PDFs
// read back line by line, so a test compares where lines and pages break.
#include "print/PageRecording.h"

#include <QApplication>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <memory>

namespace printtest {

// Numbered paragraphs mixing faces, sizes, colours and alignments; every
// fifth wraps. With `mixed` false: one-line paragraphs "Line n" in Arial 12.
inline std::unique_ptr<QTextDocument> document(int lines, bool mixed = true)
{
    static const char *faces[] = {"Arial", "Times New Roman", "Liberation Mono"};
    static const char *aligns[] = {"left", "center", "right", "left"};
    QString html;
    for (int i = 0; i < lines; ++i)
        html += !mixed ? QStringLiteral("<p style=\"font-family:Arial; font-size:12pt\">Line %1</p>").arg(i + 1)
                       : QStringLiteral("<p align=\"%1\" style=\"font-family:'%2'; font-size:%3pt; color:#%4\">Line %5 "
                                        "<b>bold</b> <i>italic</i> and words%6</p>")
                             .arg(QLatin1String(aligns[i % 4]), QLatin1String(faces[i % 3]))
                             .arg(10 + (i % 4) * 2)
                             .arg(0x600000 * (i % 3), 6, 16, QLatin1Char('0'))
                             .arg(i + 1)
                             .arg(QStringLiteral(" and more words to wrap").repeated(i % 5 ? 0 : 6));
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

inline QString squeeze(QString s)
{
    return s.remove(QRegularExpression(QStringLiteral("[\\s\\x{2029}\\f]")));
}

// The recorded text of a page by line, top to bottom, blanks removed.
inline QStringList recordedLines(const TPageRecording &page)
{
    QMap<int, QString> byY;
    for (const PageOp &op : page.ops)
        if (op.kind == PageOp::Text)
            byY[qRound(op.transform.map(op.pos).y())] += squeeze(op.text);
    QStringList out = byY.values();
    out.removeAll(QString());
    return out;
}

// What a poppler tool prints about `pdf`.
inline QString pdfTool(const QString &tool, const QString &pdf, const QStringList &options = {})
{
    QStringList args = options + QStringList{pdf};
    if (tool != QLatin1String("pdfinfo"))
        args << QStringLiteral("-"); // to standard output
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of page `page` (from 1) of a PDF by line, blanks removed.
inline QStringList pdfLines(const QString &pdf, int page)
{
    const QString n = QString::number(page);
    QStringList out;
    for (const QString &line : pdfTool(QStringLiteral("pdftotext"), pdf, {"-layout", "-f", n, "-l", n}).split('\n'))
        out << squeeze(line);
    out.removeAll(QString());
    return out;
}

// Acts on the next modal window once it is up (a command runs its own loop);
// nothing once the answered timer is gone.
inline std::unique_ptr<QTimer> onNextModal(const std::function<void(QWidget *)> &act)
{
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, [timer = poll.get(), act] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            act(w);
        }
    });
    poll->start(5);
    return poll;
}

} // namespace printtest
