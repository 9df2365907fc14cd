#include "store/Cp1252.h"

namespace {
// 0x80-0x9F; 0 marks the five bytes that Windows-1252 leaves undefined,
// which are read as the control character of the same number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
} // namespace

QString FromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *d = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            d[i] = kHigh[b - 0x80];
        else
            d[i] = b;
    }
    return out;
}

int Cp1252Byte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    if (ch < 0xA0) {
        // A control character stands for itself only where the table has a gap.
        return kHigh[ch - 0x80] == 0 ? int(ch) : -1;
    }
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == ch)
            return 0x80 + i;
    return -1;
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
