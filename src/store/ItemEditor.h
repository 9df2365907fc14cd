#pragma once
#include <QByteArray>
#include <QColor>
#include <QFont>

// The editor as the document store sees it: item text goes in and out as RTF.
// The shell's rich-text editor implements it; tests may use a plain one.
class ItemEditor
{
public:
    virtual ~ItemEditor() = default;
    // The whole content as RTF, lines ending CR LF.
    virtual QByteArray exportRtf() const = 0;
    // Replaces the whole content; data that is not RTF is taken as plain text.
    virtual void importRtf(const QByteArray &data) = 0;
    // Content empty and the modified state cleared.
    virtual void clearContent() = 0;
    virtual void setModifiedState(bool modified) = 0;
    // The font (and its colour) of text typed into an empty editor.
    virtual void applyDefaultFont(const QFont &font, const QColor &color) = 0;
    virtual void setEditorEnabled(bool enabled) = 0;
};
