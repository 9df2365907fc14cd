#include "settings/FontFallback.h"
#include "settings/Registry.h"
#include "settings/SettingsTable.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using settings::Setting;

class TestRegistry : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    // Writes straight into the store, bypassing the code under test.
    static void putRaw(const QString &key, const QVariant &value) { OpenSettings()->setValue(key, value); }
    static QVariant getRaw(const QString &key) { return OpenSettings()->value(key); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_home.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_home.path());
        // Never the user's own settings.
        QVERIFY2(OpenSettings()->fileName().startsWith(m_home.path()), qPrintable(OpenSettings()->fileName()));
    }

    void init()
    {
        OpenSettings()->clear();
        EditColor() = QColor(Qt::white);
        TreeColor() = QColor(Qt::white);
    }

    void sectionSpellings_data()
    {
        QTest::addColumn<QString>("writeAs");
        QTest::addColumn<QString>("readAs");
        QTest::addColumn<QString>("group");
        QTest::newRow("\\Options / Options") << "\\Options" << "Options" << "Options";
        QTest::newRow("Options / \\Options") << "Options" << "\\Options" << "Options";
        QTest::newRow("\\Options\\Fonts / Options\\Fonts") << "\\Options\\Fonts" << "Options\\Fonts" << "Options/Fonts";
        QTest::newRow("Options/Fonts / \\Options\\Fonts") << "Options/Fonts" << "\\Options\\Fonts" << "Options/Fonts";
        QTest::newRow("trailing and doubled") << "\\Options\\\\Colors\\" << "/Options/Colors" << "Options/Colors";
    }
    void sectionSpellings()
    {
        QFETCH(QString, writeAs);
        QFETCH(QString, readAs);
        QFETCH(QString, group);
        QCOMPARE(SettingsGroup(writeAs), group);
        QCOMPARE(SettingsGroup(readAs), group);
        SetRegistryValue(writeAs, QStringLiteral("Probe"), QStringLiteral("v1"));
        QCOMPARE(GetRegistryValue(readAs, QStringLiteral("Probe"), QStringLiteral("def")), QStringLiteral("v1"));
        QCOMPARE(getRaw(group + QStringLiteral("/Probe")).toString(), QStringLiteral("v1"));
        // One top-level key only: no stray "\Options" beside "Options".
        QCOMPARE(OpenSettings()->childGroups(), QStringList{QStringLiteral("Options")});
    }

    void defaultsOnFirstRun_data()
    {
        QTest::addColumn<int>("id");
        int count = 0;
        const settings::SettingInfo *rows = settings::AllSettings(&count);
        for (int i = 0; i < count; ++i)
            QTest::newRow(rows[i].name) << i;
    }
    void defaultsOnFirstRun()
    {
        QFETCH(int, id);
        const settings::SettingInfo &row = settings::Info(Setting(id));
        QCOMPARE(settings::ReadText(Setting(id)), QString::fromLatin1(row.def));
        // Reading leaves nothing behind.
        QVERIFY(OpenSettings()->allKeys().isEmpty());
    }

    void firstRunFontsAndColours()
    {
        for (bool forEditor : {true, false}) {
            QFont font;
            QColor color(Qt::green);
            GetDefaultFont(font, color, forEditor);
            QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(font.pointSize(), 8);
            QVERIFY(!font.bold());
            QVERIFY(!font.italic());
            QCOMPARE(color, QColor(Qt::black));
        }
        EditColor() = TreeColor() = QColor(Qt::red);
        LoadPanelColors();
        QCOMPARE(EditColor(), QColor(Qt::white));
        QCOMPARE(TreeColor(), QColor(Qt::white));
        QCOMPARE(GetStartupFileOption(), QString());
        QVERIFY(OpenSettings()->allKeys().isEmpty());
    }

    void styleFlags_data()
    {
        QTest::addColumn<QString>("bold");
        QTest::addColumn<QString>("italic");
        QTest::addColumn<bool>("isBold");
        QTest::addColumn<bool>("isItalic");
        QTest::newRow("both True") << "True" << "True" << true << true;
        QTest::newRow("bold only") << "True" << "False" << true << false;
        QTest::newRow("italic only") << "False" << "True" << false << true;
        QTest::newRow("lower case true") << "true" << "true" << false << false;
        QTest::newRow("upper case") << "TRUE" << "" << false << false;
        QTest::newRow("trailing blank") << "True " << "1" << false << false;
    }
    void styleFlags()
    {
        QFETCH(QString, bold);
        QFETCH(QString, italic);
        QFETCH(bool, isBold);
        QFETCH(bool, isItalic);
        putRaw(QStringLiteral("Options/Fonts/EditBold"), bold);
        putRaw(QStringLiteral("Options/Fonts/EditItalic"), italic);
        QFont font;
        QColor color;
        GetDefaultFont(font, color, true);
        QCOMPARE(font.bold(), isBold);
        QCOMPARE(font.italic(), isItalic);
        // The explorer's set is separate.
        GetDefaultFont(font, color, false);
        QVERIFY(!font.bold() && !font.italic());
    }

    void underlineIsNotKept()
    {
        putRaw(QStringLiteral("Options/Fonts/TreeBold"), QStringLiteral("True"));
        QFont font;
        font.setUnderline(true);
        font.setStrikeOut(true);
        QColor color;
        GetDefaultFont(font, color, false);
        QVERIFY(font.bold());
        QVERIFY(!font.underline());
        QVERIFY(!font.strikeOut());
    }

    void fontSize_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("points");
        QTest::newRow("12") << "12" << 12;
        QTest::newRow("empty") << "" << 8;
        QTest::newRow("blanks around") << " 10 " << 10;
        QTest::newRow("letters") << "x" << 8;
        QTest::newRow("fraction") << "12.5" << 8;
        QTest::newRow("hex") << "0x10" << 8;
        QTest::newRow("too big for 32 bits") << "99999999999" << 8;
        QTest::newRow("zero") << "0" << 8;
        QTest::newRow("negative") << "-3" << 8;
    }
    void fontSize()
    {
        QFETCH(QString, stored);
        QFETCH(int, points);
        putRaw(QStringLiteral("Options/Fonts/TreeSize"), stored);
        QFont font;
        QColor color;
        GetDefaultFont(font, color, false);
        QCOMPARE(font.pointSize(), points);
        // Nothing is repaired behind the user's back.
        QCOMPARE(getRaw(QStringLiteral("Options/Fonts/TreeSize")).toString(), stored);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        const QColor white(Qt::white), black(Qt::black);
        QTest::newRow("red is the low byte") << "255" << QColor(255, 0, 0) << QColor(255, 0, 0);
        QTest::newRow("blue is the high byte") << "16711680" << QColor(0, 0, 255) << QColor(0, 0, 255);
        QTest::newRow("green") << "32768" << QColor(0, 128, 0) << QColor(0, 128, 0);
        QTest::newRow("mixed") << "1193046" << QColor(0x56, 0x34, 0x12) << QColor(0x56, 0x34, 0x12);
        QTest::newRow("empty") << "" << white << black;
        QTest::newRow("letters") << "white" << white << black;
        QTest::newRow("negative (system colour)") << "-16777211" << white << black;
        QTest::newRow("above white") << "16777216" << white << black;
    }
    void colours()
    {
        QFETCH(QString, stored);
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        putRaw(QStringLiteral("Options/Colors/Edit"), stored);
        putRaw(QStringLiteral("Options/Colors/Tree"), stored);
        putRaw(QStringLiteral("Options/Fonts/EditColor"), stored);
        LoadPanelColors();
        QCOMPARE(EditColor(), background);
        QCOMPARE(TreeColor(), background);
        QFont font;
        QColor color;
        GetDefaultFont(font, color, true);
        QCOMPARE(color, text);
        QCOMPARE(getRaw(QStringLiteral("Options/Colors/Edit")).toString(), stored);
    }

    void colourValues_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<qint64>("value");
        QTest::newRow("black") << QColor(0, 0, 0) << qint64(0);
        QTest::newRow("white") << QColor(255, 255, 255) << qint64(16777215);
        QTest::newRow("red") << QColor(255, 0, 0) << qint64(0x0000FF);
        QTest::newRow("blue") << QColor(0, 0, 255) << qint64(0xFF0000);
        QTest::newRow("navy") << QColor(0, 0, 128) << qint64(0x800000);
        QTest::newRow("mixed") << QColor(0x12, 0x34, 0x56) << qint64(0x563412);
    }
    void colourValues()
    {
        QFETCH(QColor, color);
        QFETCH(qint64, value);
        QCOMPARE(ValueFromColor(color), value);
        QCOMPARE(ColorFromValue(value), color);
        settings::WriteColor(Setting::TreeBackground, color);
        QCOMPARE(getRaw(QStringLiteral("Options/Colors/Tree")).toString(), QString::number(value));
        QCOMPARE(settings::ReadColor(Setting::TreeBackground), color);
    }

    void startupFileIsRaw_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("new file") << "1";
        QTest::newRow("recent") << "2";
        QTest::newRow("specific") << "3";
        QTest::newRow("seven") << "7";
        QTest::newRow("letter") << "x";
    }
    void startupFileIsRaw()
    {
        QFETCH(QString, stored);
        SetRegistryValue(QStringLiteral("\\Options"), QStringLiteral("StartupFile"), stored);
        QCOMPARE(GetStartupFileOption(), stored);
    }

    void writeAndReadBack()
    {
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile1"), QStringLiteral("/tmp/a, b\\c.qvr"));
        QCOMPARE(settings::ReadText(Setting::RecentFile1), QStringLiteral("/tmp/a, b\\c.qvr"));
        // An empty value counts as absent.
        SetRegistryValue(QStringLiteral("\\Files"), QStringLiteral("RecentFile1"), QString());
        QCOMPARE(GetRegistryValue(QStringLiteral("Files"), QStringLiteral("RecentFile1"), QStringLiteral("d")),
                 QStringLiteral("d"));
        // Registry strings end at their first zero.
        putRaw(QStringLiteral("Options/Pwd"), QString(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")));
        QCOMPARE(settings::ReadText(Setting::Pwd), QStringLiteral("ab"));
        // A hand-edited INI list is one string again.
        putRaw(QStringLiteral("Options/StartupFilePath"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(settings::ReadText(Setting::StartupFilePath), QStringLiteral("a, b"));
        // Placement integers read as text too.
        putRaw(QStringLiteral("Position/Left"), 42);
        QCOMPARE(settings::ReadInt(Setting::Left), 42);
        settings::WriteFlag(Setting::EditBold, true);
        QCOMPARE(getRaw(QStringLiteral("Options/Fonts/EditBold")).toString(), QStringLiteral("True"));
        settings::WriteFlag(Setting::EditBold, false);
        QCOMPARE(getRaw(QStringLiteral("Options/Fonts/EditBold")).toString(), QStringLiteral("False"));
    }

    void missingFaceFallsBackButStays()
    {
        const QString missing = QStringLiteral("MS Sans Serif");
        if (QFontDatabase::hasFamily(missing))
            QSKIP("this machine has MS Sans Serif");
        putRaw(QStringLiteral("Options/Fonts/EditName"), missing);
        QFont font;
        QColor color;
        GetDefaultFont(font, color, true);
        QCOMPARE(font.family(), missing);
        QVERIFY(font.families().size() >= 2);
        QVERIFY2(QFontDatabase::hasFamily(font.families().at(1)), qPrintable(font.families().at(1)));
        QVERIFY(QFontDatabase::hasFamily(QFontInfo(font).family()));
        QCOMPARE(getRaw(QStringLiteral("Options/Fonts/EditName")).toString(), missing);

        // An installed face is used as it is.
        const QString installed = QFontDatabase::families().value(0);
        QVERIFY(!installed.isEmpty());
        QCOMPARE(InstalledFaceFor(installed), installed);
    }
};

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
