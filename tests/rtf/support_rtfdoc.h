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

// The format of one run as runsOf describes it: "family|size|BIUS|colour|charset".
QTextCharFormat formatOf(const QString &description);

// Builds the document runsOf describes: "P<alignment>" opens a paragraph (the
// first one is there), "text|family|size|BIUS|colour|charset" adds a run (no
// text: formats the empty paragraph), text without "|" goes in unformatted.
void insertRuns(QTextCursor &c, const QStringList &runs);

// One line per paragraph ("P<alignment>") and per run of equal formatting
// ("text|family|size|BIUS|colour|charset"); pictures as "<picture kind w×h>".
QStringList runsOf(const QTextDocument &doc);

// The run at the first occurrence of text as runsOf describes it, and its
// paragraph's alignment: "family|size|BIUS|colour|charset|P<alignment>";
// "missing" when the text is not there.
QString runAt(const QTextDocument &doc, const QString &text);

QStringList paragraphs(const QTextDocument &doc);

QByteArray readFile(const QString &name);

// Every way a written line could break the tree file that stores it.
void verifyTreeFileSafe(const QByteArray &rtf);

// Writes `doc` safely for a tree file and reads it back: the same text and
// runs, written again byte for byte.
void verifyRoundTrip(const QTextDocument &doc);

} // namespace testrtf
