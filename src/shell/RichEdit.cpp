#include "shell/RichEdit.h"

#include "rtf/Rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QTextObjectInterface>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QTextCharFormat toTextFormat(const CharFormat &c)
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{c.face});
    f.setFontPointSize(c.pointSize);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strikeOut);
    f.setFontFixedPitch(c.pitch == CharFormat::Pitch::Fixed);
    f.setProperty(rtf::PitchProperty, int(c.pitch));
    f.setProperty(rtf::CharsetProperty, c.charset);
    if (c.color.isValid())
        f.setForeground(c.color);
    return f;
}

QString familyOf(const QTextCharFormat &f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? f.property(QTextFormat::FontFamily).toString() : families.first();
}

QImage resourceImage(QTextDocument *doc, const QString &name)
{
    const QVariant res = doc->resource(QTextDocument::ImageResource, QUrl(name));
    if (res.typeId() == QMetaType::QImage)
        return res.value<QImage>();
    if (res.typeId() == QMetaType::QPixmap)
        return res.value<QPixmap>().toImage();
    if (res.typeId() == QMetaType::QByteArray)
        return QImage::fromData(res.toByteArray());
    return {};
}

} // namespace

// Lays out and draws the editor's pictures. However large a picture says it
// is, it is drawn no wider than the page (its stored size stays as it is),
// and a picture that cannot be shown is drawn as a framed box, not as a
// bitmap of its size.
class PictureHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument *doc, int, const QTextFormat &format) override
    {
        const QTextImageFormat f = format.toImageFormat();
        QSizeF size(f.width(), f.height());
        if (!f.hasProperty(QTextFormat::ImageWidth) || !f.hasProperty(QTextFormat::ImageHeight)) {
            const QSizeF natural = resourceImage(doc, f.name()).size();
            if (!f.hasProperty(QTextFormat::ImageWidth))
                size.setWidth(f.hasProperty(QTextFormat::ImageHeight) && natural.height() > 0
                                  ? natural.width() * size.height() / natural.height()
                                  : natural.width());
            if (!f.hasProperty(QTextFormat::ImageHeight))
                size.setHeight(natural.width() > 0 ? natural.height() * size.width() / natural.width()
                                                   : natural.height());
        }
        const qreal page = doc->textWidth() - 2 * doc->documentMargin();
        if (doc->textWidth() > 0 && page > 0 && size.width() > page)
            size *= page / size.width();
        return size.expandedTo(QSizeF(1, 1));
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *doc, int,
                    const QTextFormat &format) override
    {
        const QString name = format.toImageFormat().name();
        if (name == QLatin1String(rtf::PlaceholderPictureName)) {
            painter->fillRect(rect, QColor(0xE0, 0xE0, 0xE0));
            painter->setPen(QColor(0x80, 0x80, 0x80));
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
            return;
        }
        const QImage image = resourceImage(doc, name);
        if (!image.isNull())
            painter->drawImage(rect, image);
    }
};

QFont CharFormat::font() const
{
    QFont f(face);
    if (pointSize > 0)
        f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    f.setFixedPitch(pitch == Pitch::Fixed);
    return f;
}

CharFormat CharFormat::fromFont(const QFont &font, const QColor &color, int charset)
{
    CharFormat c;
    c.face = font.family();
    c.pointSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    c.bold = font.bold();
    c.italic = font.italic();
    c.underline = font.underline();
    c.strikeOut = font.strikeOut();
    c.pitch = font.fixedPitch() ? Pitch::Fixed : Pitch::Default;
    c.color = color;
    c.charset = charset;
    return c;
}

RichEdit::RichEdit(QWidget *parent) : QTextEdit(parent)
{
    setTabChangesFocus(false); // Tab types a tab, as in the classic control
    setAcceptRichText(true);
    document()->documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureHandler(this));
}

QByteArray RichEdit::exportRtf() const
{
    return rtf::write(document());
}

void RichEdit::importRtf(const QByteArray &data)
{
    rtf::read(data, document());
    applyDefaultFormatIfEmpty();
    moveCursor(QTextCursor::Start);
    document()->setModified(false);
}

void RichEdit::clearContent()
{
    clear();
    applyDefaultFormatIfEmpty();
    document()->setModified(false);
}

void RichEdit::setModifiedState(bool modified)
{
    document()->setModified(modified);
}

bool RichEdit::isModifiedState() const
{
    return document()->isModified();
}

