#include "rtf/RtfReader.h"

#include "rtf/CodePage.h"
#include "rtf/Rtf.h"
#include "rtf/RtfKeywords.h"
#include "rtf/RtfPicture.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf::detail {

namespace {

enum class Dest : unsigned char { Normal, FontTable, ColorTable, Pict };

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
    CharKey ch;
    Qt::Alignment align = Qt::AlignLeft;
    int uc = 1;
};

struct FontEntry
{
    QString name;
    int charset = -1; // not given: the document's code page
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

// Deeper nesting than any writer produces; past it, braces are only counted
// so that a hostile file cannot make the state stack grow without bound.
constexpr int kMaxDepth = 4096;
constexpr int kMaxFs = 3276; // 1638 pt, the largest size rich-edit controls take

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

QFont::StyleHint styleHintOf(FontKind kind)
{
    switch (kind) {
    case FontKind::Roman: return QFont::Serif;
    case FontKind::Swiss: return QFont::SansSerif;
    case FontKind::Modern: return QFont::TypeWriter;
    case FontKind::Script: return QFont::Cursive;
    case FontKind::Decor: return QFont::Decorative;
    default: return QFont::AnyStyle;
    }
}

class Reader
{
public:
    Reader(const QByteArray &data, QTextDocument *doc)
        : m_p(data.constData()), m_end(data.constData() + data.size()), m_doc(doc), m_cursor(doc)
    {
    }

    void run()
    {
        // One edit block: the cursor skips its per-insert line layout and the
        // document announces the change once.
        m_cursor.beginEditBlock();
        while (!m_done && m_p < m_end) {
            switch (*m_p) {
            case '{':
                ++m_p;
                openGroup();
                break;
            case '}':
                ++m_p;
                closeGroup();
                break;
            case '\\':
                controlWord();
                break;
            case '\r':
            case '\n':
                ++m_p;
                break;
            default:
                text();
                break;
            }
        }
        finish();
        m_cursor.endEditBlock();
    }

private:
    // ---- groups ----

    void openGroup()
    {
        m_skipChars = 0;
        m_star = false;
        if (int(m_stack.size()) >= kMaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_st);
    }

    void closeGroup()
    {
        m_skipChars = 0;
        m_star = false;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        if (m_stack.size() == 1) {
            // The brace that closes "{\rtf" ends the document; what follows is
            // not part of it. Its state stays for the last paragraph's format.
            m_done = true;
            return;
        }
        const State closed = m_st;
        m_st = m_stack.back();
        m_stack.pop_back();
        if (closed.dest == Dest::FontTable) {
            commitFont();
            if (m_st.dest != Dest::FontTable)
                m_formatCache.clear();
        } else if (closed.dest == Dest::ColorTable && m_st.dest != Dest::ColorTable) {
            m_formatCache.clear();
        } else if (closed.dest == Dest::Pict && m_st.dest != Dest::Pict) {
            finishPicture();
        }
    }

    // Skips the rest of the current group, its closing brace included.
    void skipGroup()
    {
        int depth = 0;
        while (m_p < m_end) {
            const char c = *m_p++;
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (depth == 0) {
                    closeGroup();
                    return;
                }
                --depth;
            } else if (c == '\\' && m_p < m_end) {
                if (!isAlpha(*m_p)) {
                    ++m_p; // \{ \} \\ and the like must not count as braces
                    continue;
                }
                std::string_view word;
                bool hasParam = false;
                int param = 0;
                parseWord(word, hasParam, param);
                if (word == "bin" && hasParam && param > 0)
                    m_p += std::min<qint64>(param, m_end - m_p);
            }
        }
    }

    // ---- tokens ----

