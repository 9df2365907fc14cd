// The reader's font and colour tables, shape properties and pictures.
#include "rtf/CodePage.h"
#include "rtf/RtfPicture.h"
#include "rtf/RtfReaderImpl.h"

#include <QFont>
#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cmath>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>

#include <algorithm>

namespace rtf::detail {

namespace {

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

} // namespace

// ---- font table ----

void Reader::fontWord(kw::Id id, bool hasParam, int param)
{
    switch (id) {
    case kw::F:
        commitFont();
        m_fontNum = param;
        m_font = FontEntry();
        break;
    case kw::FCharset: m_font.charset = param; break;
    case kw::Cpg:
        if (hasParam && param > 0)
            m_font.codePage = param;
        break;
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
    case kw::ColorTable:
    case kw::Sp:
    case kw::ListText: skipGroup(); break;
    default: break;
    }
}

void Reader::fontTableText()
{
    const char c = *m_p++;
    if (c == ';') {
        commitFont();
    } else if (m_skipChars > 0) {
        --m_skipChars;
    } else {
        decodeFontBytes();
        m_font.name += QLatin1Char(c);
    }
}

// A font name's bytes are in the font's own code page, two bytes a
// character in the East Asian ones, so they are decoded as one run.
void Reader::decodeFontBytes()
{
    if (m_fontBytes.isEmpty())
        return;
    m_font.name += decodeCodePage(codePageOf(m_font), m_fontBytes);
    m_fontBytes.clear();
}

void Reader::commitFont()
{
    decodeFontBytes();
    // A ";" (only a hex escape can bring one) cannot be written back in a font
    // table, so it is no part of the name; nor are blanks at either end.
    const QString name = QString(m_font.name).remove(QLatin1Char(';')).trimmed();
    if (!name.isEmpty() && m_fontNum >= 0) {
        FontEntry entry = m_font;
        entry.name = name;
        m_fonts.insert(m_fontNum, entry);
    }
    m_font.name.clear();
}

const FontEntry &Reader::fontOf(const CharKey &key) const
{
    static const FontEntry none;
    const auto it = m_fonts.constFind(key.font >= 0 ? key.font : m_deff);
    return it == m_fonts.cend() ? none : *it;
}

int Reader::codePageOf(const FontEntry &font) const
{
    if (font.codePage > 0)
        return font.codePage;
    const int cp = font.charset < 0 ? 0 : codePageOfCharset(font.charset);
    return cp ? cp : m_ansiCodePage;
}

// ---- colour table ----

void Reader::colorWord(kw::Id id, int param)
{
    const int v = std::clamp(param, 0, 255);
    switch (id) {
    case kw::Red: m_red = v; m_colorSet = true; break;
    case kw::Green: m_green = v; m_colorSet = true; break;
    case kw::Blue: m_blue = v; m_colorSet = true; break;
    case kw::Pict:
    case kw::FontTable:
    case kw::Sp:
    case kw::ListText: skipGroup(); break;
    default: break;
    }
}

void Reader::colorTableText()
{
    if (*m_p++ == ';') {
        m_colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colorSet = false;
    }
}

QTextCharFormat Reader::formatOf(const CharKey &key)
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
    if (key.bg > 0 && key.bg < m_colors.size() && m_colors.at(key.bg).isValid())
        f.setBackground(m_colors.at(key.bg));
    if (key.link > 0 && key.link < m_links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(m_links.at(key.link));
    }
    m_formatCache.emplace(key, f);
    return f;
}

// ---- groups whose text is dropped ----

// The ANSI half of \upr, and shape properties {\sp{\sn name}{\sv value}}.
// A shape's picture is the value of its "pib" property; the shape's
// \shprslt, a drawing of the same for older readers, is skipped.
void Reader::discardWord(kw::Id id)
{
    switch (id) {
    case kw::Ud: m_st.dest = m_st.outerDest; break;
    case kw::Sn:
        m_st.dest = Dest::ShapeName;
        m_shapeName.clear();
        break;
    case kw::Sv:
        if (m_shapeName.trimmed() == "pib")
            m_st.pibValue = true;
        else
            skipGroup();
        break;
    case kw::Pict:
        if (m_st.pibValue) {
            m_st.dest = Dest::Pict;
            m_pict = Picture();
        } else {
            skipGroup();
        }
        break;
    case kw::FontTable:
    case kw::ColorTable: skipGroup(); break;
    default: break;
    }
}