void RichEdit::applyDefaultFont(const QFont &font, const QColor &color)
{
    // The widget font becomes the document's default too; set both so that
    // neither order of calls loses the other.
    setFont(font);
    document()->setDefaultFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
    m_defaultFormat = toTextFormat(CharFormat::fromFont(font, color));
    applyDefaultFormatIfEmpty();
}

void RichEdit::setEditorEnabled(bool enabled)
{
    setEnabled(enabled);
}

void RichEdit::setBackgroundColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

QColor RichEdit::backgroundColor() const
{
    return palette().color(QPalette::Base);
}

CharFormat RichEdit::selectionCharFormat() const
{
    const QTextCursor cursor = textCursor();
    QTextCharFormat f;
    if (cursor.hasSelection()) {
        // The first selected character, not the one before the selection.
        QTextCursor first(document());
        first.setPosition(cursor.selectionStart() + 1);
        f = first.charFormat();
    } else {
        f = currentCharFormat();
    }
    const QFont def = document()->defaultFont();
    CharFormat c;
    c.face = familyOf(f);
    if (c.face.isEmpty())
        c.face = def.family();
    c.pointSize = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : def.pointSizeF();
    c.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold : def.bold();
    c.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : def.italic();
    c.underline = f.hasProperty(QTextFormat::TextUnderlineStyle) || f.hasProperty(QTextFormat::FontUnderline)
                      ? f.fontUnderline()
                      : def.underline();
    c.strikeOut = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : def.strikeOut();
    if (f.hasProperty(rtf::PitchProperty))
        c.pitch = CharFormat::Pitch(std::clamp(f.intProperty(rtf::PitchProperty), 0, 2));
    else if (f.hasProperty(QTextFormat::FontFixedPitch) ? f.fontFixedPitch() : def.fixedPitch())
        c.pitch = CharFormat::Pitch::Fixed;
    c.color = f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush
                  ? f.foreground().color()
                  : palette().color(QPalette::Text);
    c.charset = f.intProperty(rtf::CharsetProperty);
    return c;
}

void RichEdit::setSelectionCharFormat(const CharFormat &format)
{
    QTextCharFormat f = toTextFormat(format);
    // A new face drops the family kind the old one had in its file.
    if (format.face != selectionCharFormat().face) {
        f.setProperty(rtf::FontKindProperty, int(rtf::FontKind::Nil));
        f.setFontStyleHint(QFont::AnyStyle);
    }
    mergeCurrentCharFormat(f);
}

Qt::Alignment RichEdit::paragraphAlignment() const
{
    const Qt::Alignment a = textCursor().blockFormat().alignment();
    if (a & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return Qt::AlignRight;
    if (a & Qt::AlignJustify)
        return Qt::AlignJustify;
    return Qt::AlignLeft;
}

void RichEdit::setParagraphAlignment(Qt::Alignment alignment)
{
    setAlignment(alignment & Qt::AlignHorizontal_Mask);
}

int RichEdit::find(const QString &text, int start, int length, bool matchCase, bool wholeWord) const
{
    const int len = textLength();
    if (text.isEmpty() || start < 0 || start > len)
        return -1;
    const qint64 end = length < 0 ? len : std::min<qint64>(qint64(start) + length, len);
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord)
        flags |= QTextDocument::FindWholeWords;
    QTextCursor from(document());
    from.setPosition(start);
    const QTextCursor hit = document()->find(text, from, flags);
    if (hit.isNull() || hit.selectionEnd() > end)
        return -1;
    return hit.selectionStart();
}

int RichEdit::selectionStart() const
{
    return textCursor().selectionStart();
}

int RichEdit::selectionLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichEdit::setSelection(int start, int length)
{
    const int len = textLength();
    start = std::clamp(start, 0, len);
    QTextCursor c(document());
    c.setPosition(start);
    c.setPosition(std::clamp(start + std::max(length, 0), 0, len), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

int RichEdit::textLength() const
{
    return document()->characterCount() - 1;
}

void RichEdit::applyDefaultFormatIfEmpty()
{
    if (!document()->isEmpty() || m_defaultFormat.properties().isEmpty())
        return;
    // Formatting the empty paragraph is no edit of the user's text.
    const bool modified = document()->isModified();
    QTextCursor c(document());
    c.setBlockCharFormat(m_defaultFormat);
    setCurrentCharFormat(m_defaultFormat);
    document()->setModified(modified);
}

#include "RichEdit.moc"
