#pragma once
#include <QByteArray>
#include <QTextFormat>

class QFont;
class QTextCharFormat;

class QTextDocument;

// Our own RTF reader and writer for item text; no widgets involved.
namespace rtf {

// Character set of a run (RTF \fcharset), which Qt's formats have no field for.
inline constexpr int CharsetProperty = QTextFormat::UserProperty + 1;
// Font pitch of a run as RTF's \fprq gives it: 0 default, 1 fixed, 2 variable.
inline constexpr int PitchProperty = QTextFormat::UserProperty + 2;
// Font family kind of a run (FontKind below), written back into the font table.
inline constexpr int FontKindProperty = QTextFormat::UserProperty + 3;

// Pictures keep what the file said about them, so that a picture we cannot
// show (a metafile, say) is written back unchanged. Set on QTextImageFormat.
// The picture's kind word with its parameter, e.g. "pngblip" or "wmetafile8".
inline constexpr int PictureKindProperty = QTextFormat::UserProperty + 10;
// The other control words of the \pict group, e.g. "\picw32\pich32\picwgoal480".
inline constexpr int PictureParamsProperty = QTextFormat::UserProperty + 11;
// The picture's bytes (QByteArray), as decoded from the hex or \bin data.
inline constexpr int PictureDataProperty = QTextFormat::UserProperty + 12;

// The image resource every picture that cannot be shown points to.
inline constexpr char PlaceholderPictureName[] = "rtfpict:placeholder";
// What one item's shown pictures may cost in decoded pixels, all together:
// past it, pictures are decoded smaller (their stored size is unchanged).
inline constexpr qint64 PicturePixelBudget = 16 * 1024 * 1024;

// A list's first number (RTF \pnstart, \levelstartat) on QTextListFormat:
// Qt 6.4's lists have no start of their own, so the editor numbers from 1.
inline constexpr int ListStartProperty = QTextFormat::UserProperty + 20;

// Twips per document pixel: sizes and indents are stored at 96 dots an inch.
inline constexpr int TwipsPerPixel = 15;
// What a list level indents its paragraphs by, and the hanging first line
// that holds the number, in the file.
inline constexpr int ListIndentTwips = 600;
inline constexpr int ListHangTwips = 360;

enum class FontKind { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

// Replaces the document's content with the RTF in data. Data that does not
// begin with "{\rtf" is taken as plain Windows-1252 text. Damaged input never
// crashes or hangs: what can be read is kept.
void read(const QByteArray &data, QTextDocument *doc);

// The document as RTF: lines end CR LF, none longer than about 200
// characters, and no line is exactly "End" or exactly seven digits.
QByteArray write(const QTextDocument *doc);

// The size in half-points a run is shown at, resolving what HTML import
// gives (a size adjustment for headings, pixel sizes) against the default.
int halfPoints(const QTextCharFormat &format, const QFont &defaultFont);

// True for a line the tree file would mistake for a key line or an "End" line.
bool isForbiddenLine(QByteArrayView line);

} // namespace rtf