    // m_p is at a letter after a backslash; leaves m_p after the delimiter.
    void parseWord(std::string_view &word, bool &hasParam, int &param)
    {
        const char *start = m_p;
        while (m_p < m_end && isAlpha(*m_p))
            ++m_p;
        word = std::string_view(start, std::min<std::size_t>(m_p - start, 32));
        bool negative = false;
        if (m_p + 1 < m_end && *m_p == '-' && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        qint64 value = 0;
        hasParam = false;
        while (m_p < m_end && isDigit(*m_p)) {
            hasParam = true;
            if (value < INT_MAX)
                value = value * 10 + (*m_p - '0');
            ++m_p;
        }
        value = std::min<qint64>(value, INT_MAX);
        param = int(negative ? -value : value);
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
    }

    void controlWord()
    {
        ++m_p; // the backslash
        if (m_p >= m_end)
            return;
        const char c = *m_p;
        if (isAlpha(c)) {
            std::string_view word;
            bool hasParam = false;
            int param = 0;
            parseWord(word, hasParam, param);
            handleWord(word, hasParam, param);
            return;
        }
        ++m_p;
        m_star = c == '*' ? true : false;
        switch (c) {
        case '\'': {
            if (m_end - m_p >= 2 && hexValue(m_p[0]) >= 0 && hexValue(m_p[1]) >= 0) {
                const int byte = hexValue(m_p[0]) * 16 + hexValue(m_p[1]);
                m_p += 2;
                addByte(char(byte));
            }
            break;
        }
        case '\\':
        case '{':
        case '}':
            addChar(char16_t(c));
            break;
        case '~': addChar(0x00A0); break;
        case '-': addChar(0x00AD); break;
        case '_': addChar(0x2011); break;
        case '\t': addChar('\t'); break;
        case '\r':
        case '\n':
            // A backslash before a line break is a paragraph mark.
            m_skipChars = 0;
            if (m_st.dest == Dest::Normal)
                paragraph();
            break;
        default:
            break;
        }
    }

    void handleWord(std::string_view word, bool hasParam, int param)
    {
        const bool star = m_star;
        m_star = false;
        const kw::Id id = kw::lookup(word);
        if (id != kw::U)
            m_skipChars = 0;
        if (star && id != kw::ShpPict) {
            skipGroup();
            return;
        }
        switch (id) {
        case kw::SkipDest:
            skipGroup();
            return;
        case kw::Bin:
            if (hasParam && param > 0) {
                const qint64 n = std::min<qint64>(param, m_end - m_p);
                if (m_st.dest == Dest::Pict)
                    m_pict.data.append(m_p, n);
                m_p += n;
            }
            return;
        case kw::Uc:
            m_st.uc = std::clamp(param, 0, 1000);
            return;
        default:
            break;
        }
        switch (m_st.dest) {
        case Dest::Normal: normalWord(id, hasParam, param); break;
        case Dest::FontTable: fontWord(id, word, hasParam, param); break;
        case Dest::ColorTable: colorWord(id, param); break;
        case Dest::Pict: pictWord(id, word, hasParam, param); break;
        }
    }

    void normalWord(kw::Id id, bool hasParam, int param)
    {
        CharKey &ch = m_st.ch;
        const bool on = !hasParam || param != 0;
        switch (id) {
        case kw::FontTable:
            m_st.dest = Dest::FontTable;
            m_fontNum = -1;
            m_font = FontEntry();
            break;
        case kw::ColorTable:
            m_st.dest = Dest::ColorTable;
            m_colors.clear();
            m_red = m_green = m_blue = 0;
            m_colorSet = false;
            break;
        case kw::Pict:
            m_st.dest = Dest::Pict;
            m_pict = Picture();
            break;
        case kw::Ansi: m_ansiCodePage = 1252; break;
        case kw::Mac: m_ansiCodePage = 10000; break;
        case kw::Pc: m_ansiCodePage = 437; break;
        case kw::Pca: m_ansiCodePage = 850; break;
        case kw::AnsiCpg:
            if (param > 0)
                m_ansiCodePage = param;
            break;
        case kw::Deff: m_deff = param; break;
        case kw::U:
            addChar(char16_t(param < 0 ? param + 65536 : std::min(param, 0xFFFF)));
            m_skipChars = m_st.uc;
            break;
        case kw::F: ch.font = hasParam ? param : -1; break;
        case kw::Fs: ch.fs = param > 0 ? std::min(param, kMaxFs) : 24; break;
        case kw::B: ch.b = on; break;
        case kw::I: ch.i = on; break;
        case kw::Ul:
        case kw::UlOn: ch.ul = on; break;
        case kw::UlNone: ch.ul = false; break;
        case kw::Strike: ch.strike = on; break;
        case kw::Cf: ch.cf = param; break;
        case kw::Plain: ch = CharKey(); break;
        case kw::Pard: m_st.align = Qt::AlignLeft; break;
        case kw::Ql: m_st.align = Qt::AlignLeft; break;
        case kw::Qc: m_st.align = Qt::AlignHCenter; break;
        case kw::Qr: m_st.align = Qt::AlignRight; break;
        case kw::Qj: m_st.align = Qt::AlignJustify; break;
        case kw::Par: paragraph(); break;
        case kw::Cell:
            // One paragraph per cell: a cell whose text already ended with \par adds none.
            if (!(m_pendingPar && m_lastMarkWasPar))
                paragraph();
            m_lastMarkWasPar = false;
            break;
        case kw::Page:
        case kw::Sect:
            // A break inside a paragraph ends it; one between paragraphs adds nothing.
            if (!m_pendingPar && (!m_pending.isEmpty() || !m_pendingBytes.isEmpty() || m_cursor.block().length() > 1))
                paragraph();
            break;
        case kw::Line: addChar(0x2028); break;
        case kw::Tab: addChar('\t'); break;
        case kw::EmDash: addChar(0x2014); break;
        case kw::EnDash: addChar(0x2013); break;
        case kw::LQuote: addChar(0x2018); break;
        case kw::RQuote: addChar(0x2019); break;
        case kw::LDblQuote: addChar(0x201C); break;
        case kw::RDblQuote: addChar(0x201D); break;
        case kw::Bullet: addChar(0x2022); break;
        case kw::EmSpace: addChar(0x2003); break;
        case kw::EnSpace: addChar(0x2002); break;
        case kw::QmSpace: addChar(0x2005); break;
        case kw::Zwj: addChar(0x200D); break;
        case kw::Zwnj: addChar(0x200C); break;
        case kw::LtrMark: addChar(0x200E); break;
        case kw::RtlMark: addChar(0x200F); break;
        default: break;
        }
    }

    void fontWord(kw::Id id, std::string_view, bool, int param)
    {
        switch (id) {
        case kw::F:
            commitFont();
            m_fontNum = param;
            m_font = FontEntry();
            break;
        case kw::FCharset: m_font.charset = param; break;
        case kw::FPrq: m_font.pitch = param; break;
        case kw::FNil: m_font.kind = FontKind::Nil; break;
        case kw::FRoman: m_font.kind = FontKind::Roman; break;
        case kw::FSwiss: m_font.kind = FontKind::Swiss; break;
        case kw::FModern: m_font.kind = FontKind::Modern; break;
        case kw::FScript: m_font.kind = FontKind::Script; break;
        case kw::FDecor: m_font.kind = FontKind::Decor; break;
        case kw::FTech: m_font.kind = FontKind::Tech; break;
        case kw::FBidi: m_font.kind = FontKind::Bidi; break;
        case kw::U:
            addChar(char16_t(param < 0 ? param + 65536 : std::min(param, 0xFFFF)));
            m_skipChars = m_st.uc;
            break;
        case kw::Pict:
        case kw::FontTable:
        case kw::ColorTable: skipGroup(); break;
        default: break;
        }
    }

    void colorWord(kw::Id id, int param)
    {
        const int v = std::clamp(param, 0, 255);
        switch (id) {
        case kw::Red: m_red = v; m_colorSet = true; break;
        case kw::Green: m_green = v; m_colorSet = true; break;
        case kw::Blue: m_blue = v; m_colorSet = true; break;
        case kw::Pict:
        case kw::FontTable: skipGroup(); break;
        default: break;
        }
    }

    void pictWord(kw::Id id, std::string_view word, bool hasParam, int param)
    {
        const auto wordText = [&] {
            QByteArray w = QByteArray(word.data(), qsizetype(word.size()));
            if (hasParam)
                w += QByteArray::number(param);
            return w;
        };
        switch (id) {
        case kw::PngBlip:
        case kw::JpegBlip:
        case kw::OtherBlip:
            if (m_pict.kind.isEmpty()) {
                m_pict.kind = wordText();
                m_pict.png = id == kw::PngBlip;
                m_pict.jpeg = id == kw::JpegBlip;
                return;
            }
            break;
        case kw::PicW: m_pict.picw = param; break;
        case kw::PicH: m_pict.pich = param; break;
        case kw::PicWGoal: m_pict.wgoal = param; break;
        case kw::PicHGoal: m_pict.hgoal = param; break;
        case kw::PicScaleX: m_pict.scalex = param; break;
        case kw::PicScaleY: m_pict.scaley = param; break;
        case kw::Pict:
        case kw::FontTable:
        case kw::ColorTable: skipGroup(); return;
        default: break;
        }
        // Every other word of the group is kept so that the picture is written back as it came.
        m_pict.params += '\\' + wordText();
    }

    void text()
    {
        switch (m_st.dest) {
        case Dest::Normal: normalText(); break;
        case Dest::FontTable: {
            const char c = *m_p++;
            if (c == ';')
                commitFont();
            else
                addByte(c);
            break;
        }
        case Dest::ColorTable:
            if (*m_p++ == ';') {
                m_colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
                m_red = m_green = m_blue = 0;
                m_colorSet = false;
            }
            break;
        case Dest::Pict: pictText(); break;
        }
    }

    void normalText()
    {
        m_star = false;
        if (m_skipChars > 0) {
            --m_skipChars;
            ++m_p;
            return;
        }
        const char *start = m_p;
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '\\' || c == '{' || c == '}' || c >= 0x80 || (c < 0x20 && c != '\t'))
                break;
            ++m_p;
        }
        if (m_p > start) {
            prepareText();
            m_pending.append(QLatin1StringView(start, m_p - start));
            return;
        }
        const unsigned char c = static_cast<unsigned char>(*m_p++);
        if (c >= 0x80)
            addByte(char(c));
        // other control characters (NUL after the last brace, form feeds) carry nothing
    }

    void pictText()
    {
        while (m_p < m_end) {
            const char c = *m_p;
            if (c == '\\' || c == '{' || c == '}')
                return;
            ++m_p;
            const int v = hexValue(c);
            if (v < 0)
                continue;
            if (m_pict.nibble < 0) {
                m_pict.nibble = v;
            } else {
                m_pict.data.append(char(m_pict.nibble * 16 + v));
                m_pict.nibble = -1;
            }
        }
    }

    // ---- text into the document ----

    void addByte(char byte)
    {
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (m_st.dest == Dest::FontTable) {
            const int cp = codePageOf(m_font.charset);
            m_font.name += decodeCodePage(cp, QByteArrayView(&byte, 1));
            return;
        }
        if (m_st.dest != Dest::Normal)
            return;
        if (m_pendingPar)
            openBlock();
        if (!(m_st.ch == m_pendingKey))
            flushText();
        m_pendingKey = m_st.ch;
        m_pendingBytes.append(byte);
    }

    void addChar(char16_t c)
    {
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        if (m_st.dest == Dest::FontTable) {
            m_font.name += QChar(c);
            return;
        }
        if (m_st.dest != Dest::Normal)
            return;
        switch (c) {
        case 0:
        case '\r':
        case '\n':
        case 0xFDD0: // QTextDocument's own frame markers
        case 0xFDD1:
            return;
        case 0x2029:
            paragraph();
            return;
        default:
            break;
        }
        prepareText();
        m_pending.append(QChar(c));
    }

    void prepareText()
    {
        if (m_pendingPar)
            openBlock();
        if (!(m_st.ch == m_pendingKey)) {
            flushText();
            m_pendingKey = m_st.ch;
        }
        decodeBytes();
    }

    void decodeBytes()
    {
        if (m_pendingBytes.isEmpty())
            return;
        m_pending += decodeCodePage(codePageOf(fontOf(m_pendingKey).charset), m_pendingBytes);
        m_pendingBytes.clear();
    }

    void flushText()
    {
        decodeBytes();
        if (m_pending.isEmpty())
            return;
        m_cursor.insertText(m_pending, formatOf(m_pendingKey));
        m_pending.clear();
    }

    // Ends the current paragraph. The next block is only made when content
    // follows, so the paragraph mark every writer puts last adds no empty block.
    void paragraph()
    {
        flushText();
        if (m_pendingPar)
            openBlock();
        finishBlock();
        m_pendingPar = true;
        m_lastMarkWasPar = true;
    }

    void finishBlock()
    {
        if (m_st.align != Qt::AlignLeft) {
            QTextBlockFormat bf;
            bf.setAlignment(m_st.align);
            m_cursor.setBlockFormat(bf);
        }
        if (m_cursor.block().length() <= 1)
            m_cursor.setBlockCharFormat(formatOf(m_st.ch));
    }

    void openBlock()
    {
        m_pendingPar = false;
        m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }

    void finish()
    {
        if (m_st.dest == Dest::Pict)
            finishPicture();
        flushText();
        if (!m_pendingPar)
            finishBlock();
    }

    // ---- tables ----

    void commitFont()
    {
        const QString name = m_font.name.trimmed();
        if (!name.isEmpty() && m_fontNum >= 0) {
            FontEntry entry = m_font;
            entry.name = name;
            m_fonts.insert(m_fontNum, entry);
        }
        m_font.name.clear();
    }

    const FontEntry &fontOf(const CharKey &key) const
    {
        static const FontEntry none;
        const auto it = m_fonts.constFind(key.font >= 0 ? key.font : m_deff);
        return it == m_fonts.cend() ? none : *it;
    }

    int codePageOf(int charset) const
    {
        const int cp = charset < 0 ? 0 : codePageOfCharset(charset);
        return cp ? cp : m_ansiCodePage;
    }

    QTextCharFormat formatOf(const CharKey &key)
    {
        const auto cached = m_formatCache.find(key);
        if (cached != m_formatCache.end())
            return cached->second;
        QTextCharFormat f;
        const auto it = m_fonts.constFind(key.font >= 0 ? key.font : m_deff);
        if (it != m_fonts.cend()) {
            f.setFontFamilies(QStringList{it->name});
            f.setFontStyleHint(styleHintOf(it->kind));
            f.setFontFixedPitch(it->pitch == 1);
            f.setProperty(CharsetProperty, std::max(it->charset, 0));
            f.setProperty(PitchProperty, it->pitch);
            f.setProperty(FontKindProperty, int(it->kind));
        }
        f.setFontPointSize(key.fs / 2.0);
        f.setFontWeight(key.b ? QFont::Bold : QFont::Normal);
        f.setFontItalic(key.i);
        f.setFontUnderline(key.ul);
        f.setFontStrikeOut(key.strike);
        if (key.cf >= 0 && key.cf < m_colors.size() && m_colors.at(key.cf).isValid())
            f.setForeground(m_colors.at(key.cf));
        m_formatCache.emplace(key, f);
        return f;
    }

    // ---- pictures ----

    void finishPicture()
    {
        Picture pict = std::move(m_pict);
        m_pict = Picture();
        flushText();
        if (m_pendingPar)
            openBlock();

        QImage image;
        bool shown = false;
        // A cut-off picture gets the placeholder without troubling the decoder.
        if (pict.png && pict.data.endsWith(QByteArrayView("IEND\xae\x42\x60\x82", 8)))
            shown = image.loadFromData(pict.data, "PNG");
        else if (pict.jpeg && pict.data.endsWith("\xff\xd9"))
            shown = image.loadFromData(pict.data, "JPEG");
        const bool bitmap = pict.png || pict.jpeg || pict.kind.startsWith("dibitmap") || pict.kind.startsWith("wbitmap");
        const auto twips = [&](int goal, int natural, int imageSize, int scale) {
            qint64 tw = goal;
            if (tw <= 0)
                tw = shown ? qint64(imageSize) * 15 : natural > 0 ? (bitmap ? qint64(natural) * 15 : qint64(natural) * 567 / 1000) : 1440;
            if (scale > 0)
                tw = tw * scale / 100;
            return std::clamp(tw / 15.0, 1.0, 10000.0);
        };
        const double w = twips(pict.wgoal, pict.picw, image.width(), pict.scalex);
        const double h = twips(pict.hgoal, pict.pich, image.height(), pict.scaley);
        if (!shown)
            image = placeholderImage(w, h); // its bytes stay in the format below
        const QString name = QStringLiteral("rtfpict:%1").arg(++m_pictCount);
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
        QTextImageFormat f;
        f.setName(name);
        f.setWidth(w);
        f.setHeight(h);
        f.setProperty(PictureKindProperty, QString::fromLatin1(pict.kind));
        f.setProperty(PictureParamsProperty, QString::fromLatin1(pict.params));
        f.setProperty(PictureDataProperty, pict.data);
        m_cursor.insertImage(f);
    }

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

    Picture m_pict;
    int m_pictCount = 0;
};

} // namespace

void readRtf(const QByteArray &data, QTextDocument *doc)
{
    Reader reader(data, doc);
    reader.run();
}

} // namespace rtf::detail
