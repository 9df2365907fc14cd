#pragma once
#include <QColor>
#include <QString>

// The whole layout of the settings store in one table: every value the
// program keeps, with the key it lives in and the text that stands for it
// when it is absent or empty. Keys are below the base key
// "Software\Corvanta\<product name>".
namespace settings {

enum class Setting {
    StartupFile,     // "1" new file, "2" most recent file, "3" StartupFilePath
    StartupFilePath,
    Pwd,             // salted hash of the start-up password; empty = none
    EditName,
    TreeName,
    EditSize,        // points, decimal text
    TreeSize,
    EditColor,       // text colour, decimal colour value
    TreeColor,
    EditBold,        // "True" / "False"
    TreeBold,
    EditItalic,
    TreeItalic,
    EditBackground,  // "Options\Colors" "Edit"
    TreeBackground,  // "Options\Colors" "Tree"
    RecentFile1,
    RecentFile2,
    RecentFile3,
    RecentFile4,
    Left,            // main window placement (integers)
    Top,
    Width,
    Height,
    TreeWidth,
    State,           // "wsNormal", "wsMinimized", "wsMaximized"; empty = maximized
    LastFolder,      // where the file dialogs were last confirmed; kept, like the
                     // placement, when the options go back to their defaults
    Backups,         // previous versions Save keeps, "0" to "9"; others read as 3
};

struct SettingInfo {
    Setting id;
    const char *section; // "Options", "Options\Fonts", ...
    const char *name;
    const char *def;     // the text that stands for a missing or empty value
};

// The row of `id`.
const SettingInfo &Info(Setting id);
// All rows, in the order of the enumeration.
const SettingInfo *AllSettings(int *count);

// Typed reads. None of them writes anything back; a value that cannot be
// read as its type gives the table's default.
QString ReadText(Setting id);
int ReadInt(Setting id);
bool ReadFlag(Setting id);    // exactly "True"
QColor ReadColor(Setting id); // red in the lowest byte

// Typed writes, as decimal text and "True"/"False". Unchanged values are
// not written again.
void WriteText(Setting id, const QString &text);
void WriteInt(Setting id, int value);
void WriteFlag(Setting id, bool value);
void WriteColor(Setting id, const QColor &color);

enum class FontProperty { Name, Size, Color, Bold, Italic };

// A value of the editor's ("Edit...") or the explorer's ("Tree...") font set.
Setting FontSetting(bool forEditor, FontProperty property);

} // namespace settings
