#pragma once
#include "store/ItemEditor.h"

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <QTextEdit>

class UserMessages;

// A character format as the Fonts command reads and applies it: all fields at
// once. Qt's fonts have no character set, so it travels beside them (RTF
// \fcharset, kept in the text as rtf::CharsetProperty).
struct CharFormat
{
    enum class Pitch { Default, Fixed, Variable }; // the values of RTF \fprq

    QString face;
    qreal pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Pitch pitch = Pitch::Default;
    QColor color; // never invalid when read from the editor
    int charset = 0;

    QFont font() const;
    static CharFormat fromFont(const QFont &font, const QColor &color, int charset = 0);
    bool operator==(const CharFormat &) const = default;
};

// The item editor (txtEdit) and the help text: a QTextEdit offering the
// operations the rest of the program needs, with item text in and out as RTF
// through our own codec.
class RichEdit : public QTextEdit, public ItemEditor
{
    Q_OBJECT

public:
    explicit RichEdit(QWidget *parent = nullptr);

    // ItemEditor
    QByteArray exportRtf() const override;
    void importRtf(const QByteArray &data) override;
    void clearContent() override;
    void setModifiedState(bool modified) override;
    void applyDefaultFont(const QFont &font, const QColor &color) override;
    void setEditorEnabled(bool enabled) override;

    bool isModifiedState() const;
    // Read-only is QTextEdit::setReadOnly(); a read-only editor takes no input.

    void setBackgroundColor(const QColor &color);
    QColor backgroundColor() const;

    // The selection's format, or at the caret the format typing would use.
    CharFormat selectionCharFormat() const;
    // Applies every field to the selection (or to what is typed next).
    void setSelectionCharFormat(const CharFormat &format);

    // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight of the caret's
    // paragraph; setting changes every paragraph the selection touches.
    Qt::Alignment paragraphAlignment() const;
    void setParagraphAlignment(Qt::Alignment alignment);

    // First position of text inside [start, start + length) (length < 0: to
    // the end), or -1. Positions count characters, a paragraph break as one.
    int find(const QString &text, int start, int length, bool matchCase, bool wholeWord) const;

    int selectionStart() const;
    int selectionLength() const;
    void setSelection(int start, int length);
    int textLength() const;

    // cut(), copy() and paste() are QTextEdit's and act on this editor.
    // Pasting takes RTF first (through our own reader, so it keeps what an
    // item keeps), then a picture (stored as PNG), then HTML, then text;
    // copying offers the selection as RTF besides Qt's own formats.
    // What a paste brings that the item will not keep is named in the
    // window's status bar.

    // Where the question about a very large picture goes; by default the
    // main window's dialogs.
    void setMessages(UserMessages *messages) { m_messages = messages; }
    // Pictures larger than this many pixels are offered to be scaled down.
    static constexpr qint64 LargePicturePixels = 20'000'000;

Q_SIGNALS:
    // A note for the status bar: what a paste brought that is not kept.
    void notice(const QString &text);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    // Links: Ctrl+click opens one, its address is its tool tip, and a web
    // address typed before a space or Enter becomes one.
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

    // Printing comes with the printing work and belongs here, beside the text:
    //   int renderRange(QPainter *painter, const QRectF &pageTwips, int from,
    //                   const QPaintDevice *target) const;
    //       lays the text from position `from` out for `target` into the page
    //       rectangle (twips) and returns the first position not drawn; the
    //       same breaks on preview and paper come from formatting for target.
    //   void printContent(const QString &jobTitle, QPrinter *printer, const QRectF &pageTwips);
    //       one job, a new page whenever text remains.

public:
    // The document of an item being left, with its undo steps, is kept (at
    // most 20) while its text as exported equals `storedRtf`, the item's
    // stored block; the editor then starts on an empty document. Coming
    // back, restoreDocument shows the kept one again only when the block is
    // still the same bytes; otherwise it drops it and answers false.
    // `generation` names the open document; another one drops them all.
    void keepDocument(int generation, int key, const QByteArray &storedRtf);
    bool restoreDocument(int generation, int key, const QByteArray &storedRtf);

private:
    struct KeptDocument
    {
        int key;
        QByteArray rtf;
        QTextDocument *document;
    };
    void adoptDocument(QTextDocument *document);
    void dropKeptDocuments(int generation);
    void applyDefaultFormatIfEmpty();
    void insertDocument(QTextDocument &pasted, QStringList &notes, const QMimeData *source);
    void insertPicture(QImage image);
    void linkTypedAddress();
    void showNotes(const QStringList &notes);
    UserMessages *messages();

    QTextCharFormat m_defaultFormat;
    UserMessages *m_messages = nullptr;
    QString m_pressedLink;
    int m_pastedPictures = 0;
    QObject *m_pictureHandler = nullptr;
    QList<KeptDocument> m_kept; // most recently left last
    int m_keptGeneration = 0;
};
