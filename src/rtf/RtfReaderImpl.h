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
#include <QTextOption>

class QTextList;
class QTextTable;

#include <string_view>
#include <unordered_map>
#include <vector>

class QTextDocument;

namespace rtf::detail {

// Where the text of the current group goes. Discard drops text but still
// looks at control words (the ANSI half of \upr, shape properties).
enum class Dest : unsigned char {
    Normal, FontTable, ColorTable, Pict, Discard, ShapeName,
    FieldInst, // a field's instruction: its text is collected
    Pn, PnText, // a classic list's properties and its bullet text
    ListTable, ListOverrideTable,
};

struct CharKey
{
    int font = -1; // -1: the \deff font
    int fs = 24;   // half points
    int cf = 0;
    int bg = 0;   // colour table index of the background; 0: none
    int link = 0; // index into the reader's link addresses; 0: none
    bool b = false, i = false, ul = false, strike = false;
    bool operator==(const CharKey &) const = default;
};

struct CharKeyHash
{
    std::size_t operator()(const CharKey &k) const noexcept
    {
        std::size_t h = std::size_t(k.font) * 1000003u ^ std::size_t(k.fs) * 8191u ^ std::size_t(k.cf) * 131u;
        h ^= std::size_t(k.bg) * 524287u ^ std::size_t(k.link) * 65599u;
        return h ^ (k.b | k.i << 1 | k.ul << 2 | k.strike << 3);
    }
};

// A list as a paragraph names it: level 1 to 9, Qt's style, start number,
// and which of the file's lists it is (a word processor's \ls; 0: classic).
struct ListLevel
{
    int level = 0; // 0: not a list item
    int style = 0; // QTextListFormat::Style
    int start = 1;
    int ls = 0;
    bool fresh = false; // \pnnewlist: a list of its own, though like the one before
    bool operator==(const ListLevel &) const = default;
};

// Paragraph properties, in twips as the file gives them; reset by \pard.
struct Para
{
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slMult = false, pageBefore = false, intbl = false;
    int itap = 1;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType tabType = QTextOption::LeftTab;
    ListLevel pn;     // from {\*\pn ...}
    QChar pnBullet;  // the bullet text of \pntxtb
    int ls = 0, ilvl = 0; // a word processor's list override and level
};

// One cell of a table row definition (\trowd ... \cellx).
struct CellDef
{
    int right = 0;       // twips
    int widthType = 0;   // \clftsWidth: 1 auto, 2 fiftieths of a percent, 3 twips
    int width = 0;
    bool mergeFirst = false, merged = false;   // \clmgf, \clmrg: with the cells to the right
    bool vMergeFirst = false, vMerged = false; // \clvmgf, \clvmrg: with the cells below
};

// A list of a word processor's list table: its levels' styles and starts.
struct WordList
{
    int id = 0;
    std::vector<ListLevel> levels;
};

struct State
{
    Dest dest = Dest::Normal;
    Dest outerDest = Dest::Normal; // what a Discard group's \ud half reads into
    CharKey ch;
    Qt::Alignment align = Qt::AlignLeft;
    Para para;
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
    void paraWord(kw::Id id, bool hasParam, int param);
    void pnWord(kw::Id id, bool hasParam, int param);
    void listTableWord(kw::Id id, int param);
    ListLevel listLevelOf(const Para &para) const;
    ListLevel wordListLevel(int listId, int ls, int ilvl) const;
    void applyList(const ListLevel &list);
    void fieldDone();

    // tables (RtfReaderTables.cpp)
    void place();
    void startTable();
    void endTable();
    void moveToCell();
    void endCell();
    void endRow();

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
    int m_labelFrom = -1, m_labelTo = -1; // the current paragraph's label, dropped if it is a list item
    bool m_pageBreakNext = false;

    // links
    QString m_fieldInst;
    QStringList m_links{QString()};

    // lists: the list each level continues, with what it was made from
    QTextList *m_lists[10] = {};
    ListLevel m_listLevels[10];
    std::vector<WordList> m_wordLists;
    QHash<int, int> m_overrides; // \ls -> \listid
    int m_overrideLs = 0, m_overrideId = 0;

    // tables
    std::vector<CellDef> m_rowDef;
    CellDef m_cellDef;
    QTextTable *m_table = nullptr;
    int m_row = 0, m_col = 0;
    bool m_rowDone = false, m_needCell = false;
    std::vector<int> m_vMergeTop; // per column: the row a vertical merge began in, or -1
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
