#pragma once
#include <QFlags>
#include <QMap>
#include <QObject>
#include <QString>

class QSettings;
class QWidget;

enum class TSaveVal { svEdit = 1, svMemo = 2, svCheckBox = 4, svRadioButton = 8, svListBox = 16,
                      svComboBox = 32, svFontDialog = 64 };
Q_DECLARE_FLAGS(TSaveValSet, TSaveVal)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSaveValSet)

// Remembers a form's position and, on request, the values of its controls
// (line edits, text edits, check boxes, radio buttons, list widgets, combo
// boxes and font dialogs, by object name; a font dialog's font and colour
// are its properties "dialogFont" and "fontColor"; any widget holding a
// "dialogFont" stands in for a font dialog) under a key of its own:
// "Software\A\B" is organisation A, application B. The form calls
// LoadSettings once its controls exist, and SaveSettings when it wants.
class TFormSettings : public QObject
{
    Q_OBJECT
public:
    explicit TFormSettings(QWidget *ownerForm);

    bool SavePosition = true;
    bool SaveValues = false;
    bool LoadValues = false;
    TSaveValSet SaveValueOptions = TSaveValSet(0x7F);
    // The control whose children are scanned; none means the owner form.
    QWidget *RootControl = nullptr;

    // "Software\" + the application's name + "\" + the owner's object name
    // while no key was set.
    QString KeyName() const;
    void setKeyName(const QString &key) { m_keyName = key; }

    void LoadSettings();
    void SaveSettings();
    // The values stored under `key`, by control name, read without a form.
    static QMap<QString, QString> StoredValues(const QString &key);

private:
    QWidget *form() const;
    void LoadControlValues(QSettings &store);
    void SaveControlValues(QSettings &store);

    QString m_keyName;
};
