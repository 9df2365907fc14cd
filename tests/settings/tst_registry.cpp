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

    void init() { OpenSettings()->clear(); }

    void sectionSpellings_data()
    {
        QTest::addColumn<QString>("writeAs");
        QTest::addColumn<QString>("readAs");
        QTest::addColumn<QString>("group");
        QTest::newRow("\\Options / Options") << "\\Options" << "Options" << "Options";
        QTest::newRow("\\Options\\Fonts / Options\\Fonts") << "\\Options\\Fonts" << "Options\\Fonts" << "Options/Fonts";
        QTest::newRow("Options/Fonts / \\Options\\Fonts") << "Options/Fonts" << "\\Options\\Fonts" << "Options/Fonts";
        QTest::newRow("trailing and doubled") << "\\Options\\\\Colors\\" << "/Options/Colors" << "Options/Colors";
    }
    void sectionSpellings()
    {
        QFETCH(QString, writeAs);
        QFETCH(QString, readAs);
        QFETCH(QString, group);
        SetRegistryValue(writeAs, QStringLiteral("Probe"), QStringLiteral("v1"));
        QCOMPARE(GetRegistryValue(readAs, QStringLiteral("Probe"), QStringLiteral("def")), QStringLiteral("v1"));
        QCOMPARE(getRaw(group + QStringLiteral("/Probe")).toString(), QStringLiteral("v1"));
        // One top-level key only: no stray "\Options" beside "Options".
        QCOMPARE(OpenSettings()->childGroups(), QStringList{QStringLiteral("Options")});
    }

    // What every value reads as before anything was stored, key by key;
    // reading leaves nothing behind.
    void defaultsOnFirstRun_data()
    {
        using S = Setting;
        QTest::addColumn<QList<Setting>>("ids");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Options") << QList<S>{S::StartupFile, S::StartupFilePath, S::Pwd, S::LastFolder, S::Backups}
                                 << QStringList{"", "", "", "", "3"};
        QTest::newRow("Options\\Fonts, Edit") << QList<S>{S::EditName, S::EditSize, S::EditColor, S::EditBold, S::EditItalic}
                                               << QStringList{"MS Sans Serif", "8", "0", "False", "False"};
        QTest::newRow("Options\\Fonts, Tree") << QList<S>{S::TreeName, S::TreeSize, S::TreeColor, S::TreeBold, S::TreeItalic}
                                               << QStringList{"MS Sans Serif", "8", "0", "False", "False"};
        QTest::newRow("Options\\Colors") << QList<S>{S::EditBackground, S::TreeBackground}
                                          << QStringList{"16777215", "16777215"};
        QTest::newRow("Files") << QList<S>{S::RecentFile1, S::RecentFile2, S::RecentFile3, S::RecentFile4}
                               << QStringList{"", "", "", ""};
        QTest::newRow("Position") << QList<S>{S::Left, S::Top, S::Width, S::Height, S::TreeWidth, S::State}
                                  << QStringList{"7", "8", "626", "461", "159", ""};
    }
    void defaultsOnFirstRun()
    {
        QFETCH(QList<Setting>, ids);
        QFETCH(QStringList, texts);
        QStringList read;
        for (Setting id : ids)
            read << settings::ReadText(id);
        QCOMPARE(read, texts);
        // The font that stands for these, and the panels' colours.
        QFont font;
        QColor color(Qt::green);
        GetDefaultFont(font, color, true);
        QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(font.pointSize(), 8);
        QCOMPARE(color, QColor(Qt::black));
        // The name stays as written; an installed face renders it.
        QVERIFY(QFontDatabase::hasFamily(QFontInfo(font).family()));
        EditColor() = TreeColor() = QColor(Qt::red);
        LoadPanelColors();
        QCOMPARE(EditColor(), QColor(Qt::white));
        QCOMPARE(TreeColor(), QColor(Qt::white));
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
        QTest::newRow("trailing blank") << "True " << "1" << false << false;
    }
    // Only exactly "True" sets a style; underline and strike-out are never
    // kept, and the explorer's set is separate.
    void styleFlags()
    {
        QFETCH(QString, bold);
        QFETCH(QString, italic);
        QFETCH(bool, isBold);
        QFETCH(bool, isItalic);
        putRaw(QStringLiteral("Options/Fonts/EditBold"), bold);
        putRaw(QStringLiteral("Options/Fonts/EditItalic"), italic);
        QFont font;
        font.setUnderline(true);
        font.setStrikeOut(true);
        QColor color;
        GetDefaultFont(font, color, true);
        QCOMPARE(font.bold(), isBold);
        QCOMPARE(font.italic(), isItalic);
        QVERIFY(!font.underline() && !font.strikeOut());
        GetDefaultFont(font, color, false);
        QVERIFY(!font.bold() && !font.italic());
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
        QTest::newRow("too big for 32 bits") << "99999999999" << 8;
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
        // A colour written is read back as it was stored.
        settings::WriteColor(Setting::TreeBackground, text);
        QCOMPARE(getRaw(QStringLiteral("Options/Colors/Tree")).toString(),
                 text == QColor(Qt::black) ? QStringLiteral("0") : stored);
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

    void installedFaceIsUsedAsItIs()
    {
        const QString installed = QFontDatabase::families().value(0);
        QVERIFY(!installed.isEmpty());
        QCOMPARE(InstalledFaceFor(installed), installed);
    }
};

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
