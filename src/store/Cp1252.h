#pragma once
#include <QByteArray>
#include <QString>

// Tree files hold their text in Windows-1252. Qt 6 has no codec for it
// (Latin-1 differs at 0x80-0x9F), so the conversion is a table of our own.
QString FromCp1252(QByteArrayView bytes);
QByteArray ToCp1252(QStringView text);
// True when every character of text has a Windows-1252 byte.
bool FitsCp1252(QStringView text);
// The Windows-1252 byte of one character, or -1 when it has none.
int Cp1252Byte(char16_t ch);
