#pragma once
#include <QByteArray>
#include <QTextFormat>

class QTextDocument;

// Our own RTF reader and writer for item text; no widgets involved.
namespace rtf {

// Character set of a run (RTF \fcharset), which Qt's formats have no field for.
inline constexpr int CharsetProperty = QTextFormat::UserProperty + 1;

// Replaces the document's content with the RTF in data. Data that does not
// begin with "{\rtf" is taken as plain Windows-1252 text. Damaged input never
// crashes or hangs: what can be read is kept.
void read(const QByteArray &data, QTextDocument *doc);

// The document as RTF: lines end CR LF, none longer than about 200
// characters, and no line is exactly "End" or exactly seven digits.
QByteArray write(const QTextDocument *doc);

} // namespace rtf
