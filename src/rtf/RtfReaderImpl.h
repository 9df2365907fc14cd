#pragma once
// The RTF reader's parser, shared by RtfReader.cpp (tokens, groups, text)
// and RtfReaderTables.cpp (font and colour tables, shapes, pictures).
#include "rtf/Rtf.h"
#include "rtf/RtfKeywords.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <string_view>
#include <unordered_map>
#include <vector>

class QTextDocument;

namespace rtf::detail {

// Where the text of the current group goes. Discard drops text but still
// looks at control words (the ANSI half of \upr, shape properties).
enum class Dest : unsigned char { Normal, FontTable, ColorTable, Pict, Discard, ShapeName };

struct CharKey
{
    int font = -1; // -1: the \deff font
    int fs = 24;   // half points
    int cf = 0;
    bool b = false, i = false, ul = false, strike = false;
    bool operator==(const CharKey &) const = default;
};

struct CharKeyHash
{
    std::size_t operator()(const CharKey &k) const noexcept
    {
        std::size_t h = std::size_t(k.font) * 1000003u ^ std::size_t(k.fs) * 8191u ^ std::size_t(k.cf) * 131u;
        return h ^ (k.b | k.i << 1 | k.ul << 2 | k.strike << 3);
    }
};

struct State
{
    Dest dest = Dest::Normal;
    Dest outerDest = Dest::Normal; // what a Discard group's \ud half reads into
    CharKey ch;
    Qt::Alignment align = Qt::AlignLeft;
    int uc = 1;
    bool listText = false; // inside \listtext or \pntext
    bool pibValue = false; // inside the value of a shape's picture property
};

struct FontEntry
{
    QString name;
    int charset = -1; // not given: the document's code page
    int codePage = 0; // \cpg, overrides the charset's code page
    int pitch = 0;
    FontKind kind = FontKind::Nil;
};

struct Picture
{
    QByteArray kind;
    QByteArray params;
    QByteArray data;
    int nibble = -1;
    int picw = 0, pich = 0, wgoal = 0, hgoal = 0, scalex = 100, scaley = 100;
    bool png = false, jpeg = false;
};

inline bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Reader
{
public:
    Reader(const QByteArray &data, QTextDocument *doc);
    void run();

private:
    // groups and tokens (RtfReader.cpp)
    void openGroup();
    void closeGroup();
    void skipGroup();
    void parseWord(std::string_view &word, bool &hasParam, int &param);
    void controlWord();
    void handleWord(std::string_view word, bool hasParam, int param);
    bool skipAsFallback(kw::Id id, bool hasParam, int param);
    void normalWord(kw::Id id, bool hasParam, int param);
    void text();
    void normalText();
    void addByte(char byte);
    void addChar(char16_t c);
    void prepareText();
    void decodeBytes();
    void flushText();
    void paragraph();
    void finishBlock();
    void openBlock();
    void finish();
    void startListText();
    void endListText();

    // tables, shapes and pictures (RtfReaderTables.cpp)
    void fontWord(kw::Id id, bool hasParam, int param);
    void colorWord(kw::Id id, int param);
    void pictWord(kw::Id id, std::string_view word, bool hasParam, int param);
    void discardWord(kw::Id id);
    void fontTableText();
    void colorTableText();
    void pictText();
    void decodeFontBytes();
    void commitFont();
    const FontEntry &fontOf(const CharKey &key) const;
    int codePageOf(const FontEntry &font) const;
    QTextCharFormat formatOf(const CharKey &key);
    void finishPicture();
    QString placeholderName();

    const char *m_p;
    const char *m_end;
    QTextDocument *m_doc;
    QTextCursor m_cursor;
    bool m_done = false;
    bool m_star = false;

    State m_st;
    std::vector<State> m_stack;
    int m_overflow = 0;
    int m_skipChars = 0;

    int m_ansiCodePage = 1252;
    int m_deff = 0;
    QHash<int, FontEntry> m_fonts;
    FontEntry m_font;
    QByteArray m_fontBytes; // \'hh of a font name, decoded together (double-byte names)
    int m_fontNum = -1;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
    std::unordered_map<CharKey, QTextCharFormat, CharKeyHash> m_formatCache;

    QString m_pending;
    QByteArray m_pendingBytes;
    CharKey m_pendingKey;
    bool m_pendingPar = false;
    bool m_lastMarkWasPar = false;
    int m_listStart = -1; // where the current list label began; -1: at a block not yet made
    int m_footnotes = 0;

    QByteArray m_shapeName; // name of the shape property being read
    Picture m_pict;
    int m_pictCount = 0;
    // Decoded pixels one item may still spend on its pictures (4 bytes each).
    qint64 m_pixelsLeft = PicturePixelBudget;
    QHash<QByteArray, QString> m_shownPictures; // data and size -> resource name
    bool m_placeholderAdded = false;
};

} // namespace rtf::detail
