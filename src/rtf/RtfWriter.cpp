#include "rtf/CodePage.h"
#include "rtf/Rtf.h"

#include <QBuffer>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <vector>

namespace rtf {

namespace {

// A line may run past this while the writer looks for a good place to break.
constexpr qsizetype kLineTarget = 200;
constexpr qsizetype kLineSoftMax = 240;
constexpr qsizetype kLineHardMax = 400;
constexpr qsizetype kHexBytesPerLine = 64;

struct FontKey
{
    QString name;
    int charset = 0;
    int pitch = 0;
    FontKind kind = FontKind::Nil;
    bool operator==(const FontKey &) const = default;
};

struct RunProps
{
    int font = -1;
    int fs = -1;
    int cf = 0;
    int bg = 0;
    bool b = false, i = false, ul = false, strike = false;
    bool ansi = true; // \'hh means Windows-1252 for this run's font
};

// Output with the line rules of the tree file: lines end CR LF, stay near
// kLineTarget characters, and a break that would leave a line the tree file
// reads as a key line or an "End" line is not made.
class Out
{
public:
    QByteArray buf;

    qsizetype lineLength() const { return buf.size() - m_lineStart; }

    void word(const char *w)
    {
        buf += '\\';
        buf += w;
        m_needSpace = true;
    }
    void word(const char *w, int n)
    {
        buf += '\\';
        buf += w;
        number(n);
        m_needSpace = true;
    }
    void number(int n)
    {
        char tmp[16];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, n);
        buf.append(tmp, r.ptr - tmp);
    }
    // Starts with a backslash or a brace, so no delimiter is needed before it.
    void raw(QByteArrayView bytes)
    {
        buf += bytes;
        m_needSpace = false;
    }
    // Plain text after a control word needs the space that ends the word.
    void textChar(char c)
    {
        if (m_needSpace) {
            buf += ' ';
            m_needSpace = false;
        }
        buf += c;
    }
    void escape(const char *w) // a control word standing for a character
    {
        buf += '\\';
        buf += w;
        m_needSpace = true;
    }
    // After raw text that ends in a control word.
    void endsWithWord() { m_needSpace = true; }
    void newline()
    {
        if (lineLength() == 0)
            return;
        if (isForbiddenLine(QByteArrayView(buf).sliced(m_lineStart)))
            return; // RTF ignores line breaks, so the line simply goes on
        buf += "\r\n";
        m_lineStart = buf.size();
        m_needSpace = false;
    }

private:
    qsizetype m_lineStart = 0;
    bool m_needSpace = false;
};

int alignmentCode(Qt::Alignment a)
{
    const Qt::Alignment h = a & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignHCenter)
        return 1;
    if (h & (Qt::AlignRight | Qt::AlignTrailing))
        return 2;
    if (h & Qt::AlignJustify)
        return 3;
    return 0;
}

FontKind kindOfHint(int hint)
{
    switch (hint) {
    case QFont::Serif: return FontKind::Roman;
    case QFont::SansSerif: return FontKind::Swiss;
    case QFont::TypeWriter:
    case QFont::Monospace: return FontKind::Modern;
    case QFont::Cursive: return FontKind::Script;
    case QFont::Decorative:
    case QFont::Fantasy: return FontKind::Decor;
    default: return FontKind::Nil;
    }
}

const char *kindWord(FontKind k)
{
    switch (k) {
    case FontKind::Roman: return "froman";
    case FontKind::Swiss: return "fswiss";
    case FontKind::Modern: return "fmodern";
    case FontKind::Script: return "fscript";
    case FontKind::Decor: return "fdecor";
    case FontKind::Tech: return "ftech";
    case FontKind::Bidi: return "fbidi";
    default: return "fnil";
    }
}

constexpr char kHex[] = "0123456789abcdef";

int twips(qreal pixels) { return int(qRound(pixels * TwipsPerPixel)); }

