#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <memory>

class QSettings;

// The settings store: the user's settings under "Software\Corvanta\" + the
// product name, kept by QSettings (organisation "Corvanta", application
// "Quivora"). Section and sub-path may be written with or without a leading
// "\" and with "\" or "/" between parts; all spellings name one key.

// The string value `name` of `section` ("Options", "Options\Colors"); the
// default when it is missing or empty.
QString GetRegistryValue(const QString &section, const QString &name, const QString &def);
// Writes `text` as the value `name` of the key at `subPath` ("\Options").
void SetRegistryValue(const QString &subPath, const QString &name, const QString &text);
// "StartupFile" of "Options"; empty when unset.
QString GetStartupFileOption();
// Fills font and colour from the "Edit" set (forEditor) or the "Tree" set.
void GetDefaultFont(QFont &font, QColor &color, bool forEditor);

// Stored colours keep red in the lowest byte, then green, then blue.
QColor ColorFromValue(qint64 value);
qint64 ValueFromColor(const QColor &color);

// The background colours of the editor and the explorer, as last applied.
QColor &EditColor();
QColor &TreeColor();

// Reads EditColor and TreeColor from "Options\Colors" (white when absent or
// malformed), as the main window does once at its creation.
void LoadPanelColors();

// Typed reads on top of GetRegistryValue. A value that is not a decimal
// integer (or, for colours, not a colour value from 0 to 16777215) gives
// the default: a damaged setting must never stop the program from starting.
int GetRegistryInt(const QString &section, const QString &name, int def);
QColor GetRegistryColor(const QString &section, const QString &name, const QColor &def);

// The settings of the current user, opened fresh for one access so that a
// value written elsewhere is seen by the next read. Registry on Windows,
// an INI file elsewhere.
std::unique_ptr<QSettings> OpenSettings();
// The QSettings group a section or sub-path names: "\Options" and "Options"
// give "Options"; "\Options\Fonts", "Options/Fonts/" give "Options/Fonts".
QString SettingsGroup(const QString &section);
// A signed 32-bit decimal integer, surrounding blanks allowed; false for
// anything else.
bool ParseDecimalInt(const QString &text, int *value);
// True for the values a stored colour may take (0 .. 0xFFFFFF).
bool IsColorValue(qint64 value);
