#pragma once
#include <QByteArray>
#include <QString>

// Byte <-> character conversion for the code pages RTF files name.
namespace rtf {

// Windows-1252, done by table: Qt has no codec of its own for it, and
// Latin-1 differs from it at 0x80-0x9F (euro sign, curly quotes, dashes).
QChar cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of c, or -1 when the code page cannot hold it.
int unicodeToCp1252(char16_t c);
QString decodeCp1252(QByteArrayView bytes);

// The Windows code page of an RTF \fcharset value; 0 when the charset means
// "the document's ANSI code page" (default charset, unknown values).
int codePageOfCharset(int charset);

// Decodes bytes in a Windows code page; falls back to Windows-1252 when the
// code page is unknown or this Qt build cannot convert it.
QString decodeCodePage(int codePage, QByteArrayView bytes);

} // namespace rtf
