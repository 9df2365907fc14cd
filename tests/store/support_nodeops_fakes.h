#pragma once
// Stand-ins for the user's dialogs and the rich-text editor, so the store's
// operations can be driven and read without windows.
#include "store/ItemEditor.h"
#include "store/Messages.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace fakes {

// Records every message and answers questions from a queue; an unscripted
// question is answered as if the box had been closed.
class ScriptedMessages : public UserMessages
{
public:
    struct Shown
    {
        QString kind; // "message", "box", "error"
        QString caption;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons;
    };

    void showMessage(const QString &text) override { shown.append({QStringLiteral("message"), {}, text, MsgIcon::None, MsgButton::Ok}); }
    MsgButton messageBox(const QString &caption, const QString &text, MsgIcon icon,
                         MsgButtons buttons) override
    {
        shown.append({QStringLiteral("box"), caption, text, icon, buttons});
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons.testFlag(MsgButton::Cancel) ? MsgButton::Cancel : MsgButton::No;
    }
    void errorDialog(const QString &text) override { shown.append({QStringLiteral("error"), {}, text, MsgIcon::Error, MsgButton::Ok}); }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : shown)
            out << s.kind + QLatin1Char(':') + s.text;
        return out;
    }
    void clear()
    {
        shown.clear();
        answers.clear();
    }

    QList<Shown> shown;
    QQueue<MsgButton> answers;
};

// Holds its "rich text" as plain bytes.
class PlainEditor : public ItemEditor
{
public:
    QByteArray exportRtf() const override { return content; }
    void importRtf(const QByteArray &data) override { content = data; }
    void clearContent() override
    {
        content.clear();
        modified = false;
    }
    void setModifiedState(bool m) override { modified = m; }
    void applyDefaultFont(const QFont &, const QColor &) override { ++fontsApplied; }
    void setEditorEnabled(bool e) override { enabled = e; }

    // What the user typed: the content and the modified mark.
    void type(const QByteArray &text)
    {
        content = text;
        modified = true;
    }

    QByteArray content;
    bool modified = false;
    bool enabled = false;
    int fontsApplied = 0;
};

} // namespace fakes
