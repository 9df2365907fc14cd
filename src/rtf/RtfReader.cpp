#include "rtf/RtfReader.h"

#include "rtf/CodePage.h"
#include "rtf/RtfReaderImpl.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <climits>

namespace rtf::detail {

namespace {

// Deeper nesting than any writer produces; past it, braces are only counted
// so that a hostile file cannot make the state stack grow without bound.
constexpr int kMaxDepth = 4096;
constexpr int kMaxFs = 3276; // 1638 pt, the largest size rich-edit controls take

char16_t unicodeOf(int param) { return char16_t(param < 0 ? param + 65536 : std::min(param, 0xFFFF)); }

} // namespace

Reader::Reader(const QByteArray &data, QTextDocument *doc)
    : m_p(data.constData()), m_end(data.constData() + data.size()), m_doc(doc), m_cursor(doc)
{
}

void Reader::run()
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

// ---- groups ----

void Reader::openGroup()
{
    m_skipChars = 0;
    m_star = false;
    if (int(m_stack.size()) >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_st);
}

void Reader::closeGroup()
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
    if (closed.listText && !m_st.listText)
        endListText();
    if (closed.dest == Dest::FieldInst && m_st.dest != Dest::FieldInst) {
        fieldDone();
    } else if (closed.dest == Dest::PnText && m_st.dest == Dest::Pn) {
        m_st.para.pnBullet = closed.para.pnBullet;
    } else if (closed.dest == Dest::Pn && m_st.dest != Dest::Pn) {
        // A list's properties belong to the paragraph, not to their group.
        m_st.para.pn = closed.para.pn;
        m_st.para.pnBullet = closed.para.pnBullet;
    }
}

// Skips the rest of the current group, its closing brace included.
void Reader::skipGroup()
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
void Reader::parseWord(std::string_view &word, bool &hasParam, int &param)
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

void Reader::controlWord()
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
    m_star = c == '*';
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

// While the fallback of a \uN is being skipped, a control word standing for
// a character (\emdash, \ldblquote, \binN...) is one of the skipped
// characters. Any other word ends the fallback early.
bool Reader::skipAsFallback(kw::Id id, bool hasParam, int param)
{
    if (m_skipChars <= 0 || id == kw::U)
        return false;
    const bool character = (id >= kw::EmDash && id <= kw::Zwnbo) || id == kw::Bin;
    if (!character) {
        m_skipChars = 0;
        return false;
    }
    --m_skipChars;
    if (id == kw::Bin && hasParam && param > 0)
        m_p += std::min<qint64>(param, m_end - m_p);
    return true;
}

void Reader::handleWord(std::string_view word, bool hasParam, int param)
{
    const bool star = m_star;
    m_star = false;
    const kw::Id id = kw::lookup(word);
    if (skipAsFallback(id, hasParam, param))
        return;
    // \* marks a destination that may be skipped when not understood; the
    // ones we read are read whether or not a writer marks them so.
    if (star && id != kw::ShpPict && id != kw::ReadDest && id != kw::Ud && id != kw::ListText && id != kw::FldInst
        && id != kw::Pn && id != kw::ListTable && id != kw::ListOverrideTable) {
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
    case kw::Upr:
        // {\upr{ANSI form}{\*\ud{Unicode form}}}: only the Unicode form is read.
        if (m_st.dest == Dest::Normal || m_st.dest == Dest::FontTable) {
            m_st.outerDest = m_st.dest;
            m_st.dest = Dest::Discard;
        }
        return;
    default:
        break;
    }
    switch (m_st.dest) {
    case Dest::Normal: normalWord(id, hasParam, param); break;
    case Dest::FontTable: fontWord(id, hasParam, param); break;
    case Dest::ColorTable: colorWord(id, param); break;
    case Dest::Pict: pictWord(id, word, hasParam, param); break;
    case Dest::Discard: discardWord(id); break;
    case Dest::ShapeName: break;
    case Dest::FieldInst:
        if (id == kw::U) {
            addChar(unicodeOf(param));
            m_skipChars = m_st.uc;
        }
        break;
    case Dest::Pn: pnWord(id, hasParam, param); break;
    case Dest::PnText: break;
    case Dest::ListTable:
    case Dest::ListOverrideTable: listTableWord(id, param); break;
    }
}