bool isBullet(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
           || style == QTextListFormat::ListSquare || style == QTextListFormat::ListStyleUndefined;
}

QString romanOf(int n)
{
    static const std::pair<int, const char *> parts[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"}, {1, "i"}};
    QString out;
    for (const auto &[value, text] : parts) {
        for (; n >= value && out.size() < 32; n -= value)
            out += QLatin1String(text);
    }
    return out;
}

// The number a list item shows, as older readers are given it in \pntext.
QString listLabel(QTextListFormat::Style style, int n)
{
    switch (style) {
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha: {
        QString out;
        for (int v = std::max(n, 1); v > 0 && out.size() < 8; v = (v - 1) / 26)
            out.prepend(QChar(u'a' + (v - 1) % 26));
        return (style == QTextListFormat::ListUpperAlpha ? out.toUpper() : out) + QLatin1Char('.');
    }
    case QTextListFormat::ListLowerRoman: return romanOf(n) + QLatin1Char('.');
    case QTextListFormat::ListUpperRoman: return romanOf(n).toUpper() + QLatin1Char('.');
    default: return QString::number(n) + QLatin1Char('.');
    }
}

class Writer
{
public:
    explicit Writer(const QTextDocument *doc) : m_doc(doc), m_default(doc->defaultFont()) {}

    QByteArray run()
    {
        m_body.raw("\\viewkind4\\uc1\\pard");
        writeFrame(m_doc->rootFrame());
        m_body.raw("}");
        m_body.buf += "\r\n";
        return header() + m_body.buf;
    }

private:
    QByteArray header() const
    {
        Out h;
        h.raw("{\\rtf1\\ansi\\ansicpg1252\\deff0");
        h.raw("{\\fonttbl");
        for (int i = 0; i < int(m_fonts.size()); ++i) {
            const FontKey &f = m_fonts[i];
            Out e;
            e.raw("{");
            e.word("f", i);
            e.word(kindWord(f.kind));
            if (f.pitch != 0)
                e.word("fprq", f.pitch);
            e.word("fcharset", f.charset);
            for (QChar qc : f.name) {
                const char16_t c = qc.unicode();
                if (c == ';')
                    continue; // ends the name in a font table; no escape exists for it
                if (c == '\\' || c == '{' || c == '}') {
                    e.raw(QByteArrayView("\\"));
                    e.buf += char(c);
                } else if (c >= 0x20 && c < 0x80) {
                    e.textChar(char(c));
                } else {
                    e.word("u", c > 0x7FFF ? int(c) - 0x10000 : int(c));
                    e.raw("?");
                }
            }
            e.raw(";}");
            if (h.lineLength() + e.buf.size() > kLineTarget)
                h.newline();
            h.raw(e.buf);
        }
        h.raw("}");
        h.newline();
        if (!m_colors.empty()) {
            h.raw("{\\colortbl ;");
            for (QRgb rgb : m_colors) {
                Out e;
                e.word("red", qRed(rgb));
                e.word("green", qGreen(rgb));
                e.word("blue", qBlue(rgb));
                e.raw(";");
                if (h.lineLength() + e.buf.size() > kLineTarget)
                    h.newline();
                h.raw(e.buf);
            }
            h.raw("}");
            h.newline();
        }
        return h.buf;
    }

    // Blocks and tables in order; a frame that is not a table (a float)
    // keeps its paragraphs.
    void writeFrame(QTextFrame *frame)
    {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (auto *table = qobject_cast<QTextTable *>(child))
                    writeTable(table);
                else
                    writeFrame(child);
            } else if (it.currentBlock().isValid()) {
                writeBlock(it.currentBlock(), false, "par");
            }
        }
    }

    // The blocks of a frame in order, those of frames inside it too: a
    // table inside a cell is kept as its cells' paragraphs.
    static void collectBlocks(QTextFrame::iterator it, std::vector<QTextBlock> &out)
    {
        for (; !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame())
                collectBlocks(child->begin(), out);
            else if (it.currentBlock().isValid())
                out.push_back(it.currentBlock());
        }
    }

    void writeTable(QTextTable *table)
    {
        const QTextTableFormat tf = table->format();
        const QList<QTextLength> widths = tf.columnWidthConstraints();
        const int columns = table->columns();
        // Widths that are not fixed still need a right edge for older readers: a 6.5-inch line.
        constexpr int kLineTwips = 9360;
        for (int r = 0; r < table->rows(); ++r) {
            Out &o = m_body;
            o.word("trowd");
            o.word("trgaph", 108);
            int right = 0;
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    o.word("clmrg");
                else if (cell.columnSpan() > 1)
                    o.word("clmgf");
                if (cell.row() != r)
                    o.word("clvmrg");
                else if (cell.rowSpan() > 1)
                    o.word("clvmgf");
                o.raw("\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs");
                const QTextLength w = c < widths.size() ? widths.at(c) : QTextLength();
                if (w.type() == QTextLength::FixedLength) {
                    o.word("clftsWidth", 3);
                    o.word("clwWidth", twips(w.rawValue()));
                    right += std::max(twips(w.rawValue()), 1);
                } else if (w.type() == QTextLength::PercentageLength) {
                    o.word("clftsWidth", 2);
                    o.word("clwWidth", int(qRound(w.rawValue() * 50)));
                    right += std::max(int(w.rawValue() * kLineTwips / 100), 1);
                } else {
                    o.word("clftsWidth", 1);
                    right += kLineTwips / std::max(columns, 1);
                }
                o.word("cellx", right);
            }
            o.newline();
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                std::vector<QTextBlock> blocks;
                // A cell that a merged one covers is written empty, as other writers do.
                if (cell.row() == r && cell.column() == c)
                    collectBlocks(cell.begin(), blocks);
                if (blocks.empty()) {
                    writeParagraphProps(QTextBlock(), true);
                    m_body.word("cell");
                    continue;
                }
                for (std::size_t k = 0; k < blocks.size(); ++k) {
                    // "\par\cell" reads as one paragraph end (as other writers
                    // mean it), so an empty last paragraph gets a mark of its own.
                    const bool last = k + 1 == blocks.size();
                    const bool emptyLast = last && k > 0 && blocks[k].length() <= 1;
                    writeBlock(blocks[k], true, last && !emptyLast ? "cell" : "par");
                    if (emptyLast)
                        m_body.word("cell");
                }
            }
            m_body.word("row");
            m_body.newline();
        }
    }

    // Paragraph formatting: alignment alone as a word of its own (what
    // plain items have always been written with), anything more after \pard.
    void writeParagraphProps(const QTextBlock &block, bool inTable)
    {
        const QTextBlockFormat bf = block.isValid() ? block.blockFormat() : QTextBlockFormat();
        const int align = alignmentCode(bf.alignment());
        QByteArray extras = paragraphExtras(block, bf, inTable);
        if (extras != m_extras) {
            if (!m_body.buf.endsWith("\\pard"))
                m_body.word("pard");
            m_align = 0;
            if (align != 0) {
                static const char *const words[] = {"ql", "qc", "qr", "qj"};
                m_body.word(words[align]);
                m_align = align;
            }
            if (!extras.isEmpty()) {
                m_body.raw(extras);
                if (!extras.endsWith('}'))
                    m_body.endsWithWord();
            }
            m_extras = std::move(extras);
        } else if (align != m_align) {
            static const char *const words[] = {"ql", "qc", "qr", "qj"};
            m_body.word(words[align]);
            m_align = align;
        }
    }

    QByteArray paragraphExtras(const QTextBlock &block, const QTextBlockFormat &bf, bool inTable) const
    {
        Out o;
        const QTextList *list = block.isValid() ? block.textList() : nullptr;
        const QTextListFormat lf = list ? list->format() : QTextListFormat();
        const int level = list ? std::clamp(lf.indent(), 1, 9) : 0;
        if (list) {
            // The classic list form: the number's style and start for the
            // reader, the label itself in \pntext for readers that only draw it.
            o.raw("{\\*\\pn");
            const QTextListFormat::Style style = lf.style();
            if (isBullet(style)) {
                if (level == 1)
                    o.word("pnlvlblt");
                else
                    o.word("pnlvl", level);
            } else {
                if (level == 1)
                    o.word("pnlvlbody");
                else
                    o.word("pnlvl", level);
                switch (style) {
                case QTextListFormat::ListLowerAlpha: o.word("pnlcltr"); break;
                case QTextListFormat::ListUpperAlpha: o.word("pnucltr"); break;
                case QTextListFormat::ListLowerRoman: o.word("pnlcrm"); break;
                case QTextListFormat::ListUpperRoman: o.word("pnucrm"); break;
                default: o.word("pndec"); break;
                }
                o.word("pnstart", startOf(lf));
            }
            o.word("pnindent", 0);
            if (startsAlike(block, list))
                o.word("pnnewlist");
            if (isBullet(style))
                o.raw(style == QTextListFormat::ListCircle   ? "{\\pntxtb o}"
                      : style == QTextListFormat::ListSquare ? "{\\pntxtb\\'a7}"
                                                             : "{\\pntxtb\\'b7}");
            else
                o.raw("{\\pntxta .}");
            o.raw("}");
        }
        const int li = twips(bf.leftMargin()) + level * ListIndentTwips;
        const int fi = twips(bf.textIndent()) - (list ? ListHangTwips : 0);
        if (li)
            o.word("li", li);
        if (const int ri = twips(bf.rightMargin()))
            o.word("ri", ri);
        if (fi)
            o.word("fi", fi);
        if (const int sb = twips(bf.topMargin()))
            o.word("sb", sb);
        if (const int sa = twips(bf.bottomMargin()))
            o.word("sa", sa);
        switch (bf.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            o.word("sl", int(qRound(bf.lineHeight() * 240 / 100)));
            o.word("slmult", 1);
            break;
        case QTextBlockFormat::FixedHeight:
            o.word("sl", -std::max(twips(bf.lineHeight()), 1));
            o.word("slmult", 0);
            break;
        case QTextBlockFormat::MinimumHeight:
            o.word("sl", std::max(twips(bf.lineHeight()), 1));
            o.word("slmult", 0);
            break;
        default: break;
        }
        for (const QTextOption::Tab &tab : bf.tabPositions()) {
            if (tab.type == QTextOption::RightTab)
                o.word("tqr");
            else if (tab.type == QTextOption::CenterTab)
                o.word("tqc");
            else if (tab.type == QTextOption::DelimiterTab)
                o.word("tqdec");
            o.word("tx", twips(tab.position));
        }
        if (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            o.word("pagebb");
        if (inTable)
            o.word("intbl");
        return o.buf;
    }

    // True for a list's first item right after another list's item at its
    // level that looks the same (deeper items between count for nothing):
    // without a word of its own, a reader takes the two for one list.
    static bool startsAlike(const QTextBlock &block, const QTextList *list)
    {
        if (list->itemNumber(block) != 0)
            return false;
        const QTextListFormat lf = list->format();
        QTextBlock before = block.previous();
        while (before.isValid() && before.textList() && before.textList()->format().indent() > lf.indent())
            before = before.previous();
        const QTextList *other = before.isValid() ? before.textList() : nullptr;
        return other && other != list && other->format().indent() == lf.indent() && other->format().style() == lf.style()
               && (isBullet(lf.style()) || startOf(other->format()) == startOf(lf));
    }

    static int startOf(const QTextListFormat &lf)
    {
        return lf.hasProperty(ListStartProperty) ? lf.intProperty(ListStartProperty) : 1;
    }

    void writeBlock(const QTextBlock &block, bool inTable, const char *mark)
    {
        writeParagraphProps(block, inTable);
        if (const QTextList *list = block.textList()) {
            const QTextListFormat lf = list->format();
            m_body.raw("{\\pntext ");
            if (isBullet(lf.style()))
                m_body.raw("\\'b7");
            else
                m_body.raw(listLabel(lf.style(), startOf(lf) + list->itemNumber(block)).toLatin1());
            m_body.raw("\\tab}");
        }
        bool hasContent = false;
        QString href;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            hasContent = true;
            const QTextCharFormat fmt = frag.charFormat();
            const QString fragHref = fmt.isAnchor() ? fmt.anchorHref() : QString();
            if (fragHref != href) {
                if (!href.isEmpty())
                    closeLink();
                href = fragHref;
                if (!href.isEmpty())
                    openLink(href);
            }
            if (fmt.isImageFormat()) {
                const QTextImageFormat img = fmt.toImageFormat();
                for (int n = frag.length(); n > 0; --n)
                    writePicture(img);
                continue;
            }
            const RunProps &props = propsOf(frag.charFormatIndex(), fmt);
            switchTo(props);
            writeText(frag.text(), props.ansi);
        }
        if (!href.isEmpty())
            closeLink();
        if (!hasContent) // an empty paragraph keeps the format typing in it would get
            switchTo(propsOf(block.charFormatIndex(), block.charFormat()));
        m_body.word(mark);
        m_body.newline();
    }

    // A link is a field whose result is the text; its group keeps the
    // formatting inside it, so what the writer assumes is put back after.
    void openLink(const QString &href)
    {
        m_body.raw("{\\field{\\*\\fldinst{HYPERLINK \"");
        // In the instruction a quote or backslash inside the quotes is escaped by a backslash.
        QString address = href;
        address.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        writeText(address, true);
        m_body.raw("\"}}{\\fldrslt{");
        m_outside = m_current;
    }

    void closeLink()
    {
        m_body.raw("}}}");
        m_current = m_outside;
    }

    void switchTo(const RunProps &p)
    {
        RunProps &c = m_current;
        if (p.cf != c.cf)
            m_body.word("cf", p.cf);
        if (p.bg != c.bg)
            m_body.word("highlight", p.bg);
        if (p.b != c.b)
            m_body.word(p.b ? "b" : "b0");
        if (p.i != c.i)
            m_body.word(p.i ? "i" : "i0");
        if (p.ul != c.ul)
            m_body.word(p.ul ? "ul" : "ulnone");
        if (p.strike != c.strike)
            m_body.word(p.strike ? "strike" : "strike0");
        if (p.font != c.font)
            m_body.word("f", p.font);
        if (p.fs != c.fs)
            m_body.word("fs", p.fs);
        c = p;
    }

    void writeText(const QString &text, bool ansi)
    {
        Out &o = m_body;
        const QChar *s = text.constData();
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = s[i].unicode();
            if (c >= 0x20 && c < 0x80) {
                if (c == '\\' || c == '{' || c == '}') {
                    o.raw("\\");
                    o.buf += char(c);
                } else {
                    o.textChar(char(c));
                }
            } else if (c == '\t') {
                o.escape("tab");
            } else if (c == 0x2028) {
                o.escape("line");
            } else if (c == 0 || c == 0xFDD0 || c == 0xFDD1) {
                continue; // a character the reader drops: the text round-trips byte for byte
            } else {
                const int b = ansi && c >= 0x80 ? unicodeToCp1252(c) : -1;
                if (b >= 0) {
                    const char esc[4] = {'\\', '\'', kHex[b >> 4], kHex[b & 15]};
                    o.raw(QByteArrayView(esc, 4));
                } else {
                    o.buf += "\\u";
                    o.number(c > 0x7FFF ? int(c) - 0x10000 : int(c));
                    o.raw("?");
                }
            }
            // Break after a blank near the target, or anywhere once well past
            // it; never before a digit, so no continued line can pass for a key.
            const qsizetype len = o.lineLength();
            if (len >= kLineTarget && i + 1 < n) {
                const char16_t next = s[i + 1].unicode();
                const bool digitNext = next >= '0' && next <= '9';
                if ((!digitNext && (c == ' ' || len >= kLineSoftMax)) || len >= kLineHardMax)
                    o.newline();
            }
        }
    }

    void writePicture(const QTextImageFormat &img)
    {
        QByteArray kind = img.stringProperty(PictureKindProperty).toLatin1();
        QByteArray params = img.stringProperty(PictureParamsProperty).toLatin1();
        QByteArray data = img.property(PictureDataProperty).toByteArray();
        // A picture read from RTF goes back as it came, even an empty one.
        if (!img.hasProperty(PictureKindProperty) && !imageAsPng(img, kind, params, data))
            return;
        Out &o = m_body;
        o.newline();
        o.raw("{\\pict");
        if (!kind.isEmpty()) {
            o.raw("\\");
            o.buf += kind;
        }
        o.raw(params);
        // Hex in short lines: raw \bin bytes could hold line breaks or an "End" line.
        for (qsizetype pos = 0; pos < data.size(); pos += kHexBytesPerLine) {
            o.newline();
            const qsizetype end = std::min(data.size(), pos + kHexBytesPerLine);
            for (qsizetype k = pos; k < end; ++k) {
                const auto b = static_cast<unsigned char>(data[k]);
                o.buf += kHex[b >> 4];
                o.buf += kHex[b & 15];
            }
        }
        o.raw("}");
    }

    // A picture that came from elsewhere (pasted, inserted) is stored as PNG.
    bool imageAsPng(const QTextImageFormat &img, QByteArray &kind, QByteArray &params, QByteArray &data) const
    {
        const QVariant res = m_doc->resource(QTextDocument::ImageResource, QUrl(img.name()));
        QImage image;
        if (res.typeId() == QMetaType::QImage)
            image = res.value<QImage>();
        else if (res.typeId() == QMetaType::QPixmap)
            image = res.value<QPixmap>().toImage();
        else if (res.typeId() == QMetaType::QByteArray)
            image.loadFromData(res.toByteArray());
        if (image.isNull())
            return false;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return false;
        const int w = img.width() > 0 ? qRound(img.width()) : image.width();
        const int h = img.height() > 0 ? qRound(img.height()) : image.height();
        kind = "pngblip";
        params = "\\picw" + QByteArray::number(image.width()) + "\\pich" + QByteArray::number(image.height())
                 + "\\picwgoal" + QByteArray::number(w * 15) + "\\pichgoal" + QByteArray::number(h * 15);
        return true;
    }

    // Formats repeat across fragments, so each is resolved once per write.
    const RunProps &propsOf(int cacheKey, const QTextCharFormat &fmt)
    {
        const auto it = m_props.constFind(cacheKey);
        if (it != m_props.cend())
            return *it;
        RunProps p;
        FontKey font;
        const QStringList families = fmt.property(QTextFormat::FontFamilies).toStringList();
        font.name = families.isEmpty() ? fmt.property(QTextFormat::FontFamily).toString() : families.first();
        if (font.name.isEmpty())
            font.name = m_default.family();
        font.charset = fmt.hasProperty(CharsetProperty) ? fmt.intProperty(CharsetProperty) : 0;
        if (fmt.hasProperty(PitchProperty))
            font.pitch = fmt.intProperty(PitchProperty);
        else if (fmt.hasProperty(QTextFormat::FontFixedPitch) ? fmt.fontFixedPitch() : m_default.fixedPitch())
            font.pitch = 1;
        if (fmt.hasProperty(FontKindProperty))
            font.kind = FontKind(std::clamp(fmt.intProperty(FontKindProperty), 0, int(FontKind::Bidi)));
        else
            font.kind = kindOfHint(fmt.hasProperty(QTextFormat::FontStyleHint) ? fmt.intProperty(QTextFormat::FontStyleHint)
                                                                                : int(m_default.styleHint()));
        const auto found = std::find(m_fonts.begin(), m_fonts.end(), font);
        p.font = int(found - m_fonts.begin());
        if (found == m_fonts.end())
            m_fonts.push_back(font);
        // The header names Windows-1252 as the document's code page.
        p.ansi = codePageOfCharset(font.charset) == 0 || codePageOfCharset(font.charset) == 1252;

        p.fs = halfPoints(fmt, m_default);
        p.b = fmt.hasProperty(QTextFormat::FontWeight) ? fmt.fontWeight() >= QFont::DemiBold : m_default.bold();
        p.i = fmt.hasProperty(QTextFormat::FontItalic) ? fmt.fontItalic() : m_default.italic();
        if (fmt.hasProperty(QTextFormat::TextUnderlineStyle)) {
            const auto style = fmt.underlineStyle();
            p.ul = style != QTextCharFormat::NoUnderline && style != QTextCharFormat::SpellCheckUnderline;
        } else {
            p.ul = fmt.hasProperty(QTextFormat::FontUnderline) ? fmt.fontUnderline() : m_default.underline();
        }
        p.strike = fmt.hasProperty(QTextFormat::FontStrikeOut) ? fmt.fontStrikeOut() : m_default.strikeOut();
        if (fmt.hasProperty(QTextFormat::ForegroundBrush) && fmt.foreground().style() != Qt::NoBrush) {
            const QRgb rgb = fmt.foreground().color().rgb() | 0xFF000000u;
            const auto c = std::find(m_colors.begin(), m_colors.end(), rgb);
            p.cf = int(c - m_colors.begin()) + 1;
            if (c == m_colors.end())
                m_colors.push_back(rgb);
        }
        if (fmt.hasProperty(QTextFormat::BackgroundBrush) && fmt.background().style() != Qt::NoBrush) {
            const QRgb rgb = fmt.background().color().rgb() | 0xFF000000u;
            const auto c = std::find(m_colors.begin(), m_colors.end(), rgb);
            p.bg = int(c - m_colors.begin()) + 1;
            if (c == m_colors.end())
                m_colors.push_back(rgb);
        }
        return *m_props.insert(cacheKey, p);
    }

    const QTextDocument *m_doc;
    const QFont m_default;
    Out m_body;
    std::vector<FontKey> m_fonts;
    std::vector<QRgb> m_colors;
    QHash<int, RunProps> m_props;
    RunProps m_current; // what the reader assumes after \pard: nothing set yet
    RunProps m_outside; // the formatting outside the link being written
    int m_align = 0;
    QByteArray m_extras; // the paragraph formatting in force besides alignment
};

} // namespace

int halfPoints(const QTextCharFormat &fmt, const QFont &defaultFont)
{
    qreal pt = 0;
    if (fmt.hasProperty(QTextFormat::FontPointSize))
        pt = fmt.fontPointSize();
    else if (fmt.hasProperty(QTextFormat::FontPixelSize))
        pt = fmt.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (pt <= 0) {
        pt = defaultFont.pointSizeF() > 0 ? defaultFont.pointSizeF()
             : defaultFont.pixelSize() > 0 ? defaultFont.pixelSize() * 0.75
                                           : 12;
        // HTML headings: the scale Qt's own layout applies to the default size.
        if (fmt.hasProperty(QTextFormat::FontSizeAdjustment)) {
            static constexpr qreal scale[] = {0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};
            pt *= scale[std::clamp(fmt.intProperty(QTextFormat::FontSizeAdjustment) + 2, 0, 6)];
        }
    }
    return std::clamp(int(qRound(pt * 2)), 1, 3276);
}

bool isForbiddenLine(QByteArrayView line)
{
    if (line == "End")
        return true;
    return line.size() == 7 && std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

QByteArray write(const QTextDocument *doc)
{
    return Writer(doc).run();
}

} // namespace rtf
