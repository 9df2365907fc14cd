#include "rtf/CodePage.h"

#include <QStringDecoder>

#include <memory>
#include <unordered_map>

namespace rtf {

namespace {

// 0x80-0x9F of Windows-1252. The five bytes the code page leaves undefined
// map to the C1 control of the same value, as Windows itself converts them,
// so that they survive a round trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

const char *codecName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 852: return "IBM852";
    case 866: return "IBM866";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 1361: return "johab";
    case 10000: return "macintosh";
    default: return nullptr;
    }
}

} // namespace

QChar cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

int unicodeToCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c)
            return 0x80 + i;
    }
    return -1;
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (char b : bytes)
        *d++ = cp1252ToUnicode(static_cast<unsigned char>(b));
    return out;
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: // ANSI means Western whatever the document's code page
    case 2: // symbol fonts: bytes are glyph numbers; Windows-1252 keeps them apart
        return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0; // default (1) and unknown ones
    }
}

QString decodeCodePage(int codePage, QByteArrayView bytes)
{
    if (codePage == 1252 || codePage == 0)
        return decodeCp1252(bytes);
    // One stateless decoder per code page and thread: creating them is the
    // expensive part, and reads happen in bursts of short byte runs.
    thread_local std::unordered_map<int, std::unique_ptr<QStringDecoder>> decoders;
    auto it = decoders.find(codePage);
    if (it == decoders.end()) {
        std::unique_ptr<QStringDecoder> dec;
        if (const char *name = codecName(codePage)) {
            dec = std::make_unique<QStringDecoder>(name, QStringConverter::Flag::Stateless);
            if (!dec->isValid())
                dec.reset();
        }
        it = decoders.emplace(codePage, std::move(dec)).first;
    }
    if (!it->second)
        return decodeCp1252(bytes);
    return it->second->decode(bytes);
}

} // namespace rtf
