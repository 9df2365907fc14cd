#include "settings/FormSettings.h"
#include "settings/Password.h"
#include "settings/Registry.h"
#include "settings/SettingsTable.h"
#include "settings/WindowPosition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using settings::Setting;

class TestWindowSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    static void storePosition(const QStringList &values) // Left, Top, Width, Height, TreeWidth, State
    {
        const Setting ids[] = {Setting::Left, Setting::Top, Setting::Width, Setting::Height, Setting::TreeWidth, Setting::State};
        for (int i = 0; i < values.size(); ++i)
            if (values[i] != QLatin1String("-"))
                settings::WriteText(ids[i], values[i]);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
        PasswordHashRounds() = 1000;
    }
    void init() { OpenSettings()->clear(); }

    // The stored form never holds the password, and only the exact text
    // matches, whatever characters it has.
    void passwordHash_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("matches");
        QTest::newRow("same") << "secret" << "secret" << true;
        QTest::newRow("case counts") << "secret" << "Secret" << false;
        QTest::newRow("leading blank counts") << "secret" << " secret" << false;
        QTest::newRow("any character round-trips") << QString::fromUtf8("a\x01\x7f\xc3\xa9\xe2\x82\xac") + QChar(0x5a) << QString::fromUtf8("a\x01\x7f\xc3\xa9\xe2\x82\xac") + QChar(0x5a) << true;
        QTest::newRow("prefix is not enough") << "secret" << "secre" << false;
    }
    void passwordHash()
    {
        QFETCH(QString, password);
        QFETCH(QString, typed);
        const QString stored = HashPassword(password);
        QVERIFY(stored.startsWith(QLatin1String("pbkdf2-sha256$1000$")));
        QVERIFY(!stored.contains(password));
        QFETCH(bool, matches);
        QCOMPARE(PasswordMatches(stored, typed), matches);
        QVERIFY(HashPassword(password) != stored); // salted
        settings::WriteText(Setting::Pwd, stored);
        QVERIFY(IsPasswordProtected());
        QCOMPARE(PasswordMatches(GetPassword(), typed), matches);
    }
    void foreignStoredPasswordMatchesNothing()
    {
        for (const QString &stored : {QStringLiteral("secret"), QStringLiteral("pbkdf2-sha256$x$AA==$AA=="), QString()})
            QVERIFY(!PasswordMatches(stored, QStringLiteral("secret")) && !PasswordMatches(stored, QString()));
    }

    void readPlacement_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("treeWidth");
        QTest::addColumn<int>("state");
        const QRect def(7, 8, 626, 461);
        QTest::newRow("first run") << QStringList{} << def << 159 << int(Qt::WindowMaximized);
        QTest::newRow("all stored, normal") << QStringList{"10", "20", "700", "500", "200", "wsNormal"} << QRect(10, 20, 700, 500) << 200 << int(Qt::WindowNoState);
        QTest::newRow("TreeWidth absent: all defaults") << QStringList{"10", "20", "700", "500", "-", "wsNormal"} << def << 159 << int(Qt::WindowNoState);
        QTest::newRow("malformed integer: all defaults") << QStringList{"10", "x", "700", "500", "200", "wsNormal"} << def << 159 << int(Qt::WindowNoState);
        QTest::newRow("state in lower case") << QStringList{"10", "20", "700", "500", "200", "wsmaximized"} << QRect(10, 20, 700, 500) << 200 << int(Qt::WindowMaximized);
        QTest::newRow("state names none") << QStringList{"10", "20", "700", "500", "200", "big"} << QRect(10, 20, 700, 500) << 200 << int(Qt::WindowMaximized);
    }
    void readPlacement()
    {
        QFETCH(QStringList, stored);
        QFETCH(QRect, rect);
        QFETCH(int, treeWidth);
        QFETCH(int, state);
        storePosition(stored);
        const WindowPlacement p = ReadWindowPlacement();
        QCOMPARE(p.rect, rect);
        QCOMPARE(p.treeWidth, treeWidth);
        QCOMPARE(int(p.state), state);
    }

    void fitPlacement_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("treeWidth");
        QTest::addColumn<QRect>("fitted");
        QTest::addColumn<int>("fittedTree");
        QTest::newRow("fits") << QRect(100, 100, 800, 600) << 200 << QRect(100, 100, 800, 600) << 200;
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

    // Save after load gives the stored values back; a minimized or
    // maximized window keeps its normal rectangle, minimized counts as normal.
    void placementRoundTrip_data()
    {
        QTest::addColumn<int>("endState");
        QTest::addColumn<QString>("savedState");
        QTest::newRow("normal") << int(Qt::WindowNoState) << "wsNormal";
        QTest::newRow("maximized") << int(Qt::WindowMaximized) << "wsMaximized";
        QTest::newRow("minimized") << int(Qt::WindowMinimized) << "wsNormal";
    }
    void placementRoundTrip()
    {
        QFETCH(int, endState);
        QFETCH(QString, savedState);
        storePosition({"30", "40", "600", "400", "150", "wsNormal"});
        QMainWindow form;
        auto *splitter = new QSplitter(&form);
        splitter->addWidget(new QWidget);
        splitter->addWidget(new QWidget);
        splitter->widget(0)->setMinimumWidth(90);
        splitter->setStretchFactor(1, 1);
        form.setCentralWidget(splitter);
        LoadWindowPosition(&form, splitter);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(30, 40));
        QCOMPARE(splitter->sizes().value(0), 150);
        form.setWindowState(Qt::WindowState(endState));
        SaveWindowPosition(&form, splitter);
        QCOMPARE(ReadWindowPlacement().rect, QRect(30, 40, 600, 400));
        QCOMPARE(settings::ReadText(Setting::State), savedState);
        QCOMPARE(settings::ReadInt(Setting::TreeWidth), 150);
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
        QSettings raw(QStringLiteral("Quivora"), QStringLiteral("PageSetupForm"));
        for (auto v = values.cbegin(); v != values.cend(); ++v)
            raw.setValue(QStringLiteral("Values/") + v.key(), v.value());
        for (const auto &[name, value] : {std::pair{"Left", "50"}, {"Top", "60"}, {"Width", "wide"}, {"Height", "200"}})
            raw.setValue(QStringLiteral("Position/") + QLatin1String(name), QLatin1String(value));
        raw.sync();

        TFormSettings formSettings(&form);
        formSettings.setKeyName(QStringLiteral("Software\\Quivora\\PageSetupForm"));
        formSettings.LoadValues = formSettings.SaveValues = true;
        formSettings.LoadSettings();
        QCOMPARE(QRect(form.pos(), form.size()), QRect(50, 60, 100, 200));
        QCOMPARE(controls[7]->property("dialogFont").value<QFont>().family(), QStringLiteral("DejaVu Serif"));
        raw.clear();
        raw.sync();
        formSettings.SaveSettings();
        raw.sync();
        values["combo"] = "0";
        values["dlgFont_StrikeOut"] = "0";
        QMap<QString, QString> saved;
        for (const QString &key : raw.allKeys())
            if (key.startsWith(QLatin1String("Values/")))
                saved[key.mid(7)] = raw.value(key).toString();
        QCOMPARE(saved, values);
        QCOMPARE(raw.value("Position/WindowState").toString(), QStringLiteral("NORMAL"));

        // A form saved while maximized keeps its last normal bounds.
        form.setWindowState(Qt::WindowMaximized);
        formSettings.setKeyName(QString());
        formSettings.SaveSettings();
        QSettings byName(QStringLiteral("tst_windowsettings"), QStringLiteral("PageSetupForm"));
        QCOMPARE(byName.value("Position/WindowState").toString(), QStringLiteral("MAXIMIZED"));
        QVERIFY(!byName.contains("Position/Left"));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