void Reader::normalWord(kw::Id id, bool hasParam, int param)
{
    CharKey &ch = m_st.ch;
    const bool on = !hasParam || param != 0;
    switch (id) {
    case kw::FontTable:
        m_st.dest = Dest::FontTable;
        m_fontNum = -1;
        m_font = FontEntry();
        m_fontBytes.clear();
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
    case kw::Sp:
        // A shape property: only a picture in the value of "pib" is read.
        m_st.outerDest = Dest::Normal;
        m_st.dest = Dest::Discard;
        break;
    case kw::ListText:
        // A paragraph already known as a list item numbers itself: its label is not read at all.
        if (listLevelOf(m_st.para).level > 0) {
            m_st.dest = m_st.outerDest = Dest::Discard;
            break;
        }
        startListText();
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
        addChar(unicodeOf(param));
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
    case kw::Pard:
        m_st.align = Qt::AlignLeft;
        m_st.para = Para();
        break;
    case kw::FldInst:
        m_st.dest = Dest::FieldInst;
        m_fieldInst.clear();
        break;
    case kw::Pn:
        m_st.dest = Dest::Pn;
        m_st.para.pn = ListLevel();
        m_st.para.pnBullet = QChar();
        break;
    case kw::ListTable: m_st.dest = Dest::ListTable; break;
    case kw::ListOverrideTable: m_st.dest = Dest::ListOverrideTable; break;
    case kw::Highlight:
    case kw::Cb: ch.bg = std::max(param, 0); break;
    case kw::Trowd:
        m_rowDef.clear();
        m_cellDef = CellDef();
        break;
    case kw::CellX:
        m_cellDef.right = param;
        if (m_rowDef.size() < 64) // more columns than any page holds
            m_rowDef.push_back(m_cellDef);
        m_cellDef = CellDef();
        break;
    case kw::ClFtsWidth: m_cellDef.widthType = param; break;
    case kw::ClwWidth: m_cellDef.width = param; break;
    case kw::ClMgf: m_cellDef.mergeFirst = true; break;
    case kw::ClMrg: m_cellDef.merged = true; break;
    case kw::ClvMgf: m_cellDef.vMergeFirst = true; break;
    case kw::ClvMrg: m_cellDef.vMerged = true; break;
    case kw::Row: endRow(); break;
    case kw::NestCell:
        // A table inside a cell is kept as its text, one paragraph a cell.
        if (!(m_pendingPar && m_lastMarkWasPar))
            paragraph();
        m_lastMarkWasPar = false;
        break;
    case kw::Ql: m_st.align = Qt::AlignLeft; break;
    case kw::Qc: m_st.align = Qt::AlignHCenter; break;
    case kw::Qr: m_st.align = Qt::AlignRight; break;
    case kw::Qj: m_st.align = Qt::AlignJustify; break;
    case kw::Par: paragraph(); break;
    case kw::Cell:
        if (m_st.para.intbl && m_st.para.itap == 1) {
            endCell();
            break;
        }
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
        if (id == kw::Page)
            m_pageBreakNext = true;
        break;
    case kw::Chftn: {
        // The automatic footnote number; the note itself is not kept.
        const QString number = QString::number(++m_footnotes);
        for (QChar c : number)
            addChar(c.unicode());
        break;
    }
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
    case kw::Zwbo: addChar(0x200B); break;
    case kw::Zwnbo: addChar(0x2060); break;
    default: paraWord(id, hasParam, param); break;
    }
}

void Reader::paraWord(kw::Id id, bool hasParam, int param)
{
    Para &p = m_st.para;
    switch (id) {
    case kw::Li: p.li = param; break;
    case kw::Ri: p.ri = param; break;
    case kw::Fi: p.fi = param; break;
    case kw::Sb: p.sb = param; break;
    case kw::Sa: p.sa = param; break;
    case kw::Sl: p.sl = param; break;
    case kw::SlMult: p.slMult = !hasParam || param != 0; break;
    case kw::Tqr: p.tabType = QTextOption::RightTab; break;
    case kw::Tqc: p.tabType = QTextOption::CenterTab; break;
    case kw::Tqdec: p.tabType = QTextOption::DelimiterTab; break;
    case kw::Tx:
        if (p.tabs.size() < 64)
            p.tabs.append(QTextOption::Tab(param / double(TwipsPerPixel), p.tabType,
                                           p.tabType == QTextOption::DelimiterTab ? QChar('.') : QChar()));
        p.tabType = QTextOption::LeftTab;
        break;
    case kw::PageBb: p.pageBefore = !hasParam || param != 0; break;
    case kw::Intbl: p.intbl = true; break;
    case kw::Itap:
        p.itap = param;
        p.intbl = param > 0;
        break;
    case kw::Ls: p.ls = param; break;
    case kw::Ilvl: p.ilvl = param; break;
    default: break;
    }
}

