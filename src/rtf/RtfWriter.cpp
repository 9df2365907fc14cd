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

class Writer
{
public:
    explicit Writer(const QTextDocument *doc) : m_doc(doc), m_default(doc->defaultFont()) {}

    QByteArray run()
    {
        m_body.raw("\\viewkind4\\uc1\\pard");
        for (QTextBlock block = m_doc->begin(); block.isValid(); block = block.next())
            writeBlock(block);
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

    void writeBlock(const QTextBlock &block)
    {
        const int align = alignmentCode(block.blockFormat().alignment());
        if (align != m_align) {
            static const char *const words[] = {"ql", "qc", "qr", "qj"};
            m_body.word(words[align]);
            m_align = align;
        }
        bool hasContent = false;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            hasContent = true;
            const QTextCharFormat fmt = frag.charFormat();
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
        if (!hasContent) // an empty paragraph keeps the format typing in it would get
            switchTo(propsOf(block.charFormatIndex(), block.charFormat()));
        m_body.word("par");
        m_body.newline();
    }

    void switchTo(const RunProps &p)
    {
        RunProps &c = m_current;
        if (p.cf != c.cf)
            m_body.word("cf", p.cf);
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

        qreal pt = fmt.hasProperty(QTextFormat::FontPointSize) ? fmt.fontPointSize() : m_default.pointSizeF();
        if (pt <= 0)
            pt = m_default.pixelSize() > 0 ? m_default.pixelSize() * 0.75 : 12;
        p.fs = std::clamp(int(qRound(pt * 2)), 1, 3276);
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
        return *m_props.insert(cacheKey, p);
    }

    const QTextDocument *m_doc;
    const QFont m_default;
    Out m_body;
    std::vector<FontKey> m_fonts;
    std::vector<QRgb> m_colors;
    QHash<int, RunProps> m_props;
    RunProps m_current; // what the reader assumes after \pard: nothing set yet
    int m_align = 0;
};

} // namespace

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
