#include "print/PageSetupDlg.h"

#include "print/PrevPrinter.h"
#include "settings/FormSettings.h"
#include "settings/Messages.h"
#include "settings/Product.h"
#include "settings/Registry.h"

#include <QApplication>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

struct Radio
{
    const char *name;
    int tag; // the ordinal value the button stands for
};
struct Group
{
    const char *container;
    Radio buttons[3];
};
enum GroupIndex { gUnits, gOrientation, gPageNumPos, gPageNumAlign, gHeaderAlign, gFooterAlign };
const Group kGroups[] = {
    {"PageMarginGroup", {{"InchBut", unInches}, {"CentBut", unCentimeters}, {}}},
    {"PageOrientGroup", {{"PortBut", poPortrait}, {"LandBut", poLandscape}, {}}},
    {"Panel1", {{"PageBotBut", pnBottom}, {"PageTopBut", pnTop}, {"PageNoneBut", pnNone}}},
    {"Panel2", {{"PageLeftBut", taLeftJustify}, {"PageCenterBut", taCenter}, {"PageRightBut", taRightJustify}}},
    {"HeaderGroup", {{"HdrLeftBut", taLeftJustify}, {"HdrCenterBut", taCenter}, {"HdrRightBut", taRightJustify}}},
    {"FooterGroup", {{"FtrLeftBut", taLeftJustify}, {"FtrCenterBut", taCenter}, {"FtrRightBut", taRightJustify}}},
};
// The number edits, in the order they are read.
const char *const kNumbers[] = {"LeftEdit", "TopEdit", "RightEdit", "BotEdit", "HdrMarginEdit", "FtrMarginEdit"};
const char *const kTexts[] = {"PageNumEdit", "HeaderEdit", "FooterEdit"};
const char *const kFonts[] = {"PageNumFontDialog", "HeaderFontDialog", "FooterFontDialog"};

QString S(const char *name) { return QString::fromLatin1(name); }

// Without group separators "2,540" and "2.540" are never a thousand times too large.
double StrictNumber(QLocale locale, const QString &text, bool *ok)
{
    locale.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return locale.toDouble(text.trimmed(), ok);
}
QString CText(double v) { return QLocale::c().toString(v, 'f', 3); }
QString LocaleText(double v)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'f', 3);
}

void CheckByTag(PageSetupValues &v, GroupIndex g, int tag)
{
    for (const Radio &r : kGroups[g].buttons)
        if (r.name)
            v.texts[S(r.name)] = r.tag == tag ? QStringLiteral("1") : QStringLiteral("0");
}

// The tag of the checked button, the last one in order; -1 when none is.
int CheckedTag(const PageSetupValues &v, GroupIndex g)
{
    int tag = -1;
    for (const Radio &r : kGroups[g].buttons)
        if (r.name && v.texts.value(S(r.name)) == QLatin1String("1"))
            tag = r.tag;
    return tag;
}

// The plain message box, for a host that gives the dialog no messages of its own.
class BoxMessages : public UserMessages
{
public:
    void showMessage(const QString &text) override { QMessageBox::information(nullptr, ProductName(), text); }
    MsgButton messageBox(const QString &caption, const QString &text, MsgIcon, MsgButtons buttons) override
    {
        if (!(buttons & MsgButton::Yes)) {
            QMessageBox::information(QApplication::activeWindow(), caption, text);
            return MsgButton::Ok;
        }
        const auto b = QMessageBox::warning(QApplication::activeWindow(), caption, text,
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return b == QMessageBox::Yes ? MsgButton::Yes : b == QMessageBox::No ? MsgButton::No : MsgButton::Cancel;
    }
    void errorDialog(const QString &text) override { showMessage(text); }
};

} // namespace

