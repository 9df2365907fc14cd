#include "shell/RichEdit.h"

#include "rtf/Rtf.h"
#include "settings/Product.h"
#include "shell/Dialogs.h"
#include "shell/MainWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDesktopServices>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QToolTip>
#include <QUrl>

#include <cmath>
#include <memory>
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

constexpr char kRtfMime[] = "text/rtf";
constexpr char kRtfMimeAlt[] = "application/rtf";

bool isWebAddress(const QString &word)
{
    for (const char *scheme : {"http://", "https://", "mailto:"}) {
        const QLatin1String prefix(scheme);
        if (word.startsWith(prefix, Qt::CaseInsensitive) && word.size() > prefix.size())
            return QUrl(word, QUrl::StrictMode).isValid();
    }
    return false;
}

// Picture files dropped from a file manager: all of them must be pictures.
// Only their headers are read: this is asked on every move of a drag.
QStringList pictureFiles(const QMimeData *source)
{
    QStringList paths;
    for (const QUrl &url : source->urls()) {
        if (!url.isLocalFile() || !QImageReader(url.toLocalFile()).canRead())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// What a pasted document holds that an item cannot keep.
void unkeptParts(QTextFrame *frame, bool inTable, QStringList &notes)
{
    for (QTextFrame *child : frame->childFrames()) {
        const bool table = qobject_cast<QTextTable *>(child) != nullptr;
        QString note;
        if (table && inTable)
            note = QStringLiteral("Tables of nested tables are kept as text");
        else if (!table && child->frameFormat().position() != QTextFrameFormat::InFlow)
            note = QStringLiteral("Floating frames are kept as text");
        if (!note.isEmpty() && !notes.contains(note))
            notes << note;
        unkeptParts(child, inTable || table, notes);
    }
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
    setMouseTracking(true); // the hand over a link while Ctrl is held
    setTabChangesFocus(false); // Tab types a tab, as in the classic control
    setAcceptRichText(true);
    m_pictureHandler = new PictureHandler(this);
    document()->documentLayout()->registerHandler(QTextFormat::ImageObject, m_pictureHandler);
}

void RichEdit::adoptDocument(QTextDocument *document)
{
    // The editor deletes a document it owns when given another; kept ones
    // are owned by the editor itself, not by its text control.
    QTextDocument *old = this->document();
    old->setParent(this);
    setDocument(document);
    document->documentLayout()->registerHandler(QTextFormat::ImageObject, m_pictureHandler);
}

void RichEdit::dropKeptDocuments(int generation)
{
    if (generation == m_keptGeneration)
        return;
    for (const KeptDocument &k : std::as_const(m_kept))
        delete k.document;
    m_kept.clear();
    m_keptGeneration = generation;
}

void RichEdit::keepDocument(int generation, int key, const QByteArray &storedRtf)
{
    dropKeptDocuments(generation);
    for (qsizetype i = 0; i < m_kept.size(); ++i)
        if (m_kept[i].key == key)
            delete m_kept.takeAt(i).document;
    QTextDocument *left = document();
    auto *fresh = new QTextDocument(this);
    fresh->setDefaultFont(left->defaultFont());
    const bool same = exportRtf() == storedRtf;
    adoptDocument(fresh);
    clearContent();
    if (!same || !left->isUndoAvailable()) {
        delete left; // nothing to undo there, or not the text stored
        return;
    }
    m_kept.append({key, storedRtf, left});
    if (m_kept.size() > 20)
        delete m_kept.takeFirst().document;
}

bool RichEdit::restoreDocument(int generation, int key, const QByteArray &storedRtf)
{
    dropKeptDocuments(generation);
    for (qsizetype i = 0; i < m_kept.size(); ++i) {
        if (m_kept[i].key != key)
            continue;
        const KeptDocument kept = m_kept.takeAt(i);
        if (kept.rtf != storedRtf) {
            delete kept.document; // the block changed some other way
            return false;
        }
        QTextDocument *empty = document();
        adoptDocument(kept.document);
        delete empty;
        document()->setModified(false);
        return true;
    }
    return false;
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


// ---- pasting and copying ----

bool RichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasFormat(QLatin1String(kRtfMime)) || source->hasFormat(QLatin1String(kRtfMimeAlt))
           || source->hasImage() || !pictureFiles(source).isEmpty() || QTextEdit::canInsertFromMimeData(source);
}

void RichEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source)
        return;
    QStringList notes;
    QTextDocument pasted;
    pasted.setDefaultFont(document()->defaultFont());
    QByteArray rtfData = source->data(QLatin1String(kRtfMime));
    if (rtfData.isEmpty())
        rtfData = source->data(QLatin1String(kRtfMimeAlt));
    if (!rtfData.isEmpty()) {
        rtf::read(rtfData, &pasted);
        if (rtfData.contains("\\nestcell") || rtfData.contains("\\itap2"))
            notes << QStringLiteral("Tables of nested tables are kept as text");
        if (rtfData.contains("\\object"))
            notes << QStringLiteral("Embedded objects are kept as their text or picture");
        if (rtfData.contains("\\formfield"))
            notes << QStringLiteral("Form fields are kept as their text");
    } else if (source->hasImage()) {
        insertPicture(qvariant_cast<QImage>(source->imageData()));
        return;
    } else if (const QStringList files = pictureFiles(source); !files.isEmpty()) {
        for (const QString &file : files)
            insertPicture(QImage(file));
        return;
    } else if (source->hasHtml()) {
        QString html = source->html();
        html.remove(QChar(0));
        pasted.setHtml(html);
    } else {
        QString text = source->text();
        text.remove(QChar(0)); // the reader drops it, so the item would change at its next store
        textCursor().insertText(text);
        ensureCursorVisible();
        return;
    }
    insertDocument(pasted, notes, source);
    showNotes(notes);
}

