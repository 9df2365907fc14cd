#include "settings/Registry.h"

#include "settings/FontFallback.h"
#include "settings/Product.h"
#include "settings/SettingsTable.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {

const QString kOrganisation = QStringLiteral("Corvanta");

QString SettingsKey(const QString &section, const QString &name)
{
    const QString group = SettingsGroup(section);
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

// The stored text of a value, whatever type the store holds it as; a
// registry string is cut at its first zero like the Windows API does.
QString TextOf(const QVariant &value)
{
    QString text;
    if (value.typeId() == QMetaType::QStringList)
        // An INI line "a, b" written by hand reads back as a list.
        text = value.toStringList().join(QStringLiteral(", "));
    else if (value.canConvert<QString>())
        text = value.toString();
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

} // namespace

std::unique_ptr<QSettings> OpenSettings()
{
    // NativeFormat + UserScope is HKEY_CURRENT_USER\Software\Corvanta\<product>
    // on Windows and $XDG_CONFIG_HOME/Corvanta/<product>.conf elsewhere.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                                       ProductName());
}

QString SettingsGroup(const QString &section)
{
    // QSettings splits only at "/" and would keep "\Options" as a group of
    // its own, so every spelling is brought to "A/B".
    QString s = section;
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

bool ParseDecimalInt(const QString &text, int *value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (ok && value)
        *value = v;
    return ok;
}

bool IsColorValue(qint64 value) { return value >= 0 && value <= 0xFFFFFF; }

QString GetRegistryValue(const QString &section, const QString &name, const QString &def)
{
    const auto store = OpenSettings();
    const QString text = TextOf(store->value(SettingsKey(section, name)));
    return text.isEmpty() ? def : text;
}

void SetRegistryValue(const QString &subPath, const QString &name, const QString &text)
{
    const auto store = OpenSettings();
    const QString key = SettingsKey(subPath, name);
    const QVariant old = store->value(key);
    // Skip the write when nothing changes, but do replace a value of another
    // type (a registry number) by the string.
    if (old.typeId() == QMetaType::QString && old.toString() == text)
        return;
    store->setValue(key, text);
}

QString GetStartupFileOption()
{
    return settings::ReadText(settings::Setting::StartupFile);
}

int GetRegistryInt(const QString &section, const QString &name, int def)
{
    int value = def;
    if (!ParseDecimalInt(GetRegistryValue(section, name, QString()), &value))
        return def;
    return value;
}

QColor GetRegistryColor(const QString &section, const QString &name, const QColor &def)
{
    int value = 0;
    if (!ParseDecimalInt(GetRegistryValue(section, name, QString()), &value) || !IsColorValue(value))
        return def;
    return ColorFromValue(value);
}

void GetDefaultFont(QFont &font, QColor &color, bool forEditor)
{
    using settings::FontProperty;
    const auto setting = [forEditor](FontProperty p) { return settings::FontSetting(forEditor, p); };

    // Underline and strike-out are never stored, so a saved font loses them.
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);

    int size = settings::ReadInt(setting(FontProperty::Size));
    if (size <= 0)
        size = 8;
    font.setPointSize(size);

    SetFontFace(font, settings::ReadText(setting(FontProperty::Name)));
    font.setBold(settings::ReadFlag(setting(FontProperty::Bold)));
    font.setItalic(settings::ReadFlag(setting(FontProperty::Italic)));
    color = settings::ReadColor(setting(FontProperty::Color));
}

QColor ColorFromValue(qint64 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

qint64 ValueFromColor(const QColor &color)
{
    if (!color.isValid())
        return 0;
    const QColor rgb = color.toRgb();
    return qint64(rgb.red()) | (qint64(rgb.green()) << 8) | (qint64(rgb.blue()) << 16);
}

QColor &EditColor()
{
    static QColor color(Qt::white);
    return color;
}

QColor &TreeColor()
{
    static QColor color(Qt::white);
    return color;
}

void LoadPanelColors()
{
    EditColor() = settings::ReadColor(settings::Setting::EditBackground);
    TreeColor() = settings::ReadColor(settings::Setting::TreeBackground);
}
