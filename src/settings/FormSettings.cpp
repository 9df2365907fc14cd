#include "settings/FormSettings.h"

#include "settings/Registry.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTextEdit>
#include <QWidget>
#include <memory>

namespace {

// "Software\A\B\C": organisation A, application B, group "C".
std::unique_ptr<QSettings> OpenKey(const QString &key, QString *group)
{
    QStringList parts = SettingsGroup(key).split(QLatin1Char('/'));
    if (!parts.isEmpty() && parts.constFirst().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    const QString organisation = parts.value(0);
    const QString application = parts.value(1);
    *group = parts.mid(2).join(QLatin1Char('/'));
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
}

// The stored integer, or `def` when it is absent or not a decimal integer.
int ReadInt(QSettings &store, const QString &key, int def)
{
    int value = def;
    return ParseDecimalInt(store.value(key).toString(), &value) ? value : def;
}

bool ReadBool(QSettings &store, const QString &key, bool def) { return ReadInt(store, key, def ? 1 : 0) != 0; }

QString Flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// An exclusive button ignores being unchecked: take it out of its
// exclusivity for the moment.
void SetChecked(QAbstractButton *button, bool on)
{
    if (button->isChecked() == on)
        return;
    QButtonGroup *group = button->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (group)
        group->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(on);
    button->setAutoExclusive(autoExclusive);
    if (group)
        group->setExclusive(groupExclusive);
}

// Named by the form, not parts of Qt's own widgets ("qt_spinbox_lineedit").
bool IsOwnControl(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// A font dialog's font and colour are kept beside it, as the form last
// chose them: what the dialog shows depends on the faces installed.
const char *const kFontColor = "fontColor";
const char *const kDialogFont = "dialogFont";

QFont DialogFont(const QWidget *w)
{
    const QVariant kept = w->property(kDialogFont);
    if (kept.canConvert<QFont>())
        return kept.value<QFont>();
    const auto *d = qobject_cast<const QFontDialog *>(w);
    return d ? d->currentFont() : QFont();
}

// A font dialog, or a light stand-in holding the font the dialog would show
// (a form that makes its font dialog only when the user asks for it).
bool IsFontHolder(const QWidget *w)
{
    return IsOwnControl(w->objectName())
           && (qobject_cast<const QFontDialog *>(w) || w->property(kDialogFont).canConvert<QFont>());
}

} // namespace

TFormSettings::TFormSettings(QWidget *ownerForm) : QObject(ownerForm)
{
    setObjectName(QStringLiteral("FormSettings1"));
}

QWidget *TFormSettings::form() const
{
    auto *owner = qobject_cast<QWidget *>(parent());
    return owner && owner->isWindow() ? owner : nullptr;
}

QString TFormSettings::KeyName() const
{
    if (!m_keyName.isEmpty() || !QCoreApplication::instance() || !parent())
        return m_keyName;
    return QStringLiteral("Software\\") + QCoreApplication::applicationName() + QLatin1Char('\\')
           + parent()->objectName();
}

QMap<QString, QString> TFormSettings::StoredValues(const QString &key)
{
    QString group;
    const auto store = OpenKey(key, &group);
    store->beginGroup(group);
    store->beginGroup(QStringLiteral("Values"));
    QMap<QString, QString> values;
    for (const QString &name : store->childKeys())
        values.insert(name, store->value(name).toString());
    return values;
}

void TFormSettings::LoadSettings()
{
    QWidget *f = form();
    if (!f)
        return;
    QString group;
    const auto store = OpenKey(KeyName(), &group);
    store->beginGroup(group);
    if (SavePosition) {
        store->beginGroup(QStringLiteral("Position"));
        const QRect now(f->pos(), f->size());
        const QRect r(ReadInt(*store, QStringLiteral("Left"), now.left()), ReadInt(*store, QStringLiteral("Top"), now.top()),
                      ReadInt(*store, QStringLiteral("Width"), now.width()),
                      ReadInt(*store, QStringLiteral("Height"), now.height()));
        f->move(r.topLeft());
        f->resize(r.size());
        const QString state = store->value(QStringLiteral("WindowState"), QStringLiteral("Normal")).toString().toUpper();
        f->setWindowState(state == QLatin1String("MAXIMIZED")   ? Qt::WindowMaximized
                          : state == QLatin1String("MINIMIZED") ? Qt::WindowMinimized
                                                                 : Qt::WindowNoState);
        store->endGroup();
    }
    if (LoadValues) {
        store->beginGroup(QStringLiteral("Values"));
        LoadControlValues(*store);
        store->endGroup();
    }
}

void TFormSettings::SaveSettings()
{
    QWidget *f = form();
    if (!f)
        return;
    QString group;
    const auto store = OpenKey(KeyName(), &group);
    store->beginGroup(group);
    if (SavePosition) {
        store->beginGroup(QStringLiteral("Position"));
        // A maximized or minimized form keeps the bounds of its last normal save.
        if (f->windowState() == Qt::WindowNoState) {
            store->setValue(QStringLiteral("Left"), QString::number(f->x()));
            store->setValue(QStringLiteral("Top"), QString::number(f->y()));
            store->setValue(QStringLiteral("Width"), QString::number(f->width()));
            store->setValue(QStringLiteral("Height"), QString::number(f->height()));
        }
        const Qt::WindowStates s = f->windowState();
        store->setValue(QStringLiteral("WindowState"), s & Qt::WindowMinimized   ? QStringLiteral("MINIMIZED")
                                                       : s & Qt::WindowMaximized ? QStringLiteral("MAXIMIZED")
                                                                                  : QStringLiteral("NORMAL"));
        store->endGroup();
    }
    if (SaveValues) {
        store->beginGroup(QStringLiteral("Values"));
        SaveControlValues(*store);
        store->endGroup();
    }
}

void TFormSettings::LoadControlValues(QSettings &store)
{
    QWidget *root = RootControl ? RootControl : form();
    const QList<QWidget *> controls = root->findChildren<QWidget *>();
    const TSaveValSet kinds = SaveValueOptions;
    for (QWidget *w : controls) {
        const QString name = w->objectName();
        if (!IsOwnControl(name))
            continue;
        if (auto *e = qobject_cast<QLineEdit *>(w); e && kinds & TSaveVal::svEdit)
            e->setText(store.value(name, e->text()).toString());
        else if (auto *m = qobject_cast<QPlainTextEdit *>(w); m && kinds & TSaveVal::svMemo)
            m->setPlainText(store.value(name, m->toPlainText()).toString());
        else if (auto *t = qobject_cast<QTextEdit *>(w); t && kinds & TSaveVal::svMemo)
            t->setPlainText(store.value(name, t->toPlainText()).toString());
        else if (auto *c = qobject_cast<QCheckBox *>(w); c && kinds & TSaveVal::svCheckBox)
            SetChecked(c, ReadBool(store, name, c->isChecked()));
        else if (auto *r = qobject_cast<QRadioButton *>(w); r && kinds & TSaveVal::svRadioButton)
            SetChecked(r, ReadBool(store, name, r->isChecked()));
        else if (auto *l = qobject_cast<QListWidget *>(w); l && kinds & TSaveVal::svListBox)
            l->setCurrentRow(ReadInt(store, name, l->currentRow()));
        else if (auto *b = qobject_cast<QComboBox *>(w); b && kinds & TSaveVal::svComboBox)
            b->setCurrentIndex(ReadInt(store, name, b->currentIndex()));
    }
    if (!(kinds & TSaveVal::svFontDialog))
        return;
    for (QWidget *w : controls) {
        auto *d = qobject_cast<QFontDialog *>(w);
        if (!IsFontHolder(w))
            continue;
        const QString n = w->objectName();
        QFont font = DialogFont(w);
        font.setFamily(store.value(n + QStringLiteral("_Name"), font.family()).toString());
        font.setPointSize(ReadInt(store, n + QStringLiteral("_Size"), font.pointSize()));
        const int color = ReadInt(store, n + QStringLiteral("_Color"), int(ValueFromColor(w->property(kFontColor).value<QColor>())));
        font.setBold(ReadBool(store, n + QStringLiteral("_Bold"), font.bold()));
        font.setItalic(ReadBool(store, n + QStringLiteral("_Italic"), font.italic()));
        font.setUnderline(ReadBool(store, n + QStringLiteral("_Underline"), font.underline()));
        font.setStrikeOut(ReadBool(store, n + QStringLiteral("_StrikeOut"), font.strikeOut()));
        if (d)
            d->setCurrentFont(font);
        w->setProperty(kDialogFont, font);
        if (IsColorValue(color))
            w->setProperty(kFontColor, ColorFromValue(color));
    }
}

void TFormSettings::SaveControlValues(QSettings &store)
{
    QWidget *root = RootControl ? RootControl : form();
    const QList<QWidget *> controls = root->findChildren<QWidget *>();
    const TSaveValSet kinds = SaveValueOptions;
    for (QWidget *w : controls) {
        const QString name = w->objectName();
        if (!IsOwnControl(name))
            continue;
        if (auto *e = qobject_cast<QLineEdit *>(w); e && kinds & TSaveVal::svEdit)
            store.setValue(name, e->text());
        else if (auto *m = qobject_cast<QPlainTextEdit *>(w); m && kinds & TSaveVal::svMemo)
            store.setValue(name, m->toPlainText());
        else if (auto *t = qobject_cast<QTextEdit *>(w); t && kinds & TSaveVal::svMemo)
            store.setValue(name, t->toPlainText());
        else if (auto *c = qobject_cast<QCheckBox *>(w); c && kinds & TSaveVal::svCheckBox)
            store.setValue(name, Flag(c->isChecked()));
        else if (auto *r = qobject_cast<QRadioButton *>(w); r && kinds & TSaveVal::svRadioButton)
            store.setValue(name, Flag(r->isChecked()));
        else if (auto *l = qobject_cast<QListWidget *>(w); l && kinds & TSaveVal::svListBox)
            store.setValue(name, QString::number(l->currentRow()));
        else if (auto *b = qobject_cast<QComboBox *>(w); b && kinds & TSaveVal::svComboBox)
            store.setValue(name, QString::number(b->currentIndex()));
    }
    if (!(kinds & TSaveVal::svFontDialog))
        return;
    for (QWidget *w : controls) {
        if (!IsFontHolder(w))
            continue;
        const QString n = w->objectName();
        const QFont font = DialogFont(w);
        store.setValue(n + QStringLiteral("_Name"), font.family());
        store.setValue(n + QStringLiteral("_Size"), QString::number(font.pointSize()));
        store.setValue(n + QStringLiteral("_Color"), QString::number(ValueFromColor(w->property(kFontColor).value<QColor>())));
        store.setValue(n + QStringLiteral("_Bold"), Flag(font.bold()));
        store.setValue(n + QStringLiteral("_Italic"), Flag(font.italic()));
        store.setValue(n + QStringLiteral("_Underline"), Flag(font.underline()));
        store.setValue(n + QStringLiteral("_StrikeOut"), Flag(font.strikeOut()));
    }
}