// ---- pictures ----

void Reader::pictWord(kw::Id id, std::string_view word, bool hasParam, int param)
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
    case kw::ColorTable:
    case kw::Sp:
    case kw::ListText:
    case kw::ReadDest: skipGroup(); return;
    default: break;
    }
    // Every other word of the group is kept so that the picture is written back as it came.
    m_pict.params += '\\' + wordText();
}

void Reader::pictText()
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

void Reader::finishPicture()
{
    Picture pict = std::move(m_pict);
    m_pict = Picture();
    place();
    flushText();
    if (m_pendingPar)
        openBlock();

    // A cut-off picture gets the placeholder without troubling the decoder.
    const char *decoder = nullptr;
    if (pict.png && pict.data.endsWith(QByteArrayView("IEND\xae\x42\x60\x82", 8)))
        decoder = "PNG";
    else if (pict.jpeg && pict.data.endsWith("\xff\xd9"))
        decoder = "JPEG";
    QBuffer buffer(&pict.data);
    QImageReader reader;
    QSize natural;
    if (decoder) {
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(decoder);
        natural = reader.size();
    }
    const bool known = natural.isValid() && !natural.isEmpty();
    const bool bitmap = pict.png || pict.jpeg || pict.kind.startsWith("dibitmap") || pict.kind.startsWith("wbitmap");
    const auto twips = [&](int goal, int natural, int imageSize, int scale) {
        qint64 tw = goal;
        if (tw <= 0)
            tw = known ? qint64(imageSize) * 15 : natural > 0 ? (bitmap ? qint64(natural) * 15 : qint64(natural) * 567 / 1000) : 1440;
        if (scale > 0)
            tw = tw * scale / 100;
        return std::clamp(tw / 15.0, 1.0, 10000.0);
    };
    const double w = twips(pict.wgoal, pict.picw, natural.width(), pict.scalex);
    const double h = twips(pict.hgoal, pict.pich, natural.height(), pict.scaley);

    QString name = placeholderName();
    if (known) {
        // Never decoded larger than drawn, and never past what is left of
        // the item's budget: a declared size costs nothing by itself.
        QSize size(std::min(natural.width(), int(std::ceil(w))), std::min(natural.height(), int(std::ceil(h))));
        const double pixels = double(size.width()) * size.height();
        if (pixels > m_pixelsLeft)
            size = (QSizeF(size) * std::sqrt(double(m_pixelsLeft) / pixels)).toSize();
        const QByteArray shareKey = pict.data + QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height());
        if (const auto it = m_shownPictures.constFind(shareKey); it != m_shownPictures.cend()) {
            name = *it; // the same picture again: one bitmap for both
        } else if (!size.isEmpty()) {
            reader.setScaledSize(size);
            QImage image;
            if (reader.read(&image)) {
                m_pixelsLeft -= qint64(image.width()) * image.height();
                name = QStringLiteral("rtfpict:%1").arg(++m_pictCount);
                m_doc->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(image));
                m_shownPictures.insert(shareKey, name);
            }
        }
    }
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(w);
    f.setHeight(h);
    f.setProperty(PictureKindProperty, QString::fromLatin1(pict.kind));
    f.setProperty(PictureParamsProperty, QString::fromLatin1(pict.params));
    f.setProperty(PictureDataProperty, pict.data);
    m_cursor.insertImage(f);
}

// ---- tables ----

namespace {
constexpr int kMaxColumns = 64;
}

// Called before anything goes into the document: a paragraph marked \intbl
// goes into the current table (made when the first one comes), into the next
// cell after \cell and into a new row after \row; any other paragraph ends
// the table. So unbalanced rows and stray \cell marks cannot hurt.
void Reader::place()
{
    const bool inTable = m_st.para.intbl && m_st.para.itap >= 1;
    if (!inTable) {
        if (m_table)
            endTable();
        return;
    }
    if (!m_table) {
        startTable();
    } else if (m_rowDone) {
        flushText();
        m_table->appendRows(1);
        m_row = m_table->rows() - 1;
        m_col = 0;
        m_rowDone = false;
        moveToCell();
    } else if (m_needCell) {
        moveToCell();
    }
}

