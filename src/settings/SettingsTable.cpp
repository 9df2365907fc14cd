#include "settings/SettingsTable.h"

#include "settings/Registry.h"

#include <iterator>

namespace settings {
namespace {

using S = Setting;

// Defaults are the texts of the original layout, also for the numbers, so a
// caller of GetRegistryValue and a typed read agree on them.
constexpr SettingInfo kTable[] = {
    {S::StartupFile, "Options", "StartupFile", ""},
    {S::StartupFilePath, "Options", "StartupFilePath", ""},
    {S::Pwd, "Options", "Pwd", ""},
    {S::EditName, "Options\\Fonts", "EditName", "MS Sans Serif"},
    {S::TreeName, "Options\\Fonts", "TreeName", "MS Sans Serif"},
    {S::EditSize, "Options\\Fonts", "EditSize", "8"},
    {S::TreeSize, "Options\\Fonts", "TreeSize", "8"},
    {S::EditColor, "Options\\Fonts", "EditColor", "0"},
    {S::TreeColor, "Options\\Fonts", "TreeColor", "0"},
    {S::EditBold, "Options\\Fonts", "EditBold", "False"},
    {S::TreeBold, "Options\\Fonts", "TreeBold", "False"},
    {S::EditItalic, "Options\\Fonts", "EditItalic", "False"},
    {S::TreeItalic, "Options\\Fonts", "TreeItalic", "False"},
    {S::EditBackground, "Options\\Colors", "Edit", "16777215"},
    {S::TreeBackground, "Options\\Colors", "Tree", "16777215"},
    {S::RecentFile1, "Files", "RecentFile1", ""},
    {S::RecentFile2, "Files", "RecentFile2", ""},
    {S::RecentFile3, "Files", "RecentFile3", ""},
    {S::RecentFile4, "Files", "RecentFile4", ""},
    {S::Left, "Position", "Left", "7"},
    {S::Top, "Position", "Top", "8"},
    {S::Width, "Position", "Width", "626"},
    {S::Height, "Position", "Height", "461"},
    {S::TreeWidth, "Position", "TreeWidth", "159"},
    {S::State, "Position", "State", ""},
    {S::LastFolder, "Options", "LastFolder", ""},
    {S::Backups, "Options", "Backups", "3"},
};

constexpr bool TableInEnumOrder()
{
    for (int i = 0; i < int(std::size(kTable)); ++i)
        if (int(kTable[i].id) != i)
            return false;
    return true;
}
static_assert(TableInEnumOrder(), "kTable rows must follow the order of Setting");
static_assert(std::size(kTable) == std::size_t(Setting::Backups) + 1, "a Setting has no row");

QString Section(const SettingInfo &row) { return QString::fromLatin1(row.section); }
QString Name(const SettingInfo &row) { return QString::fromLatin1(row.name); }
QString Default(const SettingInfo &row) { return QString::fromLatin1(row.def); }

} // namespace

const SettingInfo &Info(Setting id) { return kTable[int(id)]; }

const SettingInfo *AllSettings(int *count)
{
    if (count)
        *count = int(std::size(kTable));
    return kTable;
}

QString ReadText(Setting id)
{
    const SettingInfo &row = Info(id);
    return GetRegistryValue(Section(row), Name(row), Default(row));
}

int ReadInt(Setting id)
{
    const SettingInfo &row = Info(id);
    int def = 0;
    ParseDecimalInt(Default(row), &def);
    return GetRegistryInt(Section(row), Name(row), def);
}

bool ReadFlag(Setting id)
{
    // Case matters: "true" is not set.
    return ReadText(id) == QLatin1String("True");
}

QColor ReadColor(Setting id)
{
    const SettingInfo &row = Info(id);
    int def = 0;
    ParseDecimalInt(Default(row), &def);
    return GetRegistryColor(Section(row), Name(row), ColorFromValue(def));
}

void WriteText(Setting id, const QString &text)
{
    const SettingInfo &row = Info(id);
    SetRegistryValue(Section(row), Name(row), text);
}

void WriteInt(Setting id, int value) { WriteText(id, QString::number(value)); }

void WriteFlag(Setting id, bool value)
{
    WriteText(id, value ? QStringLiteral("True") : QStringLiteral("False"));
}

void WriteColor(Setting id, const QColor &color) { WriteText(id, QString::number(ValueFromColor(color))); }

Setting FontSetting(bool forEditor, FontProperty property)
{
    switch (property) {
    case FontProperty::Name: return forEditor ? S::EditName : S::TreeName;
    case FontProperty::Size: return forEditor ? S::EditSize : S::TreeSize;
    case FontProperty::Color: return forEditor ? S::EditColor : S::TreeColor;
    case FontProperty::Bold: return forEditor ? S::EditBold : S::TreeBold;
    case FontProperty::Italic: return forEditor ? S::EditItalic : S::TreeItalic;
    }
    return S::EditName;
}

} // namespace settings
