#pragma once
#include "print/TextOptions.h"

#include <QDialog>
#include <QFont>
#include <QMap>
#include <functional>

class QAbstractButton;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TFormSettings;
class TPreviewPrinter;
class UserMessages;

// The page setup's values by control name, the way its settings store them:
// an edit's text (numbers as C-locale text), a radio button's "1" or "0",
// and each font dialog's font. Start-up applies the stored defaults through
// these without making the dialog.
struct PageSetupValues
{
    QMap<QString, QString> texts;
    QMap<QString, QFont> fonts;
};

namespace pagesetup {
// The engine's values as the dialog shows them (FillControls).
PageSetupValues FromEngine(TPreviewPrinter &engine);
// The stored defaults under `key` over `values`; an entry stored in a form
// that does not convert keeps the value it had.
void LoadStored(PageSetupValues &values, const QString &key);
// The values into the engine (ReadControls). `strict`: every field is checked
// first and the first bad one is answered (its control's name in `field`,
// the message as result) with the engine unchanged. Otherwise a bad field
// keeps the engine's value. A radio group with nothing checked keeps it too.
QString ToEngine(const PageSetupValues &values, TPreviewPrinter &engine, bool strict, QString *field = nullptr);
// The key the dialog keeps its defaults under.
QString DefaultsKey();
// A number typed in the user's locale or in C-locale text.
bool ParseNumber(const QString &text, double *value);
} // namespace pagesetup

// The page setup dialog: margins and their unit, orientation, header and
// footer, page number. It edits the engine's options only on OK.
class TPageSetupForm : public QDialog
{
    Q_OBJECT
public:
    TPageSetupForm(TPreviewPrinter *engine, UserMessages *messages, QWidget *parent = nullptr);

    void FillControls();
    // False (the dialog stays open) when a field is not acceptable.
    bool ReadControls();
    // The stored defaults into the engine, without a dialog.
    static void ApplyDefaults(TPreviewPrinter &engine);

    PageSetupValues Values() const;
    void SetValues(const PageSetupValues &values);

    // How a font button asks for a font; tests answer it.
    std::function<bool(QFont &font, QWidget *parent)> ChooseFont;

    QLineEdit *LeftEdit, *RightEdit, *TopEdit, *BotEdit, *HeaderEdit, *HdrMarginEdit, *FooterEdit, *FtrMarginEdit,
        *PageNumEdit;
    QRadioButton *InchBut, *CentBut, *PortBut, *LandBut;
    QPushButton *PageNumFontBut, *HdrFontBut, *FtrFontBut, *PrinterSetupBut, *OKBut, *CancelBut, *SetDefaultBut;
    QFrame *PortShape, *LandShape;
    TFormSettings *FormSettings1;

private:
    void PortButClick();
    void UnitsChanged();
    void FontButClick(QPushButton *button, QWidget *holder);
    void SetDefaultButClick();
    void PrinterSetupButClick();
    // The number edits between the user's locale and C-locale text.
    void NumbersToText(bool cLocale);
    QWidget *Holder(const QString &name) const;

    TPreviewPrinter *m_engine;
    UserMessages *m_messages;
    bool m_filling = false;
    bool m_centimetres = false; // the unit the margin edits show
};

// "Arial 10 pt" on the font button.
QString FontCaption(const QFont &font);
