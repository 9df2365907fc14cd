#include "store/Cp1252.h"

#include "rtf/CodePage.h"

// One table serves the tree file and the RTF codec alike.

QString FromCp1252(QByteArrayView bytes)
{
    return rtf::decodeCp1252(bytes);
}

int Cp1252Byte(char16_t ch)
{
    return rtf::unicodeToCp1252(ch);
}

QByteArray ToCp1252(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = Cp1252Byte(text[i].unicode());
        d[i] = b < 0 ? '?' : char(b);
    }
    return out;
}

bool FitsCp1252(QStringView text)
{
    for (QChar c : text)
        if (Cp1252Byte(c.unicode()) < 0)
            return false;
    return true;
}
