#pragma once
// Helpers shared by the RTF tests: building documents and describing their
// formatting runs in a form that QCOMPARE can show.
#include "rtf/Rtf.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>

using DocBuilder = std::function<void(QTextCursor &)>;
Q_DECLARE_METATYPE(DocBuilder)

namespace testrtf {

// A fully specified character format, the way the Fonts command applies one.
QTextCharFormat charFormat(const QString &family, qreal points, bool bold = false, bool italic = false,
                           bool underline = false, bool strike = false, const QColor &color = QColor(),
                           int charset = 0);

// One line per paragraph ("P<alignment>") and per run of equal formatting
// ("text|family|size|BIUS|colour|charset"); pictures as "<picture kind w×h>".
QStringList runsOf(const QTextDocument &doc);

// The format in effect at the first occurrence of text.
QTextCharFormat formatAt(const QTextDocument &doc, const QString &text);

QStringList paragraphs(const QTextDocument &doc);

// Checks the run at the first occurrence of text: font family, size, style
// flags ("BIUS", "-" where off), colour ("auto" or "#rrggbb") and paragraph
// alignment. Reports a failure of the current test; answers whether all held.
bool checkFormatAt(const QTextDocument &doc, const QString &text, const QString &family, double points,
                   const QString &flags, const QString &color, int align);

QByteArray readFile(const QString &name);

// Lines of RTF split at CR LF; a bare CR or LF stays inside its line.
QList<QByteArray> rtfLines(const QByteArray &rtf);

} // namespace testrtf