void Reader::startTable()
{
    flushText();
    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tf.setCellPadding(2);
    tf.setCellSpacing(0);
    QList<QTextLength> widths;
    bool fixed = false;
    int left = 0;
    for (const CellDef &def : m_rowDef) {
        switch (def.widthType) {
        case 1: widths << QTextLength(); break;
        case 2: widths << QTextLength(QTextLength::PercentageLength, std::clamp(def.width / 50.0, 0.0, 100.0)); break;
        case 3: widths << QTextLength(QTextLength::FixedLength, std::clamp(def.width, 1, 100000) / double(TwipsPerPixel)); break;
        default:
            widths << QTextLength(QTextLength::FixedLength, std::clamp(def.right - left, 15, 100000) / double(TwipsPerPixel));
            break;
        }
        fixed |= widths.last().type() != QTextLength::VariableLength;
        left = def.right;
    }
    if (fixed)
        tf.setColumnWidthConstraints(widths);
    const int columns = std::clamp(int(m_rowDef.size()), 1, kMaxColumns);
    m_table = m_cursor.insertTable(1, columns, tf);
    m_vMergeTop.clear();
    m_row = m_col = 0;
    m_rowDone = m_needCell = false;
    m_pendingPar = false;
}

void Reader::endTable()
{
    flushText();
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_table = nullptr;
    m_pendingPar = m_rowDone = m_needCell = false;
    applyList(ListLevel());
}

void Reader::moveToCell()
{
    flushText();
    if (m_col >= m_table->columns()) {
        if (m_col < kMaxColumns)
            m_table->appendColumns(m_col - m_table->columns() + 1);
        else
            m_col = m_table->columns() - 1;
    }
    m_cursor.setPosition(m_table->cellAt(m_row, m_col).firstPosition());
    m_pendingPar = m_needCell = false;
}

void Reader::endCell()
{
    place();
    if (!(m_pendingPar && m_lastMarkWasPar)) {
        flushText();
        if (m_pendingPar)
            openBlock();
        finishBlock();
    }
    ++m_col;
    m_needCell = true;
    m_pendingPar = true;
    m_lastMarkWasPar = false;
}

// Merged cells as the row definition marks them: the first cell takes the
// ones to its right (\clmgf, \clmrg) and below (\clvmgf, \clvmrg).
void Reader::endRow()
{
    if (!m_table)
        return;
    flushText();
    const int row = m_table->rows() - 1;
    const int columns = std::min<int>(int(m_rowDef.size()), m_table->columns());
    m_vMergeTop.resize(std::size_t(m_table->columns()), -1);
    for (int c = 0; c < columns; ++c) {
        const CellDef &def = m_rowDef[std::size_t(c)];
        if (def.mergeFirst) {
            int span = 1;
            while (c + span < columns && m_rowDef[std::size_t(c + span)].merged)
                ++span;
            if (span > 1)
                m_table->mergeCells(row, c, 1, span);
        }
        if (def.vMergeFirst) {
            m_vMergeTop[std::size_t(c)] = row;
        } else if (def.vMerged && m_vMergeTop[std::size_t(c)] >= 0) {
            const int top = m_vMergeTop[std::size_t(c)];
            m_table->mergeCells(top, c, row - top + 1, m_table->cellAt(top, c).columnSpan());
        } else if (!def.merged) {
            m_vMergeTop[std::size_t(c)] = -1;
        }
    }
    m_rowDone = true;
    m_needCell = false;
}

// Pictures the editor cannot draw all share one small bitmap, scaled to
// each picture's size when drawn.
QString Reader::placeholderName()
{
    const QString name = QString::fromLatin1(PlaceholderPictureName);
    if (!m_placeholderAdded) {
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), QVariant(placeholderImage()));
        m_placeholderAdded = true;
    }
    return name;
}

} // namespace rtf::detail