// Inserts a pasted document at the caret with its pictures: each takes a
// name of its own in this document, and a picture known only by its web
// address takes the picture the clipboard offers beside it, if any.
void RichEdit::insertDocument(QTextDocument &pasted, QStringList &notes, const QMimeData *source)
{
    unkeptParts(pasted.rootFrame(), false, notes);
    struct Change
    {
        int position, length;
        QTextImageFormat format;
        bool remove = false;
    };
    QList<Change> changes;
    QStringList unkept;
    bool clipboardImageUsed = false;
    for (QTextBlock b = pasted.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.charFormat().isImageFormat())
                continue;
            QTextImageFormat f = frag.charFormat().toImageFormat();
            const QUrl url(f.name());
            QVariant image;
            if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
                if (source->hasImage() && !clipboardImageUsed) {
                    image = source->imageData();
                    clipboardImageUsed = true;
                }
            } else {
                image = pasted.resource(QTextDocument::ImageResource, url);
            }
            if (!image.isValid() && !f.hasProperty(rtf::PictureKindProperty)) {
                unkept << f.name();
                changes.append({frag.position(), frag.length(), f, true});
                continue;
            }
            const QString name = QStringLiteral("pasted:%1").arg(++m_pastedPictures);
            if (image.isValid())
                document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
            else // the placeholder of a picture that cannot be shown
                document()->addResource(QTextDocument::ImageResource, QUrl(name),
                                        pasted.resource(QTextDocument::ImageResource, url));
            f.setName(name);
            changes.append({frag.position(), frag.length(), f});
        }
    }
    // From the end, so that removing a picture moves no position still to come.
    for (auto it = changes.crbegin(); it != changes.crend(); ++it) {
        QTextCursor c(&pasted);
        c.setPosition(it->position);
        c.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        if (it->remove)
            c.removeSelectedText();
        else
            c.setCharFormat(it->format);
    }
    if (!unkept.isEmpty())
        notes << QStringLiteral("Pictures known only by their web address are not kept: ") + unkept.join(QStringLiteral(", "));
    textCursor().insertFragment(QTextDocumentFragment(&pasted));
    ensureCursorVisible();
}

