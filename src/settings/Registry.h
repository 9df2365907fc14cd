#pragma once
#include <QColor>
#include <QFont>
#include <QString>

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