void Reader::text()
{
    switch (m_st.dest) {
    case Dest::Normal: normalText(); break;
    case Dest::FontTable: fontTableText(); break;
    case Dest::ColorTable: colorTableText(); break;
    case Dest::Pict: pictText(); break;
    case Dest::ShapeName:
        if (m_shapeName.size() < 64)
            m_shapeName.append(*m_p);
        ++m_p;
        break;
    case Dest::Discard:
    case Dest::Pn:
    case Dest::ListTable:
    case Dest::ListOverrideTable: ++m_p; break;
    case Dest::FieldInst:
        if (m_fieldInst.size() < 4096)
            m_fieldInst += QLatin1Char(*m_p);
        ++m_p;
        break;
    case Dest::PnText:
        if (m_st.para.pnBullet.isNull() && *m_p != ' ')
            m_st.para.pnBullet = QLatin1Char(*m_p);
        ++m_p;
        break;
    }
}

void Reader::normalText()
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

// ---- text into the document ----

void Reader::addByte(char byte)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_st.dest == Dest::FontTable) {
        m_fontBytes.append(byte);
        return;
    }
    // A NUL byte (\'00) is no character, as a NUL \uN is not (addChar).
    if (byte == 0)
        return;
    if (m_st.dest == Dest::FieldInst || m_st.dest == Dest::PnText) {
        const QChar c = cp1252ToUnicode(static_cast<unsigned char>(byte));
        if (m_st.dest == Dest::FieldInst)
            m_fieldInst += c;
        else if (m_st.para.pnBullet.isNull())
            m_st.para.pnBullet = c;
        return;
    }
    if (m_st.dest != Dest::Normal)
        return;
    // Placed like any text: a byte after a table's last row starts the
    // paragraph after the table, not one more in its last cell.
    place();
    if (m_pendingPar)
        openBlock();
    if (!(m_st.ch == m_pendingKey))
        flushText();
    m_pendingKey = m_st.ch;
    m_pendingBytes.append(byte);
}