// A picture is stored as PNG with its size; one larger than most screens
// can show is offered to be scaled down first.
void RichEdit::insertPicture(QImage image)
{
    if (image.isNull())
        return;
    const qint64 pixels = qint64(image.width()) * image.height();
    if (pixels > LargePicturePixels) {
        UserMessages *m = messages();
        const MsgButton answer =
            m ? m->messageBox(ProductName(),
                              QStringLiteral("The picture is %1 × %2 pixels. Scale it down to 20 megapixels before "
                                             "inserting it?")
                                  .arg(image.width())
                                  .arg(image.height()),
                              MsgIcon::Question, MsgButton::Yes | MsgButton::No | MsgButton::Cancel)
              : MsgButton::No;
        if (answer == MsgButton::Cancel)
            return;
        if (answer == MsgButton::Yes) {
            const double scale = std::sqrt(double(LargePicturePixels) / double(pixels));
            image = image.scaled(std::max(1, int(image.width() * scale)), std::max(1, int(image.height() * scale)),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return;
    const QString name = QStringLiteral("pasted:%1").arg(++m_pastedPictures);
    // Shown within the item's picture budget; stored at its own size.
    QImage shown = image;
    if (const double pixels = double(image.width()) * image.height(); pixels > rtf::PicturePixelBudget)
        shown = image.scaled((QSizeF(image.size()) * std::sqrt(rtf::PicturePixelBudget / pixels)).toSize(),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    document()->addResource(QTextDocument::ImageResource, QUrl(name), shown);
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(image.width());
    f.setHeight(image.height());
    f.setProperty(rtf::PictureKindProperty, QStringLiteral("pngblip"));
    f.setProperty(rtf::PictureParamsProperty, QStringLiteral("\\picw%1\\pich%2\\picwgoal%3\\pichgoal%4")
                                                  .arg(image.width())
                                                  .arg(image.height())
                                                  .arg(image.width() * rtf::TwipsPerPixel)
                                                  .arg(image.height() * rtf::TwipsPerPixel));
    f.setProperty(rtf::PictureDataProperty, png);
    textCursor().insertImage(f);
    ensureCursorVisible();
}

QMimeData *RichEdit::createMimeDataFromSelection() const
{
    // Qt's own mime data lists a fixed set of formats, so ours is a plain one.
    const std::unique_ptr<QMimeData> own(QTextEdit::createMimeDataFromSelection());
    auto *data = new QMimeData;
    data->setText(own->text());
    data->setHtml(own->html());
    QTextDocument selected;
    selected.setDefaultFont(document()->defaultFont());
    QTextCursor(&selected).insertFragment(textCursor().selection());
    for (QTextBlock b = selected.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat()) {
                const QUrl url(f.toImageFormat().name());
                selected.addResource(QTextDocument::ImageResource, url,
                                     document()->resource(QTextDocument::ImageResource, url));
            }
        }
    }
    data->setData(QLatin1String(kRtfMime), rtf::write(&selected));
    return data;
}

void RichEdit::showNotes(const QStringList &notes)
{
    if (notes.isEmpty())
        return;
    const QString text = notes.join(QStringLiteral("; "));
    if (auto *main = qobject_cast<QMainWindow *>(window()))
        main->statusBar()->showMessage(text);
    Q_EMIT notice(text);
}

UserMessages *RichEdit::messages()
{
    if (m_messages)
        return m_messages;
    auto *main = qobject_cast<TfrmTree *>(window());
    return main ? &main->dialogs() : nullptr;
}

// ---- links ----

void RichEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && !isReadOnly()
        && !textCursor().hasSelection())
        linkTypedAddress();
    QTextEdit::keyPressEvent(event);
}

// The word before the caret becomes a link when it is a web or mail address;
// what is typed after it is not part of the link.
void RichEdit::linkTypedAddress()
{
    const QTextCursor caret = textCursor();
    const QTextBlock block = caret.block();
    const QString before = block.text().left(caret.position() - block.position());
    qsizetype start = before.size();
    while (start > 0 && !before.at(start - 1).isSpace() && before.at(start - 1) != QChar::ObjectReplacementCharacter)
        --start;
    QString word = before.mid(start);
    while (!word.isEmpty() && QStringLiteral(".,;:!?)]}'\"").contains(word.back()))
        word.chop(1);
    if (!isWebAddress(word))
        return;
    QTextCursor link(document());
    link.setPosition(block.position() + int(start));
    link.setPosition(block.position() + int(start + word.size()), QTextCursor::KeepAnchor);
    if (link.charFormat().isAnchor())
        return;
    const QTextCharFormat typing = currentCharFormat();
    QTextCharFormat f;
    f.setAnchor(true);
    f.setAnchorHref(word);
    f.setFontUnderline(true);
    f.setForeground(palette().color(QPalette::Link));
    link.mergeCharFormat(f);
    setCurrentCharFormat(typing);
}

void RichEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier)) {
        m_pressedLink = anchorAt(event->position().toPoint());
        if (!m_pressedLink.isEmpty()) {
            event->accept();
            return;
        }
    }
    QTextEdit::mousePressEvent(event);
}

void RichEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressedLink.isEmpty()) {
        const QString link = std::exchange(m_pressedLink, QString());
        if (anchorAt(event->position().toPoint()) == link)
            QDesktopServices::openUrl(QUrl(link));
        event->accept();
        return;
    }
    QTextEdit::mouseReleaseEvent(event);
}

void RichEdit::mouseMoveEvent(QMouseEvent *event)
{
    const bool overLink = (event->modifiers() & Qt::ControlModifier) && !anchorAt(event->position().toPoint()).isEmpty();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QTextEdit::mouseMoveEvent(event);
}

bool RichEdit::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QString link = anchorAt(help->pos());
        if (link.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), link, viewport());
        return true;
    }
    return QTextEdit::viewportEvent(event);
}

#include "RichEdit.moc"
