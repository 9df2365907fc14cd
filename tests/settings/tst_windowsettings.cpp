#include "settings/FormSettings.h"
#include "settings/Registry.h"
#include "settings/SettingsTable.h"
#include "settings/WindowPosition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

using settings::Setting;

class TestWindowSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    static constexpr Setting kPosition[] = {Setting::Left, Setting::Top, Setting::Width, Setting::Height, Setting::TreeWidth, Setting::State};

private Q_SLOTS:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path()); }
    void init() { OpenSettings()->clear(); }

    void fitPlacement_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("treeWidth");
        QTest::addColumn<QRect>("fitted");
        QTest::addColumn<int>("fittedTree");
        QTest::newRow("on the second screen") << QRect(2000, 100, 800, 600) << 200 << QRect(2000, 100, 800, 600) << 200;
        QTest::newRow("off every screen") << QRect(5000, -900, 800, 600) << 200 << QRect(0, 0, 800, 600) << 200;
        QTest::newRow("no width or height") << QRect(100, 100, 0, -5) << 159 << QRect(100, 100, 626, 461) << 159;
        QTest::newRow("larger than the screen") << QRect(0, 0, 5000, 3000) << 159 << QRect(0, 0, 1920, 1080) << 159;
        QTest::newRow("explorer below its minimum") << QRect(0, 0, 800, 600) << 10 << QRect(0, 0, 800, 600) << 90;
        QTest::newRow("explorer leaves no editor") << QRect(0, 0, 800, 600) << 790 << QRect(0, 0, 800, 600) << 700;
    }
    void fitPlacement()
    {
        QFETCH(QRect, rect);
        QFETCH(int, treeWidth);
        QFETCH(QRect, fitted);
        QFETCH(int, fittedTree);
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        const WindowPlacement p = FitWindowPlacement({rect, treeWidth, Qt::WindowNoState}, screens, screens[0], 90);
        QCOMPARE(p.rect, fitted);
        QCOMPARE(p.treeWidth, fittedTree);
    }

    // What is read, and what is written back after the window ends in a
    // state: a maximized or minimized window keeps its normal rectangle,
    // and minimized is stored as normal.
    void placementRoundTrip_data()
    {
        QTest::addColumn<QStringList>("stored"); // Left, Top, Width, Height, TreeWidth, State; "-" absent
        QTest::addColumn<int>("loadedState");
        QTest::addColumn<int>("endState");
        QTest::addColumn<QStringList>("saved");
        const int normal = Qt::WindowNoState, maximized = Qt::WindowMaximized;
        QTest::newRow("first run") << QStringList{} << maximized << maximized << QStringList{"7", "8", "626", "461", "159", "wsMaximized"};
        QTest::newRow("normal") << QStringList{"30", "40", "600", "400", "150", "wsNormal"} << normal << normal << QStringList{"30", "40", "600", "400", "150", "wsNormal"};
        QTest::newRow("ends minimized") << QStringList{"30", "40", "600", "400", "150", "wsNormal"} << normal << int(Qt::WindowMinimized) << QStringList{"30", "40", "600", "400", "150", "wsNormal"};
        QTest::newRow("TreeWidth absent: all defaults") << QStringList{"30", "40", "600", "400", "-", "wsNormal"} << normal << normal << QStringList{"7", "8", "626", "461", "159", "wsNormal"};
        QTest::newRow("malformed: all defaults") << QStringList{"30", "x", "600", "400", "150", "wsNormal"} << normal << normal << QStringList{"7", "8", "626", "461", "159", "wsNormal"};
        QTest::newRow("state in lower case") << QStringList{"30", "40", "600", "400", "150", "wsmaximized"} << maximized << maximized << QStringList{"30", "40", "600", "400", "150", "wsMaximized"};
        QTest::newRow("state names none") << QStringList{"30", "40", "600", "400", "150", "big"} << maximized << int(Qt::WindowMinimized) << QStringList{"30", "40", "600", "400", "150", "wsNormal"};
    }
    void placementRoundTrip()
    {
        QFETCH(QStringList, stored);
        QFETCH(int, loadedState);
        QFETCH(int, endState);
        QFETCH(QStringList, saved);
        for (int i = 0; i < stored.size(); ++i)
            if (stored[i] != QLatin1String("-"))
                settings::WriteText(kPosition[i], stored[i]);
        QSplitter form; // the window is its own splitter
        form.addWidget(new QWidget);
        form.addWidget(new QWidget);
        form.widget(0)->setMinimumWidth(90);
        form.setStretchFactor(1, 1);
        LoadWindowPosition(&form, &form);
        QCOMPARE(int(form.windowState()), loadedState);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.setWindowState(Qt::WindowState(endState));
        SaveWindowPosition(&form, &form);
        QStringList read;
        for (Setting id : kPosition)
            read << settings::ReadText(id);
        QCOMPARE(read, saved);
    }

    // All seven kinds of control load and save again by name; malformed
    // values leave the control as it was.
    void formSettingsRoundTrip()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("PageSetupForm"));
        const QList<QWidget *> controls{new QLineEdit(&form), new QPlainTextEdit(&form), new QCheckBox(&form),
                                        new QRadioButton(&form), new QRadioButton(&form), new QListWidget(&form),
                                        new QComboBox(&form), new QFontDialog(&form)};
        const QStringList names{"edit", "memo", "check", "radio1", "radio2", "list", "combo", "dlgFont"};
        for (int i = 0; i < names.size(); ++i)
            controls[i]->setObjectName(names[i]);
        static_cast<QRadioButton *>(controls[3])->setChecked(true);
        static_cast<QListWidget *>(controls[5])->addItems({"a", "b", "c"});
        static_cast<QComboBox *>(controls[6])->addItems({"x", "y", "z"}); // index 0
        form.setGeometry(0, 0, 100, 100);
        QMap<QString, QString> values{{"edit", "header"}, {"memo", "one\ntwo"}, {"check", "1"}, {"radio1", "0"},
            {"radio2", "0"}, {"list", "2"}, {"combo", "y"}, {"dlgFont_Name", "DejaVu Serif"}, {"dlgFont_Size", "14"},
            {"dlgFont_Color", "255"}, {"dlgFont_Bold", "0"}, {"dlgFont_Italic", "1"}, {"dlgFont_Underline", "1"},
            {"dlgFont_StrikeOut", "off"}};
        // The key is named after the application and the form.
        QSettings raw(QStringLiteral("tst_windowsettings"), QStringLiteral("PageSetupForm"));
        for (auto v = values.cbegin(); v != values.cend(); ++v)
            raw.setValue(QStringLiteral("Values/") + v.key(), v.value());
        for (const auto &[name, value] : {std::pair{"Left", "50"}, {"Top", "60"}, {"Width", "wide"}, {"Height", "200"}})
            raw.setValue(QStringLiteral("Position/") + QLatin1String(name), QLatin1String(value));
        raw.sync();

        TFormSettings formSettings(&form);
        formSettings.LoadValues = formSettings.SaveValues = true;
        formSettings.LoadSettings();
        QCOMPARE(QRect(form.pos(), form.size()), QRect(50, 60, 100, 200));
        raw.clear();
        raw.sync();
        // Saved while maximized: the bounds of the last normal save stay.
        form.setWindowState(Qt::WindowMaximized);
        formSettings.SaveSettings();
        raw.sync();
        values["combo"] = "0";
        values["dlgFont_StrikeOut"] = "0";
        QMap<QString, QString> saved;
        for (const QString &key : raw.allKeys())
            saved[key] = raw.value(key).toString();
        QCOMPARE(saved.take(QStringLiteral("Position/WindowState")), QStringLiteral("MAXIMIZED"));
        for (auto v = values.cbegin(); v != values.cend(); ++v)
            QCOMPARE(saved.take(QStringLiteral("Values/") + v.key()), v.value());
        QCOMPARE(saved, (QMap<QString, QString>()));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