void Reader::addChar(char16_t c)
{
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (m_st.dest == Dest::FontTable) {
        decodeFontBytes();
        m_font.name += QChar(c);
        return;
    }
    if (m_st.dest == Dest::FieldInst) {
        if (c != 0)
            m_fieldInst += QChar(c);
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

void Reader::prepareText()
{
    place();
    if (m_pendingPar)
        openBlock();
    if (!(m_st.ch == m_pendingKey)) {
        flushText();
        m_pendingKey = m_st.ch;
    }
    decodeBytes();
}

void Reader::decodeBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    m_pending += decodeCodePage(codePageOf(fontOf(m_pendingKey)), m_pendingBytes);
    m_pendingBytes.clear();
}

void Reader::flushText()
{
    decodeBytes();
    if (m_pending.isEmpty())
        return;
    m_cursor.insertText(m_pending, formatOf(m_pendingKey));
    m_pending.clear();
}

// Ends the current paragraph. The next block is only made when content
// follows, so the paragraph mark every writer puts last adds no empty block.
void Reader::paragraph()
{
    place();
    flushText();
    if (m_pendingPar)
        openBlock();
    finishBlock();
    m_pendingPar = true;
    m_lastMarkWasPar = true;
}

void Reader::finishBlock()
{
    const Para &p = m_st.para;
    const ListLevel list = listLevelOf(p);
    // The label a writer drew for older readers goes when the paragraph is a list item.
    if (list.level > 0 && m_labelFrom >= m_cursor.block().position() && m_labelTo > m_labelFrom
        && m_labelTo <= m_cursor.position()) {
        QTextCursor label(m_doc);
        label.setPosition(m_labelFrom);
        label.setPosition(m_labelTo, QTextCursor::KeepAnchor);
        label.removeSelectedText();
    }
    m_labelFrom = m_labelTo = -1;
    const bool formatted = m_st.align != Qt::AlignLeft || p.li || p.ri || p.fi || p.sb || p.sa || p.sl
                           || p.pageBefore || m_pageBreakNext || !p.tabs.isEmpty() || list.level > 0;
    if (formatted) {
        QTextBlockFormat bf;
        if (m_st.align != Qt::AlignLeft)
            bf.setAlignment(m_st.align);
        const int li = list.level > 0 ? std::max(0, p.li - list.level * ListIndentTwips) : p.li;
        const int fi = list.level > 0 ? p.fi + ListHangTwips : p.fi;
        if (li)
            bf.setLeftMargin(li / double(TwipsPerPixel));
        if (p.ri)
            bf.setRightMargin(p.ri / double(TwipsPerPixel));
        if (fi)
            bf.setTextIndent(fi / double(TwipsPerPixel));
        if (p.sb)
            bf.setTopMargin(p.sb / double(TwipsPerPixel));
        if (p.sa)
            bf.setBottomMargin(p.sa / double(TwipsPerPixel));
        if (p.sl > 0 && p.slMult)
            bf.setLineHeight(p.sl * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
        else if (p.sl < 0)
            bf.setLineHeight(-p.sl / double(TwipsPerPixel), QTextBlockFormat::FixedHeight);
        else if (p.sl > 0)
            bf.setLineHeight(p.sl / double(TwipsPerPixel), QTextBlockFormat::MinimumHeight);
        if (!p.tabs.isEmpty())
            bf.setTabPositions(p.tabs);
        if (p.pageBefore || m_pageBreakNext)
            bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_cursor.setBlockFormat(bf);
    }
    m_pageBreakNext = false;
    applyList(list);
    if (m_cursor.block().length() <= 1) {
        m_cursor.setBlockCharFormat(formatOf(m_st.ch));
    } else if (list.level > 0) {
        // The editor draws the item's number or bullet in the paragraph's own
        // character format: give it the font and colour of the item's text.
        const QTextCharFormat first = m_cursor.block().begin().fragment().charFormat();
        QTextCharFormat label;
        for (const int property : {int(QTextFormat::FontFamilies), int(QTextFormat::FontPointSize),
                                   int(QTextFormat::FontWeight), int(QTextFormat::FontItalic),
                                   int(QTextFormat::ForegroundBrush)})
            if (first.hasProperty(property))
                label.setProperty(property, first.property(property));
        m_cursor.setBlockCharFormat(label);
    }
}

void Reader::openBlock()
{
    m_pendingPar = false;
    m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void Reader::finish()
{
    if (m_st.dest == Dest::Pict)
        finishPicture();
    flushText();
    if (!m_pendingPar)
        finishBlock();
    if (m_table) {
        // A table still open at the end: what follows it is the block after it.
        m_table = nullptr;
    }
}

// ---- links ----

// {\field{\*\fldinst HYPERLINK "address"}{\fldrslt text}}: the result's text
// becomes a link. Other fields (page numbers, form fields) keep only their result.
void Reader::fieldDone()
{
    const QString inst = m_fieldInst.trimmed();
    m_fieldInst.clear();
    if (!inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return;
    QString rest = inst.mid(9).trimmed();
    QString address, anchor;
    while (!rest.isEmpty()) {
        QString arg;
        bool local = false;
        if (rest.startsWith(QLatin1String("\\l")) || rest.startsWith(QLatin1String("\\L"))) {
            local = true;
            rest = rest.mid(2).trimmed();
        } else if (rest.startsWith(QLatin1Char('\\'))) { // another switch and its argument
            const qsizetype space = rest.indexOf(QLatin1Char(' '));
            rest = space < 0 ? QString() : rest.mid(space + 1).trimmed();
            if (rest.startsWith(QLatin1Char('"'))) {
                const qsizetype end = rest.indexOf(QLatin1Char('"'), 1);
                rest = end < 0 ? QString() : rest.mid(end + 1).trimmed();
            }
            continue;
        }
        if (rest.startsWith(QLatin1Char('"'))) {
            qsizetype i = 1;
            for (; i < rest.size() && rest.at(i) != QLatin1Char('"'); ++i) {
                if (rest.at(i) == QLatin1Char('\\') && i + 1 < rest.size())
                    ++i;
                arg += rest.at(i);
            }
            rest = rest.mid(i + 1).trimmed();
        } else {
            const qsizetype space = rest.indexOf(QLatin1Char(' '));
            arg = rest.left(space);
            rest = space < 0 ? QString() : rest.mid(space + 1).trimmed();
        }
        (local ? anchor : address) = arg;
    }
    if (!anchor.isEmpty())
        address += QLatin1Char('#') + anchor;
    if (address.isEmpty() || m_links.size() >= 100000)
        return;
    m_links.append(address);
    m_st.ch.link = int(m_links.size()) - 1;
}

void readRtf(const QByteArray &data, QTextDocument *doc)
{
    Reader reader(data, doc);
    reader.run();
}

} // namespace rtf::detail