namespace pagesetup {

bool ParseNumber(const QString &text, double *value)
{
    bool ok = false;
    double v = StrictNumber(QLocale::c(), text, &ok);
    if (!ok)
        v = StrictNumber(QLocale(), text, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

QString DefaultsKey()
{
    return QStringLiteral("Software\\") + QCoreApplication::applicationName() + QStringLiteral("\\PageSetupForm");
}

PageSetupValues FromEngine(TPreviewPrinter &engine)
{
    const TTextOptions &o = engine.TextOptions();
    PageSetupValues v;
    CheckByTag(v, gUnits, engine.Units());
    const double numbers[] = {o.MarginLeft, o.MarginTop, o.MarginRight, o.MarginBottom, o.HeaderMargin, o.FooterMargin};
    for (int i = 0; i < 6; ++i)
        v.texts[S(kNumbers[i])] = CText(numbers[i]);
    CheckByTag(v, gOrientation, engine.Orientation);
    CheckByTag(v, gPageNumPos, o.PrintPageNumber);
    CheckByTag(v, gPageNumAlign, o.PageNumAlign);
    CheckByTag(v, gHeaderAlign, o.HeaderAlign);
    CheckByTag(v, gFooterAlign, o.FooterAlign);
    const QString texts[] = {o.PageNumText, o.Header, o.Footer};
    const QFont fonts[] = {o.PageNumFont(), o.HeaderFont(), o.FooterFont()};
    for (int i = 0; i < 3; ++i) {
        v.texts[S(kTexts[i])] = texts[i];
        v.fonts[S(kFonts[i])] = fonts[i];
    }
    return v;
}

void LoadStored(PageSetupValues &values, const QString &key)
{
    const QMap<QString, QString> stored = TFormSettings::StoredValues(key);
    double number = 0;
    for (const char *name : kNumbers)
        if (ParseNumber(stored.value(S(name)), &number))
            values.texts[S(name)] = CText(number);
    for (const char *name : kTexts)
        if (stored.contains(S(name)))
            values.texts[S(name)] = stored.value(S(name));
    int flag = 0;
    for (const Group &g : kGroups)
        for (const Radio &r : g.buttons)
            if (r.name && ParseDecimalInt(stored.value(S(r.name)), &flag))
                values.texts[S(r.name)] = flag ? QStringLiteral("1") : QStringLiteral("0");
    for (const char *name : kFonts) {
        QFont &font = values.fonts[S(name)];
        const QString n = S(name);
        if (!stored.value(n + QStringLiteral("_Name")).isEmpty())
            font.setFamily(stored.value(n + QStringLiteral("_Name")));
        int size = 0;
        if (ParseDecimalInt(stored.value(n + QStringLiteral("_Size")), &size) && size > 0)
            font.setPointSize(size);
        const std::pair<const char *, void (QFont::*)(bool)> styles[] = {
            {"_Bold", &QFont::setBold}, {"_Italic", &QFont::setItalic},
            {"_Underline", &QFont::setUnderline}, {"_StrikeOut", &QFont::setStrikeOut}};
        for (const auto &[suffix, set] : styles)
            if (ParseDecimalInt(stored.value(n + S(suffix)), &flag))
                (font.*set)(flag != 0);
    }
}

QString ToEngine(const PageSetupValues &values, TPreviewPrinter &engine, bool strict, QString *field)
{
    TTextOptions &o = engine.TextOptions();
    double *targets[] = {&o.MarginLeft, &o.MarginTop, &o.MarginRight, &o.MarginBottom, &o.HeaderMargin, &o.FooterMargin};
    double numbers[6];
    bool valid[6];
    for (int i = 0; i < 6; ++i)
        valid[i] = ParseNumber(values.texts.value(S(kNumbers[i])), &numbers[i]) && numbers[i] >= 0;
    const int units = CheckedTag(values, gUnits);
    const int orientation = CheckedTag(values, gOrientation);
    const int pageNumPos = CheckedTag(values, gPageNumPos);
    if (strict) {
        auto refuse = [field](const char *name, const QString &message) {
            if (field)
                *field = S(name);
            return message;
        };
        for (int i = 0; i < 6; ++i) {
            const QString text = values.texts.value(S(kNumbers[i]));
            if (!ParseNumber(text, &numbers[i]))
                return refuse(kNumbers[i], QStringLiteral("'%1' is not a valid floating point value").arg(text));
            if (!valid[i])
                return refuse(kNumbers[i], QStringLiteral("'%1' is not a valid margin: it cannot be negative.").arg(text));
        }
        const double factor = (units < 0 ? engine.Units() : units) == unCentimeters ? 2.54 : 1.0;
        const QSizeF sheet = engine.SheetInches(orientation < 0 ? engine.Orientation : TPrinterOrientation(orientation)) * factor;
        if (numbers[0] + numbers[2] >= sheet.width())
            return refuse("LeftEdit", QStringLiteral("The left and right margins leave no room on the sheet."));
        if (numbers[1] + numbers[3] >= sheet.height())
            return refuse("TopEdit", QStringLiteral("The top and bottom margins leave no room on the sheet."));
        if (numbers[4] >= sheet.height())
            return refuse("HdrMarginEdit", QStringLiteral("The header margin lies beyond the sheet."));
        if (numbers[5] >= sheet.height())
            return refuse("FtrMarginEdit", QStringLiteral("The footer margin lies beyond the sheet."));
        QString error;
        if ((pageNumPos < 0 ? o.PrintPageNumber : pageNumPos) != pnNone)
            FormatPageNumber(values.texts.value(QStringLiteral("PageNumEdit")), 1, &error);
        if (!error.isEmpty())
            return refuse("PageNumEdit", error);
    }
    if (units >= 0)
        engine.SetUnits(TUnits(units));
    for (int i = 0; i < 6; ++i)
        if (valid[i])
            *targets[i] = numbers[i];
    if (orientation >= 0)
        engine.Orientation = TPrinterOrientation(orientation);
    if (pageNumPos >= 0)
        o.PrintPageNumber = TPrintPageNumber(pageNumPos);
    TAlignment *aligns[] = {&o.PageNumAlign, &o.HeaderAlign, &o.FooterAlign};
    for (int i = 0; i < 3; ++i)
        if (const int tag = CheckedTag(values, GroupIndex(gPageNumAlign + i)); tag >= 0)
            *aligns[i] = TAlignment(tag);
    o.PageNumText = values.texts.value(QStringLiteral("PageNumEdit"), o.PageNumText);
    o.Header = values.texts.value(QStringLiteral("HeaderEdit"), o.Header);
    o.Footer = values.texts.value(QStringLiteral("FooterEdit"), o.Footer);
    o.SetPageNumFont(values.fonts.value(S(kFonts[0]), o.PageNumFont()));
    o.SetHeaderFont(values.fonts.value(S(kFonts[1]), o.HeaderFont()));
    o.SetFooterFont(values.fonts.value(S(kFonts[2]), o.FooterFont()));
    return {};
}

} // namespace pagesetup

QString FontCaption(const QFont &font)
{
    return QStringLiteral("%1 %2 pt").arg(font.family()).arg(font.pointSize());
}

void TPageSetupForm::ApplyDefaults(TPreviewPrinter &engine)
{
    PageSetupValues values = pagesetup::FromEngine(engine);
    pagesetup::LoadStored(values, pagesetup::DefaultsKey());
    pagesetup::ToEngine(values, engine, false);
}

TPageSetupForm::TPageSetupForm(TPreviewPrinter *engine, UserMessages *messages, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_messages(messages)
{
    setObjectName(QStringLiteral("PageSetupForm"));
    setWindowTitle(QStringLiteral("Page Setup"));
    ChooseFont = [](QFont &font, QWidget *parent) {
        QFontDialog dialog(font, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        font = dialog.selectedFont();
        return true;
    };
    auto group = [this](const char *name, const QString &title) {
        auto *g = new QGroupBox(title, this);
        g->setObjectName(S(name));
        return g;
    };
    auto radio = [](QWidget *parent, const char *name, const QString &text, int tag) {
        auto *r = new QRadioButton(text, parent);
        r->setObjectName(S(name));
        r->setProperty("tag", tag);
        return r;
    };
    auto edit = [](QWidget *parent, const char *name) {
        auto *e = new QLineEdit(parent);
        e->setObjectName(S(name));
        return e;
    };
    auto labelled = [](QGridLayout *grid, int row, int col, const QString &text, QWidget *w) {
        auto *l = new QLabel(text, w->parentWidget());
        l->setBuddy(w);
        grid->addWidget(l, row, col);
        grid->addWidget(w, row, col + 1);
    };
    auto button = [this](QWidget *parent, const char *name, const QString &text) {
        auto *b = new QPushButton(text, parent);
        b->setObjectName(S(name));
        b->setAutoDefault(false);
        return b;
    };

    QGroupBox *margins = group("PageMarginGroup", QStringLiteral("Page Margins"));
    auto *mg = new QGridLayout(margins);
    InchBut = radio(margins, "InchBut", QStringLiteral("&Inches"), unInches);
    CentBut = radio(margins, "CentBut", QStringLiteral("&Centimeters"), unCentimeters);
    mg->addWidget(InchBut, 0, 0, 1, 2);
    mg->addWidget(CentBut, 0, 2, 1, 2);
    LeftEdit = edit(margins, "LeftEdit");
    RightEdit = edit(margins, "RightEdit");
    TopEdit = edit(margins, "TopEdit");
    BotEdit = edit(margins, "BotEdit");
    labelled(mg, 1, 0, QStringLiteral("&Left"), LeftEdit);
    labelled(mg, 1, 2, QStringLiteral("&Right"), RightEdit);
    labelled(mg, 2, 0, QStringLiteral("&Top"), TopEdit);
    labelled(mg, 2, 2, QStringLiteral("&Bottom"), BotEdit);

    QGroupBox *orient = group("PageOrientGroup", QStringLiteral("Page Orientation"));
    auto *og = new QGridLayout(orient);
    PortBut = radio(orient, "PortBut", QStringLiteral("&Portrait"), poPortrait);
    LandBut = radio(orient, "LandBut", QStringLiteral("Land&scape"), poLandscape);
    auto sheet = [orient](const char *name, int w, int h) {
        auto *f = new QFrame(orient);
        f->setObjectName(S(name));
        f->setFrameShape(QFrame::Box);
        f->setFixedSize(w, h);
        f->setAutoFillBackground(true);
        QPalette p = f->palette();
        p.setColor(QPalette::Window, Qt::white);
        f->setPalette(p);
        return f;
    };
    PortShape = sheet("PortShape", 56, 73);
    LandShape = sheet("LandShape", 73, 56);
    og->addWidget(PortBut, 0, 0);
    og->addWidget(LandBut, 1, 0);
    og->addWidget(PortShape, 0, 1, 2, 1, Qt::AlignCenter);
    og->addWidget(LandShape, 0, 1, 2, 1, Qt::AlignCenter);

    QGroupBox *pageNum = group("PageNumGroup", QStringLiteral("Page Number Options"));
    auto *pg = new QGridLayout(pageNum);
    auto *panel1 = new QWidget(pageNum);
    panel1->setObjectName(QStringLiteral("Panel1"));
    auto *panel2 = new QWidget(pageNum);
    panel2->setObjectName(QStringLiteral("Panel2"));
    for (auto [panel, g] : {std::pair{panel1, gPageNumPos}, std::pair{panel2, gPageNumAlign}}) {
        auto *row = new QHBoxLayout(panel);
        row->setContentsMargins(0, 0, 0, 0);
        static const char *const captions[2][3] = {{"Bottom", "Top", "None"}, {"Left", "Center", "Right"}};
        for (int i = 0; i < 3; ++i)
            row->addWidget(radio(panel, kGroups[g].buttons[i].name, S(captions[g - gPageNumPos][i]),
                                 kGroups[g].buttons[i].tag));
    }
    PageNumEdit = edit(pageNum, "PageNumEdit");
    PageNumFontBut = button(pageNum, "PageNumFontBut", QStringLiteral("&Font..."));
    pg->addWidget(panel1, 0, 0, 1, 2);
    pg->addWidget(panel2, 1, 0, 1, 2);
    pg->addWidget(new QLabel(QStringLiteral("Page Number Text (%d = Page)"), pageNum), 2, 0, 1, 2);
    pg->addWidget(PageNumEdit, 3, 0);
    pg->addWidget(PageNumFontBut, 3, 1);

    auto headFoot = [&](const char *name, const QString &title, const char *text, const QString &textLabel,
                        const char *marginEdit, const QString &marginLabel, GroupIndex g, const char *fontBut,
                        QLineEdit **textOut, QLineEdit **marginOut, QPushButton **fontOut) {
        QGroupBox *box = group(name, title);
        auto *grid = new QGridLayout(box);
        *textOut = edit(box, text);
        *marginOut = edit(box, marginEdit);
        labelled(grid, 0, 0, textLabel, *textOut);
        labelled(grid, 1, 0, marginLabel, *marginOut);
        auto *aligns = new QHBoxLayout;
        static const char *const captions[] = {"Left", "Center", "Right"};
        for (int i = 0; i < 3; ++i)
            aligns->addWidget(radio(box, kGroups[g].buttons[i].name, S(captions[i]), kGroups[g].buttons[i].tag));
        grid->addLayout(aligns, 2, 0, 1, 2);
        *fontOut = button(box, fontBut, QStringLiteral("&Font..."));
        grid->addWidget(*fontOut, 3, 0, 1, 2);
        return box;
    };
    QGroupBox *header = headFoot("HeaderGroup", QStringLiteral("Header Options"), "HeaderEdit", QStringLiteral("&Header"),
                                 "HdrMarginEdit", QStringLiteral("Header &Margin"), gHeaderAlign, "HdrFontBut",
                                 &HeaderEdit, &HdrMarginEdit, &HdrFontBut);
    QGroupBox *footer = headFoot("FooterGroup", QStringLiteral("Footer Options"), "FooterEdit", QStringLiteral("&Footer"),
                                 "FtrMarginEdit", QStringLiteral("Footer &Margin"), gFooterAlign, "FtrFontBut",
                                 &FooterEdit, &FtrMarginEdit, &FtrFontBut);

    PrinterSetupBut = button(this, "PrinterSetupBut", QStringLiteral("Printer &Setup..."));
    OKBut = button(this, "OKBut", QStringLiteral("OK"));
    OKBut->setDefault(true);
    CancelBut = button(this, "CancelBut", QStringLiteral("Cancel"));
    SetDefaultBut = button(this, "SetDefaultBut", QStringLiteral("Set &Default"));
    // The three font dialogs hold plain fonts; a real one is made only when asked for.
    for (const char *name : kFonts) {
        auto *holder = new QWidget(this);
        holder->setObjectName(S(name));
        holder->setProperty("dialogFont", QFont());
        holder->setProperty("fontColor", QColor(Qt::black));
        holder->hide();
    }

    auto *grid = new QGridLayout(this);
    grid->addWidget(margins, 0, 0);
    grid->addWidget(orient, 0, 1);
    grid->addWidget(header, 1, 0);
    grid->addWidget(footer, 1, 1);
    grid->addWidget(pageNum, 2, 0, 1, 2);
    auto *bottom = new QHBoxLayout;
    for (QPushButton *b : {PrinterSetupBut, OKBut, CancelBut, SetDefaultBut})
        bottom->addWidget(b);
    grid->addLayout(bottom, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(PortBut, &QRadioButton::toggled, this, &TPageSetupForm::PortButClick);
    connect(CentBut, &QRadioButton::toggled, this, &TPageSetupForm::UnitsChanged);
    connect(PageNumFontBut, &QPushButton::clicked, this, [this] { FontButClick(PageNumFontBut, Holder(S(kFonts[0]))); });
    connect(HdrFontBut, &QPushButton::clicked, this, [this] { FontButClick(HdrFontBut, Holder(S(kFonts[1]))); });
    connect(FtrFontBut, &QPushButton::clicked, this, [this] { FontButClick(FtrFontBut, Holder(S(kFonts[2]))); });
    connect(PrinterSetupBut, &QPushButton::clicked, this, &TPageSetupForm::PrinterSetupButClick);
    connect(OKBut, &QPushButton::clicked, this, [this] {
        if (ReadControls())
            accept();
    });
    connect(CancelBut, &QPushButton::clicked, this, &QDialog::reject);
    connect(SetDefaultBut, &QPushButton::clicked, this, &TPageSetupForm::SetDefaultButClick);

    FormSettings1 = new TFormSettings(this);
    FormSettings1->LoadValues = true;
    FormSettings1->LoadSettings(); // the stored place; the values are overwritten below
    FillControls();
}

QWidget *TPageSetupForm::Holder(const QString &name) const
{
    return findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
}

PageSetupValues TPageSetupForm::Values() const
{
    PageSetupValues v;
    double number = 0;
    bool cText = false;
    for (const char *name : kNumbers) {
        // Typed in the user's locale: stored as C-locale text; else as typed.
        const QString text = findChild<QLineEdit *>(S(name))->text();
        StrictNumber(QLocale::c(), text, &cText);
        v.texts[S(name)] = !cText && pagesetup::ParseNumber(text, &number) ? CText(number) : text;
    }
    for (const char *name : kTexts)
        v.texts[S(name)] = findChild<QLineEdit *>(S(name))->text();
    for (const Group &g : kGroups)
        for (const Radio &r : g.buttons)
            if (r.name)
                v.texts[S(r.name)] = findChild<QRadioButton *>(S(r.name))->isChecked() ? QStringLiteral("1")
                                                                                       : QStringLiteral("0");
    for (const char *name : kFonts)
        v.fonts[S(name)] = Holder(S(name))->property("dialogFont").value<QFont>();
    return v;
}

void TPageSetupForm::SetValues(const PageSetupValues &v)
{
    m_filling = true;
    double number = 0;
    for (const char *name : kNumbers) {
        const QString text = v.texts.value(S(name));
        findChild<QLineEdit *>(S(name))->setText(pagesetup::ParseNumber(text, &number) ? LocaleText(number) : text);
    }
    for (const char *name : kTexts)
        findChild<QLineEdit *>(S(name))->setText(v.texts.value(S(name)));
    for (const Group &g : kGroups)
        for (const Radio &r : g.buttons) {
            if (!r.name)
                continue;
            // An exclusive button ignores being unchecked: let go of its siblings for the moment.
            auto *b = findChild<QRadioButton *>(S(r.name));
            b->setAutoExclusive(false);
            b->setChecked(v.texts.value(S(r.name)) == QLatin1String("1"));
            b->setAutoExclusive(true);
        }
    QPushButton *buttons[] = {PageNumFontBut, HdrFontBut, FtrFontBut};
    for (int i = 0; i < 3; ++i) {
        const QFont font = v.fonts.value(S(kFonts[i]));
        Holder(S(kFonts[i]))->setProperty("dialogFont", font);
        buttons[i]->setText(FontCaption(font));
    }
    m_centimetres = CentBut->isChecked();
    m_filling = false;
    PortButClick();
}

void TPageSetupForm::FillControls()
{
    SetValues(pagesetup::FromEngine(*m_engine));
}

bool TPageSetupForm::ReadControls()
{
    QString field;
    const QString message = pagesetup::ToEngine(Values(), *m_engine, true, &field);
    if (message.isEmpty())
        return true;
    BoxMessages fallback;
    (m_messages ? m_messages : &fallback)->messageBox(ProductName(), message, MsgIcon::Information, MsgButton::Ok);
    if (auto *e = findChild<QLineEdit *>(field)) {
        e->setFocus();
        e->selectAll();
    }
    return false;
}

void TPageSetupForm::PortButClick()
{
    PortShape->setVisible(PortBut->isChecked());
    LandShape->setVisible(!PortBut->isChecked());
}

void TPageSetupForm::UnitsChanged()
{
    // The shown margins follow the unit, so switching it keeps the page as it is.
    if (m_filling || CentBut->isChecked() == m_centimetres)
        return;
    m_centimetres = CentBut->isChecked();
    const double factor = m_centimetres ? 2.54 : 1 / 2.54;
    double number = 0;
    for (const char *name : kNumbers) {
        QLineEdit *e = findChild<QLineEdit *>(S(name));
        if (pagesetup::ParseNumber(e->text(), &number))
            e->setText(LocaleText(number * factor));
    }
}

void TPageSetupForm::FontButClick(QPushButton *button, QWidget *holder)
{
    QFont font = holder->property("dialogFont").value<QFont>();
    if (!ChooseFont(font, this))
        return;
    holder->setProperty("dialogFont", font);
    button->setText(FontCaption(font));
}

void TPageSetupForm::NumbersToText(bool cLocale)
{
    double number = 0;
    for (const char *name : kNumbers) {
        QLineEdit *e = findChild<QLineEdit *>(S(name));
        if (pagesetup::ParseNumber(e->text(), &number))
            e->setText(cLocale ? CText(number) : LocaleText(number));
    }
}

void TPageSetupForm::SetDefaultButClick()
{
    BoxMessages fallback;
    const MsgButton answer = (m_messages ? m_messages : &fallback)
                                 ->messageBox(ProductName(),
                                              QStringLiteral("Are you sure you want to save these values as the "
                                                             "Default Settings?"),
                                              MsgIcon::Warning, MsgButton::Yes | MsgButton::No | MsgButton::Cancel);
    if (answer != MsgButton::Yes)
        return;
    // Stored numbers read the same whatever the user's locale.
    NumbersToText(true);
    FormSettings1->SaveValues = true;
    FormSettings1->SaveSettings();
    FormSettings1->SaveValues = false;
    NumbersToText(false);
}

void TPageSetupForm::PrinterSetupButClick()
{
    QPageSetupDialog dialog(m_engine->ReferencePrinter(), this);
    dialog.exec();
}
